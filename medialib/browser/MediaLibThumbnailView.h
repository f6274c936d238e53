#pragma once

#include <QDir>
#include <QList>
#include <QPoint>
#include <QWidget>

#include <memory>

class MediaImpl;
class MediaLibraryImpl;
class MediaThumbnailObj;
class MediaViewOperations;
class QSortFilterProxyModel;
class VideoThumbnailGenerator;

// The thumbnail mode of the media library: a grid of 100 x 100 tiles for the entries of a folder or a
// search result. It is not an item view; it places its tiles itself from an offset that its scroll frame
// (MediaLibScrollArea) feeds it, showing only the rows in sight once scrolled, and tells the frame its range.
// Its order follows the list view's sort model. Presses select, a second slow press renames, double clicks
// open; the file operations are shared with the list view.
class MediaLibThumbnailView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kCellSide = 100;
    // The range is reported on the next turn of the event loop, once a burst of placements is over.
    static constexpr int kRangeDelayMs = 1;

    explicit MediaLibThumbnailView(MediaLibraryImpl *owner, QWidget *parent = nullptr);
    ~MediaLibThumbnailView() override;

    void clearThumbnails();
    void addThumbnail(MediaImpl *media);
    void setMediaList(const QList<MediaImpl *> &list);
    void removeThumbnail(const QString &path);
    void createVideoThumbnails();
    void layoutThumbnails();
    void setOffset(const int offset[2]);

    QList<MediaThumbnailObj *> thumbnails() const { return m_tiles; }
    QList<int> displayOrder() const { return m_displayOrder; }
    MediaThumbnailObj *thumbnailAt(const QPoint &point) const;
    MediaViewOperations *operations() const { return m_operations; }
    QDir currentFolder() const;
    int yOffset() const { return m_yOffset; }
    VideoThumbnailGenerator *videoThumbnailGenerator() const { return m_videoThumbnailGenerator.get(); }

Q_SIGNALS:
    void contentChanged();
    void fileContentChanged(QString folder);
    void videoThumbnailReloaded();
    void newFolderRequest(QDir folder);
    void fileRemoved(QString path);
    void uiRangeChanged(int min, int max, Qt::Orientation o);

public Q_SLOTS:
    void changeCurDir(const QString &path);
    void reloadVideoThumbnails();
    void changeOrderFromSortModel(QSortFilterProxyModel *proxy);
    void changeOrderFromSortModel();
    void appendProtectedPath(const QString &path);
    void removeProtectedPath(const QString &path);
    void setOffset(int value, Qt::Orientation o);
    void renameCurObj();
    void deleteCurObj();
    void requestToNewFolder();
    void localCopyFile();
    void localMoveFile();
    void emitUIRangeChanged();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    int columns() const;
    void placeNewThumbnail(MediaThumbnailObj *tile);
    void scheduleRangeUpdate();
    QString dropTarget(const QPoint &point) const;

    MediaLibraryImpl *m_owner;
    QList<MediaThumbnailObj *> m_tiles;
    MediaThumbnailObj *m_pressedTile = nullptr;
    MediaThumbnailObj *m_lastPressedTile = nullptr;
    QPoint m_pressPosition;
    MediaThumbnailObj *m_contextTile = nullptr;
    std::unique_ptr<VideoThumbnailGenerator> m_videoThumbnailGenerator;
    QList<int> m_displayOrder;
    int m_yOffset = 0;
    int m_xOffset = 0;
    int m_lastWidth = 0;
    int m_lastHeight = 0;
    bool m_rangeUpdatePending = false;
    MediaViewOperations *m_operations;
};
