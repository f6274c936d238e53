#include "SentMouse.h"

#include <QApplication>
#include <QList>
#include <QMouseEvent>
#include <QWidget>

namespace {

void send(QWidget *widget, QEvent::Type type, QPointF pos, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), button, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

} // namespace

namespace SentMouse {

void press(QWidget *widget, QPointF pos, Qt::MouseButton button)
{
    send(widget, QEvent::MouseButtonPress, pos, button, button);
}

void move(QWidget *widget, QPointF pos, Qt::MouseButtons held)
{
    send(widget, QEvent::MouseMove, pos, Qt::NoButton, held);
}

void release(QWidget *widget, QPointF pos, Qt::MouseButton button)
{
    send(widget, QEvent::MouseButtonRelease, pos, button, Qt::NoButton);
}

void drag(QWidget *widget, QPointF from, const QList<QPointF> &through, Qt::MouseButton button)
{
    press(widget, from, button);
    for (const QPointF &pos : through)
        move(widget, pos, button);
    release(widget, through.isEmpty() ? from : through.last(), button);
}

} // namespace SentMouse
