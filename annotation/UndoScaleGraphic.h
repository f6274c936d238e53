#pragma once

#include "UndoGraphicCommand.h"

class BaseGraphic;
class QGraphicsItem;

// Swaps a graphic's scale with the one from before the edit.
class UndoScaleGraphic : public UndoGraphicCommand
{
public:
    UndoScaleGraphic(QGraphicsItem *item, double scale, QUndoCommand *parent = nullptr);

private:
    void swap() override;

    BaseGraphic *m_graphic;
    double m_scale;
};
