#include "TestEnvironment.h"

#include "Canvas.h"
#include "FreehandGraphic.h"
#include "GraphicGeometry.h"
#include "ImageGraphic.h"
#include "LineGraphic.h"
#include "ShapeGraphic.h"
#include "TextGraphic.h"

#include <QPainter>

namespace {

ShapeGraphic *boxShape(const QRectF &rect)
{
    auto *shape = new ShapeGraphic(ShapeGraphic::RECTANGLE);
    shape->setPen(QPen(Qt::black, 2));
    shape->startDrawing(rect.topLeft());
    shape->continueDrawing(rect.bottomRight());
    shape->finishDrawing();
    return shape;
}

double turnOf(const QTransform &t)
{
    // The angle of the mapped x axis, with y down: clockwise positive.
    const QPointF x = t.map(QPointF(1, 0)) - t.map(QPointF(0, 0));
    return qRadiansToDegrees(std::atan2(x.y(), x.x()));
}

} // namespace

class TestBaseGraphic : public QObject
{
    Q_OBJECT
private slots:
    void scaleToIsAbsoluteAndIgnoresBadFactors_data();
    void scaleToIsAbsoluteAndIgnoresBadFactors();
    void rotateToIgnoresTinyTurns();
    void rotationSenseFollowsMirroring_data();
    void rotationSenseFollowsMirroring();
    void transformTurnsAboutCentre();
    void flipTwiceRestores();
    void capabilityMasksGateEdits();
    void anchorPathGeometry_data();
    void anchorPathGeometry();
    void pathAnchorsFromNearbyPoints_data();
    void pathAnchorsFromNearbyPoints();
    void clipFollowsCanvasFlag();
    void copyItemStateCopiesGraphicChildren();
    void geometryHelpers();
    void dragRectCases_data();
    void dragRectCases();
    void fileNameAndColours();
};

void TestBaseGraphic::scaleToIsAbsoluteAndIgnoresBadFactors_data()
{
    QTest::addColumn<QList<double>>("factors");
    QTest::addColumn<double>("scale");
    QTest::newRow("zero") << QList<double>{0} << 1.0;
    QTest::newRow("negative") << QList<double>{-2} << 1.0;
    QTest::newRow("same") << QList<double>{1} << 1.0;
    QTest::newRow("twice two") << QList<double>{2, 2} << 2.0;
    QTest::newRow("up then down") << QList<double>{3, 0.5} << 0.5;
}

void TestBaseGraphic::scaleToIsAbsoluteAndIgnoresBadFactors()
{
    QFETCH(QList<double>, factors);
    QFETCH(double, scale);
    QScopedPointer<ShapeGraphic> shape(boxShape(QRectF(0, 0, 100, 50)));
    for (double f : std::as_const(factors))
        shape->scaleTo(f);
    QCOMPARE(shape->graphicScale(), scale);
    QCOMPARE(shape->transform().m11(), scale);
    QCOMPARE(shape->transform().m22(), scale);
}

void TestBaseGraphic::rotateToIgnoresTinyTurns()
{
    QScopedPointer<ShapeGraphic> shape(boxShape(QRectF(0, 0, 100, 50)));
    shape->rotateTo(5e-9);
    QCOMPARE(shape->graphicRotation(), 0.0);
    QVERIFY(shape->transform().isIdentity());
    shape->rotateTo(30);
    shape->rotateTo(30 + 5e-9);
    QCOMPARE(shape->graphicRotation(), 30.0);
}

void TestBaseGraphic::rotationSenseFollowsMirroring_data()
{
    QTest::addColumn<bool>("mirrored");
    QTest::addColumn<bool>("flipped");
    QTest::addColumn<double>("shownTurn"); // after undoing the mirroring itself
    QTest::newRow("plain") << false << false << 30.0;
    QTest::newRow("mirrored") << true << false << -30.0;
    QTest::newRow("flipped") << false << true << -30.0;
    QTest::newRow("both") << true << true << 30.0;
}

void TestBaseGraphic::rotationSenseFollowsMirroring()
{
    QFETCH(bool, mirrored);
    QFETCH(bool, flipped);
    QFETCH(double, shownTurn);
    QScopedPointer<ShapeGraphic> shape(boxShape(QRectF(0, 0, 100, 50)));
    if (mirrored)
        shape->mirror();
    if (flipped)
        shape->flip();
    shape->rotateTo(30);
    // The transform is scale(sx, sy) then the turn: take the mirroring back out to see the turn.
    const QTransform t = shape->transform();
    const QTransform linear(t.m11(), t.m12(), t.m21(), t.m22(), 0, 0);
    const QTransform unmirrored = linear * QTransform::fromScale(mirrored ? -1 : 1, flipped ? -1 : 1);
    QCOMPARE(turnOf(unmirrored), shownTurn);
}

void TestBaseGraphic::transformTurnsAboutCentre()
{
    QScopedPointer<ShapeGraphic> shape(boxShape(QRectF(10, 20, 100, 50)));
    const QPointF centre = shape->boundingRect().center();
    shape->rotateTo(90);
    shape->scaleTo(2);
    shape->mirror();
    QCOMPARE(shape->transform().map(centre), centre);
}

void TestBaseGraphic::flipTwiceRestores()
{
    QScopedPointer<ShapeGraphic> shape(boxShape(QRectF(10, 20, 100, 50)));
    shape->rotateTo(20);
    const QTransform before = shape->transform();
    shape->flip();
    QVERIFY(shape->transform() != before);
    shape->flip();
    QCOMPARE(shape->transform(), before);
    shape->mirror();
    shape->mirror();
    QCOMPARE(shape->transform(), before);
}

void TestBaseGraphic::capabilityMasksGateEdits()
{
    TextGraphic text(QStringLiteral("note"));
    QCOMPARE(text.capabilities(), 0xFBF8u);
    text.setPen(QPen(Qt::red, 9));
    text.setBrush(QBrush(Qt::red));
    text.setStartAnchor(ANCHOR_ARROW);
    text.setShapeKind(3);
    QCOMPARE(text.pen().style(), Qt::NoPen);
    QCOMPARE(text.brush().style(), Qt::NoBrush);
    QCOMPARE(text.startAnchor(), 0);
    QCOMPARE(text.shapeKind(), 0);
    QVERIFY(text.setFontItalic(true));

    ImageGraphic image(QPixmap(20, 10));
    QCOMPARE(image.capabilities(), 0xF9F8u);
    QVERIFY(!image.setFontItalic(true));
    QVERIFY(!image.setTextColor(Qt::red));
    QVERIFY(!image.penColor().isValid());
    image.rotateTo(45); // the common edits still apply
    QCOMPARE(image.graphicRotation(), 45.0);

    QCOMPARE(ShapeGraphic(0).capabilities(), 0x2FDFDu);
    QCOMPARE(FreehandGraphic().capabilities(), 0x2F9FBu);
    QCOMPARE(LineGraphic().capabilities(), 0x2F9FBu);
    ShapeGraphic shape(0);
    shape.setStartAnchor(ANCHOR_ARROW); // shapes have no decorations
    QCOMPARE(shape.startAnchor(), 0);
}

void TestBaseGraphic::anchorPathGeometry_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QVector2D>("direction");
    QTest::addColumn<QRectF>("bounds");
    // Pen width 4 at (10, 10).
    QTest::newRow("arrow right") << int(ANCHOR_ARROW) << QVector2D(1, 0) << QRectF(8, 6, 6.4, 8);
    QTest::newRow("arrow down") << int(ANCHOR_ARROW) << QVector2D(0, 1) << QRectF(6, 8, 8, 6.4);
    QTest::newRow("square") << int(ANCHOR_SQUARE) << QVector2D(0, -1) << QRectF(6.8, 6.8, 6.4, 6.4);
    QTest::newRow("circle") << int(ANCHOR_CIRCLE) << QVector2D(1, 0) << QRectF(6, 6, 8, 8);
    QTest::newRow("diamond") << int(ANCHOR_DIAMOND) << QVector2D(0, -1)
                             << QRectF(10 - 3.2 * M_SQRT2, 10 - 3.2 * M_SQRT2, 6.4 * M_SQRT2, 6.4 * M_SQRT2);
    QTest::newRow("circle without direction") << int(ANCHOR_CIRCLE) << QVector2D() << QRectF();
    QTest::newRow("none") << int(ANCHOR_NONE) << QVector2D(1, 0) << QRectF();
    QTest::newRow("unknown kind") << 9 << QVector2D(1, 0) << QRectF();
}

void TestBaseGraphic::anchorPathGeometry()
{
    QFETCH(int, kind);
    QFETCH(QVector2D, direction);
    QFETCH(QRectF, bounds);
    const QPainterPath path = BaseGraphic::anchorPath(4, kind, QPointF(10, 10), direction);
    const QRectF actual = path.boundingRect();
    QVERIFY2(
        qAbs(actual.left() - bounds.left()) < 1e-4 && qAbs(actual.top() - bounds.top()) < 1e-4
            && qAbs(actual.width() - bounds.width()) < 1e-4 && qAbs(actual.height() - bounds.height()) < 1e-4,
        qPrintable(
            QStringLiteral("%1 %2 %3 %4").arg(actual.x()).arg(actual.y()).arg(actual.width()).arg(actual.height())));
    if (kind == ANCHOR_ARROW && direction == QVector2D(1, 0)) {
        QCOMPARE(path.elementAt(0).x, 14.4);
        QCOMPARE(QPointF(path.elementAt(1).x, path.elementAt(1).y), QPointF(8, 14));
        QCOMPARE(QPointF(path.elementAt(2).x, path.elementAt(2).y), QPointF(8, 6));
    }
}

void TestBaseGraphic::pathAnchorsFromNearbyPoints_data()
{
    QTest::addColumn<QList<QPointF>>("points");
    QTest::addColumn<QVector2D>("startDirection");
    QTest::addColumn<QVector2D>("endDirection");
    // Pen width 4: points within 4 units of an end steer its direction.
    QTest::newRow("far second points use the outermost pair")
        << QList<QPointF>{{0, 0}, {10, 10}, {20, 0}, {30, 10}} << QVector2D(-1, -1).normalized()
        << QVector2D(1, 1).normalized();
    QTest::newRow("near points are averaged, nearest weighing most")
        << QList<QPointF>{{0, 0}, {1, 0}, {2, 1}, {30, 30}, {31, 31}, {32, 31}}
        << QVector2D(-4.0f / 3, -1.0f / 3).normalized() << QVector2D(4.0f / 3, 1.0f / 3).normalized();
    QTest::newRow("one end near, the other far: both use the outermost pair")
        << QList<QPointF>{{0, 0}, {2, 0}, {3, 1}, {20, 20}} << QVector2D(-1, 0) << QVector2D(17, 19).normalized();
}

void TestBaseGraphic::pathAnchorsFromNearbyPoints()
{
    QFETCH(QList<QPointF>, points);
    QFETCH(QVector2D, startDirection);
    QFETCH(QVector2D, endDirection);
    FreehandGraphic stroke;
    stroke.setPen(QPen(Qt::black, 4));
    QPainterPath path(points.first());
    for (int i = 1; i < points.size(); ++i)
        path.lineTo(points.at(i));
    stroke.setPath(path);
    QCOMPARE(stroke.anchors().size(), 1);
    const AnchorRecord record = stroke.anchors().first();
    QCOMPARE(record.startPoint, points.first());
    QCOMPARE(record.endPoint, points.last());
    QVERIFY(qFuzzyCompare(record.startDirection, startDirection));
    QVERIFY(qFuzzyCompare(record.endDirection, endDirection));
}

void TestBaseGraphic::clipFollowsCanvasFlag()
{
    Canvas canvas;
    auto *shape = boxShape(QRectF(900, 700, 300, 200)); // sticks out of the 1024 x 768 canvas
    canvas.addItem(shape);
    QImage image(1200, 1000, QImage::Format_ARGB32);
    QPainter painter(&image);
    Canvas::setClipToScene(true);
    shape->clipPainterToScene(&painter);
    QVERIFY(painter.hasClipping());
    QCOMPARE(painter.clipBoundingRect(), QRectF(899, 699, 125, 69));
    painter.setClipping(false);
    Canvas::setClipToScene(false);
    shape->clipPainterToScene(&painter);
    QVERIFY(!painter.hasClipping());
    Canvas::setClipToScene(true);
}

void TestBaseGraphic::copyItemStateCopiesGraphicChildren()
{
    auto *parent = boxShape(QRectF(0, 0, 50, 50));
    parent->setPos(5, 6);
    parent->setOpacity(0.5);
    parent->setZValue(3);
    parent->rotateTo(15);
    auto *childLine = new LineGraphic(parent);
    childLine->setPen(QPen(Qt::blue, 3));
    childLine->startDrawing(QPointF(0, 0));
    childLine->continueDrawing(QPointF(10, 0));
    childLine->finishDrawing();
    new QGraphicsRectItem(0, 0, 5, 5, parent);                   // not a graphic: not copied
    auto *lookalike = new QGraphicsLineItem(0, 0, 5, 5, parent); // the line type code, but not a graphic
    Q_UNUSED(lookalike);
    QScopedPointer<ShapeGraphic> source(parent);
    ShapeGraphic copy(*source);
    QCOMPARE(copy.pos(), QPointF(5, 6));
    QCOMPARE(copy.opacity(), 0.5);
    QCOMPARE(copy.zValue(), 3.0);
    QCOMPARE(copy.transform(), source->transform());
    QCOMPARE(copy.graphicRotation(), 15.0);
    QCOMPARE(copy.path(), source->path());
    QCOMPARE(copy.pen(), source->pen());
    QVERIFY(!copy.isDrawing());
    QCOMPARE(copy.childItems().size(), 1);
    auto *copiedLine = dynamic_cast<LineGraphic *>(copy.childItems().first());
    QVERIFY(copiedLine && copiedLine != childLine);
    QCOMPARE(copiedLine->line(), childLine->line());
    QCOMPARE(copiedLine->pen(), childLine->pen());
}

void TestBaseGraphic::geometryHelpers()
{
    QVERIFY(fuzzyEqual(1.0, 1.0 + 5e-9));
    QVERIFY(!fuzzyEqual(1.0, 1.0 + 1e-8 * 1.5));
    QVERIFY(fuzzyIsZero(-9e-9));
    QVERIFY(fuzzyIsOne(1 - 9e-9));
    QCOMPARE(squaredDistance(QPointF(1, 2), QPointF(4, 6)), 25.0);
    QVector2D v(1, -2);
    negateVector(v);
    QCOMPARE(v, QVector2D(-1, 2));
}

void TestBaseGraphic::dragRectCases_data()
{
    QTest::addColumn<QPointF>("start");
    QTest::addColumn<QPointF>("current");
    QTest::addColumn<bool>("freeAspect");
    QTest::addColumn<QRectF>("rect");
    QTest::newRow("up-left free") << QPointF(100, 100) << QPointF(40, 200) << true << QRectF(40, 100, 60, 100);
    QTest::newRow("up-left square") << QPointF(100, 100) << QPointF(40, 200) << false << QRectF(40, 100, 60, 60);
    QTest::newRow("down-right square") << QPointF(100, 100) << QPointF(130, 200) << false << QRectF(100, 100, 30, 30);
    QTest::newRow("up square") << QPointF(100, 100) << QPointF(130, 20) << false << QRectF(100, 70, 30, 30);
    QTest::newRow("no movement") << QPointF(5, 5) << QPointF(5, 5) << true << QRectF(5, 5, 1, 1);
    QTest::newRow("horizontal only") << QPointF(5, 5) << QPointF(25, 5) << false << QRectF(5, 5, 1, 1);
}

void TestBaseGraphic::dragRectCases()
{
    QFETCH(QPointF, start);
    QFETCH(QPointF, current);
    QFETCH(bool, freeAspect);
    QFETCH(QRectF, rect);
    QCOMPARE(dragRect(start, current, freeAspect), rect);
}

void TestBaseGraphic::fileNameAndColours()
{
    ImageGraphic image(QStringLiteral("/pictures/holiday/beach.png"));
    QCOMPARE(image.fileName(true), QStringLiteral("/pictures/holiday/beach.png"));
    QCOMPARE(image.fileName(false), QStringLiteral("beach.png"));
    ShapeGraphic shape(0);
    shape.setPen(QPen(Qt::NoPen));
    QVERIFY(!shape.penColor().isValid());
    shape.setPen(QPen(Qt::green));
    QCOMPARE(shape.penColor(), QColor(Qt::green));
    shape.setBrush(QBrush(Qt::blue));
    QCOMPARE(shape.brushColor(), QColor(Qt::blue));
}

QUILLO_TEST_MAIN(TestBaseGraphic)
#include "tst_BaseGraphic.moc"
