#include "TestEnvironment.h"

#include "AnnotationImpl.h"
#include "CameraThrottleController.h"
#include "CameraWidget.h"
#include "CanvasView.h"
#include "DocCamManager.h"
#include "DocCamStream.h"
#include "VirtualCameraHub.h"
#include "VirtualDocCam.h"

namespace {

// Asks the stream for the next frame after each paint, as the camera service does.
class FrameThrottle : public CameraThrottleController
{
public:
    DocCamStream *stream = nullptr;
    void requestNextFrame(CameraWidget *) override
    {
        if (stream)
            stream->requestNextFrame();
    }
};

bool isMagenta(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) < 60 && qBlue(pixel) > 200;
}

} // namespace

class TestAnnotationOverCamera : public QObject
{
    Q_OBJECT
private slots:
    void freehandStrokeShowsOverLivePicture();
};

void TestAnnotationOverCamera::freehandStrokeShowsOverLivePicture()
{
    DocCamManager *manager = DocCamManager::getDocCamManager({});
    manager->retain();
    VirtualCameraProfile profile;
    profile.identity.format = DocCamFormat{VirtualCameraProfile::PixelFormatRgb32, 320, 240, 30};
    VirtualDocCam *camera = VirtualCameraHub::instance()->addCamera(profile);

    FrameThrottle throttle;
    CameraWidget live(&throttle, nullptr);
    live.resize(320, 240);
    live.show();
    QVERIFY(QTest::qWaitForWindowExposed(&live));
    QCOMPARE(camera->openDocCamStream(0, camera->format(), &live, &throttle.stream, nullptr), 0);
    QCOMPARE(throttle.stream->start(), 0);
    throttle.stream->activate();
    live.update();
    QTRY_VERIFY(!live.frame().getQImage().isNull());

    AnnotationIntf *service = AnnotationImpl::getInstance();
    auto *surface = static_cast<CanvasView *>(service->createCanvas(320, 240, &live, 0, false));
    QVERIFY(surface);
    surface->show();
    service->setFreehandColor(QColor(255, 0, 255));
    service->switchToFreehand();
    QWidget *port = surface->viewport();
    QTest::mousePress(port, Qt::LeftButton, {}, surface->mapFromScene(QPointF(60, 120)));
    for (int x = 80; x <= 260; x += 20)
        QTest::mouseMove(port, surface->mapFromScene(QPointF(x, 120)));
    QTest::mouseRelease(port, Qt::LeftButton, {}, surface->mapFromScene(QPointF(260, 120)));
    QCOMPARE(surface->scene()->items().size(), 1);

    // The surface alone: the stroke on a transparent picture.
    const QImage drawing = service->renderCanvasImage(surface);
    const QPoint onStroke = surface->mapFromScene(QPointF(160, 120));
    QVERIFY(isMagenta(drawing.pixel(onStroke)));
    QCOMPARE(qAlpha(drawing.pixel(surface->mapFromScene(QPointF(160, 40)))), 0);

    // The window as the presenter sees it: the stroke over the live picture, which shows elsewhere.
    const QImage seen = live.grab().toImage();
    QVERIFY(isMagenta(seen.pixel(surface->mapTo(&live, onStroke))));
    const QImage frame = live.frame().getQImage().scaled(live.size());
    const QPoint away(160, 40);
    QVERIFY(!isMagenta(seen.pixel(away)));
    QCOMPARE(seen.pixel(away), frame.convertToFormat(seen.format()).pixel(away));

    service->release();
    VirtualCameraHub::instance()->removeCamera(camera);
    throttle.stream->release();
    throttle.stream = nullptr;
    manager->release();
}

QUILLO_TEST_MAIN(TestAnnotationOverCamera)
#include "tst_AnnotationOverCamera.moc"
