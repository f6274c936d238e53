#pragma once

#include <QAnimationDriver>
#include <QBasicTimer>

class QWidget;

// Lets a test wait for what the program's slides and foldings end in, rather than for a fixed time. While it
// exists it drives every animation of the GUI thread, as Qt's own driver does, and counts how often they
// began to run:
//     AnimationWatch animations;
//     panel.annoButton()->click();
//     QVERIFY(animations.waitForAnimationsThenPaint(&panel)); // the slide the click began has ended
class AnimationWatch : public QAnimationDriver
{
    Q_OBJECT

public:
    AnimationWatch();
    ~AnimationWatch() override;

    // Waits until animations began after the previous wait (or since the watch exists) and all of them ended.
    bool waitForAnimations(int timeoutMs = kTimeoutMs);
    // Waits until the widget painted itself once more: everything posted before (a state machine's step, a
    // layout's request) has been delivered by then.
    static bool waitForPaint(QWidget *widget, int timeoutMs = kTimeoutMs);
    // Both: what a picture of the end of a slide waits for.
    bool waitForAnimationsThenPaint(QWidget *widget);

protected:
    void start() override;
    void stop() override;
    void timerEvent(QTimerEvent *event) override;

private:
    // Only catches a hang: the longest animation lasts a third of a second.
    static constexpr int kTimeoutMs = 5000;

    QBasicTimer m_timer;
    int m_starts = 0;
    int m_startsSeen = 0;
};
