#pragma once

#include "BaseTool.h"

#include <Qt>

// Leaves selecting and moving to the scene, showing the move cursor over items, and records each drag
// of the selection as one undoable move, taken at the first move over a selected item.
class SelectTool : public BaseTool
{
public:
    using BaseTool::BaseTool;

    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event) override;

private:
    int m_pressedButton = Qt::NoButton;
    bool m_moved = false;
};
