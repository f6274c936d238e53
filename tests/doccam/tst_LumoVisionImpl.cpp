#include "CameraCodes.h"
#include "CameraWidget.h"
#include "DocCamManager.h"
#include "DocCamServiceRig.h"
#include "SettingImpl.h"
#include "TestEnvironment.h"
#include "VirtualCameraHub.h"
#include "VirtualDocCam.h"

#include <QtTest>

namespace {

const QString kNotConnected = QStringLiteral("Camera not connected");
const QString kInUse = QStringLiteral("Camera in use");

CameraWidget *liveView(LumoVisionIntf *service)
{
    return static_cast<CameraWidget *>(service->cameraWidget());
}

// The service tried a selection and settled: nothing it would still do within a few retries.
void settle()
{
    QTest::qWait(DocCamServiceRig::kRetryMs * 3);
}

} // namespace

class TestLumoVisionImpl : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theServiceLivesUntilItsLastRelease()
    {
        DocCamServiceRig rig;
        LumoVisionIntf *first = LumoVisionImpl::getInstance(nullptr);
        LumoVisionIntf *second = LumoVisionImpl::getInstance(nullptr);
        QCOMPARE(second, first);
        const QPointer<QObject> alive(first);
        first->release();
        QVERIFY(alive);
        QVERIFY(first->cameraWidget());
        second->release();
        QVERIFY(!alive);
    }

    // Cameras arrive one after another, each scripted by its open and start results.
    void selectionOpensTheFirstUsableCamera_data()
    {
        QTest::addColumn<QList<int>>("openResults");
        QTest::addColumn<QList<int>>("startResults");
        QTest::addColumn<int>("opened");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("boxes");
        const int busy = CameraCodes::DeviceBusy;
        const int failed = CameraCodes::DeviceError;
        QTest::newRow("first starts") << QList<int>{0, 0} << QList<int>{0, 0} << 0 << QString() << 0;
        QTest::newRow("first fails to start, second starts")
            << QList<int>{0, 0} << QList<int>{failed, 0} << 1 << QString() << 0;
        QTest::newRow("first cannot be opened, second starts")
            << QList<int>{failed, 0} << QList<int>{0, 0} << 1 << QString() << 0;
        // The first camera arrives alone and is found busy before the second is there.
        QTest::newRow("first busy, second starts") << QList<int>{0, 0} << QList<int>{busy, 0} << 1 << QString() << 1;
        QTest::newRow("only camera busy") << QList<int>{0} << QList<int>{busy} << -1 << kInUse << 1;
        QTest::newRow("none usable") << QList<int>{0, failed} << QList<int>{failed, 0} << -1 << kNotConnected << 0;
    }
    void selectionOpensTheFirstUsableCamera()
    {
        QFETCH(QList<int>, openResults);
        QFETCH(QList<int>, startResults);
        QFETCH(int, opened);
        QFETCH(QString, status);
        QFETCH(int, boxes);
        DocCamServiceRig rig;
        rig.start();
        QStringList names;
        for (qsizetype i = 0; i < openResults.size(); ++i) {
            names.append(QStringLiteral("Cam %1").arg(i));
            VirtualDocCam *camera = rig.plug(names.last());
            camera->setOpenResult(openResults[i]);
            camera->setStartResult(startResults[i]);
            settle();
        }
        if (opened >= 0) {
            QVERIFY(rig.waitOpen(names[opened]));
        } else {
            QCOMPARE(rig.service->docCamName(), QString());
            QCOMPARE(liveView(rig.service)->statusText(), status);
            QCOMPARE(rig.service->actionStatus(), 0u);
        }
        QCOMPARE(rig.boxes.shown().size(), boxes);
        if (boxes) {
            const MessageBoxes::Request &box = rig.boxes.shown().first();
            QCOMPARE(box.title, QStringLiteral("Lumo DocCam in use!"));
            QCOMPARE(box.text, QStringLiteral("Other applications are using the DocCam."));
            QCOMPARE(box.informativeText, QStringLiteral("Please try to close some applications and try again."));
            QVERIFY(box.fromService);
        }
    }

    void aBusyCameraIsRetriedWithOneBoxOnly()
    {
        DocCamServiceRig rig;
        VirtualDocCam *camera = rig.plug(QStringLiteral("Busy"));
        camera->setStartResult(CameraCodes::DeviceBusy);
        rig.start();
        QTRY_COMPARE(liveView(rig.service)->statusText(), kInUse);
        settle();
        QCOMPARE(rig.boxes.shown().size(), 1);
        QCOMPARE(liveView(rig.service)->statusText(), kInUse);

        // The other program lets go: the next retry opens it.
        camera->setStartResult(0);
        QVERIFY(rig.waitOpen(QStringLiteral("Busy")));
        QCOMPARE(rig.boxes.shown().size(), 1);
    }

    void theConnectSignalWaitsForTheFirstPicture()
    {
        DocCamServiceRig rig;
        rig.plug(QStringLiteral("Doc"));
        rig.start();
        QList<bool> pictureAtSignal;
        QStringList names;
        connect(rig.service, &LumoVisionIntf::docCamConnected, this, [&](const QString &name) {
            names.append(name);
            pictureAtSignal.append(rig.service->isDocCamConnected());
        });
        QVERIFY(rig.waitOpen(QStringLiteral("Doc")));
        QTest::qWait(100);
        QCOMPARE(names, QStringList{QStringLiteral("Doc")});
        QCOMPARE(pictureAtSignal, QList<bool>{true});
    }

    void releaseAndReconnectHandTheCameraOver()
    {
        DocCamServiceRig rig;
        rig.start();
        QCOMPARE(rig.service->releaseDocCam(), -1000);
        QCOMPARE(rig.service->reconnectDocCam(), -1000);

        VirtualDocCam *camera = rig.plug(QStringLiteral("Doc"));
        QVERIFY(rig.waitOpen(QStringLiteral("Doc")));
        ServiceSignalLog log(rig.service);
        QCOMPARE(rig.service->releaseDocCam(), 0);
        QCOMPARE(log.take(), QStringList{QStringLiteral("status 0x0")});
        QCOMPARE(rig.service->docCamName(), QString());
        QCOMPARE(liveView(rig.service)->statusText(), kNotConnected);

        // The other program holds it now: reconnecting fails quietly and is not retried.
        camera->setStartResult(CameraCodes::DeviceBusy);
        QCOMPARE(rig.service->reconnectDocCam(), -2005);
        camera->setStartResult(0);
        settle();
        QCOMPARE(rig.service->docCamName(), QString());
        QCOMPARE(rig.boxes.shown().size(), 0);
        QCOMPARE(liveView(rig.service)->statusText(), kNotConnected);

        QCOMPARE(rig.service->reconnectDocCam(), 0);
        QVERIFY(rig.waitOpen(QStringLiteral("Doc")));
        // Reconnecting an open camera leaves it as it is.
        log.take();
        QCOMPARE(rig.service->reconnectDocCam(), 0);
        settle();
        QVERIFY(!log.lines.contains(QStringLiteral("status 0x0")));
        QVERIFY(rig.service->isDocCamConnected());
        QCOMPARE(rig.boxes.shown().size(), 0);
    }

    void aRetryPendingAtReleaseDoesNotTakeTheCameraBack()
    {
        DocCamServiceRig rig;
        VirtualDocCam *camera = rig.plug(QStringLiteral("Doc"));
        camera->setStartResult(CameraCodes::DeviceBusy);
        rig.start();
        QTRY_COMPARE(liveView(rig.service)->statusText(), kInUse);
        QCOMPARE(rig.service->releaseDocCam(), 0);
        camera->setStartResult(0);
        settle();
        QCOMPARE(rig.service->docCamName(), QString());
    }

    void removalKeepsOrReplacesTheCurrentCamera()
    {
        DocCamServiceRig rig;
        rig.start();
        VirtualDocCam *first = rig.plug(QStringLiteral("A"));
        QVERIFY(rig.waitOpen(QStringLiteral("A")));
        VirtualDocCam *second = rig.plug(QStringLiteral("B"));
        VirtualDocCam *third = rig.plug(QStringLiteral("C"));
        settle();
        ServiceSignalLog log(rig.service);

        VirtualCameraHub::instance()->removeCamera(second);
        settle();
        QCOMPARE(rig.service->docCamName(), QStringLiteral("A"));
        QVERIFY(!log.lines.contains(QStringLiteral("disconnected")));

        VirtualCameraHub::instance()->removeCamera(first);
        QVERIFY(rig.waitOpen(QStringLiteral("C")));
        QCOMPARE(log.lines.count(QStringLiteral("disconnected")), 1);
        QCOMPARE(log.lines.count(QStringLiteral("connected C")), 1);

        log.take();
        VirtualCameraHub::instance()->removeCamera(third);
        QTRY_COMPARE(log.lines.count(QStringLiteral("disconnected")), 1);
        QCOMPARE(rig.service->docCamName(), QString());
        QVERIFY(!rig.service->isDocCamConnected());
        QCOMPARE(liveView(rig.service)->statusText(), kNotConnected);
        QCOMPARE(rig.service->actionStatus(), 0u);
    }

    void theSettingsChooseWhichCameraIsTheDocumentCamera_data()
    {
        QTest::addColumn<QStringList>("listedIds");
        QTest::addColumn<QString>("opened");
        QTest::newRow("no ids listed: the first external camera") << QStringList() << "First";
        QTest::newRow("ids listed: the listed camera") << QStringList{"1234:5678"} << "Listed";
    }
    void theSettingsChooseWhichCameraIsTheDocumentCamera()
    {
        QFETCH(QStringList, listedIds);
        QFETCH(QString, opened);
        SettingIntf *settings = SettingImpl::getInstance();
        settings->setValue(QStringLiteral("camera/docCamIds"), listedIds);
        QList<VirtualDocCam *> cameras;
        {
            DocCamServiceRig rig;
            rig.start();
            for (const auto &[name, product] : {std::pair{"First", 0x2222u}, std::pair{"Listed", 0x5678u}}) {
                VirtualCameraProfile profile = DocCamServiceRig::profile(QString::fromLatin1(name));
                profile.identity.vendorId = 0x1234;
                profile.identity.productId = product;
                cameras.append(new VirtualDocCam(profile));
                DocCamManager::getDocCamManager({})->deviceAttached(cameras.last(), CameraDeviceSink::Origin::Device);
            }
            QVERIFY(rig.waitOpen(opened));
        }
        for (VirtualDocCam *camera : std::as_const(cameras))
            camera->release();
        settings->setValue(QStringLiteral("camera/docCamIds"), QVariant());
        settings->release();
    }

    void removalOfAnUnlistedCameraChangesNothing()
    {
        DocCamServiceRig rig;
        rig.start();
        rig.plug(QStringLiteral("Doc"));
        QVERIFY(rig.waitOpen(QStringLiteral("Doc")));
        // Never plugged, so never listed; the test holds its only reference.
        auto *stranger = new VirtualDocCam(DocCamServiceRig::profile(QStringLiteral("Stranger")));
        const QPointer<VirtualDocCam> alive(stranger);
        ServiceSignalLog log(rig.service);
        rig.service->docCamRemoved(stranger);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(alive);
        QCOMPARE(log.lines, QStringList());
        QCOMPARE(rig.service->docCamName(), QStringLiteral("Doc"));
        stranger->release();
    }

    void systemEventsCloseAndReselect()
    {
        DocCamServiceRig rig;
        rig.plug(QStringLiteral("Doc"));
        rig.start();
        QVERIFY(rig.waitOpen(QStringLiteral("Doc")));
        ServiceSignalLog log(rig.service);

        VirtualCameraHub::instance()->postSystemEvent(0);
        QTRY_COMPARE(rig.service->docCamName(), QString());
        QCOMPARE(log.take(), QStringList{QStringLiteral("status 0x0")});

        VirtualCameraHub::instance()->postSystemEvent(1);
        QVERIFY(rig.waitOpen(QStringLiteral("Doc")));
        QTRY_VERIFY(log.lines.contains(QStringLiteral("connected Doc")));

        // Selecting again over the open camera closes it first instead of finding it busy.
        log.take();
        VirtualCameraHub::instance()->postSystemEvent(1);
        QTRY_VERIFY(log.lines.contains(QStringLiteral("connected Doc")));
        QVERIFY(rig.waitOpen(QStringLiteral("Doc")));
        QCOMPARE(rig.boxes.shown().size(), 0);
        QVERIFY(liveView(rig.service)->statusText() != kInUse);
        QVERIFY(rig.service->actionStatus() != 0u);
    }

    // The parent given to the service deletes the live view while a camera shows in it: the service lets the
    // stream go without calling into the view being destroyed (a sanitized build reports the use of its freed
    // members otherwise), and keeps working without a view.
    void deletingTheViewsParentClosesOnlyTheStream()
    {
        DocCamServiceRig rig;
        rig.plug(QStringLiteral("Doc"));
        auto *parent = new QWidget;
        rig.service = static_cast<LumoVisionImpl *>(LumoVisionImpl::getInstance(parent));
        QVERIFY(rig.waitOpen(QStringLiteral("Doc")));
        const QPointer<QWidget> view(rig.service->cameraWidget());
        QVERIFY(view);
        ServiceSignalLog log(rig.service);

        delete parent;
        QVERIFY(!view);
        QVERIFY(!rig.service->cameraWidget());
        QCOMPARE(rig.service->docCamName(), QString());
        QVERIFY(!rig.service->isDocCamConnected());
        QCOMPARE(rig.service->rotate(), -1000);
        QCOMPARE(log.take(), QStringList{QStringLiteral("status 0x0")});
        // Nothing is left that would still deliver to the freed view.
        QTest::qWait(100);
        rig.service->hideCameraWidget();
        rig.service->resizeCameraWidget(QSize(320, 240));
    }

    void notificationsSetTheStatus()
    {
        DocCamServiceRig rig;
        rig.start();
        rig.service->notificationReceived(QStringLiteral("LMDocCamInUseNotification"));
        QCOMPARE(liveView(rig.service)->statusText(), kInUse);
        rig.service->notificationReceived(QStringLiteral("LMDocCamInUseNotification"));
        QCOMPARE(rig.boxes.shown().size(), 1);
        rig.service->notificationReceived(QStringLiteral("LMNoDoCamNotification"));
        QCOMPARE(liveView(rig.service)->statusText(), kNotConnected);
        rig.service->notificationReceived(QStringLiteral("LMDocCamInUseNotification"));
        QCOMPARE(rig.boxes.shown().size(), 2);
    }

    void cameraWidgetSizeFollowsTheRotation_data()
    {
        QTest::addColumn<int>("turns");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("0") << 0 << QSize(800, 600);
        QTest::newRow("90") << 1 << QSize(450, 600);
        QTest::newRow("180") << 2 << QSize(800, 600);
        QTest::newRow("270") << 3 << QSize(450, 600);
    }
    void cameraWidgetSizeFollowsTheRotation()
    {
        QFETCH(int, turns);
        QFETCH(QSize, expected);
        DocCamServiceRig rig;
        rig.start();
        QCOMPARE(rig.service->cameraWidgetSizeFor(QSize(800, 600)), QSize(800, 600));
        rig.plug(DocCamServiceRig::profile(QStringLiteral("Doc"), QSize(1600, 1200)));
        QVERIFY(rig.waitOpen(QStringLiteral("Doc")));
        QSignalSpy rotated(rig.service, &LumoVisionIntf::rotationChanged);
        for (int i = 0; i < turns; ++i) {
            QCOMPARE(rig.service->rotate(), 0);
            QTRY_COMPARE(rotated.size(), i + 1);
        }
        QCOMPARE(rig.service->cameraWidgetSizeFor(QSize(800, 600)), expected);
    }

    void theLiveViewPaintsTheVirtualCamera()
    {
        DocCamServiceRig rig;
        rig.plug(QStringLiteral("Doc"));
        rig.start();
        rig.service->resizeCameraWidget(QSize(320, 240));
        rig.service->showCameraWidget();
        QVERIFY(rig.waitOpen(QStringLiteral("Doc")));

        // Each paint asks for the next frame, so the picture keeps changing while the view is shown.
        const qint64 firstKey = liveView(rig.service)->frame().getQImage().cacheKey();
        QTRY_VERIFY(liveView(rig.service)->frame().getQImage().cacheKey() != firstKey);

        CameraWidget empty(nullptr, nullptr);
        empty.resize(rig.service->cameraWidget()->size());
        const QImage painted = rig.service->cameraWidget()->grab().toImage();
        const QImage background = empty.grab().toImage();
        QCOMPARE(painted.size(), background.size());
        QVERIFY(painted != background);
        rig.service->hideCameraWidget();
        QVERIFY(!rig.service->cameraWidget()->isVisible());
    }

    void closingWithAStillPendingAbortsIt()
    {
        DocCamServiceRig rig;
        VirtualDocCam *camera = rig.plug(QStringLiteral("Doc"));
        rig.start();
        QVERIFY(rig.waitOpen(QStringLiteral("Doc")));
        camera->setStillBehaviour(VirtualDocCam::StillBehaviour::Never);
        QCOMPARE(rig.service->requestHQImage(), 0);
        ServiceSignalLog log(rig.service);
        VirtualCameraHub::instance()->postSystemEvent(0);
        QTRY_COMPARE(log.lines, (QStringList{QStringLiteral("aborted -1000"), QStringLiteral("status 0x0")}));
        // The time-out was stopped with it.
        QTest::qWait(DocCamServiceRig::kHqTimeoutMs * 2);
        QCOMPARE(log.lines.size(), 2);
    }
};

QUILLO_TEST_MAIN(TestLumoVisionImpl)
#include "tst_LumoVisionImpl.moc"
