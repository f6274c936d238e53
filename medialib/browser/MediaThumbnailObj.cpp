#include "MediaThumbnailObj.h"

#include "DriveRoot.h"
#include "MediaFileStore.h"
#include "MediaImpl.h"
#include "MediaThumbnailCreator.h"
#include "OsHelpers.h"
#include "ThreadManager.h"
#include "ThumbnailImage.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTextOption>
#include <QTimer>

namespace {

// The pictures every tile shares, loaded once for the program's life.
struct DefaultPictures
{
    QSharedPointer<QImage> folder, picture, video, cdrom, hdd, remote, usb;
};

DefaultPictures &defaults()
{
    static DefaultPictures pictures;
    return pictures;
}

// The info button's icon, the same for every tile: loading it anew took most of a tile's construction. Kept
// for the program's life and never destroyed, so no pixmap outlives the application object at exit.
const QIcon &infoIcon()
{
    static const QIcon *icon = new QIcon(QStringLiteral(":/Image/pics/info.png"));
    return *icon;
}

void loadOnce(QSharedPointer<QImage> &picture, const QString &resource)
{
    if (!picture)
        picture = QSharedPointer<QImage>::create(resource);
}

const QColor kSelectionFill(143, 143, 177, 255);
const QRectF kNameRect(10, 60, 90, 40);
const QRect kNameLabelRect(10, 60, 80, 40);
const QRect kNameEditorRect(5, 60, 95, 40);
constexpr int kInfoButtonSide = 20;
constexpr int kInfoIconSide = 15;
// The info button's bottom-right pixel, just above the name and right of the picture.
constexpr int kInfoButtonRight = 90;
constexpr int kInfoButtonBottom = 60;
constexpr int kFontPointSize = 11;

} // namespace

MediaThumbnailObj::MediaThumbnailObj(MediaImpl *media, QWidget *parent)
    : QWidget(parent)
    , m_media(media)
    , m_nameEditor(new QLineEdit(this))
{
    if (m_media)
        m_media->addRef();
    if (!defaults().folder)
        initDefaultThumbnail();

    const int type = m_media ? m_media->mediaType() : MediaImpl::TYPE_OTHER;
    if (type == MediaImpl::TYPE_FOLDER) {
        m_picture = defaults().folder;
        m_driveRoot = isDriveRoot(m_media->path());
        createDeviceThumbnail();
    } else {
        if (type == MediaImpl::TYPE_IMAGE)
            m_picture = defaults().picture;
        else if (type == MediaImpl::TYPE_VIDEO)
            m_picture = defaults().video;
        createImageThumbnail();
    }
    resize(kSide, kSide);

    if (type != MediaImpl::TYPE_FOLDER) {
        m_infoButton.setParent(this);
        m_infoButton.setIcon(infoIcon());
        m_infoButton.setIconSize(QSize(kInfoIconSide, kInfoIconSide));
        m_infoButton.setFlat(true);
        m_infoButton.resize(kInfoButtonSide, kInfoButtonSide);
        m_infoButton.move(kInfoButtonRight - (m_infoButton.width() - 1),
                          kInfoButtonBottom - (m_infoButton.height() - 1));
        m_infoButton.show();
    }

    QFont tileFont = font();
    tileFont.setFamily(QStringLiteral("Calibri"));
    tileFont.setPointSize(kFontPointSize);
    setFont(tileFont);
    m_nameEditor->hide();

    connect(&m_infoButton, &QPushButton::clicked, this, &MediaThumbnailObj::onClickInfoBtn);
    if (!m_driveRoot)
        connect(m_nameEditor, &QLineEdit::editingFinished, this, &MediaThumbnailObj::finishEditing);
}

MediaThumbnailObj::~MediaThumbnailObj()
{
    QMutexLocker locker(&m_paintLock);
    abandonThumbnail();
    if (m_media)
        m_media->release();
    m_media = nullptr;
    m_picture.reset();
}

void MediaThumbnailObj::addRef()
{
    ++m_refCount;
}

void MediaThumbnailObj::release()
{
    if (--m_refCount <= 0) {
        // Often called from the tile's own timer slot, and the view may still be walking its list: the tile
        // goes once control is back in the event loop. It disappears at once, and its picture is no longer
        // wanted.
        hide();
        abandonThumbnail();
        deleteLater();
    }
}

void MediaThumbnailObj::abandonThumbnail()
{
    if (!m_creator)
        return;
    MediaThumbnailCreator *creator = m_creator;
    m_creator = nullptr;
    creator->disconnect(this);
    // Once withdrawn, the manager starts it no more; one it has started is running or done, and deletes
    // itself (its finished signal reaches deleteLater). Waiting for it here froze the window while large
    // pictures decoded.
    ThreadManager::getInstance()->removeThread(creator);
    if (!creator->isRunning() && !creator->isFinished())
        delete creator;
}

QImage MediaThumbnailObj::thumbnail() const
{
    return m_picture ? *m_picture : QImage();
}

bool MediaThumbnailObj::showsDefaultPicture() const
{
    const DefaultPictures &d = defaults();
    return !m_picture || m_picture == d.folder || m_picture == d.picture || m_picture == d.video || m_picture == d.cdrom
           || m_picture == d.hdd || m_picture == d.remote || m_picture == d.usb;
}

void MediaThumbnailObj::initDefaultThumbnail()
{
    DefaultPictures &d = defaults();
    loadOnce(d.folder, QStringLiteral(":/Image/pics/MediaLib/folder.png"));
    loadOnce(d.picture, QStringLiteral(":/Image/pics/MediaLib/picture_thumbnail.png"));
    loadOnce(d.video, QStringLiteral(":/Image/pics/MediaLib/video_thumbnail.png"));
    loadOnce(d.cdrom, QStringLiteral(":/Image/pics/MediaLib/drive_cdrom.png"));
    loadOnce(d.hdd, QStringLiteral(":/Image/pics/MediaLib/drive_hdd.png"));
    loadOnce(d.remote, QStringLiteral(":/Image/pics/MediaLib/drive_remote.png"));
    loadOnce(d.usb, QStringLiteral(":/Image/pics/MediaLib/drive_usb.png"));
}

int MediaThumbnailObj::getDeviceType(const QString &dirPath)
{
    if (!QFileInfo(dirPath).isDir())
        return 0;
    return int(driveType(dirPath));
}

void MediaThumbnailObj::createDeviceThumbnail()
{
    // Only a volume root has a drive type of its own; an ordinary folder keeps the folder picture.
    if (!m_driveRoot)
        return;
    switch (getDeviceType(m_media->path())) {
    case kDriveRemovable:
        m_picture = defaults().usb;
        break;
    case kDriveFixed:
        m_picture = defaults().hdd;
        break;
    case kDriveRemote:
        m_picture = defaults().remote;
        break;
    case kDriveCdRom:
        m_picture = defaults().cdrom;
        break;
    default:
        break;
    }
}

void MediaThumbnailObj::createImageThumbnail()
{
    if (!m_media || m_media->mediaType() != MediaImpl::TYPE_IMAGE || m_picture != defaults().picture)
        return;
    if (m_creator)
        return;
    m_creator = new MediaThumbnailCreator(MediaFileStore::getInstance());
    connect(m_creator, &QThread::finished, m_creator, &QObject::deleteLater);
    m_creator->setImagePath(m_media->path());
    connect(m_creator, &MediaThumbnailCreator::thumbnailReady, this, &MediaThumbnailObj::showThumbnail);
    ThreadManager::getInstance()->addThread(m_creator);
}

void MediaThumbnailObj::changeThumbnail(const QString &path)
{
    QImage image(path);
    if (image.isNull()) {
        update();
        return;
    }
    if (image.width() > kPictureSide || image.height() > kPictureSide) {
        image.scaled(kPictureSide, kPictureSide, Qt::KeepAspectRatio, Qt::FastTransformation).save(path);
    }
    m_picture = QSharedPointer<QImage>::create(path);
    m_thumbnailPath = path;
    update();
}

void MediaThumbnailObj::showThumbnail(const QString &path, const QImage &picture)
{
    if (!picture.isNull()) {
        m_picture = QSharedPointer<QImage>::create(picture);
        m_thumbnailPath = path;
    }
    update();
}

void MediaThumbnailObj::reloadVideoThumbnail()
{
    if (!m_media || m_media->mediaType() != MediaImpl::TYPE_VIDEO || m_picture != defaults().video)
        return;
    const QString path = MediaFileStore::getInstance()->thumbnailPath(m_media->path());
    if (QFileInfo::exists(path))
        changeThumbnail(path);
    else
        update();
}

void MediaThumbnailObj::onClickInfoBtn()
{
    Q_EMIT requestShowMediaInfo(m_media);
}

void MediaThumbnailObj::hit()
{
    ++m_hitCounter;
    if (m_hitCounter == 1) {
        addRef();
        QTimer::singleShot(kSecondPressMs, this, &MediaThumbnailObj::timeOutResetHittedCounter);
    } else if (m_hitCounter == 2) {
        if (!m_driveRoot)
            startEditing();
        m_hitCounter = 0;
    }
}

void MediaThumbnailObj::timeOutResetHittedCounter()
{
    m_hitCounter = 0;
    release();
}

void MediaThumbnailObj::placeNameEditor()
{
    m_nameEditor->setGeometry(kNameEditorRect);
    m_nameEditor->setAlignment(Qt::AlignCenter);
    m_nameEditor->hide();
}

void MediaThumbnailObj::startEditing()
{
    if (!m_media || m_driveRoot)
        return;
    placeNameEditor();
    const QString path = m_media->path();
    const QFileInfo info(path);
    const bool folder = m_media->mediaType() == MediaImpl::TYPE_FOLDER;
    const QString name = folder ? QDir(path).dirName() : info.completeBaseName();
    const int parentLength = int(info.absolutePath().size());
    // A file keeps its dot and suffix, so they count against the limit too.
    const int baseLimit = folder ? kMaxPathLength : kMaxPathLength - 1 - int(info.suffix().size());
    const int taken = info.isDir() ? int(info.absoluteFilePath().size()) : parentLength;
    // The limit holds back what is typed beyond the present name, never the name itself: a cut name would
    // be committed as a rename when the editor is left untouched.
    m_nameEditor->setMaxLength(qMax(qMax(0, baseLimit - taken), int(name.size())));
    m_nameEditor->setText(name);
    if (parentLength > kMaxPathLength - 1)
        return;
    m_nameEditor->show();
    m_nameEditor->selectAll();
    m_nameEditor->setFocus(Qt::OtherFocusReason);
}

void MediaThumbnailObj::finishEditing()
{
    // Hiding the editor and any message the store shows take the focus away, which would end the editing a
    // second time.
    disconnect(m_nameEditor, &QLineEdit::editingFinished, this, &MediaThumbnailObj::finishEditing);
    m_nameEditor->hide();
    if (m_media)
        MediaFileStore::getInstance()->renameMediaFile(m_media, m_nameEditor->text(), true);
    connect(m_nameEditor, &QLineEdit::editingFinished, this, &MediaThumbnailObj::finishEditing);
    update();
}

QString MediaThumbnailObj::shownName() const
{
    if (m_driveRoot)
        return driveRootName(m_media->path());
    return QFileInfo(m_media->path()).fileName();
}

void MediaThumbnailObj::paintEvent(QPaintEvent *)
{
    QMutexLocker locker(&m_paintLock);
    QPainter painter(this);
    painter.save();
    painter.setFont(font());
    if (m_selected)
        painter.fillRect(rect(), kSelectionFill);
    if (!m_media) {
        painter.restore();
        return;
    }
    if (m_picture) {
        QImage picture = *m_picture;
        if (m_picture == defaults().video || m_picture == defaults().picture
            || m_media->mediaType() == MediaImpl::TYPE_FOLDER)
            picture = picture.scaled(kPictureSide, kPictureSide, Qt::KeepAspectRatio, Qt::FastTransformation);
        const int w = picture.width();
        const int h = picture.height();
        painter.drawImage(QRect((kPictureSide - w) / 2 + kPictureLeft, (kPictureSide - h) / 2, w, h), picture,
                          QRect(0, 0, w, h));
    }
    drawTextFromFilePath(&painter, shownName());
    painter.restore();
}

QSize MediaThumbnailObj::measure(const QString &text) const
{
    QLabel label(text);
    label.setFont(font());
    label.setGeometry(kNameLabelRect);
    // Lines are stacked at the font's height without its leading: the fonts standing in for the tile's
    // font here add a leading the original one did not have, which would leave room for one line only.
    const int lines = int(text.count(QLatin1Char('\n'))) + 1;
    return QSize(label.sizeHint().width(), lines * QFontMetrics(font()).height());
}

void MediaThumbnailObj::layoutName(const QString &name)
{
    if (!m_layoutKey.isNull() && name.compare(m_layoutKey, Qt::CaseInsensitive) == 0)
        return;
    m_layoutKey = name;
    const QSize whole = measure(name);
    if (whole.width() <= kNameWidthLimit || name.isEmpty()) {
        m_textAlignment = Qt::AlignHCenter;
        m_layoutText = name;
        return;
    }
    m_textAlignment = Qt::AlignLeft;
    const int meanWidth = whole.width() / int(name.size());
    // The longest head of text that leaves room for one more character of mean width; at least one
    // character, so that a single very wide character still moves the layout on.
    const auto fittingHead = [&](QString text) {
        while (text.size() > 1 && measure(text).width() + meanWidth > kNameWidthLimit)
            text.chop(1);
        return text;
    };
    const auto truncate = [&](QString text) {
        while (!text.isEmpty() && measure(text + QStringLiteral("...")).width() > kNameWidthLimit)
            text.chop(1);
        return text + QStringLiteral("...");
    };

    QString committed = fittingHead(name);
    if (whole.height() > kNameHeightLimit) {
        m_layoutText = truncate(committed);
        return;
    }
    for (;;) {
        const QString placed = QString(committed).remove(QLatin1Char('\n'));
        if (placed.size() >= name.size()) {
            m_layoutText = committed;
            return;
        }
        const QString line = fittingHead(name.mid(placed.size()));
        const QString before = committed;
        committed += QLatin1Char('\n') + line;
        if (measure(committed).height() > kNameHeightLimit) {
            m_layoutText = truncate(before);
            return;
        }
    }
}

void MediaThumbnailObj::drawTextFromFilePath(QPainter *painter, const QString &name)
{
    layoutName(name);
    const int lineHeight = QFontMetrics(font()).height();
    const QTextOption option{Qt::Alignment(m_textAlignment)};
    QRectF line(kNameRect.x(), kNameRect.y(), kNameRect.width(), lineHeight);
    for (const QString &text : m_layoutText.split(QLatin1Char('\n'))) {
        painter->drawText(line, text, option);
        line.translate(0, lineHeight);
    }
}
