#include "AudioGrabCallback.h"

#include <cmath>
#include <cstring>

quint16 AudioGrabCallback::levelOfSample(qint16 sample)
{
    if (sample <= 0)
        return 0;
    const double decibels = 20.0 * std::log10(double(sample)) - 40.0;
    if (decibels < 0)
        return 0;
    return quint16(decibels * 100.0 / 60.0);
}

void AudioGrabCallback::bufferCB(const char *data, qint64 bytes)
{
    const qint64 count = bytes / 2;
    if (count == 0)
        return;
    // Only the deciding sample is read; copying it keeps a block at an odd address readable.
    qint16 last = 0;
    const qint64 index = (count - 1) & ~qint64(1);
    std::memcpy(&last, data + index * 2, sizeof last);
    m_level.store(levelOfSample(last), std::memory_order_relaxed);
}
