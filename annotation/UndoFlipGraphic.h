#pragma once

#include <QUndoCommand>

class BaseGraphic;
class QGraphicsItem;

// Flips a graphic back and forth; a flip is its own inverse.
class UndoFlipGraphic : public QUndoCommand
{
public:
    explicit UndoFlipGraphic(QGraphicsItem *item, QUndoCommand *parent = nullptr);

    void undo() override;
    void redo() override;

private:
    BaseGraphic *m_graphic;
    bool m_undone = false;
};
