#pragma once

#include <QDir>
#include <QPoint>
#include <QTableView>

class MediaImpl;
class MediaLibSortFilterModel;
class MediaLibTableItemDelegate;
class MediaLibTableModel;
class MediaViewOperations;

// The list mode of the media library: a table over the list model, seen through the sort model that keeps
// folders first and names in natural order. The column and order of the user's last header click survive a
// change of folder. The file operations are shared with the thumbnail view.
class MediaLibTableView : public QTableView
{
    Q_OBJECT

public:
    explicit MediaLibTableView(QWidget *parent = nullptr);
    ~MediaLibTableView() override;

    void setModel(QAbstractItemModel *model) override;
    MediaLibTableModel *mediaModel() const { return m_model; }
    MediaLibSortFilterModel *sortModel() const { return m_sortModel; }
    MediaLibTableItemDelegate *nameDelegate() const { return m_delegate; }
    void setMenuEnabled(bool enabled) { m_menuEnabled = enabled; }
    bool menuEnabled() const { return m_menuEnabled; }
    void removeMediaRow(const QString &path);
    void appendProtectedPath(const QString &path);
    void removeProtectedPath(const QString &path);
    MediaViewOperations *operations() const { return m_operations; }
    QDir currentFolder() const;
    int storedSortColumn() const { return m_sortColumn; }
    Qt::SortOrder storedSortOrder() const { return m_sortOrder; }
    MediaImpl *pressedRecord() const { return m_pressedRecord; }

Q_SIGNALS:
    void contentChanged();
    void fileContentChanged(QString folder);
    void newFolderRequest(QDir folder);
    void fileRemoved(QString path);

public Q_SLOTS:
    void changeCurDir(const QString &path);
    void doubleClickedOnMediaLib(const QModelIndex &index);
    void clickedOnInfoCol(const QModelIndex &index);
    void onDeleteFile(const QString &path);
    void storeSortingInfo(int column);
    void doSorting();
    void renameCurObj();
    void deleteCurObj();
    void requestToNewFolder();
    void localCopyFile();
    void localMoveFile();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // The source row under a point of the viewport; -1 outside the rows.
    int sourceRowAt(const QPoint &point) const;
    MediaImpl *recordOfRow(int row) const;

    MediaLibTableModel *m_model = nullptr;
    MediaImpl *m_pressedRecord = nullptr;
    QList<QMetaObject::Connection> m_modelConnections;
    QPoint m_pressPosition;
    QModelIndex m_contextIndex;
    MediaLibSortFilterModel *m_sortModel;
    MediaLibTableItemDelegate *m_delegate;
    bool m_menuEnabled = true;
    int m_sortColumn = 0;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    MediaViewOperations *m_operations;
};
