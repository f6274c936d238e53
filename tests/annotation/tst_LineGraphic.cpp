#include "TestEnvironment.h"

#include "Canvas.h"
#include "LineGraphic.h"

namespace {

LineGraphic *drawLine(const QPointF &from, const QPointF &to, double width = 4)
{
    auto *line = new LineGraphic;
    line->setPen(QPen(Qt::black, width));
    line->startDrawing(from);
    line->continueDrawing(to);
    line->finishDrawing();
    return line;
}

bool sameLine(const QLineF &a, const QLineF &b)
{
    return QLineF(a.p1(), b.p1()).length() < 1e-9 && QLineF(a.p2(), b.p2()).length() < 1e-9;
}

} // namespace

class TestLineGraphic : public QObject
{
    Q_OBJECT
private slots:
    void rotationFromDirection_data();
    void rotationFromDirection();
    void endPointTransforms_data();
    void endPointTransforms();
    void arrowHeadInBounds();
    void zeroLengthLineHasNoDecoration();
    void selectedLineHitInBox();
    void copyKeepsLineAndState();
};

void TestLineGraphic::rotationFromDirection_data()
{
    QTest::addColumn<QPointF>("to");
    QTest::addColumn<double>("rotation");
    QTest::newRow("right") << QPointF(10, 0) << 0.0;
    QTest::newRow("down") << QPointF(0, 10) << 90.0;
    QTest::newRow("left") << QPointF(-10, 0) << 180.0;
    QTest::newRow("up") << QPointF(0, -10) << 270.0;
    QTest::newRow("not moved") << QPointF(0, 0) << 0.0;
}

void TestLineGraphic::rotationFromDirection()
{
    QFETCH(QPointF, to);
    QFETCH(double, rotation);
    QScopedPointer<LineGraphic> line(drawLine(QPointF(0, 0), to));
    QCOMPARE(line->graphicRotation(), rotation);
    QVERIFY(!line->isDrawing());
}

void TestLineGraphic::endPointTransforms_data()
{
    QTest::addColumn<QLineF>("drawn");
    QTest::addColumn<QString>("operations"); // r: rotate by +90, s: scale 0.5, f: flip, m: mirror
    QTest::addColumn<QLineF>("result");
    QTest::newRow("rotate") << QLineF(0, 0, 10, 0) << "r" << QLineF(5, -5, 5, 5);
    // Mirrored, the line runs (10,0)-(0,0); turned clockwise it would end up (5,5)-(5,-5).
    QTest::newRow("rotate mirrored") << QLineF(0, 0, 10, 0) << "mr" << QLineF(5, -5, 5, 5);
    QTest::newRow("scale") << QLineF(0, 0, 10, 0) << "s" << QLineF(2.5, 0, 7.5, 0);
    QTest::newRow("scale twice to the same") << QLineF(0, 0, 10, 0) << "ss" << QLineF(2.5, 0, 7.5, 0);
    QTest::newRow("flip") << QLineF(0, 0, 10, 10) << "f" << QLineF(0, 10, 10, 0);
    QTest::newRow("flip twice") << QLineF(0, 0, 10, 10) << "ff" << QLineF(0, 0, 10, 10);
    QTest::newRow("mirror") << QLineF(0, 0, 10, 10) << "m" << QLineF(10, 0, 0, 10);
}

void TestLineGraphic::endPointTransforms()
{
    QFETCH(QLineF, drawn);
    QFETCH(QString, operations);
    QFETCH(QLineF, result);
    QScopedPointer<LineGraphic> line(drawLine(drawn.p1(), drawn.p2()));
    for (QChar op : operations) {
        if (op == 'r')
            line->rotateTo(line->graphicRotation() + 90);
        else if (op == 's')
            line->scaleTo(0.5);
        else if (op == 'f')
            line->flip();
        else
            line->mirror();
    }
    QVERIFY2(sameLine(line->line(), result), qPrintable(QStringLiteral("(%1,%2)-(%3,%4)")
                                                            .arg(line->line().x1())
                                                            .arg(line->line().y1())
                                                            .arg(line->line().x2())
                                                            .arg(line->line().y2())));
    QVERIFY(line->transform().isIdentity());
    // The decorations follow the end points.
    QCOMPARE(line->anchors().first().endPoint, line->line().p2());
}

void TestLineGraphic::arrowHeadInBounds()
{
    QScopedPointer<LineGraphic> line(drawLine(QPointF(0, 0), QPointF(10, 0)));
    line->setEndAnchor(ANCHOR_ARROW);
    const QPainterPath arrow = BaseGraphic::anchorPath(4, ANCHOR_ARROW, line->anchors().first().endPoint,
                                                       line->anchors().first().endDirection);
    QCOMPARE(arrow.elementAt(0).x, 14.4);
    QVERIFY(line->boundingRect().contains(QPointF(14.4, 0)));
    QVERIFY(line->boundingRect().right() >= 15.4 - 1e-9);
    QVERIFY(line->shape().contains(QPointF(13.5, 0)));
    line->setEndAnchor(ANCHOR_NONE);
    QVERIFY(!line->shape().contains(QPointF(13.5, 0)));
}

void TestLineGraphic::zeroLengthLineHasNoDecoration()
{
    QScopedPointer<LineGraphic> line(drawLine(QPointF(5, 5), QPointF(5, 5)));
    line->setStartAnchor(ANCHOR_CIRCLE);
    line->setEndAnchor(ANCHOR_ARROW);
    QVERIFY(line->anchors().first().endDirection.isNull());
    QVERIFY(line->boundingRect().width() < 10);
}

void TestLineGraphic::selectedLineHitInBox()
{
    Canvas canvas;
    auto *line = drawLine(QPointF(0, 0), QPointF(100, 100));
    canvas.addItem(line);
    QVERIFY(!line->contains(QPointF(90, 10)));
    line->setSelected(true);
    QVERIFY(line->contains(QPointF(90, 10)));
}

void TestLineGraphic::copyKeepsLineAndState()
{
    QScopedPointer<LineGraphic> line(drawLine(QPointF(0, 0), QPointF(30, 40), 3));
    line->setStartAnchor(ANCHOR_SQUARE);
    line->mirror();
    line->setZValue(4);
    line->setOpacity(0.3);
    line->setPos(7, 8);
    LineGraphic copy(*line);
    QCOMPARE(copy.line(), line->line());
    QCOMPARE(copy.pen(), line->pen());
    QCOMPARE(copy.startAnchor(), int(ANCHOR_SQUARE));
    QVERIFY(copy.isMirrored());
    QCOMPARE(copy.graphicRotation(), line->graphicRotation());
    QCOMPARE(copy.zValue(), 4.0);
    QCOMPARE(copy.opacity(), 0.3);
    QCOMPARE(copy.pos(), QPointF(7, 8));
    QCOMPARE(copy.anchors().size(), 1);
    QCOMPARE(copy.boundingRect(), line->boundingRect());
}

QUILLO_TEST_MAIN(TestLineGraphic)
#include "tst_LineGraphic.moc"
