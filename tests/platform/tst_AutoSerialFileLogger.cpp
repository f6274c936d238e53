#include "AutoSerialFileLogger.h"
#include "TestEnvironment.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QtConcurrent/QtConcurrentRun>

class TestAutoSerialFileLogger : public QObject
{
    Q_OBJECT

private:
    QString m_dir;

    static void touch(const QString &path)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QString today() const { return QDate::currentDate().toString(QStringLiteral("yyMMdd")); }
    QString pattern() const { return m_dir + QStringLiteral("/QuilloYYMMDD-9999.log"); }

private Q_SLOTS:
    void init()
    {
        m_dir = QDir::homePath() + QStringLiteral("/logs-") + QString::fromLatin1(QTest::currentTestFunction());
        QDir(m_dir).removeRecursively();
        QVERIFY(QDir().mkpath(m_dir));
    }

    void eachStartGetsTheNextSerialOfTheDay()
    {
        touch(m_dir + QStringLiteral("/Quillo%1-0001.log").arg(today()));
        touch(m_dir + QStringLiteral("/Quillo%1-0007.log").arg(today()));
        touch(m_dir + QStringLiteral("/Quillo010101-0042.log"));
        touch(m_dir + QStringLiteral("/notes.txt"));

        AutoSerialFileLogger first(pattern());
        QVERIFY(first.open());
        QCOMPARE(QFileInfo(first.currentPath()).fileName(), QStringLiteral("Quillo%1-0008.log").arg(today()));
        AutoSerialFileLogger second(pattern());
        QVERIFY(second.open());
        QCOMPARE(QFileInfo(second.currentPath()).fileName(), QStringLiteral("Quillo%1-0009.log").arg(today()));
    }

    void linesCarryTimeLevelAndModuleAndAreFlushed()
    {
        AutoSerialFileLogger logger(pattern());
        QVERIFY(logger.open());
        logger.write(QDateTime(QDate::currentDate(), QTime(9, 5, 3, 120)), 2, QStringLiteral("quillo/capture"),
                     QStringLiteral("CaptureImpl::saveImageToPath - Not enough disk space!"));
        QFile file(logger.currentPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString line = QString::fromUtf8(file.readAll());
        QVERIFY2(line.endsWith(QStringLiteral(
                     "09:05:03.120 [2] quillo/capture: CaptureImpl::saveImageToPath - Not enough disk space!\n")),
                 qPrintable(line));
    }

    void aNewDayMovesOnToItsOwnFile()
    {
        AutoSerialFileLogger logger(pattern());
        QVERIFY(logger.open());
        const QString firstPath = logger.currentPath();
        const QDateTime tomorrow(QDate::currentDate().addDays(1), QTime(0, 0, 1));
        logger.write(tomorrow, 5, QStringLiteral("m"), QStringLiteral("after midnight"));
        QCOMPARE(QFileInfo(logger.currentPath()).fileName(),
                 QStringLiteral("Quillo%1-0001.log").arg(tomorrow.date().toString(QStringLiteral("yyMMdd"))));
        QVERIFY(QFile::exists(firstPath));
    }

    void aNewDayWhoseFileCannotBeOpenedIsRetriedOnceAMinute()
    {
        AutoSerialFileLogger logger(pattern());
        QVERIFY(logger.open());
        const QDateTime midnight(QDate::currentDate().addDays(1), QTime(0, 0, 1));
        const QString tomorrowsFile =
            m_dir + QStringLiteral("/Quillo%1-0001.log").arg(midnight.date().toString(QStringLiteral("yyMMdd")));
        // The log folder is gone when the day changes (an unplugged drive, a cleaning tool).
        QVERIFY(QDir(m_dir).removeRecursively());
        QVERIFY(!logger.write(midnight, 5, QStringLiteral("m"), QStringLiteral("refused")));
        QVERIFY(QDir().mkpath(m_dir));
        QVERIFY(!logger.write(midnight.addSecs(30), 5, QStringLiteral("m"), QStringLiteral("not tried yet")));
        QVERIFY(!QFile::exists(tomorrowsFile));
        QVERIFY(logger.write(midnight.addSecs(61), 5, QStringLiteral("m"), QStringLiteral("tried again")));
        QVERIFY(logger.write(midnight.addSecs(62), 5, QStringLiteral("m"), QStringLiteral("and on")));
        QCOMPARE(logger.currentPath(), tomorrowsFile);
        QFile file(tomorrowsFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString written = QString::fromUtf8(file.readAll());
        QCOMPARE(written.count(QLatin1Char('\n')), 2);
        QVERIFY(written.contains(QStringLiteral("[5] m: tried again\n")));
        QVERIFY(written.endsWith(QStringLiteral("[5] m: and on\n")));
    }

    void aFolderThatCannotHoldTheFileFailsToOpen()
    {
        AutoSerialFileLogger logger(QStringLiteral("/proc/quillo-no-such/QuilloYYMMDD-9999.log"));
        QVERIFY(!logger.open());
        QVERIFY(logger.currentPath().isEmpty());
        QVERIFY(logger.description().contains(QStringLiteral("/proc/quillo-no-such/")));
        QVERIFY(!logger.write(QDateTime::currentDateTime(), 1, QStringLiteral("m"), QStringLiteral("refused")));
    }

    void linesFromManyThreadsStayWhole()
    {
        AutoSerialFileLogger logger(pattern());
        QVERIFY(logger.open());
        constexpr int threads = 8;
        constexpr int perThread = 400;
        QList<QFuture<void>> futures;
        for (int t = 0; t < threads; ++t) {
            futures.append(QtConcurrent::run([&logger, t] {
                for (int i = 0; i < perThread; ++i)
                    logger.write(QDateTime::currentDateTime(), 5, QStringLiteral("thread%1").arg(t),
                                 QStringLiteral("message %1 of thread %2 ").arg(i).arg(t).repeated(4));
            }));
        }
        for (QFuture<void> &future : futures)
            future.waitForFinished();
        QFile file(logger.currentPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.size(), threads * perThread + 1);
        const QRegularExpression whole(
            QStringLiteral("^\\S+ \\S+ \\[5\\] thread(\\d): (message (\\d+) of thread \\1 ){4}$"));
        for (int i = 0; i < threads * perThread; ++i)
            QVERIFY2(whole.match(QString::fromUtf8(lines[i])).hasMatch(), lines[i].constData());
    }

    void namesOfTheLoggerAreRecognised_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("matches");
        QTest::newRow("ordinary") << QStringLiteral("Quillo261209-0001.log") << true;
        QTest::newRow("serial past 9999") << QStringLiteral("Quillo261209-10000.log") << true;
        QTest::newRow("user's file") << QStringLiteral("lesson-plan.docx") << false;
        QTest::newRow("another program's log") << QStringLiteral("Other261209-0001.log") << false;
        QTest::newRow("suffix added") << QStringLiteral("Quillo261209-0001.log.bak") << false;
        QTest::newRow("short date") << QStringLiteral("Quillo2612-0001.log") << false;
        QTest::newRow("pattern itself") << QStringLiteral("QuilloYYMMDD-9999.log") << false;
        QTest::newRow("regex characters are literal") << QStringLiteral("Quillo261209-0001Xlog") << false;
    }

    void namesOfTheLoggerAreRecognised()
    {
        QFETCH(QString, name);
        QFETCH(bool, matches);
        QCOMPARE(AutoSerialFileLogger::matchesPattern(QStringLiteral("QuilloYYMMDD-9999.log"), name), matches);
    }
};

QUILLO_TEST_MAIN(TestAutoSerialFileLogger)
#include "tst_AutoSerialFileLogger.moc"
