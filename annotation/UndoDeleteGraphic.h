#pragma once

#include <QUndoCommand>

class QGraphicsItem;
class QGraphicsScene;

// A graphic removed from a canvas. Done, the graphic is out of its scene and belongs to the command,
// which deletes it when the stack discards the command in that state.
class UndoDeleteGraphic : public QUndoCommand
{
public:
    UndoDeleteGraphic(QGraphicsScene *scene, QGraphicsItem *item, QUndoCommand *parent = nullptr);
    ~UndoDeleteGraphic() override;

    void undo() override;
    void redo() override;

private:
    QGraphicsScene *m_scene;
    QGraphicsItem *m_item;
    bool m_undone = false;
};
