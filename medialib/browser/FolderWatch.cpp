#include "FolderWatch.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHash>
#include <QtConcurrent/QtConcurrentRun>

FolderWatch::FolderWatch(QObject *parent)
    : QObject(parent)
{
    m_poll.setInterval(kSyncIntervalMs);
    connect(&m_poll, &QTimer::timeout, this, &FolderWatch::poll);
    connect(&m_reading, &QFutureWatcher<FolderListing>::finished, this, &FolderWatch::onRead);
}

FolderWatch::~FolderWatch()
{
    // A reading under way finishes on its own; nothing waits for it or hears of it.
    m_reading.disconnect(this);
}

void FolderWatch::setFolder(const QString &folder, const FolderListing &listing)
{
    m_folder = folder;
    m_names = listing.names;
    m_stamp = listing.stamp;
    m_readAgain = false;
}

FolderWatch::Changes FolderWatch::takeListing(const FolderListing &listing)
{
    Changes changes;
    // The last listing as a multiset: a folder of thousands is compared in one pass.
    QHash<QString, int> remaining;
    remaining.reserve(m_names.size());
    for (const QString &name : std::as_const(m_names))
        ++remaining[name];
    for (const QString &name : listing.names) {
        const auto it = remaining.find(name);
        if (it == remaining.end())
            changes.added.append(name);
        else if (--it.value() == 0)
            remaining.erase(it);
    }
    for (auto it = remaining.cbegin(); it != remaining.cend(); ++it)
        changes.removed.append(it.key());
    m_names = listing.names;
    m_stamp = listing.stamp;
    return changes;
}

void FolderWatch::startWatcher()
{
    dropWatcher();
    if (!QFileInfo(m_folder).isDir())
        return;
    m_watcher = std::make_unique<QFileSystemWatcher>();
    m_watcher->addPath(m_folder);
    connect(m_watcher.get(), &QFileSystemWatcher::directoryChanged, this, [this](const QString &path) {
        if (QDir(path).absolutePath() == QDir(m_folder).absolutePath())
            readLater();
    });
}

void FolderWatch::dropWatcher()
{
    // The watcher may be the sender of the signal being handled: it goes once that is over.
    if (m_watcher) {
        m_watcher->disconnect(this);
        m_watcher.release()->deleteLater();
    }
}

void FolderWatch::startPolling()
{
    m_poll.start();
}

void FolderWatch::stopPolling()
{
    m_poll.stop();
}

void FolderWatch::poll()
{
    // One stat a tick: the folder is read only when its time stamp moved since it was last read.
    if (QFileInfo(m_folder).lastModified() != m_stamp)
        readLater();
    if (!QDir(m_folder).exists())
        Q_EMIT folderGone();
}

void FolderWatch::readLater()
{
    if (m_reading.isRunning()) {
        m_readAgain = true;
        return;
    }
    m_readAgain = false;
    m_readingFolder = m_folder;
    m_reading.setFuture(QtConcurrent::run(&FolderListing::read, m_folder, false));
}

void FolderWatch::onRead()
{
    const FolderListing listing = m_reading.result();
    const bool current = m_readingFolder == m_folder;
    if (current) {
        const Changes changes = takeListing(listing);
        if (!changes.added.isEmpty() || !changes.removed.isEmpty())
            Q_EMIT changed(changes.added, changes.removed);
    }
    if (m_readAgain)
        readLater();
}
