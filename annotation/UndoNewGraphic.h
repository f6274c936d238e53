#pragma once

#include <QUndoCommand>

class QGraphicsItem;
class QGraphicsScene;

// A graphic added to a canvas. Undone, the graphic leaves its scene and belongs to the command, which
// deletes it when the stack discards the command in that state.
class UndoNewGraphic : public QUndoCommand
{
public:
    explicit UndoNewGraphic(QGraphicsItem *item, QUndoCommand *parent = nullptr);
    ~UndoNewGraphic() override;

    void undo() override;
    void redo() override;

private:
    QGraphicsItem *m_item;
    QGraphicsScene *m_scene = nullptr;
    bool m_undone = false;
};
