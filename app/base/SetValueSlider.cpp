#include "SetValueSlider.h"

#include <QTimer>

SetValueSlider::SetValueSlider(QWidget *parent)
    : QSlider(parent)
    , m_sendTimer(new QTimer(this))
{
    m_sendTimer->setSingleShot(true);
    // Every change by the user, and only those, passes through an action; the value follows the action,
    // so it is read once control is back in the event loop.
    connect(this, &QAbstractSlider::actionTriggered, this, &SetValueSlider::userAction);
    connect(this, &QAbstractSlider::sliderReleased, this, &SetValueSlider::sendChosen);
    connect(m_sendTimer, &QTimer::timeout, this, &SetValueSlider::sendChosen);
}

void SetValueSlider::userAction()
{
    m_chosenPending = true;
    if (!isSliderDown())
        m_sendTimer->start(0);
    else if (!m_sendTimer->isActive())
        m_sendTimer->start(kDragSendIntervalMs);
}

void SetValueSlider::sendChosen()
{
    m_sendTimer->stop();
    if (!m_chosenPending)
        return;
    m_chosenPending = false;
    emit valueChosen(static_cast<uint>(value()));
}

void SetValueSlider::mouseReleaseEvent(QMouseEvent *event)
{
    // The slider's own release handling ends a handle drag and stops the page stepping that a press on
    // the groove starts; without it a single click would keep stepping to the end of the range.
    QSlider::mouseReleaseEvent(event);
    emit mouseReleaseValue(static_cast<uint>(value()));
}
