#include "LogSystem.h"
#include "SysLogger.h"
#include "TestEnvironment.h"

#include <QTemporaryFile>

#include <cstdio>

#include <unistd.h>

namespace {

struct Written
{
    int level;
    QString module;
    QString text;
};

class RecordingLogger : public SysLogger
{
public:
    explicit RecordingLogger(QList<Written> *lines, bool opens = true)
        : m_lines(lines)
        , m_opens(opens)
    {
    }
    bool open() override { return m_opens; }
    bool write(const QDateTime &, int level, const QString &module, const QString &text) override
    {
        if (!m_writes)
            return false;
        m_lines->append({level, module, text});
        return true;
    }
    void close() override {}
    QString description() const override { return QStringLiteral("recording"); }
    // Stands for a destination that refuses lines for a while, such as a log folder that went away.
    void setWrites(bool writes) { m_writes = writes; }

private:
    QList<Written> *m_lines;
    bool m_opens;
    bool m_writes = true;
};

// Catches what is written to the process's stderr while it lives.
class StderrCapture
{
public:
    StderrCapture()
    {
        if (!m_file.open())
            qFatal("cannot make a file for stderr");
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        ::dup2(m_file.handle(), STDERR_FILENO);
    }
    ~StderrCapture() { restore(); }
    StderrCapture(const StderrCapture &) = delete;
    StderrCapture &operator=(const StderrCapture &) = delete;

    QString take()
    {
        restore();
        m_file.seek(0);
        return QString::fromUtf8(m_file.readAll());
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        m_saved = -1;
    }

    QTemporaryFile m_file;
    int m_saved = -1;
};

void logf(LogSystem &log, int module, LogSystem::LogLevel level, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    log.log(module, level, format, args);
    va_end(args);
}

QStringList texts(const QList<Written> &lines)
{
    QStringList result;
    for (const Written &line : lines)
        result.append(line.text);
    return result;
}

} // namespace

class TestLogSystem : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void modulesAreNumberedOnce()
    {
        LogSystem log;
        const int capture = log.registerLoggedModule(QStringLiteral("quillo/capture"));
        const int upload = log.registerLoggedModule(QStringLiteral("quillo/upload"));
        QVERIFY(capture >= 0);
        QVERIFY(upload != capture);
        QCOMPARE(log.registerLoggedModule(QStringLiteral("quillo/capture")), capture);
        QCOMPARE(log.registerLoggedModule(QString()), -1);
    }

    void linesBeforeTheStartAreKeptAndFilteredThen()
    {
        QList<Written> lines;
        LogSystem log;
        const int module = log.registerLoggedModule(QStringLiteral("quillo/capture"));
        logf(log, module, LogSystem::LOG_CRITICAL, "early %d", 1);
        logf(log, module, LogSystem::LOG_DEBUG, "too detailed");
        log.setLogger(new RecordingLogger(&lines));
        log.setLogLevel(LogSystem::LOG_NOTICE);
        log.enableAllLog();
        QVERIFY(lines.isEmpty());
        log.startLog();
        logf(log, module, LogSystem::LOG_NOTICE, "after %s", "start");
        logf(log, module, LogSystem::LOG_INFO, "below the level");
        logf(log, 99, LogSystem::LOG_CRITICAL, "unknown module");
        QCOMPARE(texts(lines), QStringList({QStringLiteral("early 1"), QStringLiteral("after start")}));
        QCOMPARE(lines.first().module, QStringLiteral("quillo/capture"));
        QCOMPARE(lines.first().level, 2);
        log.stopLog();
        logf(log, module, LogSystem::LOG_CRITICAL, "after stop");
        QCOMPARE(lines.size(), 2);
    }

    void nothingIsWrittenUntilLoggingIsEnabled()
    {
        QList<Written> lines;
        LogSystem log;
        const int module = log.registerLoggedModule(QStringLiteral("m"));
        log.setLogger(new RecordingLogger(&lines));
        log.startLog();
        logf(log, module, LogSystem::LOG_EMERGENCY, "disabled");
        QVERIFY(lines.isEmpty());
        log.enableAllLog();
        logf(log, module, LogSystem::LOG_EMERGENCY, "enabled");
        QCOMPARE(texts(lines), QStringList{QStringLiteral("enabled")});
    }

    void levelOutsideTheRangeIsBroughtIn_data()
    {
        QTest::addColumn<int>("given");
        QTest::addColumn<int>("used");
        QTest::newRow("negative") << -4 << 0;
        QTest::newRow("zero passes") << 0 << 0;
        QTest::newRow("seven passes") << 7 << 7;
        QTest::newRow("too high") << 42 << 7;
    }

    void levelOutsideTheRangeIsBroughtIn()
    {
        QFETCH(int, given);
        QFETCH(int, used);
        LogSystem log;
        log.setLogLevel(given);
        QCOMPARE(int(log.logLevel()), used);
    }

    void pendingLinesAreBounded()
    {
        QList<Written> lines;
        LogSystem log;
        const int module = log.registerLoggedModule(QStringLiteral("m"));
        for (int i = 0; i < 5000; ++i)
            logf(log, module, LogSystem::LOG_ERROR, "line %d", i);
        log.setLogger(new RecordingLogger(&lines));
        log.enableAllLog();
        log.startLog();
        QVERIFY(lines.size() < 5000);
        QCOMPARE(lines.first().text, QStringLiteral("line 0"));
        QVERIFY(lines.last().text.contains(QStringLiteral("dropped")));
    }

    void linesTheLoggerRefusesGoToStderr()
    {
        QList<Written> lines;
        auto *logger = new RecordingLogger(&lines);
        LogSystem log;
        const int module = log.registerLoggedModule(QStringLiteral("quillo/capture"));
        log.setLogger(logger);
        log.enableAllLog();
        log.startLog();
        StderrCapture stderrText;
        logger->setWrites(false);
        logf(log, module, LogSystem::LOG_ERROR, "while the file is %s", "gone");
        logf(log, module, LogSystem::LOG_ERROR, "still gone");
        logger->setWrites(true);
        logf(log, module, LogSystem::LOG_ERROR, "back in the file");
        const QString text = stderrText.take();
        QCOMPARE(text.count(QStringLiteral("cannot write the log file recording")), 1);
        QVERIFY2(text.contains(QStringLiteral("quillo/capture: while the file is gone\n")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("quillo/capture: still gone\n")), qPrintable(text));
        QVERIFY2(!text.contains(QStringLiteral("back in the file")), qPrintable(text));
        QCOMPARE(texts(lines), QStringList{QStringLiteral("back in the file")});
    }

    void controlCharactersAreEscaped_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("written");
        QTest::newRow("a name that forges a line")
            << QStringLiteral("Photo.jpg\n2026-01-05 09:00:00.000 [2] quillo/upload: forged")
            << QStringLiteral("Photo.jpg\\n2026-01-05 09:00:00.000 [2] quillo/upload: forged");
        QTest::newRow("carriage return and tab") << QStringLiteral("a\rb\tc") << QStringLiteral("a\\rb\\tc");
        QTest::newRow("terminal escape and delete")
            << QStringLiteral("a\x1b[2Jb\x7f") << QStringLiteral("a\\x1b[2Jb\\x7f");
        QTest::newRow("C1 next line") << QStringLiteral("a\u0085b") << QStringLiteral("a\\x85b");
        QTest::newRow("Unicode separators") << QStringLiteral("a\u2028b\u2029") << QStringLiteral("a\\u2028b\\u2029");
        QTest::newRow("printable text as it is")
            << QStringLiteral("Ünïcode \\ \"quoted\" 日本") << QStringLiteral("Ünïcode \\ \"quoted\" 日本");
    }

    void controlCharactersAreEscaped()
    {
        QFETCH(QString, given);
        QFETCH(QString, written);
        QList<Written> lines;
        LogSystem log;
        const int module = log.registerLoggedModule(QStringLiteral("quillo/mediaLibrary"));
        log.setLogger(new RecordingLogger(&lines));
        log.enableAllLog();
        log.startLog();
        log.logText(module, LogSystem::LOG_ERROR, given);
        logf(log, module, LogSystem::LOG_ERROR, "MediaFileStore::writeInfo - cannot write %s", qUtf8Printable(given));
        QCOMPARE(texts(lines),
                 QStringList({written, QStringLiteral("MediaFileStore::writeInfo - cannot write ") + written}));
    }

    void qtMessagesGoIntoTheLog()
    {
        QList<Written> lines;
        LogSystem *log = LogSystem::getSysLogSystem();
        LogSystem::installQtMessageHandler();
        log->setLogger(new RecordingLogger(&lines));
        log->setLogLevel(LogSystem::LOG_DEBUG);
        log->enableAllLog();
        log->startLog();
        qWarning("a warning from Qt %d", 7);
        log->stopLog();
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines.first().module, QStringLiteral("qt"));
        QCOMPARE(lines.first().level, int(LogSystem::LOG_WARNING));
        QCOMPARE(lines.first().text, QStringLiteral("a warning from Qt 7"));
    }
};

QUILLO_TEST_MAIN(TestLogSystem)
#include "tst_LogSystem.moc"
