#include "CanvasEditor.h"

#include "BaseTool.h"
#include "CanvasView.h"

#include <QGraphicsScene>

CanvasEditor::CanvasEditor(QObject *parent)
    : QObject(parent)
{
}

CanvasEditor::~CanvasEditor()
{
    // Views outliving the editor must not call back into it.
    const QList<CanvasView *> views = m_views;
    for (CanvasView *view : views)
        view->setEditor(nullptr);
    m_views.clear();
    m_currentView = nullptr;
    m_currentTool = nullptr;
}

void CanvasEditor::addView(CanvasView *view)
{
    if (!view)
        return;
    if (!m_views.contains(view))
        m_views.append(view);
    if (view == m_currentView)
        return;
    if (m_currentView && m_currentView->scene())
        m_currentView->scene()->clearSelection();
    m_currentView = view;
    view->setEditor(this);
}

void CanvasEditor::removeView(CanvasView *view)
{
    m_views.removeAll(view);
    if (m_currentView == view)
        m_currentView = nullptr;
}

#define QUILLO_FORWARD_TO_TOOL(Handler, EventType)                                                              \
    void CanvasEditor::Handler(EventType *event)                                                                \
    {                                                                                                           \
        if (m_currentTool)                                                                                      \
            m_currentTool->Handler(event);                                                                      \
    }

QUILLO_FORWARD_TO_TOOL(dragEnterEvent, QGraphicsSceneDragDropEvent)
QUILLO_FORWARD_TO_TOOL(dragLeaveEvent, QGraphicsSceneDragDropEvent)
QUILLO_FORWARD_TO_TOOL(dragMoveEvent, QGraphicsSceneDragDropEvent)
QUILLO_FORWARD_TO_TOOL(dropEvent, QGraphicsSceneDragDropEvent)
QUILLO_FORWARD_TO_TOOL(focusInEvent, QFocusEvent)
QUILLO_FORWARD_TO_TOOL(focusOutEvent, QFocusEvent)
QUILLO_FORWARD_TO_TOOL(keyPressEvent, QKeyEvent)
QUILLO_FORWARD_TO_TOOL(keyReleaseEvent, QKeyEvent)
QUILLO_FORWARD_TO_TOOL(mousePressEvent, QGraphicsSceneMouseEvent)
QUILLO_FORWARD_TO_TOOL(mouseMoveEvent, QGraphicsSceneMouseEvent)
QUILLO_FORWARD_TO_TOOL(mouseReleaseEvent, QGraphicsSceneMouseEvent)
QUILLO_FORWARD_TO_TOOL(mouseDoubleClickEvent, QGraphicsSceneMouseEvent)
QUILLO_FORWARD_TO_TOOL(wheelEvent, QGraphicsSceneWheelEvent)

#undef QUILLO_FORWARD_TO_TOOL
