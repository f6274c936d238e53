#include "SpotlightHole.h"

#include <QPainter>
#include <QPolygon>
#include <QRect>

#include <algorithm>
#include <cmath>

namespace {

// The ellipse's stretch zones run from this far inside its edge ...
constexpr int kRimInside = 30;
// ... to this far outside it, ...
constexpr int kRimOutside = 20;
// ... each over this many degrees of the rim around the point at three, six, nine or twelve o'clock, so
// that the diagonals, where neither stretch would be obvious, move the hole.
constexpr qreal kRimSpan = 60.0;
// The straight edges' stretch zones: a band this wide just outside each edge, easy to find with a mouse.
constexpr int kBand = 15;
// A hole stretched by the mouse stays wide enough to grab inside its rim zones, and at most 1000 pixels
// across, which still leaves shade around it on a full-HD screen.
constexpr int kMinHalfSize = 50;
constexpr int kMaxHalfSize = 500;

// A side of 0 or 1 pixel gives nothing to measure against: scaling to it would shrink the hole to nothing
// for good, and scaling from it divides by zero (half of 1 pixel is 0 whole pixels).
bool isMeasurable(QSize size)
{
    return size.width() >= 2 && size.height() >= 2;
}

QPoint wholePoint(qreal x, qreal y)
{
    return {int(x), int(y)};
}

// A wedge from a point inside the hole out to an arc of the ellipse around it.
QPainterPath rimZone(QPointF inner, const QRectF &outer, qreal startAngle)
{
    QPainterPath zone(inner);
    zone.arcTo(outer, startAngle, kRimSpan);
    zone.closeSubpath();
    return zone;
}

QPainterPath band(const QPolygon &corners)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(corners));
    path.closeSubpath();
    return path;
}

} // namespace

void SpotlightHole::centreIn(QSize size)
{
    m_centre = QPointF(size.width() / 2, size.height() / 2);
    m_halfWidth = std::trunc(m_halfWidth);
    m_halfHeight = std::trunc(m_halfHeight);
}

SpotlightHole::Zone SpotlightHole::zoneAt(QPoint pos) const
{
    const qreal cx = m_centre.x();
    const qreal cy = m_centre.y();
    const qreal left = cx - m_halfWidth;
    const qreal right = cx + m_halfWidth;
    const qreal top = cy - m_halfHeight;
    const qreal bottom = cy + m_halfHeight;
    const QPointF point(pos);

    switch (m_shape) {
    case SpotlightIntf::CIRCLE: {
        const QRectF outer(int(left - kRimOutside), int(top - kRimOutside), int(2 * m_halfWidth + 2 * kRimOutside),
                           int(2 * m_halfHeight + 2 * kRimOutside));
        const int insideX = int(m_halfWidth - kRimInside);
        const int insideY = int(m_halfHeight - kRimInside);
        if (rimZone({cx - insideX, cy}, outer, 150.0).contains(point)
            || rimZone({cx + insideX, cy}, outer, 330.0).contains(point))
            return Zone::Horizontal;
        if (rimZone({cx, cy - insideY}, outer, 60.0).contains(point)
            || rimZone({cx, cy + insideY}, outer, 240.0).contains(point))
            return Zone::Vertical;
        return Zone::None;
    }
    case SpotlightIntf::RECTANGLE: {
        const int x = pos.x();
        const int y = pos.y();
        if (((right < x && x < right + kBand) || (left - kBand < x && x < left)) && top <= y && y <= bottom)
            return Zone::Horizontal;
        if (((bottom < y && y < bottom + kBand) || (top - kBand < y && y < top)) && left <= x && x <= right)
            return Zone::Vertical;
        return Zone::None;
    }
    case SpotlightIntf::TRIANGLE: {
        // The bands follow the sides of a triangle whose base lies half the half-height below the centre.
        const qreal base = cy + m_halfHeight * 0.5;
        const QPoint apex = wholePoint(cx, top);
        const QPoint baseLeft = wholePoint(left, base);
        const QPoint baseRight = wholePoint(right, base);
        if (band({apex, baseLeft, wholePoint(left - kBand, base), wholePoint(cx - kBand, top)}).contains(point)
            || band({apex, baseRight, wholePoint(right + kBand, base), wholePoint(cx + kBand, top)}).contains(point))
            return Zone::Horizontal;
        if (band({baseLeft, wholePoint(left, base + kBand), wholePoint(right, base + kBand), baseRight})
                .contains(point))
            return Zone::Vertical;
        return Zone::None;
    }
    }
    return Zone::None;
}

void SpotlightHole::stretchTo(QPoint pos, Qt::Orientation orientation)
{
    const bool across = orientation == Qt::Horizontal;
    int reach = std::abs(int(across ? pos.x() - m_centre.x() : pos.y() - m_centre.y()));
    // The triangle's apex and base corners lie a whole half-size out, its sides only half as far.
    if (m_shape == SpotlightIntf::TRIANGLE)
        reach *= 2;
    (across ? m_halfWidth : m_halfHeight) = std::clamp(reach, kMinHalfSize, kMaxHalfSize);
}

void SpotlightHole::moveBy(QPointF delta)
{
    m_centre += delta;
}

void SpotlightHole::followResize(QSize newSize, QSize oldSize)
{
    // The geometry stays as it was for the last measurable size, which the next resize then scales from.
    if (!isMeasurable(newSize))
        return;
    if (isMeasurable(oldSize)) {
        const qreal sx = qreal(newSize.width()) / oldSize.width();
        const qreal sy = qreal(newSize.height()) / oldSize.height();
        m_halfWidth *= sx;
        m_halfHeight *= sy;
        // The centre keeps its place relative to the old middle in whole pixels; for even sizes this is
        // the centre scaled like the half-sizes.
        if (sx != 1.0)
            m_centre.rx() += m_centre.x() / (oldSize.width() / 2) * (newSize.width() - oldSize.width()) * 0.5;
        if (sy != 1.0)
            m_centre.ry() += m_centre.y() / (oldSize.height() / 2) * (newSize.height() - oldSize.height()) * 0.5;
    } else {
        const qreal sx = qreal(newSize.width()) / m_referenceSize.width();
        const qreal sy = qreal(newSize.height()) / m_referenceSize.height();
        m_halfWidth *= sx;
        m_halfHeight *= sy;
        m_centre = QPointF(m_centre.x() * sx, m_centre.y() * sy);
    }
    m_referenceSize = newSize;
}

QPainterPath SpotlightHole::path() const
{
    const int rx = wholeHalfWidth();
    const int ry = wholeHalfHeight();
    const QRectF bounds(m_centre.x() - rx, m_centre.y() - ry, 2 * rx, 2 * ry);
    QPainterPath hole;
    switch (m_shape) {
    case SpotlightIntf::CIRCLE:
        hole.addEllipse(bounds);
        break;
    case SpotlightIntf::RECTANGLE:
        hole.addRect(bounds);
        break;
    case SpotlightIntf::TRIANGLE:
        hole.addPolygon(QPolygonF(trianglePolygon()));
        hole.closeSubpath();
        break;
    }
    return hole;
}

void SpotlightHole::drawOutline(QPainter &painter) const
{
    // The ellipse's ring is centred this far outside the hole's edge so as not to eat into the hole; the
    // rectangle's only on its left and top, and the triangle's lies on the edge.
    constexpr int inset = kOutlineWidth / 2;
    const int rx = wholeHalfWidth();
    const int ry = wholeHalfHeight();
    const qreal cx = m_centre.x();
    const qreal cy = m_centre.y();
    switch (m_shape) {
    case SpotlightIntf::CIRCLE:
        painter.drawEllipse(QRectF(cx - (rx + inset), cy - (ry + inset), 2 * (rx + inset), 2 * (ry + inset)));
        break;
    case SpotlightIntf::RECTANGLE:
        painter.drawRect(QRect(int(cx - rx - inset), int(cy - ry - inset), 2 * rx + inset, 2 * ry + inset));
        break;
    case SpotlightIntf::TRIANGLE:
        painter.drawPolygon(trianglePolygon(), Qt::OddEvenFill);
        break;
    }
}

QPolygon SpotlightHole::trianglePolygon() const
{
    const int rx = wholeHalfWidth();
    const int ry = wholeHalfHeight();
    const qreal cx = m_centre.x();
    const qreal cy = m_centre.y();
    const int below = ry / 2;
    return QPolygon({wholePoint(cx, cy - ry), wholePoint(cx - rx, cy + below), wholePoint(cx + rx, cy + below)});
}
