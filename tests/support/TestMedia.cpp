#include "TestMedia.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>
#include <QtTest>

namespace {

// Test fixtures encode in well under a second, but the benchmark's one-hour file takes about 15 s; five
// minutes leaves room for a loaded machine without hanging a broken run for ever.
constexpr int kFfmpegTimeoutMs = 5 * 60 * 1000;

void fail(const QString &message)
{
    QTest::qFail(qPrintable(message), __FILE__, __LINE__);
}

QString encode(const QString &dir, const QString &name, double seconds, QSize size, bool withAudio,
               const QStringList &videoCodec, const QStringList &audioCodec)
{
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (ffmpeg.isEmpty()) {
        fail(QStringLiteral("TestMedia: the ffmpeg command is not installed; it generates the media fixtures "
                            "(install the Debian package ffmpeg)"));
        return {};
    }
    const QString length = QString::number(seconds, 'f', 3);
    const QString target = QDir(dir).absoluteFilePath(name);
    QStringList args{
        QStringLiteral("-v"),
        QStringLiteral("error"),
        QStringLiteral("-nostdin"),
        QStringLiteral("-y"),
        QStringLiteral("-f"),
        QStringLiteral("lavfi"),
        QStringLiteral("-i"),
        QStringLiteral("testsrc2=size=%1x%2:rate=25:duration=%3").arg(size.width()).arg(size.height()).arg(length)};
    if (withAudio)
        args << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
             << QStringLiteral("sine=frequency=440:sample_rate=44100:duration=%1").arg(length);
    args << videoCodec;
    if (withAudio)
        args << audioCodec;
    args << target;

    QProcess process;
    process.start(ffmpeg, args);
    if (!process.waitForFinished(kFfmpegTimeoutMs) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0 || !QFileInfo(target).isFile()) {
        process.kill();
        fail(QStringLiteral("TestMedia: ffmpeg could not write %1: %2")
                 .arg(target, QString::fromLocal8Bit(process.readAllStandardError()).trimmed()));
        return {};
    }
    return target;
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

QString TestMedia::writeAvi(const QString &dir, const QString &name, double seconds, QSize size, bool withAudio)
{
    return encode(dir, name, seconds, size, withAudio,
                  {QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-vtag"), QStringLiteral("XVID")},
                  {QStringLiteral("-c:a"), QStringLiteral("pcm_s16le")});
}

QString TestMedia::writeWmv(const QString &dir, const QString &name, double seconds, QSize size, bool withAudio)
{
    return encode(dir, name, seconds, size, withAudio, {QStringLiteral("-c:v"), QStringLiteral("wmv2")},
                  {QStringLiteral("-c:a"), QStringLiteral("wmav2")});
}

QString TestMedia::writeUnfinishedAvi(const QString &dir, const QString &name, double seconds, QSize size)
{
    const QString path = writeAvi(dir, name, seconds, size, true);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadWrite))
        return {};
    QByteArray data = file.readAll();
    const qsizetype index = data.lastIndexOf("idx1");
    if (index < 0) {
        fail(QStringLiteral("TestMedia: %1 has no index to remove").arg(path));
        return {};
    }
    data.truncate(index);
    // avih: flags (with "has index") at 12, total frames at 16; strh: length at 32; dmlh: total frames.
    zeroField(data, "avih", 12);
    zeroField(data, "avih", 16);
    zeroField(data, "strh", 32);
    zeroField(data, "dmlh", 0);
    file.resize(0);
    file.seek(0);
    file.write(data);
    return path;
}

QString TestMedia::writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray TestMedia::cutPng(QSize size)
{
    // Noise, so that the compressed data is long enough to be cut in the middle of the picture.
    QImage noise(size, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, qRgb((x * 7) ^ y, (y * 13) ^ x, x * y));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!noise.save(&buffer, "PNG"))
        fail(QStringLiteral("TestMedia: could not encode a PNG"));
    return png.left(png.size() / 3);
}
