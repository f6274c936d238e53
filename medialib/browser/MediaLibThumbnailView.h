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
// It holds one reference on each entry's record, and makes an entry's tile only while the view is shown and
// the entry's row is in sight or near it, letting the tile go again once it is far out of sight: a folder of
// thousands costs a screenful of tiles. Its order follows the list view's sort model. Presses select, a second
// slow press renames, double clicks open; the file operations are shared with the list view.
class MediaLibThumbnailView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kCellSide = 100;
    // The range is reported on the next turn of the event loop, once a burst of placements is over.
    static constexpr int kRangeDelayMs = 1;
    // Tiles are made this many pages of rows beyond those in sight each way, so that a wheel notch or a page
    // step shows tiles that exist already; past kKeptPages pages they are let go. The gap between the two
    // keeps a user scrolling to and fro from making the same tiles again and again.
    static constexpr int kMadePages = 1;
    static constexpr int kKeptPages = 3;

    explicit MediaLibThumbnailView(MediaLibraryImpl *owner, QWidget *parent = nullptr);
    ~MediaLibThumbnailView() override;

    void clearThumbnails();
    void addThumbnail(MediaImpl *media);
    void setMediaList(const QList<MediaImpl *> &list);
    void removeThumbnail(const QString &path);
    void createVideoThumbnails();
    void layoutThumbnails();
    void setOffset(const int offset[2]);

    // The entries' records, in the order they were added; the view holds a reference on each.
    QList<MediaImpl *> records() const { return m_records; }
    int entryCount() const { return int(m_records.size()); }
    // The tiles that exist now, in the entries' order.
    QList<MediaThumbnailObj *> thumbnails() const;
    // The entry's tile, null while it has none.
    MediaThumbnailObj *tileOf(int entry) const { return m_tiles.value(entry); }
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
    void showEvent(QShowEvent *event) override;
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
    // The rows in sight: [first, end).
    void visibleRows(int *first, int *end) const;
    MediaThumbnailObj *makeTile(int entry);
    void dropTile(int entry);
    void forgetTile(MediaThumbnailObj *tile);
    void appendRecord(MediaImpl *media);
    void scheduleRangeUpdate();
    QString dropTarget(const QPoint &point) const;

    MediaLibraryImpl *m_owner;
    QList<MediaImpl *> m_records;
    // Per entry its tile, or null.
    QList<MediaThumbnailObj *> m_tiles;
    // The entry last pressed or dragged over: its tile, whenever made, shows it selected.
    MediaImpl *m_selectedRecord = nullptr;
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
