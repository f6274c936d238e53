#pragma once

#include "UndoGraphicCommand.h"

class BaseGraphic;
class QGraphicsItem;

// Swaps a graphic's rotation with the one from before the edit.
class UndoRotateGraphic : public UndoGraphicCommand
{
public:
    UndoRotateGraphic(QGraphicsItem *item, double degrees, QUndoCommand *parent = nullptr);

private:
    void swap() override;

    BaseGraphic *m_graphic;
    double m_degrees;
};
