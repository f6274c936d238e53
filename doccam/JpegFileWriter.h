#pragma once

#include <QImage>
#include <QString>

// Writes pictures as JPEG files without ever replacing an existing file and without leaving a half-written
// file under a final name: the picture is encoded into a hidden temporary file in the target folder, which
// is then renamed to the first free name of "<base>.jpg", "<base>-1.jpg", "<base>-2.jpg", ... Encoding and
// writing run on a worker thread while the calling (GUI) thread keeps painting; user input waits until the
// file is written.
class JpegFileWriter
{
public:
    // Quality 90 keeps text on documents sharp at about a tenth of the raw size.
    static constexpr int kQuality = 90;

    // The path of the written file, or an empty string when it could not be written.
    static QString write(const QImage &image, const QString &folder, const QString &baseName);
    // The name the picture gets if nothing else appears in the folder meanwhile.
    static QString firstFreeName(const QString &folder, const QString &baseName);

    // The blocking part of write(), for callers already off the GUI thread.
    static QString writeNow(const QImage &image, const QString &folder, const QString &baseName);
};
