#pragma once

#include "RecordingClock.h"

#include <QElapsedTimer>

// The monotonic system clock.
class SteadyRecordingClock : public RecordingClock
{
public:
    SteadyRecordingClock();

    quint32 nowMs() override;
    void sleepUntil(quint32 tick) override;
    void sleepFor(quint32 ms) override;

private:
    QElapsedTimer m_timer;
};
