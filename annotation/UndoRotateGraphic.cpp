#include "UndoRotateGraphic.h"

#include "BaseGraphic.h"

#include <QApplication>
#include <QGraphicsItem>

UndoRotateGraphic::UndoRotateGraphic(QGraphicsItem *item, double degrees, QUndoCommand *parent)
    : UndoGraphicCommand(parent)
    , m_graphic(dynamic_cast<BaseGraphic *>(item))
    , m_degrees(degrees)
{
    setText(QApplication::translate("QApplication", "Undo Rotate"));
}

void UndoRotateGraphic::swap()
{
    if (!m_graphic)
        return;
    const double current = m_graphic->graphicRotation();
    m_graphic->rotateTo(m_degrees);
    m_degrees = current;
}
