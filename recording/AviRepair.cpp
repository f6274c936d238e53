#include "AviRepair.h"

#include "ModuleLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtEndian>

#include <cstdio>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

static ModuleLog repairLog("quillo/recording");

namespace {

int interruptRequested(void *opaque)
{
    const auto *cancelled = static_cast<const AviRepair::CancelCheck *>(opaque);
    return *cancelled && (*cancelled)() ? 1 : 0;
}

// The size the muxer writes into a list header until the list is finished.
constexpr quint32 kUnfinishedSize = 0xFFFFFFFF;

// The recording read front to back, as it was written. The demuxer is told it cannot seek: given a file it
// can seek in, it loads the index of the finished first RIFF list, may judge the file non-interleaved from it
// (sound and pictures of a killed recording often drift apart in the file) and then reads only what that
// index lists, dropping everything after the first gigabyte. Its size is still answered, so chunks are
// checked against the file's real end.
class SequentialInput
{
public:
    SequentialInput(const QByteArray &source, const AviRepair::CancelCheck &cancelled)
        : m_file(QFile::decodeName(source))
        , m_cancelled(cancelled)
    {
    }
    ~SequentialInput()
    {
        if (m_context)
            av_freep(&m_context->buffer);
        avio_context_free(&m_context);
    }
    SequentialInput(const SequentialInput &) = delete;
    SequentialInput &operator=(const SequentialInput &) = delete;

    AVIOContext *open()
    {
        // FFmpeg's own block size for files: each block read is also a chance to cancel.
        constexpr int kBufferSize = 32 * 1024;
        if (!m_file.open(QIODevice::ReadOnly))
            return nullptr;
        auto *buffer = static_cast<unsigned char *>(av_malloc(kBufferSize));
        if (!buffer)
            return nullptr;
        m_context = avio_alloc_context(buffer, kBufferSize, 0, this, &SequentialInput::read, nullptr,
                                       &SequentialInput::seek);
        if (!m_context) {
            av_free(buffer);
            return nullptr;
        }
        m_context->seekable = 0;
        return m_context;
    }

private:
    static int read(void *opaque, uint8_t *buffer, int size)
    {
        auto *self = static_cast<SequentialInput *>(opaque);
        if (self->m_cancelled && self->m_cancelled())
            return AVERROR_EXIT;
        const qint64 got = self->m_file.read(reinterpret_cast<char *>(buffer), size);
        if (got < 0)
            return AVERROR(EIO);
        return got == 0 ? AVERROR_EOF : int(got);
    }
    static int64_t seek(void *opaque, int64_t offset, int whence)
    {
        auto *self = static_cast<SequentialInput *>(opaque);
        if (whence & AVSEEK_SIZE)
            return self->m_file.size();
        switch (whence & ~AVSEEK_FORCE) {
        case SEEK_CUR:
            offset += self->m_file.pos();
            break;
        case SEEK_END:
            offset += self->m_file.size();
            break;
        default:
            break;
        }
        return self->m_file.seek(offset) ? offset : AVERROR(EIO);
    }

    QFile m_file;
    const AviRepair::CancelCheck &m_cancelled;
    AVIOContext *m_context = nullptr;
};

// The whole chunks of one video stream in the file, empty ones (skipped slots) included: one chunk a slot.
int64_t countSlots(const QByteArray &source, int streamIndex)
{
    QFile file(QFile::decodeName(source));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray number = QByteArray::number(streamIndex).rightJustified(2, '0');
    const QByteArray compressed = number + "dc";
    const QByteArray uncompressed = number + "db";
    const qint64 fileSize = file.size();
    int64_t chunks = 0;
    for (qint64 offset = 0; offset + 8 <= fileSize;) {
        if (!file.seek(offset))
            break;
        const QByteArray header = file.read(8);
        if (header.size() < 8)
            break;
        const QByteArray id = header.left(4);
        // Lists hold chunks: step into them, whatever size an unfinished one claims.
        if (id == "RIFF" || id == "LIST") {
            offset += 12;
            continue;
        }
        const quint32 size = qFromLittleEndian<quint32>(header.constData() + 4);
        if (offset + 8 + qint64(size) > fileSize)
            break;
        if (id == compressed || id == uncompressed)
            ++chunks;
        offset += 8 + qint64(size) + (size & 1);
    }
    return chunks;
}

bool remux(const QByteArray &source, const QByteArray &target, const AviRepair::CancelCheck &cancelled)
{
    SequentialInput reader(source, cancelled);
    AVIOContext *inputIo = reader.open();
    AVFormatContext *input = inputIo ? avformat_alloc_context() : nullptr;
    if (!input)
        return false;
    input->pb = inputIo;
    input->flags |= AVFMT_FLAG_CUSTOM_IO;
    input->interrupt_callback = {&interruptRequested, const_cast<AviRepair::CancelCheck *>(&cancelled)};
    // Only our own recordings are read: the file itself, nothing it could point to, and only as an AVI.
    AVDictionary *inputOptions = nullptr;
    av_dict_set(&inputOptions, "protocol_whitelist", "file", 0);
    const int opened = avformat_open_input(&input, source.constData(), nullptr, &inputOptions);
    av_dict_free(&inputOptions);
    if (opened < 0)
        return false;
    if (qstrcmp(input->iformat->name, "avi") != 0) {
        avformat_close_input(&input);
        return false;
    }
    AVFormatContext *output = nullptr;
    bool ok = avformat_find_stream_info(input, nullptr) >= 0 &&
              avformat_alloc_output_context2(&output, nullptr, "avi", target.constData()) >= 0;
    int videoIndex = -1;
    for (unsigned i = 0; ok && i < input->nb_streams; ++i) {
        AVStream *in = input->streams[i];
        AVStream *out = avformat_new_stream(output, nullptr);
        ok = out && avcodec_parameters_copy(out->codecpar, in->codecpar) >= 0;
        if (ok) {
            out->time_base = in->time_base;
            if (in->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && videoIndex < 0)
                videoIndex = int(i);
        }
    }
    AVDictionary *options = nullptr;
    // Our uncompressed frames are stored bottom-up and stay so.
    av_dict_set(&options, "flipped_raw_rgb", "1", 0);
    if (ok)
        output->interrupt_callback = input->interrupt_callback;
    ok = ok && avio_open(&output->pb, target.constData(), AVIO_FLAG_WRITE) >= 0;
    ok = ok && avformat_write_header(output, &options) >= 0;
    av_dict_free(&options);
    AVPacket *packet = av_packet_alloc();
    bool firstVideo = true;
    // The slot of the last picture written: skipped slots after it are recording time too, but the demuxer
    // returns no packet for them and the muxer fills gaps only up to a picture that follows.
    int64_t lastVideoSlot = -1;
    int packets = 0;
    int64_t largestPacket = 0;
    int readResult = 0;
    while (ok && packet && (readResult = av_read_frame(input, packet)) >= 0) {
        AVStream *in = input->streams[packet->stream_index];
        AVStream *out = output->streams[packet->stream_index];
        // The last chunk of a killed file may be cut short.
        const bool usable = !(packet->flags & AV_PKT_FLAG_CORRUPT) && packet->dts != AV_NOPTS_VALUE;
        if (usable) {
            if (packet->stream_index == videoIndex)
                lastVideoSlot = qMax(lastVideoSlot, packet->dts);
            if (packet->stream_index == videoIndex && firstVideo && packet->dts > 0) {
                // The muxer fills gaps between frames itself, not the one before the first frame.
                AVPacket *empty = av_packet_alloc();
                empty->stream_index = videoIndex;
                empty->pts = empty->dts = 0;
                ok = av_write_frame(output, empty) >= 0;
                av_packet_free(&empty);
            }
            if (packet->stream_index == videoIndex)
                firstVideo = false;
            av_packet_rescale_ts(packet, in->time_base, out->time_base);
            packet->pos = -1;
            ok = ok && av_write_frame(output, packet) >= 0;
            ++packets;
            largestPacket = qMax<int64_t>(largestPacket, packet->size);
        }
        av_packet_unref(packet);
    }
    const int64_t videoSlots = ok && videoIndex >= 0 ? countSlots(source, videoIndex) : 0;
    if (ok && videoSlots - 1 > lastVideoSlot) {
        AVPacket *empty = av_packet_alloc();
        empty->stream_index = videoIndex;
        empty->pts = empty->dts = av_rescale_q(videoSlots - 1, input->streams[videoIndex]->time_base,
                                               output->streams[videoIndex]->time_base);
        ok = av_write_frame(output, empty) >= 0;
        av_packet_free(&empty);
    }
    av_packet_free(&packet);
    // The rebuilt file replaces the original, so it must hold everything: a read that stopped before the
    // end of the file (an I/O error) leaves the original as it is.
    // An end of file reported before the reader got near the file's end is no end either: only a cut-off
    // chunk at the very end may be left behind.
    constexpr int64_t kChunkHeaderSlack = 64 * 1024;
    const int64_t fileSize = avio_size(input->pb);
    const bool readToTheEnd = fileSize <= 0 || avio_tell(input->pb) + largestPacket + kChunkHeaderSlack >= fileSize;
    if (readResult == AVERROR_EOF && !readToTheEnd)
        repairLog(LogSystem::LOG_ERROR, "AviRepair - the read of %s ended at %lld of %lld bytes", source.constData(),
                  qlonglong(avio_tell(input->pb)), qlonglong(fileSize));
    ok = ok && readResult == AVERROR_EOF && readToTheEnd && packets > 0 && av_write_trailer(output) >= 0;
    if (output) {
        avio_closep(&output->pb);
        avformat_free_context(output);
    }
    avformat_close_input(&input);
    return ok;
}

} // namespace

bool AviRepair::isUnfinished(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 fileSize = file.size();
    qint64 offset = 0;
    while (offset + 12 <= fileSize) {
        file.seek(offset);
        const QByteArray header = file.read(12);
        if (header.size() < 12 || !header.startsWith("RIFF"))
            break;
        // A recording begins as an AVI; a file that does not is someone else's and is not ours to rewrite.
        if (offset == 0 && header.mid(8, 4) != "AVI ")
            return false;
        const quint32 size = qFromLittleEndian<quint32>(header.constData() + 4);
        if (size == kUnfinishedSize || offset + 8 + qint64(size) > fileSize)
            return true;
        offset += 8 + qint64(size) + (size & 1);
    }
    return false;
}

bool AviRepair::repair(const QString &fileName, const CancelCheck &cancelled)
{
    const QString temporary = fileName + QStringLiteral(".repair");
    if (!remux(QFile::encodeName(fileName), QFile::encodeName(temporary), cancelled)) {
        QFile::remove(temporary);
        repairLog(LogSystem::LOG_ERROR, "AviRepair::repair - cannot repair %s", qUtf8Printable(fileName));
        return false;
    }
    // rename(2) replaces the file in one step: at any moment one whole version exists under the name.
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(fileName).constData()) != 0) {
        QFile::remove(temporary);
        repairLog(LogSystem::LOG_ERROR, "AviRepair::repair - cannot replace %s", qUtf8Printable(fileName));
        return false;
    }
    repairLog(LogSystem::LOG_NOTICE, "AviRepair::repair - repaired the unfinished recording %s",
              qUtf8Printable(fileName));
    return true;
}

int AviRepair::repairFolder(const QString &folder)
{
    int repaired = 0;
    const QStringList names = QDir(folder).entryList({QStringLiteral("*.avi")}, QDir::Files);
    for (const QString &name : names) {
        const QString path = QDir(folder).filePath(name);
        if (isUnfinished(path) && repair(path))
            ++repaired;
    }
    return repaired;
}

int AviRepair::repairRecordings(const QString &folder, const QDateTime &cutoff, const CancelCheck &cancelled)
{
    static const QRegularExpression ownName(
        QStringLiteral("^Quillo-\\d{4}-\\d{2}-\\d{2}_\\d{2}-\\d{2}-\\d{2}(_\\d+)?\\.avi$"));
    int repaired = 0;
    const QFileInfoList files = QDir(folder).entryInfoList({QStringLiteral("Quillo-*.avi")}, QDir::Files);
    for (const QFileInfo &file : files) {
        // A file written since cutoff may belong to a recording running now.
        if (cancelled && cancelled())
            break;
        if (!ownName.match(file.fileName()).hasMatch() || file.lastModified() >= cutoff)
            continue;
        if (isUnfinished(file.filePath()) && repair(file.filePath(), cancelled))
            ++repaired;
    }
    return repaired;
}
