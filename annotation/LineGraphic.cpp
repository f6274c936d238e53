#include "LineGraphic.h"

#include "AnnotationXmlReader.h"
#include "AnnotationXmlWriter.h"
#include "GraphicGeometry.h"

#include <QGraphicsSceneContextMenuEvent>
#include <QPainter>

namespace {

// Qt's relative comparison: equal when the difference is at most 1e-12 of the smaller magnitude.
bool sameScale(double a, double b)
{
    return qAbs(a - b) <= 1e-12 * qMin(qAbs(a), qAbs(b));
}

} // namespace

LineGraphic::LineGraphic(QGraphicsItem *parent)
    : QGraphicsLineItem(parent)
    , BaseGraphic(kCapabilities, this)
{
    setFlags(ItemIsMovable | ItemIsSelectable);
}

LineGraphic::LineGraphic(const LineGraphic &other)
    : QGraphicsLineItem(other.parentItem())
    , BaseGraphic(other, this)
{
    setFlags(ItemIsMovable | ItemIsSelectable);
    if (other.type() == TYPE_LINE) {
        copyItemState(&other);
        setLine(other.line());
        QGraphicsLineItem::setPen(other.pen());
    }
}

QRectF LineGraphic::boundingRect() const
{
    const double half = pen().widthF() / 2;
    return unitedWithAnchors(QGraphicsLineItem::boundingRect().adjusted(-half, -half, half, half), true)
        .adjusted(-1, -1, 1, 1);
}

QPainterPath LineGraphic::decoratedShape() const
{
    QPainterPath result = QGraphicsLineItem::shape();
    if (m_anchors.isEmpty())
        return result;
    const AnchorRecord &record = m_anchors.first();
    const double w = pen().widthF();
    const QPainterPath start = anchorPath(w, m_startAnchor, record.startPoint, record.startDirection);
    if (!start.isEmpty())
        result |= start;
    const QPainterPath end = anchorPath(w, m_endAnchor, record.endPoint, record.endDirection);
    if (!end.isEmpty())
        result |= end;
    return result;
}

QPainterPath LineGraphic::shape() const
{
    const QPainterPath decorated = decoratedShape();
    if (!isSelected())
        return decorated;
    QPainterPath box;
    box.addRect(decorated.boundingRect());
    return box;
}

void LineGraphic::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    clipPainterToScene(painter);
    QGraphicsLineItem::paint(painter, option, widget);
    paintAnchors(painter);
}

void LineGraphic::contextMenuEvent(QGraphicsSceneContextMenuEvent *event)
{
    showContextMenu(event->screenPos());
    event->accept();
}

void LineGraphic::setPen(const QPen &pen)
{
    if (hasCapability(CAP_PEN))
        QGraphicsLineItem::setPen(pen);
}

void LineGraphic::anchorsAboutToChange()
{
    prepareGeometryChange();
}

void LineGraphic::anchorsChanged()
{
    updateAnchorsFromLine(line());
    update();
}

bool LineGraphic::startDrawing(const QPointF &p)
{
    setLine(QLineF(p, p));
    m_drawing = true;
    return true;
}

bool LineGraphic::continueDrawing(const QPointF &p)
{
    if (!m_drawing)
        return false;
    const QLineF l(line().p1(), p);
    // The decorations widen the bounds, which must be announced before they change.
    prepareGeometryChange();
    setLine(l);
    updateAnchorsFromLine(l);
    return true;
}

void LineGraphic::finishDrawing()
{
    const double a = line().angle();
    m_rotation = a > 0 ? 360.0 - a : a;
    prepareGeometryChange();
    updateAnchorsFromLine(line());
    m_drawing = false;
}

void LineGraphic::transformAboutMidpoint(const QTransform &op)
{
    const QLineF l = line();
    const QPointF c = (l.p1() + l.p2()) / 2;
    const QTransform t = QTransform::fromTranslate(-c.x(), -c.y()) * op * QTransform::fromTranslate(c.x(), c.y());
    const QLineF mapped(t.map(l.p1()), t.map(l.p2()));
    prepareGeometryChange();
    setLine(mapped);
    updateAnchorsFromLine(mapped);
}

void LineGraphic::scaleTo(double factor)
{
    if (!hasCapability(CAP_SCALE_X | CAP_SCALE_Y) || !(factor > 0) || sameScale(factor, m_scale))
        return;
    const double k = factor / m_scale;
    m_scale = factor;
    transformAboutMidpoint(QTransform::fromScale(k, k));
}

void LineGraphic::rotateTo(double degrees)
{
    if (!hasCapability(CAP_ROTATE) || qAbs(degrees - m_rotation) < kGeometryEpsilon)
        return;
    double d = degrees - m_rotation;
    if (m_mirrored || m_flipped)
        d = -d;
    m_rotation = degrees;
    transformAboutMidpoint(QTransform().rotate(d, Qt::ZAxis));
}

void LineGraphic::flip()
{
    if (!hasCapability(CAP_FLIP))
        return;
    m_flipped = !m_flipped;
    transformAboutMidpoint(QTransform::fromScale(1, -1));
}

void LineGraphic::mirror()
{
    if (!hasCapability(CAP_MIRROR))
        return;
    m_mirrored = !m_mirrored;
    transformAboutMidpoint(QTransform::fromScale(-1, 1));
}

void LineGraphic::writeXml(AnnotationXmlWriter &writer) const
{
    writeItemAttributes(writer);
    writeTransformAttributes(writer);
    writer.writePen(pen());
    const QLineF l = line();
    writer.writeStartElement(QStringLiteral("line"));
    writer.writeAttribute(QStringLiteral("x1"), AnnotationXmlWriter::number(l.x1()));
    writer.writeAttribute(QStringLiteral("y1"), AnnotationXmlWriter::number(l.y1()));
    writer.writeAttribute(QStringLiteral("x2"), AnnotationXmlWriter::number(l.x2()));
    writer.writeAttribute(QStringLiteral("y2"), AnnotationXmlWriter::number(l.y2()));
    writer.writeEndElement();
}

bool LineGraphic::readXml(AnnotationXmlReader &reader)
{
    if (!readItemAttributes(reader) || !readTransformAttributes(reader))
        return false;
    QPen p;
    if (!reader.enterElement(QStringLiteral("pen")) || !reader.readPen(p))
        return false;
    p.setCapStyle(defaultCapStyle());
    setPen(p);
    if (!reader.enterElement(QStringLiteral("line")))
        return false;
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;
    if (!reader.readDouble(QStringLiteral("x1"), x1) || !reader.readDouble(QStringLiteral("y1"), y1)
        || !reader.readDouble(QStringLiteral("x2"), x2) || !reader.readDouble(QStringLiteral("y2"), y2))
        return false;
    // The end points already carry scale, rotation and mirroring.
    prepareGeometryChange();
    setLine(QLineF(x1, y1, x2, y2));
    updateAnchorsFromLine(line());
    reader.skipCurrentElement();
    return true;
}
