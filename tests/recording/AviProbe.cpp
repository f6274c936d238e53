#include "AviProbe.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QtEndian>

namespace {

// The size a list header keeps while its list is still being written.
constexpr quint32 kOpenSize = 0xFFFFFFFF;

struct ChunkHeader
{
    QByteArray id;
    qint64 dataStart = 0;
    qint64 dataEnd = 0; // past the file's end when the chunk was cut short
};

bool readHeader(QFile &file, qint64 offset, qint64 limit, ChunkHeader *header)
{
    if (offset + 8 > limit || !file.seek(offset))
        return false;
    const QByteArray bytes = file.read(8);
    if (bytes.size() < 8)
        return false;
    const quint32 size = qFromLittleEndian<quint32>(bytes.constData() + 4);
    header->id = bytes.left(4);
    header->dataStart = offset + 8;
    header->dataEnd = size == kOpenSize ? limit : header->dataStart + qint64(size);
    return true;
}

// Walks the chunks of a "movi" list between start and end.
void countMovi(QFile &file, qint64 start, qint64 end, AviProbe::Contents *contents)
{
    const qint64 fileSize = file.size();
    ChunkHeader chunk;
    for (qint64 offset = start; readHeader(file, offset, end, &chunk); offset = chunk.dataEnd + (chunk.dataEnd & 1)) {
        if (chunk.dataEnd > fileSize)
            return;
        const qint64 size = chunk.dataEnd - chunk.dataStart;
        if (chunk.id == "00dc" || chunk.id == "00db") {
            ++contents->videoSlots;
            if (size > 0)
                ++contents->videoFrames;
        } else if (chunk.id == "01wb") {
            contents->audioBytes += size;
        }
    }
}

} // namespace

AviProbe::Contents AviProbe::contents(const QString &fileName)
{
    Contents contents;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return contents;
    const qint64 fileSize = file.size();
    ChunkHeader riff;
    for (qint64 offset = 0; readHeader(file, offset, fileSize, &riff) && riff.id == "RIFF";
         offset = riff.dataEnd + (riff.dataEnd & 1)) {
        ++contents.riffLists;
        const qint64 riffEnd = qMin(riff.dataEnd, fileSize);
        ChunkHeader chunk;
        // The list type (AVI or AVIX) comes first, then the lists.
        for (qint64 inner = riff.dataStart + 4; readHeader(file, inner, riffEnd, &chunk);
             inner = chunk.dataEnd + (chunk.dataEnd & 1)) {
            if (chunk.id == "LIST" && file.seek(chunk.dataStart) && file.read(4) == "movi")
                countMovi(file, chunk.dataStart + 4, qMin(chunk.dataEnd, fileSize), &contents);
        }
    }
    return contents;
}

QByteArray AviProbe::run(const QString &program, const QStringList &arguments, bool *ok)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(120000);
    if (ok)
        *ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return process.readAllStandardOutput();
}

AviProbe::AviProbe(const QString &fileName)
    : m_fileName(fileName)
{
    bool ok = false;
    const QByteArray json = run(QStringLiteral("ffprobe"),
                                {"-v", "error", "-count_frames", "-show_streams", "-of", "json", fileName}, &ok);
    const QJsonArray streams = QJsonDocument::fromJson(json).object().value("streams").toArray();
    for (const QJsonValue &value : streams)
        m_streams.append(value.toObject());
    m_readable = ok && !m_streams.isEmpty();
}

QJsonObject AviProbe::stream(const QString &type) const
{
    for (const QJsonObject &object : m_streams) {
        if (object.value("codec_type").toString() == type)
            return object;
    }
    return QJsonObject();
}

QList<AviProbe::Packet> AviProbe::packets(const QString &type) const
{
    const QString selector = type == QLatin1String("audio") ? QStringLiteral("a:0") : QStringLiteral("v:0");
    const QByteArray json = run(QStringLiteral("ffprobe"), {"-v", "error", "-select_streams", selector, "-show_packets",
                                                            "-of", "json", m_fileName});
    QList<Packet> result;
    const QJsonArray packets = QJsonDocument::fromJson(json).object().value("packets").toArray();
    for (const QJsonValue &value : packets) {
        const QJsonObject object = value.toObject();
        Packet packet;
        packet.pts = object.value("pts").toInteger();
        packet.key = object.value("flags").toString().startsWith('K');
        packet.size = object.value("size").toString().toLongLong();
        result.append(packet);
    }
    return result;
}

QByteArray AviProbe::audioSamples() const
{
    return run(QStringLiteral("ffmpeg"),
               {"-v", "error", "-i", m_fileName, "-map", "0:a:0", "-f", "s16le", "-acodec", "pcm_s16le", "-"});
}

QList<QImage> AviProbe::videoFrames() const
{
    const QJsonObject video = stream(QStringLiteral("video"));
    const int width = video.value(QStringLiteral("width")).toInt();
    const int height = video.value(QStringLiteral("height")).toInt();
    const qsizetype frameBytes = qsizetype(width) * height * 3;
    QList<QImage> frames;
    if (frameBytes <= 0)
        return frames;
    const QByteArray all = run(QStringLiteral("ffmpeg"), {"-v", "error", "-i", m_fileName, "-map", "0:v:0", "-fps_mode",
                                                          "passthrough", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    for (qsizetype at = 0; at + frameBytes <= all.size(); at += frameBytes)
        frames.append(QImage(reinterpret_cast<const uchar *>(all.constData() + at), width, height, width * 3,
                             QImage::Format_RGB888)
                          .copy());
    return frames;
}

QByteArray AviProbe::firstFrameRgb() const
{
    return run(QStringLiteral("ffmpeg"), {"-v", "error", "-i", m_fileName, "-map", "0:v:0", "-frames:v", "1", "-f",
                                          "rawvideo", "-pix_fmt", "rgb24", "-"});
}
