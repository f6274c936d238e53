#pragma once

#include "UndoGraphicCommand.h"

class BaseGraphic;
class QGraphicsItem;

// Flips a graphic back and forth; a flip is its own inverse.
class UndoFlipGraphic : public UndoGraphicCommand
{
public:
    explicit UndoFlipGraphic(QGraphicsItem *item, QUndoCommand *parent = nullptr);

private:
    void swap() override;

    BaseGraphic *m_graphic;
};
