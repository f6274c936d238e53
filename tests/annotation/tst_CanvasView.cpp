#include "TestEnvironment.h"

#include "Canvas.h"
#include "CanvasView.h"

#include <QGraphicsRectItem>
#include <QKeyEvent>
#include <QScrollBar>

namespace {

constexpr int kOverlayFlags = CanvasView::TRANSPARENT | CanvasView::NO_SCROLL_BARS;

// A shown window holding one view, so that resizes reach the view at once.
struct Surface
{
    Surface(Canvas &canvas, int flags, QSize size)
    {
        view = new CanvasView(64, &flags, &window);
        view->setFrameShape(QFrame::NoFrame);
        view->attachCanvas(&canvas);
        view->resize(size);
        window.resize(size);
        window.show();
    }
    QWidget window;
    CanvasView *view;
};

// Where a point of the camera picture shown at viewport position v goes when the camera changes: the
// camera zooms, mirrors and turns its picture about the picture's centre c.
QPointF cameraMoves(const QPointF &v, const QPointF &c, double zoom, bool mirrored, double rotation)
{
    QTransform t;
    t.translate(c.x(), c.y());
    t.rotate(rotation);
    t.scale(mirrored ? -zoom : zoom, zoom);
    t.translate(-c.x(), -c.y());
    return t.map(v);
}

class KeyRecorder : public QGraphicsRectItem
{
public:
    KeyRecorder()
        : QGraphicsRectItem(0, 0, 10, 10)
    {
        setFlag(ItemIsFocusable);
    }
    void keyPressEvent(QKeyEvent *event) override { keys << event->key(); }
    QList<int> keys;
};

bool near(const QPointF &a, const QPointF &b)
{
    return QLineF(a, b).length() < 1.0;
}

} // namespace

class TestCanvasView : public QObject
{
    Q_OBJECT
private slots:
    void transparentViewDimsTheScene();
    void followZoomScalesRelativeToBase();
    void followTransform_data();
    void followTransform();
    void emptyCanvasOnlyRecordsBase();
    void drawingsStayOnThePicture();
    void firstTallResizeSetsSceneRect();
    void fitToViewFillsViewport();
    void setViewScaleWithSameScaleKeepsTransform();
    void navigationKeysDoNotScroll_data();
    void navigationKeysDoNotScroll();
    void resetViewTransformKeepsBase();
};

void TestCanvasView::transparentViewDimsTheScene()
{
    Canvas canvas;
    const int flags = kOverlayFlags;
    CanvasView view(300, &flags);
    QCOMPARE(view.dimAlpha(), 255);
    view.attachCanvas(&canvas);
    QCOMPARE(canvas.backgroundBrush(), QBrush(QColor(0, 0, 0, 255), Qt::SolidPattern));
    QVERIFY(view.viewport()->testAttribute(Qt::WA_NoSystemBackground));
    view.setDimAlpha(0);
    QCOMPARE(canvas.backgroundBrush().style(), Qt::NoBrush);
    QCOMPARE(view.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

void TestCanvasView::followZoomScalesRelativeToBase()
{
    Canvas canvas;
    const int flags = 0;
    CanvasView view(0, &flags);
    view.attachCanvas(&canvas);
    view.followZoom(2.0); // recorded as the base while the canvas is empty
    QCOMPARE(view.viewScale(), 1.0);
    view.setHasAnnotations(true);
    const QTransform before = view.transform();
    view.followZoom(0.0);
    view.followZoom(1e-9);
    QCOMPARE(view.transform(), before);
    view.followZoom(3.0);
    QCOMPARE(view.viewScale(), 1.5);
    QCOMPARE(view.transform().m11(), 1.5);
    view.followZoom(2.0);
    QCOMPARE(view.viewScale(), 1.0);
    QCOMPARE(view.transform(), before);
}

void TestCanvasView::followTransform_data()
{
    QTest::addColumn<double>("baseRotation");
    QTest::addColumn<double>("rotation");
    QTest::addColumn<bool>("mirror");
    QTest::addColumn<QTransform>("expected");
    QTest::newRow("rotate 90") << 0.0 << 90.0 << false << QTransform().rotate(90);
    QTest::newRow("mirror") << 0.0 << 0.0 << true << QTransform().scale(-1, 1);
    QTest::newRow("rotate 90 then mirror") << 0.0 << 90.0 << true << QTransform().scale(-1, 1).rotate(-90);
    QTest::newRow("base 90: mirror flips vertically") << 90.0 << 180.0 << true << QTransform().scale(1, -1).rotate(-90);
    QTest::newRow("base 270: mirror flips vertically") << 270.0 << 270.0 << true << QTransform().scale(1, -1);
    QTest::newRow("rotate 180") << 0.0 << 180.0 << false << QTransform().rotate(180);
}

void TestCanvasView::followTransform()
{
    QFETCH(double, baseRotation);
    QFETCH(double, rotation);
    QFETCH(bool, mirror);
    QFETCH(QTransform, expected);
    Canvas canvas;
    const int flags = 0;
    CanvasView view(0, &flags);
    view.attachCanvas(&canvas);
    view.followRotation(baseRotation);
    view.setHasAnnotations(true);
    view.followRotation(rotation);
    view.followMirror(mirror);
    QCOMPARE(view.viewRotation(), rotation - baseRotation);
    QCOMPARE(view.isMirrored(), mirror);
    const QTransform actual = view.transform();
    for (const QPointF &p : {QPointF(1, 0), QPointF(0, 1), QPointF(3, -2)})
        QVERIFY2(near(actual.map(p), expected.map(p)), qPrintable(QStringLiteral("at %1,%2").arg(p.x()).arg(p.y())));
}

void TestCanvasView::emptyCanvasOnlyRecordsBase()
{
    Canvas canvas;
    const int flags = 0;
    CanvasView view(0, &flags);
    view.attachCanvas(&canvas);
    view.followZoom(4.0);
    view.followRotation(90);
    view.followMirror(true);
    QVERIFY(view.transform().isIdentity());
    // From the first drawing on, changes are relative to what was recorded.
    view.setHasAnnotations(true);
    view.followMirror(true);
    view.followRotation(90);
    view.followZoom(4.0);
    QVERIFY(view.transform().isIdentity());
    QVERIFY(!view.isMirrored());
}

void TestCanvasView::drawingsStayOnThePicture()
{
    Canvas canvas;
    Surface surface(canvas, kOverlayFlags, QSize(800, 600));
    CanvasView *view = surface.view;
    QCOMPARE(canvas.sceneRect(), QRectF(0, 0, 800, 600));
    view->followZoom(1.0);
    view->followRotation(0);
    view->followMirror(false);
    const QPointF drawn(200, 150); // a stroke's point, in scene coordinates
    const QPointF centre(400, 300);
    const QPointF start = view->viewportTransform().map(drawn);
    QVERIFY(near(start, drawn));
    view->setHasAnnotations(true);

    struct Step
    {
        double zoom;
        bool mirrored;
        double rotation;
    };
    const QList<Step> steps{{1.5, false, 0},   {2.0, false, 0},   {2.0, true, 0}, {2.0, true, 180},
                            {2.0, false, 180}, {1.0, false, 180}, {1.0, false, 0}};
    for (const Step &step : steps) {
        view->followZoom(step.zoom);
        view->followMirror(step.mirrored);
        view->followRotation(step.rotation);
        const QPointF expected = cameraMoves(start, centre, step.zoom, step.mirrored, step.rotation);
        const QPointF actual = view->viewportTransform().map(drawn);
        QVERIFY2(near(actual, expected),
                 qPrintable(QStringLiteral("zoom %1 mirror %2 rotation %3: (%4, %5) not (%6, %7)")
                                .arg(step.zoom)
                                .arg(step.mirrored)
                                .arg(step.rotation)
                                .arg(actual.x())
                                .arg(actual.y())
                                .arg(expected.x())
                                .arg(expected.y())));
    }
    QVERIFY(near(view->viewportTransform().map(drawn), start));
}

void TestCanvasView::firstTallResizeSetsSceneRect()
{
    Canvas canvas;
    Surface surface(canvas, kOverlayFlags, QSize(800, 200));
    QCOMPARE(canvas.sceneRect(), QRectF(0, 0, 1024, 768));
    surface.view->resize(800, 239);
    QCOMPARE(surface.view->height(), 239);
    QCOMPARE(canvas.sceneRect(), QRectF(0, 0, 1024, 768));
    surface.view->resize(800, 600);
    QCOMPARE(canvas.sceneRect(), QRectF(0, 0, 800, 600));
    surface.view->resize(1024, 768);
    QCOMPARE(canvas.sceneRect(), QRectF(0, 0, 800, 600));
}

void TestCanvasView::fitToViewFillsViewport()
{
    Canvas canvas;
    Surface surface(canvas, CanvasView::NO_SCROLL_BARS, QSize(800, 600));
    canvas.setSceneRect(0, 0, 400, 100); // after the first resize, which sizes the scene to the view
    CanvasView *view = surface.view;
    view->fitToView();
    QCOMPARE(view->fitMode(), int(CanvasView::FIT_WHOLE));
    QCOMPARE(view->viewScale(), 2.0);
    view->fitToViewSide(false);
    QCOMPARE(view->fitMode(), int(CanvasView::FIT_HEIGHT));
    QCOMPARE(view->viewScale(), 6.0);
    view->fitToViewSide(true);
    QCOMPARE(view->fitMode(), int(CanvasView::FIT_WIDTH));
    QCOMPARE(view->viewScale(), 2.0);
    // A turned view fits the turned scene rect.
    view->followRotation(0);
    view->setHasAnnotations(true);
    view->followRotation(90);
    view->fitToView();
    QCOMPARE(view->viewScale(), 1.5);
}

void TestCanvasView::setViewScaleWithSameScaleKeepsTransform()
{
    Canvas canvas;
    Surface surface(canvas, kOverlayFlags, QSize(800, 600));
    CanvasView *view = surface.view;
    QCOMPARE(view->fitMode(), int(CanvasView::FIT_WHOLE));
    const QTransform before = view->transform();
    view->setViewScale(view->viewScale() * (1 + 1e-14));
    QCOMPARE(view->fitMode(), int(CanvasView::FIT_NONE));
    QCOMPARE(view->transform(), before);
    view->setViewScale(0);
    QCOMPARE(view->transform(), before);
}

void TestCanvasView::navigationKeysDoNotScroll_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("passedOn"); // else it reaches the scene's focus item
    QTest::newRow("left") << int(Qt::Key_Left) << true;
    QTest::newRow("down") << int(Qt::Key_Down) << true;
    QTest::newRow("home") << int(Qt::Key_Home) << true;
    QTest::newRow("page down") << int(Qt::Key_PageDown) << true;
    QTest::newRow("letter") << int(Qt::Key_A) << false;
}

void TestCanvasView::navigationKeysDoNotScroll()
{
    QFETCH(int, key);
    QFETCH(bool, passedOn);
    Canvas canvas;
    canvas.setSceneRect(0, 0, 4000, 4000);
    const int flags = CanvasView::NO_SCROLL_BARS;
    CanvasView view(0, &flags);
    view.attachCanvas(&canvas);
    view.resize(200, 200);
    auto *recorder = new KeyRecorder;
    canvas.addItem(recorder);
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&canvas, &activate);
    canvas.setFocusItem(recorder);
    const int before = view.verticalScrollBar()->value();
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &event);
    QCOMPARE(view.verticalScrollBar()->value(), before);
    QCOMPARE(!event.isAccepted(), passedOn);
    QCOMPARE(recorder->keys.isEmpty(), passedOn);
}

void TestCanvasView::resetViewTransformKeepsBase()
{
    Canvas canvas;
    const int flags = 0;
    CanvasView view(0, &flags);
    view.attachCanvas(&canvas);
    view.followZoom(2.0);
    view.setHasAnnotations(true);
    view.followZoom(4.0);
    view.followRotation(30);
    view.resetViewTransform();
    QVERIFY(view.transform().isIdentity());
    QCOMPARE(view.viewScale(), 1.0);
    QCOMPARE(view.viewRotation(), 0.0);
    view.followZoom(3.0); // still relative to the recorded base of 2.0
    QCOMPARE(view.viewScale(), 1.5);
}

QUILLO_TEST_MAIN(TestCanvasView)
#include "tst_CanvasView.moc"
