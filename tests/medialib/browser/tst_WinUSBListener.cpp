#include "PrivateMount.h"
#include "TestEnvironment.h"
#include "WinUSBListener.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestWinUSBListener : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A drive mounted and unmounted in the test's own mount namespace reaches every listener alive, also
    // after another listener went.
    void realMountChangesAreSignalled()
    {
        if (!PrivateMount::available())
            QSKIP(qPrintable(PrivateMount::unavailableReason()));
        QTemporaryDir dir(TestEnvironment::home() + QStringLiteral("/media-XXXXXX"));
        WinUSBListener listener;
        QVERIFY(listener.isListening());
        QVERIFY(listener.isHidden());
        auto other = std::make_unique<WinUSBListener>();
        QSignalSpy changed(&listener, &WinUSBListener::usbDeviceChanged);
        QSignalSpy otherChanged(other.get(), &WinUSBListener::usbDeviceChanged);
        // Nothing happened yet, so nothing is told.
        QVERIFY(!changed.wait(100));

        PrivateMount drive = PrivateMount::smallDisk(dir.path(), 16 * 1024);
        QVERIFY(drive.isMounted());
        QVERIFY(changed.wait(5000));
        QTRY_COMPARE_WITH_TIMEOUT(otherChanged.size(), 1, 5000);
        QCOMPARE(changed.size(), 1);

        other.reset();
        drive.unmount();
        QVERIFY(changed.wait(5000));
        QCOMPARE(changed.size(), 2);
    }
};

QUILLO_TEST_MAIN_PRIVATE_MOUNTS(TestWinUSBListener)
#include "tst_WinUSBListener.moc"
