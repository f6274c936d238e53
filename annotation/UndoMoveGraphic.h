#pragma once

#include "UndoGraphicCommand.h"

#include <QPointF>

class QGraphicsItem;

// Puts an item back where it was before a drag, and again where the drag left it.
class UndoMoveGraphic : public UndoGraphicCommand
{
public:
    UndoMoveGraphic(QGraphicsItem *item, const QPointF &position, QUndoCommand *parent = nullptr);

private:
    void swap() override;

    QGraphicsItem *m_item;
    QPointF m_position;
};
