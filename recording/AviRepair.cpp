#include "AviRepair.h"

#include "RecordingLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtEndian>

#include <cctype>
#include <cstdio>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

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

// Walks the whole chunks of the file in order, stepping into every list whatever size an unfinished one
// claims, up to the first chunk cut off; visit answers whether to go on.
void walkChunks(const QString &fileName, const std::function<bool(const QByteArray &id, quint32 size)> &visit)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const qint64 fileSize = file.size();
    for (qint64 offset = 0; offset + 8 <= fileSize;) {
        if (!file.seek(offset))
            return;
        const QByteArray header = file.read(8);
        if (header.size() < 8)
            return;
        const QByteArray id = header.left(4);
        if (id == "RIFF" || id == "LIST") {
            offset += 12;
            continue;
        }
        const quint32 size = qFromLittleEndian<quint32>(header.constData() + 4);
        if (offset + 8 + qint64(size) > fileSize || !visit(id, size))
            return;
        offset += 8 + qint64(size) + (size & 1);
    }
}

// The whole chunks of one video stream in the file, empty ones (skipped slots) included: one chunk a slot.
int64_t countSlots(const QByteArray &source, int streamIndex)
{
    const QByteArray number = QByteArray::number(streamIndex).rightJustified(2, '0');
    const QByteArray compressed = number + "dc";
    const QByteArray uncompressed = number + "db";
    int64_t chunks = 0;
    walkChunks(QFile::decodeName(source), [&](const QByteArray &id, quint32) {
        if (id == compressed || id == uncompressed)
            ++chunks;
        return true;
    });
    return chunks;
}

// Whether the file holds one whole data chunk of a stream ("00dc", "01wb", ...).
bool hasWholeChunk(const QString &fileName)
{
    bool found = false;
    walkChunks(fileName, [&found](const QByteArray &id, quint32 size) {
        found = std::isdigit(uchar(id.at(0))) && std::isdigit(uchar(id.at(1))) && size > 0;
        return !found;
    });
    return found;
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
    bool ok = avformat_find_stream_info(input, nullptr) >= 0
              && avformat_alloc_output_context2(&output, nullptr, "avi", target.constData()) >= 0;
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
        recordingLog(LogSystem::LOG_ERROR, "AviRepair - the read of %s ended at %lld of %lld bytes", source.constData(),
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
        recordingLog(LogSystem::LOG_ERROR, "AviRepair::repair - cannot repair %s", qUtf8Printable(fileName));
        return false;
    }
    // rename(2) replaces the file in one step: at any moment one whole version exists under the name.
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(fileName).constData()) != 0) {
        QFile::remove(temporary);
        recordingLog(LogSystem::LOG_ERROR, "AviRepair::repair - cannot replace %s", qUtf8Printable(fileName));
        return false;
    }
    recordingLog(LogSystem::LOG_NOTICE, "AviRepair::repair - repaired the unfinished recording %s",
                 qUtf8Printable(fileName));
    return true;
}

bool AviRepair::finishInPlace(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const qint64 fileSize = file.size();
    const auto readAt = [&file](qint64 offset, qint64 bytes) {
        return file.seek(offset) ? file.read(bytes) : QByteArray();
    };
    const auto u32 = [](const QByteArray &bytes, int at) { return qFromLittleEndian<quint32>(bytes.constData() + at); };
    // Where the header fields to fill in lie.
    qint64 avih = -1;
    qint64 dmlh = -1;
    struct Stream
    {
        qint64 strh = -1;
        bool video = false;
        quint32 sampleSize = 0;
        qint64 chunks = 0;
        qint64 bytes = 0;
    };
    QList<Stream> streams;
    // Each RIFF list and its movi list: offset of the list header.
    QList<qint64> riffs;
    QList<qint64> movis;
    qint64 end = 0;
    for (qint64 riff = 0; riff + 12 <= fileSize;) {
        const QByteArray header = readAt(riff, 12);
        if (header.size() < 12 || !header.startsWith("RIFF"))
            break;
        riffs.append(riff);
        end = riff + 12;
        const quint32 riffSize = u32(header, 4);
        const qint64 riffEnd = riffSize == kUnfinishedSize ? fileSize : qMin(fileSize, riff + 8 + qint64(riffSize));
        for (qint64 offset = riff + 12; offset + 8 <= riffEnd;) {
            const QByteArray chunk = readAt(offset, 12);
            const QByteArray id = chunk.left(4);
            const quint32 size = u32(chunk, 4);
            const bool list = id == "LIST" && chunk.size() == 12;
            if (list && chunk.mid(8, 4) == "movi") {
                movis.append(offset);
                // The chunks up to the first one cut off.
                qint64 at = offset + 12;
                while (at + 8 <= fileSize) {
                    const QByteArray data = readAt(at, 8);
                    const quint32 dataSize = u32(data, 4);
                    if (data.size() < 8 || at + 8 + qint64(dataSize) > fileSize || data.startsWith("RIFF"))
                        break;
                    const QByteArray dataId = data.left(4);
                    if (std::isdigit(uchar(dataId.at(0))) && std::isdigit(uchar(dataId.at(1)))) {
                        const int index = dataId.left(2).toInt();
                        if (index < streams.size()) {
                            ++streams[index].chunks;
                            streams[index].bytes += dataSize;
                        }
                    }
                    at += 8 + qint64(dataSize) + (dataSize & 1);
                }
                end = qMin(at, fileSize);
                offset = end;
                continue;
            }
            if (offset + 8 + qint64(size) > riffEnd)
                break;
            if (list && chunk.mid(8, 4) == "hdrl") {
                // The header list: the main header, and per stream its header.
                for (qint64 at = offset + 12; at + 8 <= offset + 8 + qint64(size);) {
                    const QByteArray sub = readAt(at, 12);
                    const quint32 subSize = u32(sub, 4);
                    if (sub.startsWith("avih"))
                        avih = at + 8;
                    if (sub.startsWith("LIST") && sub.mid(8, 4) == "strl") {
                        const QByteArray strh = readAt(at + 12, 8 + 48);
                        if (strh.startsWith("strh") && strh.size() == 56) {
                            Stream stream;
                            stream.strh = at + 12 + 8;
                            stream.video = strh.mid(8, 4) == "vids";
                            stream.sampleSize = u32(strh, 8 + 44);
                            streams.append(stream);
                        }
                    }
                    if (sub.startsWith("LIST") && sub.mid(8, 4) == "odml" && readAt(at + 12, 4) == "dmlh")
                        dmlh = at + 12 + 8;
                    at += 8 + qint64(subSize) + (subSize & 1);
                }
            }
            offset += 8 + qint64(size) + (size & 1);
            end = offset;
        }
        riff = riffSize == kUnfinishedSize ? fileSize : riff + 8 + qint64(riffSize) + (riffSize & 1);
    }
    if (avih < 0 || streams.isEmpty() || movis.isEmpty())
        return false;
    const auto writeAt = [&file](qint64 offset, quint32 value) {
        char bytes[4];
        qToLittleEndian(value, bytes);
        return file.seek(offset) && file.write(bytes, 4) == 4;
    };
    // Only the last RIFF and movi lists can be unfinished; the earlier ones were closed when the next began.
    bool ok = file.resize(end);
    ok = ok && writeAt(riffs.last() + 4, quint32(end - riffs.last() - 8));
    ok = ok && writeAt(movis.last() + 4, quint32(end - movis.last() - 8));
    const auto video = std::find_if(streams.begin(), streams.end(), [](const Stream &s) { return s.video; });
    const quint32 frames = video != streams.end() ? quint32(video->chunks) : 0;
    // The main header's flags: no index follows.
    constexpr quint32 kHasIndex = 0x10;
    const QByteArray mainHeader = readAt(avih, 20);
    ok = ok && mainHeader.size() == 20 && writeAt(avih + 12, u32(mainHeader, 12) & ~kHasIndex);
    ok = ok && writeAt(avih + 16, frames);
    if (dmlh >= 0)
        ok = ok && writeAt(dmlh, frames);
    for (const Stream &stream : std::as_const(streams)) {
        const quint32 length = stream.video || stream.sampleSize == 0 ? quint32(stream.chunks)
                                                                      : quint32(stream.bytes / stream.sampleSize);
        ok = ok && writeAt(stream.strh + 32, length);
    }
    ok = ok && file.flush();
    if (ok)
        recordingLog(LogSystem::LOG_NOTICE, "AviRepair - finished %s where it lies (%u frames)",
                     qUtf8Printable(fileName), frames);
    else
        recordingLog(LogSystem::LOG_ERROR, "AviRepair - cannot finish %s where it lies", qUtf8Printable(fileName));
    return ok;
}

bool AviRepair::isUnrecoverable(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // The smallest whole header: "RIFF", its size and "AVI ".
    constexpr qint64 kRiffHeaderBytes = 12;
    const QByteArray start = file.read(kRiffHeaderBytes);
    if (start.size() < kRiffHeaderBytes)
        return QByteArrayLiteral("RIFF").startsWith(start.left(4)) || start.isEmpty();
    return start.startsWith("RIFF") && start.mid(8, 4) == "AVI " && isUnfinished(fileName) && !hasWholeChunk(fileName);
}

QString AviRepair::setAsideName(const QString &fileName)
{
    return fileName + QStringLiteral(".unrecoverable");
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
        if (isUnrecoverable(file.filePath())) {
            // An entry nothing can play (a recording killed before its first chunk) would stay in the
            // library for good; set aside, it stays findable.
            const QString aside = setAsideName(file.filePath());
            if (!QFileInfo::exists(aside) && QFile::rename(file.filePath(), aside))
                recordingLog(LogSystem::LOG_WARNING, "AviRepair - %s holds nothing recoverable, set aside as %s",
                             qUtf8Printable(file.filePath()), qUtf8Printable(aside));
            else
                recordingLog(LogSystem::LOG_ERROR, "AviRepair - %s holds nothing recoverable and cannot be set aside",
                             qUtf8Printable(file.filePath()));
            continue;
        }
        if (isUnfinished(file.filePath()) && repair(file.filePath(), cancelled))
            ++repaired;
    }
    return repaired;
}
