#include "AviHandle.h"

#include "RecordingClock.h"
#include "RecordingLog.h"
#include "VideoEncoder.h"
#include "VideoEncoderFactory.h"

#include <QFile>
#include <QImage>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
}

namespace {

// A key frame at least every 10 slots keeps seeking within 0.4 s of the target.
constexpr quint32 kKeyFrameEverySlots = 10;

QString errorText(int error)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return QString::fromUtf8(text);
}

// The first failure is the cause; what fails after it only follows from it.
void markFailed(AviHandle *handle, int error)
{
    int none = 0;
    handle->failureError.compare_exchange_strong(none, error);
    handle->failed = true;
}

// Writes one packet of a stream, stamped in the stream's own units (slots or sample frames).
int writePacket(AviHandle *handle, AVStream *stream, AVPacket *packet, qint64 position, AVRational unit)
{
    packet->stream_index = stream->index;
    packet->pts = position;
    packet->dts = position;
    av_packet_rescale_ts(packet, unit, stream->time_base);
    const int result = av_write_frame(handle->context, packet);
    if (result < 0) {
        markFailed(handle, result);
        recordingLog(LogSystem::LOG_ERROR, "AviHandle - writing %s failed: %s", qUtf8Printable(handle->fileName),
                     qUtf8Printable(errorText(result)));
    }
    return result;
}

AVRational videoUnit(const AviHandle *handle)
{
    return AVRational{handle->framePeriodMs, 1000};
}

// Empty packets mark slots that got no picture; the muxer fills gaps between packets itself but not before
// the first one.
int writeEmptyVideo(AviHandle *handle, quint32 slot)
{
    AVPacket *packet = av_packet_alloc();
    if (!packet)
        return AVERROR(ENOMEM);
    const int result = writePacket(handle, handle->videoStream, packet, slot, videoUnit(handle));
    av_packet_free(&packet);
    if (result >= 0) {
        handle->anyVideoPacket = true;
        handle->videoPosition = slot;
    }
    return result;
}

quint32 setUpVideo(AviHandle *handle, std::unique_ptr<VideoEncoder> encoder)
{
    AVFormatContext *context = handle->context;
    AVStream *video = avformat_new_stream(context, nullptr);
    if (!video) {
        markFailed(handle, AVERROR(ENOMEM));
        return AVIERR_MEMORY;
    }
    encoder->describe(video->codecpar);
    video->time_base = videoUnit(handle);
    video->avg_frame_rate = av_inv_q(video->time_base);
    AVStream *audio = nullptr;
    if (!handle->audioFormat.isEmpty()) {
        audio = avformat_new_stream(context, nullptr);
        if (!audio) {
            markFailed(handle, AVERROR(ENOMEM));
            return AVIERR_MEMORY;
        }
        const WaveFormat &format = handle->audioFormat;
        AVCodecParameters *parameters = audio->codecpar;
        parameters->codec_type = AVMEDIA_TYPE_AUDIO;
        parameters->codec_id = AV_CODEC_ID_PCM_S16LE;
        parameters->sample_rate = int(format.samplesPerSec);
        av_channel_layout_default(&parameters->ch_layout, format.channels);
        parameters->block_align = format.blockAlign;
        parameters->bits_per_coded_sample = format.bitsPerSample;
        // Without the byte rate the stream header states the wrong sample rate and players stretch the sound.
        parameters->bit_rate = qint64(format.avgBytesPerSec) * 8;
        audio->time_base = AVRational{1, int(format.samplesPerSec)};
    }
    AVDictionary *options = nullptr;
    encoder->addMuxerOptions(&options);
    // Every packet goes to the file at once, so a killed recording loses at most the slot being written.
    context->flags |= AVFMT_FLAG_FLUSH_PACKETS;
    const int result = avformat_write_header(context, &options);
    av_dict_free(&options);
    if (result < 0) {
        markFailed(handle, result);
        recordingLog(LogSystem::LOG_ERROR, "AviHandle - cannot write the header of %s: %s",
                     qUtf8Printable(handle->fileName), qUtf8Printable(errorText(result)));
        return AVIERR_FILEWRITE;
    }
    handle->videoStream = video;
    handle->audioStream = audio;
    handle->encoder = std::move(encoder);
    return AVIERR_OK;
}

// The checks every set-up makes before touching the file; AVIERR_OK when it may go on.
quint32 checkVideoSetUp(AviHandle *handle, int width, int height)
{
    if (!handle)
        return AVIERR_BADHANDLE;
    if (width <= 0 || height <= 0)
        return AVIERR_BADPARAM;
    if (handle->failed)
        return AVIERR_ERROR;
    if (handle->videoStream)
        return AVIERR_COMPRESSOR;
    return AVIERR_OK;
}

// The encoder of a set-up: the one prepared for it, or else a new one. codec empty: XviD, or uncompressed
// frames when XviD is not available here.
std::unique_ptr<VideoEncoder> encoderFor(AviHandle *handle, const QByteArray &codec, int width, int height)
{
    std::unique_ptr<VideoEncoder> prepared = std::move(handle->preparedEncoder);
    if (prepared && handle->preparedCodec == codec && handle->preparedSize == QSize(width, height))
        return prepared;
    if (!codec.isEmpty())
        return handle->encoderFactory->create(codec, width, height);
    std::unique_ptr<VideoEncoder> encoder = handle->encoderFactory->create("XVID", width, height);
    if (!encoder) {
        recordingLog(LogSystem::LOG_WARNING, "AviHandle - XviD not available, recording uncompressed frames");
        encoder = handle->encoderFactory->create("DIB ", width, height);
    }
    return encoder;
}

} // namespace

AviHandle::AviHandle() = default;

AviHandle::~AviHandle()
{
    if (context) {
        avio_closep(&context->pb);
        avformat_free_context(context);
    }
}

AviHandle *createAvi(const QString &fileName, int framePeriodMs, const WaveFormat *audioFormat,
                     VideoEncoderFactory *factory)
{
    auto handle = std::make_unique<AviHandle>();
    handle->fileName = fileName;
    handle->framePeriodMs = framePeriodMs;
    handle->encoderFactory = factory ? factory : VideoEncoderFactory::standard();
    if (audioFormat)
        handle->audioFormat = *audioFormat;
    else
        handle->audioFormat.channels = 0;
    const QByteArray path = QFile::encodeName(fileName);
    int result = avformat_alloc_output_context2(&handle->context, nullptr, "avi", path.constData());
    if (result >= 0)
        result = avio_open(&handle->context->pb, path.constData(), AVIO_FLAG_WRITE);
    if (result < 0) {
        recordingLog(LogSystem::LOG_ERROR, "AviHandle - cannot create %s: %s", qUtf8Printable(fileName),
                     qUtf8Printable(errorText(result)));
        return nullptr;
    }
    return handle.release();
}

quint32 addAviAudio(AviHandle *handle, const void *data, qint64 bytes)
{
    if (!handle)
        return AVIERR_BADHANDLE;
    if (!data || bytes <= 0)
        return AVIERR_BADPARAM;
    QMutexLocker locker(&handle->mutex);
    if (handle->failed)
        return AVIERR_ERROR;
    if (handle->audioFormat.isEmpty())
        return AVIERR_BADFORMAT;
    const int blockAlign = handle->audioFormat.blockAlign;
    if (blockAlign <= 0 || bytes % blockAlign != 0)
        return AVIERR_BADPARAM;
    // The stream exists once the video is set up; sound arriving before has no place yet.
    if (!handle->audioStream)
        return AVIERR_BADHANDLE;
    AVPacket *packet = av_packet_alloc();
    if (!packet || av_new_packet(packet, int(bytes)) < 0) {
        av_packet_free(&packet);
        return AVIERR_MEMORY;
    }
    memcpy(packet->data, data, size_t(bytes));
    const qint64 frames = bytes / blockAlign;
    packet->duration = frames;
    packet->flags |= AV_PKT_FLAG_KEY;
    const int result = writePacket(handle, handle->audioStream, packet, qint64(handle->audioPosition),
                                   AVRational{1, int(handle->audioFormat.samplesPerSec)});
    av_packet_free(&packet);
    if (result < 0)
        return AVIERR_FILEWRITE;
    handle->audioPosition += quint64(frames);
    return AVIERR_OK;
}

quint32 setAviVideoCompression(AviHandle *handle, int width, int height, const AviCompressOptions &options)
{
    const quint32 check = checkVideoSetUp(handle, width, height);
    if (check != AVIERR_OK)
        return check;
    QMutexLocker locker(&handle->mutex);
    std::unique_ptr<VideoEncoder> encoder = encoderFor(handle, options.fccHandler, width, height);
    if (!encoder) {
        markFailed(handle, AVERROR_ENCODER_NOT_FOUND);
        return AVIERR_NOCOMPRESSOR;
    }
    return setUpVideo(handle, std::move(encoder));
}

quint32 setXvidCompression(AviHandle *handle, int width, int height)
{
    const quint32 check = checkVideoSetUp(handle, width, height);
    if (check != AVIERR_OK)
        return check;
    QMutexLocker locker(&handle->mutex);
    std::unique_ptr<VideoEncoder> encoder = encoderFor(handle, QByteArray(), width, height);
    if (!encoder) {
        markFailed(handle, AVERROR_ENCODER_NOT_FOUND);
        return AVIERR_NOCOMPRESSOR;
    }
    return setUpVideo(handle, std::move(encoder));
}

bool prepareAviVideo(AviHandle *handle, int width, int height, const QByteArray &codec, const QImage &sample)
{
    if (checkVideoSetUp(handle, width, height) != AVIERR_OK)
        return false;
    // Only the frame thread sets up the video, so the encoder is made and warmed without the muxer's lock,
    // which the microphone's thread would otherwise wait for.
    handle->preparedEncoder.reset();
    std::unique_ptr<VideoEncoder> encoder = encoderFor(handle, codec, width, height);
    if (!encoder)
        return false;
    if (!encoder->warmUp(sample)) {
        recordingLog(LogSystem::LOG_WARNING, "AviHandle - the encoder for %s failed on its trial frame",
                     qUtf8Printable(handle->fileName));
        return false;
    }
    handle->preparedEncoder = std::move(encoder);
    handle->preparedCodec = codec;
    handle->preparedSize = QSize(width, height);
    return true;
}

quint32 addAviTimedFrame(AviHandle *handle, const QImage &frame, quint32 *tickBase, quint32 frameAtResume,
                         RecordingClock *clock)
{
    if (!handle)
        return AVIERR_BADHANDLE;
    if (frame.isNull() || !tickBase || !clock)
        return AVIERR_BADPARAM;
    if (handle->failed)
        return AVIERR_ERROR;
    if (!handle->videoStream) {
        const quint32 setUp = setAviVideoCompression(handle, frame.width(), frame.height(), {"DIB "});
        if (setUp != AVIERR_OK)
            return setUp;
    }
    const quint32 period = quint32(handle->framePeriodMs);
    if (*tickBase == 0)
        *tickBase = clock->nowMs();
    quint32 slot = (clock->nowMs() - *tickBase) / period + frameAtResume;
    // A slot is written once: a picture taken in the slot of the last frame waits for the next boundary.
    while (slot <= handle->videoPosition) {
        clock->sleepUntil(*tickBase + (handle->videoPosition + 1 - frameAtResume) * period);
        slot = (clock->nowMs() - *tickBase) / period + frameAtResume;
    }
    const bool forceKey = !handle->anyFrame || slot - handle->lastKeySlot >= kKeyFrameEverySlots;
    AVPacket *packet = av_packet_alloc();
    if (!packet)
        return AVIERR_MEMORY;
    if (!handle->encoder->encode(frame, forceKey, packet)) {
        av_packet_free(&packet);
        QMutexLocker locker(&handle->mutex);
        markFailed(handle, AVERROR_EXTERNAL);
        recordingLog(LogSystem::LOG_ERROR, "AviHandle - encoding a frame of %s failed",
                     qUtf8Printable(handle->fileName));
        return AVIERR_ERROR;
    }
    QMutexLocker locker(&handle->mutex);
    int result = 0;
    if (!handle->anyVideoPacket && slot > 0)
        result = writeEmptyVideo(handle, 0);
    const bool key = packet->flags & AV_PKT_FLAG_KEY;
    if (result >= 0)
        result = writePacket(handle, handle->videoStream, packet, slot, videoUnit(handle));
    av_packet_free(&packet);
    if (result < 0)
        return AVIERR_FILEWRITE;
    handle->anyVideoPacket = true;
    handle->anyFrame = true;
    handle->videoPosition = slot;
    if (key)
        handle->lastKeySlot = slot;
    return AVIERR_OK;
}

quint32 addAviEmptyFrame(AviHandle *handle, quint32 slot)
{
    if (!handle)
        return AVIERR_BADHANDLE;
    QMutexLocker locker(&handle->mutex);
    if (handle->failed)
        return AVIERR_ERROR;
    if (!handle->videoStream)
        return AVIERR_BADHANDLE;
    if (handle->anyVideoPacket && slot <= handle->videoPosition)
        return AVIERR_OK;
    return writeEmptyVideo(handle, slot) < 0 ? AVIERR_FILEWRITE : AVIERR_OK;
}

quint32 closeAvi(AviHandle *handle)
{
    if (!handle)
        return AVIERR_BADHANDLE;
    quint32 code = AVIERR_OK;
    {
        QMutexLocker locker(&handle->mutex);
        // Even after a failed write the trailer is worth trying: the index makes the frames written so far
        // seekable.
        if (handle->videoStream) {
            const int result = av_write_trailer(handle->context);
            if (result < 0) {
                recordingLog(LogSystem::LOG_ERROR, "AviHandle - cannot finish %s: %s", qUtf8Printable(handle->fileName),
                             qUtf8Printable(errorText(result)));
                code = AVIERR_FILEWRITE;
            }
        }
        if (avio_closep(&handle->context->pb) < 0 && code == AVIERR_OK)
            code = AVIERR_FILEWRITE;
    }
    delete handle;
    return code;
}

QString aviErrorText(int error)
{
    return errorText(error);
}

bool aviErrorIsFullDisk(int error)
{
    return error == AVERROR(ENOSPC) || error == AVERROR(EDQUOT);
}
