#include "TestEnvironment.h"

#include "AnnotationXmlReader.h"
#include "AnnotationXmlWriter.h"
#include "Canvas.h"
#include "FreehandGraphic.h"
#include "HiliterGraphic.h"
#include "ImageGraphic.h"
#include "LineGraphic.h"
#include "ShapeGraphic.h"
#include "TextGraphic.h"

#include <QBuffer>

namespace {

QByteArray writeBody(const BaseGraphic &graphic)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    AnnotationXmlWriter writer(&buffer);
    writer.writeStartElement(QStringLiteral("graphic"));
    graphic.writeXml(writer);
    writer.writeEndElement();
    writer.writeEndDocument();
    return bytes;
}

bool readBody(const QByteArray &bytes, BaseGraphic &graphic, QString *error = nullptr)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    AnnotationXmlReader reader;
    const bool ok = reader.open(&buffer) && graphic.readXml(reader);
    if (error)
        *error = reader.errorString();
    return ok;
}

template<typename T>
void drawThrough(T &graphic, const QList<QPointF> &points)
{
    graphic.startDrawing(points.first());
    for (int i = 1; i < points.size(); ++i)
        graphic.continueDrawing(points.at(i));
    graphic.finishDrawing();
}

void compareItemState(const QGraphicsItem &read, const QGraphicsItem &written)
{
    QCOMPARE(read.pos(), written.pos());
    QCOMPARE(read.zValue(), written.zValue());
    QCOMPARE(read.opacity(), written.opacity());
    const QTransform a = read.transform();
    const QTransform b = written.transform();
    for (const QPointF &p : {QPointF(0, 0), QPointF(100, 0), QPointF(0, 100)})
        QVERIFY2(QLineF(a.map(p), b.map(p)).length() < 0.01,
                 qPrintable(QString::number(QLineF(a.map(p), b.map(p)).length())));
}

} // namespace

class TestGraphicXml : public QObject
{
    Q_OBJECT
private slots:
    void freehandRoundTrip();
    void highlighterRoundTrip();
    void lineRoundTrip();
    void shapeRoundTrip_data();
    void shapeRoundTrip();
    void pathPointsStandOnOneLine();
    void canvasRoundTripSkipsTextAndImages();
    void brokenDocuments_data();
    void brokenDocuments();
    void documentRoundTripKeepsTransforms();
    void tolerantReading_data();
    void tolerantReading();
};

void TestGraphicXml::freehandRoundTrip()
{
    FreehandGraphic stroke;
    stroke.setPen(QPen(QBrush(QColor(10, 20, 30, 200)), 3, Qt::DashLine, Qt::FlatCap, Qt::RoundJoin));
    drawThrough(stroke, {{10, 10}, {40, 30}, {80, 20}, {120, 60}});
    stroke.setStartAnchor(ANCHOR_SQUARE);
    stroke.setEndAnchor(ANCHOR_ARROW);
    stroke.rotateTo(30);
    stroke.mirror();
    stroke.setPos(5, 6);
    stroke.setZValue(2);
    stroke.setOpacity(0.5);
    FreehandGraphic read;
    QVERIFY(readBody(writeBody(stroke), read));
    compareItemState(read, stroke);
    QCOMPARE(read.path().elementCount(), stroke.path().elementCount());
    for (int i = 0; i < read.path().elementCount(); ++i)
        QVERIFY(QLineF(QPointF(read.path().elementAt(i)), QPointF(stroke.path().elementAt(i))).length() < 1e-3);
    QCOMPARE(read.pen().color(), QColor(10, 20, 30, 200));
    QCOMPARE(read.pen().style(), Qt::DashLine);
    QCOMPARE(read.pen().widthF(), 3.0);
    QCOMPARE(read.pen().capStyle(), Qt::RoundCap);
    QCOMPARE(read.startAnchor(), int(ANCHOR_SQUARE));
    QCOMPARE(read.endAnchor(), int(ANCHOR_ARROW));
    QCOMPARE(read.graphicRotation(), 30.0);
    QVERIFY(read.isMirrored());
    QVERIFY(!read.outline().isEmpty());
}

void TestGraphicXml::highlighterRoundTrip()
{
    HiliterGraphic hiliter;
    hiliter.setPen(QPen(Qt::yellow, 12));
    drawThrough(hiliter, {{0, 0}, {50, 0}, {100, 10}});
    hiliter.flip();
    const QByteArray bytes = writeBody(hiliter);
    QVERIFY(bytes.contains("type=\"65541\""));
    HiliterGraphic read;
    QVERIFY(readBody(bytes, read));
    compareItemState(read, hiliter);
    QCOMPARE(read.pen().color(), QColor(255, 255, 0, 127));
    QVERIFY(read.isFlipped());
    QCOMPARE(read.path().elementCount(), hiliter.path().elementCount());
}

void TestGraphicXml::lineRoundTrip()
{
    LineGraphic line;
    line.setPen(QPen(QColor(255, 0, 0, 200), 3));
    drawThrough(line, {{10, 10}, {110, 10}});
    line.setEndAnchor(ANCHOR_ARROW);
    line.rotateTo(45);
    line.scaleTo(1.5);
    line.setZValue(3);
    LineGraphic read;
    QVERIFY(readBody(writeBody(line), read));
    compareItemState(read, line);
    QVERIFY(QLineF(read.line().p1(), line.line().p1()).length() < 1e-3);
    QVERIFY(QLineF(read.line().p2(), line.line().p2()).length() < 1e-3);
    QCOMPARE(read.graphicRotation(), 45.0);
    QCOMPARE(read.graphicScale(), 1.5);
    QCOMPARE(read.endAnchor(), int(ANCHOR_ARROW));
    QCOMPARE(read.anchors().size(), 1);
    QCOMPARE(read.pen().color(), QColor(255, 0, 0, 200));
}

void TestGraphicXml::shapeRoundTrip_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("filled");
    for (int kind = 0; kind < ShapeGraphic::KIND_COUNT; ++kind)
        QTest::addRow("kind %d", kind) << kind << (kind % 2 == 1);
}

void TestGraphicXml::shapeRoundTrip()
{
    QFETCH(int, kind);
    QFETCH(bool, filled);
    ShapeGraphic shape(kind);
    // The pen as the shape tool gives it.
    shape.setPen(QPen(QBrush(Qt::blue), 4, Qt::SolidLine, Qt::RoundCap, ShapeGraphic::joinStyleFor(kind)));
    if (filled)
        shape.setBrush(QBrush(QColor(0, 128, 0), Qt::Dense3Pattern));
    drawThrough(shape, {{40, 200}, {100, 100}});
    shape.flip();
    shape.scaleTo(0.75);
    ShapeGraphic read(ShapeGraphic::RECTANGLE);
    QVERIFY(readBody(writeBody(shape), read));
    compareItemState(read, shape);
    QCOMPARE(read.shapeKind(), kind);
    QCOMPARE(read.pen().joinStyle(), ShapeGraphic::joinStyleFor(kind));
    QCOMPARE(read.brush().style(), filled ? Qt::SolidPattern : Qt::NoBrush);
    if (filled)
        QCOMPARE(read.brush().color(), QColor(0, 128, 0));
    const QRectF a = read.path().boundingRect();
    const QRectF b = shape.path().boundingRect();
    QVERIFY(qAbs(a.left() - b.left()) < 1e-3 && qAbs(a.width() - b.width()) < 1e-3
            && qAbs(a.height() - b.height()) < 1e-3);
    if (kind == ShapeGraphic::ELLIPSE) // rebuilt as a true ellipse, not the stored points
        QCOMPARE(read.path(), shape.path());
}

void TestGraphicXml::pathPointsStandOnOneLine()
{
    FreehandGraphic stroke;
    stroke.setPen(QPen(Qt::black, 4));
    stroke.setPath([] {
        QPainterPath p(QPointF(10, 20));
        p.lineTo(30, 20);
        p.lineTo(50, 20);
        return p;
    }());
    const QByteArray bytes = writeBody(stroke);
    QVERIFY(bytes.contains("<path count=\"3\" x=\"10\" y=\"20\" w=\"40\" h=\"0\"><point x=\"10\" y=\"20\"/>"
                           "<point x=\"30\" y=\"20\"/><point x=\"50\" y=\"20\"/></path>"));
}

void TestGraphicXml::canvasRoundTripSkipsTextAndImages()
{
    Canvas canvas;
    canvas.nextZMax();
    canvas.nextZMin();
    auto *line = new LineGraphic;
    line->setPen(QPen(Qt::red, 2));
    drawThrough(*line, {{0, 0}, {50, 50}});
    canvas.addItem(line);
    auto *shape = new ShapeGraphic(ShapeGraphic::STAR);
    shape->setPen(QPen(Qt::black, 2));
    drawThrough(*shape, {{100, 100}, {200, 180}});
    canvas.addItem(shape);
    canvas.addItem(new TextGraphic(QStringLiteral("skip me")));
    canvas.addItem(new ImageGraphic(QPixmap(10, 10)));
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        AnnotationXmlWriter writer(&buffer);
        canvas.writeXml(writer);
        writer.writeEndDocument();
    }
    QVERIFY(bytes.contains("item_count=\"2\""));
    QCOMPARE(bytes.count("<graphic "), 2);

    Canvas read;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    AnnotationXmlReader reader;
    QVERIFY(reader.open(&buffer));
    QVERIFY2(read.readXml(reader), qPrintable(reader.errorString()));
    QCOMPARE(read.items().size(), 2);
    QCOMPARE(read.nextZMax(), 1.0);
    QCOMPARE(read.nextZMin(), -2.0);
    QCOMPARE(read.sceneRect(), canvas.sceneRect());
    QCOMPARE(read.backgroundBrush(), canvas.backgroundBrush());
}

void TestGraphicXml::brokenDocuments_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("error");
    const QByteArray head =
        "<document company=\"Lumo\" version=\"1.0\"><canvas zMin=\"-1\" zMax=\"0\" item_count=\"1\">"
        "<background_brush style=\"0\"/><scene_rect x=\"0\" y=\"0\" w=\"1024\" h=\"768\"/>";
    QTest::newRow("wrong version") << QByteArray("<document company=\"Lumo\" version=\"2.0\"><canvas/></document>")
                                   << "Unable to read due to invalid format.";
    QTest::newRow("text graphic") << head + "<graphic type=\"65540\"/></canvas></document>"
                                  << "Insufficient memory.";
    QTest::newRow("missing opacity") << head + "<graphic type=\"6\" x=\"0\" y=\"0\" z=\"0\"/></canvas></document>"
                                     << "Unable to read corrupt data.";
    // Numbers naming no style were cast into Qt's style types unchecked.
    QTest::newRow("brush style out of range")
        << QByteArray("<document company=\"Lumo\" version=\"1.0\"><canvas zMin=\"-1\" zMax=\"0\" item_count=\"0\">"
                      "<background_brush style=\"168\"><color r=\"0\" g=\"0\" b=\"0\" "
                      "a=\"255\"/></background_brush><scene_rect x=\"0\" y=\"0\" w=\"1\" h=\"1\"/></canvas></document>")
        << "Unable to read corrupt data.";
    QTest::newRow("pen style out of range")
        << head
               + "<graphic type=\"6\" opacity=\"1\" x=\"0\" y=\"0\" z=\"0\" start_anchor=\"0\" end_anchor=\"0\" "
                 "scale=\"1\" "
                 "degree=\"0\"><pen style=\"-3\" width=\"2\"><color r=\"0\" g=\"0\" b=\"0\" a=\"255\"/></pen>"
                 "<line x1=\"0\" y1=\"0\" x2=\"1\" y2=\"1\"/></graphic></canvas></document>"
        << "Unable to read corrupt data.";
    QTest::newRow("missing line")
        << head
               + "<graphic type=\"6\" opacity=\"1\" x=\"0\" y=\"0\" z=\"0\" start_anchor=\"0\" end_anchor=\"0\" "
                 "scale=\"1\" "
                 "degree=\"0\"><pen style=\"1\" width=\"2\"><color r=\"0\" g=\"0\" b=\"0\" a=\"255\"/></pen>"
                 "<path count=\"0\"/></graphic></canvas></document>"
        << "Unable to read corrupt data.";
}

void TestGraphicXml::brokenDocuments()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, error);
    QBuffer buffer(&xml);
    buffer.open(QIODevice::ReadOnly);
    AnnotationXmlReader reader;
    Canvas canvas;
    const bool ok = reader.open(&buffer) && canvas.readXml(reader);
    QVERIFY(!ok);
    QCOMPARE(reader.errorString(), error);
    QCOMPARE(canvas.items().size(), 0);
}

void TestGraphicXml::documentRoundTripKeepsTransforms()
{
    Canvas canvas;
    // Pens as the tools make them: the document keeps no cap or join of its own.
    auto *stroke = new FreehandGraphic;
    stroke->setPen(QPen(Qt::blue, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    drawThrough(*stroke, {{10, 10}, {60, 40}, {120, 20}, {180, 90}});
    auto *hiliter = new HiliterGraphic;
    drawThrough(*hiliter, {{200, 200}, {260, 220}, {320, 210}});
    auto *line = new LineGraphic;
    line->setPen(QPen(Qt::red, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    drawThrough(*line, {{30, 300}, {230, 350}});
    auto *shape = new ShapeGraphic(ShapeGraphic::PENTAGON);
    shape->setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::RoundCap, ShapeGraphic::joinStyleFor(ShapeGraphic::PENTAGON)));
    shape->setBrush(QBrush(Qt::cyan));
    drawThrough(*shape, {{400, 100}, {520, 220}});
    const QList<QGraphicsItem *> written{stroke, hiliter, line, shape};
    for (QGraphicsItem *item : written) {
        item->setZValue(canvas.nextZMax());
        canvas.addItem(item);
    }
    stroke->scaleTo(1.5);
    stroke->rotateTo(30);
    hiliter->mirror();
    hiliter->rotateTo(-45);
    line->rotateTo(20);
    line->scaleTo(0.5);
    shape->flip();
    shape->rotateTo(75);
    shape->setPos(12, 34);
    shape->setOpacity(0.5);

    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        AnnotationXmlWriter writer(&buffer);
        canvas.writeXml(writer);
        writer.writeEndDocument();
    }
    Canvas read;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    AnnotationXmlReader reader;
    QVERIFY(reader.open(&buffer));
    QVERIFY2(read.readXml(reader), qPrintable(reader.errorString()));
    const QList<QGraphicsItem *> items = read.items(Qt::AscendingOrder);
    QCOMPARE(items.size(), written.size());
    for (int i = 0; i < items.size(); ++i) {
        QCOMPARE(items.at(i)->type(), written.at(i)->type());
        compareItemState(*items.at(i), *written.at(i));
        // What is drawn, not only the stored fields: the painted outline lands where it did.
        const QRectF a = items.at(i)->sceneBoundingRect();
        const QRectF b = written.at(i)->sceneBoundingRect();
        QVERIFY2(qAbs(a.left() - b.left()) < 0.5 && qAbs(a.top() - b.top()) < 0.5 && qAbs(a.width() - b.width()) < 0.5,
                 qPrintable(QStringLiteral("item %1").arg(i)));
        auto *readGraphic = dynamic_cast<BaseGraphic *>(items.at(i));
        auto *writtenGraphic = dynamic_cast<BaseGraphic *>(written.at(i));
        QCOMPARE(readGraphic->graphicRotation(), writtenGraphic->graphicRotation());
        QCOMPARE(readGraphic->graphicScale(), writtenGraphic->graphicScale());
        QCOMPARE(readGraphic->isFlipped(), writtenGraphic->isFlipped());
        QCOMPARE(readGraphic->isMirrored(), writtenGraphic->isMirrored());
    }
    // A stored edit is live again: rotating back to zero undoes it on screen.
    auto *readShape = dynamic_cast<BaseGraphic *>(items.last());
    readShape->rotateTo(0);
    shape->rotateTo(0);
    compareItemState(*items.last(), *shape);
}

void TestGraphicXml::tolerantReading_data()
{
    QTest::addColumn<QByteArray>("graphics");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("itemsRead");
    QTest::addColumn<QPointF>("firstPos");
    const auto line = [](const QByteArray &x, const QByteArray &trailer) {
        return "<graphic type=\"6\" opacity=\"1\" x=\"" + x
               + "\" y=\"5\" z=\"0\" start_anchor=\"0\" end_anchor=\"0\" "
                 "scale=\"1\" degree=\"0\" flipped=\"yes\" mirrored=\"0\"><pen style=\"1\" width=\"2\">"
                 "<color r=\"0\" g=\"0\" b=\"0\" a=\"255\"/></pen><line x1=\"0\" y1=\"0\" x2=\"50\" y2=\"50\"/>"
               + trailer + "</graphic>";
    };
    const QByteArray good = line("7", "");
    QTest::newRow("non-number reads as zero") << line("seven", "") << 1 << true << 1 << QPointF(0, 5);
    QTest::newRow("unknown trailing children")
        << line("7", "<note><deep/></note><more/>") + good << 2 << true << 2 << QPointF(7, 5);
    QTest::newRow("graphics before a failure stay")
        << good + "<graphic type=\"6\" opacity=\"1\"/>" << 2 << false << 1 << QPointF(7, 5);
    QTest::newRow("nothing past the count") << good + good << 1 << true << 1 << QPointF(7, 5);
    QTest::newRow("count of zero") << good << 0 << true << 0 << QPointF();
}

void TestGraphicXml::tolerantReading()
{
    QFETCH(QByteArray, graphics);
    QFETCH(int, count);
    QFETCH(bool, ok);
    QFETCH(int, itemsRead);
    QFETCH(QPointF, firstPos);
    QByteArray xml = "<?xml version=\"1.0\"?><document company=\"Lumo\" version=\"1.0\"><canvas zMin=\"-3\" zMax=\"4\" "
                     "item_count=\""
                     + QByteArray::number(count)
                     + "\"><background_brush style=\"0\"/>"
                       "<scene_rect x=\"0\" y=\"0\" w=\"640\" h=\"480\"/>"
                     + graphics + "</canvas></document>";
    QBuffer buffer(&xml);
    buffer.open(QIODevice::ReadOnly);
    AnnotationXmlReader reader;
    Canvas canvas;
    QVERIFY(reader.open(&buffer));
    QCOMPARE(canvas.readXml(reader), ok);
    QCOMPARE(canvas.items().size(), itemsRead);
    QCOMPARE(canvas.sceneRect(), QRectF(0, 0, 640, 480));
    QCOMPARE(canvas.nextZMax(), 4.0);
    if (itemsRead > 0) {
        auto *first = static_cast<LineGraphic *>(canvas.items(Qt::AscendingOrder).first());
        QCOMPARE(first->pos(), firstPos);
        QVERIFY(!first->isFlipped());
    }
}

QUILLO_TEST_MAIN(TestGraphicXml)
#include "tst_GraphicXml.moc"
