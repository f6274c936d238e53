#include "UndoMoveGraphic.h"

#include <QApplication>
#include <QGraphicsItem>

UndoMoveGraphic::UndoMoveGraphic(QGraphicsItem *item, const QPointF &position, QUndoCommand *parent)
    : UndoGraphicCommand(parent)
    , m_item(item)
    , m_position(position)
{
    setText(QApplication::translate("QApplication", "Undo Move"));
}

void UndoMoveGraphic::swap()
{
    const QPointF current = m_item->pos();
    m_item->setPos(m_position);
    m_position = current;
}
