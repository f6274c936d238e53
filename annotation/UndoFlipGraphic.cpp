#include "UndoFlipGraphic.h"

#include "BaseGraphic.h"

#include <QApplication>
#include <QGraphicsItem>

UndoFlipGraphic::UndoFlipGraphic(QGraphicsItem *item, QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_graphic(dynamic_cast<BaseGraphic *>(item))
{
    setText(QApplication::translate("QApplication", "Undo Flip"));
}

void UndoFlipGraphic::undo()
{
    m_undone = true;
    if (m_graphic)
        m_graphic->flip();
}

void UndoFlipGraphic::redo()
{
    // The first redo comes from the push, after the change was made: nothing to do then.
    if (!m_undone)
        return;
    m_undone = false;
    if (m_graphic)
        m_graphic->flip();
}
