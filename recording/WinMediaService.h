#pragma once

#include <QElapsedTimer>
#include <QMediaPlayer>
#include <QMutex>
#include <QObject>
#include <QSize>
#include <QString>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>

class FrameGrabCallback;
class QAudioOutput;
class QVideoFrame;
class QVideoSink;

// Plays one .avi or .wmv file: frames go to a FrameGrabCallback, sound to the default audio output. Its
// states and statuses keep their own fixed numbers, which the playback service compares; the player
// underneath numbers them differently, so they are mapped here.
//
// Whether a file can be played, its length and its frame size are answered synchronously from the file
// itself; the player confirms asynchronously, and a late failure still arrives as status 8.
class WinMediaService : public QObject
{
    Q_OBJECT

public:
    enum MEDIA_STATE {
        STATE_STOPPED = 0,
        STATE_PAUSED = 1,
        STATE_PLAYING = 2,
    };
    Q_ENUM(MEDIA_STATE)

    // 4 and 6 are never used.
    enum MEDIA_STATUS {
        STATUS_NO_MEDIA = 1,
        STATUS_LOADING = 2,
        STATUS_LOADED = 3,
        STATUS_BUFFERING = 5,
        STATUS_END_OF_MEDIA = 7,
        STATUS_INVALID = 8,
    };
    Q_ENUM(MEDIA_STATUS)

    enum MEDIA_TYPE {
        TYPE_NONE = 0,
        TYPE_AVI = 1,
        TYPE_WMV = 2,
    };

    explicit WinMediaService(QObject *parent = nullptr);
    ~WinMediaService() override;

    // False, with the current media untouched, for a missing file or another suffix; false with status 8
    // for a file that cannot be played. On true the media is stopped at position 0 with status 3.
    bool setMedia(const QString &path);
    bool play();
    bool pause();
    // Keeps the media loaded and rewinds it: status 3, then 7 once rewound.
    bool stop();
    // A seek asked for before the player can seek is carried out as soon as it can.
    bool setPosition(qint64 ms);
    qint64 position() const;
    // 0 until the length is known; for a recording that was never closed it follows shortly after setMedia.
    qint64 duration() const;
    // Hundredths of a decibel: -10000 silent to 0 full. False when the media has no sound.
    bool setVolume(long volume);
    long getVolume() const;
    bool setGrabberCallback(FrameGrabCallback *callback);
    // With false, media set afterwards get no audio output at all, whether or not they have sound: nothing
    // reaches a sound device. True by default.
    void setAudioOutputEnabled(bool enabled);
    // How long playing may go on with neither a new frame nor a moving position before the media is given
    // up on: failed when no frame was ever shown, ended otherwise. Paused time does not count.
    void setStallTimeout(int ms);
    void releaseMedia();

    MEDIA_STATUS mediaStatus() const;
    MEDIA_STATE mediaState() const;
    int mediaType() const;
    bool isSeekable() const;
    QString mediaPath() const;
    int videoWidth() const;
    int videoHeight() const;

    // The first player of a process loads most of the media framework, 100 to 500 ms here and more on a
    // loaded machine, which would freeze the window. This loads it once per process on a worker thread and
    // calls ready on context's thread once it is loaded: at once when it is loaded already, never once
    // context is gone. GUI thread only.
    static void whenFrameworkLoaded(QObject *context, std::function<void()> ready);
    // TYPE_AVI or TYPE_WMV by the name's suffix, in any case; TYPE_NONE otherwise.
    static int mediaTypeOf(const QString &name);
    static MEDIA_STATUS statusFromPlayer(QMediaPlayer::MediaStatus status);
    static MEDIA_STATE stateFromPlayer(QMediaPlayer::PlaybackState state);
    // The linear gain of the audio output for a volume in hundredths of a decibel.
    static float gainFromVolume(long volume);

Q_SIGNALS:
    void mediaChanged(const QString &path);
    void mediaStateChanged(WinMediaService::MEDIA_STATE state);
    void mediaStatusChanged(WinMediaService::MEDIA_STATUS status);
    void positionChanged(qint64 ms);
    void volumeChanged(long volume);
    // The length became known after setMedia returned.
    void durationChanged(qint64 ms);

public Q_SLOTS:
    void checkEvent();

private:
    void closeMedia();
    void createPlayer(bool withAudio);
    void startDurationScan();
    void setKnownDuration(qint64 ms);
    void forwardFrame(const QVideoFrame &frame);
    void onPlayerStatusChanged(QMediaPlayer::MediaStatus status);
    void onPlayerStateChanged(QMediaPlayer::PlaybackState state);
    void onSeekableChanged(bool seekable);
    void seekPlayer(qint64 ms);
    void fail(const QString &reason);
    void setState(MEDIA_STATE state);
    void checkStall();

    QTimer m_eventTimer;
    QMediaPlayer *m_player = nullptr;
    QVideoSink *m_sink = nullptr;
    QAudioOutput *m_audio = nullptr;
    QString m_path;
    int m_type = TYPE_NONE;
    MEDIA_STATUS m_status = STATUS_NO_MEDIA;
    MEDIA_STATE m_state = STATE_STOPPED;
    QSize m_frameSize;
    bool m_seekable = false;
    bool m_hasAudio = false;
    bool m_audioOutputEnabled = true;
    long m_volume = 0;
    qint64 m_durationMs = -1;
    qint64 m_pendingSeekMs = -1;
    int m_stallTimeoutMs;
    // Playing time since the last new frame or position, measured tick by tick so that pauses are left out.
    QElapsedTimer m_sinceTick;
    qint64 m_stalledMs = 0;
    qint64 m_lastPosition = -1;
    quint64 m_lastFrameCount = 0;
    // Set to stop a running length scan; shared with it, as the scan may outlive this object.
    std::shared_ptr<std::atomic_bool> m_scanCancel;

    // Frames arrive on the player's thread.
    QMutex m_callbackMutex;
    FrameGrabCallback *m_callback = nullptr;
    std::atomic_bool m_forwardFrames{false};
    std::atomic<quint64> m_frameCount{0};
};
