#include "MediaLibraryImpl.h"

#include "BrowserLog.h"
#include "CaptureIntf.h"
#include "MediaFileStore.h"
#include "MediaImpl.h"
#include "MediaInfoModifiedPanel.h"
#include "MediaLibSaveResult.h"
#include "MediaLibraryPanel.h"
#include "MessageBoxes.h"
#include "SettingImpl.h"
#include "UploadAccess.h"
#include "UploadIntf.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QMutex>
#include <QMutexLocker>
#include <QTimer>

namespace {

MediaLibraryImpl *instance = nullptr;

// The jobs of a finished recording are handed to the upload service this long after the dialog closed, so
// that the recorder's last writes and the renames are settled first.
constexpr int kWaitingJobsDelayMs = 1000;

const QString kFirstPartSuffix = QStringLiteral("_1");

constexpr uint kServiceBits[] = {MediaImpl::SERVICE_YOUTUBE, MediaImpl::SERVICE_FACEBOOK, MediaImpl::SERVICE_PICASA,
                                 MediaImpl::SERVICE_TWITPIC, MediaImpl::SERVICE_DROPBOX};

// A record handed out by getMedia: it leaves the service's list when its last holder gives it back, also
// after the service itself is gone.
class CachedMedia : public MediaImpl
{
public:
    CachedMedia(const QString &path, const std::shared_ptr<QList<MediaImpl *>> &cache)
        : MediaImpl(path)
        , m_cache(cache)
    {
    }

    ~CachedMedia() override
    {
        if (const auto cache = m_cache.lock())
            cache->removeOne(this);
    }

private:
    std::weak_ptr<QList<MediaImpl *>> m_cache;
};

QString withoutFirstPartSuffix(const QString &text)
{
    return text.endsWith(kFirstPartSuffix) ? text.chopped(kFirstPartSuffix.size()) : text;
}

// Where a record keeps each service's online copy.
struct OnlineCopyFields
{
    uint service;
    QString (MediaImpl::*id)() const;
    void (MediaImpl::*setId)(const QString &);
    void (MediaImpl::*setUrl)(const QUrl &);
};

const OnlineCopyFields kOnlineCopyFields[] = {
    {MediaImpl::SERVICE_YOUTUBE, &MediaImpl::youtubeID, &MediaImpl::setYoutubeID, &MediaImpl::setYoutubeUrl},
    {MediaImpl::SERVICE_FACEBOOK, &MediaImpl::facebookID, &MediaImpl::setFacebookID, &MediaImpl::setFacebookUrl},
    {MediaImpl::SERVICE_PICASA, &MediaImpl::picasaID, &MediaImpl::setPicasaID, &MediaImpl::setPicasaUrl},
    {MediaImpl::SERVICE_TWITPIC, &MediaImpl::twitpicID, &MediaImpl::setTwitpicID, &MediaImpl::setTwitpicUrl},
    {MediaImpl::SERVICE_DROPBOX, &MediaImpl::dropboxID, &MediaImpl::setDropboxID, &MediaImpl::setDropboxUrl},
    {MediaLibSaveResult::kSchoolTubeCode, &MediaImpl::schooltubeID, &MediaImpl::setSchooltubeID,
     &MediaImpl::setSchooltubeUrl},
};

// The online copies the record names, by upload service bit.
QMap<uint, QString> onlineIds(const MediaImpl *media)
{
    QMap<uint, QString> ids;
    for (const OnlineCopyFields &fields : kOnlineCopyFields) {
        const QString id = (media->*fields.id)();
        if (fields.service != MediaLibSaveResult::kSchoolTubeCode && !id.isEmpty())
            ids.insert(fields.service, id);
    }
    return ids;
}

// Stores an online copy's identifier and address under its code; other codes change nothing.
void storeOnlineCopy(MediaImpl *media, uint service, const QString &id, const QUrl &url)
{
    for (const OnlineCopyFields &fields : kOnlineCopyFields) {
        if (fields.service == service) {
            (media->*fields.setId)(id);
            (media->*fields.setUrl)(url);
        }
    }
}

// A recorded file's record: a video whatever its name says.
MediaImpl *recordedMedia(const QString &path)
{
    auto *media = new MediaImpl(path);
    const QFileInfo info(path);
    media->setType(MediaImpl::TYPE_VIDEO);
    media->setSize(info.size());
    media->setLastModified(info.lastModified());
    return media;
}

} // namespace

MediaLibraryIntf *MediaLibraryImpl::getInstance(QWidget *parent, CaptureIntf *capture)
{
    if (instance) {
        ++instance->m_refCount;
        if (capture)
            capture->release();
    } else {
        instance = new MediaLibraryImpl(parent, capture);
    }
    return instance;
}

MediaLibraryImpl::MediaLibraryImpl(QWidget *parent, CaptureIntf *capture)
    : m_records(std::make_shared<QList<MediaImpl *>>())
{
    m_panel = new MediaLibraryPanel(this, parent, capture);
    m_saveResult = std::make_unique<MediaLibSaveResult>();

    m_upload = UploadAccess::service();
    if (!m_upload) {
        browserLog(LogSystem::LOG_WARNING, "MediaLibraryImpl - no upload service bound: outcomes are not stored");
        return;
    }
    connect(m_upload, &UploadIntf::uploadFailed, this, &MediaLibraryImpl::uploadFailed);
    connect(m_upload, &UploadIntf::uploadCancelled, this, &MediaLibraryImpl::uploadFailed);
    connect(m_upload, &UploadIntf::uploadSucceeded, this, &MediaLibraryImpl::uploadSuccess);
    connect(m_upload, &UploadIntf::uploadRetryTriggered, this, &MediaLibraryImpl::uploadRetry);
}

MediaLibraryImpl::~MediaLibraryImpl()
{
    if (m_upload)
        m_upload->release();
    m_infoDialog.reset();
    m_recordingDialog.reset();
    delete m_panel;
    for (MediaImpl *media : std::as_const(m_waiting))
        media->release();
}

void MediaLibraryImpl::release()
{
    if (--m_refCount > 0)
        return;
    instance = nullptr;
    delete this;
}

QWidget *MediaLibraryImpl::widget()
{
    return m_panel;
}

MediaIntf *MediaLibraryImpl::getMedia(const QString &path)
{
    for (MediaImpl *media : std::as_const(*m_records)) {
        if (media->path() == path) {
            media->addRef();
            return media;
        }
    }
    auto *media = new CachedMedia(path, m_records);
    m_records->append(media);
    return media;
}

MediaIntf *MediaLibraryImpl::acquireMedia(const QString &path)
{
    return getMedia(path);
}

UploadIntf *MediaLibraryImpl::upload(const char *purpose) const
{
    if (!m_upload)
        browserLog(LogSystem::LOG_WARNING, "MediaLibraryImpl - no upload service: %s", purpose);
    return m_upload;
}

void MediaLibraryImpl::requestShowImage(const QString &path)
{
    emit showImageRequested(path);
}

void MediaLibraryImpl::requestPlayVideo(MediaIntf *media)
{
    emit playVideoRequested(media);
}

void MediaLibraryImpl::showSaveFolder()
{
    if (!m_panel)
        return;
    SettingImpl *settings = SettingImpl::getInstance();
    m_panel->changeDirectory(QDir(settings->getSavePath()));
    settings->release();
}

void MediaLibraryImpl::openFolder(MediaIntf *media)
{
    if (media && m_panel)
        m_panel->changeDirectory(QDir(media->path()));
}

MediaInfoModifiedPanel *MediaLibraryImpl::infoDialog()
{
    if (!m_infoDialog)
        m_infoDialog = std::make_unique<MediaInfoModifiedPanel>();
    return m_infoDialog.get();
}

MediaInfoModifiedPanel *MediaLibraryImpl::recordingDialog()
{
    if (!m_recordingDialog)
        m_recordingDialog = std::make_unique<MediaInfoModifiedPanel>();
    return m_recordingDialog.get();
}

void MediaLibraryImpl::notifyWidgetResized()
{
    emit widgetResized();
}

void MediaLibraryImpl::showMediaInfoForDelete(MediaImpl *media)
{
    infoDialog()->setMode(MediaInfoModifiedPanel::ModePublishInformation);
    showMediaInfo(media);
    infoDialog()->setMode(MediaInfoModifiedPanel::ModePublishSetting);
}

void MediaLibraryImpl::showMediaInfo(MediaImpl *media)
{
    if (!media)
        return;
    media->addRef();
    MediaFileStore *store = MediaFileStore::getInstance();
    if (store->hasInfoFile(media->path()))
        store->readInfo(media);
    infoDialog()->loadMedia(media);
    const int result = infoDialog()->exec();
    if (result == MediaInfoModifiedPanel::ResultTrash) {
        const QString path = media->path();
        media->addRef();
        trash(media);
        if (m_panel) {
            // Search results list no folder the update would read again: the file leaves them itself.
            if (!QFileInfo::exists(path))
                m_panel->onfileRemoved(path);
            m_panel->updateFolder();
        }
    } else if (result == MediaInfoModifiedPanel::ResultSave) {
        submitUploadJob(media);
        store->writeInfo(media);
    }
    media->release();
}

void MediaLibraryImpl::trash(MediaImpl *media)
{
    // The online copies are withdrawn only once the file is really gone: a removal the store refuses (the
    // file is playing or queued) keeps the file, and with it the copies its information file names.
    const QMap<uint, QString> ids = onlineIds(media);
    MediaFileStore::getInstance()->removeMediaFile(media);
    if (!QFileInfo::exists(media->path())) {
        if (UploadIntf *service = upload("the trashed file's online copies stay"))
            service->removeUploadedFiles(ids);
    }
    media->release();
}

void MediaLibraryImpl::closeMediaLibPaenl()
{
    emit widgetClosed();
}

void MediaLibraryImpl::launchUploadManager()
{
    if (UploadIntf *service = upload("no upload manager to show"))
        service->showUploadManager();
}

void MediaLibraryImpl::processRecordedFiles(QList<QString> files)
{
    QList<MediaImpl *> records;
    for (const QString &path : std::as_const(files)) {
        // A recording whose first attempt failed leaves an empty file behind: nothing to keep or publish.
        if (QFileInfo(path).size() <= 0) {
            browserLog(LogSystem::LOG_WARNING, "MediaLibraryImpl - recorded file %s is empty or gone; skipped",
                       qUtf8Printable(path));
            continue;
        }
        records.append(recordedMedia(path));
    }
    if (records.isEmpty())
        return;

    MediaImpl *first = records.first();
    recordingDialog()->loadMedia(first, records.size() >= 2);
    const int result = recordingDialog()->exec();

    if (result == MediaInfoModifiedPanel::ResultTrash) {
        for (MediaImpl *media : std::as_const(records))
            trash(media);
        if (m_panel)
            m_panel->updateFolder();
        return;
    }

    const QString firstPath = first->path();
    const QString firstName = withoutFirstPartSuffix(QFileInfo(firstPath).completeBaseName());
    const QString firstTitle = withoutFirstPartSuffix(first->title());
    QString keywordText;
    for (const QString &keyword : first->keywords())
        keywordText += keyword + QLatin1Char(',');
    const QString author = first->author();
    const QString description = first->description();
    const QDateTime uploadTime = first->uploadTime();
    QMap<uint, int> statuses;
    for (const uint service : kServiceBits)
        statuses.insert(service, first->uploadStatus(service));

    MediaFileStore *store = MediaFileStore::getInstance();
    bool kept = true;
    for (MediaImpl *media : std::as_const(records)) {
        if (media != first) {
            const QString baseName = QFileInfo(media->path()).completeBaseName();
            const QStringList parts = baseName.split(QLatin1Char('_'), Qt::SkipEmptyParts);
            if (baseName.contains(QLatin1Char('_')) && !parts.isEmpty()) {
                const QString part = parts.last();
                media->setTitle(QStringLiteral("%1_%2").arg(firstTitle, part));
                store->renameMediaFile(media, QStringLiteral("%1_%2").arg(firstName, part), false);
            }
        }
        media->setKeywords(keywordText);
        media->setAuthor(author);
        media->setDescription(description);
        media->setUploadTime(uploadTime);
        for (auto it = statuses.cbegin(); it != statuses.cend(); ++it)
            media->setUploadStatus(it.key(), it.value());
        store->makeCacheFolder(media->path());
        const bool waits = result == MediaInfoModifiedPanel::ResultSave;
        if (waits)
            m_waiting.append(media);
        kept = store->writeInfo(media) && kept;
        if (!waits)
            media->release();
    }
    if (!kept)
        warnRecordingInfoLost();
    QTimer::singleShot(kWaitingJobsDelayMs, this, &MediaLibraryImpl::uploadWaitingJobs);
    if (m_panel)
        m_panel->updateFile(firstPath);
}

void MediaLibraryImpl::processRecordedFile(const QString &path)
{
    if (QFileInfo(path).size() <= 0) {
        browserLog(LogSystem::LOG_WARNING, "MediaLibraryImpl - recorded file %s is empty or gone; skipped",
                   qUtf8Printable(path));
        return;
    }
    MediaImpl *media = recordedMedia(path);
    recordingDialog()->loadMedia(media);
    const int result = recordingDialog()->exec();
    if (result == MediaInfoModifiedPanel::ResultTrash) {
        trash(media);
        if (m_panel)
            m_panel->updateFolder();
        return;
    }
    if (result == MediaInfoModifiedPanel::ResultSave)
        submitUploadJob(media);
    MediaFileStore *store = MediaFileStore::getInstance();
    store->makeCacheFolder(media->path());
    if (!store->writeInfo(media))
        warnRecordingInfoLost();
    if (m_panel)
        m_panel->updateFile(media->path());
    media->release();
}

void MediaLibraryImpl::warnRecordingInfoLost()
{
    MessageBoxes::warning(m_panel, QString(),
                          tr("The recording was kept, but its title, keywords and description could not be saved."));
}

void MediaLibraryImpl::uploadWaitingJobs()
{
    while (!m_waiting.isEmpty()) {
        MediaImpl *media = m_waiting.takeFirst();
        submitUploadJob(media);
        media->release();
    }
}

void MediaLibraryImpl::submitUploadJob(MediaImpl *media)
{
    QMap<uint, QDateTime> times;
    for (const uint service : kServiceBits) {
        if (media->uploadStatus(service) == MediaImpl::STATUS_CHOSEN) {
            times.insert(service, media->uploadTime());
            media->setUploadStatus(service, MediaImpl::STATUS_QUEUED);
        }
    }
    MediaFileStore::getInstance()->writeInfo(media);
    const int type = media->mediaType();
    if (type != MediaImpl::TYPE_VIDEO && type != MediaImpl::TYPE_IMAGE)
        return;
    UploadIntf *service = upload("jobs not queued");
    if (!service)
        return;
    if (type == MediaImpl::TYPE_VIDEO)
        service->queueVideoUpload(times, media->path(), media->title(), media->author(), media->description(),
                                  media->keywords());
    else
        service->queueImageUpload(times, media->path(), media->title(), media->author(), media->description(),
                                  media->keywords());
}

void MediaLibraryImpl::refreshInfoDialog(MediaImpl *media)
{
    if (m_infoDialog && m_infoDialog->isShowingFile(media->path()))
        m_infoDialog->reloadUploadState();
}

void MediaLibraryImpl::setUploadStatus(uint service, const QString &path, int status)
{
    static QMutex mutex;
    const QMutexLocker lock(&mutex);
    MediaFileStore *store = MediaFileStore::getInstance();
    auto *media = new MediaImpl(path);
    store->readInfo(media);
    media->setUploadStatus(service, status);
    store->writeInfo(media);
    refreshInfoDialog(media);
    media->release();
}

void MediaLibraryImpl::uploadRetry(uint service, const QString &path)
{
    setUploadStatus(service, path, MediaImpl::STATUS_QUEUED);
}

void MediaLibraryImpl::uploadFailed(uint service, const QString &path)
{
    setUploadStatus(service, path, MediaImpl::STATUS_NONE);
}

void MediaLibraryImpl::uploadCancel(uint service, const QString &path)
{
    setUploadStatus(service, path, MediaImpl::STATUS_NONE);
}

void MediaLibraryImpl::uploadSuccess(uint service, const QString &path, const QString &id, const QString &url)
{
    MediaFileStore *store = MediaFileStore::getInstance();
    auto *media = new MediaImpl(path);
    store->readInfo(media);
    media->setUploadStatus(service, MediaImpl::STATUS_UPLOADED);
    if (service != MediaLibSaveResult::kSchoolTubeCode)
        storeOnlineCopy(media, service, id, QUrl(url));
    store->writeInfo(media);
    refreshInfoDialog(media);
    media->release();
}

QList<UploadResult> MediaLibraryImpl::uploadNow(MediaImpl *media)
{
    QList<UploadResult> results;
    const int type = media->mediaType();
    if (type != MediaImpl::TYPE_VIDEO && type != MediaImpl::TYPE_IMAGE)
        return results;
    UploadIntf *service = upload("nothing uploaded");
    if (!service)
        return results;
    if (type == MediaImpl::TYPE_VIDEO)
        service->uploadVideoNow(media->uploadServiceMask(), media->path(), media->title(), media->author(),
                                media->description(), media->keywords(), results);
    else
        service->uploadImageNow(media->uploadServiceMask(), media->path(), media->title(), media->author(),
                                media->description(), media->keywords(), results);
    return results;
}

void MediaLibraryImpl::applyUploadResult(const UploadResult &result, MediaImpl *media)
{
    storeOnlineCopy(media, uint(result.code), result.text1, QUrl(result.text2));
}
