#pragma once

#include <QUndoCommand>

class QGraphicsItem;

// Swaps an item's stacking value with the one from before the edit.
class UndoZorderGraphic : public QUndoCommand
{
public:
    UndoZorderGraphic(QGraphicsItem *item, double z, QUndoCommand *parent = nullptr);

    void undo() override;
    void redo() override;

private:
    void swap();

    QGraphicsItem *m_item;
    double m_z;
    bool m_undone = false;
};
