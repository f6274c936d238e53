#include "UndoRotateGraphic.h"

#include "BaseGraphic.h"

#include <QApplication>
#include <QGraphicsItem>

UndoRotateGraphic::UndoRotateGraphic(QGraphicsItem *item, double degrees, QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_graphic(dynamic_cast<BaseGraphic *>(item))
    , m_degrees(degrees)
{
    setText(QApplication::translate("QApplication", "Undo Rotate"));
}

void UndoRotateGraphic::swap()
{
    if (!m_graphic)
        return;
    const double current = m_graphic->graphicRotation();
    m_graphic->rotateTo(m_degrees);
    m_degrees = current;
}

void UndoRotateGraphic::undo()
{
    m_undone = true;
    swap();
}

void UndoRotateGraphic::redo()
{
    // The first redo comes from the push, after the change was made: nothing to do then.
    if (!m_undone)
        return;
    m_undone = false;
    swap();
}
