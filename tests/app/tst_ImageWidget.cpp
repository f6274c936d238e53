#include "DialogWatchdog.h"
#include "ImageWidget.h"
#include "MediaFileStore.h"
#include "MessageBoxScript.h"
#include "Screenshot.h"
#include "TestEnvironment.h"
#include "TestMedia.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

namespace {

// Left half red, right half blue, so that a stretched drawing shows where each half went.
QImage halves(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(0, 0, size.width() / 2, size.height(), Qt::red);
    painter.fillRect(size.width() / 2, 0, size.width() - size.width() / 2, size.height(), Qt::blue);
    return image;
}

QString writeImage(const QString &dir, const QString &name, QSize size)
{
    const QString path = dir + QLatin1Char('/') + name;
    return halves(size).save(path) ? path : QString();
}

// A worksheet as a teacher would photograph it, for the picture a person looks at.
QString writeWorksheet(const QString &dir)
{
    QImage image(1600, 1200, QImage::Format_RGB32);
    image.fill(QColor(250, 248, 240));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont title(QStringLiteral("DejaVu Sans"), 60, QFont::Bold);
    painter.setFont(title);
    painter.setPen(QColor(30, 60, 120));
    painter.drawText(QRect(0, 60, 1600, 120), Qt::AlignCenter, QStringLiteral("The water cycle"));
    painter.setPen(QPen(QColor(120, 160, 220), 3));
    for (int y = 260; y < 1150; y += 70)
        painter.drawLine(120, y, 1480, y);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 200, 40));
    painter.drawEllipse(QPoint(1300, 420), 110, 110);
    painter.setBrush(QColor(60, 130, 220));
    painter.drawRect(120, 900, 1360, 250);
    painter.end();
    const QString path = dir + QStringLiteral("/worksheet.jpg");
    return image.save(path) ? path : QString();
}

QString writeBytes(const QString &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

// A plain white picture of the given size in the format; a TIFF is written compressed, so that a page scanned
// at 600 dpi costs the disk little.
QString writeBlank(const QString &dir, const QString &name, QSize size, const QByteArray &format)
{
    const QString path = dir + QLatin1Char('/') + name;
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QImageWriter writer(path, format);
    if (format == "tiff")
        writer.setCompression(1);
    return writer.write(image) ? path : QString();
}

// The header of a 24-bit BMP of the given size, with only a few bytes of its data.
QString writeBmpHeader(const QString &dir, const QString &name, QSize size)
{
    constexpr int kHeaders = 14 + 40;
    QByteArray bytes(kHeaders, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    qToLittleEndian<quint32>(kHeaders + 100, bytes.data() + 2);
    qToLittleEndian<quint32>(kHeaders, bytes.data() + 10);
    qToLittleEndian<quint32>(40, bytes.data() + 14);
    qToLittleEndian<qint32>(size.width(), bytes.data() + 18);
    qToLittleEndian<qint32>(size.height(), bytes.data() + 22);
    qToLittleEndian<quint16>(1, bytes.data() + 26);
    qToLittleEndian<quint16>(24, bytes.data() + 28);
    return writeBytes(dir, name, bytes + QByteArray(100, '\x7f'));
}

QString showing()
{
    return MediaFileStore::getInstance()->showingImage();
}

} // namespace

class TestImageWidget : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void init() { MediaFileStore::getInstance()->setShowingImage(QString()); }

    void sizeFitsThePicturesShape_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("area");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("no picture takes the area") << QSize() << QSize(333, 290) << QSize(333, 290);
        QTest::newRow("wide area") << QSize(400, 300) << QSize(800, 300) << QSize(400, 300);
        QTest::newRow("tall area") << QSize(400, 300) << QSize(200, 400) << QSize(200, 150);
        QTest::newRow("enlarged to fill") << QSize(40, 30) << QSize(800, 900) << QSize(800, 600);
    }

    void sizeFitsThePicturesShape()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, area);
        QFETCH(QSize, expected);
        ImageWidget widget;
        if (picture.isValid())
            QCOMPARE(widget.setImage(writeImage(m_dir.path(), QStringLiteral("shape.png"), picture)), 1);
        QCOMPARE(widget.sizeFor(area.width(), area.height()), expected);
    }

    // A picture larger than the screen is decoded at the screen's size, its shape kept; a small one as it is.
    void decodesAtMostTheScreensSize_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::newRow("larger than the screen") << QSize(6000, 2000);
        QTest::newRow("smaller than the screen") << QSize(120, 90);
    }

    void decodesAtMostTheScreensSize()
    {
        QFETCH(QSize, picture);
        const QString path = writeImage(m_dir.path(), QStringLiteral("large.jpg"), picture);
        QVERIFY(!path.isEmpty());
        ImageWidget widget;
        QSignalSpy decoded(&widget, &ImageWidget::imageDecoded);
        QCOMPARE(widget.setImage(path), 1);
        QCOMPARE(showing(), path);
        QVERIFY(widget.hasImage());
        QVERIFY(decoded.wait());
        const QSize screen = QGuiApplication::primaryScreen()->size();
        const QSize expected = picture.width() > screen.width() || picture.height() > screen.height()
                                   ? picture.scaled(screen, Qt::KeepAspectRatio)
                                   : picture;
        QCOMPARE(widget.decodedSize(), expected);
    }

    // What cannot be shown is refused at once with "Invalid format.", and the media store no longer counts it
    // as the image shown, so that the media library lets the user rename or delete it.
    void refusesWhatIsNoImage_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("text named .png") << QStringLiteral(".png") << QByteArray("no picture in here\n");
        QTest::newRow("empty file") << QStringLiteral("empty.jpg") << QByteArray();
        QTest::newRow("missing file") << QStringLiteral("missing.bmp") << QByteArray("-");
    }

    void refusesWhatIsNoImage()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QString path = writeBytes(m_dir.path(), name, bytes);
        QVERIFY(!path.isEmpty());
        if (bytes == "-")
            QVERIFY(QFile::remove(path));
        MessageBoxScript boxes;
        DialogWatchdog watchdog;
        ImageWidget widget;
        QCOMPARE(widget.setImage(path), -1);
        QCOMPARE(boxes.lastText(), QStringLiteral("Invalid format."));
        QCOMPARE(boxes.shown().size(), 1);
        QCOMPARE(boxes.shown().first().parent, nullptr);
        QVERIFY(showing().isEmpty());
        QVERIFY(!widget.hasImage());
        QCOMPARE(widget.sizeFor(300, 200), QSize(300, 200));
    }

    // A file whose header is sound but whose data breaks off is found out by the decode: the same message, an
    // empty widget and no record.
    void brokenDataIsReportedAfterTheDecode()
    {
        const QString path = writeBytes(m_dir.path(), QStringLiteral("cut.png"), TestMedia::cutPng(QSize(800, 600)));
        MessageBoxScript boxes;
        DialogWatchdog watchdog;
        ImageWidget widget;
        QSignalSpy failed(&widget, &ImageWidget::decodeFailed);
        QCOMPARE(widget.setImage(path), 1);
        QVERIFY(failed.wait());
        QCOMPARE(failed.first().first().toString(), path);
        QCOMPARE(boxes.lastText(), QStringLiteral("Invalid format."));
        QVERIFY(showing().isEmpty());
        QVERIFY(!widget.hasImage());
    }

    // A named pipe is no picture: refused at once, never opened (an open waits for a writer for good). Should
    // it be opened, a writer comes after a second, so that the test fails rather than hangs.
    void refusesANamedPipeAtOnce()
    {
        const QString path = m_dir.path() + QStringLiteral("/pipe.png");
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        std::thread rescue([path] {
            std::this_thread::sleep_for(std::chrono::milliseconds(1000));
            const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        });
        MessageBoxScript boxes;
        DialogWatchdog watchdog;
        ImageWidget widget;
        QElapsedTimer clock;
        clock.start();
        const int result = widget.setImage(path);
        const qint64 elapsed = clock.elapsed();
        rescue.join();
        QVERIFY2(elapsed < 1000, qPrintable(QStringLiteral("took %1 ms").arg(elapsed)));
        QCOMPARE(result, -1);
        QCOMPARE(boxes.lastText(), QStringLiteral("Invalid format."));
        QVERIFY(!widget.hasImage());
        QVERIFY(showing().isEmpty());
    }

    // Pictures whose readers decode at full size whatever size is asked: shown at the screen's size up to the
    // decode's memory limit; past it the user hears that the picture is too large, not that it is invalid.
    void largePicturesAreShownOrSaidTooLarge_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<bool>("shown");
        QTest::newRow("A4 page at 600 dpi, TIFF")
            << QStringLiteral("page.tif") << QSize(4960, 7016) << QByteArray("tiff") << true;
        QTest::newRow("6000x6000 BMP") << QStringLiteral("square.bmp") << QSize(6000, 6000) << QByteArray("bmp")
                                       << true;
        QTest::newRow("small TIFF") << QStringLiteral("small.tif") << QSize(640, 480) << QByteArray("tiff") << true;
        QTest::newRow("12000x12000 BMP") << QStringLiteral("huge.bmp") << QSize(12000, 12000) << QByteArray() << false;
    }

    void largePicturesAreShownOrSaidTooLarge()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        QFETCH(QByteArray, format);
        QFETCH(bool, shown);
        const QString path = format.isEmpty() ? writeBmpHeader(m_dir.path(), name, size)
                                              : writeBlank(m_dir.path(), name, size, format);
        QVERIFY(!path.isEmpty());
        const auto removeFile = qScopeGuard([&path] { QFile::remove(path); });
        // A full-size decode of 140 MB takes about a second; the limits only catch a hang on a loaded machine.
        constexpr int kDecodeDeadlineMs = 60000;
        MessageBoxScript boxes;
        DialogWatchdog watchdog(kDecodeDeadlineMs);
        ImageWidget widget;
        QSignalSpy decoded(&widget, &ImageWidget::imageDecoded);
        QSignalSpy failed(&widget, &ImageWidget::decodeFailed);
        QCOMPARE(widget.setImage(path), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!decoded.isEmpty() || !failed.isEmpty(), kDecodeDeadlineMs);
        if (shown) {
            QVERIFY2(boxes.shown().isEmpty(), qPrintable(boxes.lastText()));
            const QSize screen = QGuiApplication::primaryScreen()->size();
            QCOMPARE(widget.decodedSize(), size.width() > screen.width() || size.height() > screen.height()
                                               ? size.scaled(screen, Qt::KeepAspectRatio)
                                               : size);
            QCOMPARE(showing(), path);
        } else {
            QCOMPARE(boxes.shown().size(), 1);
            QCOMPARE(boxes.lastText(), QStringLiteral("The picture is too large to show."));
            QVERIFY(!widget.hasImage());
            QVERIFY(showing().isEmpty());
        }
    }

    // A decode that ends after the widget moved on never shows its picture.
    void aDecodeOvertakenIsDropped()
    {
        const QString first = writeImage(m_dir.path(), QStringLiteral("first.png"), QSize(3000, 1000));
        const QString second = writeImage(m_dir.path(), QStringLiteral("second.png"), QSize(90, 120));
        ImageWidget widget;
        QSignalSpy decoded(&widget, &ImageWidget::imageDecoded);
        QCOMPARE(widget.setImage(first), 1);
        QCOMPARE(widget.setImage(second), 1);
        QVERIFY(decoded.wait());
        QTest::qWait(100);
        QCOMPARE(decoded.size(), 1);
        QCOMPARE(widget.decodedSize(), QSize(90, 120));
        QCOMPARE(showing(), second);

        QCOMPARE(widget.setImage(first), 1);
        widget.clear();
        QTest::qWait(300);
        QCOMPARE(decoded.size(), 1);
        QVERIFY(!widget.hasImage());
        QVERIFY(widget.path().isEmpty());
        QVERIFY(showing().isEmpty());
    }

    void noMediaTextGrowsWithTheWidth_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("points");
        QTest::newRow("1280 wide") << 1280 << 80;
        QTest::newRow("640 wide") << 640 << 40;
        QTest::newRow("200 wide") << 200 << 12;
        QTest::newRow("too narrow for text") << 10 << 0;
    }

    void noMediaTextGrowsWithTheWidth()
    {
        QFETCH(int, width);
        QFETCH(int, points);
        QCOMPARE(ImageWidget::noMediaPointSize(width), points);
        // However narrow, the placeholder paints (a zero point size would be refused by QFont).
        ImageWidget widget;
        widget.resize(width, 100);
        QVERIFY(!widget.grab().isNull());
    }

    void paintsThePictureStretchedOrTheNoMediaPlaceholder()
    {
        ImageWidget widget;
        widget.resize(640, 360);
        const QImage empty = widget.grab().toImage();
        QCOMPARE(empty.pixelColor(2, 0), QColor(255, 255, 255));
        QVERIFY(qAbs(empty.pixelColor(2, 359).red() - 204) <= 1);
        // The text is drawn in the middle, in a grey darker than the gradient around it.
        bool textDrawn = false;
        for (int x = 200; x < 440 && !textDrawn; ++x)
            textDrawn = empty.pixelColor(x, 180).red() < 195;
        QVERIFY(textDrawn);
        QVERIFY(!Screenshot::save(&widget, QStringLiteral("no-media")).isEmpty());

        const QString path = writeImage(m_dir.path(), QStringLiteral("board.png"), QSize(400, 300));
        QSignalSpy decoded(&widget, &ImageWidget::imageDecoded);
        QCOMPARE(widget.setImage(path), 1);
        QVERIFY(decoded.wait());
        // Stretched over the whole widget, whatever its shape.
        widget.resize(200, 50);
        const QImage shown = widget.grab().toImage();
        QCOMPARE(shown.pixelColor(5, 45), QColor(Qt::red));
        QCOMPARE(shown.pixelColor(194, 4), QColor(Qt::blue));

        QCOMPARE(widget.setImage(writeWorksheet(m_dir.path())), 1);
        QVERIFY(decoded.wait());
        widget.resize(widget.sizeFor(640, 360));
        QVERIFY(!Screenshot::save(&widget, QStringLiteral("image")).isEmpty());
    }
};

QUILLO_TEST_MAIN(TestImageWidget)
#include "tst_ImageWidget.moc"
