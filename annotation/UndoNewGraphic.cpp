#include "UndoNewGraphic.h"

#include "BaseGraphic.h"

#include <QApplication>
#include <QGraphicsItem>
#include <QGraphicsScene>

namespace {

QString textForType(int type)
{
    switch (type) {
    case TYPE_FREEHAND:
        return QApplication::translate("QApplication", "Undo Freehand");
    case TYPE_LINE:
        return QApplication::translate("QApplication", "Undo Line");
    case TYPE_IMAGE:
        return QApplication::translate("QApplication", "Undo Insert Image File");
    case TYPE_SHAPE:
        return QApplication::translate("QApplication", "Undo Shape");
    case TYPE_TEXT:
        return QApplication::translate("QApplication", "Undo Text");
    case TYPE_HILITER:
        return QApplication::translate("QApplication", "Undo Highlighter");
    default:
        return QString();
    }
}

} // namespace

UndoNewGraphic::UndoNewGraphic(QGraphicsItem *item, QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_item(item)
{
    if (item)
        setText(textForType(item->type()));
}

UndoNewGraphic::~UndoNewGraphic()
{
    if (m_undone)
        delete m_item;
}

void UndoNewGraphic::undo()
{
    m_undone = true;
    if (!m_item || !m_item->scene())
        return;
    m_scene = m_item->scene();
    auto *graphic = dynamic_cast<BaseGraphic *>(m_item);
    if (graphic && graphic->hasCapability(CAP_REMOVAL_HOOK))
        graphic->beforeRemove();
    m_scene->removeItem(m_item);
}

void UndoNewGraphic::redo()
{
    // The first redo comes from the push, after the graphic was added: nothing to do then.
    if (!m_undone)
        return;
    m_undone = false;
    if (m_scene)
        m_scene->addItem(m_item);
}
