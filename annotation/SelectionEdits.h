#pragma once

#include <QList>

#include <functional>

class BaseGraphic;
class Canvas;
class QGraphicsItem;
class QString;
class QUndoCommand;
class QUndoStack;

// The undoable edits of a canvas's selection and its restacking. Each edit is one step of the history (a
// macro named by the caller's text) whose commands go to the history, or are dropped when there is none;
// each returns whether it changed a graphic.
class SelectionEdits
{
public:
    // Makes one graphic change and returns the command that undoes it.
    using GraphicEdit = std::function<QUndoCommand *(BaseGraphic *graphic)>;

    // history may be null: the edits are then made without being recorded.
    explicit SelectionEdits(QUndoStack *history);

    // Calls edit on every selected graphic with the capability.
    bool editEach(Canvas *canvas, const QString &text, unsigned capability, const GraphicEdit &edit) const;
    // Moves the selected graphics in front of (or behind) every other, keeping their order among themselves.
    bool restackToEnd(Canvas *canvas, const QString &text, bool toFront) const;
    // Moves each selected graphic one place towards the front (forward) or the back.
    bool restackOneStep(Canvas *canvas, const QString &text, bool forward) const;

    void beginMacro(const QString &text) const;
    void endMacro() const;
    void pushOrDiscard(QUndoCommand *command) const;

private:
    // The selection by z from the far end of the move (the front when forward); empty when there is
    // nothing to move, also for a single graphic already at that end.
    static QList<QGraphicsItem *> restackTargets(Canvas *canvas, bool forward);
    // Gives item the z value, recording the old one.
    void restack(QGraphicsItem *item, double z) const;

    QUndoStack *m_history;
};
