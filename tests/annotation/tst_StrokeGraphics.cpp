#include "TestEnvironment.h"

#include "Canvas.h"
#include "FreehandGraphic.h"
#include "HiliterGraphic.h"

#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QtMath>

namespace {

QList<QPointF> pointsOf(const QPainterPath &path)
{
    QList<QPointF> points;
    for (int i = 0; i < path.elementCount(); ++i)
        points << QPointF(path.elementAt(i).x, path.elementAt(i).y);
    return points;
}

void drawStroke(FreehandGraphic &stroke, const QList<QPointF> &points, bool finish = true)
{
    QVERIFY(stroke.startDrawing(points.first()));
    for (int i = 1; i < points.size(); ++i)
        QVERIFY(stroke.continueDrawing(points.at(i)));
    if (finish)
        stroke.finishDrawing();
}

} // namespace

class TestStrokeGraphics : public QObject
{
    Q_OBJECT
private slots:
    void smoothing_data();
    void smoothing();
    void pressAndReleaseLeavesRoundDot();
    void cacheGrowsOnlyWhereNeeded();
    void drawingKeepsSceneIndexRight();
    void highlighterIsTranslucent();
    void highlighterWidthChangeRebuildsOutline();
    void anchorsJoinTheOutline();
    void decorationsLookAsIfUnited_data();
    void decorationsLookAsIfUnited();
    void longStrokeKeepsItsOutlineWhenDecorated();
    void drawingKeepsAnchorsAndBoundsOfWholePath();
    void copyKeepsStroke();
    void hitTestFollowsSelection();
};

void TestStrokeGraphics::smoothing_data()
{
    QTest::addColumn<QList<QPointF>>("input");
    QTest::addColumn<QList<QPointF>>("whileDrawing");
    QTest::addColumn<QList<QPointF>>("finished");
    // A segment back onto the current point adds no element.
    QTest::newRow("straight, 2 apart: midpoints only")
        << QList<QPointF>{{0, 0}, {2, 0}, {4, 0}} << QList<QPointF>{{0, 0}, {1, 0}, {3, 0}}
        << QList<QPointF>{{0, 0}, {1, 0}, {3, 0}, {4, 0}};
    QTest::newRow("too close: dropped") << QList<QPointF>{{0, 0}, {2, 0}, {2.5, 0.5}} << QList<QPointF>{{0, 0}, {1, 0}}
                                        << QList<QPointF>{{0, 0}, {1, 0}, {2, 0}};
    QTest::newRow("right angle: bend point")
        << QList<QPointF>{{0, 0}, {4, 0}, {4, 4}} << QList<QPointF>{{0, 0}, {2, 0}, {3.5, 0.5}, {4, 2}}
        << QList<QPointF>{{0, 0}, {2, 0}, {3.5, 0.5}, {4, 2}, {4, 4}};
    QTest::newRow("reversal: no bend") << QList<QPointF>{{0, 0}, {4, 0}, {0, 0}} << QList<QPointF>{{0, 0}, {2, 0}}
                                       << QList<QPointF>{{0, 0}, {2, 0}, {0, 0}};
    QTest::newRow("long straight span: bend")
        << QList<QPointF>{{0, 0}, {20, 0}, {40, 0}} << QList<QPointF>{{0, 0}, {2.5, 0}, {10, 0}, {20, 0}, {30, 0}}
        << QList<QPointF>{{0, 0}, {2.5, 0}, {10, 0}, {20, 0}, {30, 0}, {37.5, 0}, {40, 0}};
}

void TestStrokeGraphics::smoothing()
{
    QFETCH(QList<QPointF>, input);
    QFETCH(QList<QPointF>, whileDrawing);
    QFETCH(QList<QPointF>, finished);
    FreehandGraphic stroke;
    stroke.setPen(QPen(Qt::black, 4));
    drawStroke(stroke, input, false);
    QVERIFY(stroke.isDrawing());
    QCOMPARE(pointsOf(stroke.path()), whileDrawing);
    stroke.finishDrawing();
    QCOMPARE(pointsOf(stroke.path()), finished);
    QVERIFY(!stroke.isDrawing());
    QVERIFY(stroke.cache().isNull());
    QCOMPARE(stroke.cacheMode(), QGraphicsItem::DeviceCoordinateCache);
}

void TestStrokeGraphics::pressAndReleaseLeavesRoundDot()
{
    FreehandGraphic stroke;
    stroke.setPen(QPen(QBrush(Qt::black), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QVERIFY(stroke.startDrawing(QPointF(50, 60)));
    QVERIFY(stroke.continueDrawing(QPointF(50.5, 60.5))); // under one unit: dropped
    stroke.finishDrawing();
    QCOMPARE(pointsOf(stroke.path()), (QList<QPointF>{{49.9, 60}, {50, 60}}));
    const QRectF dot = stroke.outline().boundingRect();
    QVERIFY(qAbs(dot.width() - 4.1) < 0.05 && qAbs(dot.height() - 4) < 0.05);
    QVERIFY(stroke.outline().contains(QPointF(50, 61.5)));
}

void TestStrokeGraphics::cacheGrowsOnlyWhereNeeded()
{
    FreehandGraphic stroke;
    stroke.setPen(QPen(Qt::black, 4));
    QVERIFY(stroke.startDrawing(QPointF(256, 256)));
    QCOMPARE(stroke.cacheOrigin(), QPoint(0, 0));
    QCOMPARE(stroke.cache().size(), QSize(512, 512));
    QVERIFY(stroke.ensureCacheCovers(100, 100, 521, 200)); // 10 pixels beyond the right edge
    QCOMPARE(stroke.cacheOrigin(), QPoint(0, 0));
    QCOMPARE(stroke.cache().size(), QSize(640, 512));
    QVERIFY(stroke.ensureCacheCovers(-300, 0, 10, 10));
    QCOMPARE(stroke.cacheOrigin(), QPoint(-300, 0));
    QCOMPARE(stroke.cache().size(), QSize(940, 512));
    // Drawing past the edge grows the picture, and what was drawn before stays in it.
    for (int x = 260; x <= 900; x += 20)
        QVERIFY(stroke.continueDrawing(QPointF(x, 256)));
    QVERIFY(stroke.cache().width() > 940);
    const QImage picture = stroke.cache().toImage();
    QCOMPARE(qAlpha(picture.pixel(QPoint(300, 256) - stroke.cacheOrigin())), 255);
    QCOMPARE(qAlpha(picture.pixel(QPoint(880, 256) - stroke.cacheOrigin())), 255);
}

void TestStrokeGraphics::drawingKeepsSceneIndexRight()
{
    Canvas canvas;
    canvas.setSceneRect(0, 0, 4000, 1000);
    auto *stroke = new FreehandGraphic;
    stroke->setPen(QPen(Qt::black, 4));
    canvas.addItem(stroke);
    QVERIFY(stroke->startDrawing(QPointF(100, 100)));
    QVERIFY(canvas.items(QRectF(95, 95, 10, 10), Qt::IntersectsItemBoundingRect).contains(stroke));
    // The event loop runs between moves, and with it the scene's index updates.
    for (int x = 120; x <= 3000; x += 20) {
        QVERIFY(stroke->continueDrawing(QPointF(x, 100)));
        QCoreApplication::processEvents();
    }
    QVERIFY(canvas.items(QRectF(2950, 95, 10, 10), Qt::IntersectsItemBoundingRect).contains(stroke));
    stroke->finishDrawing();
    QVERIFY(canvas.items(QRectF(2950, 95, 10, 10), Qt::IntersectsItemBoundingRect).contains(stroke));
    QVERIFY(!canvas.items(QRectF(3500, 95, 10, 10), Qt::IntersectsItemBoundingRect).contains(stroke));
}

void TestStrokeGraphics::highlighterIsTranslucent()
{
    HiliterGraphic hiliter;
    QCOMPARE(hiliter.capabilities(), 0x2F9F3u);
    QCOMPARE(hiliter.type(), 0x10005);
    hiliter.setPen(QPen(QColor(255, 0, 0), 10));
    QCOMPARE(hiliter.pen().color(), QColor(255, 0, 0, 127));
    drawStroke(hiliter, {{50, 50}, {150, 50}, {250, 50}}, false);
    QImage image(300, 100, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        QStyleOptionGraphicsItem option;
        hiliter.paint(&painter, &option, nullptr);
    }
    const QColor shown = image.pixelColor(100, 50);
    QVERIFY2(qAbs(shown.alpha() - 127) <= 2, qPrintable(QString::number(shown.alpha())));
    QCOMPARE(shown.red(), 255);
    QCOMPARE(qAlpha(hiliter.cache().toImage().pixel(QPoint(100, 50) - hiliter.cacheOrigin())), 255);
}

void TestStrokeGraphics::highlighterWidthChangeRebuildsOutline()
{
    HiliterGraphic hiliter;
    hiliter.setPen(QPen(Qt::yellow, 4));
    drawStroke(hiliter, {{0, 100}, {100, 100}, {200, 100}});
    QVERIFY(qAbs(hiliter.outline().boundingRect().height() - 4) < 0.1);
    hiliter.setPen(QPen(Qt::yellow, 20));
    QVERIFY(qAbs(hiliter.outline().boundingRect().height() - 20) < 0.1);
    QVERIFY(hiliter.boundingRect().height() >= 22);
    QVERIFY(hiliter.shape().contains(QPointF(100, 108)));
}

void TestStrokeGraphics::anchorsJoinTheOutline()
{
    FreehandGraphic stroke;
    stroke.setPen(QPen(Qt::black, 4));
    drawStroke(stroke, {{0, 0}, {20, 0}, {40, 0}, {60, 0}});
    QVERIFY(!stroke.outline().contains(QPointF(62.5, 0)));
    stroke.setEndAnchor(ANCHOR_ARROW);
    QVERIFY(stroke.outline().contains(QPointF(62.5, 0)));
    QVERIFY(stroke.boundingRect().contains(QPointF(64.3, 0)));
}

namespace {

// The path filled as the stroke fills its outline, in a translucent colour so that a part painted twice
// or left out shows.
QImage filled(const QPainterPath &path, const QRectF &area)
{
    QImage image(area.size().toSize() + QSize(2, 2), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.translate(-area.topLeft() + QPointF(1, 1));
    painter.fillPath(path, QColor(0, 0, 255, 128));
    return image;
}

} // namespace

void TestStrokeGraphics::decorationsLookAsIfUnited_data()
{
    QTest::addColumn<QList<QPointF>>("points");
    QTest::addColumn<int>("startAnchor");
    QTest::addColumn<int>("endAnchor");
    // Strokes that turn back over their own ends, so the decorations overlap the line.
    const QList<QPointF> hook{{0, 0}, {40, 0}, {60, 10}, {50, 20}, {30, 10}, {45, 2}};
    QList<QPointF> reversed = hook;
    std::reverse(reversed.begin(), reversed.end());
    const QList<QPointF> loop{{0, 0}, {30, 30}, {60, 0}, {30, -30}, {2, -2}};
    QTest::newRow("arrow on a hook") << hook << int(ANCHOR_NONE) << int(ANCHOR_ARROW);
    QTest::newRow("arrow, drawn the other way") << reversed << int(ANCHOR_NONE) << int(ANCHOR_ARROW);
    QTest::newRow("circle and arrow on a loop") << loop << int(ANCHOR_CIRCLE) << int(ANCHOR_ARROW);
    QTest::newRow("square and diamond on a loop") << loop << int(ANCHOR_SQUARE) << int(ANCHOR_DIAMOND);
}

void TestStrokeGraphics::decorationsLookAsIfUnited()
{
    QFETCH(QList<QPointF>, points);
    QFETCH(int, startAnchor);
    QFETCH(int, endAnchor);
    FreehandGraphic stroke;
    stroke.setPen(QPen(Qt::black, 6));
    drawStroke(stroke, points);
    const QPainterPath bare = stroke.outline();
    stroke.setStartAnchor(startAnchor);
    stroke.setEndAnchor(endAnchor);
    QPainterPath united = bare;
    for (const AnchorRecord &record : stroke.anchors()) {
        united |= BaseGraphic::anchorPath(6, startAnchor, record.startPoint, record.startDirection);
        united |= BaseGraphic::anchorPath(6, endAnchor, record.endPoint, record.endDirection);
    }
    const QRectF area = united.boundingRect().toAlignedRect();
    const QImage got = filled(stroke.outline(), area);
    const QImage expected = filled(united, area);
    int worst = 0;
    int differing = 0;
    for (int y = 0; y < got.height(); ++y) {
        for (int x = 0; x < got.width(); ++x) {
            const QRgb a = got.pixel(x, y);
            const QRgb b = expected.pixel(x, y);
            worst = std::max({worst, qAbs(qRed(a) - qRed(b)), qAbs(qGreen(a) - qGreen(b)), qAbs(qBlue(a) - qBlue(b))});
            differing += a != b;
        }
    }
    // Filled without antialiasing a pixel is in or out: the union's own rounding may move a boundary pixel
    // or two, while an overlap painted twice or left out changes dozens.
    QVERIFY2(differing <= 3, qPrintable(QStringLiteral("%1 pixels differ, by up to %2").arg(differing).arg(worst)));
}

void TestStrokeGraphics::longStrokeKeepsItsOutlineWhenDecorated()
{
    // A long scribble crossing itself many times: decorating it must not put its whole outline through a
    // path union (which took the GUI thread half a minute at 20,000 points). The outline is the stroke's own
    // plus the decorations, element for element.
    QList<QPointF> points;
    for (int i = 0; i < 3000; ++i)
        points << QPointF(200 + 150 * std::sin(i * 0.05), 200 + 150 * std::sin(i * 0.031 + 1));
    FreehandGraphic stroke;
    stroke.setPen(QPen(Qt::black, 4));
    drawStroke(stroke, points);
    const int bare = stroke.outline().elementCount();
    stroke.setStartAnchor(ANCHOR_CIRCLE);
    stroke.setEndAnchor(ANCHOR_ARROW);
    int decorations = 0;
    for (const AnchorRecord &record : stroke.anchors()) {
        decorations +=
            BaseGraphic::anchorPath(4, ANCHOR_CIRCLE, record.startPoint, record.startDirection).elementCount();
        decorations += BaseGraphic::anchorPath(4, ANCHOR_ARROW, record.endPoint, record.endDirection).elementCount();
    }
    QCOMPARE(stroke.outline().elementCount(), bare + decorations);
}

// While drawn, the stroke keeps its bounds and end decorations as it goes; after every move they must be
// what a stroke given the whole path at once works out.
void TestStrokeGraphics::drawingKeepsAnchorsAndBoundsOfWholePath()
{
    const QPen pen(Qt::black, 6);
    FreehandGraphic stroke;
    stroke.setPen(pen);
    stroke.setStartAnchor(ANCHOR_CIRCLE);
    stroke.setEndAnchor(ANCHOR_ARROW);
    // A spiral outwards, so every edge of the bounds moves, with sharp turns, long jumps and moves too
    // small to count.
    QList<QPointF> points{{300, 300}};
    for (int i = 1; i < 120; ++i) {
        const double radius = 2 + i * 2.5;
        points << QPointF(300 + radius * qCos(i * 0.4), 300 + radius * qSin(i * 0.4));
        if (i % 17 == 0)
            points << points.last() + QPointF(0.3, 0.2);
        if (i % 29 == 0)
            points << points.last() + QPointF(-150, 40);
    }
    QVERIFY(stroke.startDrawing(points.first()));
    auto checkAgainstWholePath = [&](const char *when) {
        FreehandGraphic whole;
        whole.setPen(pen);
        whole.setStartAnchor(ANCHOR_CIRCLE);
        whole.setEndAnchor(ANCHOR_ARROW);
        whole.setPath(stroke.path());
        QCOMPARE(stroke.anchors().size(), whole.anchors().size());
        for (int k = 0; k < whole.anchors().size(); ++k) {
            const AnchorRecord &got = stroke.anchors().at(k);
            const AnchorRecord &expected = whole.anchors().at(k);
            QVERIFY2(got.startPoint == expected.startPoint && got.endPoint == expected.endPoint
                         && got.startDirection == expected.startDirection && got.endDirection == expected.endDirection,
                     when);
        }
        QRectF expected = whole.boundingRect();
        if (stroke.isDrawing())
            expected = (expected.adjusted(1, 1, -1, -1) | QRectF(stroke.cacheOrigin(), stroke.cache().size()))
                           .adjusted(-1, -1, 1, 1);
        QVERIFY2(stroke.boundingRect() == expected, when);
    };
    checkAgainstWholePath("after the press");
    for (int i = 1; i < points.size(); ++i) {
        QVERIFY(stroke.continueDrawing(points.at(i)));
        checkAgainstWholePath(qPrintable(QStringLiteral("after move %1").arg(i)));
    }
    stroke.finishDrawing();
    checkAgainstWholePath("after the release");
}

void TestStrokeGraphics::copyKeepsStroke()
{
    auto check = [](FreehandGraphic &source, FreehandGraphic &copy) {
        QCOMPARE(copy.type(), source.type());
        QCOMPARE(copy.path(), source.path());
        QCOMPARE(copy.pen(), source.pen());
        QCOMPARE(copy.transform(), source.transform());
        QCOMPARE(copy.opacity(), source.opacity());
        QCOMPARE(copy.pos(), source.pos());
        QCOMPARE(copy.zValue(), source.zValue());
        QCOMPARE(copy.endAnchor(), source.endAnchor());
        QCOMPARE(copy.outline(), source.outline());
        QVERIFY(!copy.isDrawing());
    };
    FreehandGraphic stroke;
    stroke.setPen(QPen(Qt::darkGreen, 6));
    drawStroke(stroke, {{0, 0}, {30, 10}, {60, 40}});
    stroke.setEndAnchor(ANCHOR_CIRCLE);
    stroke.rotateTo(33);
    stroke.setOpacity(0.6);
    stroke.setPos(4, 5);
    stroke.setZValue(9);
    FreehandGraphic strokeCopy(stroke);
    check(stroke, strokeCopy);

    HiliterGraphic hiliter;
    hiliter.setPen(QPen(Qt::yellow, 12));
    drawStroke(hiliter, {{0, 0}, {30, 10}, {60, 40}});
    hiliter.flip();
    HiliterGraphic hiliterCopy(hiliter);
    check(hiliter, hiliterCopy);
    QCOMPARE(hiliterCopy.pen().color().alpha(), 127);
}

void TestStrokeGraphics::hitTestFollowsSelection()
{
    Canvas canvas;
    auto *stroke = new FreehandGraphic;
    stroke->setPen(QPen(Qt::black, 4));
    drawStroke(*stroke, {{0, 0}, {50, 50}, {100, 100}});
    canvas.addItem(stroke);
    QVERIFY(stroke->contains(QPointF(50, 50)));
    QVERIFY(!stroke->contains(QPointF(90, 10)));
    stroke->setSelected(true);
    QVERIFY(stroke->contains(QPointF(90, 10)));
}

QUILLO_TEST_MAIN(TestStrokeGraphics)
#include "tst_StrokeGraphics.moc"
