#include "BaseGraphic.h"

#include "AnnotationXmlReader.h"
#include "AnnotationXmlWriter.h"
#include "Canvas.h"
#include "GraphicFactory.h"
#include "GraphicGeometry.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QGraphicsItem>
#include <QImage>
#include <QLineF>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QtMath>

#include <cmath>

namespace {

// Decoration sizes relative to the pen width: large enough to read at the default 4-pixel pen, small
// enough not to swamp short strokes.
constexpr double kSquareSize = 1.6;
constexpr double kCircleSize = 2.0;
constexpr double kDiamondSize = 1.6;
constexpr double kArrowBaseWidth = 2.0;
constexpr double kArrowLength = 1.6;
// The arrow's base sits this far (in item units) behind the end point so that the round cap of the
// stroke disappears under the head.
constexpr double kArrowSetBack = 2.0;
// Weight of the point next to an end when averaging the end direction; it halves per step down to 1,
// so that the nearest points steer the direction most.
constexpr double kFirstDirectionWeight = 4.0;

QPainterPath unitRectPath()
{
    QPainterPath path;
    path.addRect(QRectF(-0.5, -0.5, 1, 1));
    return path;
}

QPainterPath placedUnitPath(const QPainterPath &unit, double sx, double sy, double angle, const QPointF &p)
{
    QTransform t;
    t.scale(sx, sy);
    t.rotate(angle, Qt::ZAxis);
    return QTransform::fromTranslate(p.x(), p.y()).map(t.map(unit));
}

QPointF elementPoint(const QPainterPath &path, int index)
{
    const QPainterPath::Element e = path.elementAt(index);
    return QPointF(e.x, e.y);
}

QVector2D vectorOf(const QPointF &p)
{
    return QVector2D(float(p.x()), float(p.y()));
}

} // namespace

BaseGraphic::BaseGraphic(unsigned capabilities, QGraphicsItem *item)
    : m_capabilities(capabilities)
    , m_item(item)
{
}

BaseGraphic::BaseGraphic(const BaseGraphic &other, QGraphicsItem *item)
    : m_capabilities(other.m_capabilities)
    , m_startAnchor(other.m_startAnchor)
    , m_endAnchor(other.m_endAnchor)
    , m_filePath(other.m_filePath)
    , m_freeAspect(other.m_freeAspect)
    , m_item(item)
    , m_scale(other.m_scale)
    , m_rotation(other.m_rotation)
    , m_flipped(other.m_flipped)
    , m_mirrored(other.m_mirrored)
    , m_anchors(other.m_anchors)
{
}

BaseGraphic::~BaseGraphic() = default;

QPen BaseGraphic::pen() const
{
    return QPen(Qt::NoPen);
}
void BaseGraphic::setPen(const QPen &)
{
}
QBrush BaseGraphic::brush() const
{
    return QBrush(Qt::NoBrush);
}
void BaseGraphic::setBrush(const QBrush &)
{
}
void BaseGraphic::anchorsAboutToChange()
{
}
void BaseGraphic::anchorsChanged()
{
}
QFont BaseGraphic::font() const
{
    return QFont();
}
QColor BaseGraphic::textColor() const
{
    return QColor();
}
bool BaseGraphic::setFontFamily(const QString &)
{
    return false;
}
bool BaseGraphic::setFontPointSize(double)
{
    return false;
}
bool BaseGraphic::setTextColor(const QColor &)
{
    return false;
}
bool BaseGraphic::setFontBold(bool)
{
    return false;
}
bool BaseGraphic::setFontItalic(bool)
{
    return false;
}
bool BaseGraphic::setFontUnderline(bool)
{
    return false;
}
int BaseGraphic::shapeKind() const
{
    return 0;
}
void BaseGraphic::setShapeKind(int)
{
}
void BaseGraphic::beforeRemove()
{
}
bool BaseGraphic::startDrawing(const QPointF &)
{
    return false;
}
bool BaseGraphic::continueDrawing(const QPointF &)
{
    return false;
}
void BaseGraphic::finishDrawing()
{
}
void BaseGraphic::writeXml(AnnotationXmlWriter &) const
{
}
bool BaseGraphic::readXml(AnnotationXmlReader &)
{
    return false;
}

void BaseGraphic::setStartAnchor(int kind)
{
    changeAnchor(m_startAnchor, kind);
}

void BaseGraphic::setEndAnchor(int kind)
{
    changeAnchor(m_endAnchor, kind);
}

void BaseGraphic::changeAnchor(int &anchor, int kind)
{
    if (!hasCapability(CAP_ANCHORS) || kind == anchor)
        return;
    anchorsAboutToChange();
    anchor = kind;
    anchorsChanged();
}

void BaseGraphic::scaleTo(double factor)
{
    if (!m_item || !hasCapability(CAP_SCALE_X | CAP_SCALE_Y) || !(factor > 0) || factor == m_scale)
        return;
    m_scale = factor;
    applyTransform();
}

void BaseGraphic::rotateTo(double degrees)
{
    if (!m_item || !hasCapability(CAP_ROTATE) || qAbs(degrees - m_rotation) < kGeometryEpsilon)
        return;
    m_rotation = degrees;
    applyTransform();
}

void BaseGraphic::flip()
{
    if (!m_item || !hasCapability(CAP_FLIP))
        return;
    m_flipped = !m_flipped;
    applyTransform();
}

void BaseGraphic::mirror()
{
    if (!m_item || !hasCapability(CAP_MIRROR))
        return;
    m_mirrored = !m_mirrored;
    applyTransform();
}

QString BaseGraphic::fileName(bool fullPath) const
{
    if (fullPath || m_filePath.isEmpty())
        return m_filePath;
    return QFileInfo(m_filePath).fileName();
}

QColor BaseGraphic::penColor() const
{
    const QPen p = pen();
    return p.style() == Qt::NoPen ? QColor() : p.color();
}

QColor BaseGraphic::brushColor() const
{
    const QBrush b = brush();
    return b.style() == Qt::NoBrush ? QColor() : b.color();
}

Qt::PenCapStyle BaseGraphic::defaultCapStyle()
{
    return Qt::RoundCap;
}

void BaseGraphic::applyTransform()
{
    if (!m_item)
        return;
    const QRectF r = m_item->boundingRect();
    const QPointF c = r.center();
    double sx = m_mirrored ? -1.0 : 1.0;
    double sy = m_flipped ? -1.0 : 1.0;
    if (hasCapability(CAP_SCALE_X))
        sx *= m_scale;
    if (hasCapability(CAP_SCALE_Y))
        sy *= m_scale;
    const double angle = sx * sy < 0 ? -m_rotation : m_rotation;
    QTransform t;
    t.translate(c.x(), c.y());
    t.scale(sx, sy);
    t.rotate(angle, Qt::ZAxis);
    t.translate(-c.x(), -c.y());
    m_item->setTransform(t, false);
}

QPainterPath BaseGraphic::anchorPath(double w, int kind, const QPointF &p, const QVector2D &d)
{
    if (kind == ANCHOR_NONE || d.isNull())
        return {};
    double angle = std::acos(qBound(-1.0, -double(d.y()), 1.0)) * 180.0 / M_PI;
    if (d.x() < 0)
        angle = -angle;
    switch (kind) {
    case ANCHOR_CIRCLE: {
        QPainterPath unit;
        unit.addEllipse(QRectF(-0.5, -0.5, 1, 1));
        return placedUnitPath(unit, kCircleSize * w, kCircleSize * w, 0.0, p);
    }
    case ANCHOR_SQUARE:
        return placedUnitPath(unitRectPath(), kSquareSize * w, kSquareSize * w, angle, p);
    case ANCHOR_DIAMOND:
        return placedUnitPath(unitRectPath(), kDiamondSize * w, kDiamondSize * w, angle + 45.0, p);
    case ANCHOR_ARROW: {
        const QPointF dir(d.x(), d.y());
        const QPointF base = p - kArrowSetBack * dir;
        const QPointF tip = base + kArrowLength * w * dir;
        const double half = 0.5 * kArrowBaseWidth * w;
        QPainterPath path;
        path.moveTo(tip);
        path.lineTo(base + half * QPointF(-dir.y(), dir.x()));
        path.lineTo(base + half * QPointF(dir.y(), -dir.x()));
        path.closeSubpath();
        return path;
    }
    default:
        return {};
    }
}

void BaseGraphic::updateAnchorsFromLine(const QLineF &line)
{
    if (!hasCapability(CAP_ANCHORS) || pen().style() == Qt::NoPen)
        return;
    m_anchors.clear();
    const QVector2D startDirection = vectorOf(line.p1() - line.p2()).normalized();
    const QVector2D endDirection = vectorOf(line.p2() - line.p1()).normalized();
    m_anchors.append({line.p1(), startDirection, line.p2(), endDirection});
}

namespace {

// The decorations of the piece of path from element s to element e: each end points away from the
// weighted mean of the points within one pen width of it.
AnchorRecord pieceAnchors(const QPainterPath &path, int s, int e, double limit)
{
    const QPointF first = elementPoint(path, s);
    const QPointF last = elementPoint(path, e);
    if (e == s) {
        // A lone move-to has no direction and shows no decoration.
        return {first, QVector2D(), last, QVector2D()};
    }
    const int r = e - 1;
    double g = kFirstDirectionWeight;
    QPointF sumFirst;
    QPointF sumLast;
    double weights = 0;
    for (int i = s + 1, m = r; i <= e; ++i, --m) {
        const QPointF near = elementPoint(path, i);
        const QPointF nearLast = elementPoint(path, m);
        if (squaredDistance(first, near) > limit || squaredDistance(last, nearLast) > limit)
            break;
        sumFirst += g * near;
        sumLast += g * nearLast;
        weights += g;
        if (g > 1)
            g *= 0.5;
    }
    QVector2D startDirection;
    QVector2D endDirection;
    if (qAbs(weights) < kGeometryEpsilon) {
        startDirection = vectorOf(first - elementPoint(path, s + 1));
        endDirection = vectorOf(last - elementPoint(path, r));
    } else {
        startDirection = vectorOf(first - sumFirst / weights);
        endDirection = vectorOf(last - sumLast / weights);
    }
    return {first, startDirection.normalized(), last, endDirection.normalized()};
}

} // namespace

bool BaseGraphic::showsAnchorsFor(const QPainterPath &path) const
{
    return hasCapability(CAP_ANCHORS) && path.elementCount() >= 2 && pen().style() != Qt::NoPen;
}

void BaseGraphic::updateAnchorsFromPath(const QPainterPath &path)
{
    if (!showsAnchorsFor(path))
        return;
    QList<int> starts;
    for (int i = 0; i < path.elementCount(); ++i) {
        if (path.elementAt(i).isMoveTo())
            starts.append(i);
    }
    if (starts.isEmpty())
        return;
    m_anchors.clear();
    const double w = pen().widthF();
    for (int k = 0; k < starts.size(); ++k) {
        const int s = starts.at(k);
        const int e = k + 1 < starts.size() ? starts.at(k + 1) - 1 : path.elementCount() - 1;
        m_anchors.append(pieceAnchors(path, s, e, w * w));
    }
}

void BaseGraphic::updateAnchorsFromOnePiece(const QPainterPath &path)
{
    if (!showsAnchorsFor(path))
        return;
    m_anchors.clear();
    const double w = pen().widthF();
    m_anchors.append(pieceAnchors(path, 0, path.elementCount() - 1, w * w));
}

void BaseGraphic::paintAnchors(QPainter *painter) const
{
    const QPen strokePen = pen();
    if (m_anchors.isEmpty() || strokePen.style() == Qt::NoPen)
        return;
    const double w = strokePen.widthF();
    for (const AnchorRecord &record : m_anchors) {
        const QPainterPath start = anchorPath(w, m_startAnchor, record.startPoint, record.startDirection);
        if (!start.isEmpty())
            painter->fillPath(start, strokePen.brush());
        const QPainterPath end = anchorPath(w, m_endAnchor, record.endPoint, record.endDirection);
        if (!end.isEmpty())
            painter->fillPath(end, strokePen.brush());
    }
}

QRectF BaseGraphic::unitedWithAnchors(const QRectF &rect, bool firstRecordOnly) const
{
    QRectF result = rect;
    const double w = pen().widthF();
    for (const AnchorRecord &record : m_anchors) {
        const QPainterPath start = anchorPath(w, m_startAnchor, record.startPoint, record.startDirection);
        if (!start.isEmpty())
            result |= start.boundingRect();
        const QPainterPath end = anchorPath(w, m_endAnchor, record.endPoint, record.endDirection);
        if (!end.isEmpty())
            result |= end.boundingRect();
        if (firstRecordOnly)
            break;
    }
    return result;
}

void BaseGraphic::clipPainterToScene(QPainter *painter) const
{
    if (!Canvas::clipToScene() || !m_item || !m_item->scene())
        return;
    const QRectF bounds = m_item->boundingRect();
    if (!(bounds.width() > 0) || !(bounds.height() > 0))
        return;
    QPainterPath clip;
    clip.addRect(bounds);
    QPainterPath sceneArea;
    sceneArea.addPolygon(m_item->mapFromScene(m_item->scene()->sceneRect()));
    clip = clip.intersected(sceneArea);
    painter->setClipPath(clip, Qt::ReplaceClip);
}

void BaseGraphic::showContextMenu(const QPoint &screenPos) const
{
    if (!m_item)
        return;
    auto *canvas = qobject_cast<Canvas *>(m_item->scene());
    if (canvas && canvas->contextMenu())
        canvas->contextMenu()->popup(screenPos);
}

void BaseGraphic::copyItemState(const QGraphicsItem *source)
{
    if (!m_item || !source)
        return;
    m_item->setAcceptDrops(source->acceptDrops());
    m_item->setAcceptHoverEvents(source->acceptHoverEvents());
    m_item->setAcceptTouchEvents(source->acceptTouchEvents());
    m_item->setAcceptedMouseButtons(source->acceptedMouseButtons());
    m_item->setCacheMode(source->cacheMode());
    if (source->hasCursor())
        m_item->setCursor(source->cursor());
    m_item->setFiltersChildEvents(source->filtersChildEvents());
    // A focus proxy only works inside one scene; the copy joins the source's scene later, if at all.
    if (source->focusProxy() && source->focusProxy()->scene() == m_item->scene())
        m_item->setFocusProxy(source->focusProxy());
    // The graphics effect is not shared: installing the source's effect here would take it away from
    // the source.
    m_item->setInputMethodHints(source->inputMethodHints());
    m_item->setOpacity(source->opacity());
    m_item->setPos(source->pos());
    m_item->setTransform(source->transform(), false);
    m_item->setZValue(source->zValue());
    const QList<QGraphicsItem *> children = source->childItems();
    for (QGraphicsItem *child : children) {
        if (QGraphicsItem *copy = GraphicFactory::copy(child))
            copy->setParentItem(m_item);
    }
}

void BaseGraphic::copyImageToClipboard(const QImage &image)
{
    if (image.isNull())
        return;
    QClipboard *clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setImage(image);
}

void BaseGraphic::copyPathToClipboard(const QPainterPath &path) const
{
    if (!m_item || !m_item->scene() || path.isEmpty())
        return;
    const QRectF sceneRect = m_item->scene()->sceneRect();
    QPixmap pixmap(int(sceneRect.width()), int(sceneRect.height()));
    if (pixmap.isNull())
        return;
    {
        QPainter painter(&pixmap);
        painter.fillRect(sceneRect, Qt::white);
        painter.fillPath(path, QBrush(Qt::black, Qt::SolidPattern));
    }
    QClipboard *clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setPixmap(pixmap);
}

bool BaseGraphic::usesAnchorAttributes() const
{
    const int type = m_item ? m_item->type() : 0;
    return type == TYPE_FREEHAND || type == TYPE_LINE || type == TYPE_HILITER;
}

void BaseGraphic::writeItemAttributes(AnnotationXmlWriter &writer) const
{
    writer.writeAttribute(QStringLiteral("type"), QString::number(m_item->type()));
    writer.writeAttribute(QStringLiteral("opacity"), AnnotationXmlWriter::number(m_item->opacity()));
    writer.writeAttribute(QStringLiteral("x"), AnnotationXmlWriter::number(m_item->pos().x()));
    writer.writeAttribute(QStringLiteral("y"), AnnotationXmlWriter::number(m_item->pos().y()));
    writer.writeAttribute(QStringLiteral("z"), AnnotationXmlWriter::number(m_item->zValue()));
}

bool BaseGraphic::readItemAttributes(AnnotationXmlReader &reader)
{
    double value = 0;
    if (reader.readDouble(QStringLiteral("opacity"), value))
        m_item->setOpacity(value);
    double x = 0;
    double y = 0;
    if (reader.readDouble(QStringLiteral("x"), x) && reader.readDouble(QStringLiteral("y"), y))
        m_item->setPos(x, y);
    if (reader.readDouble(QStringLiteral("z"), value))
        m_item->setZValue(value);
    return !reader.hasError();
}

void BaseGraphic::writeTransformAttributes(AnnotationXmlWriter &writer) const
{
    if (usesAnchorAttributes()) {
        writer.writeAttribute(QStringLiteral("start_anchor"), QString::number(m_startAnchor));
        writer.writeAttribute(QStringLiteral("end_anchor"), QString::number(m_endAnchor));
    }
    writer.writeAttribute(QStringLiteral("scale"), AnnotationXmlWriter::number(m_scale));
    writer.writeAttribute(QStringLiteral("degree"), AnnotationXmlWriter::number(m_rotation));
    writer.writeAttribute(QStringLiteral("flipped"), m_flipped ? QStringLiteral("1") : QStringLiteral("0"));
    writer.writeAttribute(QStringLiteral("mirrored"), m_mirrored ? QStringLiteral("1") : QStringLiteral("0"));
}

bool BaseGraphic::readTransformAttributes(AnnotationXmlReader &reader)
{
    int kind = 0;
    if (usesAnchorAttributes()) {
        if (reader.readInt(QStringLiteral("start_anchor"), kind))
            m_startAnchor = kind;
        if (reader.readInt(QStringLiteral("end_anchor"), kind))
            m_endAnchor = kind;
        if (reader.hasError())
            return false;
    }
    double value = 0;
    if (reader.readDouble(QStringLiteral("scale"), value))
        m_scale = value;
    if (reader.readDouble(QStringLiteral("degree"), value))
        m_rotation = value;
    const QXmlStreamAttributes attrs = reader.attributes();
    m_flipped = attrs.value(QLatin1String("flipped")) == QLatin1String("1");
    m_mirrored = attrs.value(QLatin1String("mirrored")) == QLatin1String("1");
    return !reader.hasError();
}

void BaseGraphic::writePathElement(AnnotationXmlWriter &writer, const QPainterPath &path)
{
    writer.writeStartElement(QStringLiteral("path"));
    writer.writeAttribute(QStringLiteral("count"), QString::number(path.elementCount()));
    const QRectF bounds = path.boundingRect();
    writer.writeAttribute(QStringLiteral("x"), AnnotationXmlWriter::number(bounds.x()));
    writer.writeAttribute(QStringLiteral("y"), AnnotationXmlWriter::number(bounds.y()));
    writer.writeAttribute(QStringLiteral("w"), AnnotationXmlWriter::number(bounds.width()));
    writer.writeAttribute(QStringLiteral("h"), AnnotationXmlWriter::number(bounds.height()));
    const bool formatting = writer.autoFormatting();
    writer.setAutoFormatting(false);
    for (int i = 0; i < path.elementCount(); ++i)
        writer.writePoint(elementPoint(path, i));
    writer.writeEndElement();
    writer.setAutoFormatting(formatting);
}

bool BaseGraphic::readPathElement(AnnotationXmlReader &reader, QPainterPath &path)
{
    int count = 0;
    if (!reader.readInt(QStringLiteral("count"), count))
        return false;
    path = QPainterPath();
    for (int i = 0; i < count; ++i) {
        QPointF point;
        if (!reader.readPoint(point))
            return false;
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    reader.skipCurrentElement();
    return !reader.hasError();
}
