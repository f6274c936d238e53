#include "AnimationWatch.h"
#include "CaptureFake.h"
#include "CaptureImpl.h"
#include "CaptureSelectionPanel.h"
#include "DocCamControlPanel.h"
#include "FormChild.h"
#include "LumoVisionFake.h"
#include "Screenshot.h"
#include "TestEnvironment.h"

#include <QPushButton>
#include <QToolButton>

namespace {

// What the camera of the pictures offers: every control and every mode.
constexpr uint kEveryControl = 0x1FFFFFF;

QToolButton *button(const QWidget &panel, const char *name)
{
    return formChild<QToolButton>(panel, name);
}

} // namespace

// Pictures of the camera and capture strips in each of their states, for a person to look at.
class TestDocCamPanelPictures : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void controlStrip();
    void captureStrip();
};

void TestDocCamPanelPictures::controlStrip()
{
    AnimationWatch animations;
    LumoVisionFake camera;
    camera.setAnswer(QStringLiteral("actionStatus"), kEveryControl);
    camera.setAnswer(QStringLiteral("brightness"), 60);
    camera.setAnswer(QStringLiteral("contrast"), 35);
    DocCamControlPanel panel;
    panel.setDocCamService(&camera);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    QVERIFY(AnimationWatch::waitForPaint(&panel));
    QVERIFY(!Screenshot::save(&panel, QStringLiteral("control-normal")).isEmpty());

    button(panel, "adjustBtn")->click();
    emit camera.colorEffectChanged(LumoVisionIntf::EFFECT_BLACK_WHITE);
    emit camera.docCamModeChanged(LumoVisionIntf::MODE_MICROSCOPE);
    emit camera.autoImageChanged(true);
    button(panel, "incManualFocus")->click();
    QVERIFY(animations.waitForAnimationsThenPaint(&panel));
    QVERIFY(!Screenshot::save(&panel, QStringLiteral("control-adjust")).isEmpty());

    camera.setActionStatus(LumoVisionIntf::MANUAL_FOCUS | LumoVisionIntf::NEGATIVE_OFFERED
                           | LumoVisionIntf::BLACK_WHITE_OFFERED);
    emit camera.colorEffectChanged(LumoVisionIntf::EFFECT_NEGATIVE);
    QVERIFY(AnimationWatch::waitForPaint(&panel));
    QVERIFY(!Screenshot::save(&panel, QStringLiteral("control-adjust-few-modes")).isEmpty());

    camera.setActionStatus(LumoVisionIntf::FREEZE);
    emit camera.freezeStatusChanged(true);
    QVERIFY(AnimationWatch::waitForPaint(&panel));
    QVERIFY(!Screenshot::save(&panel, QStringLiteral("control-frozen")).isEmpty());

    emit camera.freezeStatusChanged(false);
    camera.setActionStatus(0);
    QVERIFY(AnimationWatch::waitForPaint(&panel));
    QVERIFY(!Screenshot::save(&panel, QStringLiteral("control-no-camera")).isEmpty());

    // Without a camera the adjust view offers nothing: the sliders show that they are off.
    button(panel, "adjustBtn")->click();
    QVERIFY(animations.waitForAnimationsThenPaint(&panel));
    QVERIFY(!Screenshot::save(&panel, QStringLiteral("control-adjust-no-camera")).isEmpty());
}

void TestDocCamPanelPictures::captureStrip()
{
    CaptureFake capture;
    capture.setAnswer(QStringLiteral("actionStatus"), CaptureImpl::kReady);
    CaptureSelectionPanel panel;
    panel.setCaptureService(&capture);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    QVERIFY(AnimationWatch::waitForPaint(&panel));
    QVERIFY(!Screenshot::save(&panel, QStringLiteral("capture-ready")).isEmpty());

    capture.setActionStatus(CaptureImpl::kNoCamera);
    QVERIFY(AnimationWatch::waitForPaint(&panel));
    QVERIFY(!Screenshot::save(&panel, QStringLiteral("capture-no-camera")).isEmpty());

    capture.setActionStatus(CaptureImpl::kSetup);
    formChild<QPushButton>(panel, "timeMin")->click();
    for (int i = 0; i < 12; ++i)
        button(panel, "incTimeBtn")->click();
    QVERIFY(AnimationWatch::waitForPaint(&panel));
    QVERIFY(!Screenshot::save(&panel, QStringLiteral("capture-setup")).isEmpty());

    formChild<QPushButton>(panel, "intervalSec")->click();
    for (int i = 0; i < 30; ++i)
        button(panel, "incIntervalBtn")->click();
    capture.setActionStatus(CaptureImpl::kSetup | CaptureImpl::TIME_LAPSE_PARAMETERS_VALID);
    QVERIFY(AnimationWatch::waitForPaint(&panel));
    QVERIFY(!Screenshot::save(&panel, QStringLiteral("capture-setup-valid")).isEmpty());

    capture.setActionStatus(CaptureImpl::kSeriesRunning);
    emit capture.timeLapseCaptureProgressUpdated(3, 25);
    QVERIFY(AnimationWatch::waitForPaint(&panel));
    QVERIFY(!Screenshot::save(&panel, QStringLiteral("capture-running")).isEmpty());
}

QUILLO_TEST_MAIN_X11(TestDocCamPanelPictures)
#include "tst_DocCamPanelPictures.moc"
