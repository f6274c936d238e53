#include "ProtectedPaths.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestProtectedPaths : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A path is protected when it is an entry or a folder above one, letter case aside.
    void matching_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("covered");
        const QString series = QStringLiteral("/home/t/Media/TimeLapse1");
        QTest::newRow("the entry itself") << series << "/home/t/Media/TimeLapse1" << true;
        QTest::newRow("in other letter case") << series << "/HOME/t/media/timelapse1" << true;
        QTest::newRow("the folder holding it") << series << "/home/t/Media" << true;
        QTest::newRow("a folder higher up") << series << "/home" << true;
        QTest::newRow("a folder given with its slash") << series << "/home/t/" << true;
        QTest::newRow("the root") << series << "/" << true;
        QTest::newRow("a drive root") << "c:/media/timelapse1"
                                      << "C:/" << true;
        QTest::newRow("a file inside it") << series << "/home/t/Media/TimeLapse1/TL_0001.jpg" << false;
        QTest::newRow("a neighbour") << series << "/home/t/Media/TimeLapse2" << false;
        QTest::newRow("a longer name") << series << "/home/t/Media/TimeLapse10" << false;
        QTest::newRow("a leading piece of its name") << "/home/t/Media/TimeLapse10"
                                                     << "/home/t/Media/TimeLapse1" << false;
        QTest::newRow("a leading piece of a folder above") << series << "/home/t/Med" << false;
        QTest::newRow("a piece within it") << series << "/t/Media" << false;
    }
    void matching()
    {
        QFETCH(QString, entry);
        QFETCH(QString, path);
        QFETCH(bool, covered);
        ProtectedPaths paths;
        QVERIFY(!paths.isProtected(path));
        paths.append(entry);
        QCOMPARE(paths.isProtected(path), covered);
        paths.remove(entry);
        QVERIFY(!paths.isProtected(path));
    }

    // Entries are held once, in lower case, and leave in any letter case.
    void entriesIgnoreLetterCase()
    {
        ProtectedPaths paths;
        paths.append(QStringLiteral("/a/TimeLapse1"));
        paths.append(QStringLiteral("/A/timelapse1"));
        paths.append(QStringLiteral("/a/TimeLapse2"));
        QCOMPARE(paths.paths(), (QStringList{"/a/timelapse1", "/a/timelapse2"}));
        QVERIFY(paths.contains(QStringLiteral("/A/TIMELAPSE1")));
        QVERIFY(!paths.contains(QStringLiteral("/a")));
        paths.remove(QStringLiteral("/a/TIMELAPSE1"));
        QCOMPARE(paths.paths(), QStringList{"/a/timelapse2"});
        paths.remove(QStringLiteral("/a/timelapse2"));
        QVERIFY(paths.isEmpty());
    }

    // An image being written protects the folder it lies in; a folder protects itself.
    void aFileProtectsItsFolder()
    {
        QTemporaryDir dir(TestEnvironment::home() + QStringLiteral("/Series-XXXXXX"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Time Lapse 1")));
        const QString folder = dir.filePath(QStringLiteral("Time Lapse 1"));
        QFile image(folder + QStringLiteral("/TL_0001.jpg"));
        QVERIFY(image.open(QIODevice::WriteOnly));
        image.close();
        QCOMPARE(ProtectedPaths::folderOf(image.fileName()), folder.toLower());
        QCOMPARE(ProtectedPaths::folderOf(folder), folder.toLower());
    }
};

QUILLO_TEST_MAIN(TestProtectedPaths)
#include "tst_ProtectedPaths.moc"
