#pragma once

#include "PathCaseResolver.h"

#include <QDir>
#include <QFileInfo>
#include <QFuture>
#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>

class QSqlDatabase;
class QThread;
class QThreadPool;
class QTimer;

// The keyword index: a SQLite table that tells, for every media file met, by which words it is found (its
// own name and the keywords the user gave it). Every text is stored lower-cased, so the index ignores case;
// a file is found again on disk by matching names without regard to case, and searches answer with the
// names as they are on disk. Files (and folders) whose names differ only in case therefore share one set
// of rows: removing or renaming one of them leaves the shared rows alone while another spelling is still
// there. One process-wide object; every operation is one call that takes the access lock for its
// statements. The connection belongs to the thread that created the object: calls from any other thread
// are refused. A write refused because another program holds the index (update, remove, rename, folder
// rename or removal) still returns false but is not lost: it is kept, in order, and applied before any
// later operation of the index, by retries that do not wait for the lock, and once more at exit with a
// longer wait; what is left then is logged with its path.
class MediaLibraryDatabase : public QObject
{
    Q_OBJECT

public:
    static MediaLibraryDatabase *getInstance();
    static void release();
    static void addRef();
    // "MediaSearch_v1.db3" in the default media folder, whichever folder the user saves into.
    static QString databasePath();

    bool isOpened() const { return m_opened; }
    bool tablesCreated() const { return m_tablesCreated; }
    int userCount() const;

    // Replaces the file's rows by its name row and one row per keyword (the list as given). False for a
    // file that does not exist.
    bool addFile(const QFileInfo &file, const QStringList &keywords);
    bool addFileByPath(const QString &path, const QStringList &keywords);
    // As addFile; a file that no longer exists loses its rows.
    bool updateKeywords(const QFileInfo &file, const QStringList &keywords);
    bool updateKeywords(const QString &path, const QStringList &keywords);
    // Drops the file's rows, unless they are shared with another spelling of its name that still exists.
    bool removeFile(const QFileInfo &file);
    bool removeFile(const QString &path);
    // Called after the rename on disk: moves the file's rows to the new name. When another spelling of the
    // old name is still there, the rows it shares stay, and the new name gets rows of its own: its name and
    // newKeywords (the keywords of the renamed file's own information).
    bool renameFile(const QString &newPath, const QString &oldPath, const QStringList &newKeywords = {});
    // Moves the rows of the folder and of everything below it; copies them while another spelling of the
    // folder is still there.
    bool renameFolder(const QString &newPath, const QString &oldPath);
    // Drops the rows of the folder and of everything below it, unless another spelling of the folder is
    // still there.
    bool removeFolder(const QDir &folder);
    bool removeFolder(const QString &path);
    // Makes the folder's rows match its visible files: rows of missing files go (fileNotExists is emitted
    // for each, after the change is stored), files without rows get their name row.
    bool syncFolder(const QDir &folder);
    bool syncFolder(const QString &path);
    // As syncFolder, on a worker thread with a connection of its own, so that the first visit of a folder of
    // tens of thousands costs the window nothing; the rows change a few hundred at a time. The future holds
    // the paths of the missing files whose rows went (fileNotExists is not emitted). Syncs run one after
    // another; a sync the index cannot take now (busy, or writes still held back) does nothing.
    QFuture<QStringList> syncFolderInBackground(const QDir &folder);

    // Splits a comma-separated search text into trimmed, distinct words with "_", "%", "[" and "]"
    // escaped by a backslash.
    QStringList parseKeywords(const QString &text) const;
    // The files one of whose rows (name or keyword) contains every word. Rows of files that are gone are
    // removed on the way.
    QStringList searchKeywords(const QStringList &words);
    QStringList searchKeyword(const QString &text);
    // Whether the last search could not read the index (its empty list then means nothing, not no hits).
    bool lastSearchFailed() const { return m_searchFailed; }

Q_SIGNALS:
    void fileNotExists(QString path);

private:
    explicit MediaLibraryDatabase(QObject *parent = nullptr);
    ~MediaLibraryDatabase() override;

    void open();
    void createTables();
    void close();
    bool usable() const;
    void rebuildFromInfoFiles();
    QStringList search(const QStringList &patterns);
    bool addFileLocked(const QFileInfo &file, const QStringList &keywords);
    bool removeFileNow(const QFileInfo &file);
    bool renameFileNow(const QString &newPath, const QString &oldPath, const QStringList &newKeywords);
    bool renameFolderNow(const QString &newPath, const QString &oldPath);
    bool removeFolderNow(const QString &path);
    // Applies the write, keeping it for later when the index is busy.
    bool write(const char *operation, const QString &path, const std::function<bool()> &apply);
    // Applies the held-back writes in order, waiting up to waitMs for each; true when none is left.
    bool applyPending(int waitMs);
    void setBusyWait(int ms);

    struct PendingWrite
    {
        const char *operation;
        QString path;
        std::function<bool()> apply;
    };

    bool m_opened = false;
    bool m_tablesCreated = false;
    // A damaged file was set aside and this index is new: it is filled from the information files.
    bool m_rebuildNeeded = false;
    int m_userCount = 1;
    QThread *m_thread = nullptr;
    // Folder listings kept from one search to the next, used under the access lock only.
    PathCaseResolver m_resolver;
    // Writes refused by a busy index, oldest first; the owner thread's only.
    QList<PendingWrite> m_pending;
    QTimer *m_retryTimer = nullptr;
    // One thread, so that folder syncs never overlap; waited for when the index goes.
    std::unique_ptr<QThreadPool> m_syncPool;
    bool m_searchFailed = false;
};
