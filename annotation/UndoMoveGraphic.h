#pragma once

#include <QUndoCommand>
#include <QPointF>

class QGraphicsItem;

// Puts an item back where it was before a drag, and again where the drag left it.
class UndoMoveGraphic : public QUndoCommand
{
public:
    UndoMoveGraphic(QGraphicsItem *item, const QPointF &position, QUndoCommand *parent = nullptr);

    void undo() override;
    void redo() override;

private:
    void swap();

    QGraphicsItem *m_item;
    QPointF m_position;
    bool m_undone = false;
};
