#include "VideoThumbnailGenerator.h"

#include "BrowserLog.h"
#include "FrameGrabCallback.h"
#include "MediaFileStore.h"
#include "MediaImpl.h"
#include "ThumbnailImage.h"
#include "WinAVIRecordingImpl.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>

namespace {

// A seek lands on the frame at or just before the position asked for; frames more than this much earlier
// are the ones the player showed before it had sought.
constexpr qint64 kSeekToleranceMs = 1000;

qint64 storedDuration(const QString &path)
{
    auto *record = new MediaImpl(path);
    MediaFileStore::getInstance()->readInfo(record);
    const qint64 duration = record->duration();
    record->release();
    return duration;
}

// Stores the length unless the information file already holds one; 1 ms marks a video that was played to
// its end (or given up) without its length ever becoming known.
void storeDuration(const QString &path, qint64 ms)
{
    MediaFileStore *store = MediaFileStore::getInstance();
    auto *record = new MediaImpl(path);
    store->readInfo(record);
    if (record->duration() == 0) {
        record->setDuration(ms > 0 ? ms : 1);
        store->writeInfo(record);
    }
    record->release();
}

} // namespace

VideoThumbnailGenerator::VideoThumbnailGenerator(QObject *parent)
    : QObject(parent)
    , m_frames(new FrameGrabCallback(this))
    , m_media(new WinMediaService(this))
{
    m_frames->setFpsHint(0);
    m_media->setAudioOutputEnabled(false);
    m_deadline.setSingleShot(true);
    m_deadline.setInterval(kGiveUpMs);
    connect(&m_deadline, &QTimer::timeout, this, &VideoThumbnailGenerator::giveUp);
    m_settle.setSingleShot(true);
    m_settle.setInterval(kPauseSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &VideoThumbnailGenerator::finishVideo);
    connect(m_frames, &FrameGrabCallback::frameReady, this, &VideoThumbnailGenerator::grabVideo, Qt::QueuedConnection);
    // Queued: both may come from inside the player's own signals, and ending a video deletes that player.
    connect(m_media, &WinMediaService::mediaStateChanged, this, &VideoThumbnailGenerator::onMediaStateChanged,
            Qt::QueuedConnection);
    connect(m_media, &WinMediaService::durationChanged, this, &VideoThumbnailGenerator::onDurationChanged,
            Qt::QueuedConnection);
}

VideoThumbnailGenerator::~VideoThumbnailGenerator()
{
    m_deadline.stop();
    m_settle.stop();
    m_media->disconnect(this);
    m_frames->disconnect(this);
    closeCurrent(false);
    // The callback is deleted first among the children; the service must not hold it by then.
    m_media->releaseMedia();
}

void VideoThumbnailGenerator::createThumbnails(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    m_queue = paths;
    dropDoneVideos();
    if (!m_current.isEmpty()) {
        if (m_queue.contains(m_current)) {
            m_queue.removeAll(m_current);
            return;
        }
        closeCurrent(false);
    }
    processNextVideo();
}

bool VideoThumbnailGenerator::processNextVideo()
{
    // A call queued when the last video finished finds the next one started already by a new list.
    if (!m_current.isEmpty())
        return false;
    while (!m_queue.isEmpty()) {
        if (loadVideo(m_queue.takeFirst()))
            return true;
    }
    return false;
}

void VideoThumbnailGenerator::dropDoneVideos()
{
    const MediaFileStore *store = MediaFileStore::getInstance();
    m_queue.removeIf([store](const QString &path) { return !QFileInfo::exists(path) || store->hasThumbnail(path); });
}

void VideoThumbnailGenerator::createFolderThumbnails(const QDir &folder)
{
    if (!folder.exists())
        return;
    QStringList videos;
    const QFileInfoList entries = folder.entryInfoList({QStringLiteral("*.avi"), QStringLiteral("*.wmv")});
    for (const QFileInfo &entry : entries) {
        if (entry.fileName().contains(QLatin1String(".avi"), Qt::CaseInsensitive))
            videos.append(entry.absoluteFilePath());
    }
    createThumbnails(videos);
}

bool VideoThumbnailGenerator::loadVideo(const QString &path)
{
    // A recording still being written has no picture to show yet; it is taken once its folder changes
    // after the recording.
    if (!QFileInfo(path).isFile() || WinAVIRecordingImpl::isBeingWritten(path))
        return false;
    closeCurrent(false);
    // The media service's own synchronous probe: a file it cannot play is refused here, with status 8.
    if (!m_media->setMedia(path)) {
        browserLog(LogSystem::LOG_WARNING, "VideoThumbnailGenerator - cannot play %s", qUtf8Printable(path));
        return false;
    }
    m_current = path;
    m_frameSaved = false;
    m_earlyFrame = QImage();
    m_needsDuration = storedDuration(path) == 0;
    m_frames->clearFrame();
    m_media->setGrabberCallback(m_frames);
    MediaFileStore::getInstance()->setThumbnailingVideo(path);
    // A video shorter than the grab point, or one whose length is not known yet (a recording that was never
    // closed), is taken from its first frames.
    m_grabFromUs = m_media->setPosition(kGrabAtMs) ? (kGrabAtMs - kSeekToleranceMs) * 1000 : 0;
    m_media->play();
    m_deadline.start();
    return true;
}

void VideoThumbnailGenerator::grabVideo()
{
    if (m_current.isEmpty() || m_frameSaved)
        return;
    qint64 startUs = -1;
    const QImage frame = m_frames->timedFrame(&startUs);
    if (frame.isNull())
        return;
    if (startUs >= 0 && startUs < m_grabFromUs) {
        m_earlyFrame = frame;
        return;
    }
    saveFrame(frame);
}

void VideoThumbnailGenerator::saveFrame(const QImage &frame)
{
    m_frameSaved = true;
    m_earlyFrame = QImage();
    m_media->setGrabberCallback(nullptr);
    const QString target = MediaFileStore::getInstance()->thumbnailPath(m_current);
    if (!ThumbnailImage::save(ThumbnailImage::fitted(frame), target))
        browserLog(LogSystem::LOG_WARNING, "VideoThumbnailGenerator - cannot write %s", qUtf8Printable(target));
    // The length of a recording that was never closed arrives later, read from the whole file; until then
    // the video plays on, so that its end (or its failure) still finishes it.
    if (!m_needsDuration || m_media->duration() > 0)
        pauseAndFinish();
}

void VideoThumbnailGenerator::onMediaStateChanged()
{
    // The player stops by itself at the end of the video or when it fails on it. The service's state is read
    // now: a report queued before the present video was loaded says nothing of it.
    if (m_current.isEmpty() || m_media->mediaState() != WinMediaService::STATE_STOPPED)
        return;
    if (!m_frameSaved && !m_earlyFrame.isNull())
        saveFrame(m_earlyFrame);
    pauseAndFinish();
}

void VideoThumbnailGenerator::onDurationChanged()
{
    if (!m_current.isEmpty() && m_frameSaved && m_media->duration() > 0)
        pauseAndFinish();
}

void VideoThumbnailGenerator::giveUp()
{
    if (m_current.isEmpty())
        return;
    browserLog(LogSystem::LOG_WARNING, "VideoThumbnailGenerator - gave up on %s after %d ms", qUtf8Printable(m_current),
               kGiveUpMs);
    if (!m_frameSaved && !m_earlyFrame.isNull())
        saveFrame(m_earlyFrame);
    pauseAndFinish();
}

void VideoThumbnailGenerator::pauseAndFinish()
{
    if (m_current.isEmpty())
        return;
    if (m_media->mediaState() == WinMediaService::STATE_PLAYING)
        m_media->pause();
    m_deadline.stop();
    m_settle.start();
}

void VideoThumbnailGenerator::closeCurrent(bool done)
{
    if (m_current.isEmpty())
        return;
    const QString path = std::exchange(m_current, QString());
    m_deadline.stop();
    m_settle.stop();
    const qint64 duration = m_media->duration();
    m_media->releaseMedia();
    m_frames->clearFrame();
    m_earlyFrame = QImage();
    if (duration > 0 || done)
        storeDuration(path, duration);
    MediaFileStore *store = MediaFileStore::getInstance();
    if (store->thumbnailingVideo() == path)
        store->setThumbnailingVideo(QString());
}

void VideoThumbnailGenerator::finishVideo()
{
    if (m_current.isEmpty())
        return;
    closeCurrent(true);
    // A receiver may delete this generator (the thumbnail view replaces it when it reloads).
    const QPointer<VideoThumbnailGenerator> alive(this);
    Q_EMIT createThumbnailComplete();
    if (alive && !m_queue.isEmpty())
        QTimer::singleShot(0, this, &VideoThumbnailGenerator::processNextVideo);
}
