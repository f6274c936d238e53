#include "TestEnvironment.h"

#include "Canvas.h"
#include "ShapeGraphic.h"

#include <QGraphicsView>
#include <QScopeGuard>

namespace {

QList<QPointF> pointsOf(const QPainterPath &path)
{
    QList<QPointF> points;
    for (int i = 0; i < path.elementCount(); ++i)
        points << QPointF(path.elementAt(i).x, path.elementAt(i).y);
    return points;
}

} // namespace

class TestShapeGraphic : public QObject
{
    Q_OBJECT
private slots:
    void everyKindFillsTheUnitSquare();
    void unknownKindCannotStart();
    void dragStretchesShape_data();
    void dragStretchesShape();
    void triangleCorners();
    void pentagonTouchesTopAndBottom();
    void kindChangeKeepsBoxAndJoin();
    void hitTestFollowsSelection();
    void shownShapeFollowsChanges();
};

void TestShapeGraphic::everyKindFillsTheUnitSquare()
{
    for (int kind = 0; kind < ShapeGraphic::KIND_COUNT; ++kind) {
        const QRectF bounds = ShapeGraphic::buildPath(kind).boundingRect();
        QVERIFY2(qAbs(bounds.left()) < 1e-6 && qAbs(bounds.top()) < 1e-6 && qAbs(bounds.right() - 1) < 1e-6
                     && qAbs(bounds.bottom() - 1) < 1e-6,
                 qPrintable(QStringLiteral("kind %1").arg(kind)));
    }
}

void TestShapeGraphic::unknownKindCannotStart()
{
    ShapeGraphic shape(18);
    QVERIFY(!shape.startDrawing(QPointF(5, 5)));
    QVERIFY(!shape.continueDrawing(QPointF(50, 50)));
    QVERIFY(shape.path().isEmpty());
}

void TestShapeGraphic::dragStretchesShape_data()
{
    QTest::addColumn<QPointF>("to");
    QTest::addColumn<bool>("freeAspect");
    QTest::addColumn<QRectF>("bounds");
    QTest::newRow("free, up-left") << QPointF(40, 200) << true << QRectF(40, 100, 60, 100);
    QTest::newRow("square, up-left") << QPointF(40, 200) << false << QRectF(40, 100, 60, 60);
    QTest::newRow("square, down-right") << QPointF(130, 200) << false << QRectF(100, 100, 30, 30);
    QTest::newRow("not moved") << QPointF(100, 100) << true << QRectF(100, 100, 1, 1);
}

void TestShapeGraphic::dragStretchesShape()
{
    QFETCH(QPointF, to);
    QFETCH(bool, freeAspect);
    QFETCH(QRectF, bounds);
    ShapeGraphic shape(ShapeGraphic::RECTANGLE);
    QVERIFY(shape.startDrawing(QPointF(100, 100)));
    QCOMPARE(shape.path().boundingRect(), QRectF(100, 100, 1, 1));
    shape.setFreeAspect(freeAspect);
    QVERIFY(shape.continueDrawing(to));
    shape.finishDrawing();
    QVERIFY(!shape.isDrawing());
    QCOMPARE(shape.path().boundingRect(), bounds);
    QCOMPARE(shape.pos(), QPointF(0, 0));
}

void TestShapeGraphic::triangleCorners()
{
    ShapeGraphic shape(ShapeGraphic::TRIANGLE);
    shape.startDrawing(QPointF(10, 10));
    shape.continueDrawing(QPointF(110, 60));
    const QList<QPointF> points = pointsOf(shape.path());
    QCOMPARE(points.mid(0, 3), (QList<QPointF>{{60, 10}, {110, 60}, {10, 60}}));
}

void TestShapeGraphic::pentagonTouchesTopAndBottom()
{
    ShapeGraphic shape(ShapeGraphic::PENTAGON);
    shape.startDrawing(QPointF(0, 0));
    shape.continueDrawing(QPointF(200, 100));
    const QList<QPointF> points = pointsOf(shape.path()).mid(0, 5);
    int onTop = 0;
    int onBottom = 0;
    for (const QPointF &p : points) {
        onTop += qAbs(p.y()) < 1e-9;
        onBottom += qAbs(p.y() - 100) < 1e-9;
    }
    QCOMPARE(onTop, 1);
    QCOMPARE(onBottom, 2);
    QCOMPARE(shape.path().boundingRect(), QRectF(0, 0, 200, 100));
}

void TestShapeGraphic::kindChangeKeepsBoxAndJoin()
{
    ShapeGraphic shape(ShapeGraphic::RECTANGLE);
    shape.setPen(QPen(QBrush(Qt::black), 4, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin));
    shape.startDrawing(QPointF(10, 20));
    shape.continueDrawing(QPointF(110, 80));
    shape.finishDrawing();
    shape.setSelected(true);
    const QRectF box = shape.path().boundingRect();
    shape.setShapeKind(ShapeGraphic::ELLIPSE);
    QCOMPARE(shape.shapeKind(), int(ShapeGraphic::ELLIPSE));
    QCOMPARE(shape.path().boundingRect(), box);
    QCOMPARE(shape.pen().joinStyle(), Qt::RoundJoin);
    shape.setShapeKind(ShapeGraphic::STAR);
    QCOMPARE(shape.pen().joinStyle(), Qt::MiterJoin);
    QVERIFY(qAbs(shape.path().boundingRect().width() - box.width()) < 1e-9);
}

void TestShapeGraphic::hitTestFollowsSelection()
{
    Canvas canvas;
    auto *shape = new ShapeGraphic(ShapeGraphic::RECTANGLE);
    shape->setPen(QPen(Qt::black, 4));
    shape->startDrawing(QPointF(100, 100));
    shape->continueDrawing(QPointF(300, 200));
    shape->finishDrawing();
    canvas.addItem(shape);
    const QPointF inside(200, 150);
    const QPointF onOutline(100, 150);
    QVERIFY(!shape->contains(inside));
    QVERIFY(shape->contains(onOutline));
    shape->setSelected(true);
    QVERIFY(shape->contains(inside));
    shape->setSelected(false);
    shape->setBrush(QBrush(Qt::yellow));
    QVERIFY(shape->contains(inside));
}

// A still shape is shown from a cached picture: every change must still reach the screen.
void TestShapeGraphic::shownShapeFollowsChanges()
{
    Canvas::setClipToScene(false);
    auto restoreClip = qScopeGuard([] { Canvas::setClipToScene(true); });
    Canvas canvas;
    canvas.setSceneRect(0, 0, 200, 200);
    auto *shape = new ShapeGraphic(0);
    shape->setPen(QPen(Qt::black, 2));
    shape->setBrush(Qt::red);
    canvas.addItem(shape);
    QVERIFY(shape->startDrawing(QPointF(20, 20)));
    QVERIFY(shape->continueDrawing(QPointF(100, 100)));
    shape->finishDrawing();
    QGraphicsView view(&canvas);
    view.setFrameShape(QFrame::NoFrame);
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.resize(200, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    auto colorAt = [&](const QPointF &scenePoint) {
        QCoreApplication::processEvents();
        return view.viewport()->grab().toImage().pixelColor(view.mapFromScene(scenePoint));
    };
    QCOMPARE(colorAt(QPointF(60, 60)), QColor(Qt::red));
    shape->setBrush(Qt::blue);
    QCOMPARE(colorAt(QPointF(60, 60)), QColor(Qt::blue));
    // Dragged out again, larger: the new area shows, not the old picture.
    QVERIFY(shape->startDrawing(QPointF(20, 20)));
    QVERIFY(shape->continueDrawing(QPointF(180, 180)));
    shape->finishDrawing();
    QCOMPARE(colorAt(QPointF(150, 150)), QColor(Qt::blue));
    // Turned about the scene's corner: a point left of the box before lies inside it after.
    QCOMPARE(colorAt(QPointF(5, 150)), QColor(Qt::white));
    shape->setRotation(45);
    QCOMPARE(colorAt(QPointF(5, 150)), QColor(Qt::blue));
}

QUILLO_TEST_MAIN(TestShapeGraphic)
#include "tst_ShapeGraphic.moc"
