#include "SettingImpl.h"
#include "StartupHelpers.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTranslator>

class TestStartupHelpers : public QObject
{
    Q_OBJECT

private:
    static QSettings file() { return QSettings(SettingImpl::settingsFilePath(), QSettings::IniFormat); }
    static QString defaultLogFolder()
    {
        return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QStringLiteral("/Quillo/logs");
    }
    static void writeFileAged(const QString &path, int daysOld)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("x");
        f.flush();
        const QDateTime when = QDateTime::currentDateTime().addDays(-daysOld);
        QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
    }

private Q_SLOTS:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("Quillo")); }

    void init()
    {
        QFile::remove(SettingImpl::settingsFilePath());
        QDir(defaultLogFolder()).removeRecursively();
    }

    void firstStartWritesTheStartupKeys()
    {
        QTranslator translator;
        loadLanguage(&translator);
        removeExpiredLogs();
        const QString folder = logFilesLocation();
        const int level = logLevelSetting();

        QCOMPARE(folder, defaultLogFolder());
        QVERIFY(QDir(folder).exists());
        QCOMPARE(level, 5);
        QVERIFY(translator.isEmpty());
        QSettings settings = file();
        QCOMPARE(settings.value(QStringLiteral("language")).toString(), QStringLiteral("eng"));
        QCOMPARE(settings.value(QStringLiteral("logs/logLevel")).toInt(), 5);
        QCOMPARE(settings.value(QStringLiteral("logs/logFilesExpiryDate")).toInt(), 30);
        QCOMPARE(settings.value(QStringLiteral("logs/logFilesLocation")).toString(), defaultLogFolder());
    }

    void storedValuesAreKeptOrMended_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QVariant>("after");
        QTest::newRow("negative expiry becomes 30")
            << QStringLiteral("logs/logFilesExpiryDate") << QVariant(-3) << QVariant(30);
        QTest::newRow("text expiry becomes 30")
            << QStringLiteral("logs/logFilesExpiryDate") << QVariant(QStringLiteral("soon")) << QVariant(30);
        QTest::newRow("expiry 7 is kept") << QStringLiteral("logs/logFilesExpiryDate") << QVariant(7) << QVariant(7);
        QTest::newRow("level 0 is kept") << QStringLiteral("logs/logLevel") << QVariant(0) << QVariant(0);
        QTest::newRow("level 12 is written back as read")
            << QStringLiteral("logs/logLevel") << QVariant(12) << QVariant(12);
        QTest::newRow("empty log folder counts as present")
            << QStringLiteral("logs/logFilesLocation") << QVariant(QStringLiteral("")) << QVariant(QStringLiteral(""));
    }

    void storedValuesAreKeptOrMended()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        QFETCH(QVariant, after);
        file().setValue(key, stored);
        removeExpiredLogs();
        logLevelSetting();
        QCOMPARE(file().value(key).toString(), after.toString());
    }

    void onlyExpiredLogFilesAreRemoved()
    {
        file().setValue(QStringLiteral("logs/logFilesExpiryDate"), 7);
        const QString folder = logFilesLocation();
        writeFileAged(folder + QStringLiteral("/Quillo261101-0001.log"), 8);
        writeFileAged(folder + QStringLiteral("/Quillo261102-0001.log"), 7);
        writeFileAged(folder + QStringLiteral("/Quillo261203-0002.log"), 0);
        // The folder is the user's to choose: their own files stay, however old.
        writeFileAged(folder + QStringLiteral("/lesson-plan.docx"), 400);
        writeFileAged(folder + QStringLiteral("/Quillo261101-0001.log.txt"), 400);
        QVERIFY(QDir(folder).mkdir(QStringLiteral("Quillo261101-0009.log")));
        writeFileAged(folder + QStringLiteral("/Quillo261101-0009.log/inside.log"), 400);

        removeExpiredLogs();

        QStringList left = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
        QCOMPARE(left, QStringList({QStringLiteral("Quillo261101-0001.log.txt"),
                                    QStringLiteral("Quillo261101-0009.log"), QStringLiteral("Quillo261102-0001.log"),
                                    QStringLiteral("Quillo261203-0002.log"), QStringLiteral("lesson-plan.docx")}));
        QVERIFY(QFile::exists(folder + QStringLiteral("/Quillo261101-0009.log/inside.log")));
    }

    void aMissingConfiguredFolderIsCreated()
    {
        const QString folder = QDir::homePath() + QStringLiteral("/deep/new/logs");
        file().setValue(QStringLiteral("logs/logFilesLocation"), folder);
        QCOMPARE(logFilesLocation(), folder);
        QVERIFY(QDir(folder).exists());
    }

    void languageIsLoadedFromTheWorkingFolderOrBesideTheProgram_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<bool>("inWorkingFolder");
        QTest::addColumn<bool>("loads");
        QTest::newRow("working folder") << QStringLiteral("fre") << true << true;
        QTest::newRow("beside the program") << QStringLiteral("tst") << false << true;
        QTest::newRow("unknown language") << QStringLiteral("xyz") << true << false;
        QTest::newRow("path in the value") << QStringLiteral("../language/Lang_fre") << true << false;
    }

    void languageIsLoadedFromTheWorkingFolderOrBesideTheProgram()
    {
        QFETCH(QString, language);
        QFETCH(bool, inWorkingFolder);
        QFETCH(bool, loads);
        const QString work = QDir::homePath() + QStringLiteral("/work");
        QVERIFY(QDir().mkpath(work + QStringLiteral("/language")));
        QFile::remove(work + QStringLiteral("/language/Lang_fre.qm"));
        QVERIFY(QFile::copy(TestEnvironment::inputPath("TEST_QM_FILE"),
                            work + QStringLiteral("/language/Lang_fre.qm")));
        const QString besideProgram = QCoreApplication::applicationDirPath() + QStringLiteral("/language/Lang_tst.qm");
        if (!inWorkingFolder && !QFile::exists(besideProgram))
            QVERIFY(QFile::copy(TestEnvironment::inputPath("TEST_QM_FILE"), besideProgram));
        const QString previous = QDir::currentPath();
        QDir::setCurrent(work);
        file().setValue(QStringLiteral("language"), language);

        QTranslator translator;
        loadLanguage(&translator);
        QDir::setCurrent(previous);
        QFile::remove(besideProgram);

        QCOMPARE(!translator.isEmpty(), loads);
        QCOMPARE(QCoreApplication::translate("TestContext", "Close") == QStringLiteral("Fermer"), loads);
        QCoreApplication::removeTranslator(&translator);
        QCOMPARE(file().value(QStringLiteral("language")).toString(), language);
    }
};

QUILLO_TEST_MAIN(TestStartupHelpers)
#include "tst_StartupHelpers.moc"
