#include "LumoSystemOsal.h"
#include "TestEnvironment.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kInterface = QStringLiteral("org.freedesktop.login1.Manager");

// The login manager's part in sleeping: it hands out delay locks (the read end of a pipe, whose write end
// it keeps to see when the lock is given back) and announces sleep and wake-up.
class FakeLoginManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    ~FakeLoginManager() override
    {
        for (int fd : std::as_const(lockEnds))
            ::close(fd);
    }

    QStringList requests;
    QList<int> lockEnds;

    // Whether the newest lock is still held by whoever took it.
    bool lockHeld() const
    {
        if (lockEnds.isEmpty())
            return false;
        pollfd end = {lockEnds.last(), POLLOUT, 0};
        return ::poll(&end, 1, 0) >= 0 && !(end.revents & (POLLERR | POLLHUP));
    }

public Q_SLOTS:
    QDBusUnixFileDescriptor Inhibit(const QString &what, const QString &, const QString &, const QString &mode)
    {
        requests.append(what + QLatin1Char(' ') + mode);
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
            return {};
        lockEnds.append(ends[1]);
        QDBusUnixFileDescriptor lock(ends[0]);
        ::close(ends[0]);
        return lock;
    }
};

} // namespace

class TestSleepEvents : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    QProcess m_bus;
    FakeLoginManager m_login;
    QList<int> m_events;
    QList<bool> m_lockHeldAtEvent;

    void announce(bool sleeping)
    {
        QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, QStringLiteral("PrepareForSleep"));
        signal << sleeping;
        QVERIFY(QDBusConnection(QStringLiteral("login")).send(signal));
    }

private Q_SLOTS:
    void initTestCase()
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            QSKIP("dbus-daemon is not installed");
        // A private bus standing in for the system bus, open to everything this test does on it.
        const QString config = m_folder.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\" "
                                  "\"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                                  "<busconfig><type>system</type><listen>unix:path=%1</listen><auth>EXTERNAL</auth>"
                                  "<policy context=\"default\"><allow user=\"*\"/><allow own=\"*\"/>"
                                  "<allow send_destination=\"*\"/><allow receive_sender=\"*\"/></policy></busconfig>\n")
                       .arg(m_folder.filePath(QStringLiteral("bus")))
                       .toUtf8());
        file.close();
        m_bus.start(daemon, {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                             QStringLiteral("--print-address")});
        QVERIFY(m_bus.waitForStarted());
        QTRY_VERIFY(m_bus.canReadLine());
        const QByteArray address = m_bus.readLine().trimmed();
        QVERIFY(!address.isEmpty());
        // Before the first use of the system bus in this process.
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address);

        QDBusConnection login = QDBusConnection::connectToBus(QString::fromUtf8(address), QStringLiteral("login"));
        QVERIFY(login.isConnected());
        QVERIFY(login.registerService(QStringLiteral("org.freedesktop.login1")));
        QVERIFY(login.registerObject(kPath, &m_login, QDBusConnection::ExportAllSlots));

        osalRegisterSystemEventListener(
            [](void *context, int event) {
                auto *test = static_cast<TestSleepEvents *>(context);
                test->m_events.append(event);
                test->m_lockHeldAtEvent.append(test->m_login.lockHeld());
            },
            this);
    }

    void cleanupTestCase()
    {
        osalRegisterSystemEventListener(nullptr, nullptr);
        QDBusConnection::disconnectFromBus(QStringLiteral("login"));
        m_bus.kill();
        m_bus.waitForFinished();
    }

    // Sleep closes the camera while the delay lock still holds the machine awake, then lets it go; waking up
    // reselects the camera and takes a new lock for the next sleep.
    void sleepAndWakeBecomeSystemEvents()
    {
        QTRY_COMPARE(m_login.requests, QStringList{QStringLiteral("sleep delay")});
        QTRY_VERIFY(m_login.lockHeld());

        announce(true);
        QTRY_COMPARE(m_events, QList<int>{0});
        QCOMPARE(m_lockHeldAtEvent, QList<bool>{true});
        QTRY_VERIFY(!m_login.lockHeld());

        announce(false);
        QTRY_COMPARE(m_events, (QList<int>{0, 1}));
        QTRY_COMPARE(m_login.requests.size(), 2);
        QTRY_VERIFY(m_login.lockHeld());
    }
};

QUILLO_TEST_MAIN(TestSleepEvents)
#include "tst_SleepEvents.moc"
