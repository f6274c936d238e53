#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// The thumbnails of the media library, of images and videos alike: at most 60 x 60 pixels with the long
// side 60 (a smaller picture is enlarged), aspect ratio kept, 32-bit RGB without alpha, stored as PNG.
class ThumbnailImage
{
public:
    static constexpr int kSide = 60;

    // The size a picture of this size is shown at; at least 1 x 1.
    static QSize fittedSize(const QSize &size);
    // The picture scaled to fittedSize without smoothing, converted to RGB32; null for a null picture.
    static QImage fitted(const QImage &image);
    // Writes the PNG under a temporary name and renames it into place, so that a crash or a full disk never
    // leaves a torn file at path that would later pass for a thumbnail. False when nothing was written.
    static bool save(const QImage &image, const QString &path);
};
