#pragma once

#include <QtGlobal>

#include <atomic>

// Turns captured microphone buffers (signed 16-bit PCM) into the level meter's value. Buffers arrive on
// the capture thread; the level is read from any thread.
class AudioGrabCallback
{
public:
    // The meter's value for one sample: 20·log10(sample) − 40 dB scaled by 100/60, 0 for quiet or
    // negative samples; full scale gives 83.
    static quint16 levelOfSample(qint16 sample);
    // The buffer's loudest sample, of either sign and either channel, sets the level, so a steady tone
    // reads steadily whichever part of its wave a buffer ends in; an empty buffer leaves the level as it was.
    void bufferCB(const char *data, qint64 bytes);
    quint16 level() const { return m_level.load(std::memory_order_relaxed); }

private:
    std::atomic<quint16> m_level{0};
};
