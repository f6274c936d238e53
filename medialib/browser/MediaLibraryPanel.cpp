#include "MediaLibraryPanel.h"

#include "BrowserLog.h"
#include "CaptureIntf.h"
#include "DriveList.h"
#include "MediaFileStore.h"
#include "MediaImpl.h"
#include "MediaLibScrollArea.h"
#include "MediaLibSortFilterModel.h"
#include "MediaLibTableModel.h"
#include "MediaLibTableView.h"
#include "MediaLibThumbnailView.h"
#include "MediaLibraryDatabase.h"
#include "MediaLibraryImpl.h"
#include "MessageBoxes.h"
#include "ResizeGrip.h"
#include "SettingImpl.h"
#include "WinUSBListener.h"
#include "ui_MediaLibrary.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>
#include <QtConcurrent/QtConcurrentRun>

namespace {

const QString kModeKey = QStringLiteral("medialibrary/mode");
const QString kWidthKey = QStringLiteral("medialibrary/width");
const QString kHeightKey = QStringLiteral("medialibrary/height");

// The width the label loses to the buttons beside it, and the search edit to the buttons after it.
constexpr int kLabelMargin = 110;
constexpr int kSearchMargin = 79;
// The list view's frame within the panel: a margin on the right, the header rows above and the buttons below.
constexpr int kListWidthMargin = 27;
constexpr int kListHeightMargin = 106;
// The panel never reaches the main window's edges: it keeps this much of the parent's height free.
constexpr int kParentHeightReserve = 100;

// A record for a row of a listed entry: a file's date and size are left to be read when first shown.
MediaImpl *newRecord(const QString &path, int type)
{
    auto *media = new MediaImpl(path);
    media->setType(type);
    if (type != MediaImpl::TYPE_FOLDER) {
        media->setSize(-1);
        media->setLastModified(QDateTime());
    }
    return media;
}

QPoint fromRight(const QPoint &pos, int width)
{
    return QPoint(width - pos.x(), pos.y());
}

QPoint fromBottom(const QPoint &pos, int height)
{
    return QPoint(pos.x(), height - pos.y());
}

} // namespace

MediaLibraryPanel::MediaLibraryPanel(MediaLibraryImpl *owner, QWidget *parent, CaptureIntf *capture)
    : QWidget(parent)
    , ui(std::make_unique<Ui::MediaLibrary>())
    , m_owner(owner)
    , m_capture(capture)
{
    ui->setupUi(this);
    ui->searchButton->hide();
    setAcceptDrops(true);

    m_folderModel = std::make_unique<MediaLibTableModel>(owner);
    m_listView = new MediaLibTableView(this);
    QFont listFont = m_listView->font();
    listFont.setPointSize(11);
    m_listView->setFont(listFont);
    m_listView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listView->verticalHeader()->hide();
    m_listView->setEditTriggers(QAbstractItemView::SelectedClicked);
    m_listView->setDragEnabled(true);
    m_listView->setContextMenuPolicy(Qt::DefaultContextMenu);
    ThumbnailPair pair = makeThumbnailPair();
    m_scrollArea = pair.area;
    m_thumbnailView = std::move(pair.view);

    m_listView->setGeometry(ui->tableView->geometry());
    m_listView->setModel(m_folderModel.get());
    ui->tableView->hide();
    m_scrollArea->resize(m_listView->size());
    m_scrollArea->move(m_listView->pos());

    connect(ui->resizeBottom, &ResizeGrip::resizeRequested, this, &MediaLibraryPanel::resizeToGrip);
    // A smaller window takes the panel in with it.
    if (parent)
        parent->installEventFilter(this);

    connect(&m_folderWatch, &FolderWatch::changed, this, &MediaLibraryPanel::applyChanges);
    connect(&m_folderWatch, &FolderWatch::folderGone, this, &MediaLibraryPanel::returnPreFolder);
    connect(&m_loading, &QFutureWatcher<FolderListing>::finished, this, [this] {
        if (!m_loadingActive)
            return;
        m_loaded = m_loading.result();
        m_nextEntry = 0;
        insertNextBatch();
    });
    m_batchTimer.setSingleShot(true);
    connect(&m_batchTimer, &QTimer::timeout, this, &MediaLibraryPanel::insertNextBatch);

    SettingImpl *settings = SettingImpl::getInstance();
    const QString savePath = settings->getSavePath();
    if (!QDir(savePath).exists() && !QDir().mkpath(savePath))
        browserLog(LogSystem::LOG_ERROR, "MediaLibraryPanel - cannot create %s", qUtf8Printable(savePath));
    changeDirectory(QDir(settings->getSavePath()));
    settings->release();

    if (m_capture)
        connectCapture();
    connect(m_listView, &QAbstractItemView::doubleClicked, m_listView, &MediaLibTableView::doubleClickedOnMediaLib);
    connect(m_listView, &QAbstractItemView::clicked, m_listView, &MediaLibTableView::clickedOnInfoCol);
    connect(m_listView, &MediaLibTableView::contentChanged, this, &MediaLibraryPanel::updateFolder);
    connect(m_listView, &MediaLibTableView::fileContentChanged, this, &MediaLibraryPanel::updateFile);
    connect(m_listView, &MediaLibTableView::newFolderRequest, this, &MediaLibraryPanel::createNewFolder);
    connect(m_listView, &MediaLibTableView::fileRemoved, this, &MediaLibraryPanel::onfileRemoved);
    MediaLibThumbnailView *thumbnails = m_thumbnailView.get();
    connect(thumbnails, &MediaLibThumbnailView::newFolderRequest, this, &MediaLibraryPanel::createNewFolder);
    connect(thumbnails, &MediaLibThumbnailView::contentChanged, this, &MediaLibraryPanel::updateFolder);
    connect(thumbnails, &MediaLibThumbnailView::fileContentChanged, this, &MediaLibraryPanel::updateFile);
    connect(thumbnails, &MediaLibThumbnailView::videoThumbnailReloaded, m_folderModel.get(),
            &MediaLibTableModel::reloadVideoRecords);
    connect(ui->preBtn, &QToolButton::clicked, this, &MediaLibraryPanel::returnPreFolder);
    connect(ui->switchBtn, &QToolButton::clicked, this, &MediaLibraryPanel::changeViewMode);
    connect(ui->closeBtn, &QToolButton::clicked, owner, &MediaLibraryImpl::closeMediaLibPaenl);
    connect(ui->lineEdit, &QLineEdit::returnPressed, this, &MediaLibraryPanel::createSearchResultView);
    connect(ui->searchButton, &QToolButton::clicked, this, &MediaLibraryPanel::createSearchResultView);
    connect(ui->addFolderBtn, &QToolButton::clicked, this, &MediaLibraryPanel::createNewFolder);
    connect(ui->uploadManagerBtn, &QToolButton::clicked, owner, &MediaLibraryImpl::launchUploadManager);
    connect(this, &MediaLibraryPanel::updateRequest, this, &MediaLibraryPanel::updateFolder);

    recordAnchors();
    setToolTips();
    setMinimumSize(size());
    loadSettings();
    MediaFileStore::getInstance()->setRenameHook(&MediaLibraryPanel::onMediaRename, this);
}

void MediaLibraryPanel::connectCapture()
{
    connect(m_capture, &CaptureIntf::oneTimeLapseImageCaptured, this, &MediaLibraryPanel::addToDatabase);
    connect(m_capture, &CaptureIntf::oneTimeLapseImageCaptured, this, &MediaLibraryPanel::appendProtectedFolder);
    connect(m_capture, &CaptureIntf::timeLapseImageCaptureCompleted, this,
            qOverload<const QList<QString> &>(&MediaLibraryPanel::removeProtectedFolder));
    connect(m_capture, &CaptureIntf::timeLapseImageCaptureAborted, this,
            qOverload<const QList<QString> &>(&MediaLibraryPanel::removeProtectedFolder));
    connect(m_capture, &CaptureIntf::docCamImageCaptured, this, &MediaLibraryPanel::addToDatabase);
    connect(m_capture, &CaptureIntf::fullScreenImageCaptured, this, &MediaLibraryPanel::addToDatabase);
}

MediaLibraryPanel::~MediaLibraryPanel()
{
    storeSettings();
    cancelLoading();
    m_loading.disconnect(this);
    m_folderWatch.stopPolling();
    MediaFileStore::getInstance()->setRenameHook(nullptr, nullptr);
    // Each scroll area gives its view back when it goes; the views, the list and the models go after them.
    delete m_searchScrollArea;
    delete m_scrollArea;
    m_searchThumbnailView.reset();
    m_thumbnailView.reset();
    m_folderWatch.dropWatcher();
    delete m_listView;
    m_folderModel.reset();
    m_searchModel.reset();
    m_driveModel.reset();
    m_usbListener.reset();
    if (m_capture)
        m_capture->release();
}

MediaLibraryPanel::ThumbnailPair MediaLibraryPanel::makeThumbnailPair()
{
    auto *area = new MediaLibScrollArea(this);
    area->setPalette(QPalette(Qt::white));
    area->setScrollBarVisible(false, Qt::Horizontal);
    area->setWheelLineHeight(MediaLibThumbnailView::kCellSide);
    area->hide();
    auto view = std::make_unique<MediaLibThumbnailView>(m_owner);
    view->setContextMenuPolicy(Qt::DefaultContextMenu);
    view->setAcceptDrops(true);
    area->setWidget(view.get());
    connect(area, &MediaLibScrollArea::scrollBarValueChanged, view.get(),
            qOverload<int, Qt::Orientation>(&MediaLibThumbnailView::setOffset));
    connect(view.get(), &MediaLibThumbnailView::uiRangeChanged, area, &MediaLibScrollArea::setScrollBarRange);
    return {area, std::move(view)};
}

void MediaLibraryPanel::changeDirectory(const QDir &target)
{
    QDir dir(target);
    const QFileInfo entry(dir.absolutePath());
    if (entry.isSymLink()) {
        const QString linked = entry.symLinkTarget();
        if (QFileInfo(linked).isDir()) {
            dir = QDir(linked);
        } else {
            MessageBoxes::warning(this, QObject::tr("File error"), QObject::tr("Path does not exist"));
            dir = m_currentDir;
        }
    }
    // A folder opened from search results ends them.
    if (m_searchModel)
        leaveSearchResults();

    m_folderWatch.stopPolling();
    cancelLoading();
    const QString path = dir.absolutePath();
    if (m_listView->mediaModel() != m_folderModel.get() || m_driveRootMode) {
        dropUsbListener();
        ui->addFolderBtn->setEnabled(true);
        ui->preBtn->setEnabled(true);
        m_listView->setAcceptDrops(true);
        m_listView->setDragEnabled(true);
        m_listView->setEditTriggers(QAbstractItemView::SelectedClicked);
        m_listView->setMenuEnabled(true);
        m_listView->setContextMenuPolicy(Qt::DefaultContextMenu);
        m_thumbnailView->setContextMenuPolicy(Qt::DefaultContextMenu);
        m_thumbnailView->setAcceptDrops(true);
    }
    m_driveRootMode = false;
    MediaFileStore::getInstance()->makeCacheFolder(path);

    // The rows are sorted once when the list takes the filled model back, not once per row.
    m_listView->setModel(nullptr);
    m_folderModel->clear();
    m_thumbnailView->clearThumbnails();
    m_scrollArea->setScrollBarValue(0, Qt::Vertical);
    m_currentDir = dir;
    m_shownPath = path;
    updateLabel();
    m_folderWatch.dropWatcher();
    m_folderWatch.setFolder(path, FolderListing());
    if (FolderListing::holdsMoreThan(path, kImmediateEntries)) {
        // The list takes the empty model; the batches go into it sorted.
        m_listView->setModel(m_folderModel.get());
        m_thumbnailView->changeCurDir(path);
        m_listView->changeCurDir(path);
        m_loadingActive = true;
        m_loading.setFuture(QtConcurrent::run(&FolderListing::read, path, true));
    } else {
        const FolderListing listing = FolderListing::read(path, true);
        QList<MediaImpl *> records;
        records.reserve(listing.entries.size());
        for (const FolderListing::Entry &listed : listing.entries)
            records.append(newRecord(listed.path, listed.type));
        m_folderModel->appendRecords(records);
        for (MediaImpl *record : std::as_const(records))
            record->release();
        // The thumbnail view takes the records as they are; it makes tiles only for the rows it shows.
        m_thumbnailView->setMediaList(m_folderModel->mediaList());
        m_listView->setModel(m_folderModel.get());
        m_thumbnailView->changeCurDir(path);
        m_listView->changeCurDir(path);
        finishEntering(listing);
    }
    emit curDirChanged(path);
}

void MediaLibraryPanel::insertNextBatch()
{
    if (!m_loadingActive)
        return;
    if (m_nextEntry == m_loaded.entries.size()) {
        // The index is brought in step in a turn of its own, after the last rows are shown.
        m_loadingActive = false;
        const FolderListing listing = std::exchange(m_loaded, FolderListing());
        finishEntering(listing);
        return;
    }
    const qsizetype end = qMin(m_loaded.entries.size(), m_nextEntry + kBatchEntries);
    QList<MediaImpl *> records;
    records.reserve(end - m_nextEntry);
    for (; m_nextEntry < end; ++m_nextEntry) {
        const FolderListing::Entry &listed = m_loaded.entries.at(m_nextEntry);
        records.append(newRecord(listed.path, listed.type));
    }
    m_folderModel->appendRecords(records);
    for (MediaImpl *record : std::as_const(records)) {
        m_thumbnailView->addThumbnail(record);
        record->release();
    }
    m_thumbnailView->changeOrderFromSortModel(m_listView->sortModel());
    m_thumbnailView->layoutThumbnails();
    m_batchTimer.start(0);
}

void MediaLibraryPanel::cancelLoading()
{
    // A reading still under way finishes on the worker; its result is dropped.
    m_loadingActive = false;
    m_batchTimer.stop();
    m_loaded = FolderListing();
    m_nextEntry = 0;
}

void MediaLibraryPanel::finishEntering(const FolderListing &listing)
{
    m_thumbnailView->createVideoThumbnails();
    syncIndex(m_currentDir);
    m_folderWatch.setFolder(m_currentDir.absolutePath(), listing);
    m_folderWatch.startWatcher();
    m_thumbnailView->changeOrderFromSortModel(m_listView->sortModel());
    m_thumbnailView->layoutThumbnails();
    m_folderWatch.startPolling();
}

void MediaLibraryPanel::syncIndex(const QDir &dir)
{
    MediaLibraryDatabase *index = MediaLibraryDatabase::getInstance();
    // A watcher of its own per sync: one entered folder after another must not drop an earlier folder's
    // missing files, whose companions would then stay for good (their rows are gone already).
    auto *sync = new QFutureWatcher<QStringList>(this);
    connect(sync, &QFutureWatcher<QStringList>::finished, this, [this, sync] {
        sync->deleteLater();
        const QStringList missing = sync->result();
        for (const QString &path : missing)
            addToNonExistenceFileList(path);
        clearNonExistenceFileList();
    });
    sync->setFuture(index->syncFolderInBackground(dir));
    MediaLibraryDatabase::release();
}

bool MediaLibraryPanel::addNewEntry(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return false;
    MediaFileStore *store = MediaFileStore::getInstance();
    auto *media = new MediaImpl(path);
    int type = MediaImpl::TYPE_FOLDER;
    if (!info.isDir()) {
        store->readInfo(media);
        const QString lower = path.toLower();
        if (FolderListing::isImagePath(lower)) {
            type = MediaImpl::TYPE_IMAGE;
        } else if (FolderListing::isVideoPath(lower)) {
            type = MediaImpl::TYPE_VIDEO;
        } else {
            media->release();
            return false;
        }
        media->setSize(-1);
        media->setLastModified(QDateTime());
    }
    media->setType(type);
    if (type != MediaImpl::TYPE_FOLDER)
        store->writeInfo(media);

    // The row has a record of its own, with what the listing knows and the stored duration.
    MediaImpl *rowRecord = newRecord(path, type);
    if (type != MediaImpl::TYPE_FOLDER)
        rowRecord->setDuration(media->duration());
    m_folderModel->appendRecords({rowRecord});
    rowRecord->release();
    const int row = m_folderModel->rowCount() - 1;
    const QModelIndex shown =
        m_listView->sortModel()->mapFromSource(m_folderModel->index(row, MediaLibTableModel::ColumnType));
    if (shown.isValid()) {
        m_listView->selectRow(shown.row());
        m_listView->scrollTo(shown);
    }
    // The tile shows the row's own record, as the tiles of the folder's other entries do.
    m_thumbnailView->addThumbnail(m_folderModel->mediaList().at(row));
    // The new tile takes its place in the list's order, so both views keep showing the entries alike.
    m_thumbnailView->changeOrderFromSortModel(m_listView->sortModel());
    m_thumbnailView->layoutThumbnails();
    if (type == MediaImpl::TYPE_VIDEO)
        m_thumbnailView->createVideoThumbnails();
    media->release();
    return true;
}

void MediaLibraryPanel::updateFolder()
{
    // Search results and the drive list show no folder to bring up to date; a folder still being read is
    // read whole, and watched from that reading on.
    if (m_searchModel || m_driveRootMode || m_loadingActive)
        return;
    m_folderWatch.stopPolling();
    const FolderWatch::Changes changes =
        m_folderWatch.takeListing(FolderListing::read(m_currentDir.absolutePath(), false));
    applyChanges(changes.added, changes.removed);
    m_folderWatch.startPolling();
}

void MediaLibraryPanel::applyChanges(const QStringList &added, const QStringList &removed)
{
    if (m_searchModel || m_driveRootMode || m_loadingActive)
        return;
    for (const QString &name : added)
        addNewEntry(m_currentDir.absoluteFilePath(name));
    // Vanished entries leave in place: reloading a folder of thousands for one file took seconds.
    if (!removed.isEmpty()) {
        for (const QString &name : removed)
            removeVanishedEntry(m_currentDir.absoluteFilePath(name));
        m_thumbnailView->changeOrderFromSortModel(m_listView->sortModel());
        m_thumbnailView->layoutThumbnails();
    }
}
void MediaLibraryPanel::removeVanishedEntry(const QString &path)
{
    bool listed = false;
    bool file = false;
    for (MediaImpl *media : m_folderModel->mediaList()) {
        if (media->path() == path) {
            listed = true;
            file = media->mediaType() != MediaImpl::TYPE_FOLDER;
            break;
        }
    }
    if (!listed)
        return;
    m_listView->removeMediaRow(path);
    m_thumbnailView->removeThumbnail(path);
    // What the store keeps of a vanished file (its information, thumbnail and index rows) goes with it, as a
    // visit of the folder would find it gone and clear it.
    if (file) {
        auto *media = new MediaImpl(path);
        MediaFileStore::getInstance()->removeMediaFile(media);
        media->release();
    }
}

void MediaLibraryPanel::updateFile(const QString &path)
{
    if (m_searchModel)
        return;
    const QFileInfo info(path);
    if (!info.exists())
        return;
    const QString current = m_currentDir.absolutePath();
    const bool inView = info.isDir() ? info.absoluteFilePath() == current : info.absolutePath() == current;
    if (inView)
        changeDirectory(m_currentDir);
}

void MediaLibraryPanel::directoryChanged(const QString &path)
{
    if (QDir(path).absolutePath() == m_currentDir.absolutePath())
        updateFolder();
}

void MediaLibraryPanel::syncFileSystem()
{
    m_folderWatch.poll();
}
void MediaLibraryPanel::returnPreFolder()
{
    if (m_searchModel) {
        leaveSearchResults();
        if (!m_driveRootMode) {
            changeDirectory(m_currentDir);
            return;
        }
    }
    const QString path = m_currentDir.absolutePath();
    if (m_driveRootMode || DriveList::drives().contains(path)) {
        showDriveList();
        return;
    }
    if (m_currentDir.exists()) {
        QDir parent(m_currentDir);
        parent.cdUp();
        changeDirectory(parent);
    } else {
        showDriveList();
    }
}

void MediaLibraryPanel::showDriveList()
{
    dropUsbListener();
    m_usbListener = std::make_unique<WinUSBListener>();
    connect(m_usbListener.get(), &WinUSBListener::usbDeviceChanged, this, &MediaLibraryPanel::onUSBDeviceChanged);
    m_folderWatch.dropWatcher();
    rebuildDriveList();
    m_listView->setModel(m_driveModel.get());
    m_shownPath = tr("My Computer");
    updateLabel();
}

void MediaLibraryPanel::onUSBDeviceChanged()
{
    rebuildDriveList();
}

void MediaLibraryPanel::rebuildDriveList()
{
    m_folderWatch.stopPolling();
    cancelLoading();
    m_driveRootMode = true;
    if (!m_driveModel)
        m_driveModel = std::make_unique<MediaLibTableModel>(m_owner);
    ui->addFolderBtn->setEnabled(false);
    ui->preBtn->setEnabled(false);
    m_listView->setAcceptDrops(false);
    m_listView->setDragEnabled(false);
    m_listView->setMenuEnabled(false);
    m_listView->setContextMenuPolicy(Qt::NoContextMenu);
    m_listView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_thumbnailView->setContextMenuPolicy(Qt::NoContextMenu);
    m_thumbnailView->setAcceptDrops(false);

    m_driveModel->clear();
    m_thumbnailView->clearThumbnails();
    for (const QString &drive : DriveList::drives()) {
        auto *media = new MediaImpl(drive);
        media->setType(MediaImpl::TYPE_FOLDER);
        m_driveModel->appendRecords({media});
        m_thumbnailView->addThumbnail(media);
        media->release();
    }
    m_thumbnailView->changeOrderFromSortModel(nullptr);
    m_thumbnailView->layoutThumbnails();
}

void MediaLibraryPanel::changeViewMode()
{
    applyViewMode(m_viewMode == ThumbnailMode ? ListMode : ThumbnailMode);
}

void MediaLibraryPanel::applyViewMode(int mode)
{
    if (mode == ThumbnailMode) {
        m_viewMode = ThumbnailMode;
        m_listView->hide();
        if (m_searchModel) {
            m_scrollArea->hide();
            m_searchScrollArea->show();
            m_searchThumbnailView->changeOrderFromSortModel(m_listView->sortModel());
            m_searchThumbnailView->layoutThumbnails();
        } else {
            m_scrollArea->show();
            if (!m_driveRootMode)
                m_thumbnailView->changeOrderFromSortModel(m_listView->sortModel());
            m_thumbnailView->layoutThumbnails();
        }
        ui->switchBtn->setText(tr("List"));
    } else {
        m_viewMode = ListMode;
        m_listView->show();
        if (m_searchScrollArea)
            m_searchScrollArea->hide();
        m_scrollArea->hide();
        ui->switchBtn->setText(tr("View"));
    }
}

bool MediaLibraryPanel::addToDatabase(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    const QString lower = path.toLower();
    if (!FolderListing::isImagePath(lower) && !FolderListing::isVideoPath(lower))
        return false;
    // The index lower-cases the path itself; it needs the real one to find the file.
    MediaLibraryDatabase *index = MediaLibraryDatabase::getInstance();
    const bool added = index->addFileByPath(path, {});
    MediaLibraryDatabase::release();
    return added;
}

void MediaLibraryPanel::addToNonExistenceFileList(const QString &path)
{
    m_missingFiles.append(path);
}

void MediaLibraryPanel::clearNonExistenceFileList()
{
    while (!m_missingFiles.isEmpty())
        clearMediaFile(m_missingFiles.takeFirst());
}

void MediaLibraryPanel::clearMediaFile(const QString &path)
{
    MediaFileStore *store = MediaFileStore::getInstance();
    auto *media = new MediaImpl(path);
    store->removeMediaFile(media);
    media->release();

    // The index names a vanished file in lower case, while its companions carry the name it had: they are
    // found by their names without case, and kept while a file of that spelling is still there.
    const QFileInfo file(path);
    const QDir folder(file.absolutePath());
    const QDir mirror(store->mirrorPath(folder.absolutePath()));
    for (const QString &name : mirror.entryList(QDir::Files | QDir::Hidden, QDir::NoSort)) {
        const QString mediaName = QFileInfo(name).completeBaseName();
        if (mediaName.compare(file.fileName(), Qt::CaseInsensitive) != 0)
            continue;
        const QString mediaPath = folder.absoluteFilePath(mediaName);
        const QString companion = mirror.absoluteFilePath(name);
        if (QFileInfo(mediaPath).exists())
            continue;
        if (companion == store->infoFilePath(mediaPath) || companion == store->thumbnailPath(mediaPath))
            QFile::remove(companion);
    }
}

void MediaLibraryPanel::notificationReceived(const QString &)
{
    if (m_currentDir.absolutePath() == QLatin1String("/Volumes"))
        showDriveList();
}

void MediaLibraryPanel::createSearchResultView()
{
    const QString text = ui->lineEdit->text();
    if (text.isEmpty())
        return;
    MediaLibraryDatabase *index = MediaLibraryDatabase::getInstance();
    const QStringList found = index->searchKeywords(index->parseKeywords(text));
    MediaLibraryDatabase::release();

    m_shownPath = tr("Search result: %1").arg(text);
    m_searchText = text;
    updateLabel();
    ui->currentFolder->setToolTip(tr("Search result"));
    ui->lineEdit->clear();

    // The list may still show the results being replaced.
    if (m_listView->mediaModel() == m_searchModel.get())
        m_listView->setModel(nullptr);
    deleteSearchResults();
    ThumbnailPair pair = makeThumbnailPair();
    m_searchScrollArea = pair.area;
    m_searchThumbnailView = std::move(pair.view);
    m_searchModel = std::make_unique<MediaLibTableModel>(m_owner);
    m_searchModel->loadFiles(found);
    m_searchScrollArea->setGeometry(m_scrollArea->geometry());
    m_searchThumbnailView->setMediaList(m_searchModel->mediaList());
    m_searchThumbnailView->createVideoThumbnails();
    m_searchThumbnailView->setAcceptDrops(false);
    m_searchScrollArea->setAcceptDrops(false);
    m_scrollArea->hide();
    m_searchScrollArea->hide();
    m_searchScrollArea->setPalette(QPalette(Qt::white));
    if (m_viewMode == ThumbnailMode)
        m_searchScrollArea->show();
    const QStringList held = m_protected.paths();
    for (const QString &path : held)
        m_searchThumbnailView->appendProtectedPath(path);
    connect(m_searchThumbnailView.get(), &MediaLibThumbnailView::fileRemoved, this, &MediaLibraryPanel::onfileRemoved);

    // The list sorts the results as it takes them; the tiles take that order.
    m_listView->setModel(m_searchModel.get());
    m_searchThumbnailView->changeOrderFromSortModel(m_listView->sortModel());
    m_searchThumbnailView->layoutThumbnails();
    m_listView->setDragDropMode(QAbstractItemView::DragOnly);
    ui->addFolderBtn->setEnabled(false);
    ui->preBtn->setEnabled(true);
}

void MediaLibraryPanel::deleteSearchResults()
{
    delete m_searchScrollArea;
    m_searchScrollArea = nullptr;
    m_searchThumbnailView.reset();
    m_searchModel.reset();
}

void MediaLibraryPanel::leaveSearchResults()
{
    ui->currentFolder->setToolTip(tr("Current directory path"));
    if (!m_searchModel)
        return;
    m_listView->setModel(m_folderModel.get());
    deleteSearchResults();
    m_listView->setDragDropMode(QAbstractItemView::DragDrop);
    ui->addFolderBtn->setEnabled(true);
    ui->preBtn->setEnabled(true);
    m_shownPath = m_currentDir.absolutePath();
    updateLabel();
    if (m_viewMode == ThumbnailMode) {
        m_scrollArea->show();
        m_thumbnailView->layoutThumbnails();
    }
}

void MediaLibraryPanel::onfileRemoved(const QString &path)
{
    if (!m_searchModel)
        return;
    m_listView->removeMediaRow(path);
    if (m_searchThumbnailView) {
        m_searchThumbnailView->removeThumbnail(path);
        m_searchThumbnailView->changeOrderFromSortModel(m_listView->sortModel());
        m_searchThumbnailView->layoutThumbnails();
    }
}

void MediaLibraryPanel::createNewFolder()
{
    if (m_driveRootMode || !m_currentDir.exists())
        return;
    const QString first = m_currentDir.absoluteFilePath(tr("NewFolder"));
    QString candidate = first;
    for (int counter = 0; QFileInfo(candidate).isDir(); ++counter)
        candidate = QStringLiteral("%1_%2").arg(first).arg(counter);
    if (candidate.size() > kMaxPathLength) {
        MessageBoxes::warning(this, tr("Error"), tr("Path is invalid"));
        return;
    }
    if (!QDir().mkpath(candidate) || !QFileInfo(candidate).isDir())
        MessageBoxes::warning(this, tr("Error"), tr("Create new folder failed"));
}

void MediaLibraryPanel::pushProtection(const QString &path, bool protect)
{
    QList<MediaLibThumbnailView *> thumbnailViews{m_thumbnailView.get()};
    if (m_searchThumbnailView)
        thumbnailViews.prepend(m_searchThumbnailView.get());
    if (protect) {
        for (MediaLibThumbnailView *view : thumbnailViews)
            view->appendProtectedPath(path);
        m_listView->appendProtectedPath(path);
    } else {
        for (MediaLibThumbnailView *view : thumbnailViews)
            view->removeProtectedPath(path);
        m_listView->removeProtectedPath(path);
    }
}

void MediaLibraryPanel::appendProtectedFolder(const QString &path)
{
    appendProtectedPath(ProtectedPaths::folderOf(path));
}

void MediaLibraryPanel::removeProtectedFolder(const QString &path)
{
    removeProtectedPath(ProtectedPaths::folderOf(path));
}

void MediaLibraryPanel::removeProtectedFolder(const QList<QString> &paths)
{
    for (const QString &path : paths)
        removeProtectedFolder(path);
}

void MediaLibraryPanel::appendProtectedPath(const QString &path)
{
    m_protected.append(path);
    pushProtection(path, true);
}

void MediaLibraryPanel::removeProtectedPath(const QString &path)
{
    m_protected.remove(path);
    pushProtection(path, false);
}

void MediaLibraryPanel::removeProtectedPath(const QList<QString> &paths)
{
    for (const QString &path : paths)
        removeProtectedPath(path);
}

bool MediaLibraryPanel::isFileProhibited(const QString &path)
{
    return path.size() > kMaxPathLength;
}

void MediaLibraryPanel::loadSettings()
{
    SettingImpl *settings = SettingImpl::getInstance();
    applyViewMode(settings->value(kModeKey).toInt());
    const int width = settings->value(kWidthKey).toInt();
    const int height = settings->value(kHeightKey).toInt();
    if (width != 0 && height != 0) {
        applyStoredSize(width, height);
    } else {
        settings->setValue(kWidthKey, this->width());
        settings->setValue(kHeightKey, this->height());
    }
    settings->release();
}

void MediaLibraryPanel::storeSettings()
{
    SettingImpl *settings = SettingImpl::getInstance();
    settings->setValue(kModeKey, m_viewMode);
    settings->setValue(kWidthKey, width());
    settings->setValue(kHeightKey, height());
    settings->release();
}

void MediaLibraryPanel::applyStoredSize(int width, int height)
{
    const QSize size = fittedSize(width, height);
    move(0, y());
    placeWithin(size, y() - (size.height() - this->height()) / 2);
}

QSize MediaLibraryPanel::fittedSize(int width, int height) const
{
    if (QWidget *parent = parentWidget()) {
        if (height >= parent->height() - (kParentHeightReserve - 1))
            height = parent->height() - kParentHeightReserve;
        width = qMin(width, parent->width());
    }
    return QSize(width, height).expandedTo(minimumSize());
}

void MediaLibraryPanel::placeWithin(const QSize &size, int y)
{
    if (QWidget *parent = parentWidget())
        y = qMax(0, qMin(y, parent->height() - size.height()));
    resize(size);
    relayout();
    update();
    move(x(), y);
}

void MediaLibraryPanel::recordAnchors()
{
    const int w = width();
    const int h = height();
    m_lineEditPos = ui->lineEdit->pos();
    m_preBtnPos = ui->preBtn->pos();
    m_currentFolderPos = ui->currentFolder->pos();
    m_listViewPos = m_listView->pos();
    m_closeBtnAnchor = fromRight(ui->closeBtn->pos(), w);
    m_switchBtnAnchor = fromRight(ui->switchBtn->pos(), w);
    m_searchButtonAnchor = fromRight(ui->searchButton->pos(), w);
    m_addFolderBtnAnchor = fromBottom(ui->addFolderBtn->pos(), h);
    m_uploadManagerBtnAnchor = fromBottom(ui->uploadManagerBtn->pos(), h);
    m_resizeBottomAnchor = QPoint(w - ui->resizeBottom->x(), h - ui->resizeBottom->y());
    m_anchorsRecorded = true;
}

void MediaLibraryPanel::setToolTips()
{
    const std::pair<QWidget *, QString> tips[] = {
        {ui->lineEdit, tr("Enter keyword to search")},
        {ui->preBtn, tr("Return to previous directory")},
        {ui->currentFolder, tr("Current directory path")},
        {ui->closeBtn, tr("Minimize Media Library panel")},
        {ui->switchBtn, tr("Switch between view/list mode")},
        {ui->searchButton, tr("Press to search from all traversed media files")},
        {ui->addFolderBtn, tr("Add new folder under current directory")},
        {ui->uploadManagerBtn, tr("Launch upload manager")},
        {ui->resizeBottom, tr("Drag to resize Media Library panel")},
    };
    for (const auto &[widget, tip] : tips) {
        widget->setToolTip(tip);
        widget->setAttribute(Qt::WA_AlwaysShowToolTips);
    }
}

void MediaLibraryPanel::relayout()
{
    const int w = width();
    const int h = height();
    ui->lineEdit->resize(w - kSearchMargin, ui->lineEdit->height());
    ui->currentFolder->resize(w - kLabelMargin, ui->currentFolder->height());
    updateLabel();
    m_listView->resize(w - kListWidthMargin, h - kListHeightMargin);
    m_scrollArea->resize(m_listView->size());
    if (m_searchScrollArea)
        m_searchScrollArea->setGeometry(m_scrollArea->geometry());
    ui->lineEdit->move(m_lineEditPos);
    ui->preBtn->move(m_preBtnPos);
    ui->currentFolder->move(m_currentFolderPos);
    m_listView->move(m_listViewPos);
    m_scrollArea->move(m_listViewPos);
    if (m_searchScrollArea)
        m_searchScrollArea->move(m_listViewPos);
    ui->closeBtn->move(fromRight(m_closeBtnAnchor, w));
    ui->switchBtn->move(fromRight(m_switchBtnAnchor, w));
    ui->searchButton->move(fromRight(m_searchButtonAnchor, w));
    ui->addFolderBtn->move(fromBottom(m_addFolderBtnAnchor, h));
    ui->uploadManagerBtn->move(fromBottom(m_uploadManagerBtnAnchor, h));
    ui->resizeBottom->move(w - m_resizeBottomAnchor.x(), h - m_resizeBottomAnchor.y());
}

void MediaLibraryPanel::updateLabel()
{
    QLabel *label = ui->currentFolder;
    QString text = m_shownPath;
    label->setText(text);
    bool cut = false;
    while (label->sizeHint().width() > label->width() && !text.isEmpty()) {
        text.chop(1);
        label->setText(text);
        cut = true;
    }
    if (cut)
        text = text.chopped(qMin(3, int(text.size()))) + QStringLiteral("...");
    label->setText(QDir::toNativeSeparators(text));
}

// The panel takes the pointer on its own area, so that it never reaches the picture behind the panel.
void MediaLibraryPanel::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void MediaLibraryPanel::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
}

void MediaLibraryPanel::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
}

bool MediaLibraryPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize && m_anchorsRecorded)
        placeWithin(fittedSize(width(), height()), y());
    return QWidget::eventFilter(watched, event);
}

void MediaLibraryPanel::resizeToGrip(const QSize &wanted)
{
    const int h = height();
    // Grows about its vertical centre, as far as the parent lets it.
    const QSize size = fittedSize(qAbs(wanted.width()), 2 * qAbs(h / 2 - wanted.height()));
    hide();
    move(0, y());
    placeWithin(size, y() - (size.height() - h) / 2);
    show();
}

void MediaLibraryPanel::paintEvent(QPaintEvent *)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}

void MediaLibraryPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // Whoever resizes the panel, its widgets follow; the form's own sizing comes before the anchors exist.
    if (m_anchorsRecorded)
        relayout();
    if (m_owner)
        m_owner->notifyWidgetResized();
}

void MediaLibraryPanel::dropUsbListener()
{
    if (m_usbListener) {
        m_usbListener->disconnect(this);
        m_usbListener.release()->deleteLater();
    }
}

void MediaLibraryPanel::onMediaRename(void *context, bool after, bool refresh)
{
    auto *panel = static_cast<MediaLibraryPanel *>(context);
    if (!after)
        panel->m_folderWatch.dropWatcher();
    else if (refresh)
        QTimer::singleShot(kRenameRefreshDelayMs, panel, &MediaLibraryPanel::updateFolder);
    else if (!panel->m_driveRootMode)
        panel->m_folderWatch.startWatcher();
}
