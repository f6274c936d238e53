#pragma once

#include <QList>
#include <QObject>
#include <QString>

// The recording service: the screen and the microphone into AVI files. Operations return 0 (or more) on
// success and a negative status code on failure. Obtain it with RecordingImpl::getInstance and give it
// back with release().
class RecordingIntf : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~RecordingIntf() override = default;

    // Bits of actionStatus() and actionStatusChanged(): 1 when idle, 6 while running, 10 while paused.
    enum RecordingActionStatus : uint {
        // No recording runs: one may start.
        RECORDING_STATUS_IDLE = 1,
        // A recording runs or is paused: it may stop.
        RECORDING_STATUS_RECORDING = 2,
        // It may pause.
        RECORDING_STATUS_RUNNING = 4,
        // It may resume.
        RECORDING_STATUS_PAUSED = 8,
    };

    virtual void release() = 0;
    virtual int startRecording() = 0;
    // Readies a recording while the count-down runs (the file, the encoder, the microphone), so that the
    // recorded time starts with startRecording; a cancelled count-down gives it up with
    // cancelPreparedRecording. A preparation that fails is left to startRecording to report.
    virtual void prepareRecording() {}
    virtual void cancelPreparedRecording() {}
    // files receives the paths written, in order.
    virtual int stopRecording(QList<QString> *files) = 0;
    virtual int pauseRecording() = 0;
    virtual int resumeRecording() = 0;
    // The live mute of a running recording (its sound is then written as silence).
    virtual bool getMute() = 0;
    virtual int setMute(bool mute) = 0;
    // The configured microphone's volume in percent.
    virtual uint getVolume() = 0;
    virtual int setVolume(uint percent) = 0;
    // The level monitor is counted: each successful start needs one stop.
    virtual int startAudioMonitor() = 0;
    virtual void stopAudioMonitor() = 0;
    virtual int confirmExitWhileRecording(QList<QString> *files) = 0;
    virtual QList<QString> audioSources() = 0;
    // RecordingActionStatus bits.
    virtual uint actionStatus() = 0;

Q_SIGNALS:
    void audioSourcesChanged(QList<QString> sources);
    void audioLevelReported(uint level);
    // A recording ended without being asked to: its status code and the files written.
    void recordStopped(int code, QList<QString> files);
    void actionStatusChanged(uint status);
};
