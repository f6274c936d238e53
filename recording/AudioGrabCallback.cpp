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
    int loudest = 0;
    for (qint64 index = 0; index < count; ++index) {
        // Copying each sample keeps a block at an odd address readable.
        qint16 sample = 0;
        std::memcpy(&sample, data + index * 2, sizeof sample);
        loudest = qMax(loudest, qAbs(int(sample)));
    }
    m_level.store(levelOfSample(qint16(qMin(loudest, 32767))), std::memory_order_relaxed);
}
