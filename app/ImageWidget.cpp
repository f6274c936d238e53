#include "ImageWidget.h"

#include "MediaFileStore.h"
#include "MessageBoxes.h"

#include <QFileInfo>
#include <QFutureWatcher>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace {

// "No Media" is drawn at 40 points on a 640-pixel-wide pane and grows with the pane.
constexpr int kNoMediaPointsPer640 = 40;
constexpr int kNoMediaReferenceWidth = 640;
// Without a screen (never on a desktop) pictures are decoded for a full-HD one.
const QSize kFallbackScreen(1920, 1080);
// The TIFF and BMP readers decode at full size whatever size is asked, and Qt refuses a decoded picture
// over 128 MB; an A4 page scanned at 600 dpi (4960x7016, 139 MB as 32-bit pixels) or a 6000x6000 BMP
// (144 MB) would be refused. 512 MB holds a 32-bit picture of 134 megapixels (11585x11585) or a 64-bit
// one of half that, for the one or two decodes that run at a time, and still fits beside the program on
// a classroom computer with 4 GB; a picture over it is refused as too large.
constexpr int kDecodeAllocationLimitMb = 512;

bool rotatesQuarter(const QImageReader &reader)
{
    return reader.transformation() & QImageIOHandler::TransformationRotate90;
}

// A picture needing more than the decode limit at its full size (the size the readers that cannot scale
// while reading allocate).
bool exceedsDecodeLimit(const QImageReader &reader, QSize raw)
{
    const QImage::Format format = reader.imageFormat();
    const qint64 bitsPerPixel = format == QImage::Format_Invalid ? 32 : QImage::toPixelFormat(format).bitsPerPixel();
    const qint64 bytes = qint64(raw.width()) * raw.height() * std::max<qint64>(bitsPerPixel, 8) / 8;
    return bytes > qint64(kDecodeAllocationLimitMb) * 1024 * 1024;
}

// The picture at no more than bounds (in its shown orientation), never enlarged; a null image when the
// data does not hold it, with tooLarge set when it failed for its size.
ImageWidget::Decoded decode(const QString &path, QSize bounds)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize raw = reader.size();
    if (raw.isValid()) {
        const bool quarter = rotatesQuarter(reader);
        const QSize shown = quarter ? raw.transposed() : raw;
        if (shown.width() > bounds.width() || shown.height() > bounds.height()) {
            const QSize fitted = shown.scaled(bounds, Qt::KeepAspectRatio);
            reader.setScaledSize(quarter ? fitted.transposed() : fitted);
        }
    }
    ImageWidget::Decoded decoded;
    decoded.image = reader.read();
    decoded.tooLarge = decoded.image.isNull() && raw.isValid() && exceedsDecodeLimit(reader, raw);
    return decoded;
}

} // namespace

ImageWidget::ImageWidget(QWidget *parent)
    : QWidget(parent)
{
    // Qt's limit is one for the whole process; it is raised here, on the GUI thread, before this widget's
    // first decode starts, and never lowered.
    const int limit = QImageReader::allocationLimit();
    if (limit != 0 && limit < kDecodeAllocationLimitMb)
        QImageReader::setAllocationLimit(kDecodeAllocationLimitMb);
}

ImageWidget::~ImageWidget() = default;

int ImageWidget::noMediaPointSize(int width)
{
    return std::max(0, kNoMediaPointsPer640 * width / kNoMediaReferenceWidth);
}

QSize ImageWidget::sizeFor(int w, int h) const
{
    if (!hasImage())
        return QSize(w, h);
    return m_sourceSize.scaled(w, h, Qt::KeepAspectRatio);
}

int ImageWidget::setImage(const QString &path)
{
    dropImage();
    m_path = path;
    MediaFileStore *store = MediaFileStore::getInstance();
    store->setShowingImage(path);

    // Only a regular file: opening a named pipe would hold the window until some process writes to it.
    const bool regular = QFileInfo(path).isFile();
    QImageReader reader;
    if (regular)
        reader.setFileName(path);
    reader.setAutoTransform(true);
    const QSize raw = regular && reader.canRead() ? reader.size() : QSize();
    if (!raw.isValid()) {
        store->setShowingImage(QString());
        update();
        showInvalidFormat();
        return -1;
    }
    m_sourceSize = rotatesQuarter(reader) ? raw.transposed() : raw;

    auto *watcher = new QFutureWatcher<Decoded>(this);
    m_decoding = watcher;
    connect(watcher, &QFutureWatcher<Decoded>::finished, this, [this, watcher] { decodeFinished(watcher); });
    watcher->setFuture(QtConcurrent::run(decode, path, screenPixels()));
    update();
    return 1;
}

void ImageWidget::clear()
{
    dropImage();
    m_path.clear();
    MediaFileStore::getInstance()->setShowingImage(QString());
    update();
}

void ImageWidget::decodeFinished(QFutureWatcher<Decoded> *watcher)
{
    watcher->deleteLater();
    if (watcher != m_decoding)
        return;
    m_decoding = nullptr;
    const Decoded decoded = watcher->result();
    if (decoded.image.isNull()) {
        const QString path = m_path;
        dropImage();
        if (MediaFileStore::getInstance()->showingImage() == path)
            MediaFileStore::getInstance()->setShowingImage(QString());
        update();
        if (decoded.tooLarge)
            showTooLarge();
        else
            showInvalidFormat();
        emit decodeFailed(path);
        return;
    }
    m_image = decoded.image;
    update();
    emit imageDecoded();
}

void ImageWidget::dropImage()
{
    m_decoding = nullptr;
    m_sourceSize = QSize();
    m_image = QImage();
    m_cache = QPixmap();
}

QSize ImageWidget::screenPixels() const
{
    const QScreen *shownOn = screen();
    if (!shownOn)
        return kFallbackScreen;
    return shownOn->size() * shownOn->devicePixelRatio();
}

void ImageWidget::showInvalidFormat()
{
    MessageBoxes::Request box;
    box.text = tr("Invalid format.");
    MessageBoxes::exec(box);
}

void ImageWidget::showTooLarge()
{
    MessageBoxes::Request box;
    box.text = tr("The picture is too large to show.");
    MessageBoxes::exec(box);
}

void ImageWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect area = rect();
    if (hasImage()) {
        if (m_image.isNull()) {
            // Still decoding: the window's own black, as where no pane covers it.
            painter.fillRect(area, Qt::black);
            return;
        }
        const QSize pixels = size() * devicePixelRatio();
        if (m_cache.size() != pixels) {
            m_cache = QPixmap::fromImage(m_image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
            m_cache.setDevicePixelRatio(devicePixelRatio());
        }
        painter.drawPixmap(area.topLeft(), m_cache);
        return;
    }

    QLinearGradient gradient(width() / 2, 0, width() / 2, height());
    gradient.setColorAt(0, QColor::fromRgbF(1.0, 1.0, 1.0));
    gradient.setColorAt(1, QColor::fromRgbF(0.8, 0.8, 0.8));
    painter.fillRect(area, gradient);
    const int points = noMediaPointSize(width());
    if (points <= 0)
        return;
    QFont font(QStringLiteral("Calibri"));
    font.setPointSize(points);
    painter.setFont(font);
    painter.setPen(QColor::fromRgbF(0.75, 0.75, 0.75));
    painter.drawText(area, Qt::AlignCenter, tr("No Media"));
}
