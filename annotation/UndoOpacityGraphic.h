#pragma once

#include "UndoGraphicCommand.h"

class QGraphicsItem;

// Swaps an item's opacity with the one from before the edit.
class UndoOpacityGraphic : public UndoGraphicCommand
{
public:
    UndoOpacityGraphic(QGraphicsItem *item, double opacity, QUndoCommand *parent = nullptr);

private:
    void swap() override;

    QGraphicsItem *m_item;
    double m_opacity;
};
