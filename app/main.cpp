#include "AllocatorPolicy.h"
#include "AppLog.h"
#include "AutoSerialFileLogger.h"
#include "LogSystem.h"
#include "MessageBoxes.h"
#include "MyApp.h"
#include "Quillo.h"
#include "StartupHelpers.h"
#include "StartupProbe.h"
#include "UploadAccess.h"
#include "UploadImpl.h"

#include <QApplication>
#include <QFont>
#include <QTranslator>

namespace {

const QString kApplicationName = QStringLiteral("Quillo");
const QString kFontFamily = QStringLiteral("Calibri");
const QString kAlreadyRunning = QStringLiteral("Quillo is already running!");
const QString kActivateMessage = QStringLiteral("Is app exist?");
constexpr int kActivateTimeoutMs = 5000;

// Window placement, stay-on-top windows and screen grabs need X11: on a Wayland desktop the program runs
// through XWayland, falling back to Wayland where no X server is available.
void preferX11()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")
        && (qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland")
            || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")))
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
}

} // namespace

int main(int argc, char *argv[])
{
    StartupProbe::markStart();
    // Before any thread: the program runs all day, and with the allocator's defaults the large pictures it
    // handles (stills, frames, grabs) leave their freed memory held by the process, growing it without end.
    AllocatorPolicy::apply();
    preferX11();
    MyApp app(argc, argv);

    if (app.isRunning()) {
        if (!StartupProbe::answerAlreadyRunningBox(kAlreadyRunning)) {
            MessageBoxes::Request box;
            box.text = kAlreadyRunning;
            MessageBoxes::exec(box);
        }
        app.sendMessage(kActivateMessage, kActivateTimeoutMs);
        return 0;
    }

    LogSystem::installQtMessageHandler();
    QCoreApplication::setApplicationName(kApplicationName);
    QFont font = QApplication::font();
    font.setFamily(kFontFamily);
    QApplication::setFont(font);

    QTranslator translator;
    loadLanguage(&translator);
    StartupProbe::reportTranslation(translator);
    removeExpiredLogs();

    LogSystem *log = LogSystem::getSysLogSystem();
    log->setLogger(new AutoSerialFileLogger(QStringLiteral("%1/%2").arg(logFilesLocation(),
                                                                        QString::fromLatin1(kLogFileNamePattern))));
    log->setLogLevel(logLevelSetting());
    log->enableAllLog();
    log->startLog();
    appLog(LogSystem::LOG_NOTICE, "main - Quillo %s started", QUILLO_VERSION);

    // The areas below the upload library reach the service only through this binding; the service itself
    // (and with it the scheduled uploads) starts on the first request, while the window is being built.
    UploadAccess::setProvider([] { return static_cast<UploadIntf *>(UploadImpl::getInstance()); });

    Quillo window(nullptr);
    app.setActivationWindow(&window, true);
    StartupProbe::watch(&window);

    const int result = app.exec();
    appLog(LogSystem::LOG_NOTICE, "main - Quillo stopped with %d", result);
    log->stopLog();
    return result;
}
