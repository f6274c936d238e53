#include "SelectTool.h"

#include "CanvasEditor.h"
#include "CanvasView.h"
#include "UndoMoveGraphic.h"

#include <QApplication>
#include <QGraphicsItem>
#include <QGraphicsSceneMouseEvent>
#include <QUndoStack>

void SelectTool::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    m_pressedButton = event->button();
    m_moved = false;
    event->ignore();
}

void SelectTool::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    if (!m_editor)
        return;
    QUndoStack *stack = m_editor->undoStack();
    CanvasView *view = contextView();
    if (!view) {
        event->ignore();
        return;
    }
    QGraphicsScene *scene = view->scene();
    QGraphicsItem *under = scene->itemAt(event->scenePos(), QTransform());
    view->setCursor(under ? Qt::SizeAllCursor : Qt::ArrowCursor);
    const QList<QGraphicsItem *> selected = scene->selectedItems();
    event->ignore();
    if (m_pressedButton != Qt::LeftButton || selected.isEmpty() || m_moved || !under || !selected.contains(under))
        return;
    // The positions from before the drag: the scene moves the items only after this handler.
    if (stack)
        stack->beginMacro(QApplication::translate("QApplication", "Undo Move"));
    for (QGraphicsItem *item : selected) {
        if (stack)
            stack->push(new UndoMoveGraphic(item, item->pos()));
    }
    if (stack)
        stack->endMacro();
    m_moved = true;
}

void SelectTool::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    if (m_moved) {
        emitChange();
        m_moved = false;
    }
    m_pressedButton = Qt::NoButton;
    event->ignore();
}

void SelectTool::mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event)
{
    event->ignore();
}
