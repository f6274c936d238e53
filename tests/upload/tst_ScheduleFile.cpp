#include "FakeScheduleHost.h"
#include "HiddenFileList.h"
#include "ScheduleFile.h"
#include "ScheduleItem.h"
#include "TestEnvironment.h"
#include "UploadServiceBit.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// The schedule file as a whole: jobs in order across a save and a load, a fresh data folder, and damaged
// files that must neither bring back bogus jobs nor be lost.
class tst_ScheduleFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void jobsSurviveASaveInOrder();
    void damagedFilesKeepTheirWholeRecords_data();
    void damagedFilesKeepTheirWholeRecords();
    void eachDamagedFileIsKeptApart();
};

namespace {

QList<ScheduleItem *> raw(const std::vector<std::unique_ptr<ScheduleItem>> &items)
{
    QList<ScheduleItem *> list;
    for (const auto &item : items)
        list.append(item.get());
    return list;
}

std::vector<std::unique_ptr<ScheduleItem>> threeJobs(FakeScheduleHost &host)
{
    std::vector<std::unique_ptr<ScheduleItem>> items;
    const QDateTime base(QDate(2030, 5, 6), QTime(7, 8));
    const uint bits[] = {SERVICE_YOUTUBE, SERVICE_PICASA, SERVICE_DROPBOX};
    for (int i = 0; i < 3; ++i)
        items.push_back(std::make_unique<ScheduleItem>(&host, QStringLiteral("/m/%1.avi").arg(i), int(bits[i]), i != 1,
                                                       base.addSecs(60 * i), QStringLiteral("t%1").arg(i), QString(),
                                                       QStringLiteral("d"), QStringList{QStringLiteral("k%1").arg(i)}));
    return items;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The bytes of the three jobs' records, and where each record ends.
QByteArray threeRecords(QList<qsizetype> *ends)
{
    FakeScheduleHost host;
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(ScheduleItem::kRecordStreamVersion);
    for (const auto &item : threeJobs(host)) {
        item->write(stream);
        ends->append(bytes.size());
    }
    return bytes;
}

} // namespace

void tst_ScheduleFile::jobsSurviveASaveInOrder()
{
    QTemporaryDir root;
    // A fresh profile: the data folder does not exist yet.
    const QString folder = root.filePath(QStringLiteral("data/quillo"));
    FakeScheduleHost host;
    ScheduleFile file(folder);
    const auto items = threeJobs(host);
    QVERIFY(file.save(raw(items)));
    QVERIFY(HiddenFileList::names(folder).contains(QStringLiteral("SNScheduleFile.dat")));

    ScheduleFile again(folder);
    const auto loaded = again.load(&host);
    QCOMPARE(loaded.size(), size_t(3));
    for (size_t i = 0; i < 3; ++i) {
        QCOMPARE(loaded[i]->path(), items[i]->path());
        QCOMPARE(loaded[i]->service(), items[i]->service());
        QCOMPARE(loaded[i]->time(), items[i]->time());
        QCOMPARE(loaded[i]->keywords(), items[i]->keywords());
        QCOMPARE(loaded[i]->state(), int(JOB_QUEUED));
    }
    QVERIFY(again.asidePath().isEmpty());

    // An empty list leaves an empty file, not the old jobs.
    QVERIFY(file.save({}));
    QCOMPARE(fileBytes(file.path()).size(), 0);
    QCOMPARE(ScheduleFile(folder).load(&host).size(), size_t(0));
}

void tst_ScheduleFile::damagedFilesKeepTheirWholeRecords_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<bool>("setAside");

    QList<qsizetype> ends;
    const QByteArray three = threeRecords(&ends);
    const QStringList all{QStringLiteral("/m/0.avi"), QStringLiteral("/m/1.avi"), QStringLiteral("/m/2.avi")};
    QTest::newRow("sound") << three << all << false;
    QTest::newRow("empty") << QByteArray() << QStringList() << false;
    QTest::newRow("cut inside the second record") << three.left(ends[0] + 30) << all.mid(0, 1) << true;
    QTest::newRow("cut inside the first record") << three.left(10) << QStringList() << true;
    QTest::newRow("cut in the last field") << three.left(ends[2] - 2) << all.mid(0, 2) << true;
    QTest::newRow("trailing bytes") << three + QByteArray("\x00\x01", 2) << all << true;

    // The second record's state (the qint32 before the null result) set outside 1-5.
    QByteArray badState = three;
    badState.replace(ends[1] - 8, 4, QByteArray::fromHex("00000009"));
    QTest::newRow("second record's state 9") << badState << QStringList{all[0], all[2]} << true;
}

void tst_ScheduleFile::damagedFilesKeepTheirWholeRecords()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, paths);
    QFETCH(bool, setAside);

    QTemporaryDir folder;
    ScheduleFile file(folder.path());
    writeBytes(file.path(), bytes);
    FakeScheduleHost host;
    const auto items = file.load(&host);
    QStringList loaded;
    for (const auto &item : items) {
        loaded.append(item->path());
        QCOMPARE(item->service() & (SERVICE_YOUTUBE | SERVICE_PICASA | SERVICE_DROPBOX), item->service());
    }
    QCOMPARE(loaded, paths);
    const QString aside = file.asidePath();
    QCOMPARE(!aside.isEmpty(), setAside);
    if (setAside)
        QCOMPARE(fileBytes(aside), bytes);
    // The next save writes only the whole records, which read back sound; the damaged copy stays.
    QVERIFY(file.save(raw(items)));
    QCOMPARE(file.load(&host).size(), size_t(paths.size()));
    QVERIFY(file.asidePath().isEmpty());
    if (setAside)
        QCOMPARE(fileBytes(aside), bytes);
}

void tst_ScheduleFile::eachDamagedFileIsKeptApart()
{
    QTemporaryDir folder;
    ScheduleFile file(folder.path());
    FakeScheduleHost host;
    writeBytes(file.path(), QByteArray("\x00\x00", 2));
    QVERIFY(file.load(&host).empty());
    const QString first = file.asidePath();
    writeBytes(file.path(), QByteArray("\x00\x00\x00", 3));
    QVERIFY(file.load(&host).empty());
    QVERIFY(file.asidePath() != first);
    QCOMPARE(fileBytes(first).size(), 2);
    QCOMPARE(fileBytes(file.asidePath()).size(), 3);
}

QUILLO_TEST_MAIN(tst_ScheduleFile)
#include "tst_ScheduleFile.moc"
