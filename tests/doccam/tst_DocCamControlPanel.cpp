#include "DocCamAdjustToolsPanel.h"
#include "DocCamControlPanel.h"
#include "FormChild.h"
#include "LumoVisionFake.h"
#include "TestEnvironment.h"

#include <QLabel>
#include <QToolButton>

namespace {

// A slide takes 250 ms; a loaded machine may take longer to play it.
constexpr int kSlideWaitMs = 3000;

QToolButton *button(const QWidget &panel, const char *name)
{
    return formChild<QToolButton>(panel, name);
}

QWidget *adjustPanel(const DocCamControlPanel &panel)
{
    return panel.findChild<DocCamAdjustToolsPanel *>();
}

// The camera buttons with their bit of the mask, the operation each calls and its x in the adjust view.
struct CameraButton
{
    const char *name;
    uint bit;
    const char *call;
    int adjustX;
};
const QList<CameraButton> kCameraButtons{
    {"autoFocusBtn", LumoVisionIntf::AUTO_FOCUS, "autoFocus", -638},
    {"zoomInBtn", LumoVisionIntf::ZOOM_IN, "zoomIn", -562},
    {"zoomOutBtn", LumoVisionIntf::ZOOM_OUT, "zoomOut", -486},
    {"resetZoomBtn", LumoVisionIntf::ZOOM_RESET, "zoomReset", -410},
    {"pauseBtn", LumoVisionIntf::FREEZE, "toggleFreeze", -334},
    {"rotateBtn", LumoVisionIntf::ROTATE, "rotate", -258},
    {"mirrorBtn", LumoVisionIntf::MIRROR, "toggleMirror", -182},
};

// Shown, with the state machine running (it starts from the event loop).
void showStrip(DocCamControlPanel &panel)
{
    panel.show();
    QTest::qWait(0);
}

void waitClosed(const DocCamControlPanel &panel)
{
    QTRY_COMPARE_WITH_TIMEOUT(adjustPanel(panel)->pos(), QPoint(638, 0), kSlideWaitMs);
}

void waitOpen(const DocCamControlPanel &panel)
{
    QTRY_COMPARE_WITH_TIMEOUT(adjustPanel(panel)->pos(), QPoint(95, 0), kSlideWaitMs);
}

} // namespace

class TestDocCamControlPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void maskEnablesTheCameraButtons_data();
    void maskEnablesTheCameraButtons();
    void buttonsCallTheCamera();
    void nothingIsCalledBeforeTheService();
    void adjustSlidesTheStripAside();
    void freezeClosesTheAdjustView();
    void pauseShowsOnlyTheConfirmedFreeze();
    void closeAdjustPanel();
};

void TestDocCamControlPanel::maskEnablesTheCameraButtons_data()
{
    QTest::addColumn<uint>("mask");
    QTest::newRow("no camera") << 0u;
    QTest::newRow("frozen") << uint(LumoVisionIntf::FREEZE);
    for (const CameraButton &camera : kCameraButtons)
        QTest::newRow(camera.name) << camera.bit;
    QTest::newRow("all seven") << 0x7Fu;
    QTest::newRow("everything") << 0x1FFFFFFu;
}

void TestDocCamControlPanel::maskEnablesTheCameraButtons()
{
    QFETCH(uint, mask);
    LumoVisionFake camera;
    DocCamControlPanel panel;
    panel.setDocCamService(&camera);
    for (bool adjustEnabled : {true, false}) {
        button(panel, "adjustBtn")->setEnabled(adjustEnabled);
        camera.setActionStatus(mask);
        for (const CameraButton &cameraButton : kCameraButtons)
            QVERIFY2(button(panel, cameraButton.name)->isEnabled() == bool(mask & cameraButton.bit), cameraButton.name);
        // The adjust button is left as it was.
        QCOMPARE(button(panel, "adjustBtn")->isEnabled(), adjustEnabled);
    }
}

void TestDocCamControlPanel::buttonsCallTheCamera()
{
    LumoVisionFake camera;
    camera.setAnswer(QStringLiteral("actionStatus"), 0x7Fu);
    DocCamControlPanel panel;
    panel.setDocCamService(&camera);
    for (const CameraButton &cameraButton : kCameraButtons) {
        camera.clearCalls();
        QTest::mouseClick(button(panel, cameraButton.name), Qt::LeftButton);
        QCOMPARE(camera.callNames(), QStringList{QString::fromLatin1(cameraButton.call)});
    }
}

void TestDocCamControlPanel::nothingIsCalledBeforeTheService()
{
    DocCamControlPanel panel;
    showStrip(panel);
    for (const CameraButton &cameraButton : kCameraButtons)
        QTest::mouseClick(button(panel, cameraButton.name), Qt::LeftButton);
    // Handing the service over later wires the buttons; the earlier clicks are gone.
    LumoVisionFake camera;
    camera.setAnswer(QStringLiteral("actionStatus"), 0x7Fu);
    panel.setDocCamService(&camera);
    QCOMPARE(camera.count(QStringLiteral("zoomIn")), 0);
    // The adjust button works from the start.
    button(panel, "adjustBtn")->click();
    waitOpen(panel);
}

void TestDocCamControlPanel::adjustSlidesTheStripAside()
{
    LumoVisionFake camera;
    camera.setAnswer(QStringLiteral("actionStatus"), 0x7Fu);
    DocCamControlPanel panel;
    panel.setDocCamService(&camera);
    showStrip(panel);
    QToolButton *adjust = button(panel, "adjustBtn");
    auto *back = formChild<QLabel>(panel, "labelBack");
    QCOMPARE(adjustPanel(panel)->pos(), QPoint(638, 0));
    QVERIFY(back->isHidden());

    QTest::mouseClick(adjust, Qt::LeftButton);
    QVERIFY(adjust->isChecked());
    QVERIFY(back->isVisible());
    waitOpen(panel);
    QCOMPARE(adjust->pos(), QPoint(0, 5));
    for (const CameraButton &cameraButton : kCameraButtons)
        QCOMPARE(button(panel, cameraButton.name)->pos(), QPoint(cameraButton.adjustX, 0));

    QTest::mouseClick(adjust, Qt::LeftButton);
    QVERIFY(!adjust->isChecked());
    QVERIFY(back->isHidden());
    waitClosed(panel);
    QCOMPARE(adjust->pos(), QPoint(532, 5));
    for (int i = 0; i < kCameraButtons.size(); ++i)
        QCOMPARE(button(panel, kCameraButtons.at(i).name)->pos(), QPoint(76 * i, 5));
    QCOMPARE(camera.count(QStringLiteral("toggleFreeze")), 0);
}

void TestDocCamControlPanel::freezeClosesTheAdjustView()
{
    LumoVisionFake camera;
    camera.setAnswer(QStringLiteral("actionStatus"), 0x7Fu);
    DocCamControlPanel panel;
    panel.setDocCamService(&camera);
    showStrip(panel);
    QToolButton *adjust = button(panel, "adjustBtn");
    adjust->click();
    waitOpen(panel);

    camera.setActionStatus(LumoVisionIntf::FREEZE);
    emit camera.freezeStatusChanged(true);
    QVERIFY(button(panel, "pauseBtn")->isChecked());
    QVERIFY(!adjust->isChecked());
    QVERIFY(!adjust->isEnabled());
    QVERIFY(formChild<QLabel>(panel, "labelBack")->isHidden());
    waitClosed(panel);
    // Frozen, the adjust view cannot be opened.
    QTest::mouseClick(adjust, Qt::LeftButton);
    QTest::qWait(300);
    QCOMPARE(adjustPanel(panel)->pos(), QPoint(638, 0));

    camera.setActionStatus(0x7F);
    emit camera.freezeStatusChanged(false);
    QVERIFY(!button(panel, "pauseBtn")->isChecked());
    QVERIFY(adjust->isEnabled());
    QVERIFY(!adjust->isChecked());
    QTest::qWait(300);
    QCOMPARE(adjustPanel(panel)->pos(), QPoint(638, 0));

    // A freeze while the view is closed only switches the button off.
    emit camera.freezeStatusChanged(true);
    QVERIFY(!adjust->isEnabled());
    QVERIFY(!adjust->isChecked());
}

void TestDocCamControlPanel::pauseShowsOnlyTheConfirmedFreeze()
{
    LumoVisionFake camera;
    camera.setAnswer(QStringLiteral("actionStatus"), 0x7Fu);
    DocCamControlPanel panel;
    panel.setDocCamService(&camera);
    QToolButton *pause = button(panel, "pauseBtn");

    // The camera refuses and reports nothing: the button does not claim a pause.
    camera.setAnswer(QStringLiteral("toggleFreeze"), -1000);
    QTest::mouseClick(pause, Qt::LeftButton);
    QCOMPARE(camera.count(QStringLiteral("toggleFreeze")), 1);
    QVERIFY(!pause->isChecked());

    camera.setAnswer(QStringLiteral("toggleFreeze"), 0);
    QTest::mouseClick(pause, Qt::LeftButton);
    QVERIFY(!pause->isChecked());
    emit camera.freezeStatusChanged(true);
    QVERIFY(pause->isChecked());

    // Nor does a refused thaw show the picture running.
    camera.setAnswer(QStringLiteral("toggleFreeze"), -1000);
    QTest::mouseClick(pause, Qt::LeftButton);
    QVERIFY(pause->isChecked());
    emit camera.freezeStatusChanged(false);
    QVERIFY(!pause->isChecked());
}

void TestDocCamControlPanel::closeAdjustPanel()
{
    DocCamControlPanel panel;
    showStrip(panel);
    QToolButton *adjust = button(panel, "adjustBtn");
    panel.closeAdjustPanel();
    QTest::qWait(300);
    QVERIFY(!adjust->isChecked());
    QCOMPARE(adjustPanel(panel)->pos(), QPoint(638, 0));

    adjust->click();
    waitOpen(panel);
    panel.closeAdjustPanel();
    QVERIFY(!adjust->isChecked());
    QVERIFY(formChild<QLabel>(panel, "labelBack")->isHidden());
    waitClosed(panel);
    QCOMPARE(adjust->pos(), QPoint(532, 5));
}

QUILLO_TEST_MAIN(TestDocCamControlPanel)
#include "tst_DocCamControlPanel.moc"
