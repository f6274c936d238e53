#include "CameraCodes.h"
#include "CameraThrottleController.h"
#include "CameraWidget.h"
#include "CameraWidgetDelegate.h"
#include "DocCamManager.h"
#include "DocCamStream.h"
#include "TestEnvironment.h"
#include "VirtualCameraHub.h"
#include "VirtualDocCam.h"

#include <QPaintEvent>
#include <QtTest>

namespace {

class Owner : public CameraThrottleController, public CameraWidgetDelegate
{
public:
    int requests = 0;
    int firstFrames = 0;
    DocCamStream *stream = nullptr;

    void requestNextFrame(CameraWidget *) override
    {
        ++requests;
        if (stream)
            stream->requestNextFrame();
    }
    void firstFrameArrived(CameraWidget *) override { ++firstFrames; }
};

// Records the region each paint was asked to cover.
class RecordingWidget : public CameraWidget
{
public:
    using CameraWidget::CameraWidget;
    QList<QRegion> paints;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        paints.append(event->region());
        CameraWidget::paintEvent(event);
    }
};

CameraImage picture(int width, int height, QRgb colour = qRgb(20, 90, 160))
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return CameraImage(image);
}

} // namespace

class TestCameraWidget : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void targetRectangleKeepsTheAspect_data()
    {
        QTest::addColumn<QSize>("widget");
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QRect>("target");
        QTest::newRow("wider view") << QSize(800, 400) << QSize(640, 480) << QRect(133, 0, 533, 400);
        QTest::newRow("taller view") << QSize(400, 800) << QSize(640, 480) << QRect(0, 250, 400, 300);
        QTest::newRow("same aspect") << QSize(640, 360) << QSize(1920, 1080) << QRect(0, 0, 640, 360);
        QTest::newRow("portrait frame") << QSize(640, 360) << QSize(1080, 1920) << QRect(219, 0, 202, 360);
    }
    void targetRectangleKeepsTheAspect()
    {
        QFETCH(QSize, widget);
        QFETCH(QSize, frame);
        QFETCH(QRect, target);
        Owner owner;
        CameraWidget view(&owner, nullptr);
        view.resize(widget);
        view.oneFrameFetched(nullptr, picture(frame.width(), frame.height()));
        QCOMPARE(view.targetRect(), target);
    }

    void sameAspectKeepsTheRectangleAndTheDelegateHearsOnce()
    {
        Owner owner;
        CameraWidget view(&owner, nullptr);
        view.setDelegate(&owner);
        view.resize(800, 400);
        view.oneFrameFetched(nullptr, picture(1280, 960));
        const QRect first = view.targetRect();
        view.oneFrameFetched(nullptr, picture(640, 480));
        QCOMPARE(view.targetRect(), first);
        QCOMPARE(owner.firstFrames, 1);

        view.oneFrameFetched(nullptr, CameraImage());
        QVERIFY(view.frame().getQImage().isNull());
        QCOMPARE(view.targetRect(), first);
        view.oneFrameFetched(nullptr, picture(640, 360));
        QCOMPARE(owner.firstFrames, 2);
        QCOMPARE(view.targetRect().size(), QSize(711, 400));
    }

    void connectingBar()
    {
        Owner owner;
        CameraWidget view(&owner, nullptr);
        view.resize(400, 300);
        view.show();
        view.setInitializing(true);
        QVERIFY(view.initBar()->isVisible());
        view.oneFrameFetched(nullptr, picture(64, 48));
        QVERIFY(!view.isInitializing());
        QVERIFY(!view.initBar()->isVisible());
        view.setInitializing(true);
        QVERIFY(!view.initBar()->isVisible());
        view.setInitializing(false);
        QVERIFY(!view.initBar()->isVisible());
    }

    void streamStops_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("status");
        QTest::newRow("device gone") << CameraCodes::DeviceGone << "Camera not connected";
        QTest::newRow("other stop") << CameraCodes::DeviceError << "Camera in use";
    }
    void streamStops()
    {
        QFETCH(int, code);
        QFETCH(QString, status);
        Owner owner;
        CameraWidget view(&owner, nullptr);
        CameraWidget mirror(&owner, nullptr);
        view.setMirrorWidget(&mirror);
        view.setStatusText(QStringLiteral("Camera in use"));
        mirror.setStatusText(QStringLiteral("Camera in use"));
        view.oneFrameFetched(nullptr, picture(64, 48));
        QVERIFY(!mirror.frame().getQImage().isNull());
        view.streamStopped(nullptr, code);
        QVERIFY(view.frame().getQImage().isNull());
        QCOMPARE(view.statusText(), status);
        QVERIFY(mirror.frame().getQImage().isNull());
        QCOMPARE(mirror.statusText(), status);
    }

    void mirrorOfItselfDoesNotForward()
    {
        Owner owner;
        CameraWidget view(&owner, nullptr);
        view.setMirrorWidget(&view);
        view.oneFrameFetched(nullptr, picture(64, 48));
        view.streamStopped(nullptr, CameraCodes::DeviceGone);
        QVERIFY(view.frame().getQImage().isNull());
    }

    void paintingDrawsTheFrameOrTheGradientAndAsksForMore()
    {
        Owner owner;
        CameraWidget view(&owner, nullptr);
        view.resize(200, 100);
        view.setStatusText(QString());
        QImage empty = view.grab().toImage();
        QCOMPARE(owner.requests, 1);
        QCOMPARE(QColor(empty.pixel(5, 0)).red(), 255);
        QVERIFY(qAbs(QColor(empty.pixel(5, 99)).red() - 204) <= 3);

        view.oneFrameFetched(nullptr, picture(100, 100, qRgb(255, 0, 0)));
        const QImage shown = view.grab().toImage();
        QCOMPARE(owner.requests, 2);
        QCOMPARE(shown.pixel(100, 50), qRgb(255, 0, 0));
    }

    void clearedPictureRepaintsTheWholeView()
    {
        Owner owner;
        RecordingWidget view(&owner, nullptr);
        view.resize(400, 100);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.oneFrameFetched(nullptr, picture(100, 100));
        QTRY_VERIFY(!view.paints.isEmpty());
        view.paints.clear();
        view.oneFrameFetched(nullptr, CameraImage());
        QTRY_VERIFY(!view.paints.isEmpty());
        QCOMPARE(view.paints.last().boundingRect(), view.rect());
    }

    void liveStreamFromTheVirtualCamera()
    {
        DocCamManager *manager = DocCamManager::getDocCamManager({});
        manager->retain();
        VirtualCameraProfile profile;
        profile.identity.format = DocCamFormat{VirtualCameraProfile::PixelFormatRgb32, 320, 240, 30};
        VirtualDocCam *camera = VirtualCameraHub::instance()->addCamera(profile);

        Owner owner;
        CameraWidget view(&owner, nullptr);
        view.setDelegate(&owner);
        view.resize(320, 240);
        view.show();
        QCOMPARE(camera->openDocCamStream(0, camera->format(), &view, &owner.stream, nullptr), 0);
        QCOMPARE(owner.stream->start(), 0);
        owner.stream->activate();
        view.setInitializing(true);
        QTRY_COMPARE(owner.firstFrames, 1);
        QTRY_VERIFY(owner.requests > 5);

        VirtualCameraHub::instance()->removeCamera(camera);
        QTRY_VERIFY(view.frame().getQImage().isNull());
        QCOMPARE(view.statusText(), QStringLiteral("Camera not connected"));
        owner.stream->release();
        owner.stream = nullptr;
        manager->release();
    }
};

QUILLO_TEST_MAIN(TestCameraWidget)
#include "tst_CameraWidget.moc"
