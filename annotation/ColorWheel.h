#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

// A colour picker drawn as six coloured hexagons round a centre one: a press or a drag on a hexagon picks its
// colour, a press on the centre opens the colour dialog. The centre shows the current colour.
class ColorWheel : public QWidget
{
    Q_OBJECT

public:
    explicit ColorWheel(QWidget *parent = nullptr);

    QColor color() const;

Q_SIGNALS:
    void colorChanged(const QColor &color);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    // Index of the hexagon under the point at the widget's current size: 0 to 5 the coloured ones, 6 the
    // centre, -1 none.
    int regionAt(const QPointF &point) const;
    QPolygonF scaledRegion(int index) const;
    void setColor(const QColor &color);
    void pickRegionColor(int index);

    QColor m_color;
    QPixmap m_picture;
    Qt::MouseButton m_pressedButton = Qt::NoButton;
    bool m_dialogOpen = false;
};
