#include "WinMediaService.h"

#include "FrameGrabCallback.h"
#include "MediaFileProbe.h"
#include "PlaybackSoundPacing.h"
#include "VideoLog.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QMediaDevices>
#include <QUrl>
#include <QVideoSink>
#include <QtConcurrent/QtConcurrentRun>

#include <cmath>

namespace {
// How often the position is reported while playing: the control bar's jog slider follows it.
constexpr int kEventPollMs = 100;
// A damaged file may leave the player neither ending nor failing; a healthy file shows its first frame well
// within a second, and 5 s is long enough for a slow disk or a busy machine not to be taken for a stall.
constexpr int kStallTimeoutMs = 5000;
constexpr long kSilentVolume = -10000;
constexpr long kFullVolume = 0;
} // namespace

WinMediaService::WinMediaService(QObject *parent)
    : QObject(parent)
    , m_stallTimeoutMs(kStallTimeoutMs)
{
    connect(&m_eventTimer, &QTimer::timeout, this, &WinMediaService::checkEvent);
}

WinMediaService::~WinMediaService()
{
    releaseMedia();
}

void WinMediaService::whenFrameworkLoaded(QObject *context, std::function<void()> ready)
{
    // The GUI thread's only, as are the players.
    static QFuture<void> loading;
    if (!loading.isValid()) {
        // The framework's process-wide parts are made on this thread, so that they belong to it; they take
        // milliseconds. What takes the time is the player's parts, loaded by a player made and dropped on
        // the worker: they stay loaded for the players that follow.
        QMediaDevices::audioOutputs();
        loading = QtConcurrent::run([] { QMediaPlayer player; });
    }
    if (loading.isFinished()) {
        ready();
        return;
    }
    auto *watcher = new QFutureWatcher<void>(context);
    connect(watcher, &QFutureWatcher<void>::finished, context, [watcher, ready = std::move(ready)] {
        watcher->deleteLater();
        ready();
    });
    watcher->setFuture(loading);
}

int WinMediaService::mediaTypeOf(const QString &name)
{
    if (name.endsWith(QLatin1String(".avi"), Qt::CaseInsensitive))
        return TYPE_AVI;
    if (name.endsWith(QLatin1String(".wmv"), Qt::CaseInsensitive))
        return TYPE_WMV;
    return TYPE_NONE;
}

WinMediaService::MEDIA_STATUS WinMediaService::statusFromPlayer(QMediaPlayer::MediaStatus status)
{
    switch (status) {
    case QMediaPlayer::NoMedia:
        return STATUS_NO_MEDIA;
    case QMediaPlayer::LoadingMedia:
        return STATUS_LOADING;
    case QMediaPlayer::LoadedMedia:
        return STATUS_LOADED;
    case QMediaPlayer::StalledMedia:
    case QMediaPlayer::BufferingMedia:
    case QMediaPlayer::BufferedMedia:
        return STATUS_BUFFERING;
    case QMediaPlayer::EndOfMedia:
        return STATUS_END_OF_MEDIA;
    case QMediaPlayer::InvalidMedia:
        return STATUS_INVALID;
    }
    return STATUS_INVALID;
}

WinMediaService::MEDIA_STATE WinMediaService::stateFromPlayer(QMediaPlayer::PlaybackState state)
{
    switch (state) {
    case QMediaPlayer::PlayingState:
        return STATE_PLAYING;
    case QMediaPlayer::PausedState:
        return STATE_PAUSED;
    case QMediaPlayer::StoppedState:
        return STATE_STOPPED;
    }
    return STATE_STOPPED;
}

float WinMediaService::gainFromVolume(long volume)
{
    if (volume <= kSilentVolume)
        return 0.0f;
    return float(std::pow(10.0, double(qMin(volume, kFullVolume)) / 2000.0));
}

bool WinMediaService::setMedia(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    const int type = mediaTypeOf(info.fileName());
    if (type == TYPE_NONE)
        return false;

    releaseMedia();
    m_type = type;
    m_path = path;
    Q_EMIT mediaChanged(path);

    m_status = STATUS_LOADING;
    Q_EMIT mediaStatusChanged(m_status);
    const MediaFileProbe::Result probe = MediaFileProbe::probe(path);
    if (!probe.playable) {
        videoLog(LogSystem::LOG_ERROR, "WinMediaService::setMedia - cannot play %s", qUtf8Printable(path));
        m_status = STATUS_INVALID;
        Q_EMIT mediaStatusChanged(m_status);
        return false;
    }
    m_frameSize = probe.frameSize;
    m_hasAudio = probe.hasAudio;
    m_volume = kFullVolume;
    m_durationMs = probe.durationMs;
    createPlayer(probe.hasAudio && m_audioOutputEnabled);
    if (m_durationMs <= 0)
        startDurationScan();

    m_status = STATUS_LOADED;
    Q_EMIT mediaStatusChanged(m_status);
    setPosition(0);
    return true;
}

void WinMediaService::createPlayer(bool withAudio)
{
    m_player = new QMediaPlayer(this);
    // Before the sound output is made: its sink is set up as the framework adds it.
    PlaybackSoundPacing::install();
    m_sink = new QVideoSink(m_player);
    m_audio = new QAudioOutput(m_player);
    m_player->setVideoSink(m_sink);
    // Without an output device the sound is left out rather than letting the player fail on it.
    if (withAudio && !QMediaDevices::defaultAudioOutput().isNull())
        m_player->setAudioOutput(m_audio);

    connect(m_sink, &QVideoSink::videoFrameChanged, this, &WinMediaService::forwardFrame, Qt::DirectConnection);
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, &WinMediaService::onPlayerStatusChanged);
    connect(m_player, &QMediaPlayer::playbackStateChanged, this, &WinMediaService::onPlayerStateChanged);
    connect(m_player, &QMediaPlayer::seekableChanged, this, &WinMediaService::onSeekableChanged);
    connect(m_player, &QMediaPlayer::durationChanged, this, [this](qint64 ms) {
        if (m_durationMs <= 0 && ms > 0)
            setKnownDuration(ms);
    });
    connect(m_player, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error error, const QString &text) {
        if (error != QMediaPlayer::NoError)
            fail(text);
    });
    m_player->setSource(QUrl::fromLocalFile(m_path));
}

void WinMediaService::startDurationScan()
{
    m_scanCancel = std::make_shared<std::atomic_bool>(false);
    auto *watcher = new QFutureWatcher<qint64>(this);
    connect(watcher, &QFutureWatcher<qint64>::finished, this, [this, watcher, cancel = m_scanCancel] {
        watcher->deleteLater();
        if (!cancel->load() && m_durationMs <= 0 && watcher->result() > 0)
            setKnownDuration(watcher->result());
    });
    watcher->setFuture(QtConcurrent::run([path = m_path, cancel = m_scanCancel] {
        return MediaFileProbe::scanDuration(path, cancel.get());
    }));
}

void WinMediaService::setKnownDuration(qint64 ms)
{
    m_durationMs = ms;
    Q_EMIT durationChanged(ms);
}

void WinMediaService::forwardFrame(const QVideoFrame &frame)
{
    // A stopped player still hands over the frame it rewound to; the screen stays black until playing.
    if (!m_forwardFrames.load())
        return;
    ++m_frameCount;
    QMutexLocker locker(&m_callbackMutex);
    if (m_callback)
        m_callback->presentFrame(frame);
}

void WinMediaService::onPlayerStatusChanged(QMediaPlayer::MediaStatus status)
{
    const MEDIA_STATUS mapped = statusFromPlayer(status);
    if (mapped == STATUS_INVALID)
        fail(m_player->errorString());
    else if (mapped == STATUS_END_OF_MEDIA && m_state != STATE_STOPPED)
        stop();
}

void WinMediaService::onPlayerStateChanged(QMediaPlayer::PlaybackState state)
{
    // The player may report that it stopped at the end before it reports the end itself.
    if (stateFromPlayer(state) == STATE_STOPPED && m_state != STATE_STOPPED
        && m_player->mediaStatus() == QMediaPlayer::EndOfMedia)
        stop();
}

void WinMediaService::onSeekableChanged(bool seekable)
{
    if (seekable && m_pendingSeekMs >= 0)
        seekPlayer(std::exchange(m_pendingSeekMs, -1));
}

void WinMediaService::fail(const QString &reason)
{
    if (m_status == STATUS_INVALID || m_status == STATUS_NO_MEDIA)
        return;
    videoLog(LogSystem::LOG_ERROR, "WinMediaService::fail - %s: %s", qUtf8Printable(m_path), qUtf8Printable(reason));
    m_eventTimer.stop();
    if (m_player)
        m_player->pause();
    m_status = STATUS_INVALID;
    const bool wasRunning = m_state != STATE_STOPPED;
    setState(STATE_STOPPED);
    Q_EMIT mediaStatusChanged(m_status);
    if (wasRunning)
        Q_EMIT mediaStateChanged(m_state);
}

void WinMediaService::setState(MEDIA_STATE state)
{
    m_state = state;
    m_forwardFrames = state != STATE_STOPPED;
}

bool WinMediaService::play()
{
    if (!m_player || m_status == STATUS_INVALID)
        return false;
    m_player->play();
    m_sinceTick.start();
    m_status = STATUS_BUFFERING;
    setState(STATE_PLAYING);
    Q_EMIT mediaStatusChanged(m_status);
    Q_EMIT mediaStateChanged(m_state);
    m_eventTimer.start(kEventPollMs);
    return true;
}

bool WinMediaService::pause()
{
    if (!m_player || m_status == STATUS_INVALID)
        return false;
    m_player->pause();
    setState(STATE_PAUSED);
    Q_EMIT mediaStateChanged(m_state);
    return true;
}

bool WinMediaService::stop()
{
    if (!m_player || m_status == STATUS_INVALID)
        return false;
    // Pausing keeps the pipeline loaded; the player's own stop would tear it down at a cost of about
    // 300 ms and lose the ability to seek.
    m_player->pause();
    setState(STATE_STOPPED);
    m_stalledMs = 0;
    m_status = STATUS_LOADED;
    Q_EMIT mediaStatusChanged(m_status);
    Q_EMIT mediaStateChanged(m_state);
    if (setPosition(0)) {
        m_status = STATUS_END_OF_MEDIA;
        Q_EMIT mediaStatusChanged(m_status);
        Q_EMIT positionChanged(0);
    }
    return true;
}

bool WinMediaService::setPosition(qint64 ms)
{
    if (!m_player || ms < 0 || ms > duration())
        return false;
    if (m_player->isSeekable()) {
        m_pendingSeekMs = -1;
        seekPlayer(ms);
    } else {
        m_pendingSeekMs = ms;
    }
    m_seekable = true;
    Q_EMIT positionChanged(ms);
    return true;
}

void WinMediaService::seekPlayer(qint64 ms)
{
    // The length read from the file may exceed the player's own by a few milliseconds; a seek past the
    // player's end is an error to it.
    const qint64 playerEnd = m_player->duration();
    m_player->setPosition(playerEnd > 0 ? qMin(ms, playerEnd) : ms);
}

qint64 WinMediaService::position() const
{
    if (!m_player)
        return 0;
    return m_pendingSeekMs >= 0 ? m_pendingSeekMs : m_player->position();
}

qint64 WinMediaService::duration() const
{
    return qMax<qint64>(0, m_durationMs);
}

bool WinMediaService::setVolume(long volume)
{
    if (!m_player || !m_hasAudio)
        return false;
    m_volume = qBound(kSilentVolume, volume, kFullVolume);
    m_audio->setVolume(gainFromVolume(m_volume));
    Q_EMIT volumeChanged(volume);
    return true;
}

long WinMediaService::getVolume() const
{
    return m_player && m_hasAudio ? m_volume : 0;
}

bool WinMediaService::setGrabberCallback(FrameGrabCallback *callback)
{
    // Taking a callback away always works: its owner may be going, with or without a player.
    if (!m_player && callback)
        return false;
    QMutexLocker locker(&m_callbackMutex);
    m_callback = callback;
    return m_player != nullptr;
}

void WinMediaService::setStallTimeout(int ms)
{
    m_stallTimeoutMs = ms;
}

void WinMediaService::setAudioOutputEnabled(bool enabled)
{
    m_audioOutputEnabled = enabled;
}

void WinMediaService::releaseMedia()
{
    m_eventTimer.stop();
    closeMedia();
}

void WinMediaService::closeMedia()
{
    if (m_scanCancel)
        m_scanCancel->store(true);
    m_scanCancel.reset();
    if (m_player) {
        m_forwardFrames = false;
        m_sink->disconnect(this);
        m_player->disconnect(this);
        // Deleting a paused player tears the pipeline down in a few milliseconds; the player's stop, and
        // an empty source too, cost about 300 ms.
        m_player->pause();
        delete m_player;
        m_player = nullptr;
        m_sink = nullptr;
        m_audio = nullptr;
    }
    {
        QMutexLocker locker(&m_callbackMutex);
        m_callback = nullptr;
    }
    m_path.clear();
    m_type = TYPE_NONE;
    m_status = STATUS_NO_MEDIA;
    setState(STATE_STOPPED);
    Q_EMIT mediaChanged(m_path);
    Q_EMIT mediaStateChanged(m_state);
    Q_EMIT mediaStatusChanged(m_status);
    m_frameSize = QSize();
    m_seekable = false;
    m_hasAudio = false;
    m_durationMs = -1;
    m_pendingSeekMs = -1;
    m_stalledMs = 0;
    m_lastPosition = -1;
    m_frameCount = 0;
    m_lastFrameCount = 0;
}

void WinMediaService::checkEvent()
{
    if (!m_player) {
        m_eventTimer.stop();
        return;
    }
    if (m_state == STATE_PLAYING) {
        Q_EMIT positionChanged(position());
        checkStall();
    }
}

void WinMediaService::checkStall()
{
    const qint64 now = position();
    const quint64 frames = m_frameCount.load();
    const qint64 sinceTick = m_sinceTick.restart();
    if (now != m_lastPosition || frames != m_lastFrameCount) {
        m_lastPosition = now;
        m_lastFrameCount = frames;
        m_stalledMs = 0;
        return;
    }
    m_stalledMs += sinceTick;
    if (m_stalledMs < m_stallTimeoutMs)
        return;
    if (frames == 0) {
        fail(QStringLiteral("no picture and no progress for %1 ms").arg(m_stalledMs));
        return;
    }
    videoLog(LogSystem::LOG_WARNING, "WinMediaService::checkStall - %s stopped moving, taken as its end",
             qUtf8Printable(m_path));
    stop();
}

WinMediaService::MEDIA_STATUS WinMediaService::mediaStatus() const
{
    return m_status;
}

WinMediaService::MEDIA_STATE WinMediaService::mediaState() const
{
    return m_state;
}

int WinMediaService::mediaType() const
{
    return m_type;
}

bool WinMediaService::isSeekable() const
{
    return m_seekable;
}

QString WinMediaService::mediaPath() const
{
    return m_path;
}

int WinMediaService::videoWidth() const
{
    return m_frameSize.width();
}

int WinMediaService::videoHeight() const
{
    return m_frameSize.height();
}
