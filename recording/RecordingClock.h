#pragma once

#include <QtGlobal>

// The recording's millisecond tick. Tests drive a manual one, so the slot grid, pauses and splits run
// without real waiting.
class RecordingClock
{
public:
    virtual ~RecordingClock() = default;

    // Milliseconds on a monotonic tick that never reads 0 (0 means "not started" to the writer).
    virtual quint32 nowMs() = 0;
    // Returns once nowMs() has reached tick (at once when it has already).
    virtual void sleepUntil(quint32 tick) = 0;
    virtual void sleepFor(quint32 ms) = 0;
};
