#pragma once

#include <QtGlobal>

// Dates captured sound that reaches the program in pieces of any length. A piece is taken as ending when
// it arrives, so its first sample is as old as the piece is long; pieces that follow on without a break
// continue the running count instead, so delivery jitter does not shift the sound back and forth. A piece
// far from where the count expects it (the source delivered nothing for a while, or its clock drifted)
// starts a new count.
class AudioCaptureStamper
{
public:
    explicit AudioCaptureStamper(qint64 bytesPerSecond);

    // The tick of the first sample of bytes that arrived at arrivedMs.
    quint32 stamp(qint64 bytes, quint32 arrivedMs);
    // Forgets the count: the next piece starts a new one.
    void reset() { m_counting = false; }

    // How far a piece may arrive from the count's expectation and still continue it: above the delivery
    // jitter of a loaded machine, below a break worth filling with silence.
    static constexpr qint32 kContinuityMs = 50;

private:
    qint64 m_bytesPerSecond;
    bool m_counting = false;
    quint32 m_anchorMs = 0;
    qint64 m_bytesSinceAnchor = 0;
};
