#include "MediaFileStore.h"
#include "MediaImpl.h"
#include "MediaInfoFile.h"
#include "MediaLibraryDatabase.h"
#include "TestEnvironment.h"

#include <QBuffer>
#include <QImage>

namespace {

// A record with every stored field set, matching data/full-record.mnfo.
void fill(MediaImpl &r)
{
    r.setTitle(QStringLiteral("Math & \"Physics\" <1>"));
    r.setAuthor(QStringLiteral("Ann Ö"));
    r.setKeywords(QStringLiteral("sea, Sea, red car"));
    r.setDuration(61999);
    r.setType(MediaImpl::TYPE_VIDEO);
    r.setPicasaUrl(QUrl(QStringLiteral("https://p.example/1")));
    r.setYoutubeUrl(QUrl(QStringLiteral("https://y.example/watch?v=a&b=c")));
    r.setSchooltubeUrl(QUrl(QStringLiteral("https://s.example/")));
    r.setTwitpicUrl(QUrl(QStringLiteral("https://t.example/x")));
    r.setPicasaID(QStringLiteral("P1"));
    r.setYoutubeID(QStringLiteral("Y1"));
    r.setSchooltubeID(QStringLiteral("S1"));
    r.setDropboxID(QStringLiteral("D1"));
    r.setTwitpicID(QStringLiteral("T1"));
    r.setUploadStatus(MediaImpl::SERVICE_YOUTUBE, 3);
    r.setUploadStatus(MediaImpl::SERVICE_PICASA, 1);
    r.setUploadStatus(MediaImpl::SERVICE_TWITPIC, 0);
    r.setUploadStatus(MediaImpl::SERVICE_DROPBOX, 7);
}

QByteArray golden()
{
    QFile file(TestEnvironment::inputPath("MEDIA_FILE_STORE_DATA") + QStringLiteral("/full-record.mnfo"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The stored fields of a record, side by side, for comparison.
QStringList stored(MediaImpl &r)
{
    QStringList fields{r.title(),
                       r.author(),
                       r.keywords().join(QLatin1Char('|')),
                       QString::number(r.duration()),
                       QString::number(r.mediaType()),
                       r.description()};
    for (const QUrl &url :
         {r.picasaUrl(), r.youtubeUrl(), r.facebookUrl(), r.schooltubeUrl(), r.dropboxUrl(), r.twitpicUrl()})
        fields << url.toString();
    fields << r.picasaID() << r.youtubeID() << r.facebookID() << r.schooltubeID() << r.dropboxID() << r.twitpicID();
    for (uint bit : {1u, 2u, 4u, 8u, 16u})
        fields << QString::number(r.uploadStatus(bit));
    return fields;
}

void read(const QByteArray &xml, MediaImpl &record)
{
    QBuffer buffer;
    buffer.setData(xml);
    buffer.open(QIODevice::ReadOnly);
    MediaInfoFile::read(buffer, record);
}

} // namespace

class TestMediaFileStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cachePaths_data();
    void cachePaths();
    void infoFileMatchesGoldenFile();
    void infoFileRoundTrip();
    void lineEndsSurviveTheInfoFile_data();
    void lineEndsSurviveTheInfoFile();
    void unknownTypeIsComputedAndFixed();
    void tolerantReading_data();
    void tolerantReading();
    void missingInfoFileChangesNothing();
    void writeInfoNeedsMirrorFolder();
    void writeInfoReplacesFileAndIndexRows();
    void makeCacheFolderMarksRootHiddenOnce();
    void imageThumbnail();

private:
    MediaFileStore *m_store = nullptr;
    QString m_root;
};

void TestMediaFileStore::init()
{
    m_store = MediaFileStore::getInstance();
    m_root = MediaFileStore::cacheRootPath();
}

void TestMediaFileStore::cachePaths_data()
{
    QTest::addColumn<QString>("media");
    QTest::addColumn<QString>("mirror");

    QTest::newRow("file") << "/home/u/Media Library/a.jpg"
                          << "/home/u/Media Library/a.jpg";
    QTest::newRow("colon kept") << "/home/u/a:b.jpg"
                                << "/home/u/a:b.jpg";
    QTest::newRow("folder with trailing slash") << "/home/u/Trip/"
                                                << "/home/u/Trip";
    QTest::newRow("non-Latin") << QStringLiteral("/home/u/Фото.png") << QStringLiteral("/home/u/Фото.png");
}

void TestMediaFileStore::cachePaths()
{
    QFETCH(QString, media);
    QFETCH(QString, mirror);
    QVERIFY(m_root.endsWith(QLatin1String("/Lumo")));
    QVERIFY(QFileInfo(m_root).isDir());
    QCOMPARE(m_store->mirrorPath(media), m_root + mirror);
    QCOMPARE(m_store->infoFilePath(media), m_root + mirror + QStringLiteral(".mnfo"));
    QCOMPARE(m_store->thumbnailPath(media), m_root + mirror + QStringLiteral(".png"));
}

void TestMediaFileStore::infoFileMatchesGoldenFile()
{
    MediaImpl record(QStringLiteral("/m/a.avi"));
    fill(record);
    QCOMPARE(MediaInfoFile::toXml(record), golden());
}

void TestMediaFileStore::infoFileRoundTrip()
{
    MediaImpl written(QStringLiteral("/m/a.avi"));
    fill(written);
    MediaImpl readBack(QStringLiteral("/m/a.avi"));
    read(golden(), readBack);
    QCOMPARE(stored(readBack), stored(written));
    QCOMPARE(readBack.keywords(), (QStringList{"sea", "Sea", "red car"}));
}

void TestMediaFileStore::lineEndsSurviveTheInfoFile_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("line feeds") << "one\ntwo\n";
    QTest::newRow("carriage return and line feed") << "one\r\ntwo";
    QTest::newRow("carriage returns alone") << "\rone\rtwo\r";
    QTest::newRow("entity-like text next to one") << "&#13;\r&amp;";
}

void TestMediaFileStore::lineEndsSurviveTheInfoFile()
{
    QFETCH(QString, text);
    MediaImpl written(QStringLiteral("/m/a.avi"));
    written.setTitle(text);
    written.setDescription(text);
    MediaImpl readBack(QStringLiteral("/m/a.avi"));
    read(MediaInfoFile::toXml(written), readBack);
    QCOMPARE(readBack.title(), text);
    QCOMPARE(readBack.description(), text);
    // Texts without a carriage return are written as before.
    QCOMPARE(MediaInfoFile::toXml(written).count("<FileDescription>"), 1);
}

void TestMediaFileStore::unknownTypeIsComputedAndFixed()
{
    MediaImpl record(QStringLiteral("/m/notes.txt"));
    QVERIFY(MediaInfoFile::toXml(record).contains("<FileType>3</FileType>"));
    record.setPath(QStringLiteral("/m/notes.jpg"));
    QCOMPARE(record.mediaType(), int(MediaImpl::TYPE_OTHER));
}

void TestMediaFileStore::tolerantReading_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("youtube");
    QTest::addColumn<qint64>("duration");

    const QByteArray head = "<?xml version=\"1.0\"?><FileInformation>";
    QTest::newRow("cut in the middle keeps what came before")
        << head + "<FileTitle>T</FileTitle><FileType>2</FileType><youtubeQueued>3</youtu"
        << "T" << 2 << 2 << qint64(0);
    QTest::newRow("element cut inside its text is not applied") << head + "<FileTitle>T</FileTitle><FileDuration>12"
                                                                << "T" << -1 << 2 << qint64(0);
    QTest::newRow("malformed stops at the fault") << head + "<FileTitle>T</FileTitle><a></b><FileType>1</FileType>"
                                                  << "T" << -1 << 2 << qint64(0);
    QTest::newRow("repeat: the last wins, any order, unknown names skipped")
        << head
               + "<FileType>1</FileType><Other>x<FileTitle>inner</FileTitle></Other><FileTitle>B</FileTitle></"
                 "FileInformation>"
        << "B" << 1 << 2 << qint64(0);
    QTest::newRow("texts that are no numbers")
        << head
               + "<FileType>x</FileType><youtubeQueued>?</youtubeQueued><FileDuration>1e3</FileDuration></"
                 "FileInformation>"
        << "" << 0 << 0 << qint64(0);
    QTest::newRow("type 3 leaves the type unknown")
        << head + "<FileType>3</FileType><FileDuration>42</FileDuration></FileInformation>"
        << "" << -1 << 2 << qint64(42);
    QTest::newRow("other root, empty elements")
        << QByteArray("<Root><FileTitle/><FileType>0</FileType></Root>") << "" << 0 << 2 << qint64(0);
    QTest::newRow("no XML at all") << QByteArray("\x00\xff garbage", 11) << "" << -1 << 2 << qint64(0);
    QTest::newRow("empty file") << QByteArray() << "" << -1 << 2 << qint64(0);
}

void TestMediaFileStore::tolerantReading()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, title);
    QFETCH(int, type);
    QFETCH(int, youtube);
    QFETCH(qint64, duration);
    // A record of a path that does not exist, so that an unknown type stays -1 until asked.
    MediaImpl record(QStringLiteral("/nowhere/x.bin"));
    read(xml, record);
    QCOMPARE(record.title(), title);
    QCOMPARE(record.uploadStatus(MediaImpl::SERVICE_YOUTUBE), youtube);
    QCOMPARE(record.duration(), duration);
    if (type == -1)
        QCOMPARE(record.mediaType(), int(MediaImpl::TYPE_OTHER));
    else
        QCOMPARE(record.mediaType(), type);
}

void TestMediaFileStore::missingInfoFileChangesNothing()
{
    MediaImpl record(QStringLiteral("/nowhere/x.jpg"));
    record.setTitle(QStringLiteral("kept"));
    m_store->readInfo(&record);
    QCOMPARE(record.title(), QStringLiteral("kept"));
}

void TestMediaFileStore::writeInfoNeedsMirrorFolder()
{
    QTemporaryDir media;
    const QString path = media.filePath(QStringLiteral("Never Entered/a.jpg"));
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile(path).open(QIODevice::WriteOnly);
    MediaLibraryDatabase *index = MediaLibraryDatabase::getInstance();
    QVERIFY(index->addFileByPath(path, {QStringLiteral("old")}));

    MediaImpl record(path);
    record.setKeywords(QStringLiteral("new"));
    m_store->writeInfo(&record);
    QVERIFY(!m_store->hasInfoFile(path));
    QCOMPARE(index->searchKeywords({QStringLiteral("old")}), QStringList{path});
    QVERIFY(index->searchKeywords({QStringLiteral("new")}).isEmpty());
    MediaLibraryDatabase::release();
}

void TestMediaFileStore::writeInfoReplacesFileAndIndexRows()
{
    QTemporaryDir media;
    const QString path = media.filePath(QStringLiteral("Clip One.AVI"));
    QFile(path).open(QIODevice::WriteOnly);
    m_store->makeCacheFolder(media.path());
    {
        QFile old(m_store->infoFilePath(path));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(10000, ' ') + "<broken");
    }
    MediaImpl record(path);
    fill(record);
    m_store->writeInfo(&record);
    QFile written(m_store->infoFilePath(path));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), golden());
    // No temporary file is left beside it.
    QCOMPARE(QDir(m_store->mirrorPath(media.path())).entryList(QDir::Files), QStringList{"Clip One.AVI.mnfo"});

    MediaLibraryDatabase *index = MediaLibraryDatabase::getInstance();
    QCOMPARE(index->searchKeywords({QStringLiteral("red car")}), QStringList{path});
    QCOMPARE(index->searchKeywords({QStringLiteral("clip one")}), QStringList{path});
    MediaLibraryDatabase::release();

    MediaImpl readBack(path);
    m_store->readInfo(&readBack);
    QCOMPARE(stored(readBack), stored(record));
}

void TestMediaFileStore::makeCacheFolderMarksRootHiddenOnce()
{
    const QString list = QFileInfo(m_root).absolutePath() + QStringLiteral("/.hidden");
    QFile::remove(list);
    QTemporaryDir media;
    const QString folder = media.filePath(QStringLiteral("Folder"));
    m_store->makeCacheFolder(folder);
    QVERIFY(QFileInfo(m_store->mirrorPath(folder)).isDir());
    QFile file(list);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("Lumo\n"));
    file.close();

    QFile::remove(list);
    m_store->makeCacheFolder(folder);
    QVERIFY(!QFileInfo::exists(list));
}

void TestMediaFileStore::imageThumbnail()
{
    QTemporaryDir media;
    const QString path = media.filePath(QStringLiteral("wide.png"));
    QImage image(400, 100, QImage::Format_RGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(path));
    m_store->makeCacheFolder(media.path());
    MediaImpl record(path);
    m_store->makeImageThumbnail(&record);
    QCOMPARE(QImage(m_store->thumbnailPath(path)).size(), QSize(100, 100));

    MediaImpl video(media.filePath(QStringLiteral("clip.avi")));
    m_store->makeImageThumbnail(&video);
    QVERIFY(!m_store->hasThumbnail(video.path()));
}

QUILLO_TEST_MAIN(TestMediaFileStore)
#include "tst_MediaFileStore.moc"
