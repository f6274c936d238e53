#include "HiliterGraphic.h"

HiliterGraphic::HiliterGraphic(QGraphicsItem *parent)
    : FreehandGraphic(parent)
{
    m_capabilities &= ~unsigned(CAP_OPACITY);
}

HiliterGraphic::HiliterGraphic(const HiliterGraphic &other)
    : FreehandGraphic(other)
{
    if (other.type() == TYPE_HILITER) {
        copyItemState(&other);
        QAbstractGraphicsShapeItem::setPen(other.pen());
        FreehandGraphic::setPath(other.path());
    }
}

void HiliterGraphic::setPen(const QPen &pen)
{
    QPen translucent(pen);
    QColor color = translucent.color();
    color.setAlpha(kAlpha);
    translucent.setColor(color);
    // The outline is what a finished stroke paints and hit-tests; a new width must rebuild it.
    setStrokePen(translucent);
}
