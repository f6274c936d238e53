#include "ShapeTool.h"

#include "CanvasEditor.h"
#include "ShapeGraphic.h"

#include <QGraphicsSceneMouseEvent>

#include <new>

void ShapeTool::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    if (!contextView() || event->button() != Qt::LeftButton)
        return;
    auto *shape = new (std::nothrow) ShapeGraphic(m_editor->shapeKind());
    if (!shape) {
        showMemoryWarning("Insufficient memory.");
        event->accept();
        return;
    }
    QPen pen = m_editor->pen();
    pen.setJoinStyle(ShapeGraphic::joinStyleFor(m_editor->shapeKind()));
    shape->setPen(pen);
    shape->setBrush(m_editor->brush());
    beginCreating(shape, event, "Not enough memory.");
}

void ShapeTool::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    if (!contextView() || !m_creatingItem)
        return;
    auto *shape = static_cast<ShapeGraphic *>(m_creatingItem);
    shape->setFreeAspect(m_editor->shapeFreeAspect());
    if (shape->continueDrawing(event->scenePos()))
        event->accept();
}

void ShapeTool::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    finishCreating(event);
}

void ShapeTool::mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event)
{
    event->accept();
}
