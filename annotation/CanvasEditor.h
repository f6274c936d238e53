#pragma once

#include <QList>
#include <QObject>

class BaseTool;
class CanvasView;
class QFocusEvent;
class QGraphicsSceneDragDropEvent;
class QGraphicsSceneMouseEvent;
class QGraphicsSceneWheelEvent;
class QKeyEvent;

// The controller behind every drawing surface: it knows the registered views and the one last
// clicked, and receives every scene input event to hand it to its current tool.
//
// For now this holds only what the canvas, the view and the tools rely on (view registration and
// event routing); the tools, the undo stack, the defaults for new graphics and the edit slots join it
// when the editing operations are built.
class CanvasEditor : public QObject
{
    Q_OBJECT
public:
    explicit CanvasEditor(QObject *parent = nullptr);
    ~CanvasEditor() override;

    CanvasView *currentView() const { return m_currentView; }
    QList<CanvasView *> views() const { return m_views; }
    BaseTool *currentTool() const { return m_currentTool; }

    // Registers the view if needed and makes it the current one.
    void addView(CanvasView *view);
    // Forgets the view; called by views as they are destroyed.
    void removeView(CanvasView *view);

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

protected:
    CanvasView *m_currentView = nullptr;
    QList<CanvasView *> m_views;
    BaseTool *m_currentTool = nullptr;
};
