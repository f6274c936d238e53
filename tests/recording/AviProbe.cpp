#include "AviProbe.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

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
    const QByteArray json = run(QStringLiteral("ffprobe"), {"-v", "error", "-select_streams", selector,
                                                            "-show_packets", "-of", "json", m_fileName});
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

QByteArray AviProbe::firstFrameRgb() const
{
    return run(QStringLiteral("ffmpeg"), {"-v", "error", "-i", m_fileName, "-map", "0:v:0", "-frames:v", "1", "-f",
                                          "rawvideo", "-pix_fmt", "rgb24", "-"});
}
