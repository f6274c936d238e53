#include "CameraCodes.h"
#include "CameraParameters.h"
#include "DocCamServiceRig.h"
#include "ModalAnswerer.h"
#include "TestEnvironment.h"
#include "VirtualCameraHub.h"
#include "VirtualDocCam.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QtTest>

#include <functional>

using Operation = std::function<int(LumoVisionIntf *)>;
Q_DECLARE_METATYPE(Operation)
Q_DECLARE_METATYPE(CameraCapabilities)
Q_DECLARE_METATYPE(CameraParameter)

using Preset = QList<QPair<CameraParameter, double>>;

namespace {

// Everything the virtual camera offers, as the mask shows it.
constexpr uint kFullMask = 0x0600037E | 0x01 | 0x400 | 0x1000 | 0x4000 | 0x10000 | 0x20000 | 0x40000 | 0x100000
                           | 0x200000 | 0x400000 | 0x800000 | 0x1000000;
constexpr uint kBaseMask = 0x0600037E;

QString status(uint mask)
{
    return QStringLiteral("status 0x%1").arg(mask, 0, 16);
}

} // namespace

class TestLumoVisionControls : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyOperationNeedsACamera()
    {
        DocCamServiceRig rig;
        LumoVisionIntf *service = rig.start();
        const QList<std::function<int()>> operations{
            [=] { return service->autoFocus(); },
            [=] { return service->zoomIn(); },
            [=] { return service->zoomOut(); },
            [=] { return service->zoomReset(); },
            [=] { return service->toggleFreeze(); },
            [=] { return service->rotate(); },
            [=] { return service->toggleMirror(); },
            [=] { return service->brightness(); },
            [=] { return service->setBrightness(50); },
            [=] { return service->increaseBrightness(); },
            [=] { return service->decreaseBrightness(); },
            [=] { return service->contrast(); },
            [=] { return service->setContrast(50); },
            [=] { return service->increaseContrast(); },
            [=] { return service->decreaseContrast(); },
            [=] { return service->exposure(); },
            [=] { return service->isAutoExposure(); },
            [=] { return service->setAutoExposure(false); },
            [=] { return service->increaseExposure(); },
            [=] { return service->decreaseExposure(); },
            [=] { return service->focusFar(); },
            [=] { return service->focusNear(); },
            [=] { return service->colorEffect(); },
            [=] { return service->setColorEffect(0); },
            [=] { return service->isAutoWhiteBalance(); },
            [=] { return service->setAutoWhiteBalance(false); },
            [=] { return service->increaseRed(); },
            [=] { return service->decreaseRed(); },
            [=] { return service->increaseBlue(); },
            [=] { return service->decreaseBlue(); },
            [=] { return service->isAutoImage(); },
            [=] { return service->setAutoImage(true); },
            [=] { return service->docCamMode(); },
            [=] { return service->setDocCamMode(1); },
            [=] { return service->requestHQImage(); },
            [=] {
                QImage image;
                return service->grabCurrentFrame(&image);
            },
        };
        for (qsizetype i = 0; i < operations.size(); ++i) {
            const int result = operations[i]();
            if (result != -1000)
                QFAIL(qPrintable(QStringLiteral("operation %1 returned %2").arg(i).arg(result)));
        }
        QCOMPARE(service->actionStatus(), 0u);
    }

    void operationsValidateAndReachTheCamera_data()
    {
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("expected");
        const auto row = [](const char *name, Operation operation, int result, QStringList signalLines) {
            QTest::newRow(name) << operation << result << signalLines;
        };
        row("brightness 100", [](LumoVisionIntf *s) { return s->setBrightness(100); }, 0, {"brightness 100"});
        row("brightness 101", [](LumoVisionIntf *s) { return s->setBrightness(101); }, -2002, {});
        row("contrast 0", [](LumoVisionIntf *s) { return s->setContrast(0); }, 0, {"contrast 0"});
        row("contrast 101", [](LumoVisionIntf *s) { return s->setContrast(101); }, -2002, {});
        row("brightness step", [](LumoVisionIntf *s) { return s->increaseBrightness(); }, 0, {"brightness 55"});
        row("black and white", [](LumoVisionIntf *s) { return s->setColorEffect(1); }, 0,
            {"effect 1", status(kFullMask & ~0x1000u)});
        row("negative", [](LumoVisionIntf *s) { return s->setColorEffect(2); }, 0, {"effect 2", status(kFullMask)});
        row("effect 3", [](LumoVisionIntf *s) { return s->setColorEffect(3); }, -2002, {});
        row("effect -1", [](LumoVisionIntf *s) { return s->setColorEffect(-1); }, -2002, {});
        row("mode enhance", [](LumoVisionIntf *s) { return s->setDocCamMode(1); }, 0, {"mode 1"});
        row("mode wide angle", [](LumoVisionIntf *s) { return s->setDocCamMode(2); }, 0, {"mode 2"});
        row("mode microscope", [](LumoVisionIntf *s) { return s->setDocCamMode(3); }, 0, {"mode 3"});
        row("mode infinite", [](LumoVisionIntf *s) { return s->setDocCamMode(4); }, 0, {"mode 4"});
        row("mode macro", [](LumoVisionIntf *s) { return s->setDocCamMode(5); }, 0, {"mode 5"});
        row("mode normal again", [](LumoVisionIntf *s) { return s->setDocCamMode(0); }, 0, {});
        row("mode 6", [](LumoVisionIntf *s) { return s->setDocCamMode(6); }, -1000, {});
        row("mode -1", [](LumoVisionIntf *s) { return s->setDocCamMode(-1); }, -1000, {});
        row("mirror", [](LumoVisionIntf *s) { return s->toggleMirror(); }, 0, {"mirror 1"});
        row("zoom in", [](LumoVisionIntf *s) { return s->zoomIn(); }, 0, {"zoom 1.25"});
        row("manual exposure", [](LumoVisionIntf *s) { return s->setAutoExposure(false); }, 0,
            {"autoExposure 0", status(kFullMask | 0x800)});
        row("manual white balance", [](LumoVisionIntf *s) { return s->setAutoWhiteBalance(false); }, 0,
            {"autoWhiteBalance 0", status(kFullMask | 0x2000)});
        row("auto image", [](LumoVisionIntf *s) { return s->setAutoImage(true); }, 0, {"autoImage 1"});
        row("auto focus", [](LumoVisionIntf *s) { return s->autoFocus(); }, 0, {});
    }
    void operationsValidateAndReachTheCamera()
    {
        QFETCH(Operation, operation);
        QFETCH(int, result);
        QFETCH(QStringList, expected);
        DocCamServiceRig rig;
        QVERIFY(rig.open(DocCamServiceRig::profile(QStringLiteral("Doc"))));
        ServiceSignalLog log(rig.service);
        QCOMPARE(operation(rig.service), result);
        QTest::qWait(50);
        QCOMPARE(log.lines, expected);
    }

    void cachedValuesAndAutoFlagsFollowTheCamera()
    {
        DocCamServiceRig rig;
        VirtualDocCam *camera = rig.open(DocCamServiceRig::profile(QStringLiteral("Doc")));
        QVERIFY(camera);
        QCOMPARE(rig.service->brightness(), CameraParameters::LevelNeutral);
        QCOMPARE(rig.service->colorEffect(), 0);
        QCOMPARE(rig.service->docCamMode(), 0);
        QCOMPARE(rig.service->isAutoExposure(), 1);
        QCOMPARE(rig.service->isAutoWhiteBalance(), 1);
        QCOMPARE(rig.service->isAutoImage(), 0);
        rig.service->setAutoExposure(false);
        rig.service->setAutoWhiteBalance(false);
        rig.service->setAutoImage(true);
        rig.service->setBrightness(80);
        QTRY_COMPARE(rig.service->brightness(), 80);
        QCOMPARE(rig.service->isAutoExposure(), 0);
        QCOMPARE(rig.service->isAutoWhiteBalance(), 0);
        QCOMPARE(rig.service->isAutoImage(), 1);
    }

    void rotateTurnsBackToZeroAfter270()
    {
        DocCamServiceRig rig;
        QVERIFY(rig.open(DocCamServiceRig::profile(QStringLiteral("Doc"))));
        ServiceSignalLog log(rig.service);
        // Each turn starts from the angle the camera reported last.
        for (int i = 1; i <= 4; ++i) {
            QCOMPARE(rig.service->rotate(), 0);
            QTRY_COMPARE(log.lines.size(), i);
        }
        QCOMPARE(log.lines, (QStringList{"rotation 90", "rotation 180", "rotation 270", "rotation 0"}));
    }

    // A second press before the camera echoed the first steps from what the first asked for.
    void quickPressesStepFromTheLastRequest_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QStringList>("reports");
        QTest::newRow("rotate") << "rotate" << QStringList{"rotation 90", "rotation 180"};
        QTest::newRow("mirror") << "mirror" << QStringList{"mirror 1", "mirror 0"};
        QTest::newRow("freeze") << "freeze" << QStringList{"freeze 1", "freeze 0"};
    }
    void quickPressesStepFromTheLastRequest()
    {
        QFETCH(QString, control);
        QFETCH(QStringList, reports);
        DocCamServiceRig rig;
        QVERIFY(rig.open(DocCamServiceRig::profile(QStringLiteral("Doc"))));
        ServiceSignalLog log(rig.service);
        const auto press = [&] {
            if (control == QLatin1String("rotate"))
                return rig.service->rotate();
            if (control == QLatin1String("mirror"))
                return rig.service->toggleMirror();
            return rig.service->toggleFreeze();
        };
        QCOMPARE(press(), 0);
        QCOMPARE(press(), 0);
        QTRY_COMPARE(log.lines.filter(QRegularExpression("^(rotation|mirror|freeze) ")), reports);
        // Once the echoes are in, the next press starts from the camera's value again.
        log.take();
        QCOMPARE(press(), 0);
        QTRY_COMPARE(log.lines.filter(QRegularExpression("^(rotation|mirror|freeze) ")).size(), 1);
        const QString third = log.lines.filter(QRegularExpression("^(rotation|mirror|freeze) ")).constFirst();
        QCOMPARE(third, control == QLatin1String("rotate") ? QStringLiteral("rotation 270") : reports.first());
    }

    void theCamerasButtonRotates()
    {
        DocCamServiceRig rig;
        VirtualDocCam *camera = rig.open(DocCamServiceRig::profile(QStringLiteral("Doc")));
        QVERIFY(camera);
        ServiceSignalLog log(rig.service);
        camera->pressButton(2);
        camera->pressButton(1);
        QTRY_COMPARE(log.lines, QStringList{"rotation 90"});
    }

    void theMaskShowsWhatTheCameraOffers_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<CameraCapabilities>("capabilities");
        QTest::addColumn<Preset>("preset");
        QTest::addColumn<uint>("mask");
        const CameraCapabilities full = VirtualCameraProfile().capabilities;
        CameraCapabilities bare;
        CameraCapabilities extraCapabilityBits = bare;
        extraCapabilityBits.controlCapabilities = 0x80 | 0x100;
        CameraCapabilities exposureOnlySet = bare;
        exposureOnlySet.canSetExposureMode = true;
        CameraCapabilities someModes = bare;
        someModes.modes = 0x04 | 0x08;
        someModes.colorEffects = 1 | 2;
        QTest::newRow("everything") << "Doc" << full << Preset{} << kFullMask;
        QTest::newRow("nothing beyond the base") << "Doc" << bare << Preset{} << kBaseMask;
        QTest::newRow("only the low capability byte") << "Doc" << extraCapabilityBits << Preset{} << (kBaseMask | 0x80);
        QTest::newRow("exposure needs both") << "Doc" << exposureOnlySet << Preset{} << kBaseMask;
        QTest::newRow("microscope and negative") << "Doc" << someModes << Preset{} << (kBaseMask | 0x400000 | 0x20000);
        QTest::newRow("Q30 has no manual focus") << "LumoVision Q30" << full << Preset{} << (kFullMask & ~0x4000u);
        QTest::newRow("Q40 has no manual focus") << "LumoVision Q40" << full << Preset{} << (kFullMask & ~0x4000u);
        QTest::newRow("a similar name has") << "LumoVision Q300" << full << Preset{} << kFullMask;
        QTest::newRow("manual exposure and white balance")
            << "Doc" << full << Preset{{CameraParameter::AutoExposure, 0}, {CameraParameter::AutoWhiteBalance, 0}}
            << (kFullMask | 0x800 | 0x2000);
        QTest::newRow("black and white hides white balance")
            << "Doc" << full
            << Preset{{CameraParameter::AutoWhiteBalance, 0},
                      {CameraParameter::ColorEffect, CameraParameters::ColorEffectBlackWhite}}
            << (kFullMask & ~0x1000u);
    }
    void theMaskShowsWhatTheCameraOffers()
    {
        QFETCH(QString, name);
        QFETCH(CameraCapabilities, capabilities);
        QFETCH(Preset, preset);
        QFETCH(uint, mask);
        DocCamServiceRig rig;
        VirtualCameraProfile profile = DocCamServiceRig::profile(name);
        profile.capabilities = capabilities;
        VirtualDocCam *camera = rig.plug(profile);
        for (const auto &[parameter, value] : preset)
            camera->changeParameter(parameter, value);
        QSignalSpy announced(rig.start(), &LumoVisionIntf::actionStatusChanged);
        QVERIFY(rig.waitOpen(name));
        QCOMPARE(rig.service->actionStatus(), mask);
        QCOMPARE(announced.last().first().toUInt(), mask);
    }

    void freezingShowsTheFreezeControlAlone()
    {
        DocCamServiceRig rig;
        QVERIFY(rig.open(DocCamServiceRig::profile(QStringLiteral("Doc"))));
        ServiceSignalLog log(rig.service);
        QCOMPARE(rig.service->toggleFreeze(), 0);
        QTRY_COMPARE(log.lines, (QStringList{status(0x10), "freeze 1"}));
        log.take();
        QCOMPARE(rig.service->actionStatus(), kFullMask);
        QCOMPARE(rig.service->requestHQImage(), -2004);
        // Changes while frozen keep the other controls hidden.
        rig.service->setAutoExposure(false);
        QTRY_COMPARE(log.lines, (QStringList{"autoExposure 0", status(0x10)}));
        log.take();
        QCOMPARE(rig.service->toggleFreeze(), 0);
        QTRY_COMPARE(log.lines, (QStringList{status(kFullMask | 0x800), "freeze 0"}));
        log.take();
    }

    // Reports the camera makes on its own; an unchanged value announces nothing.
    void reportsAnnounceOnlyChanges_data()
    {
        QTest::addColumn<CameraParameter>("parameter");
        QTest::addColumn<double>("value");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("same brightness") << CameraParameter::Brightness << 50.0 << QStringList{};
        QTest::newRow("new brightness") << CameraParameter::Brightness << 60.0 << QStringList{"brightness 60"};
        QTest::newRow("same exposure") << CameraParameter::Exposure << 50.0 << QStringList{};
        QTest::newRow("same zoom") << CameraParameter::ZoomRatio << 1.0 << QStringList{};
        QTest::newRow("same mode") << CameraParameter::Mode << 4.0 << QStringList{};
        QTest::newRow("mode macro") << CameraParameter::Mode << 16.0 << QStringList{"mode 5"};
        QTest::newRow("same wide angle") << CameraParameter::WideAngle << 0.0 << QStringList{};
        QTest::newRow("wide angle") << CameraParameter::WideAngle << 1.0 << QStringList{"mode 2"};
        QTest::newRow("same effect") << CameraParameter::ColorEffect << 1.0 << QStringList{};
        QTest::newRow("same freeze") << CameraParameter::Freeze << 0.0 << QStringList{};
        QTest::newRow("same auto image") << CameraParameter::AutoImage << 0.0 << QStringList{};
        QTest::newRow("red gain is not kept") << CameraParameter::WhiteBalanceRed << 70.0 << QStringList{};
    }
    void reportsAnnounceOnlyChanges()
    {
        QFETCH(CameraParameter, parameter);
        QFETCH(double, value);
        QFETCH(QStringList, expected);
        DocCamServiceRig rig;
        VirtualDocCam *camera = rig.open(DocCamServiceRig::profile(QStringLiteral("Doc")));
        QVERIFY(camera);
        ServiceSignalLog log(rig.service);
        camera->changeParameter(parameter, value);
        camera->changeParameter(parameter, value);
        QTest::qWait(50);
        QCOMPARE(log.lines, expected);
    }

    void aModeChangeUnderWideAngleIsNotAnnounced()
    {
        DocCamServiceRig rig;
        VirtualDocCam *camera = rig.open(DocCamServiceRig::profile(QStringLiteral("Doc")));
        QVERIFY(camera);
        ServiceSignalLog log(rig.service);
        camera->changeParameter(CameraParameter::WideAngle, 1);
        camera->changeParameter(CameraParameter::Mode, CameraParameters::ModeMicroscope);
        camera->changeParameter(CameraParameter::WideAngle, 0);
        QTRY_COMPARE(log.lines, (QStringList{"mode 2", "mode 3"}));
    }

    void limitedCapabilitiesDropTheModesOncePerOpening()
    {
        DocCamServiceRig rig;
        VirtualDocCam *camera = rig.open(DocCamServiceRig::profile(QStringLiteral("Doc")));
        QVERIFY(camera);
        ServiceSignalLog log(rig.service);
        const uint limited = kFullMask & ~0x01F00000u;
        camera->limitCapabilities();
        camera->limitCapabilities();
        QTest::qWait(50);
        QCOMPARE(log.take(), QStringList{status(limited)});
        QCOMPARE(rig.service->actionStatus(), limited);

        VirtualCameraHub::instance()->postSystemEvent(1);
        QTRY_COMPARE(rig.service->actionStatus(), kFullMask);
        QTRY_VERIFY(rig.service->isDocCamConnected());
        camera->limitCapabilities();
        QTRY_COMPARE(rig.service->actionStatus(), limited);
    }

    void contrastTuningWaitsBehindItsDialog()
    {
        DocCamServiceRig rig;
        VirtualDocCam *camera = rig.open(DocCamServiceRig::profile(QStringLiteral("Doc")));
        QVERIFY(camera);
        rig.service->showCameraWidget();
        camera->setContrastTuning(true, 150);
        ServiceSignalLog log(rig.service);
        QString label;
        QStringList signalsWhileOpen;
        ModalAnswerer observer([&](QWidget *modal) {
            if (auto *text = modal->findChild<QLabel *>())
                label = text->text();
            signalsWhileOpen = log.lines;
        });
        QCOMPARE(rig.service->setContrast(70), CameraCodes::TuningInProgress);
        QVERIFY(observer.answered());
        QCOMPARE(label, QStringLiteral("Parameter tuning..."));
        QCOMPARE(signalsWhileOpen, QStringList());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QCOMPARE(log.lines, QStringList{"contrast 70"});
        QCOMPARE(rig.service->contrast(), 70);
    }

    void losingTheCameraEndsTheTuningDialog_data()
    {
        QTest::addColumn<bool>("unplug");
        QTest::newRow("unplugged") << true;
        QTest::newRow("machine goes to sleep") << false;
    }
    void losingTheCameraEndsTheTuningDialog()
    {
        QFETCH(bool, unplug);
        DocCamServiceRig rig;
        VirtualDocCam *camera = rig.open(DocCamServiceRig::profile(QStringLiteral("Doc")));
        QVERIFY(camera);
        // The tuning never ends on its own within the test.
        camera->setContrastTuning(true, 600000);
        ModalAnswerer loseCamera([&](QWidget *) {
            if (unplug)
                VirtualCameraHub::instance()->removeCamera(camera);
            else
                VirtualCameraHub::instance()->postSystemEvent(0);
        });
        bool leftOpen = false;
        QTimer safety;
        safety.setSingleShot(true);
        connect(&safety, &QTimer::timeout, this, [&] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                leftOpen = true;
                modal->close();
            }
        });
        safety.start(3000);
        QCOMPARE(rig.service->setContrast(70), CameraCodes::TuningInProgress);
        QVERIFY(loseCamera.answered());
        QVERIFY(!leftOpen);
        QCOMPARE(rig.service->actionStatus(), 0u);
    }
};

QUILLO_TEST_MAIN(TestLumoVisionControls)
#include "tst_LumoVisionControls.moc"
