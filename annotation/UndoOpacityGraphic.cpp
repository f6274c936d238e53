#include "UndoOpacityGraphic.h"

#include <QApplication>
#include <QGraphicsItem>

UndoOpacityGraphic::UndoOpacityGraphic(QGraphicsItem *item, double opacity, QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_item(item)
    , m_opacity(opacity)
{
    setText(QApplication::translate("QApplication", "Undo Opacity"));
}

void UndoOpacityGraphic::swap()
{
    const double current = m_item->opacity();
    m_item->setOpacity(m_opacity);
    m_opacity = current;
}

void UndoOpacityGraphic::undo()
{
    m_undone = true;
    swap();
}

void UndoOpacityGraphic::redo()
{
    // The first redo comes from the push, after the change was made: nothing to do then.
    if (!m_undone)
        return;
    m_undone = false;
    swap();
}
