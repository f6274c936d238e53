#include "ShapeGraphic.h"

#include "AnnotationXmlReader.h"
#include "AnnotationXmlWriter.h"
#include "Canvas.h"
#include "GraphicGeometry.h"

#include <QGraphicsSceneContextMenuEvent>
#include <QPainterPathStroker>
#include <QPolygonF>
#include <QtMath>

#include <array>

namespace {

// Corner radius of the rounded rectangle, in percent of its half width and height.
constexpr double kRoundedCornerPercent = 10.0;

QPolygonF polygonOf(std::initializer_list<QPointF> points)
{
    return QPolygonF(QList<QPointF>(points));
}

// Stretches (or moves) a polygon so that its bounding rect is exactly the unit square.
QPolygonF fitToUnitSquare(const QPolygonF &polygon)
{
    const QRectF r = polygon.boundingRect();
    QTransform t;
    t.scale(r.width() > 0 ? 1.0 / r.width() : 1.0, r.height() > 0 ? 1.0 / r.height() : 1.0);
    t.translate(-r.x(), -r.y());
    return t.map(polygon);
}

QPolygonF regularPolygon(int corners, double firstAngle)
{
    QPolygonF polygon;
    const double step = 360.0 / corners;
    for (int i = 0; i < corners; ++i) {
        const double a = qDegreesToRadians(firstAngle + i * step);
        polygon << QPointF(0.5 + 0.5 * qCos(a), 0.5 + 0.5 * qSin(a));
    }
    // The corners of most regular polygons stop short of some sides of the square; stretch to fill it.
    return fitToUnitSquare(polygon);
}

// An oval body with a tail that leaves its lower edge right of the centre and points down-left.
QPolygonF speechBubble()
{
    constexpr int kBodyPoints = 54;            // smooth enough at any size a presenter draws
    constexpr double kTailStartDegrees = 82.3; // body point at x ~0.567 on the lower edge
    constexpr double kTailEndDegrees = 427.7;  // body point at x ~0.69, one turn later
    constexpr double kBodyHeight = 0.606;
    const QPointF tip(0.462294, 1.0);
    QPolygonF polygon;
    for (int i = 0; i <= kBodyPoints; ++i) {
        const double a = qDegreesToRadians(kTailStartDegrees + (kTailEndDegrees - kTailStartDegrees) * i / kBodyPoints);
        polygon << QPointF(0.5 + 0.5 * qCos(a), kBodyHeight / 2 * (1 + qSin(a)));
    }
    polygon << tip;
    return fitToUnitSquare(polygon);
}

// A scalloped cloud with a chain of three shrinking loops below it, as one outline.
QPolygonF thoughtBubble()
{
    constexpr int kBodyPoints = 120;
    constexpr int kScallops = 9;
    constexpr double kScallopDepth = 0.06;
    QPolygonF body;
    for (int i = 0; i < kBodyPoints; ++i) {
        const double a = 2 * M_PI * i / kBodyPoints;
        const double r = 1.0 - kScallopDepth + kScallopDepth * qAbs(qSin(kScallops * a / 2));
        body << QPointF(0.5 + 0.5 * r * qCos(a), 0.375 + 0.375 * r * qSin(a));
    }
    QPainterPath outline;
    outline.addPolygon(body);
    outline.closeSubpath();
    // Each loop overlaps the one above it so that the outline stays in one piece.
    struct Loop
    {
        double x, y, r;
    };
    constexpr std::array<Loop, 3> kLoops{{{0.62, 0.77, 0.075}, {0.67, 0.87, 0.055}, {0.69, 0.95, 0.05}}};
    for (const Loop &loop : kLoops) {
        QPainterPath circle;
        circle.addEllipse(QPointF(loop.x, loop.y), loop.r, loop.r);
        outline = outline.united(circle);
    }
    return fitToUnitSquare(outline.simplified().toFillPolygon());
}

QPainterPath polygonPath(const QPolygonF &polygon)
{
    QPainterPath path;
    path.addPolygon(polygon);
    path.closeSubpath();
    return path;
}

QPainterPath stretched(const QPainterPath &unit, const QRectF &rect)
{
    QTransform t;
    t.translate(rect.x(), rect.y());
    t.scale(rect.width(), rect.height());
    return t.map(unit);
}

} // namespace

ShapeGraphic::ShapeGraphic(int kind, QGraphicsItem *parent)
    : QGraphicsPathItem(parent)
    , BaseGraphic(kCapabilities, this)
    , m_kind(kind)
{
    setFlags(ItemIsMovable | ItemIsSelectable);
    cacheWhileStill();
}

ShapeGraphic::ShapeGraphic(const ShapeGraphic &other)
    : QGraphicsPathItem(other.parentItem())
    , BaseGraphic(other, this)
    , m_kind(other.m_kind)
{
    setFlags(ItemIsMovable | ItemIsSelectable);
    if (other.type() == TYPE_SHAPE) {
        copyItemState(&other);
        setPath(other.path());
        QGraphicsPathItem::setPen(other.QGraphicsPathItem::pen());
        QGraphicsPathItem::setBrush(other.QGraphicsPathItem::brush());
    }
}

Qt::PenJoinStyle ShapeGraphic::joinStyleFor(int kind)
{
    return (kind == ELLIPSE || kind == THOUGHT_BUBBLE || kind == ROUNDED_RECTANGLE) ? Qt::RoundJoin : Qt::MiterJoin;
}

QPainterPath ShapeGraphic::buildPath(int kind)
{
    QPainterPath path;
    switch (kind) {
    case RECTANGLE:
        path.addRect(0, 0, 1, 1);
        return path;
    case ELLIPSE:
        path.addEllipse(0, 0, 1, 1);
        return path;
    case ROUNDED_RECTANGLE:
        path.addRoundedRect(0, 0, 1, 1, kRoundedCornerPercent, kRoundedCornerPercent, Qt::RelativeSize);
        return path;
    case PARALLELOGRAM:
        return polygonPath(polygonOf({{0.2, 0}, {1, 0}, {0.8, 1}, {0, 1}}));
    case PENTAGON:
        return polygonPath(regularPolygon(5, -90));
    case DIAMOND:
        return polygonPath(polygonOf({{0.5, 0}, {1, 0.5}, {0.5, 1}, {0, 0.5}}));
    case TRIANGLE:
        return polygonPath(polygonOf({{0.5, 0}, {1, 1}, {0, 1}}));
    case RIGHT_TRIANGLE:
        return polygonPath(polygonOf({{0, 0}, {1, 1}, {0, 1}}));
    case HEXAGON:
        return polygonPath(regularPolygon(6, 0));
    case OCTAGON:
        return polygonPath(regularPolygon(8, 0));
    case NONAGON:
        return polygonPath(regularPolygon(9, -90));
    case DECAGON:
        return polygonPath(regularPolygon(10, 0));
    case DODECAGON:
        return polygonPath(regularPolygon(12, 0));
    case STAR:
        return polygonPath(polygonOf({{0.5, 0},
                                      {0.622, 0.38046},
                                      {1, 0.38046},
                                      {0.697545, 0.61954},
                                      {0.806455, 1},
                                      {0.5, 0.774483},
                                      {0.193545, 1},
                                      {0.302455, 0.61954},
                                      {0, 0.38046},
                                      {0.378, 0.38046}}));
    case ARROW:
        return polygonPath(polygonOf(
            {{0.583465, 1}, {0.583465, 0.75}, {0, 0.75}, {0, 0.25}, {0.583465, 0.25}, {0.583465, 0}, {1, 0.5}}));
    case THOUGHT_BUBBLE: {
        static const QPolygonF outline = thoughtBubble();
        return polygonPath(outline);
    }
    case SPEECH_BUBBLE: {
        static const QPolygonF outline = speechBubble();
        return polygonPath(outline);
    }
    case TRAPEZOID:
        return polygonPath(polygonOf({{0, 1}, {0.2, 0}, {0.8, 0}, {1, 1}}));
    default:
        return path;
    }
}

void ShapeGraphic::setPen(const QPen &pen)
{
    if (hasCapability(CAP_PEN))
        QGraphicsPathItem::setPen(pen);
}

void ShapeGraphic::setBrush(const QBrush &brush)
{
    if (hasCapability(CAP_BRUSH))
        QGraphicsPathItem::setBrush(brush);
}

void ShapeGraphic::setShapeKind(int kind)
{
    if (kind == m_kind)
        return;
    m_kind = kind;
    setPath(stretched(buildPath(kind), path().boundingRect()));
    QPen p = QGraphicsPathItem::pen();
    if (p.joinStyle() != joinStyleFor(kind)) {
        p.setJoinStyle(joinStyleFor(kind));
        QGraphicsPathItem::setPen(p);
    }
}

bool ShapeGraphic::startDrawing(const QPointF &scenePos)
{
    m_dragStart = scenePos;
    const QPainterPath unit = buildPath(m_kind);
    if (unit.isEmpty())
        return false;
    // While dragged out the shape changes on every move: a cached picture would only be thrown away.
    setCacheMode(NoCache);
    setPath(unit.translated(scenePos));
    m_drawing = true;
    return true;
}

bool ShapeGraphic::continueDrawing(const QPointF &scenePos)
{
    if (!m_drawing)
        return false;
    const QPainterPath unit = buildPath(m_kind);
    if (unit.isEmpty())
        return false;
    setPath(stretched(unit, dragRect(m_dragStart, scenePos, m_freeAspect)));
    return true;
}

void ShapeGraphic::finishDrawing()
{
    m_drawing = false;
    cacheWhileStill();
}

void ShapeGraphic::cacheWhileStill()
{
    // Antialiased outlines and translucent fills are the dearest part of repainting a full canvas; a still
    // shape is drawn once into a picture at screen resolution and then copied. The picture is not clipped
    // to the scene again when the scene changes, so shapes that must be clipped are drawn each time.
    setCacheMode(Canvas::clipToScene() ? NoCache : DeviceCoordinateCache);
}

QPainterPath ShapeGraphic::outlineShape() const
{
    QPainterPath result;
    if (QGraphicsPathItem::brush().style() != Qt::NoBrush)
        result = path();
    const QPen p = QGraphicsPathItem::pen();
    if (p.style() != Qt::NoPen) {
        QPainterPathStroker stroker;
        stroker.setCapStyle(p.capStyle());
        stroker.setWidth(p.widthF());
        stroker.setJoinStyle(p.joinStyle());
        stroker.setMiterLimit(p.miterLimit());
        result = result.united(stroker.createStroke(path()));
    }
    return result;
}

QPainterPath ShapeGraphic::shape() const
{
    if (!isSelected())
        return outlineShape();
    // The path item's bounding rect is built from shape(); take the box from the outline directly.
    const QPen p = QGraphicsPathItem::pen();
    const QRectF box = p.style() == Qt::NoPen || p.widthF() == 0.0 ? path().controlPointRect()
                                                                   : outlineShape().controlPointRect();
    QPainterPath result;
    result.addRect(box);
    return result;
}

void ShapeGraphic::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    clipPainterToScene(painter);
    QGraphicsPathItem::paint(painter, option, widget);
}

void ShapeGraphic::contextMenuEvent(QGraphicsSceneContextMenuEvent *event)
{
    showContextMenu(event->screenPos());
    event->accept();
}

void ShapeGraphic::writeXml(AnnotationXmlWriter &writer) const
{
    writeItemAttributes(writer);
    writeTransformAttributes(writer);
    writer.writeAttribute(QStringLiteral("shape"), QString::number(m_kind));
    writer.writePen(QGraphicsPathItem::pen());
    writer.writeBrush(QGraphicsPathItem::brush());
    writePathElement(writer, path());
}

bool ShapeGraphic::readXml(AnnotationXmlReader &reader)
{
    if (!readItemAttributes(reader) || !readTransformAttributes(reader))
        return false;
    int kind = 0;
    if (!reader.readInt(QStringLiteral("shape"), kind))
        return false;
    m_kind = kind;
    QPen p;
    if (!reader.enterElement(QStringLiteral("pen")) || !reader.readPen(p))
        return false;
    p.setJoinStyle(joinStyleFor(m_kind));
    QGraphicsPathItem::setPen(p);
    QBrush b;
    if (!reader.enterElement(QStringLiteral("brush")) || !reader.readBrush(b))
        return false;
    QGraphicsPathItem::setBrush(b);
    if (!reader.enterElement(QStringLiteral("path")))
        return false;
    QPainterPath read;
    if (!readPathElement(reader, read))
        return false;
    if (m_kind == RECTANGLE || m_kind == ELLIPSE || m_kind == ROUNDED_RECTANGLE)
        read = stretched(buildPath(m_kind), read.boundingRect());
    setPath(read);
    // The stored scale, rotation and mirroring only show once the item transform is rebuilt.
    applyTransform();
    return true;
}
