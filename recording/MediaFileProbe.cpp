#include "MediaFileProbe.h"

#include <QFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/mathematics.h>
}

#include <memory>

namespace {

struct InputCloser {
    void operator()(AVFormatContext *context) const { avformat_close_input(&context); }
};
using Input = std::unique_ptr<AVFormatContext, InputCloser>;

int interruptRequested(void *opaque)
{
    const auto *cancel = static_cast<const std::atomic_bool *>(opaque);
    return cancel && cancel->load() ? 1 : 0;
}

Input openInput(const QString &path, const std::atomic_bool *cancel)
{
    AVFormatContext *context = avformat_alloc_context();
    if (!context)
        return nullptr;
    context->interrupt_callback.callback = interruptRequested;
    context->interrupt_callback.opaque = const_cast<std::atomic_bool *>(cancel);
    if (avformat_open_input(&context, QFile::encodeName(path).constData(), nullptr, nullptr) < 0)
        return nullptr; // avformat_open_input frees the context on failure
    return Input(context);
}

constexpr AVRational kMilliseconds{1, 1000};

} // namespace

MediaFileProbe::Result MediaFileProbe::probe(const QString &path)
{
    Result result;
    Input input = openInput(path, nullptr);
    if (!input || avformat_find_stream_info(input.get(), nullptr) < 0)
        return result;

    const int video = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (video < 0)
        return result;
    const AVStream *stream = input->streams[video];
    const AVCodecParameters *parameters = stream->codecpar;
    if (!avcodec_find_decoder(parameters->codec_id) || parameters->width <= 0 || parameters->height <= 0)
        return result;

    result.playable = true;
    result.frameSize = QSize(parameters->width, parameters->height);
    result.hasAudio = av_find_best_stream(input.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0) >= 0;

    // A length guessed from the bit rate is no length: an unfinished recording would get a made-up one.
    if (input->duration != AV_NOPTS_VALUE && input->duration > 0
        && input->duration_estimation_method != AVFMT_DURATION_FROM_BITRATE)
        result.durationMs = av_rescale_q(input->duration, AV_TIME_BASE_Q, kMilliseconds);
    else if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        result.durationMs = av_rescale_q(stream->duration, stream->time_base, kMilliseconds);
    return result;
}

qint64 MediaFileProbe::scanDuration(const QString &path, const std::atomic_bool *cancel)
{
    Input input = openInput(path, cancel);
    if (!input)
        return -1;
    qint64 end = -1;
    AVPacket *packet = av_packet_alloc();
    while (packet && av_read_frame(input.get(), packet) >= 0) {
        const AVStream *stream = input->streams[packet->stream_index];
        const int64_t start = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (start != AV_NOPTS_VALUE)
            end = qMax<qint64>(end, av_rescale_q(start + packet->duration, stream->time_base, kMilliseconds));
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    if (cancel && cancel->load())
        return -1;
    return end;
}
