#pragma once

#include "RecordingCommonImpl.h"
#include "WinAVIRecordingCtrl.h"
#include "WinAudioLevelReporter.h"

#include <QFuture>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <memory>

class SettingIntf;

// The recording service: records through the AVI engine's controller, measures the microphone for the
// level monitor, polls the microphone list and the capture's state from the GUI thread, and decides what
// happens when a capture ends by itself (one uncompressed retry, then a forced stop).
class RecordingImpl : public RecordingCommonImpl
{
    Q_OBJECT

public:
    // The process's service; each call is one reference, given back with release().
    static RecordingImpl *getInstance();

    // Empty arguments take the process's engine and the system's microphone.
    explicit RecordingImpl(std::unique_ptr<WinAVIRecordingCtrl> ctrl = {},
                           std::unique_ptr<WinAudioLevelReporter> levelReporter = {});
    ~RecordingImpl() override;

    bool getMute() override;
    int setMute(bool mute) override;
    uint getVolume() override;
    int setVolume(uint percent) override;
    QList<QString> audioSources() override;

    int doStartRecording() override;
    bool doPrepareRecording() override;
    void doCancelPreparedRecording() override;
    int doStopRecording(QList<QString> *files) override;
    int doPauseRecording() override;
    int doResumeRecording() override;
    int doStartAudioMonitor() override;
    void doStopAudioMonitor() override;
    virtual int doStopRecording(QString &fileName);

    // The recording width for a "recording/videoQuality" value; 0 records at the screen's own size.
    static int widthForQuality(int quality);

    // The repair of unfinished recordings started with the service; cancelled when the application quits.
    QFuture<int> startUpRepair() const;
    void cancelRepair();

public Q_SLOTS:
    void checkAudioSource();
    void reportAudioLevel();
    void checkRecordingStatus();
    void addFrame();
    QList<QString> getOldAudioSources();

private:
    int stopController(QStringList *files);
    // The recording's width and microphone from the settings.
    int recordingWidth();
    QString recordingSource();
    // Tells the user once per recording that its microphone was given up.
    void reportMicrophoneGivenUp();

    SettingIntf *settings;
    std::unique_ptr<WinAVIRecordingCtrl> ctrl;
    std::unique_ptr<WinAudioLevelReporter> levelReporter;
    QTimer levelTimer;
    QTimer statusTimer;
    QTimer audioSourceTimer;
    QTimer frameTimer;
    qint64 lastAudioDeviceCount = 0;
    bool uncompressedRetry = false;
    bool microphoneReported = false;
    // Files of the attempt before the uncompressed retry; they belong to the same recording.
    QStringList earlierFiles;
    std::shared_ptr<std::atomic<bool>> repairCancelled = std::make_shared<std::atomic<bool>>(false);
    QFuture<int> repair;
};
