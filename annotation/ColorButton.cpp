#include "ColorButton.h"

#include <QPainter>

ColorButton::ColorButton(QWidget *parent)
    : QToolButton(parent)
{
    connect(this, &QToolButton::clicked, this, &ColorButton::beClicked);
    setCursor(Qt::PointingHandCursor);
}

QColor ColorButton::color() const
{
    return m_color;
}

void ColorButton::setColor(const QColor &color)
{
    m_color = color;
}

void ColorButton::beClicked()
{
    emit clickToGetColor(m_color);
}

void ColorButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_color);
}
