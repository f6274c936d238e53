#include "AnnoPanel.h"
#include "AnnotationFake.h"
#include "CaptureFake.h"
#include "CaptureSelectionPanel.h"
#include "DialogWatchdog.h"
#include "DocCamControlPanel.h"
#include "EnlargeToolButton.h"
#include "FormChild.h"
#include "FreehandPanel.h"
#include "GradingServicePage.h"
#include "LumoVisionFake.h"
#include "MainWindowFake.h"
#include "MessageBoxScript.h"
#include "ModalAnswerer.h"
#include "OsHelpers.h"
#include "PresenterPanel.h"
#include "RecordingFake.h"
#include "RecordingStarter.h"
#include "Screenshot.h"
#include "SplitScreenPanel.h"
#include "TestEnvironment.h"
#include "ToolsPanel.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QToolButton>
#include <QTranslator>

#include <algorithm>

namespace {

// The recording service's status values: idle, running, paused.
constexpr uint kIdle = 1;
constexpr uint kRunning = 6;
constexpr uint kPaused = 10;

// The form widgets that the states move, and the five strips by class.
const char *const kMovedWidgets[] = {"mainMenuBtn",  "docCamBtn",     "line",        "annoBtn",    "line_4",
                                     "presenterBtn", "line_2",        "recordBtn",   "captureBtn", "splitBtn",
                                     "line_3",       "widgetModeBtn", "gradeCamBtn", "line_5",     "labelBack"};

QToolButton *button(const QWidget &panel, const char *name)
{
    return formChild<QToolButton>(panel, name);
}

// Where every moving widget of the panel stands now.
QMap<QString, QPoint> positions(const ToolsPanel &panel)
{
    QMap<QString, QPoint> at;
    for (const char *name : kMovedWidgets)
        at.insert(QLatin1String(name), formChild<QWidget>(panel, name)->pos());
    at.insert(QStringLiteral("AnnoPanel"), panel.findChild<AnnoPanel *>()->pos());
    at.insert(QStringLiteral("DocCamControlPanel"), panel.findChild<DocCamControlPanel *>()->pos());
    at.insert(QStringLiteral("CaptureSelectionPanel"), panel.findChild<CaptureSelectionPanel *>()->pos());
    at.insert(QStringLiteral("SplitScreenPanel"), panel.findChild<SplitScreenPanel *>()->pos());
    at.insert(QStringLiteral("PresenterPanel"), panel.findChild<PresenterPanel *>()->pos());
    return at;
}

// The positions of each state, as the panel's layout table gives them; the states in the order main,
// annotation, doc-cam, capture, split, presenter. Every function state is entered from the main state, so a
// widget a state leaves alone stands where the main state put it.
QMap<QString, QPoint> tablePositions(int state)
{
    const struct
    {
        const char *widget;
        QPoint at[6];
    } table[] = {
        {"mainMenuBtn", {{-86, 5}, {12, 5}, {12, 5}, {12, 5}, {12, 5}, {12, 5}}},
        {"docCamBtn", {{12, 5}, {-830, 5}, {108, 5}, {-830, 5}, {-830, 5}, {-830, 5}}},
        {"line", {{98, 0}, {-744, 5}, {98, 0}, {194, 0}, {-744, 5}, {194, 0}}},
        {"annoBtn", {{108, 5}, {108, 5}, {926, 5}, {-734, 5}, {-734, 5}, {-734, 5}}},
        {"line_4", {{194, 0}, {1356, 5}, {1356, 5}, {1356, 5}, {1356, 5}, {1356, 5}}},
        {"presenterBtn", {{204, 5}, {1022, 5}, {1022, 5}, {1022, 5}, {1022, 5}, {108, 5}}},
        {"line_2", {{290, 0}, {194, 0}, {194, 0}, {-744, 5}, {194, 0}, {-744, 5}}},
        {"recordBtn", {{300, 5}, {1118, 5}, {1118, 5}, {-542, 5}, {-542, 5}, {-542, 5}}},
        {"captureBtn", {{376, 5}, {1194, 5}, {1194, 5}, {108, 5}, {-466, 5}, {1194, 5}}},
        {"splitBtn", {{452, 5}, {1270, 5}, {1270, 5}, {1270, 5}, {108, 5}, {1270, 5}}},
        {"line_3", {{538, 0}, {1356, 5}, {1356, 5}, {1356, 5}, {1356, 5}, {1356, 5}}},
        {"widgetModeBtn", {{548, 5}, {1366, 5}, {1366, 5}, {1366, 5}, {1366, 5}, {1366, 5}}},
        {"gradeCamBtn", {{638, 5}, {1456, 5}, {1456, 5}, {1456, 5}, {1456, 5}, {1456, 5}}},
        {"line_5", {{-1, 0}, {98, 0}, {98, 0}, {98, 0}, {98, 0}, {98, 0}}},
        {"labelBack", {{15, 3}, {111, 3}, {111, 3}, {111, 3}, {111, 3}, {111, 3}}},
        {"AnnoPanel", {{-830, 0}, {204, 0}, {-830, 0}, {-830, 0}, {-830, 0}, {-830, 0}}},
        {"DocCamControlPanel", {{-830, 0}, {-830, 0}, {204, 0}, {-830, 0}, {-830, 0}, {-830, 0}}},
        {"CaptureSelectionPanel", {{-830, 0}, {-830, 0}, {-830, 0}, {204, 0}, {-830, 0}, {-830, 0}}},
        {"SplitScreenPanel", {{-830, 0}, {-830, 0}, {-830, 0}, {-830, 0}, {204, 0}, {-830, 0}}},
        {"PresenterPanel", {{-830, 0}, {-830, 0}, {-830, 0}, {-830, 0}, {-830, 0}, {204, 0}}},
    };
    QMap<QString, QPoint> at;
    for (const auto &row : table)
        at.insert(QLatin1String(row.widget), row.at[state]);
    return at;
}

// A tool panel on a fake window's central widget, with fake services set in the main window's order. The
// camera is connected and the recording service idle unless a test says otherwise.
struct Rig
{
    LumoVisionFake camera;
    CaptureFake capture;
    RecordingFake recording;
    AnnotationFake annotation;
    // Destroyed first, and the panel with it, while the services it points at still exist.
    MainWindowFake window;
    ToolsPanel *panel = nullptr;

    explicit Rig(bool cameraConnected = true)
    {
        camera.setAnswer(QStringLiteral("isDocCamConnected"), cameraConnected);
        capture.setActionStatus(7u);
        recording.setActionStatus(kIdle);
        window.setCentralWidget(new QWidget);
        window.resize(1024, 700);
        panel = new ToolsPanel(window.centralWidget());
        panel->setMainWindow(&window);
        panel->setDocCamService(&camera);
        panel->setCaptureService(&capture);
        panel->setRecordingService(&recording);
        panel->setAnnotationService(&annotation);
        // The state machines start from the event loop; a click before that would find no transition.
        QCoreApplication::sendPostedEvents();
    }

    QToolButton *button(const char *name) const { return ::button(*panel, name); }
    bool arrowShown() const { return !formChild<QLabel>(*panel, "labelBack")->isHidden(); }
    RecordingStarter *countDown() const { return window.findChild<RecordingStarter *>(); }
};

// The button that enters each function state, in the table's order after the main state.
const char *const kStateButtons[] = {nullptr, "annoBtn", "docCamBtn", "captureBtn", "splitBtn", "presenterBtn"};

} // namespace

class TestToolsPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The builds these tests play have the address of a grading service unless a test takes it away.
    void init() { setGradingServiceLoginPage(QUrl(QStringLiteral("https://grading.test.invalid/login"))); }

    void statesPlaceEveryWidget_data();
    void statesPlaceEveryWidget();
    void longerLabelsWidenTheirButtons_data() { statesPlaceEveryWidget_data(); }
    void longerLabelsWidenTheirButtons();
    void homeButtonUnchecksOnlyTheCameraButton();
    void returnToMainMenu();
    void leavingAStripClosesItsSubPanel_data();
    void leavingAStripClosesItsSubPanel();
    void stripButtonsReachTheWindow_data();
    void stripButtonsReachTheWindow();
    void widgetModeAndCloseButtons();
    void cameraToolsFollowTheConnection();
    void cameraLostInItsStateReturnsToTheButtons();
    void cameraLossThatIsNotFinalChangesNothing();
    void fullDisplayDisablesTheModeButtons_data();
    void fullDisplayDisablesTheModeButtons();
    void recordCountsDownThenStarts_data();
    void recordCountsDownThenStarts();
    void countDownLiesOverTheWindowAndFollowsIt();
    void recordWhileARecordingRuns();
    void recordButtonMirrorsTheStatus_data();
    void recordButtonMirrorsTheStatus();
    void gradingHandsTheCameraOverAndBack_data();
    void gradingHandsTheCameraOverAndBack();
    void gradingWithoutAPageKeepsOrTakesBackTheCamera_data();
    void gradingWithoutAPageKeepsOrTakesBackTheCamera();
    void gradingButtonOfABuildWithoutAnAddress();
    void clearAllIsOneUndoableStep();
};

void TestToolsPanel::statesPlaceEveryWidget_data()
{
    QTest::addColumn<int>("state");
    QTest::newRow("main") << 0;
    QTest::newRow("annotation") << 1;
    QTest::newRow("doc cam") << 2;
    QTest::newRow("capture") << 3;
    QTest::newRow("split") << 4;
    QTest::newRow("presenter") << 5;
}

void TestToolsPanel::statesPlaceEveryWidget()
{
    QFETCH(int, state);
    Rig rig;
    QCOMPARE(positions(*rig.panel), tablePositions(0));
    QVERIFY(!rig.arrowShown());
    if (state == 0)
        return;

    QToolButton *function = rig.button(kStateButtons[state]);
    function->click();
    QVERIFY(function->isChecked());
    // The grading button and the back arrow jump at once; everything else slides.
    QTRY_COMPARE(rig.button("gradeCamBtn")->pos(), QPoint(1456, 5));
    QVERIFY(rig.arrowShown());
    QTRY_COMPARE(positions(*rig.panel), tablePositions(state));

    function->click();
    QVERIFY(!function->isChecked());
    QTRY_COMPARE(positions(*rig.panel), tablePositions(0));
    QVERIFY(!rig.arrowShown());

    // The home button leads back as well.
    function->click();
    QTRY_COMPARE(positions(*rig.panel), tablePositions(state));
    rig.button("mainMenuBtn")->click();
    QTRY_COMPARE(positions(*rig.panel), tablePositions(0));
    QVERIFY(!rig.arrowShown());
}

// A translation's longer labels widen their buttons instead of being cut, in every state; nothing the panel
// shows overlaps, and the home button still waits out of sight in the main state.
void TestToolsPanel::longerLabelsWidenTheirButtons()
{
    QFETCH(int, state);
    QTranslator translator;
    QVERIFY(translator.load(TestEnvironment::inputPath("TEST_QM_FILE")));
    QCoreApplication::installTranslator(&translator);
    const auto removeTranslator = qScopeGuard([&translator] { QCoreApplication::removeTranslator(&translator); });
    Rig rig;
    QCOMPARE(rig.button("splitBtn")->text(), QStringLiteral("Écran partagé"));
    if (state != 0) {
        rig.button(kStateButtons[state])->click();
        // Every widget slides for the same time, so the home button's arrival ends the slide.
        QTRY_COMPARE(rig.button("mainMenuBtn")->x(), 12);
    }

    QList<QWidget *> shown;
    for (QWidget *widget : rig.panel->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        const QString name = widget->objectName();
        if (!widget->isHidden() && name != QLatin1String("labelBack") && name != QLatin1String("closeBtn")
            && widget->geometry().intersects(rig.panel->rect()))
            shown << widget;
    }
    std::sort(shown.begin(), shown.end(), [](QWidget *a, QWidget *b) { return a->x() < b->x(); });
    QVERIFY(shown.size() >= 3);
    for (qsizetype i = 0; i < shown.size(); ++i) {
        QWidget *widget = shown.at(i);
        if (auto *button = qobject_cast<EnlargeToolButton *>(widget))
            QVERIFY2(button->width() >= button->textWidth(), qPrintable(button->text()));
        QVERIFY2(widget->x() >= 0, qPrintable(widget->objectName()));
        // Two separators may stand on one another; nothing else may touch its neighbour.
        if (i > 0 && widget->geometry() != shown.at(i - 1)->geometry())
            QVERIFY2(widget->x() > shown.at(i - 1)->geometry().right(),
                     qPrintable(shown.at(i - 1)->objectName() + QLatin1String(" / ") + widget->objectName()));
    }
    if (state == 0)
        QVERIFY(shown.last()->geometry().right() < rig.button("closeBtn")->x());
}

void TestToolsPanel::homeButtonUnchecksOnlyTheCameraButton()
{
    Rig rig;
    rig.button("docCamBtn")->click();
    QTRY_COMPARE(positions(*rig.panel), tablePositions(2));
    rig.button("mainMenuBtn")->click();
    QVERIFY(!rig.button("docCamBtn")->isChecked());
    QTRY_COMPARE(positions(*rig.panel), tablePositions(0));

    rig.button("annoBtn")->click();
    QTRY_COMPARE(positions(*rig.panel), tablePositions(1));
    rig.button("mainMenuBtn")->click();
    QTRY_COMPARE(positions(*rig.panel), tablePositions(0));
    QVERIFY(rig.button("annoBtn")->isChecked());
    // Its next click unchecks it and still opens its strip, with the back arrow.
    rig.button("annoBtn")->click();
    QVERIFY(!rig.button("annoBtn")->isChecked());
    QTRY_COMPARE(positions(*rig.panel), tablePositions(1));
    QVERIFY(rig.arrowShown());
}

void TestToolsPanel::returnToMainMenu()
{
    Rig rig;
    rig.button("docCamBtn")->setChecked(true);
    rig.panel->returnToMainMenu();
    QVERIFY(!rig.button("docCamBtn")->isChecked());
    QTest::qWait(50);
    QCOMPARE(positions(*rig.panel), tablePositions(0));

    rig.button("splitBtn")->click();
    QTRY_COMPARE(positions(*rig.panel), tablePositions(4));
    rig.panel->returnToMainMenu();
    QTRY_COMPARE(positions(*rig.panel), tablePositions(0));
    QVERIFY(!rig.arrowShown());
}

void TestToolsPanel::leavingAStripClosesItsSubPanel_data()
{
    QTest::addColumn<QByteArray>("function");
    QTest::addColumn<bool>("byHome");
    QTest::addColumn<bool>("closed");
    QTest::newRow("annotation, its button") << QByteArray("annoBtn") << false << true;
    QTest::newRow("annotation, home") << QByteArray("annoBtn") << true << true;
    QTest::newRow("doc cam, its button") << QByteArray("docCamBtn") << false << true;
    QTest::newRow("doc cam, home") << QByteArray("docCamBtn") << true << true;
    QTest::newRow("capture, its button") << QByteArray("captureBtn") << false << true;
    // Only the capture button's own uncheck closes the time-lapse set-up.
    QTest::newRow("capture, home") << QByteArray("captureBtn") << true << false;
}

void TestToolsPanel::leavingAStripClosesItsSubPanel()
{
    QFETCH(QByteArray, function);
    QFETCH(bool, byHome);
    QFETCH(bool, closed);
    Rig rig;
    rig.button(function)->click();
    QTest::qWait(50);

    // Open the strip's own sub-panel, and a way to ask whether it is still open.
    std::function<bool()> subPanelOpen;
    if (function == "annoBtn") {
        auto *strip = rig.panel->findChild<AnnoPanel *>();
        button(*strip, "freehandBtn")->click();
        auto *options = strip->findChild<FreehandPanel *>();
        subPanelOpen = [options] { return options->x() >= 0; };
    } else if (function == "docCamBtn") {
        QToolButton *adjust = button(*rig.panel->findChild<DocCamControlPanel *>(), "adjustBtn");
        adjust->click();
        subPanelOpen = [adjust] { return adjust->isChecked(); };
    } else {
        button(*rig.panel->findChild<CaptureSelectionPanel *>(), "timeLapesCaptureBtn")->click();
        rig.capture.setActionStatus(0x3Cu);
        subPanelOpen = [&rig] { return rig.capture.count(QStringLiteral("toggleTimeLapseSetup")) == 1; };
    }
    QTRY_VERIFY(subPanelOpen());

    rig.button(byHome ? "mainMenuBtn" : function.constData())->click();
    QTRY_COMPARE(positions(*rig.panel), tablePositions(0));
    QTRY_COMPARE(subPanelOpen(), !closed);
}

void TestToolsPanel::stripButtonsReachTheWindow_data()
{
    QTest::addColumn<QByteArray>("strip");
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QString>("operation");
    const QByteArray split("splitBtn");
    const QByteArray presenter("presenterBtn");
    QTest::newRow("one view") << split << QByteArray("oneSplitBtn") << "becomeOneSplit";
    QTest::newRow("picture in picture") << split << QByteArray("pipSplitBtn") << "becomePipSplit";
    QTest::newRow("doc cam, web cam") << split << QByteArray("dwSplitBtn") << "becomeDWTwoSplit";
    QTest::newRow("doc cam, media") << split << QByteArray("dmSplitBtn") << "becomeDMTwoSplit";
    QTest::newRow("doc cam large") << split << QByteArray("dThreeSplitBtn") << "becomeDThreeSplit";
    QTest::newRow("web cam large") << split << QByteArray("wThreeSplitBtn") << "becomeWThreeSplit";
    QTest::newRow("media large") << split << QByteArray("mThreeSplitBtn") << "becomeMThreeSplit";
    QTest::newRow("spotlight") << presenter << QByteArray("spotlightBtn") << "showUpSpotlight";
    QTest::newRow("visor") << presenter << QByteArray("visorBtn") << "showUpVisor";
}

void TestToolsPanel::stripButtonsReachTheWindow()
{
    QFETCH(QByteArray, strip);
    QFETCH(QByteArray, button);
    QFETCH(QString, operation);
    Rig rig;
    rig.button(strip)->click();
    QTRY_COMPARE(formChild<QWidget>(*rig.panel, "labelBack")->pos(), QPoint(111, 3));
    formChild<QAbstractButton>(*rig.panel, button)->click();
    QCOMPARE(rig.window.callNames(), QStringList{operation});
}

void TestToolsPanel::widgetModeAndCloseButtons()
{
    Rig rig;
    QSignalSpy closed(rig.panel, &ToolsPanel::toolPanelClosed);
    rig.button("closeBtn")->click();
    QCOMPARE(closed.count(), 1);
    QVERIFY(rig.window.calls().isEmpty());
    rig.button("widgetModeBtn")->click();
    QCOMPARE(rig.window.callNames(), QStringList{"becomeWidgetMode"});
}

void TestToolsPanel::cameraToolsFollowTheConnection()
{
    Rig rig(false);
    QVERIFY(!rig.button("docCamBtn")->isEnabled());
    QVERIFY(!rig.button("gradeCamBtn")->isEnabled());
    rig.camera.connectCamera(QStringLiteral("Lumo 1"));
    QVERIFY(rig.button("docCamBtn")->isEnabled());
    QVERIFY(rig.button("gradeCamBtn")->isEnabled());
    rig.camera.disconnectCamera();
    QVERIFY(!rig.button("docCamBtn")->isEnabled());
    QVERIFY(!rig.button("gradeCamBtn")->isEnabled());
}

void TestToolsPanel::cameraLostInItsStateReturnsToTheButtons()
{
    Rig rig;
    rig.button("docCamBtn")->click();
    QTRY_COMPARE(positions(*rig.panel), tablePositions(2));
    QToolButton *adjust = button(*rig.panel->findChild<DocCamControlPanel *>(), "adjustBtn");
    adjust->click();
    QVERIFY(adjust->isChecked());

    rig.camera.disconnectCamera();
    QVERIFY(!rig.button("docCamBtn")->isChecked());
    QVERIFY(!rig.button("docCamBtn")->isEnabled());
    QVERIFY(!rig.button("gradeCamBtn")->isEnabled());
    QTRY_COMPARE(positions(*rig.panel), tablePositions(0));
    QVERIFY(!rig.arrowShown());
    QVERIFY(!adjust->isChecked());
}

void TestToolsPanel::cameraLossThatIsNotFinalChangesNothing()
{
    Rig rig;
    rig.button("docCamBtn")->click();
    QTRY_COMPARE(positions(*rig.panel), tablePositions(2));
    // Another camera took over: the service still reports one.
    emit rig.camera.docCamDisconnected();
    QTest::qWait(50);
    QVERIFY(rig.button("docCamBtn")->isChecked());
    QVERIFY(rig.button("docCamBtn")->isEnabled());
    QVERIFY(rig.button("gradeCamBtn")->isEnabled());
    QCOMPARE(positions(*rig.panel), tablePositions(2));
}

void TestToolsPanel::fullDisplayDisablesTheModeButtons_data()
{
    QTest::addColumn<bool>("cameraConnected");
    QTest::newRow("with a camera") << true;
    QTest::newRow("without a camera") << false;
}

void TestToolsPanel::fullDisplayDisablesTheModeButtons()
{
    QFETCH(bool, cameraConnected);
    Rig rig(cameraConnected);
    emit rig.window.isFullDisplayMode(true);
    for (const char *name : {"widgetModeBtn", "splitBtn", "docCamBtn"})
        QVERIFY2(!rig.button(name)->isEnabled(), name);
    QVERIFY(rig.button("annoBtn")->isEnabled());
    emit rig.window.isFullDisplayMode(false);
    QVERIFY(rig.button("widgetModeBtn")->isEnabled());
    QVERIFY(rig.button("splitBtn")->isEnabled());
    QCOMPARE(rig.button("docCamBtn")->isEnabled(), cameraConnected);
}

void TestToolsPanel::recordCountsDownThenStarts_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<int>("startResult");
    QTest::addColumn<bool>("started");
    QTest::newRow("count ran out, service started") << false << 0 << true;
    QTest::newRow("count ran out, service refused") << false << -4000 << false;
    QTest::newRow("cancelled with Escape") << true << 0 << false;
}

void TestToolsPanel::recordCountsDownThenStarts()
{
    QFETCH(bool, cancel);
    QFETCH(int, startResult);
    QFETCH(bool, started);
    DialogWatchdog watchdog;
    Rig rig;
    rig.window.show();
    // A cancelled count-down never starts the recording.
    if (!cancel)
        rig.recording.setAnswer(QStringLiteral("startRecording"), startResult);
    rig.button("recordBtn")->click();
    QVERIFY(rig.button("recordBtn")->isChecked());
    RecordingStarter *countDown = rig.countDown();
    QVERIFY(countDown);
    QVERIFY(countDown->isVisible());
    QCOMPARE(rig.recording.count(QStringLiteral("startRecording")), 0);

    if (cancel) {
        QTest::keyClick(countDown, Qt::Key_Escape);
    } else {
        countDown->timeout();
        countDown->timeout();
        QCOMPARE(rig.recording.count(QStringLiteral("startRecording")), 0);
        countDown->timeout();
    }
    QCOMPARE(rig.recording.count(QStringLiteral("startRecording")), cancel ? 0 : 1);
    QCOMPARE(rig.window.callNames(), started ? QStringList{"startRecording"} : QStringList{});
    QCOMPARE(rig.button("recordBtn")->isChecked(), started);
    QTRY_VERIFY(!rig.countDown());
}

void TestToolsPanel::countDownLiesOverTheWindowAndFollowsIt()
{
    Rig rig;
    rig.window.setGeometry(60, 40, 900, 650);
    rig.window.show();
    rig.button("recordBtn")->click();
    RecordingStarter *countDown = rig.countDown();
    QVERIFY(countDown);
    QCOMPARE(countDown->geometry(), windowFrameGeometry(&rig.window));
    emit rig.window.quilloMoved(QPoint(120, 90));
    QCOMPARE(countDown->pos(), QPoint(120, 90));
    QTest::keyClick(countDown, Qt::Key_Escape);
}

void TestToolsPanel::recordWhileARecordingRuns()
{
    Rig rig;
    rig.recording.setActionStatus(kRunning);
    QVERIFY(rig.button("recordBtn")->isChecked());
    // The click unchecks the button: the window stops the recording.
    rig.button("recordBtn")->click();
    QCOMPARE(rig.window.callNames(), QStringList{"stopRecord"});

    // A click that checks it while the service is not idle starts nothing and keeps it checked.
    rig.window.clearCalls();
    rig.recording.setAnswer(QStringLiteral("actionStatus"), kPaused);
    rig.button("recordBtn")->click();
    QVERIFY(rig.button("recordBtn")->isChecked());
    QVERIFY(!rig.countDown());
    QVERIFY(rig.window.calls().isEmpty());
    QCOMPARE(rig.recording.count(QStringLiteral("startRecording")), 0);
}

void TestToolsPanel::recordButtonMirrorsTheStatus_data()
{
    QTest::addColumn<QList<uint>>("statuses");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("text");
    QTest::newRow("idle") << QList<uint>{kIdle} << false << "Record";
    QTest::newRow("running") << QList<uint>{kRunning} << true << "Click to stop";
    QTest::newRow("paused") << QList<uint>{kRunning, kPaused} << true << "Click to stop";
    QTest::newRow("stopped again") << QList<uint>{kRunning, kIdle} << false << "Record";
}

void TestToolsPanel::recordButtonMirrorsTheStatus()
{
    QFETCH(QList<uint>, statuses);
    QFETCH(bool, checked);
    QFETCH(QString, text);
    Rig rig;
    for (uint status : statuses)
        rig.recording.setActionStatus(status);
    QCOMPARE(rig.button("recordBtn")->isChecked(), checked);
    QCOMPARE(rig.button("recordBtn")->text(), text);
    // Following the status is no click: nothing is started or stopped.
    QVERIFY(rig.window.calls().isEmpty());
    QVERIFY(!rig.countDown());
}

void TestToolsPanel::gradingHandsTheCameraOverAndBack_data()
{
    QTest::addColumn<bool>("translated");
    // The answers of the boxes in the order they come, the results of releaseDocCam and of each
    // reconnectDocCam, and the number of clicks on the grading button.
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<int>("releaseResult");
    QTest::addColumn<QList<int>>("reconnectResults");
    QTest::addColumn<int>("clicks");
    // What follows: the button's (untranslated) text, the boxes shown, the pages opened, the reconnects.
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("boxes");
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("reconnects");

    const int no = QMessageBox::No;
    const int ok = QMessageBox::Ok;
    const int retry = QMessageBox::Retry;
    const int cancel = QMessageBox::Cancel;
    for (bool translated : {false, true}) {
        const char *language = translated ? "translated" : "untranslated";
        QTest::addRow("%s: no", language)
            << translated << QList<int>{no} << 0 << QList<int>{} << 1 << "GradeCam" << 1 << 0 << 0;
        QTest::addRow("%s: box closed", language)
            << translated << QList<int>{QMessageBox::NoButton} << 0 << QList<int>{} << 1 << "GradeCam" << 1 << 0 << 0;
        QTest::addRow("%s: lent", language)
            << translated << QList<int>{ok} << 0 << QList<int>{} << 1 << "Reconnect" << 1 << 1 << 0;
        QTest::addRow("%s: release refused", language)
            << translated << QList<int>{ok} << -1000 << QList<int>{} << 1 << "GradeCam" << 1 << 0 << 0;
        QTest::addRow("%s: lent and taken back", language)
            << translated << QList<int>{ok} << 0 << QList<int>{0} << 2 << "GradeCam" << 1 << 1 << 1;
        QTest::addRow("%s: taken back after a retry", language)
            << translated << QList<int>{ok, retry} << 0 << QList<int>{-2005, 0} << 2 << "GradeCam" << 2 << 1 << 2;
        QTest::addRow("%s: cancelled reconnect", language)
            << translated << QList<int>{ok, cancel} << 0 << QList<int>{-2005} << 2 << "Reconnect" << 2 << 1 << 1;
        QTest::addRow("%s: the click after a cancel reconnects", language)
            << translated << QList<int>{ok, cancel} << 0 << QList<int>{-2005, 0} << 3 << "GradeCam" << 2 << 1 << 2;
    }
}

void TestToolsPanel::gradingHandsTheCameraOverAndBack()
{
    QFETCH(bool, translated);
    QFETCH(QList<int>, answers);
    QFETCH(int, releaseResult);
    QFETCH(QList<int>, reconnectResults);
    QFETCH(int, clicks);
    QFETCH(QString, text);
    QFETCH(int, boxes);
    QFETCH(int, pages);
    QFETCH(int, reconnects);

    QTranslator translator;
    if (translated) {
        QVERIFY(translator.load(TestEnvironment::inputPath("TEST_QM_FILE")));
        QCoreApplication::installTranslator(&translator);
    }
    const auto removeTranslator = qScopeGuard([&translator] { QCoreApplication::removeTranslator(&translator); });
    DialogWatchdog watchdog;
    MessageBoxScript script;
    for (int answer : answers)
        script.answerNext(QMessageBox::StandardButton(answer));
    TestEnvironment::clearOpenedUrls();

    Rig rig;
    // Only a row that lends the camera releases it, and only one that reconnects asks how that went.
    if (answers.first() == QMessageBox::Ok)
        rig.camera.setAnswer(QStringLiteral("releaseDocCam"), releaseResult);
    if (reconnects > 0) {
        rig.camera.setAnswerFunction(QStringLiteral("reconnectDocCam"), [&reconnectResults](const QVariantList &) {
            return reconnectResults.isEmpty() ? QVariant(-2005) : QVariant(reconnectResults.takeFirst());
        });
    }
    QToolButton *grading = rig.button("gradeCamBtn");
    QCOMPARE(grading->text(), QCoreApplication::translate("ToolsPanel", "GradeCam"));
    if (translated)
        QCOMPARE(grading->text(), QStringLiteral("Notation"));
    for (int i = 0; i < clicks; ++i)
        grading->click();

    QCOMPARE(grading->text(), QCoreApplication::translate("ToolsPanel", qPrintable(text)));
    QCOMPARE(script.shown().size(), boxes);
    QCOMPARE(rig.camera.count(QStringLiteral("releaseDocCam")), answers.first() == QMessageBox::Ok ? 1 : 0);
    QCOMPARE(rig.camera.count(QStringLiteral("reconnectDocCam")), reconnects);
    QCOMPARE(TestEnvironment::openedUrls(), QList<QUrl>(pages, gradingServiceLoginPage()));
    QVERIFY(gradingServiceLoginPage().isValid());
    QCOMPARE(gradingServiceLoginPage().scheme(), QStringLiteral("https"));

    const char *const question = "The DocCam will be disconnected from\n Quillo while we take you to the Lumo\n "
                                 "Gradecam Insight login page. Are you\n sure you want to proceed?";
    const char *const retryText =
        "Quillo can not reconnect to the DocCam.\n Make sure you are logged out of \n Gradecam.";
    for (int i = 0; i < script.shown().size(); ++i) {
        const MessageBoxes::Request &box = script.shown().at(i);
        QCOMPARE(box.parent, rig.panel);
        QCOMPARE(box.title, QStringLiteral("Warning"));
        QCOMPARE(box.text, QCoreApplication::translate("ToolsPanel", i == 0 ? question : retryText));
        QCOMPARE(box.buttons, i == 0 ? QMessageBox::No | QMessageBox::Ok : QMessageBox::Retry | QMessageBox::Cancel);
    }
    if (translated && script.shown().size() > 1)
        QVERIFY(script.shown().at(1).text.startsWith(QStringLiteral("Quillo ne peut pas")));
}

void TestToolsPanel::gradingWithoutAPageKeepsOrTakesBackTheCamera_data()
{
    QTest::addColumn<QUrl>("page");
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<QList<int>>("reconnectResults");
    // What follows: the boxes' texts, whether the camera was released, the reconnects, the button's text.
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<bool>("released");
    QTest::addColumn<int>("reconnects");
    QTest::addColumn<QString>("text");

    const QString question = QCoreApplication::translate(
        "ToolsPanel", "The DocCam will be disconnected from\n Quillo while we take you to the Lumo\n "
                      "Gradecam Insight login page. Are you\n sure you want to proceed?");
    const QString notOpened =
        QStringLiteral("The grading service's login page could not be opened.\nThe DocCam is taken back.");
    const QString noReconnect = QCoreApplication::translate(
        "ToolsPanel", "Quillo can not reconnect to the DocCam.\n Make sure you are logged out of \n Gradecam.");
    // No handler knows this scheme, so the page does not open (and nothing is started).
    const QUrl unopened(QStringLiteral("quillo-unopened://login"));
    QTest::newRow("no address") << QUrl() << QList<int>{} << QList<int>{}
                                << QStringList{QStringLiteral("The grading service is not set up in this build.")}
                                << false << 0 << "GradeCam";
    QTest::newRow("page not opened") << unopened << QList<int>{QMessageBox::Ok} << QList<int>{0}
                                     << QStringList{question, notOpened} << true << 1 << "GradeCam";
    QTest::newRow("page not opened, camera not back")
        << unopened << QList<int>{QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Cancel} << QList<int>{-2005}
        << QStringList{question, notOpened, noReconnect} << true << 1 << "Reconnect";
}

void TestToolsPanel::gradingWithoutAPageKeepsOrTakesBackTheCamera()
{
    QFETCH(QUrl, page);
    QFETCH(QList<int>, answers);
    QFETCH(QList<int>, reconnectResults);
    QFETCH(QStringList, texts);
    QFETCH(bool, released);
    QFETCH(int, reconnects);
    QFETCH(QString, text);
    setGradingServiceLoginPage(page);
    DialogWatchdog watchdog;
    MessageBoxScript script;
    for (int answer : answers)
        script.answerNext(QMessageBox::StandardButton(answer));
    TestEnvironment::clearOpenedUrls();
    Rig rig;
    // Only a row that lends the camera releases it, and only one that reconnects asks how that went.
    if (released)
        rig.camera.setAnswer(QStringLiteral("releaseDocCam"), 0);
    if (reconnects > 0) {
        rig.camera.setAnswerFunction(QStringLiteral("reconnectDocCam"), [&reconnectResults](const QVariantList &) {
            return reconnectResults.isEmpty() ? QVariant(-2005) : QVariant(reconnectResults.takeFirst());
        });
    }
    rig.button("gradeCamBtn")->click();
    QStringList shown;
    for (const MessageBoxes::Request &box : script.shown())
        shown << box.text;
    QCOMPARE(shown, texts);
    QCOMPARE(script.shown().first().parent, rig.panel);
    QCOMPARE(rig.camera.count(QStringLiteral("releaseDocCam")), released ? 1 : 0);
    QCOMPARE(rig.camera.count(QStringLiteral("reconnectDocCam")), reconnects);
    QCOMPARE(rig.button("gradeCamBtn")->text(), text);
    QVERIFY(TestEnvironment::openedUrls().isEmpty());
}

// The box a teacher sees on a build without the grading service's address, for a person to look at.
void TestToolsPanel::gradingButtonOfABuildWithoutAnAddress()
{
    setGradingServiceLoginPage(QUrl());
    DialogWatchdog watchdog;
    Rig rig;
    rig.window.show();
    QString text;
    ModalAnswerer answerer([&](QWidget *modal) {
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            text = box->text();
            QVERIFY(!Screenshot::save(box, QStringLiteral("grading-not-set-up")).isEmpty());
            box->accept();
        }
    });
    rig.button("gradeCamBtn")->click();
    QVERIFY(answerer.answered());
    QCOMPARE(text, QStringLiteral("The grading service is not set up in this build."));
    QCOMPARE(rig.camera.count(QStringLiteral("releaseDocCam")), 0);
    QVERIFY(!Screenshot::save(&rig.window, QStringLiteral("grading-button-without-address")).isEmpty());
}

void TestToolsPanel::clearAllIsOneUndoableStep()
{
    Rig rig;
    rig.panel->clearAll();
    QCOMPARE(rig.annotation.callNames(), QStringList{"clearCanvas"});
    QCOMPARE(rig.annotation.lastArgs(QStringLiteral("clearCanvas")),
             (QVariantList{QVariant::fromValue<QWidget *>(nullptr), false, false}));
}

QUILLO_TEST_MAIN(TestToolsPanel)
#include "tst_ToolsPanel.moc"
