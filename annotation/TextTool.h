#pragma once

#include "BaseTool.h"

class QGraphicsItem;
class QUndoCommand;

// Places a new text where the user clicks on empty canvas and leaves the click to the scene so that
// editing starts at once; a click beside a text being edited only ends that editing. A new text becomes
// undoable only when its editing ends with something written.
class TextTool : public BaseTool
{
public:
    using BaseTool::BaseTool;
    ~TextTool() override;

    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event) override;

    // Records the newest text's creation, if it is still held.
    void flushPendingUndo();
    // Forgets the held creation of text, which is being dropped unwritten.
    void dropPendingUndo(QGraphicsItem *text);
    bool hasPendingUndo() const { return m_pendingUndo != nullptr; }

private:
    QUndoCommand *m_pendingUndo = nullptr;
    // The text whose creation m_pendingUndo holds.
    QGraphicsItem *m_pendingText = nullptr;
};
