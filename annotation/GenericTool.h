#pragma once

#include "BaseGraphic.h"
#include "BaseTool.h"
#include "CanvasEditor.h"

#include <QGraphicsSceneMouseEvent>

#include <new>

// Draws graphics of class T by dragging with the left button: the press creates one with the editor's
// defaults (as far as the graphic takes them), every move extends it, the release finishes it. The
// creation is recorded at the press; its first redo does nothing.
template<typename T>
class GenericTool : public BaseTool
{
public:
    using BaseTool::BaseTool;

    void mousePressEvent(QGraphicsSceneMouseEvent *event) override
    {
        if (!contextView() || event->button() != Qt::LeftButton)
            return;
        T *graphic = new (std::nothrow) T();
        if (!graphic) {
            showMemoryWarning("Not enough memory.");
            event->accept();
            return;
        }
        BaseGraphic *base = graphic;
        if (base->hasCapability(CAP_PEN))
            base->setPen(m_editor->pen());
        if (base->hasCapability(CAP_ANCHORS)) {
            base->setStartAnchor(m_editor->startAnchor());
            base->setEndAnchor(m_editor->endAnchor());
        }
        if (base->hasCapability(CAP_BRUSH))
            base->setBrush(m_editor->brush());
        beginCreating(base, event, "Insufficient memory.");
    }

    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override
    {
        if (!contextView() || !m_creatingItem)
            return;
        if (static_cast<T *>(m_creatingItem)->continueDrawing(event->scenePos()))
            event->accept();
    }

    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override { finishCreating(event); }
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event) override { event->accept(); }
};
