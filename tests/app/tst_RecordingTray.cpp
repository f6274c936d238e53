#include "RecordingIntf.h"
#include "RecordingTray.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

namespace {

// The status word's bit that says sound is being recorded.
constexpr uint kSoundOn = 16;

QAction *trayAction(const RecordingTray &tray, int index)
{
    return tray.findChild<QSystemTrayIcon *>()->contextMenu()->actions().at(index);
}

} // namespace

class TestRecordingTray : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void statusSetsTheToggles_data()
    {
        QTest::addColumn<uint>("status");
        QTest::addColumn<bool>("pauseChecked");
        QTest::addColumn<bool>("muteChecked");
        const uint running = RecordingIntf::RECORDING_STATUS_RECORDING | RecordingIntf::RECORDING_STATUS_RUNNING;
        const uint paused = RecordingIntf::RECORDING_STATUS_RECORDING | RecordingIntf::RECORDING_STATUS_PAUSED;
        QTest::newRow("nothing set") << 0u << true << true;
        QTest::newRow("running, silent") << running << false << true;
        QTest::newRow("running with sound") << (running | kSoundOn) << false << false;
        QTest::newRow("paused with sound") << (paused | kSoundOn) << true << false;
        QTest::newRow("idle") << uint(RecordingIntf::RECORDING_STATUS_IDLE) << true << true;
    }

    void statusSetsTheToggles()
    {
        QFETCH(uint, status);
        QFETCH(bool, pauseChecked);
        QFETCH(bool, muteChecked);
        QWidget window;
        RecordingTray tray(&window);
        tray.showStatus(status);
        QCOMPARE(trayAction(tray, 3)->isChecked(), pauseChecked);
        QCOMPARE(trayAction(tray, 2)->isChecked(), muteChecked);
        tray.showStarted();
        QVERIFY(!trayAction(tray, 2)->isChecked() && !trayAction(tray, 3)->isChecked());
    }

    void theMenuAsksAndLeavesTheRecordingAlone()
    {
        QWidget window;
        RecordingTray tray(&window);
        QSignalSpy stop(&tray, &RecordingTray::stopRequested);
        QSignalSpy pause(&tray, &RecordingTray::pauseRequested);
        QSignalSpy mute(&tray, &RecordingTray::muteRequested);
        trayAction(tray, 1)->trigger();
        trayAction(tray, 2)->trigger();
        trayAction(tray, 3)->trigger();
        trayAction(tray, 3)->trigger();
        QCOMPARE(stop.count(), 1);
        QCOMPARE(mute.count(), 1);
        QCOMPARE(mute.at(0).at(0).toBool(), true);
        QCOMPARE(pause.count(), 2);
        QCOMPARE(pause.at(0).at(0).toBool(), true);
        QCOMPARE(pause.at(1).at(0).toBool(), false);
    }
};

QTEST_MAIN(TestRecordingTray)
#include "tst_RecordingTray.moc"
