#include "MyApp.h"
#include "TestEnvironment.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QWidget>

#include <csignal>

// Starts the real program the way a user does and checks what a start leaves behind. This test process
// is itself a first copy (its application object is the program's), so a second start can be seen
// activating it.
class TestStartup : public QObject
{
    Q_OBJECT

private:
    struct Folders
    {
        QString home;
        QString runtime;
    };

    // A user of their own for one start: home, data, config and, unless shared, runtime folders.
    static Folders freshUser(const QString &name, const QString &runtime = QString())
    {
        const QString root = TestEnvironment::root() + QStringLiteral("/") + name;
        Folders folders{root + QStringLiteral("/home"), runtime.isEmpty() ? root + QStringLiteral("/run") : runtime};
        QDir().mkpath(folders.home);
        QDir().mkpath(folders.runtime);
        QFile::setPermissions(folders.runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return folders;
    }

    static void start(QProcess &process, const Folders &folders, const QStringList &settings)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), folders.home);
        env.insert(QStringLiteral("XDG_DATA_HOME"), folders.home + QStringLiteral("/.local/share"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), folders.home + QStringLiteral("/.config"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), folders.runtime);
        for (const QString &setting : settings)
            env.insert(setting.section(QLatin1Char('='), 0, 0), setting.section(QLatin1Char('='), 1));
        process.setProcessEnvironment(env);
        process.setProgram(TestEnvironment::inputPath("QUILLO_BINARY"));
        process.start();
    }

    static void writeAged(const QString &path, int daysOld)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("old");
        file.flush();
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addDays(-daysOld), QFileDevice::FileModificationTime));
    }

private Q_SLOTS:
    void aFreshStartWritesItsSettingsAndLog()
    {
        const Folders user = freshUser(QStringLiteral("fresh"));
        const QString logs = user.home + QStringLiteral("/Documents/Quillo/logs");
        QVERIFY(QDir().mkpath(logs));
        writeAged(logs + QStringLiteral("/Quillo250101-0001.log"), 40);
        writeAged(logs + QStringLiteral("/Quillo261201-0003.log"), 2);
        writeAged(logs + QStringLiteral("/class-photos.zip"), 400);

        QProcess quillo;
        start(quillo, user, {QStringLiteral("QUILLO_STARTUP_PROBE=quit")});
        QVERIFY(quillo.waitForFinished(30000));
        QCOMPARE(quillo.exitStatus(), QProcess::NormalExit);
        QCOMPARE(quillo.exitCode(), 0);
        QVERIFY(QString::fromUtf8(quillo.readAllStandardOutput()).contains(QStringLiteral("window shown after")));

        QSettings settings(user.home + QStringLiteral("/.local/share/Quillo/Settings.ini"), QSettings::IniFormat);
        QCOMPARE(settings.value(QStringLiteral("language")).toString(), QStringLiteral("eng"));
        QCOMPARE(settings.value(QStringLiteral("logs/logLevel")).toInt(), 5);
        QCOMPARE(settings.value(QStringLiteral("logs/logFilesExpiryDate")).toInt(), 30);
        QCOMPARE(settings.value(QStringLiteral("logs/logFilesLocation")).toString(), logs);

        const QString today = QDate::currentDate().toString(QStringLiteral("yyMMdd"));
        const QStringList left = QDir(logs).entryList(QDir::Files, QDir::Name);
        QCOMPARE(left,
                 QStringList({QStringLiteral("Quillo261201-0003.log"), QStringLiteral("Quillo%1-0001.log").arg(today),
                              QStringLiteral("class-photos.zip")}));
        QFile log(logs + QStringLiteral("/Quillo%1-0001.log").arg(today));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(log.readAll());
        QVERIFY2(text.contains(QStringLiteral("[5] quillo/app: main - Quillo "))
                     && text.contains(QStringLiteral(" started")),
                 qPrintable(text));
    }

    void badSettingsDoNotStopTheStart_data()
    {
        QTest::addColumn<QByteArray>("settingsFile");
        QTest::addColumn<QString>("sign");
        QTest::newRow("binary settings file are kept aside")
            << QByteArray("\x00\x01\x7f\xff binary", 12) << QStringLiteral("kept as");
        QTest::newRow("unknown language")
            << QByteArray("[General]\nlanguage=xyz\n") << QStringLiteral("No translation language/Lang_xyz.qm");
        QTest::newRow("log level out of range")
            << QByteArray("[logs]\nlogLevel=99\n") << QStringLiteral("Log level 99 is outside 0 to 7");
        QTest::newRow("log folder that cannot exist")
            << QByteArray("[logs]\nlogFilesLocation=/proc/quillo/logs\n") << QStringLiteral("cannot open the log file");
    }

    void badSettingsDoNotStopTheStart()
    {
        QFETCH(QByteArray, settingsFile);
        QFETCH(QString, sign);
        const Folders user = freshUser(QStringLiteral("bad-") + QString::fromLatin1(QTest::currentDataTag()));
        const QString dataFolder = user.home + QStringLiteral("/.local/share/Quillo");
        QVERIFY(QDir().mkpath(dataFolder));
        QFile settings(dataFolder + QStringLiteral("/Settings.ini"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write(settingsFile);
        settings.close();

        QProcess quillo;
        start(quillo, user, {QStringLiteral("QUILLO_STARTUP_PROBE=quit")});
        QVERIFY(quillo.waitForFinished(30000));
        QCOMPARE(quillo.exitCode(), 0);
        QString said = QString::fromUtf8(quillo.readAllStandardError());
        const QStringList logs = QDir(user.home + QStringLiteral("/Documents/Quillo/logs")).entryList(QDir::Files);
        for (const QString &name : logs) {
            QFile log(user.home + QStringLiteral("/Documents/Quillo/logs/") + name);
            QVERIFY(log.open(QIODevice::ReadOnly));
            said += QString::fromUtf8(log.readAll());
        }
        QVERIFY2(said.contains(sign), qPrintable(said));
    }

    void aSecondStartActivatesTheFirstCopyAndLeavesNoTrace()
    {
        auto *app = dynamic_cast<MyApp *>(qApp);
        QVERIFY(app);
        QVERIFY(!app->isRunning());
        QWidget window;
        window.setWindowTitle(QStringLiteral("first copy"));
        window.show();
        QWidget other;
        other.show();
        app->setActivationWindow(&window, true);
        other.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &other);

        // Same runtime folder as this process: the second start finds this copy.
        const Folders user = freshUser(QStringLiteral("second"), qEnvironmentVariable("XDG_RUNTIME_DIR"));
        QProcess second;
        start(second, user, {QStringLiteral("QUILLO_ANSWER_MESSAGE_BOXES=1")});
        QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 20000);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(second.readAllStandardOutput()),
                 QStringLiteral("message box: Quillo is already running!\n"));
        QTRY_COMPARE(QApplication::activeWindow(), &window);

        // A second copy opens no log and touches no setting.
        QVERIFY(!QFile::exists(user.home + QStringLiteral("/.local/share/Quillo/Settings.ini")));
        QVERIFY(!QDir(user.home + QStringLiteral("/Documents/Quillo")).exists());
    }

    void aKilledCopyDoesNotBlockTheNextStart()
    {
        const Folders user = freshUser(QStringLiteral("killed"));
        QProcess first;
        start(first, user, {QStringLiteral("QUILLO_STARTUP_PROBE=report")});
        QVERIFY(first.waitForStarted());
        QByteArray shown;
        QTRY_VERIFY_WITH_TIMEOUT((shown += first.readAllStandardOutput()).contains("window shown"), 20000);
        ::kill(pid_t(first.processId()), SIGKILL);
        QVERIFY(first.waitForFinished(10000));
        QCOMPARE(first.exitStatus(), QProcess::CrashExit);

        QProcess next;
        start(next, user,
              {QStringLiteral("QUILLO_STARTUP_PROBE=quit"), QStringLiteral("QUILLO_ANSWER_MESSAGE_BOXES=1")});
        QVERIFY(next.waitForFinished(30000));
        QCOMPARE(next.exitCode(), 0);
        const QString output = QString::fromUtf8(next.readAllStandardOutput());
        QVERIFY2(output.contains(QStringLiteral("window shown after")), qPrintable(output));
        QVERIFY2(!output.contains(QStringLiteral("message box")), qPrintable(output));

        // The next start's log tells that it took over the lock the killed copy left.
        const QString logs = user.home + QStringLiteral("/Documents/Quillo/logs/");
        QString logged;
        const QStringList names = QDir(logs).entryList(QDir::Files, QDir::Name);
        for (const QString &name : names) {
            QFile log(logs + name);
            QVERIFY(log.open(QIODevice::ReadOnly));
            logged += QString::fromUtf8(log.readAll());
        }
        QCOMPARE(logged.count(QStringLiteral("InstanceGuard - took over the lock")), 1);
    }
};

QUILLO_TEST_MAIN_APP(TestStartup, MyApp)
#include "tst_Startup.moc"
