#include "UndoMirrorGraphic.h"

#include "BaseGraphic.h"

#include <QApplication>
#include <QGraphicsItem>

UndoMirrorGraphic::UndoMirrorGraphic(QGraphicsItem *item, QUndoCommand *parent)
    : UndoGraphicCommand(parent)
    , m_graphic(dynamic_cast<BaseGraphic *>(item))
{
    setText(QApplication::translate("QApplication", "Undo Mirror"));
}

void UndoMirrorGraphic::swap()
{
    if (m_graphic)
        m_graphic->mirror();
}
