#include "MediaFileProbe.h"

#include "MediaInput.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/mathematics.h>
}

namespace {

// The window waits for the probe: a file that takes longer than this to show its streams (a stalled network
// share, a damaged file the demuxer searches through) is treated as unplayable rather than freezing it.
constexpr int kProbeDeadlineMs = 2000;

constexpr AVRational kMilliseconds{1, 1000};

} // namespace

MediaFileProbe::Result MediaFileProbe::probe(const QString &path)
{
    Result result;
    MediaInput::Options options;
    options.deadlineMs = kProbeDeadlineMs;
    MediaInput file(path, options);
    AVFormatContext *input = file.format();
    if (!input || avformat_find_stream_info(input, nullptr) < 0)
        return result;

    const int video = av_find_best_stream(input, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (video < 0)
        return result;
    const AVStream *stream = input->streams[video];
    const AVCodecParameters *parameters = stream->codecpar;
    if (!avcodec_find_decoder(parameters->codec_id) || parameters->width <= 0 || parameters->height <= 0)
        return result;

    result.playable = true;
    result.frameSize = QSize(parameters->width, parameters->height);
    result.hasAudio = av_find_best_stream(input, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0) >= 0;

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
    MediaInput::Options options;
    options.deadlineMs = kProbeDeadlineMs;
    options.cancel = cancel;
    MediaInput file(path, options);
    AVFormatContext *input = file.format();
    if (!input)
        return -1;
    // Reading every byte of a long recording takes its time; from here on only cancelling ends it.
    file.setDeadline(-1);
    qint64 end = -1;
    AVPacket *packet = av_packet_alloc();
    while (packet && av_read_frame(input, packet) >= 0) {
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
