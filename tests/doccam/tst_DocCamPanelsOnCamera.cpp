#include "CaptureImpl.h"
#include "CaptureSelectionPanel.h"
#include "DialogWatchdog.h"
#include "DocCamControlPanel.h"
#include "DocCamServiceRig.h"
#include "FormChild.h"
#include "ModalAnswerer.h"
#include "SetValueSlider.h"
#include "SettingImpl.h"
#include "TestEnvironment.h"
#include "VirtualCameraHub.h"
#include "VirtualDocCam.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QWheelEvent>

#include <memory>

namespace {

// A slide takes 250 ms; a loaded machine may take longer to play it.
constexpr int kSlideWaitMs = 3000;

QToolButton *button(const QWidget &panel, const char *name)
{
    return formChild<QToolButton>(panel, name);
}

// The camera buttons of the control strip with the bit of the mask that enables each.
const QList<std::pair<const char *, uint>> kCameraButtons{
    {"autoFocusBtn", LumoVisionIntf::AUTO_FOCUS}, {"zoomInBtn", LumoVisionIntf::ZOOM_IN},
    {"zoomOutBtn", LumoVisionIntf::ZOOM_OUT},     {"resetZoomBtn", LumoVisionIntf::ZOOM_RESET},
    {"pauseBtn", LumoVisionIntf::FREEZE},         {"rotateBtn", LumoVisionIntf::ROTATE},
    {"mirrorBtn", LumoVisionIntf::MIRROR},
};

} // namespace

// The camera and capture strips driving the real services over a virtual camera.
class TestDocCamPanelsOnCamera : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DocCamServiceRig> m_rig;
    CaptureIntf *m_capture = nullptr;
    std::unique_ptr<QTemporaryDir> m_media;

    VirtualDocCam *openCamera()
    {
        return m_rig->open(DocCamServiceRig::profile(QStringLiteral("Doc"), QSize(320, 240)));
    }

private Q_SLOTS:
    void init();
    void cleanup();
    void controlStripFollowsTheCamera();
    void modeButtonsShowWhatTheCameraConfirms();
    void freezeClosesTheAdjustViewAndUnfreezeAllowsIt();
    void lostCameraDisablesTheCameraButtons();
    void snapshotAndScreenGrab();
    void timeLapseSeriesFromTheStrip();
};

void TestDocCamPanelsOnCamera::init()
{
    m_media = std::make_unique<QTemporaryDir>();
    SettingIntf *settings = SettingImpl::getInstance();
    settings->setSavePath(m_media->path() + QLatin1Char('/'));
    settings->release();
    CaptureEnvironment environment = CaptureEnvironment::system();
    environment.playSound = [](const QString &) {};
    // A series second lasts 5 ms.
    environment.msPerSecond = 5;
    CaptureImpl::setEnvironment(environment);
    m_rig = std::make_unique<DocCamServiceRig>();
}

void TestDocCamPanelsOnCamera::cleanup()
{
    if (m_capture)
        m_capture->release();
    m_capture = nullptr;
    m_rig.reset();
}

void TestDocCamPanelsOnCamera::controlStripFollowsTheCamera()
{
    QVERIFY(openCamera());
    LumoVisionImpl *camera = m_rig->service;
    camera->setBrightness(70);
    camera->setContrast(30);
    QTRY_COMPARE(camera->brightness(), 70);
    QTRY_COMPARE(camera->contrast(), 30);

    DocCamControlPanel panel;
    panel.setDocCamService(camera);
    const uint mask = camera->actionStatus();
    for (const auto &[name, bit] : kCameraButtons)
        QCOMPARE(button(panel, name)->isEnabled(), bool(mask & bit));
    QCOMPARE(formChild<SetValueSlider>(panel, "brightnessSlider")->value(), 70);
    QCOMPARE(formChild<SetValueSlider>(panel, "contrastSlider")->value(), 30);

    ServiceSignalLog log(camera);
    button(panel, "zoomInBtn")->click();
    button(panel, "rotateBtn")->click();
    button(panel, "mirrorBtn")->click();
    QTRY_VERIFY(log.lines.contains(QStringLiteral("mirror 1")));
    QVERIFY(log.lines.contains(QStringLiteral("rotation 90")));
    QVERIFY(std::any_of(log.lines.cbegin(), log.lines.cend(),
                        [](const QString &line) { return line.startsWith(QLatin1String("zoom ")); }));

    // A value reported by the camera moves the slider; one the program shows is not sent back.
    camera->setBrightness(40);
    auto *brightness = formChild<SetValueSlider>(panel, "brightnessSlider");
    QTRY_COMPARE(brightness->value(), 40);
    auto *contrast = formChild<SetValueSlider>(panel, "contrastSlider");
    contrast->setValue(85);
    QTest::qWait(SetValueSlider::kDragSendIntervalMs * 2);
    QCOMPARE(camera->contrast(), 30);
    QCOMPARE(contrast->value(), 85);

    // Keys and the wheel reach the camera as the handle shows them.
    QTest::keyClick(contrast, Qt::Key_End);
    QTRY_COMPARE(camera->contrast(), 100);
    QTest::keyClick(brightness, Qt::Key_PageDown);
    QCOMPARE(brightness->value(), 30);
    QTRY_COMPARE(camera->brightness(), 30);
    const QPointF middle(brightness->width() / 2.0, brightness->height() / 2.0);
    QWheelEvent wheel(middle, brightness->mapToGlobal(middle), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(brightness, &wheel);
    QVERIFY(brightness->value() < 30);
    QTRY_COMPARE(camera->brightness(), brightness->value());

    // Frozen, the camera takes no settings, and the sliders take none either.
    button(panel, "pauseBtn")->click();
    QTRY_VERIFY(button(panel, "pauseBtn")->isChecked());
    QVERIFY(!brightness->isEnabled());
    QVERIFY(!contrast->isEnabled());
    button(panel, "pauseBtn")->click();
    QTRY_VERIFY(brightness->isEnabled());
    QVERIFY(contrast->isEnabled());
}

void TestDocCamPanelsOnCamera::modeButtonsShowWhatTheCameraConfirms()
{
    QVERIFY(openCamera());
    DocCamControlPanel panel;
    panel.setDocCamService(m_rig->service);
    QToolButton *blackWhite = button(panel, "blackWhite");
    QToolButton *negative = button(panel, "negative");
    QToolButton *enhance = button(panel, "enhanceBtn");
    QToolButton *microscope = button(panel, "microScopeBtn");
    for (QToolButton *mode : {blackWhite, negative, enhance, microscope, button(panel, "autoImgBtn")})
        QVERIFY2(mode->isEnabled(), qPrintable(mode->objectName()));

    blackWhite->click();
    // Unchanged until the camera's report arrives.
    QVERIFY(!blackWhite->isChecked());
    QTRY_VERIFY(blackWhite->isChecked());
    QCOMPARE(blackWhite->toolTip(), QStringLiteral("Color"));
    negative->click();
    QTRY_VERIFY(negative->isChecked());
    QVERIFY(!blackWhite->isChecked());
    QCOMPARE(negative->toolTip(), QStringLiteral("Normal"));
    negative->click();
    QTRY_VERIFY(!negative->isChecked());
    QCOMPARE(m_rig->service->colorEffect(), int(LumoVisionIntf::EFFECT_NORMAL));

    enhance->click();
    QTRY_VERIFY(enhance->isChecked());
    microscope->click();
    QTRY_VERIFY(microscope->isChecked());
    QVERIFY(!enhance->isChecked());
    QCOMPARE(m_rig->service->docCamMode(), int(LumoVisionIntf::MODE_MICROSCOPE));
}

void TestDocCamPanelsOnCamera::freezeClosesTheAdjustViewAndUnfreezeAllowsIt()
{
    QVERIFY(openCamera());
    DocCamControlPanel panel;
    panel.show();
    panel.setDocCamService(m_rig->service);
    QToolButton *adjust = button(panel, "adjustBtn");
    QTest::qWait(0);
    adjust->click();
    QTRY_COMPARE_WITH_TIMEOUT(adjust->pos(), QPoint(0, 5), kSlideWaitMs);

    button(panel, "pauseBtn")->click();
    QTRY_VERIFY(!adjust->isEnabled());
    QVERIFY(button(panel, "pauseBtn")->isChecked());
    QVERIFY(!adjust->isChecked());
    QVERIFY(formChild<QLabel>(panel, "labelBack")->isHidden());
    QTRY_COMPARE_WITH_TIMEOUT(adjust->pos(), QPoint(532, 5), kSlideWaitMs);
    // Frozen, the camera offers nothing but the way back.
    for (const auto &[name, bit] : kCameraButtons)
        QCOMPARE(button(panel, name)->isEnabled(), bit == LumoVisionIntf::FREEZE);

    button(panel, "pauseBtn")->click();
    QTRY_VERIFY(adjust->isEnabled());
    QVERIFY(!button(panel, "pauseBtn")->isChecked());
    QVERIFY(!adjust->isChecked());
    QTRY_VERIFY(button(panel, "zoomInBtn")->isEnabled());
    QTest::qWait(300);
    QCOMPARE(adjust->pos(), QPoint(532, 5));
}

void TestDocCamPanelsOnCamera::lostCameraDisablesTheCameraButtons()
{
    VirtualDocCam *camera = openCamera();
    QVERIFY(camera);
    DocCamControlPanel panel;
    panel.setDocCamService(m_rig->service);
    QVERIFY(button(panel, "rotateBtn")->isEnabled());
    VirtualCameraHub::instance()->removeCamera(camera);
    QTRY_VERIFY(!button(panel, "rotateBtn")->isEnabled());
    for (const auto &[name, bit] : kCameraButtons)
        QVERIFY2(!button(panel, name)->isEnabled(), name);
    QVERIFY(!button(panel, "blackWhite")->isEnabled());
    QVERIFY(button(panel, "adjustBtn")->isEnabled());
}

void TestDocCamPanelsOnCamera::snapshotAndScreenGrab()
{
    QVERIFY(openCamera());
    m_capture = CaptureImpl::getInstance();
    CaptureSelectionPanel panel;
    panel.setCaptureService(m_capture);
    QVERIFY(button(panel, "docCamCaptureBtn")->isEnabled());
    QSignalSpy snapshots(m_capture, &CaptureIntf::docCamImageCaptured);
    QSignalSpy grabs(m_capture, &CaptureIntf::fullScreenImageCaptured);
    // The snapshot waits for the camera's still behind the modal "Capturing..." box.
    DialogWatchdog watchdog;
    button(panel, "docCamCaptureBtn")->click();
    button(panel, "fullScreenCaptureBtn")->click();
    QCOMPARE(snapshots.count(), 1);
    QCOMPARE(grabs.count(), 1);
    QVERIFY(QFileInfo::exists(snapshots.first().at(0).toString()));
    QVERIFY(QFileInfo::exists(grabs.first().at(0).toString()));
}

void TestDocCamPanelsOnCamera::timeLapseSeriesFromTheStrip()
{
    QVERIFY(openCamera());
    m_capture = CaptureImpl::getInstance();
    CaptureSelectionPanel panel;
    panel.setCaptureService(m_capture);
    QToolButton *startStop = button(panel, "startStopBtn");
    button(panel, "timeLapesCaptureBtn")->click();
    QVERIFY(!formChild<QWidget>(panel, "timeWidget")->isHidden());
    QVERIFY(!startStop->isHidden());
    QVERIFY(!startStop->isEnabled());

    // 12 seconds every 3 seconds: a shot at 0, 3, 6, 9 and 12.
    for (int i = 0; i < 12; ++i)
        button(panel, "incTimeBtn")->click();
    for (int i = 0; i < 3; ++i)
        button(panel, "incIntervalBtn")->click();
    QCOMPARE(formChild<QPushButton>(panel, "timeSec")->text(), QStringLiteral("12"));
    QCOMPARE(formChild<QPushButton>(panel, "intervalSec")->text(), QStringLiteral("03"));
    QVERIFY(startStop->isEnabled());

    QSignalSpy completed(m_capture, &CaptureIntf::timeLapseImageCaptureCompleted);
    DialogWatchdog watchdog;
    ModalAnswerer result(ModalAnswerer::clickButton(QStringLiteral("OK")));
    startStop->click();
    QVERIFY(startStop->isChecked());
    QVERIFY(!button(panel, "docCamCaptureBtn")->isEnabled());
    QVERIFY(!button(panel, "incTimeBtn")->isEnabled());
    QVERIFY(!formChild<QLabel>(panel, "recordingStatus")->isHidden());
    QTRY_COMPARE(completed.count(), 1);
    QVERIFY(result.answered());
    QCOMPARE(formChild<QLabel>(panel, "recordingStatus")->text(), QStringLiteral("5/ 5"));
    QCOMPARE(completed.first().at(0).value<QList<QString>>().size(), 5);
    QVERIFY(!startStop->isChecked());
    QCOMPARE(formChild<QPushButton>(panel, "timeSec")->text(), QStringLiteral("00"));
    QCOMPARE(formChild<QPushButton>(panel, "intervalSec")->text(), QStringLiteral("00"));
    QVERIFY(button(panel, "docCamCaptureBtn")->isEnabled());
}

QUILLO_TEST_MAIN(TestDocCamPanelsOnCamera)
#include "tst_DocCamPanelsOnCamera.moc"
