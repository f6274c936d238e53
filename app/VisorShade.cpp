#include "VisorShade.h"

#include "EffectLook.h"

#include <cmath>

namespace {

using EffectLook::kCloseButtonSize;

// How much further the pointer must go along one axis than along the other before the drag picks that
// axis: enough to ignore the wobble of a hand that means to drag straight, small enough to feel immediate.
constexpr qreal kAxisLead = 5.0;

} // namespace

void VisorShade::reset()
{
    *this = VisorShade();
}

void VisorShade::press(QPointF globalPos, QSizeF shadeSize)
{
    m_dragging = true;
    m_axis = Axis::None;
    m_pressPos = globalPos;
    m_pending = QPointF();
    m_shadeSize = shadeSize;
}

bool VisorShade::move(QPointF globalPos)
{
    if (!m_dragging)
        return false;
    const QPointF travel = globalPos - m_pressPos;
    switch (m_axis) {
    case Axis::None: {
        const qreal across = qAbs(std::trunc(travel.x()));
        const qreal down = qAbs(std::trunc(travel.y()));
        if (across > down + kAxisLead)
            m_axis = Axis::Horizontal;
        else if (down > across + kAxisLead)
            m_axis = Axis::Vertical;
        // The shade waits for the axis; it follows from the next move on.
        return false;
    }
    case Axis::Horizontal: {
        // Leftwards the button follows the shade's right edge: it stops with its left edge at the widget's.
        const qreal leftmost = kCloseButtonSize - m_shadeSize.width();
        m_pending = QPointF(qMax(m_offset.x() + travel.x(), qMin(leftmost, m_offset.x())) - m_offset.x(), 0);
        return true;
    }
    case Axis::Vertical: {
        // Downwards the button follows the shade's top edge: it stops with its bottom at the widget's.
        const qreal lowest = m_shadeSize.height() - kCloseButtonSize;
        m_pending = QPointF(0, qMin(m_offset.y() + travel.y(), qMax(lowest, m_offset.y())) - m_offset.y());
        return true;
    }
    }
    return false;
}

void VisorShade::release()
{
    m_dragging = false;
    m_offset += m_pending;
    m_pending = QPointF();
}

QPointF VisorShade::drawnOffset() const
{
    return m_dragging ? m_offset + m_pending : m_offset;
}

QPointF VisorShade::closeButtonOrigin(qreal shadeWidth) const
{
    const QPointF drawn = drawnOffset();
    const qreal x = drawn.x() >= 0 ? shadeWidth - kCloseButtonSize : shadeWidth + drawn.x() - kCloseButtonSize;
    const qreal y = drawn.y() > 0 ? drawn.y() : 0;
    return {x, y};
}

bool VisorShade::isOnCloseButton(QPoint pos, qreal shadeWidth) const
{
    const QPointF origin = closeButtonOrigin(shadeWidth);
    // The rectangle runs one pixel past the button on each side, so its very edge shows the arrow too.
    return origin.x() - 1 <= pos.x() && pos.x() <= origin.x() + kCloseButtonSize + 1
           && (origin.y() > 0 ? origin.y() - 1 <= pos.y() : 0 <= pos.y())
           && pos.y() <= origin.y() + kCloseButtonSize + 1;
}
