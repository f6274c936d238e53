#pragma once

#include <QSlider>

// A slider used as a level meter: the program sets its value, the mouse cannot move it.
class VolReporter : public QSlider
{
    Q_OBJECT
public:
    explicit VolReporter(QWidget *parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};
