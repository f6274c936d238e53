#pragma once

#include "CppNotificaitonObserver.h"
#include "FolderListing.h"
#include "FolderWatch.h"
#include "ProtectedPaths.h"

#include <QDir>
#include <QFutureWatcher>
#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <memory>

class CaptureIntf;
class MediaImpl;
class MediaLibraryImpl;
class MediaLibScrollArea;
class MediaLibTableModel;
class MediaLibTableView;
class MediaLibThumbnailView;
class WinUSBListener;

namespace Ui {
class MediaLibrary;
}

// The media-library browser: one folder at a time, the drive list ("My Computer") or the results of a keyword
// search, in a list view or a thumbnail view over the same entries. It keeps the shown folder in step with the
// disk (a file-system watcher, a poll as backstop: new entries are added and vanished ones removed in place), indexes every captured image, guards the folders of a running time-lapse series, makes new
// folders and keeps its view mode and size between runs. Owned by the media-library service.
class MediaLibraryPanel : public QWidget, public CppNotificaitonObserver
{
    Q_OBJECT

public:
    enum ViewMode { ListMode = 0, ThumbnailMode = 1 };
    // The poll that backs up the watcher; it reads the folder only when the folder's time stamp moved.
    static constexpr int kSyncIntervalMs = FolderWatch::kSyncIntervalMs;
    // A folder of up to this many names is read and shown in one go, within a few milliseconds; a larger one
    // is read on a worker thread and its rows handed to the views kBatchEntries at a time, one batch per turn
    // of the event loop, so that the first screen shows at once and the window keeps answering meanwhile.
    static constexpr int kImmediateEntries = 500;
    // A batch's insertion into the sorted list costs some 20 ms at 20,000 rows on a loaded machine.
    static constexpr int kBatchEntries = 1000;
    // Longest path the library makes; Windows' limit, kept so that libraries move between systems.
    static constexpr int kMaxPathLength = 239;
    // After a rename the folder is read again once the rename's own watcher events have passed.
    static constexpr int kRenameRefreshDelayMs = 50;

    // capture: one counted reference of the capture service, which the panel gives back when it goes; null
    // (a test of the views) leaves captured files unindexed and their folders unprotected.
    MediaLibraryPanel(MediaLibraryImpl *owner, QWidget *parent, CaptureIntf *capture);
    ~MediaLibraryPanel() override;

    // Enters the folder (a link is followed to its folder) and shows it.
    void changeDirectory(const QDir &dir);
    void notificationReceived(const QString &name) override;

    MediaLibTableView *listView() const { return m_listView; }
    MediaLibThumbnailView *thumbnailView() const { return m_thumbnailView.get(); }
    MediaLibScrollArea *scrollArea() const { return m_scrollArea; }
    MediaLibThumbnailView *searchThumbnailView() const { return m_searchThumbnailView.get(); }
    MediaLibScrollArea *searchScrollArea() const { return m_searchScrollArea; }
    MediaLibTableModel *folderModel() const { return m_folderModel.get(); }
    MediaLibTableModel *searchModel() const { return m_searchModel.get(); }
    MediaLibTableModel *driveModel() const { return m_driveModel.get(); }
    QDir currentFolder() const { return m_currentDir; }
    // The current-folder label's full text: a folder's path, "My Computer" or the search title.
    QString shownPath() const { return m_shownPath; }
    int viewMode() const { return m_viewMode; }
    bool isDriveRootMode() const { return m_driveRootMode; }
    QStringList protectedPaths() const { return m_protected.paths(); }
    // True while the rows of a large folder are still being read or handed to the views.
    bool isLoading() const { return m_loadingActive; }

Q_SIGNALS:
    void curDirChanged(QString path);
    void updateRequest();

public Q_SLOTS:
    void updateFolder();
    void updateFile(const QString &path);
    bool addToDatabase(const QString &path);
    void onfileRemoved(const QString &path);
    void returnPreFolder();
    void changeViewMode();
    void directoryChanged(const QString &path);
    void createSearchResultView();
    void createNewFolder();
    void onUSBDeviceChanged();
    void syncFileSystem();
    void addToNonExistenceFileList(const QString &path);
    void clearNonExistenceFileList();
    void clearMediaFile(const QString &path);
    void appendProtectedFolder(const QString &path);
    void removeProtectedFolder(const QString &path);
    void removeProtectedFolder(const QList<QString> &paths);
    void appendProtectedPath(const QString &path);
    void removeProtectedPath(const QString &path);
    void removeProtectedPath(const QList<QString> &paths);
    bool isFileProhibited(const QString &path);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct ThumbnailPair
    {
        MediaLibScrollArea *area;
        std::unique_ptr<MediaLibThumbnailView> view;
    };
    ThumbnailPair makeThumbnailPair();
    void connectCapture();
    // The rows of the next batch of the folder read on the worker, with their tiles.
    void insertNextBatch();
    // What follows the last row: video thumbnails, the index, the watch over the folder.
    void finishEntering(const FolderListing &listing);
    void cancelLoading();
    void syncIndex(const QDir &dir);
    // Brings the folder's rows and tiles in step with the names that appeared and went.
    void applyChanges(const QStringList &added, const QStringList &removed);
    // Adds an entry that appeared in the shown folder; false when it is no folder, image or video.
    bool addNewEntry(const QString &path);
    // Takes an entry that is gone from the shown folder out of the list and the tiles.
    void removeVanishedEntry(const QString &path);
    void showDriveList();
    void rebuildDriveList();
    void leaveSearchResults();
    void applyViewMode(int mode);
    void applyStoredSize(int width, int height);
    void loadSettings();
    void storeSettings();
    void recordAnchors();
    void setToolTips();
    void relayout();
    void updateLabel();
    // Follows the grip: the size asked for, grown about the panel's vertical centre.
    void resizeToGrip(const QSize &wanted);
    // The size bounded by the parent (its width, its height less the reserve) and by the form.
    QSize fittedSize(int width, int height) const;
    // Gives the panel that size with its top at y, moved as little as keeps the whole panel inside the
    // parent, so the header's search box and buttons stay in reach.
    void placeWithin(const QSize &size, int y);
    void dropUsbListener();
    void deleteSearchResults();
    // Pushes a protected path to every view that shows entries.
    void pushProtection(const QString &path, bool protect);
    static void onMediaRename(void *context, bool after, bool refresh);

    std::unique_ptr<Ui::MediaLibrary> ui;
    std::unique_ptr<MediaLibTableModel> m_folderModel;
    std::unique_ptr<MediaLibTableModel> m_searchModel;
    std::unique_ptr<MediaLibTableModel> m_driveModel;
    std::unique_ptr<MediaLibThumbnailView> m_thumbnailView;
    std::unique_ptr<MediaLibThumbnailView> m_searchThumbnailView;
    MediaLibraryImpl *m_owner;
    // Children of the panel; the search one is deleted early when a search is left or replaced.
    MediaLibScrollArea *m_scrollArea = nullptr;
    MediaLibScrollArea *m_searchScrollArea = nullptr;
    FolderWatch m_folderWatch;
    MediaLibTableView *m_listView = nullptr;
    std::unique_ptr<WinUSBListener> m_usbListener;
    QDir m_currentDir;
    // The reading of a large folder on the worker, and its entries still to be handed to the views.
    QFutureWatcher<FolderListing> m_loading;
    FolderListing m_loaded;
    qsizetype m_nextEntry = 0;
    QTimer m_batchTimer;
    bool m_loadingActive = false;
    QPoint m_lineEditPos, m_preBtnPos, m_currentFolderPos, m_listViewPos;
    QPoint m_closeBtnAnchor, m_switchBtnAnchor, m_searchButtonAnchor;
    QPoint m_addFolderBtnAnchor, m_uploadManagerBtnAnchor, m_resizeBottomAnchor;
    ProtectedPaths m_protected;
    QStringList m_missingFiles;
    QString m_shownPath;
    QString m_searchText;
    int m_viewMode = ListMode;
    bool m_driveRootMode = false;
    bool m_anchorsRecorded = false;
    CaptureIntf *m_capture = nullptr;
};
