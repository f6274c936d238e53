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

// The size the muxer writes into a list header until the list is finished.
constexpr quint32 kUnfinishedSize = 0xFFFFFFFF;

int interruptRequested(void *opaque)
{
    const auto *cancelled = static_cast<const AviRepair::CancelCheck *>(opaque);
    return *cancelled && (*cancelled)() ? 1 : 0;
}

bool remux(const QByteArray &source, const QByteArray &target, const AviRepair::CancelCheck &cancelled)
{
    AVFormatContext *input = avformat_alloc_context();
    if (!input)
        return false;
    input->interrupt_callback = {&interruptRequested, const_cast<AviRepair::CancelCheck *>(&cancelled)};
    // Only our own recordings are read: the file itself, nothing it could point to, and only as an AVI. The
    // demuxer is found by probing, not named: named, it was seen to read only the first RIFF list of a file
    // past its first gigabyte, and the repair would drop everything after it.
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
    int packets = 0;
    int64_t largestPacket = 0;
    int readResult = 0;
    while (ok && packet && (readResult = av_read_frame(input, packet)) >= 0) {
        AVStream *in = input->streams[packet->stream_index];
        AVStream *out = output->streams[packet->stream_index];
        // The last chunk of a killed file may be cut short.
        const bool usable = !(packet->flags & AV_PKT_FLAG_CORRUPT) && packet->dts != AV_NOPTS_VALUE;
        if (usable) {
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
    av_packet_free(&packet);
    // The rebuilt file replaces the original, so it must hold everything: a read that stopped before the
    // end of the file (an I/O error) leaves the original as it is.
    // An end of file reported before the reader got near the file's end (the demuxer gave up at the end of a
    // RIFF list) is no end either: only a cut-off chunk at the very end may be left behind.
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
