#include "MediaLibThumbnailView.h"

#include "MediaImpl.h"
#include "MediaLibraryImpl.h"
#include "MediaThumbnailObj.h"
#include "MediaViewOperations.h"
#include "VideoThumbnailGenerator.h"
#include "WinMediaService.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QSortFilterProxyModel>
#include <QTimer>

#include <cmath>
#include <utility>

namespace {

// The drag picture's side.
constexpr int kDragPictureSide = 50;

} // namespace

MediaLibThumbnailView::MediaLibThumbnailView(MediaLibraryImpl *owner, QWidget *parent)
    : QWidget(parent)
    , m_owner(owner)
    , m_operations(new MediaViewOperations(this, MediaViewOperations::SurveyRule::Thumbnail))
{
    setAcceptDrops(true);
    connect(m_operations->deleteAction(), &QAction::triggered, this, &MediaLibThumbnailView::deleteCurObj);
    connect(m_operations->renameAction(), &QAction::triggered, this, &MediaLibThumbnailView::renameCurObj);
    connect(m_operations, &MediaViewOperations::fileContentChanged, this, &MediaLibThumbnailView::fileContentChanged);
    connect(m_operations, &MediaViewOperations::newFolderRequest, this, &MediaLibThumbnailView::newFolderRequest);
    connect(m_operations, &MediaViewOperations::fileRemoved, this, &MediaLibThumbnailView::fileRemoved);
}

MediaLibThumbnailView::~MediaLibThumbnailView()
{
    m_videoThumbnailGenerator.reset();
    clearThumbnails();
}

QDir MediaLibThumbnailView::currentFolder() const
{
    return m_operations->currentFolder();
}

int MediaLibThumbnailView::columns() const
{
    return width() / kCellSide;
}

QList<MediaThumbnailObj *> MediaLibThumbnailView::thumbnails() const
{
    QList<MediaThumbnailObj *> made;
    for (MediaThumbnailObj *tile : m_tiles) {
        if (tile)
            made.append(tile);
    }
    return made;
}

void MediaLibThumbnailView::forgetTile(MediaThumbnailObj *tile)
{
    if (m_pressedTile == tile)
        m_pressedTile = nullptr;
    if (m_lastPressedTile == tile)
        m_lastPressedTile = nullptr;
    if (m_contextTile == tile)
        m_contextTile = nullptr;
}

MediaThumbnailObj *MediaLibThumbnailView::makeTile(int entry)
{
    MediaImpl *media = m_records.at(entry);
    auto *tile = new MediaThumbnailObj(media, this);
    tile->setSelected(media == m_selectedRecord);
    if (media->mediaType() == MediaImpl::TYPE_VIDEO)
        tile->reloadVideoThumbnail();
    if (m_owner)
        connect(tile, &MediaThumbnailObj::requestShowMediaInfo, m_owner, &MediaLibraryImpl::showMediaInfo);
    m_tiles[entry] = tile;
    return tile;
}

void MediaLibThumbnailView::dropTile(int entry)
{
    MediaThumbnailObj *tile = std::exchange(m_tiles[entry], nullptr);
    if (!tile)
        return;
    forgetTile(tile);
    // A tile with a pending second press outlives this by up to a second; it must not linger on screen.
    tile->hide();
    tile->release();
}

void MediaLibThumbnailView::clearThumbnails()
{
    m_pressedTile = nullptr;
    m_lastPressedTile = nullptr;
    m_contextTile = nullptr;
    m_selectedRecord = nullptr;
    for (int entry = 0; entry < m_tiles.size(); ++entry)
        dropTile(entry);
    m_tiles.clear();
    for (MediaImpl *media : std::as_const(m_records))
        media->release();
    m_records.clear();
    m_displayOrder.clear();
}

void MediaLibThumbnailView::appendRecord(MediaImpl *media)
{
    media->addRef();
    m_records.append(media);
    m_tiles.append(nullptr);
    m_displayOrder.append(int(m_displayOrder.size()));
}

void MediaLibThumbnailView::visibleRows(int *first, int *end) const
{
    *first = m_yOffset / kCellSide;
    *end = int(std::ceil(double(m_yOffset + height()) / kCellSide));
}

void MediaLibThumbnailView::addThumbnail(MediaImpl *media)
{
    if (!media)
        return;
    appendRecord(media);
    scheduleRangeUpdate();
    // The new entry comes last until the sort model's order is taken; its tile is placed at once when that
    // cell is in sight or near it.
    const int c = columns();
    if (c == 0 || !isVisible())
        return;
    const int n = entryCount() - 1;
    int first = 0, end = 0;
    visibleRows(&first, &end);
    const int made = kMadePages * qMax(1, end - first);
    if (n / c < first - made || n / c >= end + made)
        return;
    MediaThumbnailObj *tile = makeTile(n);
    tile->move((n % c) * kCellSide - m_xOffset, (n / c) * kCellSide - m_yOffset);
    tile->show();
}

void MediaLibThumbnailView::setMediaList(const QList<MediaImpl *> &list)
{
    clearThumbnails();
    m_records.reserve(list.size());
    m_tiles.reserve(list.size());
    m_displayOrder.reserve(list.size());
    for (MediaImpl *media : list) {
        if (media)
            appendRecord(media);
    }
    scheduleRangeUpdate();
}

void MediaLibThumbnailView::removeThumbnail(const QString &path)
{
    for (int i = 0; i < m_records.size(); ++i) {
        MediaImpl *media = m_records.at(i);
        if (media->path().compare(path, Qt::CaseInsensitive) != 0)
            continue;
        dropTile(i);
        m_tiles.removeAt(i);
        m_records.removeAt(i);
        if (m_selectedRecord == media)
            m_selectedRecord = nullptr;
        media->release();
        // The order keeps one entry per record; the caller rebuilds it from the sort model next.
        m_displayOrder.resize(m_records.size());
        for (int k = 0; k < m_displayOrder.size(); ++k)
            m_displayOrder[k] = k;
        scheduleRangeUpdate();
        return;
    }
}

void MediaLibThumbnailView::createVideoThumbnails()
{
    QStringList videos;
    for (MediaImpl *media : std::as_const(m_records)) {
        if (media->mediaType() == MediaImpl::TYPE_VIDEO)
            videos.append(media->path());
    }
    if (videos.isEmpty())
        return;
    m_videoThumbnailGenerator = std::make_unique<VideoThumbnailGenerator>();
    connect(m_videoThumbnailGenerator.get(), &VideoThumbnailGenerator::createThumbnailComplete, this,
            &MediaLibThumbnailView::reloadVideoThumbnails);
    // Started once the media framework is loaded, off the GUI thread: entering a folder must not wait for it.
    WinMediaService::whenFrameworkLoaded(m_videoThumbnailGenerator.get(),
                                         [generator = m_videoThumbnailGenerator.get(), videos] {
                                             generator->createThumbnails(videos);
                                         });
    reloadVideoThumbnails();
}

void MediaLibThumbnailView::reloadVideoThumbnails()
{
    for (MediaThumbnailObj *tile : std::as_const(m_tiles)) {
        if (tile)
            tile->reloadVideoThumbnail();
    }
    Q_EMIT videoThumbnailReloaded();
}

void MediaLibThumbnailView::layoutThumbnails()
{
    const int c = columns();
    const int count = entryCount();
    if (c == 0 || !isVisible()) {
        for (MediaThumbnailObj *tile : std::as_const(m_tiles)) {
            if (tile)
                tile->hide();
        }
        scheduleRangeUpdate();
        update();
        return;
    }
    int firstRow = 0, endRow = 0;
    visibleRows(&firstRow, &endRow);
    const int page = qMax(1, endRow - firstRow);
    const int madeFirst = firstRow - kMadePages * page;
    const int madeEnd = endRow + kMadePages * page;
    const int keptFirst = firstRow - kKeptPages * page;
    const int keptEnd = endRow + kKeptPages * page;
    const int firstColumn = m_xOffset / kCellSide;
    const int lastColumn = int(std::ceil(double(width()) / kCellSide)) + firstColumn;
    for (int i = 0; i < count; ++i) {
        const int entry = m_displayOrder.value(i, i);
        const int row = i / c;
        const int column = i % c;
        if (row < keptFirst || row >= keptEnd) {
            dropTile(entry);
            continue;
        }
        MediaThumbnailObj *tile = m_tiles.at(entry);
        if (row < madeFirst || row >= madeEnd) {
            if (tile)
                tile->hide();
            continue;
        }
        // Scrolled to the top, the columns in sight are shown; scrolled down, the rows in sight.
        const bool shown = m_yOffset == 0 ? column >= firstColumn && column <= lastColumn
                                          : row >= firstRow && row < endRow;
        if (!shown) {
            if (tile)
                tile->hide();
            continue;
        }
        if (!tile)
            tile = makeTile(entry);
        if (m_yOffset == 0)
            tile->move(column * kCellSide - m_xOffset, row * kCellSide);
        else
            tile->move(column * kCellSide, row * kCellSide - m_yOffset);
        tile->show();
    }
    scheduleRangeUpdate();
    update();
}

void MediaLibThumbnailView::scheduleRangeUpdate()
{
    // One report for a whole burst of placements (a folder of thousands of entries is added one by one).
    if (m_rangeUpdatePending)
        return;
    m_rangeUpdatePending = true;
    QTimer::singleShot(kRangeDelayMs, this, &MediaLibThumbnailView::emitUIRangeChanged);
}

void MediaLibThumbnailView::emitUIRangeChanged()
{
    m_rangeUpdatePending = false;
    const int c = columns();
    const int rows = c > 0 ? int(std::ceil(double(m_records.size()) / c)) : 0;
    Q_EMIT uiRangeChanged(0, rows * kCellSide - height(), Qt::Vertical);
}

void MediaLibThumbnailView::changeOrderFromSortModel(QSortFilterProxyModel *proxy)
{
    m_displayOrder.resize(m_records.size());
    if (!proxy || !proxy->sourceModel()) {
        for (int i = 0; i < m_displayOrder.size(); ++i)
            m_displayOrder[i] = i;
        return;
    }
    const int column = qMax(0, proxy->sortColumn());
    QAbstractItemModel *source = proxy->sourceModel();
    for (int r = 0; r < m_displayOrder.size(); ++r) {
        const QModelIndex mapped = proxy->mapFromSource(source->index(r, column));
        if (mapped.isValid() && mapped.row() < m_displayOrder.size())
            m_displayOrder[mapped.row()] = r;
    }
}

void MediaLibThumbnailView::changeOrderFromSortModel()
{
    changeOrderFromSortModel(nullptr);
}

void MediaLibThumbnailView::setOffset(int value, Qt::Orientation o)
{
    if (o == Qt::Horizontal)
        m_xOffset = value;
    else if (o == Qt::Vertical)
        m_yOffset = value;
    layoutThumbnails();
}

void MediaLibThumbnailView::setOffset(const int offset[2])
{
    m_yOffset = offset[0];
    m_xOffset = offset[1];
    layoutThumbnails();
}

MediaThumbnailObj *MediaLibThumbnailView::thumbnailAt(const QPoint &point) const
{
    for (MediaThumbnailObj *tile : m_tiles) {
        if (tile && tile->isVisible() && tile->geometry().contains(point))
            return tile;
    }
    return nullptr;
}

void MediaLibThumbnailView::changeCurDir(const QString &path)
{
    m_operations->changeCurDir(path);
}

void MediaLibThumbnailView::appendProtectedPath(const QString &path)
{
    m_operations->appendProtectedPath(path);
}

void MediaLibThumbnailView::removeProtectedPath(const QString &path)
{
    m_operations->removeProtectedPath(path);
}

void MediaLibThumbnailView::renameCurObj()
{
    if (m_contextTile && m_contextTile->media() && !m_operations->isProtected(m_contextTile->media()->path()))
        m_contextTile->startEditing();
}

void MediaLibThumbnailView::deleteCurObj()
{
    if (!m_contextTile || !m_contextTile->media())
        return;
    MediaImpl *record = m_contextTile->media();
    MediaLibraryImpl *owner = m_owner;
    m_operations->deleteRecord(record, [owner, record] {
        if (owner)
            owner->showMediaInfoForDelete(record);
    });
}

void MediaLibThumbnailView::requestToNewFolder()
{
    m_operations->requestToNewFolder();
}

void MediaLibThumbnailView::localCopyFile()
{
    m_operations->localCopyFile();
}

void MediaLibThumbnailView::localMoveFile()
{
    m_operations->localMoveFile();
}

void MediaLibThumbnailView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Hidden (the list view shown instead), the view made no tiles.
    layoutThumbnails();
}

void MediaLibThumbnailView::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::OtherFocusReason);
    setMouseTracking(true);
    for (MediaThumbnailObj *tile : std::as_const(m_tiles)) {
        if (tile && tile->isSelected()) {
            tile->setSelected(false);
            tile->update();
        }
    }
    m_pressedTile = thumbnailAt(event->position().toPoint());
    m_selectedRecord = m_pressedTile ? m_pressedTile->media() : nullptr;
    if (m_pressedTile) {
        if (m_lastPressedTile && m_lastPressedTile != m_pressedTile)
            m_lastPressedTile->resetHittedCounter();
        m_pressedTile->setSelected(true);
        m_pressedTile->hit();
        m_pressedTile->update();
        if (event->button() == Qt::LeftButton)
            m_pressPosition = event->position().toPoint();
    }
    m_lastPressedTile = m_pressedTile;
}

void MediaLibThumbnailView::mouseReleaseEvent(QMouseEvent *)
{
    m_pressedTile = nullptr;
}

void MediaLibThumbnailView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    MediaThumbnailObj *tile = thumbnailAt(event->position().toPoint());
    if (!tile)
        return;
    tile->resetHittedCounter();
    MediaImpl *record = tile->media();
    if (!record)
        return;
    record->addRef();
    switch (record->mediaType()) {
    case MediaImpl::TYPE_VIDEO:
        if (m_owner)
            m_owner->requestPlayVideo(record);
        break;
    case MediaImpl::TYPE_FOLDER:
        tile->hide();
        if (m_owner)
            m_owner->openFolder(record);
        record->release();
        return;
    case MediaImpl::TYPE_IMAGE:
        if (m_owner)
            m_owner->requestShowImage(record->path());
        break;
    default:
        break;
    }
    record->release();
    m_lastPressedTile = tile;
}

void MediaLibThumbnailView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton) || !m_pressedTile)
        return;
    if ((event->position().toPoint() - m_pressPosition).manhattanLength() < QApplication::startDragDistance())
        return;
    MediaThumbnailObj *tile = m_pressedTile;
    const QPixmap picture = QPixmap::fromImage(tile->thumbnail().scaled(kDragPictureSide, kDragPictureSide,
                                                                        Qt::IgnoreAspectRatio, Qt::FastTransformation));
    m_operations->startDrag(tile->media()->path(), picture);
    m_pressedTile = nullptr;
}

void MediaLibThumbnailView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
}

void MediaLibThumbnailView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (height() != m_lastHeight || width() / kCellSide != m_lastWidth / kCellSide)
        layoutThumbnails();
    m_lastWidth = width();
    m_lastHeight = height();
}

void MediaLibThumbnailView::contextMenuEvent(QContextMenuEvent *event)
{
    m_contextTile = thumbnailAt(event->pos());
    if (!m_contextTile || !m_contextTile->media())
        return;
    if (!m_operations->prepareMenu(m_contextTile->media()->path()))
        return;
    m_operations->menu()->exec(event->globalPos());
}

void MediaLibThumbnailView::dragEnterEvent(QDragEnterEvent *event)
{
    m_operations->dragEnter(event);
}

void MediaLibThumbnailView::dragMoveEvent(QDragMoveEvent *event)
{
    event->acceptProposedAction();
    MediaThumbnailObj *under = thumbnailAt(event->position().toPoint());
    m_selectedRecord = under ? under->media() : nullptr;
    for (MediaThumbnailObj *tile : std::as_const(m_tiles)) {
        if (tile && tile != under && tile->isSelected()) {
            tile->setSelected(false);
            tile->update();
        }
    }
    if (under) {
        under->setSelected(true);
        under->update();
    }
}

QString MediaLibThumbnailView::dropTarget(const QPoint &point) const
{
    const QString current = currentFolder().absolutePath();
    MediaThumbnailObj *tile = thumbnailAt(point);
    QString target = current;
    if (tile && tile->media()) {
        const QFileInfo info(tile->media()->path());
        if (info.exists() && !info.isSymLink())
            target = info.absoluteFilePath();
        else if (info.isSymLink() && QFileInfo::exists(info.symLinkTarget()))
            target = info.symLinkTarget();
    }
    return QFileInfo(target).isDir() ? target : current;
}

void MediaLibThumbnailView::dropEvent(QDropEvent *event)
{
    if (m_operations->transferBusy())
        return;
    const QString target = dropTarget(event->position().toPoint());
    QString ownPath;
    int ownType = MediaImpl::TYPE_UNKNOWN;
    if (m_pressedTile && m_pressedTile->media()) {
        ownPath = m_pressedTile->media()->path();
        ownType = m_pressedTile->media()->mediaType();
    }
    m_operations->drop(event, target, ownPath, ownType);
}
