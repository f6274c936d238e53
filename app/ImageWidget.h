#pragma once

#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QWidget>

template<typename T>
class QFutureWatcher;

// The media pane's image, or the "No Media" placeholder while it holds none. The file's header is read at
// once, so the widget knows the picture's shape and refuses what is no image before the caller goes on; the
// pixels are decoded on a worker thread at no more than the screen's size (a camera still can be 50
// megapixels, seconds of decoding at full size) and kept as a pixmap of the widget's size, so that the many
// repaints the annotation canvas above causes cost one blit each.
class ImageWidget : public QWidget
{
    Q_OBJECT

public:
    explicit ImageWidget(QWidget *parent = nullptr);
    ~ImageWidget() override;

    // The widget's size for a w x h area: the picture's shape fitted in it, or the whole area without one.
    QSize sizeFor(int w, int h) const;
    // Shows the file: 1 when it is an image the program can read, -1 (after "Invalid format.") when it is not.
    // The media store records the file as the image shown until another one or clear() replaces it; a
    // refused file is not recorded, so that the media library may rename or delete it.
    int setImage(const QString &path);
    void clear();

    // The point size of "No Media" on a widget this wide; 0 where the text would be too small to draw.
    static int noMediaPointSize(int width);

    QString path() const { return m_path; }
    // A picture is shown or being decoded.
    bool hasImage() const { return m_sourceSize.isValid(); }
    // What a decode gives back.
    struct Decoded
    {
        QImage image;
        // The decode failed because the picture needs more memory than a decode may take.
        bool tooLarge = false;
    };

    // The decoded picture is on screen.
    bool isDecoded() const { return !m_image.isNull(); }
    QSize decodedSize() const { return m_image.size(); }

Q_SIGNALS:
    // The picture was decoded and painted.
    void imageDecoded();
    // The file's header promised a picture that its data did not hold ("Invalid format.", or the "too large"
    // message for a picture beyond the decode's memory, was shown; the widget is empty again and nothing is
    // recorded as shown).
    void decodeFailed(const QString &path);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void decodeFinished(QFutureWatcher<Decoded> *watcher);
    void dropImage();
    QSize screenPixels() const;
    static void showInvalidFormat();
    static void showTooLarge();

    QString m_path;
    QSize m_sourceSize;
    QImage m_image;
    QPixmap m_cache;
    // The decode of the current picture; one that finishes after another image (or none) was asked for is
    // no longer this and is dropped.
    QFutureWatcher<Decoded> *m_decoding = nullptr;
};
