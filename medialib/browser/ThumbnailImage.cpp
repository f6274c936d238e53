#include "ThumbnailImage.h"

#include <QImageWriter>
#include <QSaveFile>

QSize ThumbnailImage::fittedSize(const QSize &size)
{
    if (size.isEmpty())
        return QSize();
    const QSize fitted = size.scaled(kSide, kSide, Qt::KeepAspectRatio);
    return fitted.expandedTo(QSize(1, 1));
}

QImage ThumbnailImage::fitted(const QImage &image)
{
    if (image.isNull())
        return QImage();
    const QSize target = fittedSize(image.size());
    QImage scaled = image.size() == target ? image
                                           : image.scaled(target, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return scaled.convertToFormat(QImage::Format_RGB32);
}

bool ThumbnailImage::save(const QImage &image, const QString &path)
{
    if (image.isNull())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QImageWriter writer(&file, "png");
    // Written data sits in the file's buffer, and commit() in Qt 6.4 does not notice when flushing that
    // buffer fails (a full disk): it would rename the torn file into place. Flushing first shows the failure.
    if (!writer.write(image) || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
