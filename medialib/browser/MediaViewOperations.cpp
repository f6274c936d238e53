#include "MediaViewOperations.h"

#include "BrowserLog.h"
#include "DeleteFolderDialog.h"
#include "DeleteInfoDialog.h"
#include "DriveRoot.h"
#include "MediaFileStore.h"
#include "MediaImpl.h"
#include "MessageBoxes.h"
#include "MoveFileDialog.h"

#include <QAction>
#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QPixmap>
#include <QSaveFile>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace {

const QStringList kDropSuffixes = {".jpg", ".jpeg", ".jpe", ".jfif", ".png", ".bmp", ".tiff", ".tif", ".avi", ".wmv"};
const QStringList kThumbnailSurveySuffixes = {".jpg", ".png", ".bmp", ".tiff", ".jpeg", ".avi", ".wmv"};

// Where the drag picture is held, from its top-left corner.
const QPoint kDragHotSpot(10, 10);

bool endsWithAny(const QString &path, const QStringList &suffixes)
{
    for (const QString &suffix : suffixes) {
        if (path.endsWith(suffix, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QWidget *boxParent()
{
    return QApplication::activeWindow();
}

// The record of a file with what its information file says; the caller releases it.
MediaImpl *readRecord(const QString &path)
{
    auto *record = new MediaImpl(path);
    MediaFileStore::getInstance()->readInfo(record);
    return record;
}

} // namespace

MediaViewOperations::MediaViewOperations(QWidget *view, SurveyRule rule)
    : QObject(view)
    , m_view(view)
    , m_rule(rule)
    , m_menu(new QMenu(view))
    , m_deleteAction(new QAction(tr("Delete"), view))
    , m_renameAction(new QAction(tr("Rename"), view))
    , m_newFolderAction(new QAction(tr("Add new Folder"), view))
{
    m_menu->addAction(m_deleteAction);
    m_menu->addAction(m_renameAction);
    connect(m_newFolderAction, &QAction::triggered, this, &MediaViewOperations::requestToNewFolder);
}

MediaViewOperations::~MediaViewOperations() = default;

bool MediaViewOperations::changeCurDir(const QString &path)
{
    if (!QFileInfo(path).isDir())
        return false;
    m_currentFolder = QDir(path);
    return true;
}

void MediaViewOperations::appendProtectedPath(const QString &path)
{
    m_protected.append(path);
}

void MediaViewOperations::removeProtectedPath(const QString &path)
{
    m_protected.remove(path);
}

bool MediaViewOperations::isProtected(const QString &path) const
{
    if (!m_protected.isProtected(path))
        return false;
    const QString what = QFileInfo(path).isDir() ? tr("This folder") : tr("This file");
    MessageBoxes::warning(boxParent(), tr("Warning"), what + tr(" is in use"));
    return true;
}

bool MediaViewOperations::prepareMenu(const QString &itemPath)
{
    m_renameAction->setEnabled(true);
    m_deleteAction->setEnabled(true);
    m_newFolderAction->setEnabled(false);
    return !isDriveRoot(itemPath);
}

QString MediaViewOperations::deleteQuestion(const QString &name)
{
    QString text = tr("Do you want to delete ") + QLatin1Char('"') + name + QLatin1Char('"');
    if (text.size() > kQuestionLimit)
        text = text.left(kQuestionKeep) + QStringLiteral("...\"");
    return text;
}

void MediaViewOperations::deleteRecord(MediaImpl *record, const std::function<void()> &showFileDelete)
{
    if (!record)
        return;
    const QString path = record->path();
    if (isProtected(path))
        return;
    const QFileInfo info(path);
    if (info.isSymLink()) {
        if (!QFile::remove(path))
            browserLog(LogSystem::LOG_WARNING, "MediaViewOperations - cannot remove the link %s", qUtf8Printable(path));
        return;
    }
    if (record->mediaType() == MediaImpl::TYPE_FOLDER) {
        DeleteCounts counts;
        DeleteInfoDialog countsDialog(boxParent());
        bool confirmed = false;
        bool removeLinks = false;
        if (!countFolderContents(path, counts)) {
            MessageBoxes::Request question;
            question.parent = boxParent();
            question.title = tr("Delete...");
            question.icon = QMessageBox::Information;
            question.text = deleteQuestion(info.fileName());
            question.buttons = QMessageBox::Yes | QMessageBox::No;
            question.defaultButton = QMessageBox::No;
            confirmed = MessageBoxes::exec(question) == QMessageBox::Yes;
        } else {
            countsDialog.setCounts(info.baseName(), counts.uploading, counts.nonMedia, counts.hiddenMedia,
                                   counts.uploadedBefore, counts.readOnly, counts.total);
            countsDialog.exec();
            confirmed = countsDialog.deleteConfirmed();
            removeLinks = countsDialog.removeLinks();
        }
        if (confirmed) {
            DeleteFolderDialog deleter(boxParent());
            deleter.deleteFolder(path, removeLinks);
        }
        return;
    }
    // The delete view may take the record's last other holder with it: keep it until the path is read.
    record->addRef();
    showFileDelete();
    const bool gone = !QFileInfo::exists(path);
    record->release();
    if (gone)
        Q_EMIT fileRemoved(path);
}

bool MediaViewOperations::isMediaForSurvey(const QString &path) const
{
    return endsWithAny(path, m_rule == SurveyRule::List ? kDropSuffixes : kThumbnailSurveySuffixes);
}

bool MediaViewOperations::countFolderContents(const QString &path, DeleteCounts &counts) const
{
    const QDir folder(path);
    if (!QFileInfo(path).isDir())
        return false;
    bool needsAttention = false;
    const QFileInfoList folders = folder.entryInfoList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo &sub : folders) {
        if (sub.isSymLink()) {
            // A link is removed as a link, never followed: what lies behind it is not part of this folder,
            // and a link back up the tree would never end. It is an entry that is no media file.
            ++counts.total;
            ++counts.nonMedia;
            needsAttention = true;
            continue;
        }
        if (countFolderContents(sub.absoluteFilePath(), counts))
            needsAttention = true;
    }
    const QFileInfoList files = folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo &file : files) {
        ++counts.total;
        if (!isMediaForSurvey(file.absoluteFilePath())) {
            ++counts.nonMedia;
            needsAttention = true;
            continue;
        }
        switch (uploadStatusOfFile(file.absoluteFilePath())) {
        case MediaImpl::STATUS_CHOSEN:
        case MediaImpl::STATUS_QUEUED:
            ++counts.uploading;
            needsAttention = true;
            break;
        case MediaImpl::STATUS_UPLOADED:
            ++counts.uploadedBefore;
            needsAttention = true;
            break;
        default:
            if (file.isHidden()) {
                ++counts.hiddenMedia;
                needsAttention = true;
            } else if (file.isReadable() && !file.isWritable()) {
                ++counts.readOnly;
                needsAttention = true;
            }
            break;
        }
    }
    return needsAttention;
}

int MediaViewOperations::uploadStatusOfFile(const QString &path)
{
    if (!MediaFileStore::getInstance()->hasInfoFile(path))
        return MediaImpl::STATUS_NONE;
    MediaImpl *record = readRecord(path);
    const int status = record->overallUploadStatus();
    record->release();
    return status;
}

QString MediaViewOperations::draggedPath(const QMimeData *mime)
{
    if (!mime || mime->urls().isEmpty())
        return QString();
    const QUrl url = mime->urls().constFirst();
    const QString local = url.toLocalFile();
    return local.isEmpty() ? url.toString() : local;
}

bool MediaViewOperations::acceptsDrag(const QMimeData *mime) const
{
    if (m_transferBusy || !mime || !mime->hasUrls() || mime->urls().size() != 1)
        return false;
    // A picture dragged from a web page comes as its address: there is no file to copy in.
    const QUrl url = mime->urls().constFirst();
    if (!url.isLocalFile() && !url.scheme().isEmpty())
        return false;
    return endsWithAny(draggedPath(mime).toLower(), kDropSuffixes);
}

void MediaViewOperations::dragEnter(QDragEnterEvent *event) const
{
    if (acceptsDrag(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

QMimeData *MediaViewOperations::dragData(const QString &path)
{
    auto *mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile(path)});
    return mime;
}

void MediaViewOperations::startDrag(const QString &path, const QPixmap &pixmap)
{
    auto *drag = new QDrag(m_view);
    drag->setMimeData(dragData(path));
    if (!pixmap.isNull())
        drag->setPixmap(pixmap);
    drag->setHotSpot(kDragHotSpot);
    drag->exec(Qt::CopyAction | Qt::MoveAction);
}

void MediaViewOperations::queueTransfer(const QString &source, const QString &targetFolder)
{
    m_dragSourcePath = source;
    m_dropTargetFolder = targetFolder;
}

bool MediaViewOperations::drop(QDropEvent *event, const QString &target, const QString &ownItemPath, int ownItemType)
{
    if (m_transferBusy)
        return false;
    const QMimeData *mime = event->mimeData();
    if (ownItemPath.isEmpty()) {
        if (mime && mime->hasUrls()) {
            if (mime->urls().size() > 1)
                return false;
            queueTransfer(draggedPath(mime), target);
            QTimer::singleShot(kTransferDelayMs, this, &MediaViewOperations::localCopyFile);
        }
        event->acceptProposedAction();
        return true;
    }
    const bool accepted = dropOwnItem(target, ownItemPath, ownItemType);
    if (accepted)
        event->acceptProposedAction();
    return accepted;
}

bool MediaViewOperations::dropOwnItem(const QString &target, const QString &itemPath, int itemType)
{
    MediaImpl *record = readRecord(itemPath);
    const int overall = record->overallUploadStatus();
    record->release();
    if (overall == MediaImpl::STATUS_QUEUED) {
        MessageBoxes::warning(boxParent(), tr("File error"), tr("This file is in Upload queue"));
        return true;
    }
    const QFileInfo item(itemPath);
    // The shown folder by another spelling (a folder link, "..", a doubled slash) is still its own folder:
    // asking to replace the file by itself would end in removing its only copy.
    if (item.absolutePath().compare(target, Qt::CaseInsensitive) == 0
        || MediaFileStore::isSameFile(QDir(target).filePath(item.fileName()), itemPath))
        return true;
    MediaFileStore *store = MediaFileStore::getInstance();
    if ((itemType == MediaImpl::TYPE_IMAGE && itemPath.compare(store->showingImage(), Qt::CaseInsensitive) == 0)
        || (itemType == MediaImpl::TYPE_VIDEO && itemPath.compare(store->playingVideo(), Qt::CaseInsensitive) == 0)) {
        MessageBoxes::warning(boxParent(), tr("File error"), tr("This file is in use"));
        return true;
    }
    queueTransfer(itemPath, target);
    const QFileInfo destination(QDir(target).filePath(item.fileName()));
    if (destination.exists()) {
        if (!destination.isWritable()) {
            MessageBoxes::warning(boxParent(), tr("File error"), tr("Destination file exists and is write protected"));
            return false;
        }
        MessageBoxes::Request question;
        question.parent = boxParent();
        question.title = tr("Move file");
        question.icon = QMessageBox::Information;
        question.text = tr("Destination file exists. Do you want to replace?");
        question.buttons = QMessageBox::Yes | QMessageBox::No;
        question.defaultButton = QMessageBox::No;
        if (MessageBoxes::exec(question) == QMessageBox::No)
            return false;
    }
    QTimer::singleShot(kTransferDelayMs, this, &MediaViewOperations::localMoveFile);
    return true;
}

QString MediaViewOperations::destinationFolder(const QString &target)
{
    if (QFileInfo(target).isDir())
        return QFileInfo(target).absoluteFilePath();
    const QFileInfo holder(QFileInfo(target).absolutePath());
    return holder.isDir() ? holder.absoluteFilePath() : QString();
}

bool MediaViewOperations::localCopyFile()
{
    return runTransfer(false);
}

bool MediaViewOperations::localMoveFile()
{
    return runTransfer(true);
}

bool MediaViewOperations::runTransfer(bool move)
{
    m_transferBusy = true;
    const bool done = move ? moveFile(m_dragSourcePath, m_dropTargetFolder)
                           : copyFile(m_dragSourcePath, m_dropTargetFolder);
    if (done)
        Q_EMIT fileContentChanged(m_dropTargetFolder);
    m_transferBusy = false;
    return done;
}

bool MediaViewOperations::copyFile(const QString &source, const QString &target)
{
    const QFileInfo sourceInfo(source);
    if (!sourceInfo.isFile())
        return false;
    const QString folderPath = destinationFolder(target);
    if (folderPath.isEmpty())
        return false;
    const QDir folder(folderPath);
    QString destination = folder.filePath(sourceInfo.fileName());
    for (int n = 0; destination == source || QFileInfo::exists(destination); ++n)
        destination = folder.filePath(tr("Copy%1-%2").arg(n).arg(sourceInfo.fileName()));
    // The dialog writes beside the destination and renames into place only when complete, so a failed
    // copy leaves nothing under the new name.
    auto dialog = std::make_unique<MoveFileDialog>(m_view);
    return dialog->start(source, destination, MoveFileDialog::ModeCopy);
}

bool MediaViewOperations::moveFile(const QString &source, const QString &target)
{
    const QFileInfo sourceInfo(source);
    if (!sourceInfo.isFile())
        return false;
    const QString folderPath = destinationFolder(target);
    if (folderPath.isEmpty())
        return false;
    const QString destination = QDir(folderPath).filePath(sourceInfo.fileName());
    // Onto itself by another path: already where it should be, and nothing may be removed.
    if (MediaFileStore::isSameFile(destination, source))
        return true;

    MediaFileStore *store = MediaFileStore::getInstance();
    // A folder never shown has no mirror in the cache yet; without one the information would be lost.
    store->makeCacheFolder(folderPath);
    const QString destinationInfo = store->infoFilePath(destination);
    QByteArray replacedInfo;
    bool hadInfo = false;
    if (QFileInfo::exists(destination)) {
        QFile old(destinationInfo);
        hadInfo = old.open(QIODevice::ReadOnly);
        if (hadInfo)
            replacedInfo = old.readAll();
    }

    // The information travels first, so that whoever notices the new file finds it described.
    MediaImpl *record = readRecord(source);
    record->setPath(destination);
    store->writeInfo(record);

    auto dialog = std::make_unique<MoveFileDialog>(m_view);
    const bool moved = dialog->start(source, destination, MoveFileDialog::ModeMove);
    dialog.reset();

    if (moved) {
        // The file replaced had its own picture; the moved one gets a new thumbnail.
        QFile::remove(store->thumbnailPath(destination));
        // Now that the file is there its keywords can be indexed under its new place.
        store->writeInfo(record);
        record->setPath(source);
        store->removeMediaFile(record);
    } else {
        // The dialog left the destination as it was: so is its information.
        if (hadInfo) {
            QSaveFile restore(destinationInfo);
            if (restore.open(QIODevice::WriteOnly)) {
                restore.write(replacedInfo);
                restore.commit();
            }
            MediaImpl *kept = readRecord(destination);
            store->writeInfo(kept);
            kept->release();
        } else {
            QFile::remove(destinationInfo);
            if (QFileInfo::exists(destination)) {
                MediaImpl *kept = new MediaImpl(destination);
                store->writeInfo(kept);
                kept->release();
                QFile::remove(destinationInfo);
            }
        }
    }
    record->release();
    return moved;
}

void MediaViewOperations::requestToNewFolder()
{
    Q_EMIT newFolderRequest(m_currentFolder);
}
