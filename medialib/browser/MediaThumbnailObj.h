#pragma once

#include <QImage>
#include <QMutex>
#include <QPointer>
#include <QPushButton>
#include <QSharedPointer>
#include <QString>
#include <QWidget>

class MediaImpl;
class MediaThumbnailCreator;
class QLineEdit;
class QPainter;

// One 100 x 100 cell of the thumbnail view: a media record's picture (at most 60 x 60) with its name under
// it, a selection fill, an info button for files and an in-place name editor. It takes no mouse input of
// its own; the view drives it. The tile is reference-counted: the view holds one reference, a pending
// second-press timer another, and the tile goes when the last one is given back.
class MediaThumbnailObj : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kSide = 100;
    // The picture box: 60 x 60 at (20, 0).
    static constexpr int kPictureSide = 60;
    static constexpr int kPictureLeft = 20;
    // A second press this soon after the first opens the name editor; slower than a double click, so the
    // two never mix.
    static constexpr int kSecondPressMs = 1000;
    // The name may use this much room below the picture: 80 x 40 less one pixel each way.
    static constexpr int kNameWidthLimit = 79;
    static constexpr int kNameHeightLimit = 39;
    // Longest path the library creates by renaming.
    static constexpr int kMaxPathLength = 240;

    MediaThumbnailObj(MediaImpl *media, QWidget *parent = nullptr);
    ~MediaThumbnailObj() override;

    void addRef();
    void release();
    int refCount() const { return m_refCount; }
    void setSelected(bool selected) { m_selected = selected; }
    bool isSelected() const { return m_selected; }
    MediaImpl *media() const { return m_media; }
    QImage thumbnail() const;
    // True while the tile shows one of the shared default pictures (or none).
    bool showsDefaultPicture() const;
    void hit();
    void resetHittedCounter() { m_hitCounter = 0; }
    void startEditing();
    QLineEdit *nameEditor() const { return m_nameEditor; }
    QPushButton *infoButton() { return &m_infoButton; }
    QString thumbnailPath() const { return m_thumbnailPath; }
    bool isDriveRootTile() const { return m_driveRoot; }

    // The name laid out for the tile's font as it is drawn: the lines joined by "\n", and the alignment
    // chosen. Computed again only when the name changes other than in letter case.
    QString layoutText() const { return m_layoutText; }
    int textAlignment() const { return m_textAlignment; }
    void layoutName(const QString &name);
    // The size a label of the tile's font needs for text.
    QSize measure(const QString &text) const;

Q_SIGNALS:
    void requestShowMediaInfo(MediaImpl *obj);

public Q_SLOTS:
    void timeOutResetHittedCounter();
    void changeThumbnail(const QString &path);
    void reloadVideoThumbnail();
    // A picture the image-thumbnail thread has read or made: shown as it is, nothing read again.
    void showThumbnail(const QString &path, const QImage &picture);

private Q_SLOTS:
    void onClickInfoBtn();
    void finishEditing();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    static void initDefaultThumbnail();
    static int getDeviceType(const QString &dirPath);
    void createDeviceThumbnail();
    void createImageThumbnail();
    // Withdraws the picture's decoder without waiting for it; a decode under way finishes unheard.
    void abandonThumbnail();
    void placeNameEditor();
    void drawTextFromFilePath(QPainter *painter, const QString &name);
    QString shownName() const;

    QSharedPointer<QImage> m_picture;
    MediaImpl *m_media;
    // Deletes itself once its thread has run, which may be before or after the tile goes.
    QPointer<MediaThumbnailCreator> m_creator;
    QPushButton m_infoButton;
    bool m_selected = false;
    QLineEdit *m_nameEditor;
    QMutex m_paintLock;
    QString m_layoutKey;
    QString m_layoutText;
    QString m_thumbnailPath;
    int m_textAlignment = Qt::AlignHCenter;
    int m_hitCounter = 0;
    int m_refCount = 1;
    bool m_driveRoot = false;
};
