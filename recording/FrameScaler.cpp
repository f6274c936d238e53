#include "FrameScaler.h"

#include <QImage>

extern "C" {
#include <libavutil/buffer.h>
#include <libavutil/frame.h>
#include <libavutil/opt.h>
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

namespace {

// Screen pictures come as 32-bit pixels B, G, R, X in memory (QImage's RGB32 on a little-endian machine).
AVPixelFormat sourceFormatOf(const QImage &picture)
{
    switch (picture.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return AV_PIX_FMT_BGR0;
    case QImage::Format_RGBX8888:
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBA8888_Premultiplied:
        return AV_PIX_FMT_RGB0;
    case QImage::Format_BGR888:
        return AV_PIX_FMT_BGR24;
    case QImage::Format_RGB888:
        return AV_PIX_FMT_RGB24;
    default:
        return AV_PIX_FMT_NONE;
    }
}

void releasePicture(void *picture, uint8_t *)
{
    delete static_cast<QImage *>(picture);
}

// The frame refers to the picture's own pixels through a counted buffer that keeps the picture alive:
// swscale's frame interface copies a source frame that has no buffer (a screen's worth of memory
// allocated, filled and freed for every frame, which cost more than the scaling itself).
bool fillSourceFrame(const QImage &picture, AVPixelFormat format, AVFrame *source)
{
    auto *held = new QImage(picture);
    source->buf[0] = av_buffer_create(const_cast<uint8_t *>(held->constBits()), size_t(held->sizeInBytes()),
                                      &releasePicture, held, AV_BUFFER_FLAG_READONLY);
    if (!source->buf[0]) {
        delete held;
        return false;
    }
    source->format = format;
    source->width = picture.width();
    source->height = picture.height();
    source->data[0] = source->buf[0]->data;
    source->linesize[0] = int(picture.bytesPerLine());
    return true;
}

} // namespace

FrameScaler::FrameScaler(int width, int height, int pixelFormat, int threads)
    : m_width(width)
    , m_height(height)
    , m_pixelFormat(pixelFormat)
    , m_threads(threads)
{
}

FrameScaler::~FrameScaler()
{
    sws_freeContext(m_context);
}

bool FrameScaler::prepare(const QImage &picture)
{
    const AVPixelFormat format = sourceFormatOf(picture);
    if (format == AV_PIX_FMT_NONE || picture.isNull())
        return false;
    if (m_context && picture.size() == m_sourceSize && format == m_sourceFormat)
        return true;
    sws_freeContext(m_context);
    m_context = sws_alloc_context();
    if (!m_context)
        return false;
    av_opt_set_int(m_context, "srcw", picture.width(), 0);
    av_opt_set_int(m_context, "srch", picture.height(), 0);
    av_opt_set_int(m_context, "src_format", format, 0);
    av_opt_set_int(m_context, "dstw", m_width, 0);
    av_opt_set_int(m_context, "dsth", m_height, 0);
    av_opt_set_int(m_context, "dst_format", m_pixelFormat, 0);
    // Bilinear keeps screen text readable when shrinking a desktop and costs a third less than the
    // area filter.
    av_opt_set_int(m_context, "sws_flags", SWS_BILINEAR, 0);
    av_opt_set_int(m_context, "threads", m_threads, 0);
    if (sws_init_context(m_context, nullptr, nullptr) < 0) {
        sws_freeContext(m_context);
        m_context = nullptr;
        return false;
    }
    m_sourceSize = picture.size();
    m_sourceFormat = format;
    return true;
}

bool FrameScaler::scale(const QImage &picture, AVFrame *target)
{
    if (!prepare(picture))
        return false;
    AVFrame *source = av_frame_alloc();
    if (!source)
        return false;
    const int result = fillSourceFrame(picture, AVPixelFormat(m_sourceFormat), source)
                           ? sws_scale_frame(m_context, target, source)
                           : AVERROR(ENOMEM);
    av_frame_free(&source);
    return result >= 0;
}

bool FrameScaler::scale(const QImage &picture, uint8_t *const planes[], const int lineSizes[])
{
    if (!prepare(picture))
        return false;
    const uint8_t *sourcePlanes[4] = {picture.constBits(), nullptr, nullptr, nullptr};
    const int sourceLineSizes[4] = {int(picture.bytesPerLine()), 0, 0, 0};
    return sws_scale(m_context, sourcePlanes, sourceLineSizes, 0, picture.height(), planes, lineSizes) == m_height;
}
