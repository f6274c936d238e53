#pragma once

#include <QtGlobal>

// Decides which incoming video frames are shown under a frame-rate cap. Frames are accepted on a fixed
// schedule (each accepted frame moves the next due time on by one interval), not by the distance from the
// last accepted frame: the latter would show a 25 fps film at 12.5 fps under a cap of 20.
class FramePacer
{
public:
    // 0 accepts every frame.
    void setCap(int fps);
    int cap() const;
    // Whether a frame arriving at nowMs (any steady clock) is shown.
    bool accept(qint64 nowMs);
    // The next frame is accepted whenever it comes.
    void reset();

private:
    int m_cap = 0;
    bool m_started = false;
    qint64 m_nextDueMs = 0;
};
