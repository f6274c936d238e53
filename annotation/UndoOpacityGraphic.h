#pragma once

#include <QUndoCommand>

class QGraphicsItem;

// Swaps an item's opacity with the one from before the edit.
class UndoOpacityGraphic : public QUndoCommand
{
public:
    UndoOpacityGraphic(QGraphicsItem *item, double opacity, QUndoCommand *parent = nullptr);

    void undo() override;
    void redo() override;

private:
    void swap();

    QGraphicsItem *m_item;
    double m_opacity;
    bool m_undone = false;
};
