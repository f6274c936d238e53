#include "EnlargeToolButton.h"

#include "HoverIcon.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionToolButton>

namespace {
// Large panel icons (40 px) grow by a quarter while hovered: visible, yet still inside the button.
constexpr int kHoverGrowth = 10;
// Height of the text band under the icon; holds one line of the 11-point label.
constexpr int kTextBandHeight = 20;
constexpr int kTextPointSize = 11;
} // namespace

EnlargeToolButton::EnlargeToolButton(QWidget *parent)
    : QToolButton(parent)
{
    setCursor(Qt::PointingHandCursor);
}

void EnlargeToolButton::saveIconSize()
{
    m_normalIconSize = iconSize();
}

void EnlargeToolButton::restoreIconSize()
{
    setIconSize(m_normalIconSize);
}

QFont EnlargeToolButton::textFont() const
{
    QFont textFont = font();
    textFont.setPointSize(kTextPointSize);
    return textFont;
}

int EnlargeToolButton::textWidth() const
{
    return QFontMetrics(textFont()).horizontalAdvance(text());
}

void EnlargeToolButton::enterEvent(QEnterEvent *)
{
    HoverIcon::resize(this, m_normalIconSize + QSize(kHoverGrowth, kHoverGrowth));
}

void EnlargeToolButton::leaveEvent(QEvent *)
{
    HoverIcon::restore(this, m_normalIconSize);
}

void EnlargeToolButton::changeEvent(QEvent *event)
{
    QToolButton::changeEvent(event);
    // A disabled button shows no hover, and it may never see the leave that would take the hover back.
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        HoverIcon::restore(this, m_normalIconSize);
}

void EnlargeToolButton::paintEvent(QPaintEvent *event)
{
    if (text().isEmpty()) {
        QToolButton::paintEvent(event);
        return;
    }

    const int w = width();
    const int h = height();
    QRect iconRect(QPoint(0, 0), iconSize());
    iconRect.moveCenter(QPoint((w - 1) / 2, (h - kTextBandHeight - 1) / 2));

    QIcon::Mode mode = QIcon::Normal;
    QIcon::State state = QIcon::Off;
    if (!isEnabled())
        mode = QIcon::Disabled;
    else if (isCheckable() && isChecked())
        state = QIcon::On;

    QPainter painter(this);
    if (isChecked()) {
        // A checked button shows the style's checked panel (a form's ":checked" rule) behind its icon.
        QStyleOptionToolButton option;
        initStyleOption(&option);
        style()->drawPrimitive(QStyle::PE_PanelButtonTool, &option, &painter, this);
    }
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.drawPixmap(iconRect, icon().pixmap(iconSize(), devicePixelRatioF(), mode, state));

    painter.setFont(textFont());
    painter.drawText(QRect(0, h - kTextBandHeight, w, kTextBandHeight), Qt::AlignCenter, text());
}
