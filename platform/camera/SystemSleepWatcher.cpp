#include "SystemSleepWatcher.h"

#include "CameraLog.h"
#include "LumoSystemOsal.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kInterface = QStringLiteral("org.freedesktop.login1.Manager");

} // namespace

SystemSleepWatcher::SystemSleepWatcher(QObject *parent)
    : QObject(parent)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        cameraLog(LogSystem::LOG_NOTICE, "SystemSleepWatcher - no system bus (%s): the camera is not closed for sleep",
                  qUtf8Printable(bus.lastError().message()));
        return;
    }
    m_connected = bus.connect(kService, kPath, kInterface, QStringLiteral("PrepareForSleep"), this,
                              SLOT(prepareForSleep(bool)));
    if (!m_connected) {
        cameraLog(LogSystem::LOG_NOTICE, "SystemSleepWatcher - the sleep signal cannot be followed: %s",
                  qUtf8Printable(bus.lastError().message()));
        return;
    }
    takeDelayLock();
}

SystemSleepWatcher::~SystemSleepWatcher() = default;

void SystemSleepWatcher::takeDelayLock()
{
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep") << QCoreApplication::applicationName()
         << QStringLiteral("Closing the document camera") << QStringLiteral("delay");
    // Asked without waiting: the login manager may be slow, and the window must not wait for it.
    delete m_pendingLock;
    m_pendingLock = new QDBusPendingCallWatcher(QDBusConnection::systemBus().asyncCall(call), this);
    connect(m_pendingLock, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *watcher) {
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *watcher;
        if (reply.isError())
            cameraLog(LogSystem::LOG_NOTICE, "SystemSleepWatcher - no delay lock: %s",
                      qUtf8Printable(reply.error().message()));
        else
            m_delayLock = reply.value();
        watcher->deleteLater();
        m_pendingLock = nullptr;
    });
}

void SystemSleepWatcher::releaseDelayLock()
{
    // Closing our copy of the descriptor is what gives the lock back.
    m_delayLock = QDBusUnixFileDescriptor();
}

void SystemSleepWatcher::prepareForSleep(bool sleeping)
{
    if (sleeping) {
        osalPostSystemEvent(0);
        // Queued behind the event: the lock goes only once the camera has been closed.
        QMetaObject::invokeMethod(this, &SystemSleepWatcher::releaseDelayLock, Qt::QueuedConnection);
        return;
    }
    osalPostSystemEvent(1);
    takeDelayLock();
}
