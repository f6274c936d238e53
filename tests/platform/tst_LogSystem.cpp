#include "LogSystem.h"
#include "SysLogger.h"
#include "TestEnvironment.h"

namespace {

struct Written {
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
    void write(const QDateTime &, int level, const QString &module, const QString &text) override
    {
        m_lines->append({level, module, text});
    }
    void close() override {}
    QString description() const override { return QStringLiteral("recording"); }

private:
    QList<Written> *m_lines;
    bool m_opens;
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
