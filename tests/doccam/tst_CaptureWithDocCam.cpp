#include "CameraWidget.h"
#include "CaptureImpl.h"
#include "DocCamServiceRig.h"
#include "ModalAnswerer.h"
#include "SettingImpl.h"
#include "TestEnvironment.h"
#include "VirtualCameraHub.h"
#include "VirtualDocCam.h"

#include <QImageReader>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

// The capture service over the real document-camera service and a virtual camera.
class TestCaptureWithDocCam : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DocCamServiceRig> m_rig;
    CaptureIntf *m_capture = nullptr;
    std::unique_ptr<QTemporaryDir> m_media;

    VirtualDocCam *plugAndStart()
    {
        VirtualCameraProfile profile = DocCamServiceRig::profile(QStringLiteral("Doc"), QSize(320, 240));
        profile.stillSize = QSize(640, 480);
        VirtualDocCam *camera = m_rig->plug(profile);
        m_rig->start();
        m_rig->service->showCameraWidget();
        return m_rig->waitOpen(QStringLiteral("Doc")) ? camera : nullptr;
    }

private Q_SLOTS:
    void init()
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

    void cleanup()
    {
        if (m_capture)
            m_capture->release();
        m_capture = nullptr;
        m_rig.reset();
    }

    void snapshotWithAndWithoutStills_data()
    {
        QTest::addColumn<int>("behaviour");
        QTest::addColumn<QSize>("saved");
        QTest::newRow("still delivered") << int(VirtualDocCam::StillBehaviour::Deliver) << QSize(640, 480);
        QTest::newRow("still refused") << int(VirtualDocCam::StillBehaviour::Refuse) << QSize(320, 240);
        QTest::newRow("still never comes") << int(VirtualDocCam::StillBehaviour::Never) << QSize(320, 240);
        QTest::newRow("null still") << int(VirtualDocCam::StillBehaviour::DeliverNull) << QSize(320, 240);
    }
    void snapshotWithAndWithoutStills()
    {
        QFETCH(int, behaviour);
        QFETCH(QSize, saved);
        VirtualDocCam *camera = plugAndStart();
        QVERIFY(camera);
        camera->setStillBehaviour(VirtualDocCam::StillBehaviour(behaviour), DocCamServiceRig::kStillDelayMs);
        m_capture = CaptureImpl::getInstance();
        QCOMPARE(m_capture->actionStatus(), 7u);
        QSignalSpy snapshots(m_capture, &CaptureIntf::docCamImageCaptured);
        QString path;
        QCOMPARE(m_capture->captureVision(&path), 0);
        QCOMPARE(snapshots.count(), 1);
        QCOMPARE(snapshots.first().at(0).toString(), path);
        QCOMPARE(QImageReader(path).size(), saved);
        QCOMPARE(QDir(m_media->path()).entryList({QStringLiteral("*.jpg")}).size(), 1);
        QCOMPARE(m_capture->actionStatus(), 7u);
    }

    // Frames reach the stream only when the live view paints. With the view hidden (or minimised) a capture
    // still gets a picture of this moment, frozen, zoomed, mirrored and turned as the view would show it,
    // while the hidden view itself gets no frames.
    void capturesOfAHiddenViewAreFresh()
    {
        VirtualCameraProfile profile = DocCamServiceRig::profile(QStringLiteral("Doc"), QSize(320, 240));
        profile.capabilities.hqImage = false;
        m_rig->plug(profile);
        m_rig->start();
        QVERIFY(m_rig->waitOpen(QStringLiteral("Doc")));
        m_rig->service->hideCameraWidget();
        auto *view = static_cast<CameraWidget *>(m_rig->service->cameraWidget());
        const qint64 shown = view->frame().getQImage().cacheKey();
        m_capture = CaptureImpl::getInstance();
        QString first;
        QCOMPARE(m_capture->captureVision(&first), 0);
        QTest::qWait(500);
        QString second;
        QCOMPARE(m_capture->captureVision(&second), 0);
        const QImage a(first);
        const QImage b(second);
        QCOMPARE(a.size(), QSize(320, 240));
        QVERIFY2(a != b, "two captures 500 ms apart hold the same picture");
        QCOMPARE(view->frame().getQImage().cacheKey(), shown);

        // The software turn applies to the capture as to the view.
        QCOMPARE(m_rig->service->rotate(), 0);
        QTRY_COMPARE(m_rig->service->cameraWidgetSizeFor(QSize(240, 320)), QSize(240, 320));
        QString turned;
        QCOMPARE(m_capture->captureVision(&turned), 0);
        QCOMPARE(QImage(turned).size(), QSize(240, 320));
    }

    void unpluggingEndsASeries()
    {
        VirtualDocCam *camera = plugAndStart();
        QVERIFY(camera);
        m_capture = CaptureImpl::getInstance();
        QSignalSpy shots(m_capture, &CaptureIntf::oneTimeLapseImageCaptured);
        QSignalSpy aborted(m_capture, &CaptureIntf::timeLapseImageCaptureAborted);
        QCOMPARE(m_capture->toggleTimeLapseSetup(), 0);
        QCOMPARE(m_capture->setTimeLapseParameters(1000, 10), 0);
        QCOMPARE(m_capture->startTimeLapseCapture(), 0);
        QTRY_VERIFY(shots.count() >= 2);
        ModalAnswerer result(ModalAnswerer::clickButton(QStringLiteral("OK")));
        VirtualCameraHub::instance()->removeCamera(camera);
        QTRY_COMPARE(aborted.count(), 1);
        QVERIFY(result.answered());
        QCOMPARE(aborted.first().at(1).toInt(), -1000);
        const QList<QString> files = aborted.first().at(0).value<QList<QString>>();
        QVERIFY(files.size() >= 2);
        for (const QString &file : files)
            QVERIFY(QFile::exists(file));
        QCOMPARE(m_capture->actionStatus(), 1u);
        QString path;
        QCOMPARE(m_capture->captureVision(&path), -1000);
        QCOMPARE(m_capture->captureScreen(&path), 0);
    }
};

QUILLO_TEST_MAIN(TestCaptureWithDocCam)
#include "tst_CaptureWithDocCam.moc"
