#pragma once

#include <QImage>
#include <QJsonObject>
#include <QList>
#include <QString>

// Reads a recording the way an independent player would, through the ffprobe and ffmpeg tools.
class AviProbe
{
public:
    struct Packet
    {
        qint64 pts = 0; // in the stream's time base (slots for video, sample frames for sound)
        bool key = false;
        qint64 size = 0;
    };

    // What the file's data chunks hold, counted by walking its lists: no index or header length involved.
    struct Contents
    {
        qint64 videoSlots = 0;  // video chunks, the empty ones of skipped slots included
        qint64 videoFrames = 0; // video chunks with a picture
        qint64 audioBytes = 0;
        int riffLists = 0; // more than one: the file went past the first gigabyte (OpenDML)
    };

    explicit AviProbe(const QString &fileName);

    bool readable() const { return m_readable; }
    // The streams as ffprobe shows them (with counted frames), video first.
    QList<QJsonObject> streams() const { return m_streams; }
    QJsonObject stream(const QString &type) const;
    // The packets of the first stream of that type ("video" or "audio").
    QList<Packet> packets(const QString &type) const;
    // The sound decoded to 16-bit samples.
    QByteArray audioSamples() const;
    // The first video frame decoded to RGB24, top row first.
    QByteArray firstFrameRgb() const;
    // Every picture of the video decoded, in order, one per stored picture (no slot filled twice).
    QList<QImage> videoFrames() const;

    // A chunk cut short at the end of a killed file is not counted.
    static Contents contents(const QString &fileName);

    static QByteArray run(const QString &program, const QStringList &arguments, bool *ok = nullptr);

private:
    QString m_fileName;
    bool m_readable = false;
    QList<QJsonObject> m_streams;
};
