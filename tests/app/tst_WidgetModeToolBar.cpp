#include "CaptureFake.h"
#include "DialogWatchdog.h"
#include "FormChild.h"
#include "LumoVisionFake.h"
#include "MainWindowFake.h"
#include "RecordingFake.h"
#include "RecordingStarter.h"
#include "TestEnvironment.h"
#include "WidgetModeDocCamCtrlPanel.h"
#include "WidgetModeToolBar.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {

// The recording service's status values: idle, running, paused.
constexpr uint kIdle = 1;
constexpr uint kRunning = 6;
constexpr uint kPaused = 10;
// Every control the camera row has.
constexpr uint kEveryControl = 0x7F;

QPushButton *button(const QWidget &widget, const char *name)
{
    return formChild<QPushButton>(widget, name);
}

// The bar with fake services set in the main window's order; the camera is connected and offers every
// control, capture can snapshot, the recording service is idle, unless a test says otherwise.
struct Rig
{
    LumoVisionFake camera;
    CaptureFake capture;
    RecordingFake recording;
    MainWindowFake window;
    // Destroyed first, while the services it points at still exist.
    WidgetModeToolBar bar;

    explicit Rig(bool cameraConnected = true)
    {
        camera.setAnswer(QStringLiteral("isDocCamConnected"), cameraConnected);
        camera.setActionStatus(kEveryControl);
        capture.setActionStatus(7u);
        recording.setActionStatus(kIdle);
        bar.setMainWindow(&window);
        bar.setCaptureService(&capture);
        bar.setDocCamService(&camera);
        bar.setRecordingService(&recording);
        // The state machines start from the event loop; a click before that would find no transition.
        QCoreApplication::sendPostedEvents();
    }

    QPushButton *button(const char *name) const { return ::button(bar, name); }
    WidgetModeDocCamCtrlPanel *controls() const { return bar.findChild<WidgetModeDocCamCtrlPanel *>(); }
    bool arrowShown() const { return !formChild<QLabel>(bar, "labelBack")->isHidden(); }
    RecordingStarter *countDown() const { return bar.findChild<RecordingStarter *>(); }

    QMap<QString, QPoint> rowPositions() const
    {
        QMap<QString, QPoint> at;
        for (const char *name :
             {"docCamBtn", "line", "recordingBtn", "captureBtn", "line_2", "showHideBtn", "returnNormalModeBtn"})
            at.insert(QLatin1String(name), formChild<QWidget>(bar, name)->pos());
        at.insert(QStringLiteral("controls"), controls()->pos());
        return at;
    }
};

// The row as the form lays it out, and with the camera row out.
const QMap<QString, QPoint> kToolsRow{
    {"docCamBtn", {10, 7}}, {"line", {56, 0}},         {"recordingBtn", {66, 7}},         {"captureBtn", {112, 7}},
    {"line_2", {158, 0}},   {"showHideBtn", {258, 7}}, {"returnNormalModeBtn", {304, 7}}, {"controls", {-350, 0}},
};
const QMap<QString, QPoint> kControlsRow{
    {"docCamBtn", {10, 7}}, {"line", {56, 0}},         {"recordingBtn", {406, 7}},        {"captureBtn", {452, 7}},
    {"line_2", {498, 7}},   {"showHideBtn", {598, 7}}, {"returnNormalModeBtn", {644, 7}}, {"controls", {56, 0}},
};

} // namespace

class TestWidgetModeToolBar : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void isATopLevelBarAlwaysOnTop();
    void cameraButtonSwapsTheRows();
    void collapseAndExpandEndSizes_data();
    void collapseAndExpandEndSizes();
    void cameraRowFollowsTheCamera_data();
    void cameraRowFollowsTheCamera();
    void pauseShowsOnlyTheConfirmedFreeze();
    void cameraRowButtonsCallTheCamera_data();
    void cameraRowButtonsCallTheCamera();
    void recordCountsDownOverTheCameraView_data();
    void recordCountsDownOverTheCameraView();
    void recordWhileARecordingRunsStopsIt();
    void recordButtonMirrorsTheStatus_data();
    void recordButtonMirrorsTheStatus();
    void uncheckingSendsNoClick();
    void captureFollowsTheCaptureStatus();
    void captureTakesOneSnapshot();
    void noSecondCaptureWhileOneIsSaved();
    void cameraButtonsFollowTheConnection();
    void cameraLostWithTheCameraRowOut();
    void cameraLossThatIsNotFinalChangesNothing();
    void returnButtonLeavesWidgetMode();
    void closesOnlyWithTheMainWindow_data();
    void closesOnlyWithTheMainWindow();
};

void TestWidgetModeToolBar::isATopLevelBarAlwaysOnTop()
{
    Rig rig;
    QVERIFY(rig.bar.isWindow());
    QVERIFY(rig.bar.windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(rig.bar.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(rig.bar.size(), QSize(350, 311));
    QCOMPARE(rig.bar.getVisionContainer(), formChild<QWidget>(rig.bar, "visionContainer"));
    QVERIFY(!rig.bar.isVisionHidden());
}

void TestWidgetModeToolBar::cameraButtonSwapsTheRows()
{
    Rig rig;
    QCOMPARE(rig.rowPositions(), kToolsRow);
    QVERIFY(!rig.arrowShown());

    rig.button("docCamBtn")->click();
    QVERIFY(rig.button("docCamBtn")->isChecked());
    QVERIFY(rig.arrowShown());
    QTRY_COMPARE(rig.rowPositions(), kControlsRow);

    rig.button("docCamBtn")->click();
    QVERIFY(!rig.button("docCamBtn")->isChecked());
    QVERIFY(!rig.arrowShown());
    QTRY_COMPARE(rig.rowPositions(), kToolsRow);
}

void TestWidgetModeToolBar::collapseAndExpandEndSizes_data()
{
    QTest::addColumn<int>("viewHeight");
    QTest::newRow("view 240 high") << 240;
    QTest::newRow("view 197 high") << 197;
}

void TestWidgetModeToolBar::collapseAndExpandEndSizes()
{
    QFETCH(int, viewHeight);
    Rig rig;
    rig.camera.cameraWidget()->resize(320, viewHeight);
    QPushButton *showHide = rig.button("showHideBtn");

    showHide->click();
    QVERIFY(rig.bar.isVisionHidden());
    // The bar slides to its new size; it has not jumped there.
    QCOMPARE(rig.bar.size(), QSize(350, 311));
    QTRY_COMPARE(rig.bar.size(), QSize(350, 50));

    showHide->click();
    QVERIFY(!rig.bar.isVisionHidden());
    QCOMPARE(rig.bar.size(), QSize(350, 50));
    QTRY_COMPARE(rig.bar.size(), QSize(350, viewHeight + 50));

    // A second click during a slide takes over: the bar ends where the last click sends it.
    showHide->click();
    QTest::qWait(50);
    showHide->click();
    QTRY_COMPARE(rig.bar.size(), QSize(350, viewHeight + 50));
    QTest::qWait(400);
    QCOMPARE(rig.bar.size(), QSize(350, viewHeight + 50));
}

void TestWidgetModeToolBar::cameraRowFollowsTheCamera_data()
{
    QTest::addColumn<uint>("status");
    QTest::addColumn<QList<bool>>("enabled");
    QTest::newRow("nothing") << 0u << QList<bool>{false, false, false, false, false, false, false};
    QTest::newRow("auto focus") << 0x01u << QList<bool>{true, false, false, false, false, false, false};
    QTest::newRow("zoom in") << 0x02u << QList<bool>{false, true, false, false, false, false, false};
    QTest::newRow("zoom out") << 0x04u << QList<bool>{false, false, true, false, false, false, false};
    QTest::newRow("zoom reset") << 0x08u << QList<bool>{false, false, false, true, false, false, false};
    QTest::newRow("frozen") << 0x10u << QList<bool>{false, false, false, false, true, false, false};
    QTest::newRow("rotate") << 0x20u << QList<bool>{false, false, false, false, false, true, false};
    QTest::newRow("mirror") << 0x40u << QList<bool>{false, false, false, false, false, false, true};
    QTest::newRow("every control, other bits ignored")
        << 0x3FFFFFu << QList<bool>{true, true, true, true, true, true, true};
}

void TestWidgetModeToolBar::cameraRowFollowsTheCamera()
{
    QFETCH(uint, status);
    QFETCH(QList<bool>, enabled);
    Rig rig;
    const auto enabledButtons = [&rig] {
        QList<bool> actual;
        for (const char *name :
             {"focusBtn", "zoomInBtn", "zoomOutBtn", "zoomResetBtn", "pauseBtn", "rotateBtn", "mirrorBtn"})
            actual.append(button(*rig.controls(), name)->isEnabled());
        return actual;
    };
    // The panel starts from the camera's status when it gets the service.
    QCOMPARE(enabledButtons(), QList<bool>(7, true));

    rig.camera.setActionStatus(status);
    QCOMPARE(enabledButtons(), enabled);

    emit rig.camera.freezeStatusChanged(true);
    QVERIFY(button(*rig.controls(), "pauseBtn")->isChecked());
    emit rig.camera.freezeStatusChanged(false);
    QVERIFY(!button(*rig.controls(), "pauseBtn")->isChecked());
}

void TestWidgetModeToolBar::pauseShowsOnlyTheConfirmedFreeze()
{
    Rig rig;
    QPushButton *pause = button(*rig.controls(), "pauseBtn");
    // A refused freeze, reported by nothing, leaves the button as it was.
    rig.camera.setAnswer(QStringLiteral("toggleFreeze"), -1000);
    pause->click();
    QCOMPARE(rig.camera.count(QStringLiteral("toggleFreeze")), 1);
    QVERIFY(!pause->isChecked());
    rig.camera.setAnswer(QStringLiteral("toggleFreeze"), 0);
    pause->click();
    QVERIFY(!pause->isChecked());
    emit rig.camera.freezeStatusChanged(true);
    QVERIFY(pause->isChecked());
}

void TestWidgetModeToolBar::cameraRowButtonsCallTheCamera_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QString>("operation");
    QTest::newRow("focus") << QByteArray("focusBtn") << "autoFocus";
    QTest::newRow("zoom in") << QByteArray("zoomInBtn") << "zoomIn";
    QTest::newRow("zoom out") << QByteArray("zoomOutBtn") << "zoomOut";
    QTest::newRow("zoom reset") << QByteArray("zoomResetBtn") << "zoomReset";
    QTest::newRow("pause") << QByteArray("pauseBtn") << "toggleFreeze";
    QTest::newRow("rotate") << QByteArray("rotateBtn") << "rotate";
    QTest::newRow("mirror") << QByteArray("mirrorBtn") << "toggleMirror";
}

void TestWidgetModeToolBar::cameraRowButtonsCallTheCamera()
{
    QFETCH(QByteArray, button);
    QFETCH(QString, operation);
    Rig rig;
    rig.camera.clearCalls();
    ::button(*rig.controls(), button)->click();
    QCOMPARE(rig.camera.callNames(), QStringList{operation});
}

void TestWidgetModeToolBar::recordCountsDownOverTheCameraView_data()
{
    QTest::addColumn<bool>("collapsed");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<int>("startResult");
    QTest::addColumn<bool>("started");
    QTest::newRow("started") << false << false << 0 << true;
    QTest::newRow("started, collapsed") << true << false << 0 << true;
    QTest::newRow("refused by the service") << false << false << -4002 << false;
    QTest::newRow("cancelled") << false << true << 0 << false;
}

void TestWidgetModeToolBar::recordCountsDownOverTheCameraView()
{
    QFETCH(bool, collapsed);
    QFETCH(bool, cancel);
    QFETCH(int, startResult);
    QFETCH(bool, started);
    DialogWatchdog watchdog;
    Rig rig;
    rig.bar.move(700, 20);
    rig.bar.show();
    if (collapsed) {
        rig.button("showHideBtn")->click();
        QTRY_COMPARE(rig.bar.height(), 50);
    }
    // A cancelled count-down never starts the recording.
    if (!cancel)
        rig.recording.setAnswer(QStringLiteral("startRecording"), startResult);
    rig.button("recordingBtn")->click();
    RecordingStarter *countDown = rig.countDown();
    QVERIFY(countDown);
    QVERIFY(countDown->isVisible());
    QCOMPARE(countDown->geometry(), QRect(rig.bar.pos() + QPoint(0, 50), QSize(350, 261)));

    if (cancel) {
        QTest::keyClick(countDown, Qt::Key_Escape);
    } else {
        for (int step = 0; step < 3; ++step) {
            QCOMPARE(rig.recording.count(QStringLiteral("startRecording")), 0);
            countDown->timeout();
        }
    }
    QCOMPARE(rig.recording.count(QStringLiteral("startRecording")), cancel ? 0 : 1);
    QCOMPARE(rig.window.callNames(), started ? QStringList{"startRecording"} : QStringList{});
    QCOMPARE(rig.button("recordingBtn")->isChecked(), started);
    QTRY_VERIFY(!rig.countDown());
}

void TestWidgetModeToolBar::recordWhileARecordingRunsStopsIt()
{
    Rig rig;
    for (uint status : {kRunning, kPaused}) {
        rig.window.clearCalls();
        rig.recording.setActionStatus(status);
        // Whatever check state the click gives the button, a recording that runs is stopped.
        for (bool checkedBefore : {true, false}) {
            rig.button("recordingBtn")->setChecked(checkedBefore);
            rig.button("recordingBtn")->click();
        }
        QCOMPARE(rig.window.callNames(), (QStringList{"stopRecord", "stopRecord"}));
        QVERIFY(!rig.countDown());
    }
    QCOMPARE(rig.recording.count(QStringLiteral("startRecording")), 0);
}

void TestWidgetModeToolBar::recordButtonMirrorsTheStatus_data()
{
    QTest::addColumn<QList<uint>>("statuses");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("toolTip");
    QTest::newRow("idle") << QList<uint>{kIdle} << false << "Record";
    QTest::newRow("running") << QList<uint>{kRunning} << true << "Click to stop";
    QTest::newRow("paused") << QList<uint>{kRunning, kPaused} << true << "Click to stop";
    QTest::newRow("stopped again") << QList<uint>{kPaused, kIdle} << false << "Record";
}

void TestWidgetModeToolBar::recordButtonMirrorsTheStatus()
{
    QFETCH(QList<uint>, statuses);
    QFETCH(bool, checked);
    QFETCH(QString, toolTip);
    Rig rig;
    for (uint status : statuses)
        rig.recording.setActionStatus(status);
    QCOMPARE(rig.button("recordingBtn")->isChecked(), checked);
    QCOMPARE(rig.button("recordingBtn")->toolTip(), toolTip);
    QVERIFY(rig.window.calls().isEmpty());
    QVERIFY(!rig.countDown());
}

void TestWidgetModeToolBar::uncheckingSendsNoClick()
{
    Rig rig;
    rig.recording.setActionStatus(kRunning);
    rig.button("showHideBtn")->setChecked(true);
    rig.bar.uncheckRecordButton();
    rig.bar.uncheckShowHideButton();
    QVERIFY(!rig.button("recordingBtn")->isChecked());
    QVERIFY(!rig.button("showHideBtn")->isChecked());
    QVERIFY(rig.window.calls().isEmpty());
    QCOMPARE(rig.bar.size(), QSize(350, 311));
}

void TestWidgetModeToolBar::captureFollowsTheCaptureStatus()
{
    Rig rig;
    rig.capture.setActionStatus(1);
    QVERIFY(!rig.button("captureBtn")->isEnabled());
    rig.capture.setActionStatus(7);
    QVERIFY(rig.button("captureBtn")->isEnabled());
}

void TestWidgetModeToolBar::captureTakesOneSnapshot()
{
    Rig rig;
    rig.capture.setAnswer(QStringLiteral("captureVision"), -1);
    rig.button("captureBtn")->click();
    QCOMPARE(rig.capture.callNames().filter(QStringLiteral("capture")), QStringList{"captureVision"});
}

void TestWidgetModeToolBar::noSecondCaptureWhileOneIsSaved()
{
    Rig rig;
    rig.bar.show();
    // The service gives back the saved file's path, so it waits for the save in a nested event loop, in
    // which the bar's button still takes clicks.
    rig.capture.setAnswerFunction(QStringLiteral("captureVision"), [](const QVariantList &) {
        QTest::qWait(300);
        return 0;
    });
    QTimer::singleShot(50, &rig.bar, [&rig] {
        QTest::mouseClick(rig.button("captureBtn"), Qt::LeftButton);
        QTest::mouseClick(rig.button("captureBtn"), Qt::LeftButton);
    });
    QTest::mouseClick(rig.button("captureBtn"), Qt::LeftButton);
    QCOMPARE(rig.capture.count(QStringLiteral("captureVision")), 1);

    // Once the save is done the next click captures again.
    QTest::mouseClick(rig.button("captureBtn"), Qt::LeftButton);
    QCOMPARE(rig.capture.count(QStringLiteral("captureVision")), 2);
}

void TestWidgetModeToolBar::cameraButtonsFollowTheConnection()
{
    Rig rig(false);
    QVERIFY(!rig.button("docCamBtn")->isEnabled());
    QVERIFY(!rig.button("captureBtn")->isEnabled());
    rig.camera.connectCamera(QStringLiteral("Lumo 1"));
    QVERIFY(rig.button("docCamBtn")->isEnabled());
    QVERIFY(rig.button("captureBtn")->isEnabled());
}

void TestWidgetModeToolBar::cameraLostWithTheCameraRowOut()
{
    Rig rig;
    rig.button("docCamBtn")->click();
    QTRY_COMPARE(rig.rowPositions(), kControlsRow);
    rig.camera.disconnectCamera();
    QVERIFY(!rig.button("docCamBtn")->isChecked());
    QVERIFY(!rig.arrowShown());
    QVERIFY(!rig.button("docCamBtn")->isEnabled());
    QVERIFY(!rig.button("captureBtn")->isEnabled());
    QTRY_COMPARE(rig.rowPositions(), kToolsRow);
}

void TestWidgetModeToolBar::cameraLossThatIsNotFinalChangesNothing()
{
    Rig rig;
    rig.button("docCamBtn")->click();
    QTRY_COMPARE(rig.rowPositions(), kControlsRow);
    emit rig.camera.docCamDisconnected();
    QTest::qWait(50);
    QVERIFY(rig.button("docCamBtn")->isChecked());
    QVERIFY(rig.button("docCamBtn")->isEnabled());
    QVERIFY(rig.button("captureBtn")->isEnabled());
    QCOMPARE(rig.rowPositions(), kControlsRow);
}

void TestWidgetModeToolBar::returnButtonLeavesWidgetMode()
{
    Rig rig;
    rig.button("returnNormalModeBtn")->click();
    QCOMPARE(rig.window.callNames(), QStringList{"leaveWidgetMode"});
}

void TestWidgetModeToolBar::closesOnlyWithTheMainWindow_data()
{
    QTest::addColumn<bool>("windowCloses");
    QTest::newRow("window refuses") << false;
    QTest::newRow("window closes") << true;
}

void TestWidgetModeToolBar::closesOnlyWithTheMainWindow()
{
    QFETCH(bool, windowCloses);
    Rig rig;
    // In widget mode the main window is hidden; its close checks still run.
    rig.window.setAnswer(QStringLiteral("closeEvent"), windowCloses);
    rig.bar.show();
    QCOMPARE(rig.bar.close(), windowCloses);
    QCOMPARE(rig.window.count(QStringLiteral("closeEvent")), 1);
    QCOMPARE(rig.bar.isVisible(), !windowCloses);
}

QUILLO_TEST_MAIN(TestWidgetModeToolBar)
#include "tst_WidgetModeToolBar.moc"
