#pragma once

#include "BaseTool.h"

// Draws shapes of the editor's current kind by dragging with the left button. The editor's free-aspect
// flag is read on every move, so the drag box can switch between square and free while drawing.
class ShapeTool : public BaseTool
{
public:
    using BaseTool::BaseTool;

    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event) override;
};
