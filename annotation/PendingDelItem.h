#pragma once

#include <QObject>

class QGraphicsItem;

// Deletes a graphic that left its scene without an undo step, later, from the event loop (hand it to
// deleteLater()), so that nothing still running on the graphic's behalf meets a deleted item.
class PendingDelItem : public QObject
{
    Q_OBJECT
public:
    explicit PendingDelItem(QGraphicsItem *item);
    ~PendingDelItem() override;

private:
    QGraphicsItem *m_item;
};
