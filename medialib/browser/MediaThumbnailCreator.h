#pragma once

#include <QImage>
#include <QString>
#include <QThread>

class MediaFileStore;

// Makes the thumbnail of one image file into the store's thumbnail cache on a thread of its own and
// reports where it is, with the picture itself, so the GUI thread reads nothing from the disk. A thumbnail
// tile makes one, sets the image path and hands it to the ThreadManager. A tile that goes withdraws it and
// does not wait for a decode under way: the creator then deletes itself when its thread ends.
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
    // The same, with the thumbnail's picture as it was written or found; null when the file could not be read.
    void thumbnailReady(QString imagePath, QImage picture);
    void createThumbnailFromImageFailed();

protected:
    void run() override;

private:
    MediaFileStore *m_store;
    QString m_imagePath;
};
