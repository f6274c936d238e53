#pragma once

#include <QSlider>

// The jog slider: a left click jumps straight to the clicked position instead of stepping towards it.
class VideoCtrlSlider : public QSlider
{
    Q_OBJECT

public:
    using QSlider::QSlider;

protected:
    void mousePressEvent(QMouseEvent *event) override;
};
