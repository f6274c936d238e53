#pragma once

#include "BaseTool.h"

#include <Qt>

#include <QList>

class QGraphicsScene;
class QPainterPath;

// Wipes graphics off the canvas: the press takes the topmost graphic under the pointer, every move of
// the drag the topmost one crossed since the last move. The release records everything wiped in the
// drag as one undoable step.
class EraserTool : public BaseTool
{
public:
    using BaseTool::BaseTool;

    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
    void forgetScene(QGraphicsScene *scene) override;

private:
    void eraseTopmost(QGraphicsScene *scene, const QPainterPath &path);

    int m_pressedButton = Qt::NoButton;
    // Out of the scene, not yet recorded; owned by the scene no more and by the undo step soon.
    QList<QGraphicsItem *> m_erased;
    // The scene they were wiped from, where undoing puts them back.
    QGraphicsScene *m_erasedFrom = nullptr;
};
