#include "ScheduleItem.h"

#include "MediaFileStore.h"
#include "SNJob.h"
#include "SNService.h"
#include "ScheduleHost.h"
#include "UploadErrorCode.h"
#include "UploadLog.h"
#include "UploadServiceBit.h"

#include <QMutexLocker>

namespace {

// The text the library gets first: the services that file uploads under an application folder or album
// take the program's name, the others nothing.
QString applicationText(int service)
{
    return service == SERVICE_PICASA || service == SERVICE_DROPBOX ? QStringLiteral("Quillo") : QString();
}

bool isKnownState(int state)
{
    return state >= JOB_QUEUED && state <= JOB_SUCCEEDED;
}

// The stream's own list reader reserves room for as many strings as the count before them says, so a
// damaged count of a few bytes asks for tens of gigabytes. The same encoding read one string at a time
// grows only with what the file really holds; like Qt's reader it leaves the list empty on a failure.
QStringList readStringList(QDataStream &stream)
{
    QStringList list;
    quint32 count = 0;
    stream >> count;
    for (quint32 i = 0; i < count && stream.status() == QDataStream::Ok; ++i) {
        QString text;
        stream >> text;
        list.append(text);
    }
    if (stream.status() != QDataStream::Ok)
        list.clear();
    return list;
}

} // namespace

ScheduleItem::ScheduleItem(ScheduleHost *host, const QString &path, int service, bool isVideo, const QDateTime &time,
                           const QString &title, const QString &author, const QString &description,
                           const QStringList &keywords)
    : m_host(host)
    , m_path(path)
    , m_service(service)
    , m_isVideo(isVideo)
    , m_time(time)
    , m_title(title)
    , m_author(author)
    , m_description(description)
    , m_keywords(keywords)
{
    connectTimers();
}

ScheduleItem::ScheduleItem(ScheduleHost *host, QDataStream &stream)
    : m_host(host)
{
    qint32 service = 0;
    qint32 state = 0;
    stream >> m_path >> service >> m_isVideo >> m_time >> m_title >> m_author >> m_description;
    m_keywords = readStringList(stream);
    stream >> state >> m_result;
    m_service = service;
    m_state = state;
    m_valid = stream.status() == QDataStream::Ok && isKnownState(m_state);
    connectTimers();
}

ScheduleItem::~ScheduleItem()
{
    m_startTimer.disconnect(this);
    m_thumbnailTimer.disconnect(this);
    m_startTimer.stop();
    m_thumbnailTimer.stop();
    // The job notices that its listener is gone and frees itself once its cancellation is out.
    if (m_job)
        m_job->cancel();
}

void ScheduleItem::connectTimers()
{
    m_startTimer.setSingleShot(true);
    connect(&m_startTimer, &QTimer::timeout, this, &ScheduleItem::startTimerFired);
    connect(&m_thumbnailTimer, &QTimer::timeout, this, &ScheduleItem::pollingThumbnail);
}

int ScheduleItem::armedInterval() const
{
    return m_startTimer.isActive() ? m_startTimer.interval() : -1;
}

void ScheduleItem::write(QDataStream &stream)
{
    QMutexLocker locker(&m_lock);
    stream << m_path << qint32(m_service) << m_isVideo << m_time << m_title << m_author << m_description << m_keywords
           << qint32(m_state) << m_result;
}

void ScheduleItem::start()
{
    QMutexLocker locker(&m_lock);
    armStart();
}

void ScheduleItem::armStart()
{
    // In milliseconds and 64 bits: seconds times 1000 in an int overflows for a job 25 days ahead.
    const qint64 remaining = m_host->currentDateTime().msecsTo(m_time);
    if (remaining <= 0) {
        m_startTimer.stop();
        startToUpload();
        return;
    }
    m_startTimer.start(int(std::min(remaining, kLongestArmMs)));
}

void ScheduleItem::startTimerFired()
{
    QMutexLocker locker(&m_lock);
    armStart();
}

void ScheduleItem::startToUpload()
{
    QMutexLocker locker(&m_lock);
    if (!isPending())
        return;
    m_state = JOB_UPLOADING;
    m_errorCode = 0;
    SNService *handle = m_host->serviceHandle(uint(m_service));
    if (!handle) {
        m_state = JOB_FAILED;
        m_errorCode = -1;
        uploadLog(LogSystem::LOG_WARNING, "ScheduleItem - %s names no known service (%d)", qUtf8Printable(m_path),
                  m_service);
        Q_EMIT failed(this);
        return;
    }
    // A job still referenced here was cancelled and its report has not come yet; it is no longer ours.
    dropJob();
    const QMap<QString, QString> extra;
    const int answer = m_isVideo ? handle->uploadVideo(applicationText(m_service), m_path, m_title, m_author,
                                                       m_description, m_keywords, extra, &m_job, this)
                                 : handle->uploadImage(applicationText(m_service), m_path, m_title, m_author,
                                                       m_description, m_keywords, extra, &m_job, this);
    if (answer < 0) {
        m_state = JOB_FAILED;
        m_errorCode = answer;
        m_job = nullptr;
        Q_EMIT failed(this);
        return;
    }
    Q_EMIT progressUpdated(this, 0);
}

void ScheduleItem::dropJob()
{
    if (m_job) {
        m_job->release();
        m_job = nullptr;
    }
}

void ScheduleItem::jobConnecting(SNJob *)
{
}

void ScheduleItem::jobWorking(SNJob *)
{
}

void ScheduleItem::uploadProgress(SNJob *job, int, int percent)
{
    if (job != m_job)
        return;
    m_state = JOB_UPLOADING;
    Q_EMIT progressUpdated(this, percent);
}

void ScheduleItem::uploadedCompleted(SNJob *job, const QString &id, const QString &url)
{
    if (job != m_job)
        return;
    dropJob();
    m_state = JOB_SUCCEEDED;
    m_result = url;
    Q_EMIT succeeded(this, id, url);
}

void ScheduleItem::jobFailed(SNJob *job, int code)
{
    if (job != m_job)
        return;
    dropJob();
    m_state = code == SN_ERR_CANCELLED ? JOB_CANCELED : JOB_FAILED;
    m_errorCode = code;
    Q_EMIT failed(this);
}

void ScheduleItem::jobCompleted(SNJob *job, const QMap<QString, QVariant> &)
{
    if (job == m_job)
        dropJob();
}

void ScheduleItem::cancel()
{
    if (!m_busy.tryLock())
        return;
    {
        QMutexLocker locker(&m_lock);
        m_startTimer.stop();
        m_time = m_host->currentDateTime();
        if (isPending()) {
            m_state = JOB_CANCELED;
            // The job stays ours until its cancellation report lets it go.
            if (m_job)
                m_job->cancel();
        }
    }
    m_busy.unlock();
}

void ScheduleItem::uploadNow()
{
    if (!m_busy.tryLock())
        return;
    {
        QMutexLocker locker(&m_lock);
        m_startTimer.stop();
        if (m_state == JOB_CANCELED || m_state == JOB_FAILED) {
            m_state = JOB_UPLOADING;
            m_time = m_host->currentDateTime();
            startToUpload();
        }
    }
    m_busy.unlock();
}

void ScheduleItem::reschedule(const QDateTime &time, const QString &title, const QString &author,
                              const QString &description, const QStringList &keywords)
{
    QMutexLocker locker(&m_lock);
    // A job the user cancelled stays cancelled, and one that succeeded is done.
    if (m_state == JOB_CANCELED || m_state == JOB_SUCCEEDED)
        return;
    m_startTimer.stop();
    if (m_job) {
        m_job->cancel();
        dropJob();
    }
    m_state = JOB_QUEUED;
    m_errorCode = 0;
    m_time = time;
    m_title = title;
    m_author = author;
    m_description = description;
    m_keywords = keywords;
    armStart();
}

QString ScheduleItem::thumbnailFile() const
{
    return MediaFileStore::getInstance()->thumbnailPath(m_path);
}

QImage ScheduleItem::thumbnail()
{
    const QImage image(thumbnailFile());
    if (!image.isNull()) {
        m_thumbnailTimer.stop();
        return image.scaled(kThumbnailSide, kThumbnailSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    pollingThumbnail();
    const QImage placeholder(m_isVideo ? QStringLiteral(":/Image/pics/MediaLib/video_thumbnail.png")
                                       : QStringLiteral(":/Image/pics/MediaLib/picture_thumbnail.png"));
    return placeholder.scaled(kThumbnailSide, kThumbnailSide, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void ScheduleItem::pollingThumbnail()
{
    if (QImage(thumbnailFile()).isNull()) {
        if (!m_thumbnailTimer.isActive())
            m_thumbnailTimer.start(kThumbnailPollMs);
        return;
    }
    m_thumbnailTimer.stop();
    Q_EMIT generateThumbnail(this);
}
