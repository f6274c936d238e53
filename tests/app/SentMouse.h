#pragma once

#include <QList>
#include <QPointF>
#include <Qt>

class QWidget;

// Mouse events built by hand and sent straight to a widget, each with its position, global position,
// button and held buttons: QTest's moves do not carry a held button reliably.
namespace SentMouse {

void press(QWidget *widget, QPointF pos, Qt::MouseButton button = Qt::LeftButton);
// A move with the given buttons held (none for hovering).
void move(QWidget *widget, QPointF pos, Qt::MouseButtons held = Qt::NoButton);
void release(QWidget *widget, QPointF pos, Qt::MouseButton button = Qt::LeftButton);
// Press, moves through each point with the button held, release at the last point.
void drag(QWidget *widget, QPointF from, const QList<QPointF> &through, Qt::MouseButton button = Qt::LeftButton);

} // namespace SentMouse
