#include "CameraCodes.h"
#include "CameraRecorder.h"
#include "DocCamManager.h"
#include "DocCamStream.h"
#include "LumoSystemOsal.h"
#include "TestEnvironment.h"
#include "VirtualCameraHub.h"
#include "VirtualDocCam.h"

#include <QDeadlineTimer>
#include <QDialog>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <tuple>

namespace {

VirtualCameraProfile smallSpec()
{
    VirtualCameraProfile profile;
    profile.identity.format.width = 320;
    profile.identity.format.height = 240;
    profile.stillSize = QSize(640, 480);
    return profile;
}

// Frames of the virtual camera come every 33 ms; this is several frame periods.
constexpr int kQuietMs = 200;

} // namespace

class TestVirtualCamera : public QObject
{
    Q_OBJECT

private:
    DocCamManager *m_manager = nullptr;
    VirtualDocCam *m_camera = nullptr;
    QList<DocCamStream *> m_streams;

    DocCamStream *startStream(CameraRecorder &recorder, VirtualDocCam *camera = nullptr)
    {
        camera = camera ? camera : m_camera;
        DocCamStream *stream = nullptr;
        if (camera->openDocCamStream(0, camera->format(), &recorder, &stream, nullptr) != 0 || !stream)
            return nullptr;
        m_streams.append(stream);
        return stream->start() == 0 ? stream : nullptr;
    }

private Q_SLOTS:
    void init()
    {
        m_manager = DocCamManager::getDocCamManager({});
        m_manager->retain();
        m_camera = VirtualCameraHub::instance()->addCamera(smallSpec());
    }

    void cleanup()
    {
        for (DocCamStream *stream : std::as_const(m_streams))
            stream->release();
        m_streams.clear();
        VirtualCameraHub::instance()->removeAll();
        m_manager->release();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void arrivalAndRemovalReachALaterListener()
    {
        CameraRecorder recorder;
        recorder.inCall = true;
        m_manager->addEventListener(&recorder);
        recorder.inCall = false;
        QVERIFY(recorder.events.isEmpty());
        QTRY_COMPARE(recorder.events, QStringList{QStringLiteral("docCamArrived")});

        VirtualCameraHub::instance()->removeCamera(m_camera);
        QTRY_COMPARE(recorder.events.size(), 2);
        QCOMPARE(recorder.events.last(), QStringLiteral("docCamRemoved"));
        QCOMPARE(recorder.wrongThread, 0);
        QCOMPARE(recorder.reentrant, 0);
        m_manager->removeEventListener(&recorder);
    }

    void listedIdsChooseTheDocumentCamerasOfTheManagerTheyCreate()
    {
        // The fixture's manager took no options; a fresh one is made with a list.
        m_manager->release();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_manager = DocCamManager::getDocCamManager({{DocCamManager::kDocCamIdsOption,
                                                      QStringLiteral("1234:5678, 0abc:0def")}});
        m_manager->retain();
        // A later holder's options change nothing: the first one fixed the roles.
        QCOMPARE(DocCamManager::getDocCamManager({{DocCamManager::kDocCamIdsOption, QStringLiteral("9999:9999")}}),
                 m_manager);

        struct RoleRecorder : CameraRecorder
        {
            QStringList roles;
            void docCamArrived(LumoDocCam *camera) override { roles.append(QStringLiteral("doc ") + camera->name()); }
            void webCamArrived(LumoDocCam *camera) override { roles.append(QStringLiteral("web ") + camera->name()); }
        } recorder;
        QList<VirtualDocCam *> physical;
        for (const auto &[name, vendor, product] :
             {std::tuple{"listed", 0x1234u, 0x5678u}, std::tuple{"unlisted", 0x1111u, 0x2222u},
              std::tuple{"also listed", 0x0abcu, 0x0defu}, std::tuple{"unlisted too", 0x9999u, 0x9999u}}) {
            VirtualCameraProfile profile = smallSpec();
            profile.identity.name = QString::fromLatin1(name);
            profile.identity.vendorId = vendor;
            profile.identity.productId = product;
            physical.append(new VirtualDocCam(profile));
            m_manager->deviceAttached(physical.last(), CameraDeviceSink::Origin::Device);
        }
        m_manager->addEventListener(&recorder);
        QTRY_COMPARE(recorder.roles.size(), 5);
        recorder.roles.sort();
        QCOMPARE(recorder.roles, (QStringList{"doc Quillo Virtual Camera", "doc also listed", "doc listed",
                                              "web unlisted", "web unlisted too"}));
        m_manager->removeEventListener(&recorder);
        for (VirtualDocCam *camera : std::as_const(physical)) {
            m_manager->deviceDetached(camera);
            camera->release();
        }
    }

    void oneFramePerRequest()
    {
        CameraRecorder recorder;
        DocCamStream *stream = startStream(recorder);
        QVERIFY(stream);
        recorder.inCall = true;
        for (int i = 0; i < 3; ++i)
            stream->requestNextFrame();
        recorder.inCall = false;
        QTRY_COMPARE(recorder.frames.size(), 1);
        QTest::qWait(kQuietMs);
        QCOMPARE(recorder.frames.size(), 1);
        QCOMPARE(recorder.frames.first().size(), QSize(320, 240));

        stream->requestNextFrame();
        QTRY_COMPARE(recorder.frames.size(), 2);
        QCOMPARE(recorder.wrongThread, 0);
        QCOMPARE(recorder.reentrant, 0);
    }

    void callbacksArriveInsideAModalDialog()
    {
        CameraRecorder recorder;
        DocCamStream *stream = startStream(recorder);
        QVERIFY(stream);
        m_camera->addParametersListener(&recorder);
        QDialog dialog;
        QTimer::singleShot(0, &dialog, [&] {
            stream->requestNextFrame();
            stream->setMirror(true);
        });
        QTimer poll;
        connect(&poll, &QTimer::timeout, &dialog, [&] {
            if (!recorder.frames.isEmpty() && recorder.count(QStringLiteral("mirror")) == 1)
                dialog.accept();
        });
        poll.start(5);
        QTimer::singleShot(5000, &dialog, &QDialog::reject);
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(recorder.wrongThread, 0);
        m_camera->removeParametersListener(&recorder);
    }

    void everySetIsReportedQueued_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("report");
        const QStringList reports = {
            QStringLiteral("brightness 70"), QStringLiteral("brightness 50"), QStringLiteral("contrast 30"),
            QStringLiteral("zoom 1.25"),     QStringLiteral("zoom 1"),        QStringLiteral("rotation 90"),
            QStringLiteral("mirror 1"),      QStringLiteral("freeze 1"),      QStringLiteral("autoWhiteBalance 0"),
            QStringLiteral("red 55"),        QStringLiteral("blue 45"),       QStringLiteral("autoExposure 0"),
            QStringLiteral("exposure 55"),   QStringLiteral("autoImage 1"),   QStringLiteral("colorEffect 4"),
            QStringLiteral("mode 8"),        QStringLiteral("wideAngle 1"),   QStringLiteral("brightness 45"),
            QStringLiteral("contrast 55"),
        };
        const QStringList names = {"set brightness", "unchanged brightness",
                                   "set contrast",   "zoom in",
                                   "zoom reset",     "rotation",
                                   "mirror",         "freeze",
                                   "white balance",  "red up",
                                   "blue down",      "exposure mode",
                                   "exposure up",    "auto image",
                                   "colour effect",  "mode",
                                   "wide angle",     "brightness down",
                                   "contrast up"};
        for (int i = 0; i < reports.size(); ++i)
            QTest::newRow(qPrintable(names[i])) << i << reports[i];
    }

    void everySetIsReportedQueued()
    {
        QFETCH(int, row);
        QFETCH(QString, report);
        const std::function<int(DocCamStream *)> calls[] = {
            [](DocCamStream *s) { return s->setBrightness(70); },
            [](DocCamStream *s) { return s->setBrightness(50); },
            [](DocCamStream *s) { return s->setContrast(30); },
            [](DocCamStream *s) { return s->zoomIn(); },
            [](DocCamStream *s) { return s->zoomReset(); },
            [](DocCamStream *s) { return s->setRotation(90); },
            [](DocCamStream *s) { return s->setMirror(true); },
            [](DocCamStream *s) { return s->setFreeze(true); },
            [](DocCamStream *s) { return s->setAutoWhiteBalance(false); },
            [](DocCamStream *s) { return s->increaseRed(); },
            [](DocCamStream *s) { return s->decreaseBlue(); },
            [](DocCamStream *s) { return s->setAutoExposure(false); },
            [](DocCamStream *s) { return s->increaseExposure(); },
            [](DocCamStream *s) { return s->setAutoImage(true); },
            [](DocCamStream *s) { return s->setColorEffect(4); },
            [](DocCamStream *s) { return s->setMode(8); },
            [](DocCamStream *s) { return s->setWideAngle(true); },
            [](DocCamStream *s) { return s->decreaseBrightness(); },
            [](DocCamStream *s) { return s->increaseContrast(); },
        };
        CameraRecorder recorder;
        DocCamStream *stream = startStream(recorder);
        QVERIFY(stream);
        m_camera->addParametersListener(&recorder);
        QCOMPARE(calls[row](stream), 0);
        QVERIFY(recorder.events.isEmpty());
        QTRY_COMPARE(recorder.events, QStringList{report});
        m_camera->removeParametersListener(&recorder);
    }

    void refusedSetsChangeNothingAndReportNothing_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("code");
        QTest::newRow("brightness above 100") << 0 << CameraCodes::InvalidArgument;
        QTest::newRow("rotation not a quarter turn") << 1 << CameraCodes::InvalidArgument;
        QTest::newRow("unknown colour effect") << 2 << CameraCodes::NotSupported;
        QTest::newRow("two modes at once") << 3 << CameraCodes::NotSupported;
    }

    void refusedSetsChangeNothingAndReportNothing()
    {
        QFETCH(int, row);
        QFETCH(int, code);
        const std::function<int(DocCamStream *)> calls[] = {
            [](DocCamStream *s) { return s->setBrightness(101); },
            [](DocCamStream *s) { return s->setRotation(45); },
            [](DocCamStream *s) { return s->setColorEffect(8); },
            [](DocCamStream *s) { return s->setMode(0x09); },
        };
        CameraRecorder recorder;
        DocCamStream *stream = startStream(recorder);
        QVERIFY(stream);
        m_camera->addParametersListener(&recorder);
        const CameraParameters before = m_camera->parameters();
        QCOMPARE(calls[row](stream), code);
        QTest::qWait(50);
        QCOMPARE(recorder.count(QStringLiteral("frame")), 0);
        QCOMPARE(recorder.events, QStringList());
        QCOMPARE(m_camera->parameters().brightness, before.brightness);
        QCOMPARE(m_camera->parameters().rotation, before.rotation);
        m_camera->removeParametersListener(&recorder);
    }

    void busyAndFailingDevices()
    {
        CameraRecorder first;
        QVERIFY(startStream(first));
        CameraRecorder second;
        DocCamStream *again = nullptr;
        QCOMPARE(m_camera->openDocCamStream(0, m_camera->format(), &second, &again, nullptr), 0);
        m_streams.append(again);
        QCOMPARE(again->start(), CameraCodes::DeviceBusy);

        VirtualDocCam *held = VirtualCameraHub::instance()->addCamera(smallSpec());
        held->setStartResult(CameraCodes::DeviceBusy);
        DocCamStream *stream = nullptr;
        QCOMPARE(held->openDocCamStream(0, held->format(), &second, &stream, nullptr), 0);
        m_streams.append(stream);
        QCOMPARE(stream->start(), CameraCodes::DeviceBusy);

        VirtualDocCam *broken = VirtualCameraHub::instance()->addCamera(smallSpec());
        broken->setOpenResult(CameraCodes::DeviceError);
        DocCamStream *none = reinterpret_cast<DocCamStream *>(1);
        QCOMPARE(broken->openDocCamStream(0, broken->format(), &second, &none, nullptr), CameraCodes::DeviceError);
        QCOMPARE(none, nullptr);
        QTest::qWait(50);
        QCOMPARE(second.events, QStringList());
    }

    void unplugStopsTheStreamBeforeTheRemovalIsReported()
    {
        CameraRecorder recorder;
        m_manager->addEventListener(&recorder);
        QTRY_COMPARE(recorder.count(QStringLiteral("docCamArrived")), 1);
        DocCamStream *stream = startStream(recorder);
        QVERIFY(stream);

        VirtualCameraHub::instance()->removeCamera(m_camera);
        QTRY_COMPARE(recorder.count(QStringLiteral("docCamRemoved")), 1);
        QCOMPARE(recorder.events.mid(1),
                 (QStringList{QStringLiteral("stopped e0000000"), QStringLiteral("docCamRemoved")}));
        stream->requestNextFrame();
        QTest::qWait(kQuietMs);
        QCOMPARE(recorder.frames.size(), 0);
        m_manager->removeEventListener(&recorder);
    }

    void scriptedStreamStop()
    {
        CameraRecorder recorder;
        DocCamStream *stream = startStream(recorder);
        QVERIFY(stream);
        m_camera->stopStream(CameraCodes::DeviceError);
        QVERIFY(recorder.events.isEmpty());
        QTRY_COMPARE(recorder.events, QStringList{QStringLiteral("stopped e0000003")});
        // The device is free again once its stream has ended.
        CameraRecorder next;
        QVERIFY(startStream(next));
    }

    void stills_data()
    {
        QTest::addColumn<int>("behaviour");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("stills");
        QTest::addColumn<bool>("null");
        QTest::newRow("delivered") << int(VirtualDocCam::StillBehaviour::Deliver) << 0 << 1 << false;
        QTest::newRow("null") << int(VirtualDocCam::StillBehaviour::DeliverNull) << 0 << 1 << true;
        QTest::newRow("refused") << int(VirtualDocCam::StillBehaviour::Refuse) << -7 << 0 << false;
        QTest::newRow("never") << int(VirtualDocCam::StillBehaviour::Never) << 0 << 0 << false;
    }

    void stills()
    {
        QFETCH(int, behaviour);
        QFETCH(int, result);
        QFETCH(int, stills);
        QFETCH(bool, null);
        CameraRecorder recorder;
        m_camera->addHQImageGrabber(&recorder);
        m_camera->setStillBehaviour(VirtualDocCam::StillBehaviour(behaviour), 20, -7);
        recorder.inCall = true;
        QCOMPARE(m_camera->requestHQImage(), result);
        recorder.inCall = false;
        // A still comes after a delay that a loaded or sanitized run stretches; once it is there, a while
        // longer shows that no second one follows.
        QTRY_VERIFY_WITH_TIMEOUT(recorder.stills.size() >= stills, 5000);
        QTest::qWait(400);
        QCOMPARE(recorder.stills.size(), stills);
        if (stills) {
            QCOMPARE(recorder.stills.first().isNull(), null);
            if (!null)
                QCOMPARE(recorder.stills.first().size(), QSize(640, 480));
        }
        QCOMPARE(recorder.reentrant, 0);
        m_camera->removeHQImageGrabber(&recorder);
    }

    void formatStaysUnrotatedWhileFramesTurn()
    {
        CameraRecorder recorder;
        DocCamStream *stream = startStream(recorder);
        QVERIFY(stream);
        QCOMPARE(stream->setRotation(90), 0);
        stream->requestNextFrame();
        QTRY_COMPARE(recorder.frames.size(), 1);
        QCOMPARE(recorder.frames.first().size(), QSize(240, 320));
        QCOMPARE(m_camera->format().width, 320);
        QCOMPARE(m_camera->format().height, 240);
        // A copy is a frame of its own moment, turned like the view's.
        QImage copy;
        QCOMPARE(m_camera->copyCurrentFrame(&copy, 0), 0);
        QCOMPARE(copy.size(), QSize(240, 320));
        QCOMPARE(recorder.frames.size(), 1);
    }

    void freezeHoldsThePicture()
    {
        CameraRecorder recorder;
        DocCamStream *stream = startStream(recorder);
        QVERIFY(stream);
        QImage none;
        stream->release();
        QCOMPARE(m_camera->copyCurrentFrame(&none, 0), CameraCodes::NoFrame);
        m_streams.removeOne(stream);
        stream = startStream(recorder);
        QVERIFY(stream);
        const auto nextFrame = [&] {
            const qsizetype before = recorder.frames.size();
            stream->requestNextFrame();
            QTRY_COMPARE(recorder.frames.size(), before + 1);
        };
        nextFrame();
        stream->setFreeze(true);
        nextFrame();
        nextFrame();
        QCOMPARE(recorder.frames[1], recorder.frames[0]);
        QCOMPARE(recorder.frames[2], recorder.frames[0]);
        // A capture while frozen is the frozen picture too.
        QImage frozen;
        QCOMPARE(m_camera->copyCurrentFrame(&frozen, 0), 0);
        QCOMPARE(frozen, recorder.frames[0]);
        stream->setFreeze(false);
        // The live picture is back with the camera's next picture, which a loaded machine may make late: until
        // then a request hands on the last one again.
        QDeadlineTimer deadline(5000);
        bool moved = false;
        while (!moved && !deadline.hasExpired()) {
            nextFrame();
            moved = recorder.frames.last() != recorder.frames[0];
        }
        QVERIFY(moved);
    }

    void tuningButtonAndLimitReports()
    {
        CameraRecorder recorder;
        DocCamStream *stream = startStream(recorder);
        QVERIFY(stream);
        m_camera->addParametersListener(&recorder);
        m_camera->setContrastTuning(true, 30);
        QCOMPARE(stream->setContrast(60), CameraCodes::TuningInProgress);
        m_camera->pressButton(1);
        m_camera->limitCapabilities();
        QVERIFY(recorder.events.isEmpty());
        QTRY_COMPARE(recorder.count(QStringLiteral("tuningEnded")), 1);
        QCOMPARE(recorder.events, (QStringList{QStringLiteral("contrast 60"), QStringLiteral("tuningStarted"),
                                               QStringLiteral("button 1"), QStringLiteral("capabilitiesLimited"),
                                               QStringLiteral("tuningEnded")}));
        m_camera->removeParametersListener(&recorder);
    }

    void systemEventsAreQueued()
    {
        static QList<int> received;
        received.clear();
        int context = 0;
        osalRegisterSystemEventListener([](void *, int event) { received.append(event); }, &context);
        VirtualCameraHub::instance()->postSystemEvent(0);
        QVERIFY(received.isEmpty());
        QTRY_COMPARE(received, QList<int>{0});
        osalRegisterSystemEventListener(nullptr, nullptr);
        VirtualCameraHub::instance()->postSystemEvent(1);
        QTest::qWait(20);
        QCOMPARE(received, QList<int>{0});
    }
};

QUILLO_TEST_MAIN(TestVirtualCamera)
#include "tst_VirtualCamera.moc"
