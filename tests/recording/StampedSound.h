#pragma once

#include <QByteArray>
#include <QList>

// Sound at 8 kHz, stereo, 16-bit whose every sample frame names the millisecond it was captured in (left
// channel) beside the marker 1 (right), so the file it is written to shows where each piece landed.
class StampedSound
{
public:
    // Where one marked sample frame lies in the file and when it was captured, in ms.
    struct Place
    {
        qint64 fileMs = 0;
        int capturedMs = 0;
    };

    // ms of sound captured from fromMs on.
    static QByteArray block(int fromMs, int ms);
    // The marked sample frames of decoded sound, in file order; silence and other sound are left out.
    static QList<Place> places(const QByteArray &samples);
};
