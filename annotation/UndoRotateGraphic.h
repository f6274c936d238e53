#pragma once

#include <QUndoCommand>

class BaseGraphic;
class QGraphicsItem;

// Swaps a graphic's rotation with the one from before the edit.
class UndoRotateGraphic : public QUndoCommand
{
public:
    UndoRotateGraphic(QGraphicsItem *item, double degrees, QUndoCommand *parent = nullptr);

    void undo() override;
    void redo() override;

private:
    void swap();

    BaseGraphic *m_graphic;
    double m_degrees;
    bool m_undone = false;
};
