#include "LumoSystemOsal.h"

#include "SystemSleepWatcher.h"

#include <QCoreApplication>

namespace {

OsalSystemEventCallback registeredCallback = nullptr;
void *registeredContext = nullptr;

} // namespace

void osalRegisterSystemEventListener(OsalSystemEventCallback callback, void *context)
{
    registeredCallback = callback;
    registeredContext = context;
    // The system's own events come from the first registration on, for the rest of the process.
    static SystemSleepWatcher *watcher = nullptr;
    if (callback && !watcher && QCoreApplication::instance())
        watcher = new SystemSleepWatcher(QCoreApplication::instance());
}

void osalPostSystemEvent(int event)
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [event] {
            if (registeredCallback)
                registeredCallback(registeredContext, event);
        },
        Qt::QueuedConnection);
}
