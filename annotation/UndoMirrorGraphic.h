#pragma once

#include <QUndoCommand>

class BaseGraphic;
class QGraphicsItem;

// Mirrors a graphic back and forth; a mirror is its own inverse.
class UndoMirrorGraphic : public QUndoCommand
{
public:
    explicit UndoMirrorGraphic(QGraphicsItem *item, QUndoCommand *parent = nullptr);

    void undo() override;
    void redo() override;

private:
    BaseGraphic *m_graphic;
    bool m_undone = false;
};
