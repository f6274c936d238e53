#include "ModuleLog.h"
#include "SysLogger.h"
#include "TestEnvironment.h"

namespace {

class CollectingLogger : public SysLogger
{
public:
    explicit CollectingLogger(QStringList *lines)
        : m_lines(lines)
    {
    }
    bool open() override { return true; }
    void write(const QDateTime &, int level, const QString &module, const QString &text) override
    {
        m_lines->append(QStringLiteral("%1 %2 %3").arg(level).arg(module, text));
    }
    void close() override {}
    QString description() const override { return {}; }

private:
    QStringList *m_lines;
};

ModuleLog captureLog("quillo/capture");
ModuleLog unnamedLog("");

} // namespace

class TestModuleLog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void logsUnderItsModuleWithFormattedArguments()
    {
        QStringList lines;
        LogSystem *log = LogSystem::getSysLogSystem();
        log->setLogger(new CollectingLogger(&lines));
        log->setLogLevel(LogSystem::LOG_DEBUG);
        log->enableAllLog();
        log->startLog();

        captureLog(LogSystem::LOG_DEBUG, "LumoVisionImpl::rotationChanged - DocCam rotate to %u degree", 270u);
        captureLog(LogSystem::LOG_CRITICAL, "CaptureImpl::saveImageToPath - %s", qUtf8Printable(QStringLiteral("Ünïcode")));
        // A module that could not be registered logs nothing, now or later.
        unnamedLog(LogSystem::LOG_EMERGENCY, "never written");
        unnamedLog(LogSystem::LOG_EMERGENCY, "never written either");

        QCOMPARE(lines, QStringList({
                            QStringLiteral("7 quillo/capture LumoVisionImpl::rotationChanged - DocCam rotate to 270 degree"),
                            QStringLiteral("2 quillo/capture CaptureImpl::saveImageToPath - Ünïcode"),
                        }));
        QCOMPARE(log->registerLoggedModule(QStringLiteral("quillo/capture")),
                 log->registerLoggedModule(QStringLiteral("quillo/capture")));
        log->stopLog();
    }
};

QUILLO_TEST_MAIN(TestModuleLog)
#include "tst_ModuleLog.moc"
