#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

// Writes small video files for tests with the ffmpeg command, so no binary media is kept in the tree.
// Video is a moving test pattern at 25 frames per second, audio a 440 Hz tone. On failure (ffmpeg missing
// or refusing) the current test is failed with the reason and an empty path comes back:
//     const QString avi = TestMedia::writeAvi(dir.path(), "clip.avi", 2.0);
//     QVERIFY(!avi.isEmpty());
class TestMedia
{
public:
    // A file of the given bytes at path, its folders made first; a test that cannot write its fixture stops.
    static QString writeFile(const QString &path, const QByteArray &content);
    // MPEG-4 video tagged XVID, with 16-bit PCM audio.
    static QString writeAvi(const QString &dir, const QString &name, double seconds, QSize size = {320, 240},
                            bool withAudio = true);
    // WMV2 video with WMA2 audio in an ASF container.
    static QString writeWmv(const QString &dir, const QString &name, double seconds, QSize size = {320, 240},
                            bool withAudio = true);
    // The bytes of a PNG whose header is sound and whose data breaks off after its first third: readers take
    // it for a picture until they decode it.
    static QByteArray cutPng(QSize size);
    // An AVI (with sound) as a recorder leaves it when it never closed the file: no index at the end and
    // frame counts of 0 in the headers.
    static QString writeUnfinishedAvi(const QString &dir, const QString &name, double seconds, QSize size = {320, 240});
};
