#pragma once

#include <QList>
#include <QObject>
#include <QString>

// The capture service: document-camera snapshots, desktop grabs and time-lapse series saved as JPEG files in
// the media folder. Operations return 0, 1000 or a negative code and never throw; every saved file is
// announced through one of the *Captured signals so that the media library can index it.
// Codes: 0 done; -1 no folder to save into or the save failed; -1000 no camera; -2000 invalid argument or
// parameters; -2001 a series is running; -2002 no series to stop; -3000 the user refused to quit.
// Abort reasons of timeLapseImageCaptureAborted: 1000 stopped by the user, -1000 camera lost, -1 a shot
// could not be saved.
class CaptureIntf : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~CaptureIntf() override = default;

    // Bits of actionStatus() and actionStatusChanged(): each names a control the panels enable or show.
    enum CaptureActionStatus : uint {
        FULL_SCREEN = 0x001,
        DOC_CAM = 0x002,
        TIME_LAPSE = 0x004,
        TIME_LAPSE_EDITORS_SHOWN = 0x008,
        TIME_LAPSE_EDITORS_EDITABLE = 0x010,
        TIME_LAPSE_START_SHOWN = 0x020,
        // The start/stop button is enabled.
        TIME_LAPSE_PARAMETERS_VALID = 0x040,
        // The start/stop button is shown, enabled and checked.
        TIME_LAPSE_RUNNING = 0x080,
        TIME_LAPSE_PROGRESS_SHOWN = 0x100,
    };

    virtual void release() = 0;
    // Both fill *path with the file's path; captureScreen does so even when the save then fails.
    virtual int captureScreen(QString *path) = 0;
    virtual int captureVision(QString *path) = 0;
    virtual int toggleTimeLapseSetup() = 0;
    virtual int getTimeLapseParameters(uint *totalTime, uint *interval) = 0;
    // Seconds.
    virtual int setTimeLapseParameters(uint totalTime, uint interval) = 0;
    virtual int startTimeLapseCapture() = 0;
    virtual int stopTimeLapseCapture() = 0;
    // 0 lets the application quit.
    virtual int confirmExit() = 0;
    virtual uint actionStatus() = 0;

Q_SIGNALS:
    void actionStatusChanged(uint status);
    void fullScreenImageCaptured(QString path);
    void docCamImageCaptured(QString path);
    void oneTimeLapseImageCaptured(QString path);
    void timeLapseCaptureProgressUpdated(uint shotsTaken, uint shotsPlanned);
    void timeLapseImageCaptureCompleted(QList<QString> files);
    void timeLapseImageCaptureAborted(QList<QString> files, int reason);
};
