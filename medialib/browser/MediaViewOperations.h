#pragma once

#include "DeleteCounts.h"
#include "ProtectedPaths.h"

#include <QDir>
#include <QObject>
#include <QStringList>

#include <functional>

class MediaImpl;
class QAction;
class QDragEnterEvent;
class QDropEvent;
class QMenu;
class QMimeData;
class QPixmap;
class QWidget;

// The file operations both media views offer on the item the user points at: the context menu, protection
// of paths in use, deleting with its confirmations, dragging one item onto a folder to move it, dropping
// one file from outside to copy it in, and the new-folder request. Each view owns one and forwards to it;
// the view supplies only what differs (which item is under the pointer, how a file's deletion is shown).
class MediaViewOperations : public QObject
{
    Q_OBJECT

public:
    // Which suffixes count as media when a folder is surveyed: the list view knows all ten the library
    // takes, the thumbnail view only seven (it calls a ".tif" a non-media file).
    enum class SurveyRule { List, Thumbnail };
    // Queued transfers start this long after the drop, once the drag has fully ended.
    static constexpr int kTransferDelayMs = 100;
    // The delete question is cut to this length, keeping a shorter head with "..." and the closing quote.
    static constexpr int kQuestionLimit = 73;
    static constexpr int kQuestionKeep = 70;

    MediaViewOperations(QWidget *view, SurveyRule rule);
    ~MediaViewOperations() override;

    QDir currentFolder() const { return m_currentFolder; }
    // The folder becomes current when it exists; false otherwise.
    bool changeCurDir(const QString &path);
    QStringList protectedPaths() const { return m_protected.paths(); }
    void appendProtectedPath(const QString &path);
    void removeProtectedPath(const QString &path);
    // True, after telling the user, when the path is protected (see ProtectedPaths::isProtected).
    bool isProtected(const QString &path) const;

    QMenu *menu() const { return m_menu; }
    QAction *deleteAction() const { return m_deleteAction; }
    QAction *renameAction() const { return m_renameAction; }
    QAction *newFolderAction() const { return m_newFolderAction; }
    // Enables the menu's entries for an item; false (no menu) for a drive root.
    bool prepareMenu(const QString &itemPath);

    // Deletes the record's entry: a link at once, a folder after the survey's questions, a file through
    // showFileDelete (the information dialog's delete view), after which fileRemoved tells when it is gone.
    void deleteRecord(MediaImpl *record, const std::function<void()> &showFileDelete);
    bool countFolderContents(const QString &path, DeleteCounts &counts) const;
    bool isMediaForSurvey(const QString &path) const;
    // 2 without an information file, else the fold of the services' states (1 queued, 3 uploaded, 0 chosen).
    static int uploadStatusOfFile(const QString &path);
    // "Do you want to delete "name"", cut to its limit.
    static QString deleteQuestion(const QString &name);

    // The file a drag carries: its local path, or the URL's text for a URL without a scheme.
    static QString draggedPath(const QMimeData *mime);
    // Whether a drag may come in: not during a transfer, and exactly one URL of a media file.
    bool acceptsDrag(const QMimeData *mime) const;
    void dragEnter(QDragEnterEvent *event) const;
    // Starts the drag of an item (blocks until it ends). The URL is a proper file URL, so other programs
    // read it as the file and names with '%' or '#' survive.
    void startDrag(const QString &path, const QPixmap &pixmap);
    static QMimeData *dragData(const QString &path);

    // A drop: onto the target folder (already resolved by the view); ownItemPath is the view's pressed item
    // (empty for a drop from outside). Queues the copy or move and answers whether the drop is accepted.
    bool drop(QDropEvent *event, const QString &target, const QString &ownItemPath, int ownItemType);

    bool transferBusy() const { return m_transferBusy; }
    QString dragSourcePath() const { return m_dragSourcePath; }
    QString dropTargetFolder() const { return m_dropTargetFolder; }
    // Sets up a transfer as a drop would, without the event; for the views' own use and tests.
    void queueTransfer(const QString &source, const QString &targetFolder);

public Q_SLOTS:
    bool localCopyFile();
    bool localMoveFile();
    void requestToNewFolder();

Q_SIGNALS:
    void fileContentChanged(QString folder);
    void newFolderRequest(QDir folder);
    void fileRemoved(QString path);

private:
    // Runs the queued copy or move; transferBusy holds while its dialog runs, so no second one starts.
    bool runTransfer(bool move);
    bool dropOwnItem(const QString &target, const QString &itemPath, int itemType);
    // The folder a transfer writes into: the target, else the folder holding it; empty when neither exists.
    static QString destinationFolder(const QString &target);
    bool copyFile(const QString &source, const QString &target);
    bool moveFile(const QString &source, const QString &target);

    QWidget *m_view;
    SurveyRule m_rule;
    QDir m_currentFolder;
    ProtectedPaths m_protected;
    QMenu *m_menu;
    QAction *m_deleteAction;
    QAction *m_renameAction;
    QAction *m_newFolderAction;
    QString m_dragSourcePath;
    QString m_dropTargetFolder;
    bool m_transferBusy = false;
};
