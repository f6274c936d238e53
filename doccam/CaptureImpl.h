#pragma once

#include "CaptureEnvironment.h"
#include "CaptureIntf.h"
#include "CountedService.h"

#include <QImage>
#include <QList>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

class CaptureSound;
class LumoVisionIntf;
class QDialog;
class QScreen;
class SettingIntf;

// The capture service. Every saved file is announced; no file is ever replaced (a name already taken gets a
// numbered suffix). A snapshot asks the camera for a full-quality still behind a modal "Capturing..." bar
// and falls back to the live frame when the still does not come.
class CaptureImpl : public CaptureIntf, public CountedService<CaptureImpl>
{
    Q_OBJECT

public:
    static constexpr uint kNoCamera = FULL_SCREEN;
    static constexpr uint kReady = FULL_SCREEN | DOC_CAM | TIME_LAPSE;
    static constexpr uint kSetup = TIME_LAPSE | TIME_LAPSE_EDITORS_SHOWN | TIME_LAPSE_EDITORS_EDITABLE
                                   | TIME_LAPSE_START_SHOWN;
    static constexpr uint kSeriesRunning = TIME_LAPSE_EDITORS_SHOWN | TIME_LAPSE_RUNNING | TIME_LAPSE_PROGRESS_SHOWN;

    // The process-wide service; each call is one reference, given back with release().
    static CaptureIntf *getInstance();
    // Used by the next service created; a test sets its own before the first getInstance().
    static void setEnvironment(const CaptureEnvironment &environment);

    void release() override;
    int captureScreen(QString *path) override;
    int captureVision(QString *path) override;
    int toggleTimeLapseSetup() override;
    int getTimeLapseParameters(uint *totalTime, uint *interval) override;
    int setTimeLapseParameters(uint totalTime, uint interval) override;
    int startTimeLapseCapture() override;
    int stopTimeLapseCapture() override;
    int confirmExit() override;
    uint actionStatus() override;

    // The temporary copy of the capture sound.
    QString soundPath() const;
    // The whole desktop as it lies: every screen's picture at its place in the virtual geometry. Null when
    // a screen cannot be grabbed: a black area saved in its place would pass for a capture.
    static QImage grabDesktop(const std::function<QPixmap(QScreen *)> &grabScreen);

public Q_SLOTS:
    virtual void docCamConnected(const QString &name);
    virtual void docCamDisconnected();
    virtual void timeLapseShot();
    virtual void hqImageCaptured(const QImage &image);
    virtual void hqImageCaptureAborted(int code);
    virtual void docCamFreezeChanged(bool frozen);
    virtual void checkDirExist();

private:
    CaptureImpl();
    ~CaptureImpl() override;

    bool _getSaveDirPath(QString *folder);
    // Checks the folder, its permission and its free space, then writes the picture; the written path, or
    // an empty string.
    QString saveImageToPath(const QImage &image, const QString &folder, const QString &baseName);
    QString captureCurrentFrame(const QString &folder, const QString &baseName);
    void setStatus(uint status);
    uint idleStatus() const;
    bool parametersValid() const;
    void stopTimers();
    void playSound();
    void runCapturingDialog();
    void showCaptureResult(const QString &title, int count, const QString &folderOrText);
    void finishTimeLapse();
    void failTimeLapse();
    static QString timeStamp();

    CaptureEnvironment m_environment;
    SettingIntf *m_settings = nullptr;
    LumoVisionIntf *m_docCam = nullptr;
    uint m_status = kNoCamera;
    QString m_lastHQPath;
    QTimer m_timeLapseTimer;
    QString m_timeLapseDir;
    bool m_isTimeLapseCapturing = false;
    uint m_totalTime = 0;
    uint m_interval = 0;
    uint m_shotIndex = 0;
    uint m_shotCount = 0;
    QList<QString> m_capturedFiles;
    QPointer<QDialog> m_capturingDialog;
    QTimer m_checkDirTimer;
    std::unique_ptr<CaptureSound> m_sound;
    // A still asked for by captureVision has not yet arrived or been given up.
    bool m_hqOutstanding = false;
    // A shot is being written; timer ticks meanwhile are taken after it.
    bool m_shotInProgress = false;
    bool m_shotDeferred = false;
    // Counts series, so that a shot finishing after its series ended is not counted in the next one.
    uint m_series = 0;
};
