#include "SelectionEdits.h"

#include "BaseGraphic.h"
#include "Canvas.h"
#include "UndoZorderGraphic.h"

#include <QGraphicsItem>
#include <QUndoStack>

namespace {

// The item as a graphic, when it is one with the capability.
BaseGraphic *graphicWith(QGraphicsItem *item, unsigned capability)
{
    auto *graphic = dynamic_cast<BaseGraphic *>(item);
    return graphic && graphic->hasCapability(capability) ? graphic : nullptr;
}

} // namespace

SelectionEdits::SelectionEdits(QUndoStack *history)
    : m_history(history)
{
}

void SelectionEdits::beginMacro(const QString &text) const
{
    if (m_history)
        m_history->beginMacro(text);
}

void SelectionEdits::endMacro() const
{
    if (m_history)
        m_history->endMacro();
}

void SelectionEdits::pushOrDiscard(QUndoCommand *command) const
{
    if (m_history)
        m_history->push(command);
    else
        delete command;
}

bool SelectionEdits::editEach(Canvas *canvas, const QString &text, unsigned capability, const GraphicEdit &edit) const
{
    const QList<QGraphicsItem *> selected = canvas->selectedItems();
    if (selected.isEmpty())
        return false;
    beginMacro(text);
    bool changed = false;
    for (QGraphicsItem *item : selected) {
        if (BaseGraphic *graphic = graphicWith(item, capability)) {
            pushOrDiscard(edit(graphic));
            changed = true;
        }
    }
    endMacro();
    return changed;
}

QList<QGraphicsItem *> SelectionEdits::restackTargets(Canvas *canvas, bool forward)
{
    const QList<QGraphicsItem *> ordered = canvas->selectedItemsByZ(forward ? Qt::AscendingOrder : Qt::DescendingOrder);
    if (ordered.size() == 1 && (forward ? canvas->isTopItem(ordered.first()) : canvas->isBottomItem(ordered.first())))
        return {};
    return ordered;
}

void SelectionEdits::restack(QGraphicsItem *item, double z) const
{
    const double old = item->zValue();
    item->setZValue(z);
    pushOrDiscard(new UndoZorderGraphic(item, old));
}

bool SelectionEdits::restackToEnd(Canvas *canvas, const QString &text, bool toFront) const
{
    // From the far end inwards, so that the moved items keep their order among themselves.
    const QList<QGraphicsItem *> ordered = restackTargets(canvas, toFront);
    if (ordered.isEmpty())
        return false;
    beginMacro(text);
    bool changed = false;
    for (QGraphicsItem *item : ordered) {
        if (graphicWith(item, CAP_ZORDER)) {
            restack(item, toFront ? canvas->nextZMax() : canvas->nextZMin());
            changed = true;
        }
    }
    endMacro();
    return changed;
}

// Each selected graphic moves past its nearest neighbour in the moving direction; adjacent selected
// graphics move together as a run and are spread evenly between the two neighbours beyond them.
// "Beneath" below means the next item in the moving direction.
bool SelectionEdits::restackOneStep(Canvas *canvas, const QString &text, bool forward) const
{
    const QList<QGraphicsItem *> ordered = restackTargets(canvas, forward);
    if (ordered.isEmpty())
        return false;
    beginMacro(text);
    const QList<QGraphicsItem *> stacked = canvas->items(forward ? Qt::AscendingOrder : Qt::DescendingOrder);
    const auto farEnd = [canvas, forward]() { return forward ? canvas->nextZMax() : canvas->nextZMin(); };
    bool changed = false;
    const auto moveTo = [this, &changed](QGraphicsItem *item, double z) {
        restack(item, z);
        changed = true;
    };
    QList<QGraphicsItem *> pending;
    for (int i = 0; i < ordered.size(); ++i) {
        QGraphicsItem *item = ordered.at(i);
        if (!graphicWith(item, CAP_ZORDER))
            continue;
        const int at = stacked.indexOf(item);
        if (at < 0)
            continue;
        QGraphicsItem *beneath1 = at + 1 < stacked.size() ? stacked.at(at + 1) : nullptr;
        QGraphicsItem *beneath2 = at + 2 < stacked.size() ? stacked.at(at + 2) : nullptr;
        QGraphicsItem *next = i + 1 < ordered.size() ? ordered.at(i + 1) : nullptr;
        if (!beneath1) {
            pending.clear();
            continue;
        }
        if (beneath1 == next) {
            pending.append(item);
            continue;
        }
        if (!pending.isEmpty())
            pending.append(item);
        if (!beneath2 && pending.isEmpty()) {
            moveTo(item, farEnd());
        } else if (!beneath2) {
            for (QGraphicsItem *run : std::as_const(pending))
                moveTo(run, farEnd());
        } else if (pending.isEmpty()) {
            moveTo(item, (beneath1->zValue() + beneath2->zValue()) * 0.5);
        } else {
            const double step = (beneath2->zValue() - beneath1->zValue()) / (pending.size() + 1);
            double z = beneath1->zValue();
            for (QGraphicsItem *run : std::as_const(pending)) {
                z += step;
                moveTo(run, z);
            }
            pending.clear();
        }
    }
    endMacro();
    return changed;
}
