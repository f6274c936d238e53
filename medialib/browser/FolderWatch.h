#pragma once

#include <QDateTime>
#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>

#include "FolderListing.h"

class QFileSystemWatcher;

// Keeps one folder's listing in step with the disk, without widgets: a file-system watcher, and a poll as
// backstop that reads the folder only when its time stamp moved. The reading after either runs on a worker
// thread, so a folder of tens of thousands costs the caller's thread no more than comparing the names; the
// names that appeared and those that went are reported together. The watcher and the poll are switched
// apart: a rename in progress drops the watcher while the poll keeps running.
class FolderWatch : public QObject
{
    Q_OBJECT

public:
    // The poll that backs up the watcher; it reads the folder only when the folder's time stamp moved.
    static constexpr int kSyncIntervalMs = 300;

    struct Changes
    {
        QStringList added;
        QStringList removed;
    };

    explicit FolderWatch(QObject *parent = nullptr);
    ~FolderWatch() override;

    // Follows this folder from now on, as this listing of it found it; a reading still under way for the
    // folder followed before is dropped.
    void setFolder(const QString &folder, const FolderListing &listing);
    QString folder() const { return m_folder; }
    QStringList names() const { return m_names; }

    // The names that appeared and went in this listing against the last one, which it then replaces.
    Changes takeListing(const FolderListing &listing);

    void startWatcher();
    void dropWatcher();
    bool isWatching() const { return m_watcher != nullptr; }
    void startPolling();
    void stopPolling();
    bool isPolling() const { return m_poll.isActive(); }

Q_SIGNALS:
    // A reading on the worker found the folder changed; the listing is already taken.
    void changed(const QStringList &added, const QStringList &removed);
    // The poll found the folder gone.
    void folderGone();

public Q_SLOTS:
    // Reads the folder on the worker thread, unless a reading is under way already.
    void readLater();
    // One tick of the poll.
    void poll();

private:
    void onRead();

    QString m_folder;
    QStringList m_names;
    QDateTime m_stamp;
    QTimer m_poll;
    std::unique_ptr<QFileSystemWatcher> m_watcher;
    QFutureWatcher<FolderListing> m_reading;
    // The folder the reading under way is for; its result is dropped when another one is followed since.
    QString m_readingFolder;
    // A change reported while a reading was under way: the folder is read once more after it.
    bool m_readAgain = false;
};
