#include "FrameScaler.h"
#include "TestEnvironment.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

#include <memory>

namespace {

struct FrameDeleter
{
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;

FramePtr yuvFrame(QSize size)
{
    FramePtr frame(av_frame_alloc());
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = size.width();
    frame->height = size.height();
    if (av_frame_get_buffer(frame.get(), 0) < 0)
        return nullptr;
    return frame;
}

// A desktop-like picture: a gradient, sharp-edged blocks and text, so that a shifted row, a swapped
// channel or a wrong stride shows as a large difference.
QImage desktop(QSize size, QImage::Format format)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, size.width(), size.height());
    gradient.setColorAt(0, QColor(20, 40, 160));
    gradient.setColorAt(1, QColor(230, 200, 30));
    painter.fillRect(image.rect(), gradient);
    for (int i = 0; i < 12; ++i)
        painter.fillRect(QRect(i * size.width() / 13, (i * 37) % size.height(), size.width() / 20, size.height() / 9),
                         QColor::fromHsv(i * 30, 255, 255));
    painter.setPen(Qt::white);
    painter.setFont(QFont(QStringLiteral("Sans"), 18));
    painter.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("Slide 12: cells and tissues"));
    painter.end();
    return image.convertToFormat(format);
}

AVPixelFormat avFormatOf(QImage::Format format)
{
    switch (format) {
    case QImage::Format_RGB32:
        return AV_PIX_FMT_BGR0;
    case QImage::Format_RGBX8888:
        return AV_PIX_FMT_RGB0;
    case QImage::Format_BGR888:
        return AV_PIX_FMT_BGR24;
    default:
        return AV_PIX_FMT_NONE;
    }
}

// How a frame was converted before: one single-threaded scaler with the same filter, the source frame
// handed over without a buffer of its own.
FramePtr referenceConversion(const QImage &picture, QSize size)
{
    const AVPixelFormat source = avFormatOf(picture.format());
    SwsContext *context = sws_getContext(picture.width(), picture.height(), source, size.width(), size.height(),
                                         AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!context)
        return nullptr;
    FramePtr input(av_frame_alloc());
    input->format = source;
    input->width = picture.width();
    input->height = picture.height();
    input->data[0] = const_cast<uint8_t *>(picture.constBits());
    input->linesize[0] = int(picture.bytesPerLine());
    FramePtr output = yuvFrame(size);
    const int result = sws_scale_frame(context, output.get(), input.get());
    sws_freeContext(context);
    return result >= 0 ? std::move(output) : nullptr;
}

// The largest difference of any sample of the three planes.
int largestDifference(const AVFrame *a, const AVFrame *b)
{
    int largest = 0;
    for (int plane = 0; plane < 3; ++plane) {
        const int width = plane == 0 ? a->width : (a->width + 1) / 2;
        const int height = plane == 0 ? a->height : (a->height + 1) / 2;
        for (int y = 0; y < height; ++y) {
            const uint8_t *rowA = a->data[plane] + qsizetype(y) * a->linesize[plane];
            const uint8_t *rowB = b->data[plane] + qsizetype(y) * b->linesize[plane];
            for (int x = 0; x < width; ++x)
                largest = qMax(largest, qAbs(int(rowA[x]) - int(rowB[x])));
        }
    }
    return largest;
}

int sampleAt(const AVFrame *frame, int plane, int x, int y)
{
    return frame->data[plane][qsizetype(y) * frame->linesize[plane] + x];
}

} // namespace

class TestFrameScaler : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void frameMatchesSingleThreadedConversion_data();
    void frameMatchesSingleThreadedConversion();
    void plainColoursGiveStudioRangeSamples_data();
    void plainColoursGiveStudioRangeSamples();
    void pictureIsLetGoAfterEachFrame();
};

void TestFrameScaler::frameMatchesSingleThreadedConversion_data()
{
    QTest::addColumn<QSize>("source");
    QTest::addColumn<QImage::Format>("format");
    QTest::addColumn<QSize>("target");
    QTest::addColumn<int>("threads");
    QTest::newRow("full HD to 1024x576") << QSize(1920, 1080) << QImage::Format_RGB32 << QSize(1024, 576) << 1;
    QTest::newRow("full HD to 1024x576 in slices")
        << QSize(1920, 1080) << QImage::Format_RGB32 << QSize(1024, 576) << 4;
    QTest::newRow("full HD unscaled") << QSize(1920, 1080) << QImage::Format_RGB32 << QSize(1920, 1080) << 1;
    QTest::newRow("padded rows") << QSize(642, 479) << QImage::Format_BGR888 << QSize(320, 240) << 1;
    QTest::newRow("red first in memory") << QSize(800, 600) << QImage::Format_RGBX8888 << QSize(640, 360) << 1;
}

void TestFrameScaler::frameMatchesSingleThreadedConversion()
{
    QFETCH(QSize, source);
    QFETCH(QImage::Format, format);
    QFETCH(QSize, target);
    QFETCH(int, threads);
    const QImage picture = desktop(source, format);
    FramePtr expected = referenceConversion(picture, target);
    QVERIFY(expected);
    FrameScaler scaler(target.width(), target.height(), AV_PIX_FMT_YUV420P, threads);
    FramePtr frame = yuvFrame(target);
    // Twice: the second frame goes through the context kept from the first.
    for (int round = 0; round < 2; ++round) {
        QVERIFY(scaler.scale(picture, frame.get()));
        // The slices are filtered as the whole frame is; one step of rounding is the scaler's own leeway.
        QVERIFY2(largestDifference(frame.get(), expected.get()) <= 1,
                 qPrintable(QStringLiteral("round %1: largest difference %2")
                                .arg(round)
                                .arg(largestDifference(frame.get(), expected.get()))));
    }
}

void TestFrameScaler::plainColoursGiveStudioRangeSamples_data()
{
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("u");
    QTest::addColumn<int>("v");
    // BT.601, studio range.
    QTest::newRow("white") << QColor(Qt::white) << 235 << 128 << 128;
    QTest::newRow("black") << QColor(Qt::black) << 16 << 128 << 128;
    QTest::newRow("red") << QColor(255, 0, 0) << 81 << 90 << 240;
    QTest::newRow("blue") << QColor(0, 0, 255) << 41 << 240 << 110;
}

void TestFrameScaler::plainColoursGiveStudioRangeSamples()
{
    QFETCH(QColor, colour);
    QFETCH(int, y);
    QFETCH(int, u);
    QFETCH(int, v);
    QImage picture(1920, 1080, QImage::Format_RGB32);
    picture.fill(colour);
    FrameScaler scaler(1024, 576, AV_PIX_FMT_YUV420P, 1);
    FramePtr frame = yuvFrame(QSize(1024, 576));
    QVERIFY(scaler.scale(picture, frame.get()));
    for (const QPoint &at : {QPoint(0, 0), QPoint(511, 287), QPoint(1023, 575)}) {
        QVERIFY(qAbs(sampleAt(frame.get(), 0, at.x(), at.y()) - y) <= 1);
        QVERIFY(qAbs(sampleAt(frame.get(), 1, at.x() / 2, at.y() / 2) - u) <= 1);
        QVERIFY(qAbs(sampleAt(frame.get(), 2, at.x() / 2, at.y() / 2) - v) <= 1);
    }
}

void TestFrameScaler::pictureIsLetGoAfterEachFrame()
{
    // The grabber's pictures live in a few shared-memory segments, reused once nobody holds them: a
    // conversion that kept its picture would push every later grab onto the slow path.
    const QImage pattern = desktop(QSize(1280, 720), QImage::Format_RGB32);
    int released = 0;
    FrameScaler scaler(640, 360, AV_PIX_FMT_YUV420P, 1);
    FramePtr frame = yuvFrame(QSize(640, 360));
    FramePtr expected = referenceConversion(pattern, QSize(640, 360));
    for (int round = 1; round <= 3; ++round) {
        {
            const QImage picture(
                const_cast<uchar *>(pattern.constBits()), pattern.width(), pattern.height(), pattern.bytesPerLine(),
                pattern.format(), [](void *count) { ++*static_cast<int *>(count); }, &released);
            QVERIFY(scaler.scale(picture, frame.get()));
        }
        QCOMPARE(released, round);
        QVERIFY(largestDifference(frame.get(), expected.get()) <= 1);
    }
}

QUILLO_TEST_MAIN(TestFrameScaler)
#include "tst_FrameScaler.moc"
