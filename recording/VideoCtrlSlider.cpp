#include "VideoCtrlSlider.h"

#include <QMouseEvent>

void VideoCtrlSlider::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && isEnabled() && width() > 0) {
        const int target = int(event->position().x() / width() * (maximum() - minimum()) + minimum());
        QSlider::mousePressEvent(event);
        if (target != sliderPosition())
            setValue(target);
    } else {
        QSlider::mousePressEvent(event);
    }
    event->accept();
}
