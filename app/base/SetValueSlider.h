#pragma once

#include <QSlider>

// A slider that reports its value when the mouse button is released, so that its owner sends one value
// per gesture instead of one per pixel of a drag.
class SetValueSlider : public QSlider
{
    Q_OBJECT
public:
    explicit SetValueSlider(QWidget *parent = nullptr);

signals:
    void mouseReleaseValue(uint value);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};
