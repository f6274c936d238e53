#pragma once

#include "AviHandle.h"
#include "RecordingBackends.h"

#include <QByteArray>
#include <QMutex>
#include <QObject>
#include <QStringList>
#include <QThread>
#include <QWidget>

#include <atomic>
#include <memory>

// Writes one screen recording: grabs the primary screen with the cursor, encodes it (XviD, or
// uncompressed frames when XviD is missing) on a 40 ms slot grid and records the microphone beside it,
// opening a new numbered file after 14.5 minutes of recorded time. Driven from one frame thread at a
// time; the microphone writes from its own thread; pause and mute come from the GUI thread.
class WinAVIRecordingImpl : public QObject
{
    Q_OBJECT

public:
    // writeFrame results.
    enum FrameResult {
        FRAME_SCREEN_LOST = -3,   // the screen being recorded went away or can no longer be read
        FRAME_WRITER_FAILED = -2, // the file can take no more frames (write failed, next file not created)
        FRAME_SETUP_FAILED = -1,  // the video could not be set up; the first file was created anew
        FRAME_NOTHING_WRITTEN = 0,
        FRAME_WRITTEN = 1,
    };
    // Audio device value for a recording without sound.
    static constexpr int kNoAudio = -2;

    explicit WinAVIRecordingImpl(QObject *parent = nullptr);
    ~WinAVIRecordingImpl() override;

    // Replaces the clock, screen, microphone or encoders; only between recordings.
    void setBackends(const RecordingBackends &backends);
    // Why the screen cannot be recorded in this session; empty when it can.
    QString unavailableReason();

    void setFileName(const QString &fileName);
    // Opens the first file. window: the screen is always the primary screen here. A width or height that
    // is not positive takes the screen's size. audioDevice: input index, -1 the default, -2 no sound.
    bool initialize(WId window, int width, int height, int audioDevice);
    // Frame thread, after initialize and before the first writeFrame (which must be given the same codec):
    // sets up the grabber, makes the first file's encoder and pays its first frames' costs (opening it,
    // setting up the scaler: 0.1-1 s at 1080p) on a blank picture, and opens the microphone, so that all of
    // it comes before the recording's time starts instead of making the first slots go by without a picture.
    // The microphone opens on a thread of its own meanwhile, so that one slow to open (or never opening)
    // does not hold up the picture. Takes no lock: it must not be run beside another call but a pause,
    // mute, sound stop or markStart.
    void prepareVideo(const QString &codec);
    // The recording's time starts now, however long the preparation still takes: called when the
    // count-down ends, before the first writeFrame. Without it the first writeFrame starts the time.
    void markStart();
    // The recording's time ends now, when the stop is asked for: later frames are not written, and the
    // file lasts up to here however long the frame thread takes to notice.
    void markEnd();
    // Grabs and writes one frame; codec empty: XviD with its fall-back, else a four-character code.
    int writeFrame(const QString &codec);
    // Returns once the next 40 ms slot has begun, so the next grab falls into a fresh slot.
    void sleepUntilNextSlot();
    bool togglePause();
    bool finalize();
    bool stop();
    bool stopIfActive();

    QStringList recordedFiles() const;
    // Whether a recording of this process is still writing the file: the players and probes leave it
    // alone until it is closed.
    static bool isBeingWritten(const QString &fileName);
    // Why the last recording could not go on (the screen lost, the writer's error); empty when it could.
    QString failureCause() const;
    // Whether the writer failed because its disk is full (no space, or the user's quota used up).
    bool failedForSpace() const { return m_failedForSpace; }
    bool isActive() const { return m_active; }
    bool isPaused() const { return m_paused; }
    void setMute(bool mute) { m_mute = mute; }
    bool getMute() const { return m_mute; }
    void setAudioRunning(bool running) { m_audioRunning = running; }
    bool audioRunning() const { return m_audioRunning; }
    // Whether the microphone was given up during this recording (it did not open in time, or delivered
    // nothing); the recording then goes on with silence, or without a sound stream.
    bool microphoneGivenUp() const { return m_microphoneGivenUp; }

    // Recorded time after which the next file is opened: 14 min 30 s.
    static constexpr quint32 kSegmentMs = 870000;
    // Bytes of sound handed over at a time (128 ms at 8 kHz stereo 16-bit).
    static constexpr qint64 kAudioBlockBytes = 4096;
    // A microphone open this long without delivering any sound is given up: well above the latest first
    // sound seen after an open (about 2 s, a microphone resuming from suspend).
    static constexpr quint32 kSilentMicrophoneMs = 5000;

private:
    void ensureBackends();
    QString firstFileName() const;
    QString nextSegmentName() const;
    AviHandle *createFile(const QString &name);
    quint32 currentSlot() const;
    quint32 recordedMs() const;
    void pauseLocked(quint32 now);
    void resumeLocked();
    bool splitIfDue(const QString &codec);
    bool openNextSegment(const QString &codec);
    quint32 setUpVideo(const QString &codec);
    // Makes the current file's encoder and warms it on a blank picture of the screen's size.
    void prepareEncoder(const QString &codec);
    // Starts opening the microphone on a thread of its own, once per recording.
    void openMicrophone();
    // Before the header: takes the microphone's answer (opening it first if that has not begun); a
    // recording whose microphone could not be opened has no sound stream.
    void startMicrophone();
    // Takes the answer of a finished open.
    void takeMicrophoneAnswer();
    void giveUpMicrophone(const char *why);
    // Gives up a microphone that has been open for kSilentMicrophoneMs without delivering anything.
    void checkMicrophoneDelivers();
    void closeCurrent(bool *closedWell);
    void stopAudio();
    void onAudioBlock(const char *data, qint64 bytes, quint32 capturedMs);
    void placeAudioLocked(const char *data, qint64 bytes, quint32 capturedMs, bool mute);
    void writeAudioAtLocked(const char *data, qint64 frames, qint64 position, bool mute);
    bool writeSilenceLocked(qint64 frames);
    qint64 audioFrames(qint64 ms) const;

    RecordingBackends m_backends;
    QStringList m_recordedFiles;
    mutable QMutex m_filesMutex;
    AviHandle *m_avi = nullptr;
    WaveFormat m_waveFormat;
    int m_width = 0;
    int m_height = 0;
    // The selected screen's size: the size of every picture grabbed.
    QSize m_screenSize;
    int m_audioDevice = -1;
    QMutex m_mutex;
    // Held around every sound write and whenever the current file is closed or replaced, so sound never
    // reaches a closed file.
    QMutex m_audioMutex;
    std::atomic<bool> m_active{false};
    std::atomic<quint32> m_tickBase{0};
    std::atomic<quint32> m_frameAtResume{0};
    std::atomic<quint32> m_segmentTime{0};
    std::atomic<quint32> m_slotAtPause{0};
    std::atomic<bool> m_mute{false};
    std::atomic<bool> m_paused{false};
    std::atomic<bool> m_audioRunning{false};
    bool m_audioStarted = false;
    // The microphone's open, on a thread of its own; its answer and the tick it came at.
    std::unique_ptr<QThread> m_microphoneOpener;
    std::atomic<bool> m_microphoneOpened{false};
    std::atomic<quint32> m_microphoneOpenedAt{0};
    std::atomic<bool> m_anySound{false};
    std::atomic<bool> m_microphoneGivenUp{false};
    // The tick markStart noted; the recording's time starts there.
    std::atomic<bool> m_startMarked{false};
    std::atomic<quint32> m_startAt{0};
    std::atomic<bool> m_endMarked{false};
    std::atomic<quint32> m_endAt{0};
    bool m_writerFailed = false;
    std::atomic<bool> m_failedForSpace{false};
    QString m_failureCause;
    void noteWriterFailure(const QString &fallback);
    QString m_fileName;
    QByteArray m_silence;

    // A stretch of clock time the current file records: sound captured inside one lands at
    // recordedMs + (capture tick − startMs); sound captured outside all of them (before the start, while
    // paused, before the file began) is not recorded. Guarded by m_audioMutex.
    struct RecordedRun
    {
        quint32 startMs = 0;
        quint32 endMs = 0;
        bool open = true;
        quint32 recordedMs = 0;
    };
    QList<RecordedRun> m_runs;
    // Sound captured while the file was being set up, placed once the writer runs. Guarded by m_audioMutex.
    struct CapturedBlock
    {
        QByteArray data;
        quint32 capturedMs = 0;
        bool muted = false;
    };
    QList<CapturedBlock> m_earlyAudio;
    qint64 m_earlyAudioBytes = 0;
};
