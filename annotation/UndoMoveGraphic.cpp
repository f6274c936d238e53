#include "UndoMoveGraphic.h"

#include <QApplication>
#include <QGraphicsItem>

UndoMoveGraphic::UndoMoveGraphic(QGraphicsItem *item, const QPointF &position, QUndoCommand *parent)
    : QUndoCommand(parent)
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

void UndoMoveGraphic::undo()
{
    m_undone = true;
    swap();
}

void UndoMoveGraphic::redo()
{
    // The first redo comes from the push, after the change was made: nothing to do then.
    if (!m_undone)
        return;
    m_undone = false;
    swap();
}
