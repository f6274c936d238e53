#pragma once

// Receives the undo history's availability from the annotation service; the annotation tool bar
// implements it to enable its undo and redo buttons.
class UpdateAnnoStateIntf
{
public:
    virtual ~UpdateAnnoStateIntf() = default;

    virtual void updateUndoState(bool canUndo) = 0;
    virtual void updateRedoState(bool canRedo) = 0;
};
