#pragma once

#include <QPoint>
#include <QPointF>
#include <QSizeF>

// Where the visor's shade stands and how a drag moves it. A drag slides the shade along one axis only,
// chosen once the pointer has gone clearly further along one axis than along the other, and measured from
// the press so that the shade stays under the pointer. The shade may leave the widget upwards and to the
// right, but never so far left or down that its close button, which rides on its visible top-right
// corner, would leave the widget: the presenter can always close it. A shade slid out of sight can be
// dragged back, as the whole widget keeps taking the mouse.
class VisorShade
{
public:
    enum class Axis { None, Horizontal, Vertical };

    // Back to the start: no drag, the shade at the widget's top-left corner.
    void reset();
    // shadeSize: the shade's size during this drag, which bounds how far it may go.
    void press(QPointF globalPos, QSizeF shadeSize);
    // Returns whether the shade moved.
    bool move(QPointF globalPos);
    void release();

    bool isDragging() const { return m_dragging; }
    Axis axis() const { return m_axis; }
    // Where the shade's top-left corner stands relative to the widget's once the drag in progress is over.
    QPointF offset() const { return m_offset; }
    // Where the shade is drawn now: the offset plus the displacement of the drag in progress.
    QPointF drawnOffset() const;

    // The close button's top-left corner for a shade of the given width: the top-right corner of the part
    // of the shade that lies inside the widget.
    QPointF closeButtonOrigin(qreal shadeWidth) const;
    // Whether the pointer is on the close button, give or take a pixel.
    bool isOnCloseButton(QPoint pos, qreal shadeWidth) const;

private:
    bool m_dragging = false;
    QPointF m_pressPos;
    QPointF m_pending;
    QPointF m_offset;
    QSizeF m_shadeSize;
    Axis m_axis = Axis::None;
};
