#include "AudioCaptureStamper.h"

AudioCaptureStamper::AudioCaptureStamper(qint64 bytesPerSecond)
    : m_bytesPerSecond(bytesPerSecond)
{
}

quint32 AudioCaptureStamper::stamp(qint64 bytes, quint32 arrivedMs)
{
    const quint32 byArrival = arrivedMs - quint32(bytes * 1000 / m_bytesPerSecond);
    if (m_counting) {
        // Counted from the anchor, not summed piece by piece, so rounding never accumulates.
        const quint32 expected = m_anchorMs + quint32(m_bytesSinceAnchor * 1000 / m_bytesPerSecond);
        if (qAbs(qint32(byArrival - expected)) <= kContinuityMs) {
            m_bytesSinceAnchor += bytes;
            return expected;
        }
    }
    m_counting = true;
    m_anchorMs = byArrival;
    m_bytesSinceAnchor = bytes;
    return byArrival;
}
