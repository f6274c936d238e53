#include "StampedSound.h"

namespace {

constexpr int kFramesPerMs = 8;
constexpr qint16 kMarker = 1;

} // namespace

QByteArray StampedSound::block(int fromMs, int ms)
{
    QByteArray block(ms * kFramesPerMs * 4, '\0');
    auto *samples = reinterpret_cast<qint16 *>(block.data());
    for (int frame = 0; frame < ms * kFramesPerMs; ++frame) {
        samples[2 * frame] = qint16(fromMs + frame / kFramesPerMs);
        samples[2 * frame + 1] = kMarker;
    }
    return block;
}

QList<StampedSound::Place> StampedSound::places(const QByteArray &samples)
{
    QList<Place> places;
    const auto *values = reinterpret_cast<const qint16 *>(samples.constData());
    const qint64 frames = samples.size() / 4;
    for (qint64 frame = 0; frame < frames; ++frame) {
        if (values[2 * frame + 1] == kMarker)
            places.append({frame / kFramesPerMs, values[2 * frame]});
    }
    return places;
}
