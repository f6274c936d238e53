#include "UndoZorderGraphic.h"

#include <QGraphicsItem>

UndoZorderGraphic::UndoZorderGraphic(QGraphicsItem *item, double z, QUndoCommand *parent)
    : UndoGraphicCommand(parent)
    , m_item(item)
    , m_z(z)
{
    // Stacking changes show no text of their own; they are named by the macro around them.
}

void UndoZorderGraphic::swap()
{
    const double current = m_item->zValue();
    m_item->setZValue(m_z);
    m_z = current;
}
