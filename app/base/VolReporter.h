#pragma once

#include <QSlider>

// A slider used as a level meter: only its owner sets its value; neither the mouse, the wheel nor the
// keyboard moves it.
class VolReporter : public QSlider
{
    Q_OBJECT
public:
    explicit VolReporter(QWidget *parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
