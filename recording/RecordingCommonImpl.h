#pragma once

#include "CountedService.h"
#include "RecordingIntf.h"

#include <QMessageBox>
#include <QRecursiveMutex>

#include <functional>

// Status codes of the recording service.
enum RecordingStatusCode {
    RECORDING_OK = 0,
    RECORDING_PLATFORM_FAILED = -1,
    RECORDING_ALREADY_RECORDING = -1000,
    RECORDING_NOT_RECORDING = -1001,
    RECORDING_ALREADY_PAUSED = -1002,
    RECORDING_NOT_PAUSED = -1003,
    RECORDING_AUDIO_MONITOR_FAILED = -2001,
    RECORDING_EXIT_REFUSED = -3000,
    RECORDING_NO_SPACE = -4000,
    RECORDING_DESTINATION_REMOVED = -4001,
    RECORDING_FOLDER_NOT_WRITABLE = -4002,
    RECORDING_CODEC_FAILED = -5000,
    RECORDING_EXIT_STOP_FAILED = 1000,
};

// The platform-neutral state machine of the recording service: argument and folder checks before a
// start, the status codes and action-status mask, the exit confirmation, forced stops with their boxes,
// the level monitor's use count and reference counting. The platform operations are the do... ones.
class RecordingCommonImpl : public RecordingIntf, public CountedService<RecordingCommonImpl>
{
    Q_OBJECT

public:
    using FreeSpaceQuery = std::function<qint64(const QString &folder)>;

    // Starting needs strictly more free bytes than this: 2 MiB leave room for the first frames while the
    // capture thread's own, higher floor decides how long the recording may go on.
    static constexpr qint64 kStartFreeBytesFloor = 2097152;

    void release() override;
    int startRecording() override;
    void prepareRecording() override;
    void cancelPreparedRecording() override;
    int stopRecording(QList<QString> *files) override;
    int pauseRecording() override;
    int resumeRecording() override;
    int startAudioMonitor() override;
    void stopAudioMonitor() override;
    int confirmExitWhileRecording(QList<QString> *files) override;
    uint actionStatus() override;

    virtual int doStartRecording() = 0;
    // Readies what doStartRecording then starts; false when nothing was readied.
    virtual bool doPrepareRecording() { return false; }
    virtual void doCancelPreparedRecording() {}
    virtual int doStopRecording(QList<QString> *files) = 0;
    virtual int doPauseRecording() = 0;
    virtual int doResumeRecording() = 0;
    virtual int doStartAudioMonitor() = 0;
    virtual void doStopAudioMonitor() = 0;

    void addRef();
    void forceStopRecording();
    void forceStopRecordingWithError(int code, const QString &text);
    // The capture ended by itself for another reason than a full disk (the screen lost, the writer failed):
    // recordStopped(-4000) with the files written so far, and "Recording interrupted." with the cause.
    // Nothing happens when a stop has already ended the recording.
    void forceStopRecordingInterrupted(const QString &cause);

    // Replaces the free-space query of the start check.
    void setFreeSpaceQuery(FreeSpaceQuery query);

    // Guards the service's counters, flags and status; recursive because a modal box shown with it held
    // may let the same thread call in again.
    static QRecursiveMutex &recordingMutex();

Q_SIGNALS:
    void emitRecordStoppedOnMain(QList<QString> files);
    void emitRecordStoppedWithErrorOnMain(int code, QString text, QList<QString> files);
    void emitRecordInterruptedOnMain(QString cause, QList<QString> files);

public Q_SLOTS:
    void emitRecordStopped(QList<QString> files);
    void emitRecordStoppedWithError(int code, QString text, QList<QString> files);
    void emitRecordInterrupted(QString cause, QList<QString> files);

protected:
    explicit RecordingCommonImpl(QObject *parent = nullptr);
    ~RecordingCommonImpl() override;

    static QMessageBox::StandardButton warningBox(const QString &text, const QString &informativeText,
                                                  QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                                  QMessageBox::StandardButton defaultButton = QMessageBox::Ok);

private:
    void setStatus(uint newStatus);
    // Ends the recording state: flags, the recording's hold on the level monitor, the status.
    void enterIdle();

    int audioMonitorUsers = 0;
    bool recording = false;
    bool paused = false;
    // A recording is readied for the count-down's end.
    bool prepared = false;
    uint status = RECORDING_STATUS_IDLE;
    // The running recording holds one level-monitor user (its start's monitor call succeeded).
    bool recordingHoldsMonitor = false;
    FreeSpaceQuery freeSpace;
};
