#pragma once

#include <QSlider>

class QTimer;

// A slider that hands its owner every value the user gives it, by mouse, wheel or keys, as valueChosen:
// at once for a step, and while the handle is dragged at most every kDragSendIntervalMs plus once more at
// the release, so that a device behind it follows the handle without a request per pixel. Values set by
// the program (setValue) are not handed on. It also reports its value when the mouse button is released.
class SetValueSlider : public QSlider
{
    Q_OBJECT
public:
    // A camera takes a setting within a few tens of milliseconds; ten requests a second keep its picture
    // following the handle without queueing requests behind one another.
    static constexpr int kDragSendIntervalMs = 100;

    explicit SetValueSlider(QWidget *parent = nullptr);

signals:
    void mouseReleaseValue(uint value);
    void valueChosen(uint value);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void userAction();
    void sendChosen();

    QTimer *m_sendTimer;
    // The user has moved the slider since the last valueChosen.
    bool m_chosenPending = false;
};
