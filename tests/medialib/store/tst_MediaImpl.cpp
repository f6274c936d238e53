#include "MediaImpl.h"
#include "TestEnvironment.h"

#include <QDir>

namespace {

// Counts its own destruction, so a test sees that the last release deletes the record exactly once.
class CountedRecord : public MediaImpl
{
public:
    CountedRecord(const QString &path, int *destroyed)
        : MediaImpl(path)
        , m_destroyed(destroyed)
    {
    }
    ~CountedRecord() override { ++*m_destroyed; }

private:
    int *m_destroyed;
};

// How many descriptors of this process are open on the file.
int openHandlesOf(const QString &path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    int count = 0;
    const QFileInfoList descriptors =
        QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &descriptor : descriptors)
        count += descriptor.symLinkTarget() == target ? 1 : 0;
    return count;
}

} // namespace

class TestMediaImpl : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void newRecord();
    void typeOfPath_data();
    void typeOfPath();
    void typeIsKeptOnceKnown();
    void keywords_data();
    void keywords();
    void statusByServiceBit();
    void overallStatus_data();
    void overallStatus();
    void lockNests();
    void lockFailures_data();
    void lockFailures();
    void lastReleaseDeletesLockedRecord();

private:
    QTemporaryDir m_dir;
};

void TestMediaImpl::newRecord()
{
    MediaImpl *record = new MediaImpl(QStringLiteral("/x/a.jpg"));
    QCOMPARE(record->path(), QStringLiteral("/x/a.jpg"));
    QCOMPARE(record->refCount(), 1);
    QCOMPARE(record->lockCount(), 0);
    QCOMPARE(record->duration(), 0);
    QVERIFY(record->keywords().isEmpty());
    for (uint bit : {1u, 2u, 4u, 8u, 16u})
        QCOMPARE(record->uploadStatus(bit), int(MediaImpl::STATUS_NONE));
    QCOMPARE(record->overallUploadStatus(), int(MediaImpl::STATUS_NONE));
    QCOMPARE(record->mediaType(), int(MediaImpl::TYPE_IMAGE));
    record->release();
}

void TestMediaImpl::typeOfPath_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("isFolder");
    QTest::addColumn<int>("type");

    QTest::newRow("upper-case image") << "A.JPG" << false << int(MediaImpl::TYPE_IMAGE);
    for (const char *suffix : {".jpeg", ".jpe", ".jfif", ".png", ".bmp", ".tiff", ".tif"})
        QTest::newRow(suffix) << QStringLiteral("x") + QLatin1String(suffix) << false << int(MediaImpl::TYPE_IMAGE);
    QTest::newRow("upper-case video") << "clip.WMV" << false << int(MediaImpl::TYPE_VIDEO);
    QTest::newRow("missing video") << "missing.avi" << false << int(MediaImpl::TYPE_VIDEO);
    QTest::newRow("other") << "notes.txt" << false << int(MediaImpl::TYPE_OTHER);
    QTest::newRow("suffix only inside the name") << "jpg.txt" << false << int(MediaImpl::TYPE_OTHER);
    QTest::newRow("folder named like an image") << "pics.png" << true << int(MediaImpl::TYPE_FOLDER);
}

void TestMediaImpl::typeOfPath()
{
    QFETCH(QString, name);
    QFETCH(bool, isFolder);
    QFETCH(int, type);
    const QString path = m_dir.filePath(name);
    if (isFolder)
        QVERIFY(QDir().mkpath(path));
    QCOMPARE(MediaImpl::mediaTypeForPath(path), type);
}

void TestMediaImpl::typeIsKeptOnceKnown()
{
    MediaImpl record(QStringLiteral("/x/a.jpg"));
    QCOMPARE(record.mediaType(), int(MediaImpl::TYPE_IMAGE));
    record.setPath(QStringLiteral("/x/a.avi"));
    QCOMPARE(record.mediaType(), int(MediaImpl::TYPE_IMAGE));
    record.setType(7);
    QCOMPARE(record.mediaType(), 7);
}

void TestMediaImpl::keywords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("keywords");

    QTest::newRow("trim, drop empty and exact repeats") << " sea, Sea ,,sea,  " << QStringList{"sea", "Sea"};
    QTest::newRow("inner blanks kept") << "red car, blue" << QStringList{"red car", "blue"};
    QTest::newRow("blank pieces") << " , ,\t" << QStringList{};
    QTest::newRow("empty") << "" << QStringList{};
}

void TestMediaImpl::keywords()
{
    QFETCH(QString, text);
    QFETCH(QStringList, keywords);
    MediaImpl record(QStringLiteral("/x/a.jpg"));
    record.setKeywords(QStringLiteral("old"));
    record.setKeywords(text);
    QCOMPARE(record.keywords(), keywords);
}

void TestMediaImpl::statusByServiceBit()
{
    MediaImpl record(QStringLiteral("/x/a.jpg"));
    const uint bits[] = {1, 2, 4, 8, 16};
    for (int i = 0; i < 5; ++i)
        record.setUploadStatus(bits[i], 10 + i);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(record.uploadStatus(bits[i]), 10 + i);
    record.setUploadStatus(32, 1);
    record.setUploadStatus(3, 1);
    QCOMPARE(record.uploadStatus(3), 0);
    QCOMPARE(record.uploadStatus(32), 0);
    QCOMPARE(record.uploadStatus(0), 0);
    QCOMPARE(record.uploadStatus(4), 12);
}

void TestMediaImpl::overallStatus_data()
{
    QTest::addColumn<QList<int>>("statuses"); // youtube, facebook, picasa, twitpic, dropbox
    QTest::addColumn<int>("overall");

    QTest::newRow("queued wins over uploaded") << QList<int>{3, 1, 2, 2, 2} << 1;
    QTest::newRow("uploaded wins over chosen") << QList<int>{3, 2, 0, 2, 2} << 3;
    QTest::newRow("chosen") << QList<int>{2, 2, 0, 2, 2} << 0;
    QTest::newRow("queued on the last service") << QList<int>{0, 3, 2, 2, 1} << 1;
    QTest::newRow("none") << QList<int>{2, 2, 2, 2, 2} << 2;
}

void TestMediaImpl::overallStatus()
{
    QFETCH(QList<int>, statuses);
    QFETCH(int, overall);
    MediaImpl record(QStringLiteral("/x/a.jpg"));
    const uint bits[] = {1, 2, 4, 8, 16};
    for (int i = 0; i < 5; ++i)
        record.setUploadStatus(bits[i], statuses.at(i));
    QCOMPARE(record.overallUploadStatus(), overall);
}

void TestMediaImpl::lockNests()
{
    const QString path = m_dir.filePath(QStringLiteral("locked.jpg"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    MediaImpl record(path);
    QCOMPARE(record.lockFile(), 1);
    QCOMPARE(record.lockFile(), 1);
    QCOMPARE(record.lockCount(), 2);
    record.unlockFile();
    QVERIFY(record.isFileOpen());
    record.unlockFile();
    QVERIFY(!record.isFileOpen());
    record.unlockFile();
    QCOMPARE(record.lockCount(), 0);
}

void TestMediaImpl::lockFailures_data()
{
    QTest::addColumn<QString>("name");
    // As root, permissions stop nothing: a folder in the file's place and a vanished file fail for anyone.
    QTest::newRow("folder in the file's place") << "folder.jpg";
    QTest::newRow("vanished file") << "vanished.jpg";
}

void TestMediaImpl::lockFailures()
{
    QFETCH(QString, name);
    const QString path = m_dir.filePath(name);
    if (name.startsWith(QLatin1String("folder")))
        QVERIFY(QDir().mkpath(path));
    MediaImpl record(path);
    QCOMPARE(record.lockFile(), MediaImpl::kLockFailed);
    QCOMPARE(record.lockCount(), 0);
    // The lock must not bring a vanished file back as an empty one.
    QCOMPARE(QFileInfo::exists(path), name.startsWith(QLatin1String("folder")));
    record.unlockFile();
    QCOMPARE(record.lockCount(), 0);
}

void TestMediaImpl::lastReleaseDeletesLockedRecord()
{
    const QString path = m_dir.filePath(QStringLiteral("held.jpg"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    int destroyed = 0;
    MediaIntf *record = new CountedRecord(path, &destroyed);
    QCOMPARE(record->lockFile(), 1);
    QCOMPARE(openHandlesOf(path), 1);
    record->addRef();
    record->release();
    QCOMPARE(destroyed, 0);
    QCOMPARE(static_cast<MediaImpl *>(record)->refCount(), 1);
    QVERIFY(static_cast<MediaImpl *>(record)->isFileOpen());
    record->release();
    // Deleted once, and the file it held locked is free again.
    QCOMPARE(destroyed, 1);
    QCOMPARE(openHandlesOf(path), 0);
}

QUILLO_TEST_MAIN(TestMediaImpl)
#include "tst_MediaImpl.moc"
