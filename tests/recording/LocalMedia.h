#pragma once

#include <QSize>
#include <QString>

// Test videos made with the ffmpeg command at test time: a moving test picture, optionally with a tone.
class LocalMedia
{
public:
    // XviD video, PCM sound. Returns the file's path, or an empty string when ffmpeg failed.
    static QString writeAvi(const QString &dir, const QString &name, double seconds, const QSize &size,
                            bool withAudio);
    // WMV video, WMA sound.
    static QString writeWmv(const QString &dir, const QString &name, double seconds, const QSize &size,
                            bool withAudio);
    // An AVI as a recorder leaves it when it never closed the file: no index at the end and frame counts of
    // 0 in the headers.
    static QString writeUnfinishedAvi(const QString &dir, const QString &name, double seconds, const QSize &size);
};
