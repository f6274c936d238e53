#include "FreehandGraphic.h"

#include "AnnotationXmlReader.h"
#include "AnnotationXmlWriter.h"
#include "GraphicGeometry.h"

#include <QGraphicsSceneContextMenuEvent>
#include <QPainter>
#include <QPainterPathStroker>
#include <QStyleOptionGraphicsItem>

#include <algorithm>

namespace {

// The first off-screen picture: big enough for most strokes, small enough to allocate at every press.
constexpr int kInitialCacheSize = 512;
// Growing by at least this much keeps the picture from being reallocated on every move.
constexpr int kCacheGrowStep = 128;
// The press leaves a dot this long so that a click without a move still shows as a pen-wide dot.
constexpr double kPressDotLength = 0.1;
// Input closer than one unit to the last point adds nothing visible and is dropped.
constexpr double kMinSquaredStep = 1.0;
// Spans longer than 5 units always get a bend point so that fast strokes stay round.
constexpr double kBendSquaredSpan = 25.0;
// cos(5 degrees): turns sharper than this (and not full reversals) get a bend point.
constexpr double kBendCosine = 0.9961946980917455;

QPen opaque(const QPen &pen)
{
    QPen result(pen);
    QColor color = result.color();
    color.setAlpha(255);
    result.setColor(color);
    return result;
}

QPointF elementPoint(const QPainterPath &path, int index)
{
    const QPainterPath::Element e = path.elementAt(index);
    return QPointF(e.x, e.y);
}

// Twice the signed area enclosed by the path's points, each subpath closed (control points taken as
// corners, which keeps the sign of convex shapes and of stroke outlines): its sign says which way it turns.
double signedArea(const QPainterPath &path)
{
    double sum = 0;
    int first = 0;
    for (int i = 0; i < path.elementCount(); ++i) {
        const bool last = i + 1 == path.elementCount() || path.elementAt(i + 1).isMoveTo();
        const QPointF a = elementPoint(path, i);
        const QPointF b = elementPoint(path, last ? first : i + 1);
        sum += a.x() * b.y() - b.x() * a.y();
        if (last)
            first = i + 1;
    }
    return sum;
}

QRect pixelBox(const QPointF &p, int n)
{
    const QPoint c = p.toPoint();
    return QRect(QPoint(c.x() - n, c.y() - n), QPoint(c.x() + n - 1, c.y() + n - 1));
}

} // namespace

FreehandGraphic::FreehandGraphic(QGraphicsItem *parent)
    : QAbstractGraphicsShapeItem(parent)
    , BaseGraphic(kCapabilities, this)
{
    setFlags(ItemIsMovable | ItemIsSelectable);
}

FreehandGraphic::FreehandGraphic(const FreehandGraphic &other)
    : QAbstractGraphicsShapeItem(other.parentItem())
    , BaseGraphic(other, this)
{
    setFlags(ItemIsMovable | ItemIsSelectable);
    if (other.type() == TYPE_FREEHAND) {
        copyItemState(&other);
        QAbstractGraphicsShapeItem::setPen(other.pen());
        setPath(other.path());
    }
}

FreehandGraphic::~FreehandGraphic() = default;

void FreehandGraphic::setStrokePen(const QPen &pen)
{
    QAbstractGraphicsShapeItem::setPen(pen);
    prepareGeometryChange();
    rebuildOutline();
    update();
}

void FreehandGraphic::setPen(const QPen &pen)
{
    if (hasCapability(CAP_PEN))
        setStrokePen(pen);
}

void FreehandGraphic::anchorsAboutToChange()
{
    prepareGeometryChange();
}

void FreehandGraphic::anchorsChanged()
{
    updateAnchorsFromPath(m_path);
    rebuildOutline();
    update();
}

void FreehandGraphic::setPath(const QPainterPath &path)
{
    if (path == m_path)
        return;
    prepareGeometryChange();
    m_path = path;
    restartRunningValues();
    updateAnchorsFromPath(m_path);
    rebuildOutline();
    update();
}

bool FreehandGraphic::rebuildOutline()
{
    m_outline = QPainterPath();
    const QPen strokePen = pen();
    if (strokePen.style() == Qt::NoPen || m_path.isEmpty())
        return true;
    QPainterPathStroker stroker;
    stroker.setCapStyle(strokePen.capStyle());
    stroker.setWidth(strokePen.widthF());
    stroker.setJoinStyle(strokePen.joinStyle());
    stroker.setMiterLimit(strokePen.miterLimit());
    m_outline = stroker.createStroke(m_path);
    if (m_outline.isEmpty())
        return false;
    // The decorations are added beside the stroke, not united with it: a union with the outline of a long
    // stroke costs seconds to minutes, and filling one path with the non-zero rule paints each pixel once
    // all the same, provided each decoration turns the same way as the stroke's outline (a stroker's
    // outline turns the same way whatever the path).
    QPainterPath reference;
    reference.lineTo(1, 0);
    const bool strokeTurnsPositive = signedArea(stroker.createStroke(reference)) > 0;
    const double w = strokePen.widthF();
    const auto addDecoration = [this, strokeTurnsPositive](const QPainterPath &decoration) {
        if (decoration.isEmpty())
            return;
        m_outline.addPath((signedArea(decoration) > 0) == strokeTurnsPositive ? decoration : decoration.toReversed());
    };
    for (const AnchorRecord &record : std::as_const(m_anchors)) {
        addDecoration(anchorPath(w, m_startAnchor, record.startPoint, record.startDirection));
        addDecoration(anchorPath(w, m_endAnchor, record.endPoint, record.endDirection));
    }
    return true;
}

double FreehandGraphic::squaredLengthSum() const
{
    if (m_path.elementCount() < 2)
        return 0;
    double sum = 0;
    QPointF previous = elementPoint(m_path, 0);
    for (int i = 1; i < m_path.elementCount(); ++i) {
        const QPainterPath::Element e = m_path.elementAt(i);
        if (e.isLineTo())
            sum += squaredDistance(previous, QPointF(e.x, e.y));
        if (e.isLineTo() || e.isMoveTo())
            previous = QPointF(e.x, e.y);
    }
    return sum;
}

void FreehandGraphic::restartRunningValues()
{
    const QRectF bounds = m_path.boundingRect();
    m_pointsMin = bounds.topLeft();
    m_pointsMax = bounds.bottomRight();
    m_squaredLength = squaredLengthSum();
}

void FreehandGraphic::lineTo(const QPointF &p)
{
    m_squaredLength += squaredDistance(m_path.currentPosition(), p);
    m_path.lineTo(p);
    m_pointsMin = QPointF(qMin(m_pointsMin.x(), p.x()), qMin(m_pointsMin.y(), p.y()));
    m_pointsMax = QPointF(qMax(m_pointsMax.x(), p.x()), qMax(m_pointsMax.y(), p.y()));
}

QRectF FreehandGraphic::boundingRect() const
{
    const double half = pen().widthF() / 2;
    // The path's own bounding rect would walk every element each time the scene asks after a move.
    const QRectF points(m_pointsMin, m_pointsMax);
    QRectF bounds = unitedWithAnchors(points.adjusted(-half, -half, half, half), false);
    // While drawing, the bounds are the off-screen picture: they change only when the picture grows,
    // so the scene's index stays right without announcing a geometry change on every move.
    if (m_drawing && !m_cache.isNull())
        bounds |= QRectF(m_cacheOrigin, m_cache.size());
    return bounds.adjusted(-1, -1, 1, 1);
}

QPainterPath FreehandGraphic::shape() const
{
    if (isSelected()) {
        QPainterPath box;
        box.addRect(boundingRect());
        return box;
    }
    return m_outline;
}

void FreehandGraphic::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *)
{
    if (cacheMode() == NoCache)
        clipPainterToScene(painter);
    const QPen strokePen = pen();
    painter->setPen(strokePen);
    painter->setBrush(Qt::NoBrush);
    if (!m_drawing) {
        painter->fillPath(m_outline, QBrush(strokePen.color(), Qt::SolidPattern));
    } else if (!m_cache.isNull()) {
        const int alpha = strokePen.color().alpha();
        const double opacity = painter->opacity();
        if (alpha < 255)
            painter->setOpacity(alpha / 255.0);
        painter->drawPixmap(m_cacheOrigin, m_cache);
        painter->setOpacity(opacity);
    }
    if (option->state & QStyle::State_Selected) {
        QPen dashed(option->palette.brush(QPalette::Current, QPalette::WindowText), 0, Qt::DashLine, Qt::SquareCap,
                    Qt::BevelJoin);
        painter->setPen(dashed);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(boundingRect());
    }
}

void FreehandGraphic::contextMenuEvent(QGraphicsSceneContextMenuEvent *event)
{
    showContextMenu(event->screenPos());
    event->accept();
}

void FreehandGraphic::paintOnCache(const QPointF &from, const QPointF &to)
{
    QPainter painter(&m_cache);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(opaque(pen()));
    painter.translate(-m_cacheOrigin);
    painter.drawLine(from, to);
}

void FreehandGraphic::paintOnCache(const QPointF &from, const QPointF &bend, const QPointF &to)
{
    QPainter painter(&m_cache);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(opaque(pen()));
    painter.translate(-m_cacheOrigin);
    const QPointF points[3] = {from, bend, to};
    painter.drawPolyline(points, 3);
}

bool FreehandGraphic::startDrawing(const QPointF &p)
{
    setCacheMode(NoCache);
    prepareGeometryChange();
    m_path.moveTo(p.x() - kPressDotLength, p.y());
    m_path.lineTo(p);
    restartRunningValues();
    m_lastMid = p;
    m_lastInput = p;
    updateAnchorsFromPath(m_path);
    QPixmap cache(kInitialCacheSize, kInitialCacheSize);
    if (cache.isNull())
        return false;
    cache.fill(Qt::transparent);
    m_cache = cache;
    m_cacheOrigin = QPoint(qRound(p.x()) - kInitialCacheSize / 2, qRound(p.y()) - kInitialCacheSize / 2);
    paintOnCache(QPointF(p.x() - kPressDotLength, p.y()), p);
    m_drawing = true;
    m_firstMovePending = true;
    update();
    return true;
}

void FreehandGraphic::repaintEndDecoration()
{
    if (m_endAnchor == ANCHOR_NONE || m_anchors.isEmpty())
        return;
    const AnchorRecord &record = m_anchors.last();
    update(anchorPath(pen().widthF(), m_endAnchor, record.endPoint, record.endDirection).boundingRect());
}

bool FreehandGraphic::continueDrawing(const QPointF &p)
{
    if (!m_drawing)
        return false;
    if (squaredDistance(p, m_lastInput) < kMinSquaredStep)
        return true;
    if (m_firstMovePending) {
        m_path = QPainterPath();
        m_path.moveTo(m_lastInput);
        restartRunningValues();
    }
    const double w = pen().widthF();
    if (!m_anchors.isEmpty()) {
        if (m_firstMovePending || m_squaredLength < w * w)
            prepareGeometryChange();
        else
            repaintEndDecoration();
    }
    if (!appendPoint(p, false))
        return false;
    // While drawn the path is one piece.
    updateAnchorsFromOnePiece(m_path);
    m_firstMovePending = false;
    repaintEndDecoration();
    return true;
}

bool FreehandGraphic::appendPoint(const QPointF &p, bool final)
{
    const QPointF a = m_lastInput;
    const QPointF b = m_lastMid;
    const QPointF mid = (a + p) / 2;
    const QPointF bend = (2 * a + b + mid) / 4;
    const QVector2D v1 = QVector2D(bend - b).normalized();
    const QVector2D v2 = QVector2D(mid - bend).normalized();
    const float c = QVector2D::dotProduct(v1, v2);
    const bool useBend = squaredDistance(b, mid) > kBendSquaredSpan || qAbs(c) < kBendCosine;
    if (useBend)
        lineTo(bend);
    lineTo(mid);
    if (final)
        lineTo(p);
    const double half = pen().widthF() / 2;
    update(dragRect(b, m_path.currentPosition(), true).adjusted(-half, -half, half, half));
    if (final) {
        m_lastMid = mid;
        m_lastInput = p;
        return true;
    }
    if (m_cache.isNull())
        return false;
    const int n = std::max(1, int(pen().widthF() / 2 + 0.5));
    QRect box = pixelBox(b, n) | pixelBox(mid, n);
    if (useBend)
        box |= pixelBox(bend, n);
    if (!ensureCacheCovers(box.left(), box.top(), box.right(), box.bottom()))
        return false;
    if (useBend)
        paintOnCache(b, bend, mid);
    else
        paintOnCache(b, mid);
    m_lastMid = mid;
    m_lastInput = p;
    return true;
}

bool FreehandGraphic::ensureCacheCovers(int left, int top, int right, int bottom)
{
    const int x0 = m_cacheOrigin.x();
    const int y0 = m_cacheOrigin.y();
    const int x1 = x0 + m_cache.width() - 1;
    const int y1 = y0 + m_cache.height() - 1;
    const int newLeft = left < x0 ? x0 - std::max(kCacheGrowStep, x0 - left) : x0;
    const int newTop = top < y0 ? y0 - std::max(kCacheGrowStep, y0 - top) : y0;
    const int newRight = right > x1 ? x1 + std::max(kCacheGrowStep, right - x1) : x1;
    const int newBottom = bottom > y1 ? y1 + std::max(kCacheGrowStep, bottom - y1) : y1;
    if (newLeft == x0 && newTop == y0 && newRight == x1 && newBottom == y1)
        return true;
    QPixmap grown(newRight - newLeft + 1, newBottom - newTop + 1);
    if (grown.isNull())
        return false;
    grown.fill(Qt::transparent);
    {
        QPainter painter(&grown);
        painter.drawPixmap(x0 - newLeft, y0 - newTop, m_cache);
    }
    prepareGeometryChange();
    m_cache = grown;
    m_cacheOrigin = QPoint(newLeft, newTop);
    return true;
}

void FreehandGraphic::finishDrawing()
{
    // Announced before anything changes: the bounds shrink from the picture to the stroke.
    prepareGeometryChange();
    m_cache = QPixmap();
    if (!m_firstMovePending) {
        appendPoint(m_lastInput, true);
        updateAnchorsFromPath(m_path);
    }
    m_firstMovePending = false;
    m_drawing = false;
    setCacheMode(DeviceCoordinateCache);
    rebuildOutline();
}

void FreehandGraphic::writeXml(AnnotationXmlWriter &writer) const
{
    writeItemAttributes(writer);
    writeTransformAttributes(writer);
    writer.writePen(pen());
    writePathElement(writer, m_path);
}

bool FreehandGraphic::readXml(AnnotationXmlReader &reader)
{
    if (!readItemAttributes(reader) || !readTransformAttributes(reader))
        return false;
    QPen p;
    if (!reader.enterElement(QStringLiteral("pen")) || !reader.readPen(p))
        return false;
    p.setCapStyle(defaultCapStyle());
    setPen(p);
    if (!reader.enterElement(QStringLiteral("path")))
        return false;
    QPainterPath read;
    if (!readPathElement(reader, read))
        return false;
    setPath(read);
    // The stored scale, rotation and mirroring only show once the item transform is rebuilt.
    applyTransform();
    return true;
}
