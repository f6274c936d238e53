#include "VideoImpl.h"

#include "FrameGrabCallback.h"
#include "MessageBoxes.h"
#include "VideoLog.h"
#include "VideoWidget.h"

#include <QApplication>

VideoImpl *VideoImpl::create(QWidget *videoParent)
{
    return new VideoImpl(videoParent);
}

VideoImpl::VideoImpl(QWidget *videoParent)
    : m_media(std::make_unique<WinMediaService>())
    , m_widget(new VideoWidget(videoParent))
{
    videoLog(LogSystem::LOG_INFO, "VideoImpl::VideoImpl()");
    // Frames must stop reaching the widget's frame callback before it goes, whoever deletes it.
    connect(m_widget, &QObject::destroyed, this, [this] {
        if (m_media)
            m_media->setGrabberCallback(nullptr);
    });
}

VideoImpl::~VideoImpl()
{
    videoLog(LogSystem::LOG_INFO, "VideoImpl::~VideoImpl()");
    if (m_media) {
        m_media->disconnect(this);
        m_media->setGrabberCallback(nullptr);
    }
    m_media.reset();
    if (m_widget) {
        m_widget->disconnect(this);
        delete m_widget;
    }
}

QWidget *VideoImpl::videoWidget()
{
    return m_widget;
}

void VideoImpl::showVideo()
{
    if (m_widget)
        m_widget->setVisible(true);
}

void VideoImpl::hideVideo()
{
    if (m_widget)
        m_widget->setVisible(false);
}

void VideoImpl::replaceMediaService()
{
    if (m_media)
        m_media->disconnect(this);
    m_media = std::make_unique<WinMediaService>();
    connect(m_media.get(), &WinMediaService::positionChanged, this, &VideoImpl::positionChanged);
    connect(m_media.get(), &WinMediaService::mediaStateChanged, this, &VideoImpl::stateChanged);
    connect(m_media.get(), &WinMediaService::mediaStatusChanged, this, &VideoImpl::mediaStatusChanged);
    // A length found only after the attach (an unfinished recording) changes what can be sought.
    connect(m_media.get(), &WinMediaService::durationChanged, this,
            [this] { Q_EMIT actionStatusChanged(actionStatus()); });
}

int VideoImpl::attachVideo(const QString &path)
{
    // Nothing loaded has nothing to stop.
    if (!m_path.isEmpty() && m_media && m_media->mediaStatus() != WinMediaService::STATUS_NO_MEDIA
        && m_media->mediaState() != WinMediaService::STATE_STOPPED)
        stop();
    if (m_widget)
        m_widget->clearFrame();
    m_file.reset();
    m_warned = false;

    videoLog(LogSystem::LOG_INFO, "VideoImpl::attachVideo() - path : %s", qUtf8Printable(path));
    m_path = path;
    replaceMediaService();

    if (!m_media->setMedia(path)) {
        const QString message = tr("The video file is invaild");
        if (path.isEmpty()) {
            Q_EMIT actionStatusChanged(actionStatus());
            return VIDEO_NOT_FOUND;
        }
        videoLog(LogSystem::LOG_CRITICAL, "VideoImpl::attachVideo() - %s", qUtf8Printable(message));
    }

    if (m_widget) {
        m_media->setGrabberCallback(m_widget->grabCallback());
        m_widget->setVideoSize(m_media->videoWidth(), m_media->videoHeight());
    }

    m_file = std::make_unique<QFile>(path);
    if (!m_file->exists()) {
        videoLog(LogSystem::LOG_ERROR, "VideoImpl::attachVideo() - file does not exist!!");
        return VIDEO_NOT_FOUND;
    }

    // The status is known synchronously; a failure the player finds later is warned about when it comes.
    const WinMediaService::MEDIA_STATUS status = m_media->mediaStatus();
    const bool unplayable = status == WinMediaService::STATUS_INVALID || status == WinMediaService::STATUS_NO_MEDIA;
    if (unplayable)
        warnInvalid();

    Q_EMIT actionStatusChanged(actionStatus());
    return unplayable ? VIDEO_REFUSED : VIDEO_OK;
}

void VideoImpl::warnInvalid()
{
    if (m_warned)
        return;
    m_warned = true;
    const QString text = tr("This video file is invaild");
    MessageBoxes::warning(QApplication::activeWindow(), tr("Can't Play Video!"), text);
    videoLog(LogSystem::LOG_CRITICAL, "VideoImpl::attachVideo() - %s", qUtf8Printable(text));
}

QString VideoImpl::videoPath()
{
    return m_path;
}

QSize VideoImpl::videoSize(const QSize &area)
{
    const QSize stored = m_widget ? m_widget->videoSize() : QSize();
    if (stored.width() < 1 || stored.height() < 1)
        return area;
    return stored.scaled(area, Qt::KeepAspectRatio);
}

void VideoImpl::resizeVideo(const QSize &size)
{
    if (m_widget)
        m_widget->resize(size);
}

int VideoImpl::getTotalVideoLengthInSeconds()
{
    if (m_path.isEmpty() || !m_media)
        return VIDEO_NO_PATH;
    if (m_media->mediaStatus() == WinMediaService::STATUS_NO_MEDIA)
        return VIDEO_REFUSED;
    return int(m_media->duration() / 1000.0);
}

int VideoImpl::setProgressReportPeriod(int ms)
{
    videoLog(LogSystem::LOG_WARNING, "VideoImpl::setProgressReportPeriod() - Report period : %d", ms);
    return VIDEO_OK;
}

int VideoImpl::start()
{
    if (m_path.isEmpty()) {
        videoLog(LogSystem::LOG_ERROR, "VideoImpl::start() - file does not exist!!");
        return VIDEO_NO_PATH;
    }
    if (!m_media)
        attachVideo(m_path);
    if (m_media->mediaStatus() == WinMediaService::STATUS_NO_MEDIA) {
        videoLog(LogSystem::LOG_ERROR, "VideoImpl::start() - Video not available");
        return VIDEO_NO_PATH;
    }
    if (m_media->mediaState() != WinMediaService::STATE_STOPPED) {
        videoLog(LogSystem::LOG_ERROR, "VideoImpl::start() - Video not in stopped state");
        return VIDEO_WRONG_STATE;
    }
    videoLog(LogSystem::LOG_INFO, "VideoImpl::start() - Video Starting...");
    return m_media->play() ? VIDEO_OK : VIDEO_REFUSED;
}

int VideoImpl::pause()
{
    if (m_path.isEmpty() || !m_media) {
        videoLog(LogSystem::LOG_ERROR, "VideoImpl::pause() - file does not exist!!");
        return VIDEO_NO_PATH;
    }
    if (m_media->mediaStatus() == WinMediaService::STATUS_NO_MEDIA) {
        videoLog(LogSystem::LOG_ERROR, "VideoImpl::pause() - Video not available");
        return VIDEO_NO_PATH;
    }
    if (m_media->mediaState() != WinMediaService::STATE_PLAYING) {
        videoLog(LogSystem::LOG_ERROR, "VideoImpl::pause() - Video not in playing state");
        return VIDEO_WRONG_STATE;
    }
    videoLog(LogSystem::LOG_INFO, "VideoImpl::pause() - Video Pausing...");
    return m_media->pause() ? VIDEO_OK : VIDEO_REFUSED;
}

int VideoImpl::resume()
{
    if (m_path.isEmpty() || !m_media) {
        videoLog(LogSystem::LOG_ERROR, "VideoImpl::resume() - file does not exist!!");
        return VIDEO_NO_PATH;
    }
    if (m_media->mediaStatus() == WinMediaService::STATUS_NO_MEDIA) {
        videoLog(LogSystem::LOG_ERROR, "VideoImpl::resume() - Video not available");
        return VIDEO_NO_PATH;
    }
    if (m_media->mediaState() != WinMediaService::STATE_PAUSED) {
        videoLog(LogSystem::LOG_ERROR, "VideoImpl::resume() - Video not in paused state");
        return VIDEO_WRONG_STATE;
    }
    videoLog(LogSystem::LOG_INFO, "VideoImpl::resume() - Video Resuming...");
    return m_media->play() ? VIDEO_OK : VIDEO_REFUSED;
}

int VideoImpl::stop()
{
    if (m_path.isEmpty() || !m_media) {
        videoLog(LogSystem::LOG_ERROR, "VideoImpl::stop() - file does not exist!!");
        return VIDEO_NO_PATH;
    }
    if (m_media->mediaStatus() == WinMediaService::STATUS_NO_MEDIA) {
        videoLog(LogSystem::LOG_ERROR, "VideoImpl::stop() - Video not available");
        return VIDEO_NO_PATH;
    }
    if (m_media->mediaState() == WinMediaService::STATE_STOPPED) {
        videoLog(LogSystem::LOG_ERROR, "VideoImpl::stop() - Video not in playing or paused state");
        return VIDEO_WRONG_STATE;
    }
    videoLog(LogSystem::LOG_INFO, "VideoImpl::stop() - Video Stopping...");
    m_media->stop();
    return VIDEO_OK;
}

int VideoImpl::moveTo(int seconds)
{
    if (m_path.isEmpty() || !m_media) {
        videoLog(LogSystem::LOG_ERROR, "VideoImpl::moveTo() - file does not exist!!");
        return VIDEO_NO_PATH;
    }
    if (m_media->mediaStatus() == WinMediaService::STATUS_NO_MEDIA) {
        videoLog(LogSystem::LOG_ERROR, "VideoImpl::moveTo() - Video is not available");
        return VIDEO_REFUSED;
    }
    if (!m_media->isSeekable()) {
        videoLog(LogSystem::LOG_ERROR, "VideoImpl::moveTo() - Video is not seekable");
        return VIDEO_NOT_SEEKABLE;
    }
    // Compared as an unsigned number, so a negative target is out of range too.
    const quint32 targetMs = quint32(qint64(seconds) * 1000);
    const qint64 duration = m_media->duration();
    if (duration < 0 || targetMs > quint64(duration)) {
        videoLog(LogSystem::LOG_ERROR, "VideoImpl::moveTo() - Position is out of limit : %d", seconds);
        return VIDEO_OUT_OF_RANGE;
    }
    videoLog(LogSystem::LOG_INFO, "VideoImpl::moveTo() - Move position to %d", seconds);
    m_media->setPosition(targetMs);
    return VIDEO_OK;
}

int VideoImpl::getVolume()
{
    return m_media ? int((m_media->getVolume() + 10000) / 100) : 0;
}

int VideoImpl::setVolume(uint percent)
{
    if (percent > 100) {
        videoLog(LogSystem::LOG_CRITICAL, "VideoImpl::setVolume() - Volume is greater than 100");
        return VIDEO_VOLUME_TOO_HIGH;
    }
    if (m_media)
        m_media->setVolume(long(percent) * 100 - 10000);
    return VIDEO_OK;
}

uint VideoImpl::actionStatus()
{
    if (!m_file || !m_file->exists() || !m_media)
        return 0;
    const WinMediaService::MEDIA_STATUS status = m_media->mediaStatus();
    if (status == WinMediaService::STATUS_NO_MEDIA || status == WinMediaService::STATUS_INVALID)
        return 0;
    uint mask = ACTION_PLAYABLE;
    switch (m_media->mediaState()) {
    case WinMediaService::STATE_STOPPED:
        mask |= ACTION_STOPPED;
        break;
    case WinMediaService::STATE_PLAYING:
        mask |= ACTION_PLAYING | ACTION_NOT_STOPPED;
        break;
    case WinMediaService::STATE_PAUSED:
        mask |= ACTION_PAUSED | ACTION_NOT_STOPPED;
        break;
    }
    if (m_media->isSeekable() && m_media->mediaState() != WinMediaService::STATE_STOPPED)
        mask |= ACTION_SEEKABLE;
    return mask;
}

void VideoImpl::dropFpsForLoadBalance(int fps)
{
    videoLog(LogSystem::LOG_WARNING, "VideoWidget::dropFpsForLoadBalance() - fps : %d", fps);
    if (m_widget)
        m_widget->setFpsHint(fps);
}

WinMediaService *VideoImpl::mediaService() const
{
    return m_media.get();
}

void VideoImpl::positionChanged(qint64 ms)
{
    Q_EMIT progressUpdated(uint(ms / 1000.0));
}

void VideoImpl::stateChanged(WinMediaService::MEDIA_STATE state)
{
    videoLog(LogSystem::LOG_INFO, "VideoImpl::stateChanged() - State : %d", int(state));
    Q_EMIT actionStatusChanged(actionStatus());
}

void VideoImpl::mediaStatusChanged(WinMediaService::MEDIA_STATUS status)
{
    videoLog(LogSystem::LOG_INFO, "VideoImpl::mediaStatusChanged() - status : %d", int(status));
    switch (status) {
    case WinMediaService::STATUS_END_OF_MEDIA:
        videoLog(LogSystem::LOG_INFO, "VideoImpl::mediaStatusChanged() - Video Ended");
        if (m_widget)
            m_widget->clearFrame();
        Q_EMIT ended();
        return;
    case WinMediaService::STATUS_BUFFERING:
        return;
    case WinMediaService::STATUS_INVALID:
        // The player found the file unplayable after the attach had already returned. Warn from the event
        // loop, not from inside the player's signal.
        if (m_file && !m_warned)
            QMetaObject::invokeMethod(this, &VideoImpl::warnInvalid, Qt::QueuedConnection);
        break;
    default:
        break;
    }
    Q_EMIT actionStatusChanged(actionStatus());
}

void VideoImpl::releaseVideo()
{
    if (!m_media)
        return;
    m_media->stop();
    m_media->disconnect(this);
    m_media.reset();
}
