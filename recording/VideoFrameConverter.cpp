#include "VideoFrameConverter.h"

#include <QVideoFrame>

extern "C" {
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

#include <utility>

namespace {

struct SourceLayout
{
    AVPixelFormat format = AV_PIX_FMT_NONE;
    // YV12 is YUV420P with its colour planes the other way round.
    bool swapChroma = false;
};

SourceLayout layoutOf(QVideoFrameFormat::PixelFormat format)
{
    switch (format) {
    case QVideoFrameFormat::Format_YUV420P:
        return {AV_PIX_FMT_YUV420P, false};
    case QVideoFrameFormat::Format_YV12:
        return {AV_PIX_FMT_YUV420P, true};
    case QVideoFrameFormat::Format_YUV422P:
        return {AV_PIX_FMT_YUV422P, false};
    case QVideoFrameFormat::Format_NV12:
        return {AV_PIX_FMT_NV12, false};
    case QVideoFrameFormat::Format_NV21:
        return {AV_PIX_FMT_NV21, false};
    case QVideoFrameFormat::Format_UYVY:
        return {AV_PIX_FMT_UYVY422, false};
    case QVideoFrameFormat::Format_YUYV:
        return {AV_PIX_FMT_YUYV422, false};
    default:
        return {};
    }
}

// Frames whose bytes are already QImage's RGB32 (blue first on this little-endian machine, the fourth
// byte unused).
bool isRgb32(QVideoFrameFormat::PixelFormat format)
{
    return format == QVideoFrameFormat::Format_BGRX8888;
}

} // namespace

VideoFrameConverter::VideoFrameConverter() = default;

VideoFrameConverter::~VideoFrameConverter()
{
    sws_freeContext(m_context);
}

QImage VideoFrameConverter::convert(const QVideoFrame &input)
{
    QVideoFrame frame(input);
    const QVideoFrameFormat format = frame.surfaceFormat();
    const SourceLayout layout = layoutOf(format.pixelFormat());
    if (layout.format == AV_PIX_FMT_NONE && !isRgb32(format.pixelFormat())) {
        QImage image = frame.toImage();
        // RGB32 is what the raster painter draws fastest.
        if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32_Premultiplied)
            image.convertTo(QImage::Format_RGB32);
        return image;
    }
    if (!frame.map(QVideoFrame::ReadOnly))
        return QImage();
    const QSize size = frame.size();
    QImage image;
    if (isRgb32(format.pixelFormat())) {
        image = QImage(frame.bits(0), size.width(), size.height(), frame.bytesPerLine(0), QImage::Format_RGB32).copy();
        frame.unmap();
        return image;
    }
    const uint8_t *planes[4] = {};
    int lineSizes[4] = {};
    for (int i = 0; i < frame.planeCount() && i < 4; ++i) {
        planes[i] = frame.bits(i);
        lineSizes[i] = frame.bytesPerLine(i);
    }
    if (layout.swapChroma) {
        std::swap(planes[1], planes[2]);
        std::swap(lineSizes[1], lineSizes[2]);
    }
    // Same size in and out: swscale takes its unscaled conversion, for which the filter does not matter.
    m_context = sws_getCachedContext(m_context, size.width(), size.height(), layout.format, size.width(), size.height(),
                                     AV_PIX_FMT_BGRA, SWS_POINT, nullptr, nullptr, nullptr);
    if (m_context) {
        // The matrix and range the stream states; without one, the standard-definition matrix, as players do.
        const int *matrix = sws_getCoefficients(format.colorSpace() == QVideoFrameFormat::ColorSpace_BT709
                                                    ? SWS_CS_ITU709
                                                    : SWS_CS_DEFAULT);
        const int fullRange = format.colorRange() == QVideoFrameFormat::ColorRange_Full ? 1 : 0;
        sws_setColorspaceDetails(m_context, matrix, fullRange, matrix, 1, 0, 1 << 16, 1 << 16);
        image = QImage(size, QImage::Format_RGB32);
        uint8_t *targets[4] = {image.bits(), nullptr, nullptr, nullptr};
        const int targetLineSizes[4] = {int(image.bytesPerLine()), 0, 0, 0};
        if (sws_scale(m_context, planes, lineSizes, 0, size.height(), targets, targetLineSizes) != size.height())
            image = QImage();
    }
    frame.unmap();
    return image;
}
