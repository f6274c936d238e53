#include "UndoGraphicCommand.h"

UndoGraphicCommand::UndoGraphicCommand(QUndoCommand *parent)
    : QUndoCommand(parent)
{
}

void UndoGraphicCommand::undo()
{
    m_undone = true;
    swap();
}

void UndoGraphicCommand::redo()
{
    if (!m_undone)
        return;
    m_undone = false;
    swap();
}
