#include "LocalMedia.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtEndian>

namespace {

QString runFfmpeg(const QString &path, double seconds, const QSize &size, bool withAudio,
                  const QStringList &codecs)
{
    const QString duration = QString::number(seconds);
    QStringList arguments{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"),
                          QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                          QStringLiteral("testsrc2=size=%1x%2:rate=25:duration=%3")
                              .arg(size.width()).arg(size.height()).arg(duration)};
    if (withAudio)
        arguments << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
                  << QStringLiteral("sine=frequency=440:duration=%1").arg(duration);
    arguments << codecs;
    if (!withAudio)
        arguments << QStringLiteral("-an");
    arguments << path;
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), arguments);
    if (!ffmpeg.waitForFinished(30000) || ffmpeg.exitCode() != 0) {
        qWarning("ffmpeg failed: %s", ffmpeg.readAllStandardError().constData());
        return QString();
    }
    return path;
}

// Sets the 32-bit field at offset (from the chunk's data) of every chunk with this four-character code.
void zeroField(QByteArray &data, const QByteArray &fourcc, int offset)
{
    for (qsizetype at = data.indexOf(fourcc); at >= 0; at = data.indexOf(fourcc, at + 4)) {
        if (at + 8 + offset + 4 <= data.size())
            qToLittleEndian<quint32>(0, data.data() + at + 8 + offset);
    }
}

} // namespace

QString LocalMedia::writeAvi(const QString &dir, const QString &name, double seconds, const QSize &size,
                             bool withAudio)
{
    return runFfmpeg(QDir(dir).filePath(name), seconds, size, withAudio,
                     {QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-vtag"), QStringLiteral("XVID"),
                      QStringLiteral("-c:a"), QStringLiteral("pcm_s16le"), QStringLiteral("-shortest")});
}

QString LocalMedia::writeWmv(const QString &dir, const QString &name, double seconds, const QSize &size,
                             bool withAudio)
{
    return runFfmpeg(QDir(dir).filePath(name), seconds, size, withAudio,
                     {QStringLiteral("-c:v"), QStringLiteral("wmv2"), QStringLiteral("-b:v"), QStringLiteral("1M"),
                      QStringLiteral("-c:a"), QStringLiteral("wmav2"), QStringLiteral("-b:a"), QStringLiteral("128k"),
                      QStringLiteral("-shortest")});
}

QString LocalMedia::writeUnfinishedAvi(const QString &dir, const QString &name, double seconds, const QSize &size)
{
    const QString path = writeAvi(dir, name, seconds, size, true);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadWrite))
        return QString();
    QByteArray data = file.readAll();
    const qsizetype index = data.lastIndexOf("idx1");
    if (index < 0)
        return QString();
    data.truncate(index);
    // avih: total frames at 16 and flags (with "has index") at 12; strh: length at 32; dmlh: total frames.
    zeroField(data, "avih", 16);
    zeroField(data, "avih", 12);
    zeroField(data, "strh", 32);
    zeroField(data, "dmlh", 0);
    file.resize(0);
    file.seek(0);
    file.write(data);
    return path;
}
