#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

// Reads a recording the way an independent player would, through the ffprobe and ffmpeg tools.
class AviProbe
{
public:
    struct Packet {
        qint64 pts = 0; // in the stream's time base (slots for video, sample frames for sound)
        bool key = false;
        qint64 size = 0;
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

    static QByteArray run(const QString &program, const QStringList &arguments, bool *ok = nullptr);

private:
    QString m_fileName;
    bool m_readable = false;
    QList<QJsonObject> m_streams;
};
