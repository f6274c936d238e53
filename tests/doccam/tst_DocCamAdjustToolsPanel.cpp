#include "DocCamAdjustToolsPanel.h"
#include "FormChild.h"
#include "LumoVisionFake.h"
#include "SetValueSlider.h"
#include "TestEnvironment.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolButton>
#include <QWheelEvent>

#include <functional>

namespace {

using Mask = LumoVisionIntf::DocCamActionStatus;

QToolButton *button(const QWidget &panel, const char *name)
{
    return formChild<QToolButton>(panel, name);
}

// The controls the mask switches, with their bit.
const QList<std::pair<const char *, uint>> kMaskedControls{
    {"autoImgBtn", LumoVisionIntf::AUTO_IMAGE_OFFERED},   {"incManualFocus", LumoVisionIntf::MANUAL_FOCUS},
    {"decManualFocus", LumoVisionIntf::MANUAL_FOCUS},     {"microScopeBtn", LumoVisionIntf::MICROSCOPE_MODE_OFFERED},
    {"enhanceBtn", LumoVisionIntf::ENHANCE_MODE_OFFERED}, {"negative", LumoVisionIntf::NEGATIVE_OFFERED},
    {"blackWhite", LumoVisionIntf::BLACK_WHITE_OFFERED},
};

constexpr uint kEverything = 0x1FFFFFF;

// The panel shown over a camera that offers everything, both sliders at 50.
struct AdjustRig
{
    AdjustRig()
    {
        camera.setAnswer(QStringLiteral("actionStatus"), kEverything);
        camera.setAnswer(QStringLiteral("brightness"), 50);
        camera.setAnswer(QStringLiteral("contrast"), 50);
        panel.setDocCamService(&camera);
        panel.show();
        camera.clearCalls();
    }
    SetValueSlider *slider(const QString &name) const { return formChild<SetValueSlider>(panel, qPrintable(name)); }

    LumoVisionFake camera;
    DocCamAdjustToolsPanel panel;
};

QPoint handleCentre(const QSlider *slider)
{
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.subControls = QStyle::SC_All;
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->sliderPosition();
    option.sliderValue = slider->value();
    option.singleStep = slider->singleStep();
    option.pageStep = slider->pageStep();
    return slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider).center();
}

void wheelUp(QWidget *widget)
{
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    QWheelEvent wheel(at, widget->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &wheel);
}

void clickGroove(QWidget *slider, int x)
{
    const QPoint at(x, slider->height() / 2);
    QTest::mousePress(slider, Qt::LeftButton, {}, at);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, at);
}

} // namespace

class TestDocCamAdjustToolsPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void maskEnablesTheControls_data();
    void maskEnablesTheControls();
    void setUpReadsTheCameraAndSendsNothing_data();
    void setUpReadsTheCameraAndSendsNothing();
    void everyStepOfTheUserReachesTheCamera_data();
    void everyStepOfTheUserReachesTheCamera();
    void aDragIsSentWhileItLastsAndAtItsEnd();
    void aRefusedValueGoesBack_data();
    void aRefusedValueGoesBack();
    void reportedValuesMoveTheSliders();
    void modeButtonsShowOnlyConfirmedState_data();
    void modeButtonsShowOnlyConfirmedState();
    void colourEffectReports_data();
    void colourEffectReports();
    void cameraModeReports_data();
    void cameraModeReports();
    void spareSlotsCallTheCamera_data();
    void spareSlotsCallTheCamera();
    void focusLabelStaysASecondAfterTheLastPress();
};

void TestDocCamAdjustToolsPanel::maskEnablesTheControls_data()
{
    QTest::addColumn<uint>("mask");
    QTest::newRow("no camera") << 0u;
    QTest::newRow("frozen") << uint(LumoVisionIntf::FREEZE);
    for (const auto &[name, bit] : kMaskedControls)
        QTest::newRow(name) << bit;
    QTest::newRow("everything") << kEverything;
    QTest::newRow("everything but modes") << (kEverything & ~0x1FF0000u);
}

void TestDocCamAdjustToolsPanel::maskEnablesTheControls()
{
    QFETCH(uint, mask);
    DocCamAdjustToolsPanel panel;
    LumoVisionFake camera;
    camera.setAnswer(QStringLiteral("actionStatus"), kEverything);
    panel.setDocCamService(&camera);
    camera.setActionStatus(mask);
    for (const auto &[name, bit] : kMaskedControls)
        QVERIFY2(button(panel, name)->isEnabled() == bool(mask & bit), name);
    // Without a camera or while frozen the sliders would send values the camera cannot take.
    const bool adjustable = mask != 0 && mask != LumoVisionIntf::FREEZE;
    QCOMPARE(formChild<SetValueSlider>(panel, "brightnessSlider")->isEnabled(), adjustable);
    QCOMPARE(formChild<SetValueSlider>(panel, "contrastSlider")->isEnabled(), adjustable);

    // The mask at set-up counts as well.
    DocCamAdjustToolsPanel fresh;
    camera.setAnswer(QStringLiteral("actionStatus"), mask);
    fresh.setDocCamService(&camera);
    for (const auto &[name, bit] : kMaskedControls)
        QVERIFY2(button(fresh, name)->isEnabled() == bool(mask & bit), name);
    QCOMPARE(formChild<SetValueSlider>(fresh, "brightnessSlider")->isEnabled(), adjustable);
}

void TestDocCamAdjustToolsPanel::setUpReadsTheCameraAndSendsNothing_data()
{
    QTest::addColumn<int>("brightness");
    QTest::addColumn<int>("contrast");
    QTest::addColumn<int>("shownBrightness");
    QTest::addColumn<int>("shownContrast");
    QTest::newRow("values") << 60 << 25 << 60 << 25;
    QTest::newRow("no camera") << -1000 << -1000 << 0 << 0;
    QTest::newRow("out of range") << 45 << -2002 << 45 << 0;
}

void TestDocCamAdjustToolsPanel::setUpReadsTheCameraAndSendsNothing()
{
    QFETCH(int, brightness);
    QFETCH(int, contrast);
    QFETCH(int, shownBrightness);
    QFETCH(int, shownContrast);
    LumoVisionFake camera;
    camera.setAnswer(QStringLiteral("brightness"), brightness);
    camera.setAnswer(QStringLiteral("contrast"), contrast);
    camera.setAnswer(QStringLiteral("exposure"), -1000);
    camera.setAnswer(QStringLiteral("colorEffect"), -1000);
    DocCamAdjustToolsPanel panel;
    panel.setDocCamService(&camera);
    QCOMPARE(formChild<SetValueSlider>(panel, "brightnessSlider")->value(), shownBrightness);
    QCOMPARE(formChild<SetValueSlider>(panel, "contrastSlider")->value(), shownContrast);
    QCOMPARE(camera.callNames(), (QStringList{"brightness", "contrast", "exposure", "colorEffect", "actionStatus"}));
}

void TestDocCamAdjustToolsPanel::everyStepOfTheUserReachesTheCamera_data()
{
    QTest::addColumn<QString>("slider");
    QTest::addColumn<QString>("call");
    QTest::addColumn<QString>("gesture");
    const std::pair<const char *, const char *> sliders[] = {{"brightnessSlider", "setBrightness"},
                                                             {"contrastSlider", "setContrast"}};
    for (const auto &[slider, call] : sliders) {
        for (const char *gesture : {"right key", "page up", "end key", "wheel", "groove click"})
            QTest::addRow("%s, %s", slider, gesture) << slider << call << gesture;
    }
}

void TestDocCamAdjustToolsPanel::everyStepOfTheUserReachesTheCamera()
{
    QFETCH(QString, slider);
    QFETCH(QString, call);
    QFETCH(QString, gesture);
    AdjustRig rig;
    SetValueSlider *control = rig.slider(slider);
    QCOMPARE(control->value(), 50);
    if (gesture == QLatin1String("right key"))
        QTest::keyClick(control, Qt::Key_Right);
    else if (gesture == QLatin1String("page up"))
        QTest::keyClick(control, Qt::Key_PageUp);
    else if (gesture == QLatin1String("end key"))
        QTest::keyClick(control, Qt::Key_End);
    else if (gesture == QLatin1String("wheel"))
        wheelUp(control);
    else
        clickGroove(control, control->width() - 2);
    QVERIFY(control->value() > 50);
    QTRY_COMPARE(rig.camera.count(call), 1);
    QCOMPARE(rig.camera.lastArgs(call), QVariantList{uint(control->value())});
    // Values the program shows are the camera's; they are not sent back to it.
    control->setValue(20);
    QTest::qWait(SetValueSlider::kDragSendIntervalMs * 2);
    QCOMPARE(rig.camera.count(call), 1);
}

void TestDocCamAdjustToolsPanel::aDragIsSentWhileItLastsAndAtItsEnd()
{
    AdjustRig rig;
    SetValueSlider *brightness = rig.slider(QStringLiteral("brightnessSlider"));
    const QPoint handle = handleCentre(brightness);
    QTest::mousePress(brightness, Qt::LeftButton, {}, handle);
    QVERIFY(brightness->isSliderDown());
    // Steps that come faster than the camera is asked go out together, as the latest of them.
    for (int step = 1; step <= 10; ++step)
        QTest::mouseMove(brightness, handle + QPoint(2 * step, 0));
    QCOMPARE(rig.camera.count(QStringLiteral("setBrightness")), 0);
    const int held = brightness->value();
    QVERIFY(held > 50);
    QTRY_COMPARE(rig.camera.count(QStringLiteral("setBrightness")), 1);
    QCOMPARE(rig.camera.lastArgs(QStringLiteral("setBrightness")), QVariantList{uint(held)});

    // The camera's report of an earlier value does not pull the handle from under the pointer.
    emit rig.camera.brightnessChanged(50);
    QCOMPARE(brightness->value(), held);

    QTest::mouseMove(brightness, handle + QPoint(30, 0));
    QTest::mouseRelease(brightness, Qt::LeftButton, {}, handle + QPoint(30, 0));
    const int released = brightness->value();
    QVERIFY(released > held);
    QCOMPARE(rig.camera.count(QStringLiteral("setBrightness")), 2);
    QCOMPARE(rig.camera.lastArgs(QStringLiteral("setBrightness")), QVariantList{uint(released)});
    QTest::qWait(SetValueSlider::kDragSendIntervalMs * 2);
    QCOMPARE(rig.camera.count(QStringLiteral("setBrightness")), 2);
    emit rig.camera.brightnessChanged(released);
    QCOMPARE(brightness->value(), released);
}

void TestDocCamAdjustToolsPanel::aRefusedValueGoesBack_data()
{
    QTest::addColumn<QString>("slider");
    QTest::addColumn<QString>("call");
    QTest::addColumn<bool>("drag");
    QTest::newRow("brightness, key") << "brightnessSlider"
                                     << "setBrightness" << false;
    QTest::newRow("brightness, drag") << "brightnessSlider"
                                      << "setBrightness" << true;
    QTest::newRow("contrast, key") << "contrastSlider"
                                   << "setContrast" << false;
    QTest::newRow("contrast, drag") << "contrastSlider"
                                    << "setContrast" << true;
}

void TestDocCamAdjustToolsPanel::aRefusedValueGoesBack()
{
    QFETCH(QString, slider);
    QFETCH(QString, call);
    QFETCH(bool, drag);
    AdjustRig rig;
    SetValueSlider *control = rig.slider(slider);
    const auto change = [&] {
        if (!drag) {
            QTest::keyClick(control, Qt::Key_PageDown);
            return;
        }
        const QPoint handle = handleCentre(control);
        QTest::mousePress(control, Qt::LeftButton, {}, handle);
        QTest::mouseMove(control, handle + QPoint(-10, 0));
        QTest::mouseMove(control, handle + QPoint(-20, 0));
        QTest::mouseRelease(control, Qt::LeftButton, {}, handle + QPoint(-20, 0));
    };

    // Accepted: the slider keeps it, and it is what a later refusal goes back to.
    change();
    QTRY_VERIFY(rig.camera.count(call) >= 1);
    const int accepted = control->value();
    QVERIFY(accepted < 50);
    QCOMPARE(rig.camera.lastArgs(call), QVariantList{uint(accepted)});

    rig.camera.setAnswer(call, -2004);
    const int before = rig.camera.count(call);
    change();
    QTRY_VERIFY(rig.camera.count(call) > before);
    QTRY_COMPARE(control->value(), accepted);
}

void TestDocCamAdjustToolsPanel::reportedValuesMoveTheSliders()
{
    LumoVisionFake camera;
    DocCamAdjustToolsPanel panel;
    panel.setDocCamService(&camera);
    emit camera.brightnessChanged(64);
    emit camera.contrastChanged(12);
    QCOMPARE(formChild<SetValueSlider>(panel, "brightnessSlider")->value(), 64);
    QCOMPARE(formChild<SetValueSlider>(panel, "contrastSlider")->value(), 12);
    // Exposure has no control: the sliders keep what they show.
    emit camera.exposureChanged(90);
    QCOMPARE(formChild<SetValueSlider>(panel, "brightnessSlider")->value(), 64);
    QCOMPARE(camera.count(QStringLiteral("setBrightness")), 0);
}

void TestDocCamAdjustToolsPanel::modeButtonsShowOnlyConfirmedState_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("call");
    QTest::addColumn<QVariant>("on");
    QTest::addColumn<QVariant>("off");
    // How the camera confirms the state: emits the matching signal with on (true) or off (false).
    QTest::addColumn<int>("report");
    enum { EFFECT, MODE, AUTO_IMAGE };
    QTest::newRow("black and white") << "blackWhite"
                                     << "setColorEffect" << QVariant(1) << QVariant(0) << int(EFFECT);
    QTest::newRow("negative") << "negative"
                              << "setColorEffect" << QVariant(2) << QVariant(0) << int(EFFECT);
    QTest::newRow("microscope") << "microScopeBtn"
                                << "setDocCamMode" << QVariant(3) << QVariant(0) << int(MODE);
    QTest::newRow("text mode") << "enhanceBtn"
                               << "setDocCamMode" << QVariant(1) << QVariant(0) << int(MODE);
    QTest::newRow("auto image") << "autoImgBtn"
                                << "setAutoImage" << QVariant(true) << QVariant(false) << int(AUTO_IMAGE);
}

void TestDocCamAdjustToolsPanel::modeButtonsShowOnlyConfirmedState()
{
    QFETCH(QString, button);
    QFETCH(QString, call);
    QFETCH(QVariant, on);
    QFETCH(QVariant, off);
    QFETCH(int, report);
    LumoVisionFake camera;
    camera.setAnswer(QStringLiteral("actionStatus"), kEverything);
    DocCamAdjustToolsPanel panel;
    panel.setDocCamService(&camera);
    QToolButton *mode = ::button(panel, qPrintable(button));
    const auto confirm = [&](bool state) {
        const QVariant value = state ? on : off;
        if (report == 0)
            emit camera.colorEffectChanged(value.toInt());
        else if (report == 1)
            emit camera.docCamModeChanged(value.toInt());
        else
            emit camera.autoImageChanged(value.toBool());
    };

    // The camera refuses: the button never shows the click.
    camera.setAnswer(call, -2004);
    QTest::mouseClick(mode, Qt::LeftButton);
    QVERIFY(!mode->isChecked());
    QCOMPARE(camera.lastArgs(call), QVariantList{on});

    camera.setAnswer(call, 0);
    QTest::mouseClick(mode, Qt::LeftButton);
    QVERIFY(!mode->isChecked());
    confirm(true);
    QVERIFY(mode->isChecked());

    QTest::mouseClick(mode, Qt::LeftButton);
    QCOMPARE(camera.lastArgs(call), QVariantList{off});
    QVERIFY(mode->isChecked());
    confirm(false);
    QVERIFY(!mode->isChecked());
    QCOMPARE(camera.count(call), 3);
}

void TestDocCamAdjustToolsPanel::colourEffectReports_data()
{
    QTest::addColumn<int>("effect");
    QTest::addColumn<bool>("blackWhite");
    QTest::addColumn<bool>("negative");
    QTest::addColumn<QString>("blackWhiteTip");
    QTest::addColumn<QString>("negativeTip");
    QTest::newRow("colour") << 0 << false << false << "Black and White"
                            << "Negative";
    QTest::newRow("black and white") << 1 << true << false << "Color"
                                     << "Negative";
    QTest::newRow("negative") << 2 << false << true << "Black and White"
                              << "Normal";
}

void TestDocCamAdjustToolsPanel::colourEffectReports()
{
    QFETCH(int, effect);
    QFETCH(bool, blackWhite);
    QFETCH(bool, negative);
    QFETCH(QString, blackWhiteTip);
    QFETCH(QString, negativeTip);
    LumoVisionFake camera;
    DocCamAdjustToolsPanel panel;
    panel.setDocCamService(&camera);
    // Start from the opposite look, so every row changes something.
    emit camera.colorEffectChanged(effect == 1 ? 2 : 1);
    emit camera.colorEffectChanged(effect);
    QCOMPARE(button(panel, "blackWhite")->isChecked(), blackWhite);
    QCOMPARE(button(panel, "negative")->isChecked(), negative);
    QCOMPARE(button(panel, "blackWhite")->toolTip(), blackWhiteTip);
    QCOMPARE(button(panel, "negative")->toolTip(), negativeTip);
    // An unknown effect leaves the buttons as they are.
    emit camera.colorEffectChanged(7);
    QCOMPARE(button(panel, "blackWhite")->isChecked(), blackWhite);
    QCOMPARE(button(panel, "negative")->toolTip(), negativeTip);
}

void TestDocCamAdjustToolsPanel::cameraModeReports_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("enhance");
    QTest::addColumn<bool>("microscope");
    QTest::newRow("normal") << 0 << false << false;
    QTest::newRow("enhance") << 1 << true << false;
    QTest::newRow("wide angle") << 2 << false << false;
    QTest::newRow("microscope") << 3 << false << true;
    QTest::newRow("infinite") << 4 << false << false;
    QTest::newRow("macro") << 5 << false << false;
}

void TestDocCamAdjustToolsPanel::cameraModeReports()
{
    QFETCH(int, mode);
    QFETCH(bool, enhance);
    QFETCH(bool, microscope);
    LumoVisionFake camera;
    DocCamAdjustToolsPanel panel;
    panel.setDocCamService(&camera);
    emit camera.docCamModeChanged(mode == 1 ? 3 : 1);
    emit camera.docCamModeChanged(mode);
    QCOMPARE(button(panel, "enhanceBtn")->isChecked(), enhance);
    QCOMPARE(button(panel, "microScopeBtn")->isChecked(), microscope);
}

void TestDocCamAdjustToolsPanel::spareSlotsCallTheCamera_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<QString>("call");
    QTest::addColumn<QVariantList>("args");
    QTest::newRow("infinite on") << "setInfiniteMode"
                                 << "setDocCamMode" << QVariantList{4};
    QTest::newRow("wide angle on") << "setWideEngleMode"
                                   << "setDocCamMode" << QVariantList{2};
    QTest::newRow("macro on") << "setMacroMode"
                              << "setDocCamMode" << QVariantList{5};
    QTest::newRow("brighter") << "incBrightness"
                              << "increaseBrightness" << QVariantList{};
    QTest::newRow("darker") << "decBrightness"
                            << "decreaseBrightness" << QVariantList{};
    QTest::newRow("more contrast") << "incContrast"
                                   << "increaseContrast" << QVariantList{};
    QTest::newRow("less contrast") << "decContrast"
                                   << "decreaseContrast" << QVariantList{};
    QTest::newRow("more exposure") << "incExposure"
                                   << "increaseExposure" << QVariantList{};
    QTest::newRow("less exposure") << "decExposure"
                                   << "decreaseExposure" << QVariantList{};
    QTest::newRow("redder") << "incRed"
                            << "increaseRed" << QVariantList{};
    QTest::newRow("less red") << "decRed"
                              << "decreaseRed" << QVariantList{};
    QTest::newRow("bluer") << "incBlue"
                           << "increaseBlue" << QVariantList{};
    QTest::newRow("less blue") << "decBlue"
                               << "decreaseBlue" << QVariantList{};
}

void TestDocCamAdjustToolsPanel::spareSlotsCallTheCamera()
{
    QFETCH(QString, slot);
    QFETCH(QString, call);
    QFETCH(QVariantList, args);
    LumoVisionFake camera;
    DocCamAdjustToolsPanel panel;
    panel.setDocCamService(&camera);
    camera.clearCalls();
    if (args.isEmpty())
        QVERIFY(QMetaObject::invokeMethod(&panel, qPrintable(slot)));
    else
        QVERIFY(QMetaObject::invokeMethod(&panel, qPrintable(slot), Q_ARG(bool, true)));
    QCOMPARE(camera.callNames(), QStringList{call});
    QCOMPARE(camera.lastArgs(call), args);
    if (!args.isEmpty()) {
        QVERIFY(QMetaObject::invokeMethod(&panel, qPrintable(slot), Q_ARG(bool, false)));
        QCOMPARE(camera.lastArgs(call), QVariantList{0});
    }
}

void TestDocCamAdjustToolsPanel::focusLabelStaysASecondAfterTheLastPress()
{
    LumoVisionFake camera;
    camera.setAnswer(QStringLiteral("actionStatus"), uint(LumoVisionIntf::MANUAL_FOCUS));
    DocCamAdjustToolsPanel panel;
    panel.show();
    panel.setDocCamService(&camera);
    auto *label = formChild<QLabel>(panel, "manualFocusLabel");
    QVERIFY(label->isHidden());

    QTest::mouseClick(button(panel, "incManualFocus"), Qt::LeftButton);
    QCOMPARE(camera.count(QStringLiteral("focusFar")), 1);
    QCOMPARE(label->text(), QStringLiteral("Far"));
    QVERIFY(label->isVisible());
    QTest::qWait(600);
    // A press in between starts the second again.
    QTest::mouseClick(button(panel, "decManualFocus"), Qt::LeftButton);
    QElapsedTimer sinceLastPress;
    sinceLastPress.start();
    QCOMPARE(camera.count(QStringLiteral("focusNear")), 1);
    QCOMPARE(label->text(), QStringLiteral("Near"));
    QTest::qWait(600);
    // Six hundred milliseconds after the second press, whatever the first one started.
    if (sinceLastPress.elapsed() < 900)
        QVERIFY(label->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(label->isHidden(), 5000);
    // Five ticks of 200 ms; a coarse timer may fire a little early.
    QVERIFY(sinceLastPress.elapsed() >= 900);
}

QUILLO_TEST_MAIN(TestDocCamAdjustToolsPanel)
#include "tst_DocCamAdjustToolsPanel.moc"
