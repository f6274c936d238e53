#include "TestEnvironment.h"

#include <QPixmap>
#include <QSystemTrayIcon>

namespace {

// The tray host starts alongside the X server; on a loaded machine it may take a few seconds to claim
// the tray.
constexpr int kTrayWaitMs = 15000;

} // namespace

// Tests that need a system tray run on the X server (the offscreen platform never has one) and skip
// unless the test script started a tray host there.
class TestTrayHost : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void anIconFindsItsPlaceInTheTray();
};

void TestTrayHost::anIconFindsItsPlaceInTheTray()
{
    if (qEnvironmentVariableIsEmpty("QUILLO_TEST_TRAY"))
        QSKIP("no tray host (QUILLO_TEST_TRAY is unset; scripts/test.sh starts one)");
    QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), kTrayWaitMs);

    QPixmap picture(16, 16);
    picture.fill(Qt::darkGreen);
    QSystemTrayIcon icon{QIcon(picture)};
    icon.show();
    QTRY_VERIFY_WITH_TIMEOUT(icon.geometry().isValid(), kTrayWaitMs);
}

QUILLO_TEST_MAIN_X11(TestTrayHost)
#include "tst_TrayHost.moc"
