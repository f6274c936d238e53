#include "UndoMirrorGraphic.h"

#include "BaseGraphic.h"

#include <QApplication>
#include <QGraphicsItem>

UndoMirrorGraphic::UndoMirrorGraphic(QGraphicsItem *item, QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_graphic(dynamic_cast<BaseGraphic *>(item))
{
    setText(QApplication::translate("QApplication", "Undo Mirror"));
}

void UndoMirrorGraphic::undo()
{
    m_undone = true;
    if (m_graphic)
        m_graphic->mirror();
}

void UndoMirrorGraphic::redo()
{
    // The first redo comes from the push, after the change was made: nothing to do then.
    if (!m_undone)
        return;
    m_undone = false;
    if (m_graphic)
        m_graphic->mirror();
}
