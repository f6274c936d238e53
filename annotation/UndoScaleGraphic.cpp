#include "UndoScaleGraphic.h"

#include "BaseGraphic.h"

#include <QApplication>
#include <QGraphicsItem>

UndoScaleGraphic::UndoScaleGraphic(QGraphicsItem *item, double scale, QUndoCommand *parent)
    : UndoGraphicCommand(parent)
    , m_graphic(dynamic_cast<BaseGraphic *>(item))
    , m_scale(scale)
{
    setText(QApplication::translate("QApplication", "Undo Scale"));
}

void UndoScaleGraphic::swap()
{
    if (!m_graphic)
        return;
    const double current = m_graphic->graphicScale();
    m_graphic->scaleTo(m_scale);
    m_scale = current;
}
