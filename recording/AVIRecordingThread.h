#pragma once

#include "RecordingBackends.h"
#include "WinAVIRecordingImpl.h"

#include <QMutex>
#include <QSemaphore>
#include <QSharedPointer>
#include <QThread>
#include <QWidget>

#include <atomic>
#include <functional>

// Result of the last start, stop or recording of the capture thread.
enum RecordingThreadError {
    RECORDING_THREAD_NO_ERROR = 0,
    RECORDING_THREAD_ALREADY_RECORDING = 1,
    RECORDING_THREAD_NOT_RECORDING = 2,
    RECORDING_THREAD_INITIALIZE_FAILED = 3,
    RECORDING_THREAD_ADD_FRAME_FAILED = 4,
    // The free space fell below the floor, or the files could take no more frames: the recording ended.
    RECORDING_THREAD_FREE_SPACE_NOT_ENOUGH = 5,
    RECORDING_THREAD_VIDEO_CODEC_FAILED = 6,
    // The screen being recorded went away (a projector unplugged) or could no longer be read.
    RECORDING_THREAD_SCREEN_LOST = 7,
    // The files could take no more frames for another reason than a full disk.
    RECORDING_THREAD_WRITER_FAILED = 8,
};

// Runs one screen recording at a time on a thread of its own: chooses the output file, refuses a nearly
// full disk, grabs and writes a frame per 40 ms slot, ends the recording when the disk fills or the
// writer fails, and finalizes the files. The "timer mode" start (the uncompressed retry) records on the
// same thread; there addFrame only checks the disk and reports whether the recording still runs.
class AVIRecordingThread : public QThread
{
    Q_OBJECT

public:
    using FreeSpaceQuery = std::function<qint64(const QString &folder)>;

    // Below this many free bytes in the output folder nothing is recorded: 10 MiB leaves room to finish
    // the file's index.
    static constexpr qint64 kMinFreeBytes = 10485760;

    static QSharedPointer<AVIRecordingThread> getInstance();

    explicit AVIRecordingThread(QObject *parent = nullptr);
    ~AVIRecordingThread() override;

    // Replaces the writer's clock, screen, microphone or encoders (between recordings).
    void setBackends(const RecordingBackends &backends);
    // Replaces the free-space query (between recordings).
    void setFreeSpaceQuery(FreeSpaceQuery query);

    // Opens the file, warms the encoder, maps the screen and opens the microphone while the count-down
    // runs; the recording's time starts with the startRecording that follows, or the preparation is
    // ended by stopRecording. Quiet: a preparation that cannot begin leaves its boxes to the start.
    bool prepareRecording(WId window, int width, int height, int audioDevice);
    // Starts the prepared recording, or else prepares and starts one.
    bool startRecording(WId window, int width, int height, int audioDevice);
    bool startRecording(const QString &codec, WId window, int width, int height, int audioDevice);
    bool stopRecording();
    bool stopNow();
    bool addFrame();
    bool togglePause();
    bool isRecording();
    QStringList recordedFiles() const;
    QString outputFile() const;
    int errorCode() const { return m_errorCode; }
    // Why the capture ended by itself (the screen lost, the writer's error); empty otherwise.
    QString failureCause() const;
    void setMute(bool mute);
    bool getMute() const;
    void stopAudioCapture();
    // Whether the microphone of the running recording was given up (see WinAVIRecordingImpl).
    bool microphoneGivenUp() const { return m_writer.microphoneGivenUp(); }
    // How long a stop waits for the capture thread: the microphone's close (3.5 s at most), an open still
    // under way (2.5 s at most) and the file's index, with room to spare. A thread that takes longer
    // finishes its files on its own.
    static constexpr int kStopLimitMs = 8000;

    // The save folder setting, created when missing; an empty setting becomes "<home>/Quillo/" first.
    // Empty when there is still no folder.
    static QString saveFolder();
    // "<save folder>Quillo-<yyyy-MM-dd_HH-mm-ss>.avi"; empty when there is no save folder.
    static QString outputFileName();

protected:
    void run() override;

private:
    bool prepareStart(bool quiet);
    enum class StartOutcome { AlreadyRunning, Failed, Started };
    // Sets up the writer and starts the thread; called with m_mutex held.
    StartOutcome beginCapture(bool timerMode, bool quiet, const QString &codec, WId window, int width, int height,
                              int audioDevice);
    bool freeSpaceEnough();
    // Makes the files of a recording ended by a full disk playable.
    void finishAfterFullDisk();
    // Ends the capture loop with a code and its cause, logged.
    void endCapture(int code, const QString &cause);
    // Asks the capture to end and waits for it up to kStopLimitMs; false when it is still running.
    bool requestStopAndWait();

    QMutex m_mutex;
    std::atomic<int> m_errorCode{RECORDING_THREAD_NO_ERROR};
    std::atomic<bool> m_stopRequested{false};
    bool m_running = false;
    QString m_outputFile;
    mutable QMutex m_causeMutex;
    QString m_failureCause;
    WinAVIRecordingImpl m_writer;
    FreeSpaceQuery m_freeSpace;
    // Timer mode: the codec of the first frame, and the start waiting for the first frame's outcome.
    QString m_firstCodec;
    bool m_timerMode = false;
    std::atomic<bool> m_firstFrameWritten{false};
    QSemaphore m_firstFrameDone;
    // Released by the start (or a stop) once the capture is prepared; a prepared capture waits for it.
    QSemaphore m_go;
    bool m_prepared = false;
    // Whether the start came: a capture released by a stop alone was cancelled.
    std::atomic<bool> m_started{false};
};
