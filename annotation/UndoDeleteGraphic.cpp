#include "UndoDeleteGraphic.h"

#include "BaseGraphic.h"

#include <QApplication>
#include <QGraphicsItem>
#include <QGraphicsScene>

UndoDeleteGraphic::UndoDeleteGraphic(QGraphicsScene *scene, QGraphicsItem *item, QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_scene(scene)
    , m_item(item)
{
    setText(QApplication::translate("QApplication", "Undo Delete"));
}

UndoDeleteGraphic::~UndoDeleteGraphic()
{
    if (!m_undone)
        delete m_item;
}

void UndoDeleteGraphic::undo()
{
    m_undone = true;
    if (m_scene)
        m_scene->addItem(m_item);
}

void UndoDeleteGraphic::redo()
{
    // The first redo comes from the push, after the graphic was removed: nothing to do then.
    if (!m_undone)
        return;
    m_undone = false;
    if (!m_scene)
        return;
    auto *graphic = dynamic_cast<BaseGraphic *>(m_item);
    if (graphic && graphic->hasCapability(CAP_REMOVAL_HOOK))
        graphic->beforeRemove();
    m_scene->removeItem(m_item);
}
