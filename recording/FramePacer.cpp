#include "FramePacer.h"

void FramePacer::setCap(int fps)
{
    m_cap = qMax(0, fps);
    reset();
}

int FramePacer::cap() const
{
    return m_cap;
}

bool FramePacer::accept(qint64 nowMs)
{
    if (m_cap == 0)
        return true;
    const qint64 interval = 1000 / m_cap;
    if (!m_started) {
        m_started = true;
        m_nextDueMs = nowMs + interval;
        return true;
    }
    if (nowMs < m_nextDueMs)
        return false;
    // After a gap of more than one interval (a pause, a stalled decoder) start a new schedule instead of
    // letting a burst of frames through to catch up.
    m_nextDueMs = nowMs - m_nextDueMs >= interval ? nowMs + interval : m_nextDueMs + interval;
    return true;
}

void FramePacer::reset()
{
    m_started = false;
    m_nextDueMs = 0;
}
