#pragma once

class BaseGraphic;
class Canvas;
class CanvasEditor;
class CanvasView;
class QFocusEvent;
class QGraphicsItem;
class QGraphicsScene;
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
    // The surface showing scene goes, and the scene's graphics with it: forgets whatever of them the
    // tool holds, so that a drag cut short by it does not leave the tool drawing for ever.
    virtual void forgetScene(QGraphicsScene *scene);

    CanvasEditor *editor() const { return m_editor; }
    QGraphicsItem *creatingItem() const { return m_creatingItem; }

protected:
    // The current view of the editor when there is an editor and that view shows a scene; else null.
    CanvasView *contextView() const;
    // The canvas of the context view, or null when the scene is no canvas.
    Canvas *contextCanvas() const;
    // Tells the editor's listeners that the drawings changed.
    void emitChange() const;
    // Second half of a drawing tool's press: stacks the new graphic on top, starts it at the press and
    // adds it to the scene as the item being created, recorded as new. When it cannot start it is
    // deleted and the failure text shown. The event is accepted either way.
    void beginCreating(BaseGraphic *graphic, QGraphicsSceneMouseEvent *event, const char *failureText);
    // A drawing tool's release: finishes the item being created and marks the view as annotated.
    void finishCreating(QGraphicsSceneMouseEvent *event);
    // The allocation-failure warning of the drawing tools.
    static void showMemoryWarning(const char *text);

    CanvasEditor *m_editor;
    QGraphicsItem *m_creatingItem = nullptr;
};
