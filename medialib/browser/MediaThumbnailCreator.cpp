#include "MediaThumbnailCreator.h"

#include "BrowserLog.h"
#include "MediaFileStore.h"
#include "ThumbnailImage.h"

#include <QImageReader>

MediaThumbnailCreator::MediaThumbnailCreator(MediaFileStore *store, QObject *parent)
    : QThread(parent)
    , m_store(store)
{
}

MediaThumbnailCreator::~MediaThumbnailCreator()
{
    // Its owner waits before deleting it; this only keeps a careless owner from destroying a running thread.
    wait();
}

QImage MediaThumbnailCreator::makeThumbnail(const QString &path)
{
    QImageReader reader(path);
    const QSize full = reader.size();
    const QSize target = ThumbnailImage::fittedSize(full);
    // Only a reduction is decoded at size: an enlargement would be smoothed by the reader, while thumbnails
    // are scaled without smoothing.
    if (target.isValid() && target.width() < full.width() && reader.supportsOption(QImageIOHandler::ScaledSize))
        reader.setScaledSize(target);
    const QImage image = reader.read();
    if (image.isNull())
        return QImage();
    return ThumbnailImage::fitted(image);
}

void MediaThumbnailCreator::run()
{
    if (m_imagePath.isEmpty()) {
        Q_EMIT createThumbnailFromImageFailed();
        return;
    }
    const QString thumbnail = m_store->thumbnailPath(m_imagePath);
    if (m_store->hasThumbnail(m_imagePath)) {
        QImage stored(thumbnail);
        // A cached picture larger than a thumbnail (left by an older version) is cut down once, for good.
        if (stored.width() > ThumbnailImage::kSide || stored.height() > ThumbnailImage::kSide) {
            stored = ThumbnailImage::fitted(stored);
            if (!ThumbnailImage::save(stored, thumbnail))
                browserLog(LogSystem::LOG_WARNING, "MediaThumbnailCreator - cannot write %s",
                           qUtf8Printable(thumbnail));
        }
        Q_EMIT thumbnailCreated(thumbnail);
        Q_EMIT thumbnailReady(thumbnail, stored);
        return;
    }
    const QImage image = makeThumbnail(m_imagePath);
    if (image.isNull()) {
        Q_EMIT createThumbnailFromImageFailed();
        return;
    }
    if (!ThumbnailImage::save(image, thumbnail))
        browserLog(LogSystem::LOG_WARNING, "MediaThumbnailCreator - cannot write %s", qUtf8Printable(thumbnail));
    Q_EMIT thumbnailCreated(thumbnail);
    Q_EMIT thumbnailReady(thumbnail, image);
}
