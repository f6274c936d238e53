#include "UndoOpacityGraphic.h"

#include <QApplication>
#include <QGraphicsItem>

UndoOpacityGraphic::UndoOpacityGraphic(QGraphicsItem *item, double opacity, QUndoCommand *parent)
    : UndoGraphicCommand(parent)
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
