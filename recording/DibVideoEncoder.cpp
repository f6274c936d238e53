#include "DibVideoEncoder.h"

#include <QImage>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/dict.h>
}

namespace {

// Converting to BGR24 is cheap (under a millisecond at 1080p); one thread keeps the bottom-up write simple.
constexpr int kScaleThreads = 1;
constexpr int kFramesPerSecond = 25;

} // namespace

DibVideoEncoder::DibVideoEncoder(int width, int height)
    : m_width(width)
    , m_height(height)
    , m_scaler(width, height, AV_PIX_FMT_BGR24, kScaleThreads)
{
}

std::unique_ptr<DibVideoEncoder> DibVideoEncoder::create(int width, int height)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    return std::unique_ptr<DibVideoEncoder>(new DibVideoEncoder(width, height));
}

int DibVideoEncoder::rowBytes(int width)
{
    return (width * 3 + 3) & ~3;
}

void DibVideoEncoder::describe(AVCodecParameters *parameters) const
{
    parameters->codec_type = AVMEDIA_TYPE_VIDEO;
    parameters->codec_id = AV_CODEC_ID_RAWVIDEO;
    parameters->codec_tag = 0; // BI_RGB
    parameters->format = AV_PIX_FMT_BGR24;
    parameters->bits_per_coded_sample = 24;
    parameters->width = m_width;
    parameters->height = m_height;
    // The muxer sizes its OpenDML index from the bit rate; without it long raw recordings outgrow it.
    parameters->bit_rate = qint64(rowBytes(m_width)) * m_height * 8 * kFramesPerSecond;
}

void DibVideoEncoder::addMuxerOptions(AVDictionary **options) const
{
    // Declares the rows as bottom-up (positive height), the layout every DIB reader knows.
    av_dict_set(options, "flipped_raw_rgb", "1", 0);
}

bool DibVideoEncoder::encode(const QImage &picture, bool forceKey, AVPacket *packet)
{
    Q_UNUSED(forceKey)
    const int stride = rowBytes(m_width);
    if (av_new_packet(packet, stride * m_height) < 0)
        return false;
    // Padding bytes stay defined, so equal pictures give equal frames.
    if (stride != m_width * 3)
        memset(packet->data, 0, packet->size);
    uint8_t *const planes[4] = {packet->data + qsizetype(stride) * (m_height - 1), nullptr, nullptr, nullptr};
    const int lineSizes[4] = {-stride, 0, 0, 0};
    if (!m_scaler.scale(picture, planes, lineSizes)) {
        av_packet_unref(packet);
        return false;
    }
    packet->flags |= AV_PKT_FLAG_KEY;
    return true;
}

bool DibVideoEncoder::warmUp(const QImage &sample)
{
    // Frames are independent: one thrown away sets up the scaler and nothing else carries over.
    AVPacket *packet = av_packet_alloc();
    const bool warm = packet && encode(sample, true, packet);
    av_packet_free(&packet);
    return warm;
}
