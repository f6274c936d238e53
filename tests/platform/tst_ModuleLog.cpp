#include "CollectingLogger.h"
#include "ModuleLog.h"
#include "TestEnvironment.h"

namespace {

ModuleLog captureLog("quillo/capture");
ModuleLog unnamedLog("");
ModuleLog refusedLog("quillo/refused");

} // namespace

class TestModuleLog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void logsUnderItsModuleWithFormattedArguments()
    {
        QStringList lines;
        CollectingLogger::collectProcessLog(&lines);
        LogSystem *log = LogSystem::getSysLogSystem();

        captureLog(LogSystem::LOG_DEBUG, "LumoVisionImpl::rotationChanged - DocCam rotate to %u degree", 270u);
        captureLog(LogSystem::LOG_CRITICAL, "CaptureImpl::saveImageToPath - %s",
                   qUtf8Printable(QStringLiteral("Ünïcode")));
        // A module without a name is never registered and logs nothing.
        unnamedLog(LogSystem::LOG_EMERGENCY, "never written");
        unnamedLog(LogSystem::LOG_EMERGENCY, "never written either");

        QCOMPARE(lines,
                 QStringList({
                     QStringLiteral("7 quillo/capture: LumoVisionImpl::rotationChanged - DocCam rotate to 270 degree"),
                     QStringLiteral("2 quillo/capture: CaptureImpl::saveImageToPath - Ünïcode"),
                 }));
        QCOMPARE(log->registerLoggedModule(QStringLiteral("quillo/capture")),
                 log->registerLoggedModule(QStringLiteral("quillo/capture")));
        log->stopLog();
    }

    void aRefusedRegistrationIsNotTriedAgain()
    {
        QStringList lines;
        CollectingLogger::collectProcessLog(&lines);
        LogSystem *log = LogSystem::getSysLogSystem();
        log->refuseNextRegistration(QStringLiteral("quillo/refused"));
        refusedLog(LogSystem::LOG_EMERGENCY, "refused at registration");
        // The log would take the module now: only a module that asked again would get this line in.
        refusedLog(LogSystem::LOG_EMERGENCY, "after the refusal");
        captureLog(LogSystem::LOG_EMERGENCY, "another module still logs");
        QCOMPARE(lines, QStringList{QStringLiteral("0 quillo/capture: another module still logs")});
        log->stopLog();
    }
};

QUILLO_TEST_MAIN(TestModuleLog)
#include "tst_ModuleLog.moc"
