#include "CollectingLogger.h"
#include "InstanceGuard.h"
#include "LogSystem.h"
#include "TestEnvironment.h"

#include <QDataStream>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QtConcurrent/QtConcurrentRun>

#include <unistd.h>

class TestInstanceGuard : public QObject
{
    Q_OBJECT

private:
    // Each test takes a key of its own, so the abstract socket names never meet.
    QString key() const { return QStringLiteral("quillo-test-") + QString::fromLatin1(QTest::currentTestFunction()); }

    // Writes the lock file as QLockFile does: process id, application name, host name.
    void writeLock(qint64 pid) const
    {
        QFile lock(QStringLiteral("%1/%2-%3.lock").arg(qEnvironmentVariable("XDG_RUNTIME_DIR"), key()).arg(::getuid()));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(QStringLiteral("%1\n%2\n%3\n")
                       .arg(pid)
                       .arg(QCoreApplication::applicationName(), QSysInfo::machineHostName())
                       .toUtf8());
    }

private Q_SLOTS:
    void secondGuardSeesTheFirstAndReachesIt()
    {
        InstanceGuard first(key());
        QVERIFY(!first.isRunning());
        InstanceGuard second(key());
        QVERIFY(second.isRunning());

        QSignalSpy received(&first, &InstanceGuard::messageReceived);
        // The sender blocks while it waits for the answer, as a second process would, so it runs on a thread
        // of its own beside the receiving event loop.
        QFuture<bool> delivered =
            QtConcurrent::run([&second] { return second.sendMessage(QStringLiteral("Is app exist?"), 5000); });
        QTRY_COMPARE(received.size(), 1);
        QCOMPARE(received.first().first().toString(), QStringLiteral("Is app exist?"));
        QTRY_VERIFY(delivered.isFinished());
        QVERIFY(delivered.result());
    }

    void aGuardOfAnotherKeyIsIndependent()
    {
        InstanceGuard first(key());
        InstanceGuard other(key() + QStringLiteral("-other"));
        QVERIFY(!other.isRunning());
        QVERIFY(first.socketName() != other.socketName());
    }

    void theLockOfADeadProcessIsTakenOver()
    {
        QProcess gone;
        gone.start(QStringLiteral("true"));
        QVERIFY(gone.waitForStarted());
        const qint64 deadPid = gone.processId();
        QVERIFY(gone.waitForFinished());
        writeLock(deadPid);

        QStringList logged;
        CollectingLogger::collectProcessLog(&logged);
        InstanceGuard guard(key());
        {
            // A lock of its own is nothing to report.
            InstanceGuard other(key() + QStringLiteral("-fresh"));
            QVERIFY(!other.isRunning());
        }
        LogSystem::getSysLogSystem()->stopLog();
        QVERIFY(!guard.isRunning());
        QCOMPARE(logged.size(), 1);
        QVERIFY2(logged.first().startsWith(QStringLiteral("4 quillo/osal: InstanceGuard - took over the lock ")),
                 qPrintable(logged.first()));
        QVERIFY2(logged.first().contains(QStringLiteral("left by process %1 ").arg(deadPid)),
                 qPrintable(logged.first()));
    }

    void aLockThatCannotBeCreatedIsNotAnotherCopy()
    {
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        // Not even root can create files in /proc, nor in the temporary folder we point at it.
        qputenv("XDG_RUNTIME_DIR", "/proc/self");
        const QByteArray tmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", "/proc/self");
        InstanceGuard guard(key());
        qputenv("XDG_RUNTIME_DIR", runtime);
        qputenv("TMPDIR", tmp);
        QVERIFY(!guard.isRunning());
    }

    void sendingToACopyThatDoesNotAnswerGivesUpAtTheTimeout()
    {
        // A lock held by a live process (this one) that never listens: a first copy hanging at start-up.
        writeLock(QCoreApplication::applicationPid());
        InstanceGuard second(key());
        QVERIFY(second.isRunning());
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!second.sendMessage(QStringLiteral("Is app exist?"), 300));
        QVERIFY(timer.elapsed() >= 250);
        QVERIFY(timer.elapsed() < 3000);
    }

    void hostilePeersAreDroppedAndTheNextMessageStillArrives_data()
    {
        QTest::addColumn<QByteArray>("packet");
        QByteArray huge;
        QDataStream(&huge, QIODevice::WriteOnly) << quint32(0xFFFFFFFF);
        QByteArray oversize;
        QDataStream(&oversize, QIODevice::WriteOnly) << quint32(InstanceGuard::kMaxMessageBytes + 1);
        oversize.append(QByteArray(InstanceGuard::kMaxMessageBytes + 1, 'x'));
        QTest::newRow("length of 4 GiB") << huge;
        QTest::newRow("one byte over the cap") << oversize;
        QTest::newRow("half a header") << QByteArray("\x00\x00", 2);
    }

    void hostilePeersAreDroppedAndTheNextMessageStillArrives()
    {
        QFETCH(QByteArray, packet);
        InstanceGuard first(key());
        QSignalSpy received(&first, &InstanceGuard::messageReceived);
        QLocalSocket hostile;
        hostile.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
        hostile.connectToServer(first.socketName());
        QVERIFY(hostile.waitForConnected(1000));
        hostile.write(packet);
        hostile.flush();
        QTest::qWait(50);
        QCOMPARE(received.size(), 0);

        InstanceGuard second(key());
        QFuture<bool> delivered =
            QtConcurrent::run([&second] { return second.sendMessage(QStringLiteral("hello"), 5000); });
        QTRY_COMPARE(received.size(), 1);
        QTRY_VERIFY(delivered.isFinished());
        QCOMPARE(received.first().first().toString(), QStringLiteral("hello"));
    }
};

QUILLO_TEST_MAIN(TestInstanceGuard)
#include "tst_InstanceGuard.moc"
