#pragma once

#include <QUndoCommand>

class BaseGraphic;
class QGraphicsItem;

// Swaps a graphic's scale with the one from before the edit.
class UndoScaleGraphic : public QUndoCommand
{
public:
    UndoScaleGraphic(QGraphicsItem *item, double scale, QUndoCommand *parent = nullptr);

    void undo() override;
    void redo() override;

private:
    void swap();

    BaseGraphic *m_graphic;
    double m_scale;
    bool m_undone = false;
};
