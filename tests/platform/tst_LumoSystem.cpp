#include "LumoSystem.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QStorageInfo>

class TestLumoSystem : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void freeSpace_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("volumeOf");
        const QString home = QDir::homePath();
        QTest::newRow("existing folder") << home << home;
        QTest::newRow("folder not created yet") << home + QStringLiteral("/Quillo/Media Library/new") << home;
        QTest::newRow("relative path") << QStringLiteral("no/such/relative") << QDir::currentPath();
    }

    void freeSpace()
    {
        QFETCH(QString, path);
        QFETCH(QString, volumeOf);
        const qint64 free = LumoSystem::freeSpace(path);
        QVERIFY(free > 0);
        // Other processes write too: compare with a margin rather than exactly.
        QVERIFY(qAbs(free - QStorageInfo(volumeOf).bytesAvailable()) < 64 * 1024 * 1024);
    }

    void emptyPathHasNoVolume() { QCOMPARE(LumoSystem::freeSpace(QString()), qint64(-1)); }
};

QUILLO_TEST_MAIN(TestLumoSystem)
#include "tst_LumoSystem.moc"
