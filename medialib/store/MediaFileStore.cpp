#include "MediaFileStore.h"

#include "HiddenFileList.h"
#include "MediaImpl.h"
#include "MediaInfoFile.h"
#include "MediaLibraryDatabase.h"
#include "MediaLog.h"
#include "MessageBoxes.h"
#include "UploadAccess.h"
#include "UploadIntf.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSaveFile>
#include <QStandardPaths>

#include <climits>

#include <sys/stat.h>
#include <sys/statvfs.h>

namespace {

const QString kInfoSuffix = QStringLiteral(".mnfo");
const QString kThumbnailSuffix = QStringLiteral(".png");
// Names longer than this are refused before any suffix is added: the longest name common file systems
// hold.
constexpr int kMaxNameLength = 255;
// The longest name in bytes when the folder's file system does not say: what Linux file systems hold.
constexpr qint64 kDefaultNameMaxBytes = NAME_MAX;
// The side of the thumbnail this store has always made; the views make and use their own 60 x 60 ones.
constexpr int kImageThumbnailSide = 100;
const QString kForbiddenCharacters = QStringLiteral("|><?*:\\/\"");

void warn(const QString &title, const QString &text)
{
    MessageBoxes::warning(QApplication::activeWindow(), title, text);
}

// An entry is there even when it is a link whose target is gone.
bool entryExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Moves a companion to the new name. Whatever already stands at the new name belongs to a file that is
// gone, so it is dropped rather than inherited.
void moveCompanion(const QString &from, const QString &to, bool isFolder)
{
    if (isFolder)
        QDir(to).removeRecursively();
    else
        QFile::remove(to);
    if (QFileInfo::exists(from) && !QFile::rename(from, to))
        mediaLog(LogSystem::LOG_WARNING, "MediaFileStore::renameMediaFile - cannot move %s", qUtf8Printable(from));
}

// Linux limits a name in bytes of its encoded form, not in characters: 255 characters with a suffix, or
// 128 characters of most non-Latin scripts, do not fit.
bool fitsNameLimit(const QString &folder, const QString &name)
{
    struct statvfs info
    {};
    const qint64 limit = ::statvfs(QFile::encodeName(folder).constData(), &info) == 0 && info.f_namemax > 0
                             ? qint64(info.f_namemax)
                             : kDefaultNameMaxBytes;
    return QFile::encodeName(name).size() <= limit;
}

void withdrawOnline(const QMap<uint, QString> &ids)
{
    UploadIntf *upload = UploadAccess::service();
    if (!upload) {
        mediaLog(LogSystem::LOG_ERROR, "MediaFileStore - no upload service to withdraw %d online copies",
                 int(ids.size()));
        return;
    }
    upload->removeUploadedFiles(ids);
    upload->release();
}

} // namespace

MediaFileStore::MediaFileStore()
    : m_cacheRoot(cacheRootPath())
{
    if (!QDir().mkpath(m_cacheRoot))
        mediaLog(LogSystem::LOG_ERROR, "MediaFileStore - cannot create %s", qUtf8Printable(m_cacheRoot));
}

MediaFileStore *MediaFileStore::getInstance()
{
    static MediaFileStore store;
    return &store;
}

QString MediaFileStore::cacheRootPath()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    return QDir(data + QStringLiteral("/Lumo")).absolutePath();
}

QString MediaFileStore::mirrorPath(const QString &mediaPath) const
{
    // Linux paths already begin with '/'; cleanPath keeps the join to one. ':' stays: dropping it would
    // give "a:b.jpg" and "ab.jpg" one information file.
    return QDir::cleanPath(m_cacheRoot + QLatin1Char('/') + mediaPath);
}

QString MediaFileStore::infoFilePath(const QString &mediaPath) const
{
    return mirrorPath(mediaPath) + kInfoSuffix;
}

QString MediaFileStore::thumbnailPath(const QString &mediaPath) const
{
    return mirrorPath(mediaPath) + kThumbnailSuffix;
}

bool MediaFileStore::hasInfoFile(const QString &mediaPath) const
{
    return QFileInfo::exists(infoFilePath(mediaPath));
}

bool MediaFileStore::hasThumbnail(const QString &mediaPath) const
{
    return QFileInfo::exists(thumbnailPath(mediaPath));
}

void MediaFileStore::makeCacheFolder(const QString &path)
{
    const QString mirror = mirrorPath(path);
    if (QFileInfo(mirror).isDir())
        return;
    QDir().mkpath(mirror);
    HiddenFileList::markHidden(cacheRootPath());
}

bool MediaFileStore::isSameFile(const QString &a, const QString &b)
{
    struct stat first
    {};
    struct stat second
    {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0
           && ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev
           && first.st_ino == second.st_ino;
}

bool MediaFileStore::writeInfo(MediaImpl *record)
{
    if (!record)
        return false;
    QSaveFile file(infoFilePath(record->path()));
    if (!file.open(QIODevice::WriteOnly)) {
        mediaLog(LogSystem::LOG_ERROR, "MediaFileStore::writeInfo - cannot write %s: %s",
                 qUtf8Printable(file.fileName()), qUtf8Printable(file.errorString()));
        return false;
    }
    file.write(MediaInfoFile::toXml(*record));
    if (!file.commit()) {
        mediaLog(LogSystem::LOG_ERROR, "MediaFileStore::writeInfo - cannot write %s: %s",
                 qUtf8Printable(file.fileName()), qUtf8Printable(file.errorString()));
        return false;
    }
    MediaLibraryDatabase *index = MediaLibraryDatabase::getInstance();
    index->updateKeywords(record->path(), record->keywords());
    MediaLibraryDatabase::release();
    return true;
}

void MediaFileStore::readInfo(MediaImpl *record)
{
    if (!record)
        return;
    QFile file(infoFilePath(record->path()));
    if (!file.open(QIODevice::ReadOnly))
        return;
    MediaInfoFile::read(file, *record);
}

QList<std::pair<QString, QStringList>> MediaFileStore::storedKeywords()
{
    QList<std::pair<QString, QStringList>> stored;
    QDirIterator it(m_cacheRoot, {QLatin1Char('*') + kInfoSuffix}, QDir::Files | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString infoPath = it.next();
        // The mirror holds the media file's absolute path below the cache root.
        const QString mediaPath = infoPath.mid(m_cacheRoot.size()).chopped(kInfoSuffix.size());
        if (QFileInfo(mediaPath).isFile())
            stored.append({mediaPath, keywordsOf(mediaPath)});
    }
    return stored;
}

void MediaFileStore::makeImageThumbnail(MediaImpl *record)
{
    if (!record || record->mediaType() != MediaImpl::TYPE_IMAGE)
        return;
    const QImage image(record->path());
    if (image.isNull())
        return;
    image.scaled(kImageThumbnailSide, kImageThumbnailSide, Qt::IgnoreAspectRatio, Qt::FastTransformation)
        .save(thumbnailPath(record->path()));
}

void MediaFileStore::setRenameHook(RenameHook hook, void *context)
{
    m_renameHook = hook;
    m_renameHookContext = context;
}

QString MediaFileStore::busyReason(MediaImpl *record) const
{
    const int type = record->mediaType();
    const QString path = record->path();
    if ((type == MediaImpl::TYPE_IMAGE && path == m_showingImage)
        || (type == MediaImpl::TYPE_VIDEO && path == m_playingVideo))
        return QObject::tr("This file is playing");
    if (!m_thumbnailingVideo.isEmpty() && path == m_thumbnailingVideo)
        return QObject::tr("Quillo is generating thumbnail for this file");
    return QString();
}

bool MediaFileStore::isQueued(const QString &mediaPath)
{
    MediaImpl *fresh = new MediaImpl(mediaPath);
    getInstance()->readInfo(fresh);
    const bool queued = fresh->overallUploadStatus() == MediaImpl::STATUS_QUEUED;
    fresh->release();
    return queued;
}

void MediaFileStore::removeCompanions(const QString &mediaPath)
{
    QFile::remove(infoFilePath(mediaPath));
    QFile::remove(thumbnailPath(mediaPath));
    MediaLibraryDatabase *index = MediaLibraryDatabase::getInstance();
    index->removeFile(mediaPath);
    MediaLibraryDatabase::release();
}

void MediaFileStore::removeMediaFile(MediaImpl *record)
{
    if (!record)
        return;
    const QString path = record->path();
    if (!entryExists(path)) {
        removeCompanions(path);
        return;
    }
    const QString busy = busyReason(record);
    if (!busy.isEmpty()) {
        warn(QObject::tr("Remove failed"), busy);
        return;
    }
    if (isQueued(path)) {
        warn(QObject::tr("File error"), QObject::tr("This file is in upload queue"));
        return;
    }
    if (QFile::remove(path) || !entryExists(path)) {
        removeCompanions(path);
        return;
    }
    warn(QObject::tr("File error"), QObject::tr("Delete file failed.\nThis file may be read-only or in use."));
}

QStringList MediaFileStore::keywordsOf(const QString &mediaPath)
{
    MediaImpl *fresh = new MediaImpl(mediaPath);
    readInfo(fresh);
    const QStringList keywords = fresh->keywords();
    fresh->release();
    return keywords;
}

QMap<uint, QString> MediaFileStore::uploadedIds(const QString &mediaPath)
{
    MediaImpl *fresh = new MediaImpl(mediaPath);
    readInfo(fresh);
    QMap<uint, QString> ids;
    const std::pair<uint, QString> candidates[] = {{MediaImpl::SERVICE_DROPBOX, fresh->dropboxID()},
                                                   {MediaImpl::SERVICE_PICASA, fresh->picasaID()},
                                                   {MediaImpl::SERVICE_YOUTUBE, fresh->youtubeID()},
                                                   {MediaImpl::SERVICE_FACEBOOK, fresh->facebookID()},
                                                   {MediaImpl::SERVICE_TWITPIC, fresh->twitpicID()}};
    for (const auto &[service, id] : candidates) {
        if (!id.isEmpty())
            ids.insert(service, id);
    }
    fresh->release();
    return ids;
}

bool MediaFileStore::removeOnlineCopies(const QString &mediaPath)
{
    withdrawOnline(uploadedIds(mediaPath));
    return true;
}

void MediaFileStore::removeMediaFileAndLinks(MediaImpl *record, bool removeOnline)
{
    if (!record)
        return;
    // The identifiers live in the information file, which the removal deletes.
    const QMap<uint, QString> ids = removeOnline ? uploadedIds(record->path()) : QMap<uint, QString>();
    removeMediaFile(record);
    if (removeOnline && !entryExists(record->path()))
        withdrawOnline(ids);
}

bool MediaFileStore::isValidFileName(const QString &name)
{
    for (const QChar c : name) {
        if (kForbiddenCharacters.contains(c))
            return false;
    }
    return true;
}

void MediaFileStore::callRenameHook(bool after, bool refresh)
{
    if (m_renameHook)
        m_renameHook(m_renameHookContext, after, refresh);
}

void MediaFileStore::renameMediaFile(MediaImpl *record, const QString &newName, bool refresh)
{
    if (!record || newName.isEmpty())
        return;
    const QString oldPath = record->path();
    const QFileInfo old(oldPath);
    const bool isFolder = record->mediaType() == MediaImpl::TYPE_FOLDER;
    // A folder's whole name is its name; "Trip.2020" renamed to "Trip" is a real change.
    const QString currentName = isFolder ? old.fileName() : old.completeBaseName();
    if (newName.compare(currentName, Qt::CaseInsensitive) == 0)
        return;
    if (old.isSymLink() && newName.compare(old.fileName(), Qt::CaseInsensitive) == 0)
        return;
    if (!isValidFileName(newName)) {
        warn(QObject::tr("Rename failed"),
             QObject::tr("File name cannot contain following characters:\n\" / \\ : * ? < > |"));
        return;
    }
    QString target = newName;
    if (!isFolder && !old.suffix().isEmpty())
        target += QLatin1Char('.') + old.suffix();
    if (newName.size() > kMaxNameLength || !fitsNameLimit(old.absolutePath(), target)) {
        warn(QObject::tr("Rename failed"), QObject::tr("File name is limited to 255 characters in length"));
        return;
    }
    const QString busy = busyReason(record);
    if (!busy.isEmpty()) {
        warn(QObject::tr("Rename failed"), busy);
        return;
    }
    if (isQueued(oldPath)) {
        warn(QObject::tr("File error"), QObject::tr("This file is in upload queue"));
        return;
    }

    callRenameHook(false, false);
    if (!isFolder) {
        // ExistingOnly: a file that vanished meanwhile must not come back as an empty one.
        QFile probe(oldPath);
        if (!probe.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)) {
            if (entryExists(oldPath))
                warn(QObject::tr("File error"), QObject::tr("This file is in use"));
            else
                warn(QObject::tr("File error"), QObject::tr("Rename failed:\n%1").arg(probe.errorString()));
            callRenameHook(true, false);
            return;
        }
    }
    const QString newPath = old.absoluteDir().absoluteFilePath(target);
    QFile entry(oldPath);
    if (!entry.rename(newPath)) {
        warn(QObject::tr("File error"), QObject::tr("Rename failed:\n%1").arg(entry.errorString()));
        callRenameHook(true, false);
        return;
    }
    record->setPath(newPath);

    MediaLibraryDatabase *index = MediaLibraryDatabase::getInstance();
    if (isFolder)
        index->renameFolder(newPath, oldPath);
    else
        index->renameFile(newPath, oldPath, keywordsOf(oldPath));
    MediaLibraryDatabase::release();

    if (isFolder) {
        moveCompanion(mirrorPath(oldPath), mirrorPath(newPath), true);
    } else {
        moveCompanion(infoFilePath(oldPath), infoFilePath(newPath), false);
        moveCompanion(thumbnailPath(oldPath), thumbnailPath(newPath), false);
    }
    callRenameHook(true, refresh);
}
