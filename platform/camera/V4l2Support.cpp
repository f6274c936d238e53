#include "V4l2Support.h"

#include "CameraCodes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <linux/videodev2.h>

namespace {

// USB 2.0 carries about 35 MB/s in practice; uncompressed 1280x720 at 30 fps needs 55 MB/s, so from this
// size on only compressed frames keep the rate.
constexpr int kHdArea = 1280 * 720;
// Larger frames than 1080p cost more to decode than a presenter's screen can show.
constexpr int kLargestArea = 1920 * 1080;
// Below this rate motion on the page looks jerky; a faster format is worth a smaller picture.
constexpr int kSmoothFramesPerSecond = 15;

bool isMjpeg(quint32 format)
{
    return format == V4L2_PIX_FMT_MJPEG || format == V4L2_PIX_FMT_JPEG;
}

bool isUsable(quint32 format)
{
    return isMjpeg(format) || format == V4L2_PIX_FMT_YUYV;
}

QByteArray readAttribute(const QString &folder, const char *name)
{
    QFile file(folder + QLatin1Char('/') + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().trimmed();
}

} // namespace

int V4l2Support::codeForErrno(int error)
{
    switch (error) {
    case EBUSY:
        return CameraCodes::DeviceBusy;
    case ENODEV:
    case ENXIO:
    case ENOENT:
        return CameraCodes::DeviceGone;
    case EINVAL:
    case ERANGE:
        return CameraCodes::InvalidArgument;
    case ENOTTY:
        return CameraCodes::NotSupported;
    default:
        return CameraCodes::DeviceError;
    }
}

DocCamFormat V4l2Support::chooseFormat(const QList<FormatOffer> &offers)
{
    const auto score = [](const FormatOffer &o) {
        const int area = std::min(o.width * o.height, kLargestArea + 1);
        const bool smooth = o.framesPerSecond >= kSmoothFramesPerSecond;
        const bool sizeFits = o.width * o.height <= kLargestArea;
        // At HD sizes a compressed format is what keeps the rate; below them uncompressed frames look better.
        const bool preferredCoding = (o.width * o.height >= kHdArea) == isMjpeg(o.pixelFormat);
        return std::make_tuple(smooth, sizeFits, sizeFits ? area : -area, preferredCoding, o.framesPerSecond);
    };
    const FormatOffer *best = nullptr;
    for (const FormatOffer &offer : offers) {
        if (!isUsable(offer.pixelFormat) || offer.width <= 0 || offer.height <= 0)
            continue;
        if (!best || score(offer) > score(*best))
            best = &offer;
    }
    if (!best)
        return {};
    return DocCamFormat{int(best->pixelFormat), best->width, best->height, best->framesPerSecond};
}

int V4l2Support::toDevice(double level, double low, double high, const ControlRange &range)
{
    if (high <= low || range.maximum <= range.minimum)
        return range.minimum;
    const double fraction = std::clamp((level - low) / (high - low), 0.0, 1.0);
    const int step = std::max(1, range.step);
    const double raw = fraction * (range.maximum - range.minimum);
    const int value = range.minimum + int(std::lround(raw / step)) * step;
    return std::clamp(value, range.minimum, range.maximum);
}

double V4l2Support::fromDevice(int value, double low, double high, const ControlRange &range)
{
    if (range.maximum <= range.minimum)
        return low;
    const double fraction = std::clamp(double(value - range.minimum) / (range.maximum - range.minimum), 0.0, 1.0);
    return low + fraction * (high - low);
}

QImage V4l2Support::yuyvToRgb32(const uchar *data, qsizetype length, int width, int height, int bytesPerLine)
{
    if (!data || width <= 0 || height <= 0 || width % 2 != 0 || bytesPerLine < width * 2
        || length < qsizetype(bytesPerLine) * (height - 1) + width * 2)
        return {};
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    // ITU-R BT.601 with video levels (Y 16..235), the coding UVC cameras use, in 8.8 fixed point.
    const auto clamp = [](int v) { return uchar(std::clamp(v >> 8, 0, 255)); };
    for (int y = 0; y < height; ++y) {
        const uchar *in = data + qsizetype(y) * bytesPerLine;
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; x += 2, in += 4) {
            const int u = in[1] - 128;
            const int v = in[3] - 128;
            const int redPart = 409 * v + 128;
            const int greenPart = -100 * u - 208 * v + 128;
            const int bluePart = 516 * u + 128;
            for (int i = 0; i < 2; ++i) {
                const int luma = 298 * (in[i * 2] - 16);
                out[x + i] = qRgb(clamp(luma + redPart), clamp(luma + greenPart), clamp(luma + bluePart));
            }
        }
    }
    return image;
}

V4l2Support::UsbInfo V4l2Support::readUsbInfo(const QString &sysfsRoot, const QString &node)
{
    UsbInfo info;
    QString folder = QFileInfo(sysfsRoot + QStringLiteral("/class/video4linux/") + node + QStringLiteral("/device"))
                         .canonicalFilePath();
    const QString root = QFileInfo(sysfsRoot).canonicalFilePath();
    // The video node hangs off a USB interface; the device with the ids is the first ancestor that has them.
    while (!folder.isEmpty() && folder.startsWith(root) && folder != root) {
        const QByteArray vendor = readAttribute(folder, "idVendor");
        if (!vendor.isEmpty()) {
            info.vendorId = vendor.toUInt(nullptr, 16);
            info.productId = readAttribute(folder, "idProduct").toUInt(nullptr, 16);
            info.external = readAttribute(folder, "removable") != "fixed";
            info.port = QFileInfo(folder).fileName();
            return info;
        }
        folder = QFileInfo(folder).path();
    }
    return info;
}
