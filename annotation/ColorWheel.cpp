#include "ColorWheel.h"

#include <QApplication>
#include <QColorDialog>
#include <QMouseEvent>
#include <QPainter>

#include <array>

namespace {

// The hexagons of the wheel's picture, in 96ths of the widget's width and height.
constexpr int kGrid = 96;
constexpr int kCentre = 6;

struct Region
{
    std::array<QPoint, 6> corners;
    QRgb color;
};

// The six coloured hexagons, then the centre (which carries no colour of its own).
constexpr std::array<Region, 7> kRegions{{
    {{{{26, 23}, {34, 31}, {28, 43}, {11, 45}, {3, 35}, {11, 24}}}, qRgb(252, 58, 59)},
    {{{{46, 11}, {55, 18}, {50, 28}, {34, 29}, {27, 22}, {32, 12}}}, qRgb(255, 156, 58)},
    {{{{70, 16}, {80, 23}, {78, 34}, {63, 37}, {52, 28}, {57, 18}}}, qRgb(255, 230, 52)},
    {{{{79, 36}, {91, 45}, {89, 59}, {72, 63}, {60, 52}, {64, 38}}}, qRgb(76, 180, 52)},
    {{{{59, 53}, {70, 63}, {67, 81}, {48, 86}, {35, 71}, {42, 55}}}, qRgb(48, 85, 255)},
    {{{{27, 44}, {38, 55}, {32, 70}, {14, 74}, {4, 61}, {12, 47}}}, qRgb(110, 52, 186)},
    {{{{51, 29}, {63, 39}, {59, 52}, {40, 55}, {29, 44}, {35, 32}}}, 0},
}};

} // namespace

ColorWheel::ColorWheel(QWidget *parent)
    : QWidget(parent)
    , m_color(QColor::fromRgb(kRegions[0].color))
    , m_picture(QStringLiteral(":/Image/pics/color.png"))
{
    setMouseTracking(true);
}

QColor ColorWheel::color() const
{
    return m_color;
}

QPolygonF ColorWheel::scaledRegion(int index) const
{
    QPolygonF polygon;
    for (const QPoint &corner : kRegions[index].corners)
        polygon << QPointF(qreal(corner.x()) * width() / kGrid, qreal(corner.y()) * height() / kGrid);
    polygon << polygon.first();
    return polygon;
}

int ColorWheel::regionAt(const QPointF &point) const
{
    for (int index = 0; index < int(kRegions.size()); ++index) {
        if (scaledRegion(index).containsPoint(point, Qt::OddEvenFill))
            return index;
    }
    return -1;
}

void ColorWheel::setColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void ColorWheel::pickRegionColor(int index)
{
    const QColor picked = QColor::fromRgb(kRegions[index].color);
    if (picked == m_color)
        return;
    setColor(picked);
    emit colorChanged(m_color);
}

void ColorWheel::mousePressEvent(QMouseEvent *event)
{
    m_pressedButton = event->button();
    if (m_pressedButton != Qt::LeftButton)
        return;
    const int index = regionAt(event->position());
    if (index >= 0 && index < kCentre) {
        pickRegionColor(index);
    } else if (index == kCentre && !m_dialogOpen) {
        m_dialogOpen = true;
        const QColor chosen = QColorDialog::getColor(m_color, QApplication::activeWindow());
        if (chosen.isValid()) {
            setColor(chosen);
            emit colorChanged(m_color);
        }
        m_pressedButton = Qt::NoButton;
        m_dialogOpen = false;
    }
    event->accept();
}

void ColorWheel::mouseMoveEvent(QMouseEvent *event)
{
    const int index = regionAt(event->position());
    setCursor(index >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
    if (m_pressedButton != Qt::LeftButton)
        return;
    if (index >= 0 && index < kCentre)
        pickRegionColor(index);
    event->accept();
}

void ColorWheel::mouseReleaseEvent(QMouseEvent *)
{
    m_pressedButton = Qt::NoButton;
}

void ColorWheel::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setClipRegion(event->region());
    painter.drawPixmap(rect(), m_picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_color);
    painter.drawPolygon(scaledRegion(kCentre));
}
