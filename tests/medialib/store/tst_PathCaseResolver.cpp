#include "PathCaseResolver.h"
#include "TestEnvironment.h"

#include <sys/stat.h>

namespace {

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
}

qint64 stampOf(const QString &path)
{
    struct stat info
    {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    return std::max(qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
                    qint64(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec);
}

// Waits until a change made now gets a later time stamp than every folder given, so a listing trusted
// at once (a library left alone long ago) can be told from the changed folder.
void waitForNewerStamp(const QString &scratch, const QStringList &folders)
{
    qint64 newest = 0;
    for (const QString &folder : folders)
        newest = std::max(newest, stampOf(folder));
    const QString probe = scratch + QStringLiteral("/probe");
    QDir().mkpath(scratch);
    QElapsedTimer timer;
    timer.start();
    while (stampOf(scratch) <= newest && timer.elapsed() < 5000) {
        QTest::qWait(1);
        touch(probe);
        QFile::remove(probe);
    }
    QVERIFY(stampOf(scratch) > newest);
}

} // namespace

class TestPathCaseResolver : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void laterBatchSeesChangesOnDisk_data();
    void laterBatchSeesChangesOnDisk();
};

void TestPathCaseResolver::laterBatchSeesChangesOnDisk_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("found");

    QTest::newRow("file renamed in case") << "rename Trip/Boat.JPG Trip/BOAT.jpg" << QStringList{"Trip/BOAT.jpg"};
    QTest::newRow("file removed") << "remove Trip/Boat.JPG" << QStringList{};
    QTest::newRow("second spelling added") << "create Trip/boat.jpg" << QStringList{"Trip/boat.jpg", "Trip/Boat.JPG"};
    QTest::newRow("folder renamed in case") << "rename Trip TRIP" << QStringList{"TRIP/Boat.JPG"};
    QTest::newRow("file replaced by one in another case")
        << "remove Trip/Boat.JPG;create Trip/boat.JPG" << QStringList{"Trip/boat.JPG"};
}

void TestPathCaseResolver::laterBatchSeesChangesOnDisk()
{
    QFETCH(QString, change);
    QFETCH(QStringList, found);

    // A resolver that trusts a listing at once, and one that waits for the folder to settle and so must
    // catch a change made within the same tick of the file system's clock as the listing.
    for (const bool settledAtOnce : {true, false}) {
        QTemporaryDir tmp;
        const QString root = tmp.path() + QStringLiteral("/Media");
        touch(root + QStringLiteral("/Trip/Boat.JPG"));
        touch(root + QStringLiteral("/Trip/Sea.jpg"));
        PathCaseResolver resolver(settledAtOnce ? std::chrono::nanoseconds(0) : PathCaseResolver::kSettleTime);
        const QString wanted = root + QStringLiteral("/trip/boat.jpg");
        QCOMPARE(resolver.resolve(wanted), QStringList{root + QStringLiteral("/Trip/Boat.JPG")});

        if (settledAtOnce)
            waitForNewerStamp(tmp.path() + QStringLiteral("/scratch"), {root, root + QStringLiteral("/Trip")});
        for (const QString &step : change.split(QLatin1Char(';'))) {
            const QStringList words = step.split(QLatin1Char(' '));
            if (words[0] == QLatin1String("rename"))
                QVERIFY(QFile::rename(root + QLatin1Char('/') + words[1], root + QLatin1Char('/') + words[2]));
            else if (words[0] == QLatin1String("remove"))
                QVERIFY(QFile::remove(root + QLatin1Char('/') + words[1]));
            else
                touch(root + QLatin1Char('/') + words[1]);
        }

        resolver.newBatch();
        QStringList expected;
        for (const QString &path : std::as_const(found))
            expected << root + QLatin1Char('/') + path;
        QCOMPARE(resolver.resolve(wanted), expected);
    }
}

QUILLO_TEST_MAIN(TestPathCaseResolver)
#include "tst_PathCaseResolver.moc"
