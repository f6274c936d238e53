#include "MediaLibTableView.h"

#include "MediaFileStore.h"
#include "MediaImpl.h"
#include "MediaLibSortFilterModel.h"
#include "MediaLibTableItemDelegate.h"
#include "MediaLibTableModel.h"
#include "MediaViewOperations.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>

#include <iterator>

namespace {

constexpr int kDragPictureSide = 50;

// Starting widths of the columns, wide enough for a typical name, the locale's short date and time, and a
// size in megabytes; the header's uniform default cuts most names and every date. The user may change them.
constexpr int kColumnWidths[] = {170, 60, 170, 80, 40, 80};

} // namespace

MediaLibTableView::MediaLibTableView(QWidget *parent)
    : QTableView(parent)
    , m_sortModel(new MediaLibSortFilterModel(nullptr))
    , m_delegate(new MediaLibTableItemDelegate(this))
    , m_operations(new MediaViewOperations(this, MediaViewOperations::SurveyRule::List))
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegateForColumn(MediaLibTableModel::ColumnName, m_delegate);
    setAcceptDrops(true);
    setEditTriggers(QAbstractItemView::SelectedClicked);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setSortingEnabled(true);
    QFont headerFont = horizontalHeader()->font();
    headerFont.setWeight(QFont::Bold);
    horizontalHeader()->setFont(headerFont);
    setStyleSheet(QStringLiteral("QHeaderView{background-color:black; color: white;}"
                                 "QHeaderView::section{background-color:black; color: white;}"));
    horizontalHeader()->setSortIndicator(m_sortColumn, m_sortOrder);
    horizontalHeader()->setSortIndicatorShown(true);
    m_sortModel->setSortCaseSensitivity(Qt::CaseInsensitive);
    connect(m_operations->deleteAction(), &QAction::triggered, this, &MediaLibTableView::deleteCurObj);
    connect(m_operations->renameAction(), &QAction::triggered, this, &MediaLibTableView::renameCurObj);
    connect(m_operations, &MediaViewOperations::fileContentChanged, this, &MediaLibTableView::fileContentChanged);
    connect(m_operations, &MediaViewOperations::newFolderRequest, this, &MediaLibTableView::newFolderRequest);
    connect(m_operations, &MediaViewOperations::fileRemoved, this, &MediaLibTableView::fileRemoved);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &MediaLibTableView::storeSortingInfo);
}

MediaLibTableView::~MediaLibTableView()
{
    QTableView::setModel(nullptr);
    delete m_sortModel;
}

void MediaLibTableView::setModel(QAbstractItemModel *model)
{
    m_pressedRecord = nullptr;
    m_contextIndex = QModelIndex();
    for (const QMetaObject::Connection &connection : std::as_const(m_modelConnections))
        disconnect(connection);
    m_modelConnections.clear();
    m_model = qobject_cast<MediaLibTableModel *>(model);
    if (m_model) {
        // The pressed record belongs to its row: a mount change or a reload while the button is held takes
        // the row, and the press with it.
        m_modelConnections.append(connect(m_model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
                                          [this](const QModelIndex &, int first, int last) {
                                              const QList<MediaImpl *> records = m_model->mediaList();
                                              for (int row = first; row <= last && row < records.size(); ++row) {
                                                  if (records.at(row) == m_pressedRecord)
                                                      m_pressedRecord = nullptr;
                                              }
                                          }));
        m_modelConnections.append(connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this,
                                          [this] { m_pressedRecord = nullptr; }));
    }
    m_sortModel->setSourceModel(model);
    const bool first = !QTableView::model();
    QTableView::setModel(m_sortModel);
    if (first) {
        for (int column = 0; column < int(std::size(kColumnWidths)); ++column)
            setColumnWidth(column, kColumnWidths[column]);
    }
    doSorting();
}

QDir MediaLibTableView::currentFolder() const
{
    return m_operations->currentFolder();
}

void MediaLibTableView::doSorting()
{
    m_sortModel->sort(m_sortColumn, m_sortOrder);
    horizontalHeader()->setSortIndicator(m_sortColumn, m_sortOrder);
}

void MediaLibTableView::storeSortingInfo(int column)
{
    m_sortOrder = horizontalHeader()->sortIndicatorOrder();
    m_sortColumn = column;
}

void MediaLibTableView::changeCurDir(const QString &path)
{
    if (QFileInfo(path).isDir()) {
        doSorting();
        m_operations->changeCurDir(path);
    }
    m_delegate->setFolderPath(currentFolder().absolutePath());
}

void MediaLibTableView::doubleClickedOnMediaLib(const QModelIndex &index)
{
    if (m_model)
        m_model->doubleClickedOnMediaLib(m_sortModel->mapToSource(index));
}

void MediaLibTableView::clickedOnInfoCol(const QModelIndex &index)
{
    if (m_model)
        m_model->clickedOnInfoCol(m_sortModel->mapToSource(index));
}

void MediaLibTableView::removeMediaRow(const QString &path)
{
    if (!m_model)
        return;
    const QList<MediaImpl *> records = m_model->mediaList();
    // Names may differ only in case here: the exact spelling wins over another one.
    qsizetype row = -1;
    for (qsizetype i = 0; i < records.size() && row < 0; ++i) {
        if (records.at(i)->path() == path)
            row = i;
    }
    for (qsizetype i = 0; i < records.size() && row < 0; ++i) {
        if (records.at(i)->path().compare(path, Qt::CaseInsensitive) == 0)
            row = i;
    }
    if (row < 0)
        return;
    // The row gives its record back itself; the rows left keep their order, so nothing is sorted again.
    m_model->removeRows(int(row), 1, QModelIndex());
}

void MediaLibTableView::onDeleteFile(const QString &path)
{
    auto *record = new MediaImpl(path);
    MediaFileStore::getInstance()->readInfo(record);
    MediaFileStore::getInstance()->removeMediaFile(record);
    record->release();
}

void MediaLibTableView::appendProtectedPath(const QString &path)
{
    m_operations->appendProtectedPath(path);
}

void MediaLibTableView::removeProtectedPath(const QString &path)
{
    m_operations->removeProtectedPath(path);
}

MediaImpl *MediaLibTableView::recordOfRow(int row) const
{
    if (!m_model || row < 0)
        return nullptr;
    const QList<MediaImpl *> records = m_model->mediaList();
    return row < records.size() ? records.at(row) : nullptr;
}

int MediaLibTableView::sourceRowAt(const QPoint &point) const
{
    if (!m_model)
        return -1;
    const QModelIndex source = m_sortModel->mapToSource(indexAt(point));
    return source.isValid() && source.row() < m_model->rowCount() ? source.row() : -1;
}

void MediaLibTableView::renameCurObj()
{
    if (!m_model || !m_contextIndex.isValid())
        return;
    MediaImpl *record = recordOfRow(m_contextIndex.row());
    if (!record || m_operations->isProtected(record->path()))
        return;
    edit(m_sortModel->mapFromSource(m_model->index(m_contextIndex.row(), MediaLibTableModel::ColumnName)));
}

void MediaLibTableView::deleteCurObj()
{
    if (!m_model || !m_contextIndex.isValid())
        return;
    MediaImpl *record = recordOfRow(m_contextIndex.row());
    MediaLibTableModel *model = m_model;
    const QModelIndex info = m_model->index(m_contextIndex.row(), MediaLibTableModel::ColumnInfo);
    m_operations->deleteRecord(record, [model, info] { model->deleteInfoCol(info); });
}

void MediaLibTableView::requestToNewFolder()
{
    m_operations->requestToNewFolder();
}

void MediaLibTableView::localCopyFile()
{
    m_operations->localCopyFile();
}

void MediaLibTableView::localMoveFile()
{
    m_operations->localMoveFile();
}

void MediaLibTableView::mousePressEvent(QMouseEvent *event)
{
    setMouseTracking(true);
    if (!m_model)
        return;
    const int row = sourceRowAt(event->position().toPoint());
    if (row < 0)
        return;
    if (event->button() == Qt::LeftButton) {
        m_pressedRecord = recordOfRow(row);
        m_pressPosition = event->position().toPoint();
    }
    QTableView::mousePressEvent(event);
}

void MediaLibTableView::mouseReleaseEvent(QMouseEvent *event)
{
    m_pressedRecord = nullptr;
    QTableView::mouseReleaseEvent(event);
}

void MediaLibTableView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton)) {
        event->accept();
        return;
    }
    if (!m_pressedRecord
        || (event->position().toPoint() - m_pressPosition).manhattanLength() < QApplication::startDragDistance()) {
        QTableView::mouseMoveEvent(event);
        return;
    }
    const QString path = m_pressedRecord->path();
    QPixmap picture(MediaFileStore::getInstance()->thumbnailPath(path));
    if (!picture.isNull())
        picture = picture.scaled(kDragPictureSide, kDragPictureSide, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    m_operations->startDrag(path, picture);
    m_pressedRecord = nullptr;
}

void MediaLibTableView::contextMenuEvent(QContextMenuEvent *event)
{
    if (!m_menuEnabled || !m_model)
        return;
    m_contextIndex = m_sortModel->mapToSource(indexAt(event->pos()));
    if (!m_contextIndex.isValid())
        return;
    m_contextIndex = m_model->index(m_contextIndex.row(), MediaLibTableModel::ColumnName);
    MediaImpl *record = recordOfRow(m_contextIndex.row());
    if (!record || !m_operations->prepareMenu(record->path()))
        return;
    m_operations->menu()->exec(event->globalPos());
}

void MediaLibTableView::dragEnterEvent(QDragEnterEvent *event)
{
    m_operations->dragEnter(event);
}

void MediaLibTableView::dragMoveEvent(QDragMoveEvent *event)
{
    event->acceptProposedAction();
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid() || index.column() != MediaLibTableModel::ColumnName)
        return;
    selectRow(index.row());
    scrollTo(index, QAbstractItemView::EnsureVisible);
    if (index.row() > 0)
        scrollTo(index.siblingAtRow(index.row() - 1), QAbstractItemView::EnsureVisible);
    if (index.row() + 1 < m_sortModel->rowCount())
        scrollTo(index.siblingAtRow(index.row() + 1), QAbstractItemView::EnsureVisible);
}

void MediaLibTableView::dropEvent(QDropEvent *event)
{
    if (m_operations->transferBusy() || !m_model)
        return;
    const QString current = currentFolder().absolutePath();
    QString target = current;
    const int row = sourceRowAt(event->position().toPoint());
    if (MediaImpl *record = recordOfRow(row)) {
        target = record->path();
        const QFileInfo info(target);
        if (info.isSymLink()) {
            const QString linked = info.symLinkTarget();
            if (!QFileInfo(linked).isDir())
                return;
            target = linked;
        }
    }
    if (!QFileInfo(target).isDir())
        target = current;
    QString ownPath;
    int ownType = MediaImpl::TYPE_UNKNOWN;
    if (m_pressedRecord) {
        ownPath = m_pressedRecord->path();
        ownType = m_pressedRecord->mediaType();
    }
    m_operations->drop(event, target, ownPath, ownType);
}
