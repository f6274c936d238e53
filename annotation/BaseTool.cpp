#include "BaseTool.h"

#include <QFocusEvent>
#include <QGraphicsSceneDragDropEvent>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsSceneWheelEvent>
#include <QKeyEvent>
#include <QtDebug>

BaseTool::BaseTool(CanvasEditor *editor)
    : m_editor(editor)
{
}

BaseTool::~BaseTool()
{
    // The item belongs to its scene; a tool destroyed mid-drag only reports it.
    if (m_creatingItem)
        qWarning("Warning: BaseTool::creatingItem = 0x%llX may cause memory leak",
                 static_cast<unsigned long long>(reinterpret_cast<quintptr>(m_creatingItem)));
}

void BaseTool::dragEnterEvent(QGraphicsSceneDragDropEvent *event) { event->ignore(); }
void BaseTool::dragLeaveEvent(QGraphicsSceneDragDropEvent *event) { event->ignore(); }
void BaseTool::dragMoveEvent(QGraphicsSceneDragDropEvent *event) { event->ignore(); }
void BaseTool::dropEvent(QGraphicsSceneDragDropEvent *event) { event->ignore(); }
void BaseTool::focusInEvent(QFocusEvent *event) { event->ignore(); }
void BaseTool::focusOutEvent(QFocusEvent *event) { event->ignore(); }
void BaseTool::keyPressEvent(QKeyEvent *event) { event->ignore(); }
void BaseTool::keyReleaseEvent(QKeyEvent *event) { event->ignore(); }
void BaseTool::mousePressEvent(QGraphicsSceneMouseEvent *event) { event->ignore(); }
void BaseTool::mouseMoveEvent(QGraphicsSceneMouseEvent *event) { event->ignore(); }
void BaseTool::mouseReleaseEvent(QGraphicsSceneMouseEvent *event) { event->ignore(); }
void BaseTool::mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event) { event->ignore(); }
void BaseTool::wheelEvent(QGraphicsSceneWheelEvent *event) { event->ignore(); }

void BaseTool::resetCreatingItem()
{
    m_creatingItem = nullptr;
}
