#include "VerticalTextButton.h"

#include <QMouseEvent>
#include <QPainter>

namespace {
// The tab text is smaller than the form font so that it fits the 25-pixel-wide side tab.
constexpr int kTextPointSize = 9;
// Turned text hangs from this x position, the width of the side tab, so it runs down the tab's column.
constexpr int kVerticalTextRight = 25;
} // namespace

VerticalTextButton::VerticalTextButton(QWidget *parent)
    : QFrame(parent)
{
}

void VerticalTextButton::setText(const QString &text)
{
    m_text = text;
}

void VerticalTextButton::setVertical(bool vertical)
{
    m_vertical = vertical;
}

void VerticalTextButton::setTextRect(const QRect &rect)
{
    m_textRect = rect;
}

void VerticalTextButton::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    emit clicked();
}

void VerticalTextButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    QFont textFont = font();
    textFont.setPointSize(kTextPointSize);
    painter.setFont(textFont);
    const QTextOption options(Qt::AlignHCenter | Qt::AlignVCenter);

    if (m_vertical) {
        painter.save();
        painter.translate(kVerticalTextRight, 0);
        painter.rotate(90);
        painter.drawText(QRectF(0, 0, m_textRect.height(), m_textRect.width()), m_text, options);
        painter.restore();
    } else {
        painter.drawText(QRectF(m_textRect), m_text, options);
    }
}
