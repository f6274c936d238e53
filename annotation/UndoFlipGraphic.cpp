#include "UndoFlipGraphic.h"

#include "BaseGraphic.h"

#include <QApplication>
#include <QGraphicsItem>

UndoFlipGraphic::UndoFlipGraphic(QGraphicsItem *item, QUndoCommand *parent)
    : UndoGraphicCommand(parent)
    , m_graphic(dynamic_cast<BaseGraphic *>(item))
{
    setText(QApplication::translate("QApplication", "Undo Flip"));
}

void UndoFlipGraphic::swap()
{
    if (m_graphic)
        m_graphic->flip();
}
