#include "MediaLibThumbnailView.h"

#include "MediaImpl.h"
#include "MediaLibraryImpl.h"
#include "MediaThumbnailObj.h"
#include "MediaViewOperations.h"
#include "ThreadManager.h"
#include "VideoThumbnailGenerator.h"

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

void MediaLibThumbnailView::clearThumbnails()
{
    m_pressedTile = nullptr;
    m_lastPressedTile = nullptr;
    m_contextTile = nullptr;
    ThreadManager *threads = ThreadManager::getInstance();
    while (threads->isRunning()) {
        threads->stop();
        threads->wait(10);
    }
    for (MediaThumbnailObj *tile : std::as_const(m_tiles)) {
        // A tile with a pending second press outlives this by up to a second; it must not linger on screen.
        tile->hide();
        tile->release();
    }
    m_tiles.clear();
    m_displayOrder.clear();
}

void MediaLibThumbnailView::placeNewThumbnail(MediaThumbnailObj *tile)
{
    const int c = columns();
    if (c == 0)
        return;
    const int n = int(m_tiles.size());
    const int x = (n % c) * kCellSide - m_xOffset;
    const int y = (n / c) * kCellSide - m_yOffset;
    QRect cell = tile->geometry();
    cell.moveCenter(QPoint((2 * x + kCellSide - 1) / 2, (2 * y + kCellSide - 1) / 2));
    tile->move(cell.topLeft());
    tile->show();
    scheduleRangeUpdate();
}

void MediaLibThumbnailView::addThumbnail(MediaImpl *media)
{
    auto *tile = new MediaThumbnailObj(media, this);
    placeNewThumbnail(tile);
    if (m_owner)
        connect(tile, &MediaThumbnailObj::requestShowMediaInfo, m_owner, &MediaLibraryImpl::showMediaInfo);
    m_tiles.append(tile);
    m_displayOrder.append(int(m_displayOrder.size()));
}

void MediaLibThumbnailView::setMediaList(const QList<MediaImpl *> &list)
{
    clearThumbnails();
    for (MediaImpl *media : list)
        addThumbnail(media);
}

void MediaLibThumbnailView::removeThumbnail(const QString &path)
{
    for (qsizetype i = 0; i < m_tiles.size(); ++i) {
        MediaThumbnailObj *tile = m_tiles.at(i);
        if (tile->media() && tile->media()->path().compare(path, Qt::CaseInsensitive) == 0) {
            m_tiles.removeAt(i);
            if (m_pressedTile == tile)
                m_pressedTile = nullptr;
            if (m_lastPressedTile == tile)
                m_lastPressedTile = nullptr;
            if (m_contextTile == tile)
                m_contextTile = nullptr;
            tile->hide();
            tile->release();
            // The order keeps one entry per tile; the caller rebuilds it from the sort model next.
            m_displayOrder.clear();
            for (int k = 0; k < m_tiles.size(); ++k)
                m_displayOrder.append(k);
            return;
        }
    }
}

void MediaLibThumbnailView::createVideoThumbnails()
{
    QStringList videos;
    for (MediaThumbnailObj *tile : std::as_const(m_tiles)) {
        if (tile->media() && tile->media()->mediaType() == MediaImpl::TYPE_VIDEO)
            videos.append(tile->media()->path());
    }
    if (videos.isEmpty())
        return;
    m_videoThumbnailGenerator = std::make_unique<VideoThumbnailGenerator>();
    connect(m_videoThumbnailGenerator.get(), &VideoThumbnailGenerator::createThumbnailComplete, this,
            &MediaLibThumbnailView::reloadVideoThumbnails);
    m_videoThumbnailGenerator->createThumbnails(videos);
    reloadVideoThumbnails();
}

void MediaLibThumbnailView::reloadVideoThumbnails()
{
    for (MediaThumbnailObj *tile : std::as_const(m_tiles))
        tile->reloadVideoThumbnail();
    Q_EMIT videoThumbnailReloaded();
}

void MediaLibThumbnailView::layoutThumbnails()
{
    const int c = columns();
    const int count = int(m_tiles.size());
    if (c == 0) {
        for (MediaThumbnailObj *tile : std::as_const(m_tiles))
            tile->hide();
    } else if (m_yOffset == 0) {
        const int first = m_xOffset / kCellSide;
        const int last = int(std::ceil(double(width()) / kCellSide)) + first;
        for (int i = 0; i < count; ++i) {
            MediaThumbnailObj *tile = m_tiles.at(m_displayOrder.value(i, i));
            const int column = i % c;
            if (column < first || column > last) {
                tile->hide();
                continue;
            }
            tile->move(column * kCellSide - m_xOffset, (i / c) * kCellSide);
            tile->show();
        }
    } else {
        const int firstShown = (m_yOffset / kCellSide) * c;
        const int end = int(std::ceil(double(m_yOffset + height()) / kCellSide)) * c;
        for (int i = 0; i < count; ++i) {
            MediaThumbnailObj *tile = m_tiles.at(m_displayOrder.value(i, i));
            if (i < firstShown || i >= end) {
                tile->hide();
                continue;
            }
            tile->move((i % c) * kCellSide, (i / c) * kCellSide - m_yOffset);
            tile->show();
        }
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
    const int rows = c > 0 ? int(std::ceil(double(m_tiles.size()) / c)) : 0;
    Q_EMIT uiRangeChanged(0, rows * kCellSide - height(), Qt::Vertical);
}

void MediaLibThumbnailView::changeOrderFromSortModel(QSortFilterProxyModel *proxy)
{
    m_displayOrder.resize(m_tiles.size());
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
        if (tile->isVisible() && tile->geometry().contains(point))
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

void MediaLibThumbnailView::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::OtherFocusReason);
    setMouseTracking(true);
    for (MediaThumbnailObj *tile : std::as_const(m_tiles)) {
        if (tile->isSelected()) {
            tile->setSelected(false);
            tile->update();
        }
    }
    m_pressedTile = thumbnailAt(event->position().toPoint());
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
    const QPixmap picture = QPixmap::fromImage(tile->thumbnail().scaled(
        kDragPictureSide, kDragPictureSide, Qt::IgnoreAspectRatio, Qt::FastTransformation));
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
    for (MediaThumbnailObj *tile : std::as_const(m_tiles)) {
        if (tile != under && tile->isSelected()) {
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
