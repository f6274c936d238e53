#pragma once

class CanvasEditor;
class QFocusEvent;
class QGraphicsItem;
class QGraphicsSceneDragDropEvent;
class QGraphicsSceneMouseEvent;
class QGraphicsSceneWheelEvent;
class QKeyEvent;

// Base of the editor's drawing tools. The editor hands every scene input event to its current tool;
// this base ignores them all, so the scene's own handling (selection, moving, text editing) runs. A
// plain BaseTool therefore serves as the tool that leaves everything to the scene.
class BaseTool
{
public:
    explicit BaseTool(CanvasEditor *editor);
    virtual ~BaseTool();

    BaseTool(const BaseTool &) = delete;
    BaseTool &operator=(const BaseTool &) = delete;

    virtual void dragEnterEvent(QGraphicsSceneDragDropEvent *event);
    virtual void dragLeaveEvent(QGraphicsSceneDragDropEvent *event);
    virtual void dragMoveEvent(QGraphicsSceneDragDropEvent *event);
    virtual void dropEvent(QGraphicsSceneDragDropEvent *event);
    virtual void focusInEvent(QFocusEvent *event);
    virtual void focusOutEvent(QFocusEvent *event);
    virtual void keyPressEvent(QKeyEvent *event);
    virtual void keyReleaseEvent(QKeyEvent *event);
    virtual void mousePressEvent(QGraphicsSceneMouseEvent *event);
    virtual void mouseMoveEvent(QGraphicsSceneMouseEvent *event);
    virtual void mouseReleaseEvent(QGraphicsSceneMouseEvent *event);
    virtual void mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event);
    virtual void wheelEvent(QGraphicsSceneWheelEvent *event);

    // Forgets the item under construction; the scene that holds it stays its owner.
    virtual void resetCreatingItem();

    CanvasEditor *editor() const { return m_editor; }
    QGraphicsItem *creatingItem() const { return m_creatingItem; }

protected:
    CanvasEditor *m_editor;
    QGraphicsItem *m_creatingItem = nullptr;
};
