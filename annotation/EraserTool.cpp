#include "EraserTool.h"

#include "CanvasEditor.h"
#include "CanvasView.h"

#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QPainterPath>
#include <QUndoStack>

void EraserTool::eraseTopmost(QGraphicsScene *scene, const QPainterPath &path)
{
    const QList<QGraphicsItem *> hit = scene->items(path, Qt::IntersectsItemShape, Qt::DescendingOrder, QTransform());
    if (hit.isEmpty())
        return;
    QGraphicsItem *item = hit.first();
    if (m_editor->takeOutOfScene(item)) {
        m_erasedFrom = scene;
        m_erased.append(item);
    }
}

void EraserTool::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    if (!m_editor)
        return;
    m_pressedButton = event->button();
    CanvasView *view = contextView();
    if (!view || event->button() != Qt::LeftButton)
        return;
    m_erased.clear();
    // A text still being typed in is recorded (or dropped when empty) before anything is wiped.
    m_editor->finishTextEditing(view->scene());
    QPainterPath spot;
    spot.addRect(QRectF(event->scenePos(), QSizeF(1.0, 1.0)));
    eraseTopmost(view->scene(), spot);
    event->accept();
}

void EraserTool::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    CanvasView *view = contextView();
    if (!view || m_pressedButton != Qt::LeftButton)
        return;
    QPainterPath stroke(event->lastScenePos());
    stroke.lineTo(event->scenePos());
    eraseTopmost(view->scene(), stroke);
    event->accept();
}

void EraserTool::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    if (!m_editor)
        return;
    CanvasView *view = contextView();
    if (!view || m_pressedButton != Qt::LeftButton) {
        m_pressedButton = Qt::NoButton;
        return;
    }
    if (m_erased.isEmpty()) {
        event->accept();
        m_pressedButton = Qt::NoButton;
        return;
    }
    QUndoStack *stack = m_editor->undoStack();
    if (stack)
        stack->beginMacro(QObject::tr("Undo Eraser"));
    for (QGraphicsItem *item : std::as_const(m_erased))
        m_editor->disposeOfRemoved(m_erasedFrom, item, true);
    if (stack)
        stack->endMacro();
    emitChange();
    m_erased.clear();
    event->accept();
    m_pressedButton = Qt::NoButton;
}

void EraserTool::forgetScene(QGraphicsScene *scene)
{
    BaseTool::forgetScene(scene);
    if (m_erasedFrom != scene)
        return;
    // Wiped in a drag its surface did not outlive: no step can bring them back.
    for (QGraphicsItem *item : std::as_const(m_erased))
        m_editor->disposeOfRemoved(scene, item, false);
    m_erased.clear();
    m_erasedFrom = nullptr;
    m_pressedButton = Qt::NoButton;
}
