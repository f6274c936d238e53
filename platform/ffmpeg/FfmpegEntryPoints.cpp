// The media libraries' functions that the program calls, each forwarding to the real one once the libraries
// are loaded (FfmpegLibraries). The compiler holds every definition against the header's declaration: a C
// function defined with other parameters than declared does not compile. A function called anywhere in the
// program must be listed here; the link fails on one that is not.
#include "FfmpegLibraries.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/mathematics.h>
#include <libavutil/mem.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

// One entry point: the real function is looked up on the first call (thread-safe static initialisation).
#define QUILLO_FFMPEG_ENTRY(result, name, parameters, arguments)                                             \
    result name parameters                                                                                   \
    {                                                                                                        \
        static const auto real = FfmpegLibraries::entry<decltype(&name)>(#name);                             \
        return real arguments;                                                                               \
    }

extern "C" {

// libavutil
QUILLO_FFMPEG_ENTRY(void, av_channel_layout_default, (AVChannelLayout * layout, int channels), (layout, channels))
QUILLO_FFMPEG_ENTRY(void, av_dict_free, (AVDictionary * *dictionary), (dictionary))
QUILLO_FFMPEG_ENTRY(int, av_dict_set, (AVDictionary * *dictionary, const char *key, const char *value, int flags),
                    (dictionary, key, value, flags))
QUILLO_FFMPEG_ENTRY(AVFrame *, av_frame_alloc, (void), ())
QUILLO_FFMPEG_ENTRY(void, av_frame_free, (AVFrame * *frame), (frame))
QUILLO_FFMPEG_ENTRY(int, av_frame_get_buffer, (AVFrame * frame, int align), (frame, align))
QUILLO_FFMPEG_ENTRY(int, av_frame_make_writable, (AVFrame * frame), (frame))
QUILLO_FFMPEG_ENTRY(void, av_free, (void *pointer), (pointer))
QUILLO_FFMPEG_ENTRY(void, av_freep, (void *pointer), (pointer))
QUILLO_FFMPEG_ENTRY(void, av_log_set_level, (int level), (level))
QUILLO_FFMPEG_ENTRY(void *, av_malloc, (size_t size), (size))
QUILLO_FFMPEG_ENTRY(int, av_opt_set_int, (void *object, const char *name, int64_t value, int searchFlags),
                    (object, name, value, searchFlags))
QUILLO_FFMPEG_ENTRY(int64_t, av_rescale_q, (int64_t value, AVRational from, AVRational to), (value, from, to))
QUILLO_FFMPEG_ENTRY(int64_t, av_rescale_q_rnd, (int64_t value, AVRational from, AVRational to, enum AVRounding rounding),
                    (value, from, to, rounding))
QUILLO_FFMPEG_ENTRY(int, av_strerror, (int error, char *buffer, size_t size), (error, buffer, size))

// libavcodec
QUILLO_FFMPEG_ENTRY(int, av_new_packet, (AVPacket * packet, int size), (packet, size))
QUILLO_FFMPEG_ENTRY(AVPacket *, av_packet_alloc, (void), ())
QUILLO_FFMPEG_ENTRY(void, av_packet_free, (AVPacket * *packet), (packet))
QUILLO_FFMPEG_ENTRY(int, av_packet_ref, (AVPacket * destination, const AVPacket *source), (destination, source))
QUILLO_FFMPEG_ENTRY(void, av_packet_rescale_ts, (AVPacket * packet, AVRational from, AVRational to), (packet, from, to))
QUILLO_FFMPEG_ENTRY(void, av_packet_unref, (AVPacket * packet), (packet))
QUILLO_FFMPEG_ENTRY(AVCodecContext *, avcodec_alloc_context3, (const AVCodec *codec), (codec))
QUILLO_FFMPEG_ENTRY(const AVCodec *, avcodec_find_decoder, (enum AVCodecID id), (id))
QUILLO_FFMPEG_ENTRY(const AVCodec *, avcodec_find_encoder_by_name, (const char *name), (name))
QUILLO_FFMPEG_ENTRY(void, avcodec_free_context, (AVCodecContext * *context), (context))
QUILLO_FFMPEG_ENTRY(int, avcodec_open2, (AVCodecContext * context, const AVCodec *codec, AVDictionary **options),
                    (context, codec, options))
QUILLO_FFMPEG_ENTRY(int, avcodec_parameters_copy, (AVCodecParameters * destination, const AVCodecParameters *source),
                    (destination, source))
QUILLO_FFMPEG_ENTRY(int, avcodec_parameters_from_context, (AVCodecParameters * parameters, const AVCodecContext *context),
                    (parameters, context))
QUILLO_FFMPEG_ENTRY(int, avcodec_receive_packet, (AVCodecContext * context, AVPacket *packet), (context, packet))
QUILLO_FFMPEG_ENTRY(int, avcodec_send_frame, (AVCodecContext * context, const AVFrame *frame), (context, frame))

// libavformat
QUILLO_FFMPEG_ENTRY(int, av_find_best_stream,
                    (AVFormatContext * context, enum AVMediaType type, int wanted, int related, const AVCodec **decoder,
                     int flags),
                    (context, type, wanted, related, decoder, flags))
QUILLO_FFMPEG_ENTRY(const AVInputFormat *, av_find_input_format, (const char *shortName), (shortName))
QUILLO_FFMPEG_ENTRY(int, av_probe_input_buffer2,
                    (AVIOContext * io, const AVInputFormat **format, const char *url, void *logContext,
                     unsigned int offset, unsigned int maxProbeSize),
                    (io, format, url, logContext, offset, maxProbeSize))
QUILLO_FFMPEG_ENTRY(int, av_read_frame, (AVFormatContext * context, AVPacket *packet), (context, packet))
QUILLO_FFMPEG_ENTRY(int, av_write_frame, (AVFormatContext * context, AVPacket *packet), (context, packet))
QUILLO_FFMPEG_ENTRY(int, av_write_trailer, (AVFormatContext * context), (context))
QUILLO_FFMPEG_ENTRY(AVFormatContext *, avformat_alloc_context, (void), ())
QUILLO_FFMPEG_ENTRY(int, avformat_alloc_output_context2,
                    (AVFormatContext * *context, const AVOutputFormat *format, const char *formatName,
                     const char *fileName),
                    (context, format, formatName, fileName))
QUILLO_FFMPEG_ENTRY(void, avformat_close_input, (AVFormatContext * *context), (context))
QUILLO_FFMPEG_ENTRY(int, avformat_find_stream_info, (AVFormatContext * context, AVDictionary **options), (context, options))
QUILLO_FFMPEG_ENTRY(void, avformat_free_context, (AVFormatContext * context), (context))
QUILLO_FFMPEG_ENTRY(AVStream *, avformat_new_stream, (AVFormatContext * context, const AVCodec *codec), (context, codec))
QUILLO_FFMPEG_ENTRY(int, avformat_open_input,
                    (AVFormatContext * *context, const char *url, const AVInputFormat *format, AVDictionary **options),
                    (context, url, format, options))
QUILLO_FFMPEG_ENTRY(int, avformat_write_header, (AVFormatContext * context, AVDictionary **options), (context, options))
QUILLO_FFMPEG_ENTRY(AVIOContext *, avio_alloc_context,
                    (unsigned char *buffer, int size, int writeFlag, void *opaque,
                     int (*readPacket)(void *opaque, uint8_t *buffer, int size),
                     int (*writePacket)(void *opaque, uint8_t *buffer, int size),
                     int64_t (*seek)(void *opaque, int64_t offset, int whence)),
                    (buffer, size, writeFlag, opaque, readPacket, writePacket, seek))
QUILLO_FFMPEG_ENTRY(int, avio_closep, (AVIOContext * *io), (io))
QUILLO_FFMPEG_ENTRY(void, avio_context_free, (AVIOContext * *io), (io))
QUILLO_FFMPEG_ENTRY(int, avio_open, (AVIOContext * *io, const char *url, int flags), (io, url, flags))
QUILLO_FFMPEG_ENTRY(int, avio_open2,
                    (AVIOContext * *io, const char *url, int flags, const AVIOInterruptCB *interrupt,
                     AVDictionary **options),
                    (io, url, flags, interrupt, options))
QUILLO_FFMPEG_ENTRY(int64_t, avio_seek, (AVIOContext * io, int64_t offset, int whence), (io, offset, whence))
QUILLO_FFMPEG_ENTRY(int64_t, avio_size, (AVIOContext * io), (io))

// libswscale
QUILLO_FFMPEG_ENTRY(struct SwsContext *, sws_alloc_context, (void), ())
QUILLO_FFMPEG_ENTRY(void, sws_freeContext, (struct SwsContext * context), (context))
QUILLO_FFMPEG_ENTRY(struct SwsContext *, sws_getCachedContext,
                    (struct SwsContext * context, int sourceWidth, int sourceHeight, enum AVPixelFormat sourceFormat,
                     int width, int height, enum AVPixelFormat format, int flags, SwsFilter *sourceFilter,
                     SwsFilter *filter, const double *parameters),
                    (context, sourceWidth, sourceHeight, sourceFormat, width, height, format, flags, sourceFilter,
                     filter, parameters))
QUILLO_FFMPEG_ENTRY(const int *, sws_getCoefficients, (int colorspace), (colorspace))
QUILLO_FFMPEG_ENTRY(int, sws_init_context, (struct SwsContext * context, SwsFilter *sourceFilter, SwsFilter *filter),
                    (context, sourceFilter, filter))
QUILLO_FFMPEG_ENTRY(int, sws_scale,
                    (struct SwsContext * context, const uint8_t *const source[], const int sourceStride[], int sliceY,
                     int sliceHeight, uint8_t *const destination[], const int destinationStride[]),
                    (context, source, sourceStride, sliceY, sliceHeight, destination, destinationStride))
QUILLO_FFMPEG_ENTRY(int, sws_scale_frame, (struct SwsContext * context, AVFrame *destination, const AVFrame *source),
                    (context, destination, source))
QUILLO_FFMPEG_ENTRY(int, sws_setColorspaceDetails,
                    (struct SwsContext * context, const int inverseTable[4], int sourceRange, const int table[4],
                     int range, int brightness, int contrast, int saturation),
                    (context, inverseTable, sourceRange, table, range, brightness, contrast, saturation))

} // extern "C"
