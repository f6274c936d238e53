#include "AnimationWatch.h"

#include <QPointer>
#include <QTest>
#include <QWidget>

namespace {

// The step of Qt's own driver, one frame at 60 Hz, so that the animations run as they do in the program.
constexpr int kStepMs = 16;

// Notes the widget's next paint event.
class PaintSeen : public QObject
{
public:
    bool painted = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

AnimationWatch::AnimationWatch()
{
    install();
}

AnimationWatch::~AnimationWatch()
{
    uninstall();
}

bool AnimationWatch::waitForAnimations(int timeoutMs)
{
    const bool ended = QTest::qWaitFor([this] { return m_starts > m_startsSeen && !isRunning(); }, timeoutMs);
    m_startsSeen = m_starts;
    return ended;
}

bool AnimationWatch::waitForPaint(QWidget *widget, int timeoutMs)
{
    PaintSeen seen;
    QPointer<QWidget> guard(widget);
    widget->installEventFilter(&seen);
    widget->update();
    const bool painted = QTest::qWaitFor([&seen] { return seen.painted; }, timeoutMs);
    if (guard)
        widget->removeEventFilter(&seen);
    return painted;
}

bool AnimationWatch::waitForAnimationsThenPaint(QWidget *widget)
{
    return waitForAnimations() && waitForPaint(widget);
}

void AnimationWatch::start()
{
    QAnimationDriver::start();
    ++m_starts;
    m_timer.start(kStepMs, Qt::PreciseTimer, this);
}

void AnimationWatch::stop()
{
    m_timer.stop();
    QAnimationDriver::stop();
}

void AnimationWatch::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_timer.timerId())
        advance();
    else
        QAnimationDriver::timerEvent(event);
}
