#include "FolderListing.h"
#include "FolderWatch.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// Longer than the poll, the watcher and a loaded machine's delays together.
constexpr int kFreshnessTimeoutMs = 5000;

} // namespace

class TestFolderWatch : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString touch(const QString &name)
    {
        const QString path = m_dir->filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            QTest::qFail(qPrintable(QStringLiteral("cannot write %1").arg(path)), __FILE__, __LINE__);
        file.write("media");
        return path;
    }

    // The names reported by the change signals seen so far, as (added, removed).
    static std::pair<QStringList, QStringList> reported(const QSignalSpy &spy)
    {
        QStringList added, removed;
        for (const QList<QVariant> &signal : spy) {
            added += signal.at(0).toStringList();
            removed += signal.at(1).toStringList();
        }
        added.sort();
        removed.sort();
        return {added, removed};
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>(TestEnvironment::home() + QStringLiteral("/Watch-XXXXXX"));
        QVERIFY(m_dir->isValid());
    }
    void cleanup() { m_dir.reset(); }

    // A reading lists every visible name, the hidden list's and dot names left out; the entries come as
    // folders, images, videos, each in the list's name order.
    void aReadingListsTheShownEntriesInOrder()
    {
        QDir().mkpath(m_dir->filePath(QStringLiteral("Trip 10")));
        QDir().mkpath(m_dir->filePath(QStringLiteral("Trip 2")));
        for (const char *name : {"img10.jpg", "img2.JPG", "clip.avi", "notes.txt", ".secret.jpg", "board.tif"})
            touch(QLatin1String(name));
        QFile hiddenList(m_dir->filePath(QStringLiteral(".hidden")));
        QVERIFY(hiddenList.open(QIODevice::WriteOnly));
        hiddenList.write("board.tif\n");
        hiddenList.close();

        const FolderListing listing = FolderListing::read(m_dir->path(), true);
        QStringList names = listing.names;
        names.sort();
        QCOMPARE(names, QStringList({"Trip 10", "Trip 2", "clip.avi", "img10.jpg", "img2.JPG", "notes.txt"}));
        QStringList entries;
        for (const FolderListing::Entry &entry : listing.entries)
            entries.append(QFileInfo(entry.path).fileName());
        QCOMPARE(entries, QStringList({"Trip 2", "Trip 10", "img2.JPG", "img10.jpg", "clip.avi"}));
        QVERIFY(FolderListing::read(m_dir->path(), false).entries.isEmpty());
        QVERIFY(FolderListing::holdsMoreThan(m_dir->path(), 3));
        QVERIFY(!FolderListing::holdsMoreThan(m_dir->path(), 20));
    }

    // A listing is compared with the last one as a multiset of names.
    void takingAListingReportsWhatCameAndWent()
    {
        FolderWatch watch;
        FolderListing first;
        first.names = {"a.jpg", "b.jpg", "c.jpg"};
        watch.setFolder(m_dir->path(), first);
        FolderListing second;
        second.names = {"c.jpg", "d.jpg", "a.jpg"};
        const FolderWatch::Changes changes = watch.takeListing(second);
        QCOMPARE(changes.added, QStringList{"d.jpg"});
        QCOMPARE(changes.removed, QStringList{"b.jpg"});
        QCOMPARE(watch.names(), second.names);
        QVERIFY(watch.takeListing(second).added.isEmpty());
    }

    // The watcher and, without it, the poll each bring a file that came and one that went.
    void watcherAndPollReportChanges_data()
    {
        QTest::addColumn<bool>("watcher");
        QTest::newRow("watcher") << true;
        QTest::newRow("poll") << false;
    }
    void watcherAndPollReportChanges()
    {
        QFETCH(bool, watcher);
        const QString doomed = touch(QStringLiteral("old.jpg"));
        FolderWatch watch;
        watch.setFolder(m_dir->path(), FolderListing::read(m_dir->path(), false));
        if (watcher)
            watch.startWatcher();
        else
            watch.startPolling();
        QCOMPARE(watch.isWatching(), watcher);
        QSignalSpy changed(&watch, &FolderWatch::changed);
        // A listing has a one-second stamp on some file systems: the poll must see the folder change.
        QTest::qWait(watcher ? 0 : 1100);
        touch(QStringLiteral("new.jpg"));
        QVERIFY(QFile::remove(doomed));
        QTRY_COMPARE_WITH_TIMEOUT(reported(changed), std::make_pair(QStringList{"new.jpg"}, QStringList{"old.jpg"}),
                                  kFreshnessTimeoutMs);
    }

    // The poll tells when the folder itself is gone; a dropped watcher and a stopped poll tell nothing.
    void aGoneFolderIsToldAndAStoppedWatchIsSilent()
    {
        const QString folder = m_dir->filePath(QStringLiteral("Unit 1"));
        QVERIFY(QDir().mkpath(folder));
        FolderWatch watch;
        watch.setFolder(folder, FolderListing::read(folder, false));
        watch.startWatcher();
        watch.startPolling();
        QSignalSpy changed(&watch, &FolderWatch::changed);
        QSignalSpy gone(&watch, &FolderWatch::folderGone);
        watch.dropWatcher();
        watch.stopPolling();
        QVERIFY(!watch.isWatching());
        QVERIFY(!watch.isPolling());
        QFile file(folder + QStringLiteral("/quiet.jpg"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QTest::qWait(3 * FolderWatch::kSyncIntervalMs);
        QCOMPARE(changed.size(), 0);

        watch.startPolling();
        QVERIFY(QDir(folder).removeRecursively());
        QTRY_VERIFY_WITH_TIMEOUT(gone.size() > 0, kFreshnessTimeoutMs);
    }
};

QUILLO_TEST_MAIN(TestFolderWatch)
#include "tst_FolderWatch.moc"
