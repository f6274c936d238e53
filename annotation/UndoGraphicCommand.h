#pragma once

#include <QUndoCommand>

// Base of the undo commands for edits that a second application reverses. The edit is made before
// its command is pushed, so the push's first redo does nothing; after that undo and redo both call
// swap(), which exchanges the graphic's state with the one the command holds.
class UndoGraphicCommand : public QUndoCommand
{
public:
    void undo() final;
    void redo() final;

protected:
    explicit UndoGraphicCommand(QUndoCommand *parent);

    virtual void swap() = 0;

private:
    bool m_undone = false;
};
