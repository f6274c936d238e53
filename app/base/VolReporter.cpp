#include "VolReporter.h"

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
