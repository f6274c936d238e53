#include "SetValueSlider.h"

SetValueSlider::SetValueSlider(QWidget *parent)
    : QSlider(parent)
{
}

void SetValueSlider::mouseReleaseEvent(QMouseEvent *event)
{
    // The slider's own release handling ends a handle drag and stops the page stepping that a press on
    // the groove starts; without it a single click would keep stepping to the end of the range.
    QSlider::mouseReleaseEvent(event);
    emit mouseReleaseValue(static_cast<uint>(value()));
}
