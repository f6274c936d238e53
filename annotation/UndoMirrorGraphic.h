#pragma once

#include "UndoGraphicCommand.h"

class BaseGraphic;
class QGraphicsItem;

// Mirrors a graphic back and forth; a mirror is its own inverse.
class UndoMirrorGraphic : public UndoGraphicCommand
{
public:
    explicit UndoMirrorGraphic(QGraphicsItem *item, QUndoCommand *parent = nullptr);

private:
    void swap() override;

    BaseGraphic *m_graphic;
};
