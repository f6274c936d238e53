#include "LumoSystemOsal.h"

#include <QCoreApplication>

namespace {

OsalSystemEventCallback registeredCallback = nullptr;
void *registeredContext = nullptr;

} // namespace

void osalRegisterSystemEventListener(OsalSystemEventCallback callback, void *context)
{
    registeredCallback = callback;
    registeredContext = context;
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
