#include "MediaFileStore.h"
#include "MediaImpl.h"
#include "MediaLibraryDatabase.h"
#include "TestEnvironment.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

namespace {

const QString kConnection = QStringLiteral("connSQLite");

// Every row of the index as "dirPath|fileName|suffix|keyword|role", in a stable order.
QStringList allRows()
{
    QStringList rows;
    QSqlQuery query(QSqlDatabase::database(kConnection, false));
    query.exec(QStringLiteral("select dirPath, fileName, suffix, keyword, role, typeof(role) from files"
                              " order by dirPath, fileName, suffix, role, keyword"));
    while (query.next()) {
        QStringList row;
        for (int i = 0; i < 5; ++i)
            row << query.value(i).toString();
        if (query.value(5).toString() != QLatin1String("integer"))
            row << query.value(5).toString();
        rows << row.join(QLatin1Char('|'));
    }
    return rows;
}

QString row(const QString &dir, const QString &name, const QString &suffix, const QString &keyword, int role)
{
    return QStringList{dir.toLower(), name, suffix, keyword, QString::number(role)}.join(QLatin1Char('|'));
}

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
}

} // namespace

class TestMediaLibraryDatabase : public QObject
{
    Q_OBJECT

private:
    MediaLibraryDatabase *m_index = nullptr;
    std::unique_ptr<QTemporaryDir> m_tmp;
    // A media folder whose own name and parents hold capitals, as real ones do.
    QString m_media;

private Q_SLOTS:
    // The first start can only be seen before anything else uses the index.
    void initTestCase();
    void init();
    void cleanup();
    void damagedIndexIsSetAsideAndReplaced();
    void damagedIndexIsRebuiltWithTheKeywords();
    void addFileStoresLowerCasedRows();
    void addAndUpdateOfMissingFile();
    void awkwardNamesAreStoredAndFound_data();
    void awkwardNamesAreStoredAndFound();
    void syncFolderMatchesRowsToFiles();
    void syncFolderKeepsKeywordsOfNamesWithCapitals();
    void syncFolderSkipsHiddenFilesAndSubfolders();
    void syncFolderKeepsRowsOfFolderDifferingInCase();
    void syncFolderOfMissingFolder();
    void backgroundSyncMatchesALargeFolderInSteps();
    void folderOperationsTakeExactlyTheSubtree_data();
    void folderOperationsTakeExactlyTheSubtree();
    void renameFileMovesOnlyItsOwnRows();
    void renameFileDropsStaleRowsAtNewName();
    void removeFileKeepsRowsSharedWithAnotherSpelling();
    void renameFileLeavesSharedRowsToTheTwin_data();
    void renameFileLeavesSharedRowsToTheTwin();
    void folderOperationsKeepRowsSharedWithAnotherSpelling();
    void parseKeywords_data();
    void parseKeywords();
    void searchMatchesAllWordsInOneRow_data();
    void searchMatchesAllWordsInOneRow();
    void searchPurgesRowsOfVanishedFiles();
    void searchReturnsEveryRealSpelling();
    void searchSeesFilesChangedSinceTheLastSearch();
    void busyIndexFailsQuickly();
    void writesRefusedByABusyIndexAreAppliedLater_data();
    void writesRefusedByABusyIndexAreAppliedLater();
    void otherThreadIsRefused();
};

void TestMediaLibraryDatabase::initTestCase()
{
    const QString path = MediaLibraryDatabase::databasePath();
    QVERIFY(path.endsWith(QLatin1String("/Quillo/Media Library/MediaSearch_v1.db3")));
    QVERIFY(!QFileInfo::exists(QFileInfo(path).absolutePath()));

    MediaLibraryDatabase *index = MediaLibraryDatabase::getInstance();
    QVERIFY(index->isOpened());
    QVERIFY(index->tablesCreated());
    QCOMPARE(index->userCount(), 2);
    QVERIFY(QFileInfo::exists(path));

    QSqlQuery query(QSqlDatabase::database(kConnection, false));
    // SQLite keeps the statements as they were run, with only their leading keywords in capitals.
    QVERIFY(query.exec(QStringLiteral("select type, name, sql from sqlite_master order by name")));
    QStringList schema;
    while (query.next())
        schema << query.value(0).toString() + QLatin1Char(' ') + query.value(1).toString() + QLatin1String(": ")
                      + query.value(2).toString();
    QCOMPARE(schema,
             (QStringList{
                 QStringLiteral("table files: CREATE TABLE 'files'(dirPath varchar, fileName varchar, "
                                "suffix varchar, keyword varchar, role integer)"),
                 QStringLiteral("index files_dir_index: CREATE INDEX 'files_dir_index' on 'files'(dirPath)"),
                 QStringLiteral("index files_keyword_index: CREATE INDEX 'files_keyword_index' on 'files'(keyword)"),
             }));

    QFile hidden(QFileInfo(path).absolutePath() + QStringLiteral("/.hidden"));
    QVERIFY(hidden.open(QIODevice::ReadOnly));
    QCOMPARE(hidden.readAll(), QByteArray("MediaSearch_v1.db3\nMediaSearch_v1.db3-journal\n"));

    MediaLibraryDatabase::release();
    QCOMPARE(index->userCount(), 1);
}

void TestMediaLibraryDatabase::damagedIndexIsSetAsideAndReplaced()
{
    // Giving back this test's reference and the object's own destroys it, so the next get opens the file
    // again.
    MediaLibraryDatabase::release();
    MediaLibraryDatabase::release();
    const QString path = MediaLibraryDatabase::databasePath();
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray(4096, 'x'));
    }
    m_index = MediaLibraryDatabase::getInstance();
    QVERIFY(m_index->isOpened());
    const QFileInfoList kept = QFileInfo(path).absoluteDir().entryInfoList({QStringLiteral("*.damaged-*")});
    QCOMPARE(kept.size(), 1);
    QCOMPARE(kept.first().size(), 4096);

    touch(m_media + QStringLiteral("/x.jpg"));
    QVERIFY(m_index->addFileByPath(m_media + QStringLiteral("/x.jpg"), {}));
    QCOMPARE(allRows().size(), 1);
}

// The new index takes every file's keywords from its information file; a file gone since keeps no rows.
void TestMediaLibraryDatabase::damagedIndexIsRebuiltWithTheKeywords()
{
    MediaFileStore *store = MediaFileStore::getInstance();
    const QString snapshot = m_media + QStringLiteral("/Trip/Snap 1.JPG");
    const QString gone = m_media + QStringLiteral("/Trip/gone.jpg");
    for (const QString &path : {snapshot, gone}) {
        touch(path);
        store->makeCacheFolder(QFileInfo(path).absolutePath());
        MediaImpl record(path);
        record.setKeywords(QStringLiteral("Volcano, lava"));
        QVERIFY(store->writeInfo(&record));
    }
    QVERIFY(QFile::remove(gone));

    MediaLibraryDatabase::release();
    MediaLibraryDatabase::release();
    // The earlier test's damaged file may carry this second's name.
    const QFileInfo index(MediaLibraryDatabase::databasePath());
    for (const QFileInfo &kept :
         index.absoluteDir().entryInfoList({QStringLiteral("*.damaged-*")}, QDir::Files | QDir::Hidden))
        QVERIFY(QFile::remove(kept.absoluteFilePath()));
    {
        QFile file(MediaLibraryDatabase::databasePath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray(4096, 'x'));
    }
    m_index = MediaLibraryDatabase::getInstance();
    QVERIFY(m_index->isOpened());
    QCOMPARE(m_index->searchKeyword(QStringLiteral("volcano")), QStringList{snapshot});
    QCOMPARE(m_index->searchKeyword(QStringLiteral("lava")), QStringList{snapshot});
    const QString trip = m_media + QStringLiteral("/trip");
    QCOMPARE(allRows(), (QStringList{row(trip, "snap 1", "jpg", "snap 1.jpg", 0), row(trip, "snap 1", "jpg", "lava", 1),
                                     row(trip, "snap 1", "jpg", "volcano", 1)}));
}

void TestMediaLibraryDatabase::init()
{
    m_index = MediaLibraryDatabase::getInstance();
    QSqlQuery(QSqlDatabase::database(kConnection, false)).exec(QStringLiteral("delete from files"));
    m_tmp = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/Lib-XXXXXX"));
    m_media = m_tmp->path() + QStringLiteral("/My Media");
    QDir().mkpath(m_media);
}

void TestMediaLibraryDatabase::cleanup()
{
    MediaLibraryDatabase::release();
    m_tmp.reset();
}

void TestMediaLibraryDatabase::addFileStoresLowerCasedRows()
{
    const QString file = m_media + QStringLiteral("/Trip/IMG_01.JPG");
    touch(file);
    QVERIFY(m_index->addFileByPath(file, {QStringLiteral("Beach"), QStringLiteral("Sun")}));
    const QString dir = m_media + QStringLiteral("/Trip");
    QCOMPARE(allRows(), (QStringList{row(dir, "img_01", "jpg", "img_01.jpg", 0), row(dir, "img_01", "jpg", "beach", 1),
                                     row(dir, "img_01", "jpg", "sun", 1)}));

    QVERIFY(m_index->addFile(QFileInfo(file), {QStringLiteral("Sea")}));
    QCOMPARE(allRows(), (QStringList{row(dir, "img_01", "jpg", "img_01.jpg", 0), row(dir, "img_01", "jpg", "sea", 1)}));

    // The list is stored as given: a padded or empty entry is the caller's business.
    QVERIFY(m_index->updateKeywords(file, {QStringLiteral(" x"), QString()}));
    QCOMPARE(allRows(), (QStringList{row(dir, "img_01", "jpg", "img_01.jpg", 0), row(dir, "img_01", "jpg", "", 1),
                                     row(dir, "img_01", "jpg", " x", 1)}));
}

void TestMediaLibraryDatabase::addAndUpdateOfMissingFile()
{
    const QString file = m_media + QStringLiteral("/Gone.jpg");
    touch(file);
    QVERIFY(m_index->addFileByPath(file, {QStringLiteral("k")}));
    QFile::remove(file);

    QVERIFY(!m_index->addFileByPath(file, {}));
    QCOMPARE(allRows().size(), 2);
    QVERIFY(!m_index->updateKeywords(file, {QStringLiteral("k")}));
    QVERIFY(allRows().isEmpty());
}

void TestMediaLibraryDatabase::awkwardNamesAreStoredAndFound_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QString>("searchText");

    QTest::newRow("quote") << "it's.jpg"
                           << "o'clock"
                           << "o'cl";
    QTest::newRow("percent and underscore") << "50%_off.jpg"
                                            << "a_b"
                                            << "50%_";
    QTest::newRow("backslash") << "back\\slash.png"
                               << "c\\d"
                               << "k\\\\sl";
    QTest::newRow("non-Latin") << QStringLiteral("Äpfel Ωμέγα.jpg") << QStringLiteral("ГОРОД")
                               << QStringLiteral("город");
    QTest::newRow("sql in a keyword") << "x.jpg"
                                      << "'); drop table files; --"
                                      << "drop table";
}

void TestMediaLibraryDatabase::awkwardNamesAreStoredAndFound()
{
    QFETCH(QString, name);
    QFETCH(QString, keyword);
    QFETCH(QString, searchText);
    const QString file = m_media + QLatin1Char('/') + name;
    touch(file);
    QVERIFY(m_index->addFileByPath(file, {keyword}));
    QCOMPARE(allRows().size(), 2);
    QVERIFY(allRows().contains(row(m_media, QFileInfo(name).completeBaseName().toLower(),
                                   QFileInfo(name).suffix().toLower(), keyword.toLower(), 1)));

    QCOMPARE(m_index->searchKeywords(m_index->parseKeywords(searchText)), QStringList{file});
    QVERIFY(m_index->removeFile(file));
    QVERIFY(allRows().isEmpty());
}

void TestMediaLibraryDatabase::syncFolderMatchesRowsToFiles()
{
    for (const char *name : {"a.jpg", "b.jpg", "c.jpg", "d.png", "README"})
        touch(m_media + QLatin1Char('/') + QLatin1String(name));
    QVERIFY(m_index->addFileByPath(m_media + QStringLiteral("/a.jpg"), {QStringLiteral("sea")}));
    QVERIFY(m_index->addFileByPath(m_media + QStringLiteral("/c.jpg"), {}));
    QVERIFY(m_index->addFileByPath(m_media + QStringLiteral("/d.png"), {}));
    QVERIFY(m_index->addFileByPath(m_media + QStringLiteral("/README"), {}));
    QFile::remove(m_media + QStringLiteral("/c.jpg"));
    QFile::remove(m_media + QStringLiteral("/d.png"));

    QSignalSpy missing(m_index, &MediaLibraryDatabase::fileNotExists);
    QVERIFY(m_index->syncFolder(m_media));
    QStringList missingPaths;
    for (const QList<QVariant> &args : std::as_const(missing))
        missingPaths << args.at(0).toString();
    missingPaths.sort();
    QCOMPARE(missingPaths, (QStringList{m_media + QStringLiteral("/c.jpg"), m_media + QStringLiteral("/d.png")}));
    const QStringList expected{row(m_media, "a", "jpg", "a.jpg", 0), row(m_media, "a", "jpg", "sea", 1),
                               row(m_media, "b", "jpg", "b.jpg", 0), row(m_media, "readme", "", "readme", 0)};
    QCOMPARE(allRows(), expected);

    missing.clear();
    QVERIFY(m_index->syncFolder(QDir(m_media)));
    QCOMPARE(missing.size(), 0);
    QCOMPARE(allRows(), expected);
}

void TestMediaLibraryDatabase::syncFolderKeepsKeywordsOfNamesWithCapitals()
{
    touch(m_media + QStringLiteral("/Holiday Photo.JPG"));
    // Two names that differ only in case share one set of rows.
    touch(m_media + QStringLiteral("/Boat.jpg"));
    touch(m_media + QStringLiteral("/boat.JPG"));
    QVERIFY(m_index->addFileByPath(m_media + QStringLiteral("/Holiday Photo.JPG"), {QStringLiteral("Beach")}));

    QSignalSpy missing(m_index, &MediaLibraryDatabase::fileNotExists);
    for (int pass = 0; pass < 2; ++pass)
        QVERIFY(m_index->syncFolder(m_media));
    QCOMPARE(missing.size(), 0);
    QCOMPARE(allRows(), (QStringList{row(m_media, "boat", "jpg", "boat.jpg", 0),
                                     row(m_media, "holiday photo", "jpg", "holiday photo.jpg", 0),
                                     row(m_media, "holiday photo", "jpg", "beach", 1)}));
}

void TestMediaLibraryDatabase::syncFolderSkipsHiddenFilesAndSubfolders()
{
    touch(m_media + QStringLiteral("/.dot.jpg"));
    touch(m_media + QStringLiteral("/Listed.jpg"));
    touch(m_media + QStringLiteral("/Sub/inner.jpg"));
    touch(m_media + QStringLiteral("/shown.jpg"));
    QFile list(m_media + QStringLiteral("/.hidden"));
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write("Listed.jpg\n");
    list.close();
    // Rows of a file that has since been hidden stay: the file is still there.
    QVERIFY(m_index->addFileByPath(m_media + QStringLiteral("/.dot.jpg"), {}));

    QSignalSpy missing(m_index, &MediaLibraryDatabase::fileNotExists);
    QVERIFY(m_index->syncFolder(m_media));
    QCOMPARE(missing.size(), 0);
    QCOMPARE(allRows(),
             (QStringList{row(m_media, ".dot", "jpg", ".dot.jpg", 0), row(m_media, "shown", "jpg", "shown.jpg", 0)}));
}

void TestMediaLibraryDatabase::syncFolderKeepsRowsOfFolderDifferingInCase()
{
    touch(m_media + QStringLiteral("/Trip/upper.jpg"));
    touch(m_media + QStringLiteral("/trip/lower.jpg"));
    QSignalSpy missing(m_index, &MediaLibraryDatabase::fileNotExists);
    QVERIFY(m_index->syncFolder(m_media + QStringLiteral("/Trip")));
    QVERIFY(m_index->syncFolder(m_media + QStringLiteral("/trip")));
    QVERIFY(m_index->syncFolder(m_media + QStringLiteral("/Trip")));
    QCOMPARE(missing.size(), 0);
    QCOMPARE(allRows().size(), 2);
}

void TestMediaLibraryDatabase::syncFolderOfMissingFolder()
{
    touch(m_media + QStringLiteral("/Old/a.jpg"));
    QVERIFY(m_index->addFileByPath(m_media + QStringLiteral("/Old/a.jpg"), {}));
    QDir(m_media + QStringLiteral("/Old")).removeRecursively();
    QVERIFY(!m_index->syncFolder(m_media + QStringLiteral("/Old")));
    QCOMPARE(allRows().size(), 1);
}

// More files than one of the worker's transactions holds, so the rows change in several; the window's own
// connection writes while the worker holds its turn of the index.
void TestMediaLibraryDatabase::backgroundSyncMatchesALargeFolderInSteps()
{
    constexpr int kFiles = 1203;
    for (int i = 0; i < kFiles; ++i)
        touch(m_media + QStringLiteral("/Shot %1.jpg").arg(i));
    touch(m_media + QStringLiteral("/gone.jpg"));
    touch(m_media + QStringLiteral("/Kept.jpg"));
    QVERIFY(m_index->addFileByPath(m_media + QStringLiteral("/gone.jpg"), {QStringLiteral("lost")}));
    QVERIFY(m_index->addFileByPath(m_media + QStringLiteral("/Kept.jpg"), {QStringLiteral("pond")}));
    QFile::remove(m_media + QStringLiteral("/gone.jpg"));

    QSignalSpy missingSignal(m_index, &MediaLibraryDatabase::fileNotExists);
    QFuture<QStringList> sync = m_index->syncFolderInBackground(QDir(m_media));
    touch(m_media + QStringLiteral("/new.jpg"));
    QVERIFY(m_index->addFileByPath(m_media + QStringLiteral("/new.jpg"), {QStringLiteral("fresh")}));
    sync.waitForFinished();
    QCOMPARE(sync.result(), QStringList{m_media + QStringLiteral("/gone.jpg")});
    QCOMPARE(missingSignal.size(), 0);

    const QStringList rows = allRows();
    QCOMPARE(rows.size(), kFiles + 4);
    QVERIFY(rows.contains(row(m_media, "shot 0", "jpg", "shot 0.jpg", 0)));
    QVERIFY(rows.contains(row(m_media, QStringLiteral("shot %1").arg(kFiles - 1), "jpg",
                              QStringLiteral("shot %1.jpg").arg(kFiles - 1), 0)));
    QVERIFY(rows.contains(row(m_media, "kept", "jpg", "pond", 1)));
    QVERIFY(rows.contains(row(m_media, "new", "jpg", "fresh", 1)));
    QCOMPARE(m_index->searchKeywords({QStringLiteral("lost")}), QStringList());

    QFuture<QStringList> again = m_index->syncFolderInBackground(QDir(m_media));
    again.waitForFinished();
    QCOMPARE(again.result(), QStringList());
    QCOMPARE(allRows(), rows);
    // A folder that is gone is left alone.
    QFuture<QStringList> none = m_index->syncFolderInBackground(QDir(m_media + QStringLiteral("/Nowhere")));
    QVERIFY(none.isFinished());
    QCOMPARE(none.result(), QStringList());
}

void TestMediaLibraryDatabase::folderOperationsTakeExactlyTheSubtree_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("sibling");

    QTest::newRow("plain") << "Trip"
                           << "Trip 2";
    QTest::newRow("prefix without separator") << "Trip"
                                              << "Trip0";
    QTest::newRow("wildcards") << "50%_Trip"
                               << "50xxTrip";
    QTest::newRow("quote") << "Ann's Trip"
                           << "Ann's Trips";
}

void TestMediaLibraryDatabase::folderOperationsTakeExactlyTheSubtree()
{
    QFETCH(QString, folder);
    QFETCH(QString, sibling);
    const QString from = m_media + QLatin1Char('/') + folder;
    for (const QString &file : {from + QStringLiteral("/a.jpg"), from + QStringLiteral("/Day1/b.jpg"),
                                m_media + QLatin1Char('/') + sibling + QStringLiteral("/c.jpg")}) {
        touch(file);
        QVERIFY(m_index->addFileByPath(file, {QStringLiteral("kw")}));
    }
    const QStringList siblingRows = allRows().filter(sibling.toLower());

    const QString to = m_media + QStringLiteral("/Tour");
    QVERIFY(QDir().rename(from, to));
    QVERIFY(m_index->renameFolder(to, from));
    const QStringList moved = allRows();
    QCOMPARE(moved.size(), 6);
    QCOMPARE(moved.filter(to.toLower() + QLatin1Char('|')).size(), 2);
    QCOMPARE(moved.filter(to.toLower() + QStringLiteral("/day1|")).size(), 2);
    QCOMPARE(moved.filter(sibling.toLower()), siblingRows);

    QVERIFY(m_index->removeFolder(to));
    QCOMPARE(allRows(), siblingRows);
}

void TestMediaLibraryDatabase::renameFileMovesOnlyItsOwnRows()
{
    touch(m_media + QStringLiteral("/Photo.jpg"));
    touch(m_media + QStringLiteral("/other.jpg"));
    QVERIFY(m_index->addFileByPath(m_media + QStringLiteral("/Photo.jpg"), {QStringLiteral("sea")}));
    // Another file that carries the old name as a keyword keeps it.
    QVERIFY(m_index->addFileByPath(m_media + QStringLiteral("/other.jpg"), {QStringLiteral("photo.jpg")}));

    QVERIFY(QFile::rename(m_media + QStringLiteral("/Photo.jpg"), m_media + QStringLiteral("/Holiday.jpg")));
    QVERIFY(m_index->renameFile(m_media + QStringLiteral("/Holiday.jpg"), m_media + QStringLiteral("/Photo.jpg")));
    QCOMPARE(allRows(),
             (QStringList{row(m_media, "holiday", "jpg", "holiday.jpg", 0), row(m_media, "holiday", "jpg", "sea", 1),
                          row(m_media, "other", "jpg", "other.jpg", 0), row(m_media, "other", "jpg", "photo.jpg", 1)}));

    QVERIFY(!m_index->renameFile(m_media + QStringLiteral("/none1.jpg"), m_media + QStringLiteral("/none2.jpg")));
}

void TestMediaLibraryDatabase::renameFileDropsStaleRowsAtNewName()
{
    touch(m_media + QStringLiteral("/a.jpg"));
    touch(m_media + QStringLiteral("/b.jpg"));
    QVERIFY(m_index->addFileByPath(m_media + QStringLiteral("/a.jpg"), {QStringLiteral("mine")}));
    QVERIFY(m_index->addFileByPath(m_media + QStringLiteral("/b.jpg"), {QStringLiteral("stale")}));
    QFile::remove(m_media + QStringLiteral("/b.jpg"));

    QVERIFY(QFile::rename(m_media + QStringLiteral("/a.jpg"), m_media + QStringLiteral("/b.jpg")));
    QVERIFY(m_index->renameFile(m_media + QStringLiteral("/b.jpg"), m_media + QStringLiteral("/a.jpg")));
    QCOMPARE(allRows(), (QStringList{row(m_media, "b", "jpg", "b.jpg", 0), row(m_media, "b", "jpg", "mine", 1)}));
}

void TestMediaLibraryDatabase::removeFileKeepsRowsSharedWithAnotherSpelling()
{
    const QString upper = m_media + QStringLiteral("/Boat.jpg");
    const QString lower = m_media + QStringLiteral("/boat.JPG");
    touch(upper);
    touch(lower);
    QVERIFY(m_index->addFileByPath(lower, {QStringLiteral("Harbour")}));
    const QStringList shared{row(m_media, "boat", "jpg", "boat.jpg", 0), row(m_media, "boat", "jpg", "harbour", 1)};
    QCOMPARE(allRows(), shared);

    QVERIFY(QFile::remove(upper));
    QVERIFY(m_index->removeFile(upper));
    QCOMPARE(allRows(), shared);
    // Also when a caller drops the rows of a file that has gone (its information was written anew).
    QVERIFY(!m_index->updateKeywords(upper, {}));
    QCOMPARE(allRows(), shared);

    QVERIFY(QFile::remove(lower));
    QVERIFY(m_index->removeFile(lower));
    QCOMPARE(allRows(), QStringList());
}

void TestMediaLibraryDatabase::renameFileLeavesSharedRowsToTheTwin_data()
{
    QTest::addColumn<QString>("newName");
    QTest::addColumn<QStringList>("rowsAfter");
    const QString m = QStringLiteral("<m>");
    QTest::newRow("to a free name: rows of its own")
        << "Ship.jpg"
        << QStringList{row(m, "boat", "jpg", "boat.jpg", 0), row(m, "boat", "jpg", "harbour", 1),
                       row(m, "ship", "jpg", "ship.jpg", 0), row(m, "ship", "jpg", "sail", 1)};
    // The new name has a twin of its own ("SHIP.jpg"): the renamed file's keywords join the rows they share.
    QTest::newRow("to a name whose twin is there")
        << "ship.jpg"
        << QStringList{row(m, "boat", "jpg", "boat.jpg", 0), row(m, "boat", "jpg", "harbour", 1),
                       row(m, "ship", "jpg", "ship.jpg", 0), row(m, "ship", "jpg", "sail", 1),
                       row(m, "ship", "jpg", "wreck", 1)};
}

void TestMediaLibraryDatabase::renameFileLeavesSharedRowsToTheTwin()
{
    QFETCH(QString, newName);
    QFETCH(QStringList, rowsAfter);
    rowsAfter.replaceInStrings(QStringLiteral("<m>"), m_media.toLower());
    const QString renamed = m_media + QStringLiteral("/Boat.jpg");
    const QString twin = m_media + QStringLiteral("/boat.jpg");
    touch(renamed);
    touch(twin);
    QVERIFY(m_index->addFileByPath(twin, {QStringLiteral("harbour")}));
    if (newName == QLatin1String("ship.jpg")) {
        touch(m_media + QStringLiteral("/SHIP.jpg"));
        QVERIFY(m_index->addFileByPath(m_media + QStringLiteral("/SHIP.jpg"), {QStringLiteral("wreck")}));
    }

    QVERIFY(QFile::rename(renamed, m_media + QLatin1Char('/') + newName));
    QVERIFY(m_index->renameFile(m_media + QLatin1Char('/') + newName, renamed, {QStringLiteral("Sail")}));
    QCOMPARE(allRows(), rowsAfter);
}

void TestMediaLibraryDatabase::folderOperationsKeepRowsSharedWithAnotherSpelling()
{
    const QString upper = m_media + QStringLiteral("/Trip");
    const QString lower = m_media + QStringLiteral("/trip");
    touch(upper + QStringLiteral("/a.jpg"));
    touch(lower + QStringLiteral("/b.jpg"));
    QVERIFY(m_index->addFileByPath(upper + QStringLiteral("/a.jpg"), {QStringLiteral("alps")}));
    QVERIFY(m_index->addFileByPath(lower + QStringLiteral("/b.jpg"), {QStringLiteral("beach")}));
    const QStringList shared = allRows();
    QCOMPARE(shared.size(), 4);

    // Renamed: the other spelling keeps every shared row, the new folder gets a copy.
    const QString tour = m_media + QStringLiteral("/Tour");
    QVERIFY(QDir().rename(upper, tour));
    QVERIFY(m_index->renameFolder(tour, upper));
    const QStringList afterRename = allRows();
    QCOMPARE(afterRename.size(), 8);
    QCOMPARE(afterRename.filter(lower.toLower() + QLatin1Char('|')), shared);
    QCOMPARE(afterRename.filter(tour.toLower() + QLatin1Char('|')).size(), 4);

    // Removed while the other spelling is there: its rows stay. Without it, they go.
    QVERIFY(QDir().rename(tour, upper));
    QVERIFY(QDir(upper).removeRecursively());
    QVERIFY(m_index->removeFolder(upper));
    QCOMPARE(allRows().filter(lower.toLower() + QLatin1Char('|')), shared);
    QVERIFY(QDir(lower).removeRecursively());
    QVERIFY(m_index->removeFolder(lower));
    QCOMPARE(allRows().filter(lower.toLower() + QLatin1Char('|')), QStringList());
}

void TestMediaLibraryDatabase::parseKeywords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("words");

    QTest::newRow("trim, drop empty and repeats, keep case") << " Beach ,,beach,Beach" << QStringList{"Beach", "beach"};
    QTest::newRow("escapes") << "a_b, 50%, [x]" << QStringList{"a\\_b", "50\\%", "\\[x\\]"};
    QTest::newRow("repeat of an escaped word") << "a_b,a_b" << QStringList{"a\\_b"};
    QTest::newRow("backslash kept") << "a\\b" << QStringList{"a\\b"};
    QTest::newRow("only separators") << ", , ," << QStringList{};
    QTest::newRow("empty") << "" << QStringList{};
}

void TestMediaLibraryDatabase::parseKeywords()
{
    QFETCH(QString, text);
    QFETCH(QStringList, words);
    QCOMPARE(m_index->parseKeywords(text), words);
}

void TestMediaLibraryDatabase::searchMatchesAllWordsInOneRow_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("found");

    QTest::newRow("words in one keyword") << "red, car" << QStringList{"One Keyword.jpg", "red_car.jpg"};
    QTest::newRow("words in two keywords do not match") << "red,blue" << QStringList{};
    QTest::newRow("substring") << "car"
                               << QStringList{"One Keyword.jpg", "red_car.jpg", "scar.png", "Two Keywords.jpg"};
    QTest::newRow("case ignored") << "SCAR" << QStringList{"scar.png"};
    QTest::newRow("escaped underscore is literal") << "a_b" << QStringList{"With Underscore.jpg"};
    QTest::newRow("backslash escapes the next character") << "a\\b" << QStringList{"Plain ab.jpg"};
    QTest::newRow("name and keyword of one file give it once") << "two" << QStringList{"Two Keywords.jpg"};
    QTest::newRow("repeated word") << "Beach, beach" << QStringList{"Beach.jpg"};
    QTest::newRow("nothing") << " , " << QStringList{};
}

void TestMediaLibraryDatabase::searchMatchesAllWordsInOneRow()
{
    QFETCH(QString, text);
    QFETCH(QStringList, found);
    const QList<std::pair<QString, QStringList>> files = {
        {"One Keyword.jpg", {"red car"}},
        {"Two Keywords.jpg", {"red", "car", "two"}},
        {"red_car.jpg", {}},
        {"scar.png", {}},
        {"With Underscore.jpg", {"a_b"}},
        {"Other.jpg", {"axb"}},
        {"Plain ab.jpg", {"ab"}},
        {"Beach.jpg", {}},
    };
    for (const auto &[name, keywords] : files) {
        touch(m_media + QLatin1Char('/') + name);
        QVERIFY(m_index->addFileByPath(m_media + QLatin1Char('/') + name, keywords));
    }
    QStringList expected;
    for (const QString &name : std::as_const(found))
        expected << m_media + QLatin1Char('/') + name;
    QStringList result = m_index->searchKeywords(m_index->parseKeywords(text));
    result.sort();
    expected.sort();
    QCOMPARE(result, expected);
}

void TestMediaLibraryDatabase::searchPurgesRowsOfVanishedFiles()
{
    touch(m_media + QStringLiteral("/Kept Sea.jpg"));
    touch(m_media + QStringLiteral("/Gone.jpg"));
    QVERIFY(m_index->addFileByPath(m_media + QStringLiteral("/Kept Sea.jpg"), {}));
    QVERIFY(m_index->addFileByPath(m_media + QStringLiteral("/Gone.jpg"),
                                   {QStringLiteral("sea"), QStringLiteral("other")}));
    QFile::remove(m_media + QStringLiteral("/Gone.jpg"));

    QCOMPARE(m_index->searchKeywords({QStringLiteral("sea")}), QStringList{m_media + QStringLiteral("/Kept Sea.jpg")});
    QCOMPARE(allRows(), QStringList{row(m_media, "kept sea", "jpg", "kept sea.jpg", 0)});
    QCOMPARE(m_index->searchKeyword(QStringLiteral("KEPT")), QStringList{m_media + QStringLiteral("/Kept Sea.jpg")});
}

void TestMediaLibraryDatabase::searchReturnsEveryRealSpelling()
{
    touch(m_media + QStringLiteral("/Trip/Boat.JPG"));
    touch(m_media + QStringLiteral("/TRIP/boat.jpg"));
    QVERIFY(m_index->addFileByPath(m_media + QStringLiteral("/Trip/Boat.JPG"), {QStringLiteral("sail")}));
    QStringList result = m_index->searchKeywords({QStringLiteral("sail")});
    result.sort();
    QCOMPARE(result,
             (QStringList{m_media + QStringLiteral("/TRIP/boat.jpg"), m_media + QStringLiteral("/Trip/Boat.JPG")}));
    QCOMPARE(allRows().size(), 2);
}

void TestMediaLibraryDatabase::searchSeesFilesChangedSinceTheLastSearch()
{
    const QString first = m_media + QStringLiteral("/Trip/Boat.JPG");
    touch(first);
    QVERIFY(m_index->addFileByPath(first, {QStringLiteral("sail")}));
    QCOMPARE(m_index->searchKeywords({QStringLiteral("sail")}), QStringList{first});

    // Renamed right after the search, as quickly as the folder's time stamp may not move on.
    const QString renamed = m_media + QStringLiteral("/TRIP/boat.jpg");
    QVERIFY(QFile::rename(m_media + QStringLiteral("/Trip"), m_media + QStringLiteral("/TRIP")));
    QVERIFY(QFile::rename(m_media + QStringLiteral("/TRIP/Boat.JPG"), renamed));
    QCOMPARE(m_index->searchKeywords({QStringLiteral("sail")}), QStringList{renamed});
    QCOMPARE(allRows().size(), 2);

    QVERIFY(QFile::remove(renamed));
    QVERIFY(m_index->searchKeywords({QStringLiteral("sail")}).isEmpty());
    QVERIFY(allRows().isEmpty());
}

void TestMediaLibraryDatabase::busyIndexFailsQuickly()
{
    touch(m_media + QStringLiteral("/a.jpg"));
    QVERIFY(m_index->addFileByPath(m_media + QStringLiteral("/a.jpg"), {QStringLiteral("sea")}));
    const QStringList before = allRows();
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
        other.setDatabaseName(MediaLibraryDatabase::databasePath());
        QVERIFY(other.open());
        QSqlQuery lock(other);
        QVERIFY2(lock.exec(QStringLiteral("begin exclusive")), qPrintable(lock.lastError().text()));

        QElapsedTimer timer;
        timer.start();
        QVERIFY(!m_index->addFileByPath(m_media + QStringLiteral("/a.jpg"), {}));
        // An index that cannot be read is told apart from no hits.
        QVERIFY(m_index->searchKeywords({QStringLiteral("sea")}).isEmpty());
        QVERIFY(m_index->lastSearchFailed());
        QVERIFY(!m_index->syncFolder(m_media));
        // Far below the driver's default wait of 5 s per statement.
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
        lock.exec(QStringLiteral("rollback"));
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("holder"));
    QCOMPARE(allRows(), before);
    // The refused write (the keywords cleared) comes before the next search.
    QVERIFY(m_index->searchKeywords({QStringLiteral("sea")}).isEmpty());
    QVERIFY(!m_index->lastSearchFailed());
    QCOMPARE(m_index->searchKeywords({QStringLiteral("a.jpg")}), QStringList{m_media + QStringLiteral("/a.jpg")});
}

void TestMediaLibraryDatabase::writesRefusedByABusyIndexAreAppliedLater_data()
{
    QTest::addColumn<QString>("hold");
    // Immediate: other connections may still read. Exclusive: nothing may.
    QTest::newRow("immediate transaction") << QStringLiteral("begin immediate");
    QTest::newRow("exclusive transaction") << QStringLiteral("begin exclusive");
}

void TestMediaLibraryDatabase::writesRefusedByABusyIndexAreAppliedLater()
{
    QFETCH(QString, hold);
    const QString a = m_media + QStringLiteral("/a.jpg");
    const QString b = m_media + QStringLiteral("/b.jpg");
    const QString c = m_media + QStringLiteral("/c.jpg");
    touch(a);
    touch(b);
    QVERIFY(m_index->addFileByPath(a, {QStringLiteral("sea")}));
    QVERIFY(m_index->addFileByPath(b, {QStringLiteral("gull")}));
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
        other.setDatabaseName(MediaLibraryDatabase::databasePath());
        QVERIFY(other.open());
        QSqlQuery lock(other);
        QVERIFY2(lock.exec(hold), qPrintable(lock.lastError().text()));

        QVERIFY(!m_index->updateKeywords(a, {QStringLiteral("boat")}));
        QVERIFY(QFile::rename(b, c));
        QVERIFY(!m_index->renameFile(c, b));
        // Later writes wait behind the refused ones, whatever the lock: the order stays.
        QVERIFY(!m_index->updateKeywords(a, {QStringLiteral("boat"), QStringLiteral("harbour")}));
        QVERIFY(m_index->searchKeywords({QStringLiteral("boat")}).isEmpty());
        lock.exec(QStringLiteral("rollback"));
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("holder"));
    // Applied by the retries, with no further call to the index.
    QTRY_COMPARE_WITH_TIMEOUT(allRows().filter(QStringLiteral("|harbour|")).size(), 1, 5000);
    QVERIFY(allRows().filter(QStringLiteral("|sea|")).isEmpty());
    QCOMPARE(m_index->searchKeywords({QStringLiteral("gull")}), QStringList{c});
    QCOMPARE(m_index->searchKeywords({QStringLiteral("harbour")}), QStringList{a});
    QVERIFY(allRows().filter(QStringLiteral("|b|jpg|")).isEmpty());
}

void TestMediaLibraryDatabase::otherThreadIsRefused()
{
    touch(m_media + QStringLiteral("/a.jpg"));
    bool added = true;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        added = m_index->addFileByPath(m_media + QStringLiteral("/a.jpg"), {});
    }));
    thread->start();
    QVERIFY(thread->wait(5000));
    QVERIFY(!added);
    QVERIFY(allRows().isEmpty());
}

QUILLO_TEST_MAIN(TestMediaLibraryDatabase)
#include "tst_MediaLibraryDatabase.moc"
