#pragma once

#include <QDBusUnixFileDescriptor>
#include <QObject>

class QDBusPendingCallWatcher;

// Turns the login manager's sleep announcements on the system bus into the camera layer's system events: 0
// before the machine sleeps, 1 after it woke up. A delay lock taken from the login manager holds the sleep
// back until event 0 was handled (the camera closed), then is given back; a new one is taken after waking.
// Without a system bus or login manager there are no events.
class SystemSleepWatcher : public QObject
{
    Q_OBJECT

public:
    explicit SystemSleepWatcher(QObject *parent = nullptr);
    ~SystemSleepWatcher() override;

    // Whether the watcher listens on a system bus.
    bool isConnected() const { return m_connected; }

private Q_SLOTS:
    void prepareForSleep(bool sleeping);

private:
    void takeDelayLock();
    void releaseDelayLock();

    bool m_connected = false;
    QDBusUnixFileDescriptor m_delayLock;
    // A lock asked for and not yet given: its answer is dropped if sleep comes first.
    QDBusPendingCallWatcher *m_pendingLock = nullptr;
};
