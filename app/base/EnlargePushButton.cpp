#include "EnlargePushButton.h"

#include "HoverIcon.h"

#include <QEnterEvent>

namespace {
// Push-button icons sit in tight layouts (split-screen choices, the widget-mode bar): a small growth
// shows the hover without overflowing the button.
constexpr int kHoverGrowth = 3;
} // namespace

EnlargePushButton::EnlargePushButton(QWidget *parent)
    : QPushButton(parent)
{
    setCursor(Qt::PointingHandCursor);
}

void EnlargePushButton::saveIconSize()
{
    m_normalIconSize = iconSize();
}

void EnlargePushButton::enterEvent(QEnterEvent *)
{
    HoverIcon::resize(this, m_normalIconSize + QSize(kHoverGrowth, kHoverGrowth));
}

void EnlargePushButton::leaveEvent(QEvent *)
{
    HoverIcon::restore(this, m_normalIconSize);
}

void EnlargePushButton::changeEvent(QEvent *event)
{
    QPushButton::changeEvent(event);
    // A disabled button shows no hover, and it may never see the leave that would take the hover back.
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        HoverIcon::restore(this, m_normalIconSize);
}
