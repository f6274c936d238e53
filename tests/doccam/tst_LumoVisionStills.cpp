#include "CaptureImpl.h"
#include "DocCamServiceRig.h"
#include "TestEnvironment.h"
#include "VirtualCameraHub.h"
#include "VirtualDocCam.h"

#include <QtTest>

class TestLumoVisionStills : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void requestsAreRefusedWithTheirReason()
    {
        DocCamServiceRig rig;
        VirtualCameraProfile noStills = DocCamServiceRig::profile(QStringLiteral("Plain"));
        noStills.capabilities.hqImage = false;
        VirtualDocCam *camera = rig.open(noStills);
        QVERIFY(camera);
        QCOMPARE(rig.service->requestHQImage(), -2000);
        QCOMPARE(camera->stillRequests(), 0);

        VirtualCameraHub::instance()->removeCamera(camera);
        VirtualDocCam *refusing = rig.open(DocCamServiceRig::profile(QStringLiteral("Refusing")));
        QVERIFY(refusing);
        refusing->setStillBehaviour(VirtualDocCam::StillBehaviour::Refuse, 0, -77);
        ServiceSignalLog log(rig.service);
        QCOMPARE(rig.service->requestHQImage(), -77);
        QTest::qWait(DocCamServiceRig::kHqTimeoutMs * 2);
        QCOMPARE(log.lines, QStringList());
    }

    void aFrozenPictureGivesNoStill()
    {
        DocCamServiceRig rig;
        VirtualDocCam *camera = rig.open(DocCamServiceRig::profile(QStringLiteral("Doc")));
        QVERIFY(camera);
        QSignalSpy frozen(rig.service, &LumoVisionIntf::freezeStatusChanged);
        rig.service->toggleFreeze();
        QTRY_COMPARE(frozen.size(), 1);
        ServiceSignalLog log(rig.service);
        QCOMPARE(rig.service->requestHQImage(), -2004);
        QTest::qWait(DocCamServiceRig::kHqTimeoutMs * 2);
        QCOMPARE(log.lines, QStringList());
        QCOMPARE(camera->stillRequests(), 0);
    }

    void twoRequestsShareOneStill()
    {
        DocCamServiceRig rig;
        VirtualDocCam *camera = rig.open(DocCamServiceRig::profile(QStringLiteral("Doc"), QSize(320, 240)));
        QVERIFY(camera);
        QSignalSpy stills(rig.service, &LumoVisionIntf::hqImageCaptured);
        ServiceSignalLog log(rig.service);
        QCOMPARE(rig.service->requestHQImage(), 0);
        QCOMPARE(rig.service->requestHQImage(), 0);
        QTRY_COMPARE(stills.size(), 1);
        QCOMPARE(stills.first().first().value<QImage>().size(), QSize(320, 240));
        QTest::qWait(DocCamServiceRig::kHqTimeoutMs * 2);
        QCOMPARE(log.lines, QStringList{QStringLiteral("still")});
        QCOMPARE(camera->stillRequests(), 1);
    }

    // However it ends, a request ends once: no time-out follows a still, and nothing follows a time-out.
    void aPendingRequestEndsOnce_data()
    {
        QTest::addColumn<int>("behaviour");
        QTest::addColumn<QString>("end");
        QTest::newRow("still") << int(VirtualDocCam::StillBehaviour::Deliver) << QStringLiteral("still");
        QTest::newRow("null still") << int(VirtualDocCam::StillBehaviour::DeliverNull) << QStringLiteral("still null");
        QTest::newRow("no still") << int(VirtualDocCam::StillBehaviour::Never) << QStringLiteral("aborted -1");
    }
    void aPendingRequestEndsOnce()
    {
        QFETCH(int, behaviour);
        QFETCH(QString, end);
        DocCamServiceRig rig;
        VirtualDocCam *camera = rig.open(DocCamServiceRig::profile(QStringLiteral("Doc")));
        QVERIFY(camera);
        camera->setStillBehaviour(VirtualDocCam::StillBehaviour(behaviour), DocCamServiceRig::kStillDelayMs);
        ServiceSignalLog log(rig.service);
        QCOMPARE(rig.service->requestHQImage(), 0);
        QTRY_COMPARE(log.lines, QStringList{end});
        QTest::qWait(DocCamServiceRig::kHqTimeoutMs * 2);
        QCOMPARE(log.lines.size(), 1);
        // Nothing is pending any more: the next request asks the camera again and ends again.
        QCOMPARE(rig.service->requestHQImage(), 0);
        QCOMPARE(camera->stillRequests(), 2);
        QTRY_COMPARE(log.lines.size(), 2);
    }

    void unpluggingDuringARequestAbortsIt()
    {
        DocCamServiceRig rig;
        VirtualDocCam *camera = rig.open(DocCamServiceRig::profile(QStringLiteral("Doc")));
        QVERIFY(camera);
        camera->setStillBehaviour(VirtualDocCam::StillBehaviour::Never);
        ServiceSignalLog log(rig.service);
        QCOMPARE(rig.service->requestHQImage(), 0);
        VirtualCameraHub::instance()->removeCamera(camera);
        QTRY_VERIFY(log.lines.contains(QStringLiteral("disconnected")));
        QTest::qWait(DocCamServiceRig::kHqTimeoutMs * 2);
        QCOMPARE(log.lines.count(QStringLiteral("aborted -1000")), 1);
        QCOMPARE(log.lines.count(QStringLiteral("aborted -1")), 0);
    }

    void grabbingTheLiveFrameCopiesIt()
    {
        DocCamServiceRig rig;
        QVERIFY(rig.open(DocCamServiceRig::profile(QStringLiteral("Doc"), QSize(320, 240))));
        QImage frame;
        QCOMPARE(rig.service->grabCurrentFrame(&frame), 0);
        QCOMPARE(frame.size(), QSize(320, 240));
    }

    // The camera's own capture button sends a still without a picture; it becomes a snapshot.
    void anUnaskedNullStillTakesASnapshot()
    {
        DocCamServiceRig rig;
        CaptureEnvironment environment = CaptureEnvironment::system();
        environment.playSound = [](const QString &) {};
        CaptureImpl::setEnvironment(environment);
        QVERIFY(rig.open(DocCamServiceRig::profile(QStringLiteral("Doc"), QSize(320, 240))));
        CaptureIntf *capture = CaptureImpl::getInstance();
        QSignalSpy saved(capture, &CaptureIntf::docCamImageCaptured);
        ServiceSignalLog log(rig.service);

        rig.service->hqImageArrived(QImage());
        QTRY_COMPARE(saved.size(), 1);
        const QString path = saved.first().first().toString();
        QCOMPARE(QImage(path).size(), QSize(320, 240));
        QCOMPARE(log.lines, QStringList{QStringLiteral("still")});
        capture->release();
        QFile::remove(path);
    }
};

QUILLO_TEST_MAIN(TestLumoVisionStills)
#include "tst_LumoVisionStills.moc"
