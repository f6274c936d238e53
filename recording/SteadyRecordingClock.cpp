#include "SteadyRecordingClock.h"

#include <QThread>

namespace {

// Starting the tick at 1 s keeps it clear of 0, the writer's "not started" value.
constexpr quint32 kTickOffsetMs = 1000;

} // namespace

SteadyRecordingClock::SteadyRecordingClock()
{
    m_timer.start();
}

quint32 SteadyRecordingClock::nowMs()
{
    return quint32(m_timer.elapsed()) + kTickOffsetMs;
}

void SteadyRecordingClock::sleepUntil(quint32 tick)
{
    // The unsigned difference stays right across the 49-day wrap of the tick.
    for (qint32 left = qint32(tick - nowMs()); left > 0; left = qint32(tick - nowMs()))
        QThread::msleep(quint32(left));
}

void SteadyRecordingClock::sleepFor(quint32 ms)
{
    QThread::msleep(ms);
}
