#pragma once

#include <QImage>
#include <QString>
#include <QThread>

class MediaFileStore;

// Makes the thumbnail of one image file into the store's thumbnail cache on a thread of its own and
// reports where it is. A thumbnail tile makes one, sets the image path and hands it to the ThreadManager;
// it withdraws it and waits for it before deleting it.
class MediaThumbnailCreator : public QThread
{
    Q_OBJECT

public:
    explicit MediaThumbnailCreator(MediaFileStore *store, QObject *parent = nullptr);
    ~MediaThumbnailCreator() override;

    // Set before the thread starts; not touched while it runs.
    void setImagePath(const QString &path) { m_imagePath = path; }
    QString imagePath() const { return m_imagePath; }

    // The thumbnail picture of the image file; null when it cannot be read. Large pictures are decoded
    // straight at about the thumbnail's size where the format allows it (JPEG), which is what keeps a folder
    // of photos quick.
    static QImage makeThumbnail(const QString &path);

Q_SIGNALS:
    // The thumbnail's path; emitted also when the file could not be written (its folder missing, the disk
    // full): the receiver finds no file there and keeps its picture.
    void thumbnailCreated(QString imagePath);
    void createThumbnailFromImageFailed();

protected:
    void run() override;

private:
    MediaFileStore *m_store;
    QString m_imagePath;
};
