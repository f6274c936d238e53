#include "PendingDelItem.h"

#include <QGraphicsItem>

PendingDelItem::PendingDelItem(QGraphicsItem *item)
    : m_item(item)
{
}

PendingDelItem::~PendingDelItem()
{
    delete m_item;
}
