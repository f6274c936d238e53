#include "XvidVideoEncoder.h"

#include "RecordingLog.h"

#include <QImage>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
}

namespace {

// Quantiser 4 keeps slide text crisp on a 1024-wide recording while a mostly still desktop stays around
// 1-2 Mbit/s; a fixed quantiser avoids the rate control's overshoot on the frequent key frames.
constexpr int kQuantiser = 4;
// One thread: a frame's conversion takes about 6 ms of a 40 ms slot at 1080p, slices spread over more
// threads cost more processor time in all, and on a busy machine the frame then waits for the last of its
// slice threads to get a turn (conversions of 8 ms CPU took over 100 ms).
constexpr int kScaleThreads = 1;
// The recording's frame rate: one slot every 40 ms.
constexpr int kFramesPerSecond = 25;

} // namespace

XvidVideoEncoder::XvidVideoEncoder(int width, int height)
    : m_scaler(width, height, AV_PIX_FMT_YUV420P, kScaleThreads)
{
}

XvidVideoEncoder::~XvidVideoEncoder()
{
    av_frame_free(&m_frame);
    avcodec_free_context(&m_context);
}

int XvidVideoEncoder::quantiser()
{
    return kQuantiser;
}

std::unique_ptr<XvidVideoEncoder> XvidVideoEncoder::create(int width, int height)
{
    const AVCodec *codec = avcodec_find_encoder_by_name("libxvid");
    if (!codec || width <= 0 || height <= 0) {
        recordingLog(LogSystem::LOG_WARNING, "XvidVideoEncoder::create - XviD encoder not available");
        return nullptr;
    }
    std::unique_ptr<XvidVideoEncoder> encoder(new XvidVideoEncoder(width, height));
    AVCodecContext *context = avcodec_alloc_context3(codec);
    if (!context)
        return nullptr;
    encoder->m_context = context;
    context->width = width;
    context->height = height;
    context->pix_fmt = AV_PIX_FMT_YUV420P;
    context->time_base = AVRational{1, kFramesPerSecond};
    context->framerate = AVRational{kFramesPerSecond, 1};
    // Key frames are forced by the caller on the slot grid; a long interval keeps the encoder from adding
    // its own in between.
    context->gop_size = 300;
    // B-frames would shift the frames off their slots.
    context->max_b_frames = 0;
    context->flags |= AV_CODEC_FLAG_QSCALE;
    context->global_quality = FF_QP2LAMBDA * kQuantiser;
    const int opened = avcodec_open2(context, codec, nullptr);
    if (opened < 0) {
        recordingLog(LogSystem::LOG_WARNING, "XvidVideoEncoder::create - cannot open the encoder for %dx%d (%d)", width,
                     height, opened);
        return nullptr;
    }
    encoder->m_frame = av_frame_alloc();
    if (!encoder->m_frame)
        return nullptr;
    encoder->m_frame->format = AV_PIX_FMT_YUV420P;
    encoder->m_frame->width = width;
    encoder->m_frame->height = height;
    if (av_frame_get_buffer(encoder->m_frame, 0) < 0)
        return nullptr;
    return encoder;
}

void XvidVideoEncoder::describe(AVCodecParameters *parameters) const
{
    avcodec_parameters_from_context(parameters, m_context);
    // The XviD wrapper names its streams in lower case; players and the recording's readers know "XVID".
    parameters->codec_tag = MKTAG('X', 'V', 'I', 'D');
}

bool XvidVideoEncoder::encode(const QImage &picture, bool forceKey, AVPacket *packet)
{
    return convert(picture) && encodeConverted(forceKey, packet);
}

bool XvidVideoEncoder::warmUp(const QImage &sample)
{
    // The first frame makes and zeroes the codec library's packet buffer, sized for the worst case (tens of
    // megabytes at 1080p), and the first predicted frame touches more of XviD's own memory for the first
    // time: together 100-500 ms at 1080p, against 10-20 ms for any later frame. Both are paid here, on a
    // blank picture that also sets up the scaler.
    // The frames that follow are coded byte for byte as a fresh encoder codes them (the next real frame is a
    // forced key frame and the quantiser is fixed) but for one byte each: the time code XviD writes into a
    // frame's own header runs two frames ahead, which players of an AVI do not read (its index gives the
    // timing).
    AVPacket *packet = av_packet_alloc();
    if (!packet)
        return false;
    bool warm = convert(sample) && encodeConverted(true, packet);
    av_packet_unref(packet);
    warm = warm && encodeConverted(false, packet);
    av_packet_free(&packet);
    return warm;
}

bool XvidVideoEncoder::convert(const QImage &picture)
{
    return av_frame_make_writable(m_frame) >= 0 && m_scaler.scale(picture, m_frame);
}

bool XvidVideoEncoder::encodeConverted(bool forceKey, AVPacket *packet)
{
    m_frame->pict_type = forceKey ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
    m_frame->quality = FF_QP2LAMBDA * kQuantiser;
    m_frame->pts = m_frame->pts == AV_NOPTS_VALUE ? 0 : m_frame->pts + 1;
    if (avcodec_send_frame(m_context, m_frame) < 0)
        return false;
    return avcodec_receive_packet(m_context, packet) == 0;
}
