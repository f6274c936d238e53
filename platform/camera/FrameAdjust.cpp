#include "FrameAdjust.h"

#include <QTransform>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr int kNeutral = CameraParameters::LevelNeutral;

// Brightness moves every channel by up to 100 of 255 levels either way: enough to rescue a dark page
// without washing out a normal one completely at the first steps.
constexpr double kBrightnessSpan = 100.0;
// Exposure doubles or halves the light every 25 levels, so the range covers two stops each way.
constexpr double kExposureLevelsPerStop = 25.0;

QRect centredCrop(const QSize &size, double ratio)
{
    const int width = std::max(1, int(size.width() / ratio));
    const int height = std::max(1, int(size.height() / ratio));
    return QRect((size.width() - width) / 2, (size.height() - height) / 2, width, height);
}

} // namespace

bool FrameAdjust::changesLevels() const
{
    return brightness != kNeutral || contrast != kNeutral || exposure != kNeutral || redGain != kNeutral
           || blueGain != kNeutral || colorEffect != CameraParameters::ColorEffectNone;
}

void FrameAdjust::applyLevels(QImage &image) const
{
    const double offset = (brightness - kNeutral) * kBrightnessSpan / kNeutral;
    const double contrastFactor = double(contrast) / kNeutral;
    const double gain = std::pow(2.0, (exposure - kNeutral) / kExposureLevelsPerStop);
    const double channelGain[3] = {gain * redGain / kNeutral, gain, gain * blueGain / kNeutral};
    std::array<std::array<uchar, 256>, 3> lut;
    for (int channel = 0; channel < 3; ++channel) {
        for (int v = 0; v < 256; ++v) {
            double out = (v * channelGain[channel] - 128.0) * contrastFactor + 128.0 + offset;
            lut[channel][v] = uchar(std::clamp(std::lround(out), 0L, 255L));
        }
    }
    const bool gray = colorEffect == CameraParameters::ColorEffectBlackWhite;
    const bool negative = colorEffect == CameraParameters::ColorEffectNegative;
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            int r = lut[0][qRed(line[x])];
            int g = lut[1][qGreen(line[x])];
            int b = lut[2][qBlue(line[x])];
            if (gray)
                r = g = b = (r * 11 + g * 16 + b * 5) / 32;
            if (negative) {
                r = 255 - r;
                g = 255 - g;
                b = 255 - b;
            }
            line[x] = qRgb(r, g, b);
        }
    }
}

QImage FrameAdjust::apply(const QImage &frame) const
{
    if (frame.isNull())
        return frame;
    QImage image = frame;
    if (zoomRatio > CameraParameters::ZoomMinimum)
        image = image.copy(centredCrop(image.size(), zoomRatio));
    if (changesLevels()) {
        if (image.format() != QImage::Format_RGB32)
            image = image.convertToFormat(QImage::Format_RGB32);
        applyLevels(image);
    }
    if (mirror)
        image = image.mirrored(true, false);
    if (rotation % 360 != 0)
        image = image.transformed(QTransform().rotate(rotation % 360));
    return image;
}
