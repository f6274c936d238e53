#pragma once

#include "UndoGraphicCommand.h"

class QGraphicsItem;

// Swaps an item's stacking value with the one from before the edit.
class UndoZorderGraphic : public UndoGraphicCommand
{
public:
    UndoZorderGraphic(QGraphicsItem *item, double z, QUndoCommand *parent = nullptr);

private:
    void swap() override;

    QGraphicsItem *m_item;
    double m_z;
};
