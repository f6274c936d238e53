#include "StartupProbe.h"

#include "CameraFramePaintWatch.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QTranslator>
#include <QWidget>
#include <QWindow>

#include <cstdio>

QElapsedTimer StartupProbe::s_sinceStart;

void StartupProbe::markStart()
{
    s_sinceStart.start();
}

bool StartupProbe::answerAlreadyRunningBox(const QString &text)
{
    if (qEnvironmentVariableIntValue("QUILLO_ANSWER_MESSAGE_BOXES") != 1)
        return false;
    std::printf("message box: %s\n", qPrintable(text));
    std::fflush(stdout);
    return true;
}

bool StartupProbe::enabled()
{
    const QByteArray mode = qgetenv("QUILLO_STARTUP_PROBE");
    return mode == "report" || mode == "quit" || mode == "frame";
}

void StartupProbe::reportTranslation(const QTranslator &translator)
{
    if (!enabled())
        return;
    std::printf("translation: %s\n", translator.filePath().isEmpty() ? "none" : qPrintable(translator.filePath()));
    std::fflush(stdout);
}

void StartupProbe::watch(QWidget *window)
{
    if (!enabled())
        return;
    const QByteArray mode = qgetenv("QUILLO_STARTUP_PROBE");
    if (mode == "frame") {
        auto *watch = new CameraFramePaintWatch(window);
        connect(watch, &CameraFramePaintWatch::framePainted, qApp, [] {
            report("camera frame painted");
            QCoreApplication::quit();
        });
    }
    window->winId();
    window->windowHandle()->installEventFilter(new StartupProbe(mode == "quit", window));
}

StartupProbe::StartupProbe(bool quit, QObject *parent)
    : QObject(parent)
    , m_quit(quit)
{
}

bool StartupProbe::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed()) {
        report("window shown");
        watched->removeEventFilter(this);
        if (m_quit)
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
    return QObject::eventFilter(watched, event);
}

void StartupProbe::report(const char *what)
{
    std::printf("%s after %lld ms\n", what, static_cast<long long>(s_sinceStart.elapsed()));
    std::fflush(stdout);
}
