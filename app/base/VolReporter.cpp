#include "VolReporter.h"

#include <QKeyEvent>
#include <QWheelEvent>

VolReporter::VolReporter(QWidget *parent)
    : QSlider(parent)
{
    setTracking(false);
}

// The three mouse handlers swallow the events, so neither a click on the groove nor a drag of the handle
// ever starts.
void VolReporter::mousePressEvent(QMouseEvent *)
{
}

void VolReporter::mouseReleaseEvent(QMouseEvent *)
{
}

void VolReporter::mouseDoubleClickEvent(QMouseEvent *)
{
}

// The wheel and the keys are passed on (ignored) rather than swallowed: a wheel turn over the meter
// scrolls what holds it, and keys keep reaching the dialog's shortcuts.
void VolReporter::wheelEvent(QWheelEvent *event)
{
    event->ignore();
}

void VolReporter::keyPressEvent(QKeyEvent *event)
{
    event->ignore();
}
