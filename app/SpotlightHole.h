#pragma once

#include "SpotlightIntf.h"

#include <QPainterPath>
#include <QPointF>
#include <QSize>

class QPainter;
class QPolygon;

// The spotlight's hole: its shape, centre and half-sizes in widget coordinates, the rim zones where a drag
// stretches it, and how it follows the widget when the widget is resized. Geometry is kept in doubles and
// truncated toward zero where it meets whole pixels.
class SpotlightHole
{
public:
    // What a drag from a point does: move the hole, or stretch it across or up and down.
    enum class Zone { None, Horizontal, Vertical };

    static constexpr int kOutlineWidth = 7;

    SpotlightIntf::SHAPE shape() const { return m_shape; }
    void setShape(SpotlightIntf::SHAPE shape) { m_shape = shape; }
    QPointF centre() const { return m_centre; }
    qreal halfWidth() const { return m_halfWidth; }
    qreal halfHeight() const { return m_halfHeight; }
    // The widget size the geometry refers to, used when a resize does not say the size it came from.
    QSize referenceSize() const { return m_referenceSize; }

    // Centres the hole in a widget of the given size, keeping its whole-pixel half-sizes.
    void centreIn(QSize size);
    Zone zoneAt(QPoint pos) const;
    // Stretches the hole so that its rim along the orientation reaches the pointer, within the limits a
    // mouse may give it.
    void stretchTo(QPoint pos, Qt::Orientation orientation);
    void moveBy(QPointF delta);
    // Follows a resize of the widget from oldSize (invalid when unknown) to newSize: the hole keeps its
    // place and size relative to the widget.
    void followResize(QSize newSize, QSize oldSize);

    // The area cut out of the shade.
    QPainterPath path() const;
    // The ring around the hole, drawn with the painter's pen.
    void drawOutline(QPainter &painter) const;

private:
    int wholeHalfWidth() const { return int(m_halfWidth); }
    int wholeHalfHeight() const { return int(m_halfHeight); }
    // Apex above the centre, base below it.
    QPolygon trianglePolygon() const;

    SpotlightIntf::SHAPE m_shape = SpotlightIntf::CIRCLE;
    QPointF m_centre{500.0, 500.0};
    qreal m_halfWidth = 100.0;
    qreal m_halfHeight = 100.0;
    QSize m_referenceSize{300, 300};
};
