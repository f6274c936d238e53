#include "FrameGrabCallback.h"
#include "FramePacer.h"
#include "TestEnvironment.h"
#include "VideoWidget.h"

#include <QPainter>

namespace {

// A frame whose left half is red and right half blue, top row green: shows orientation and stretching.
QVideoFrame makeFrame(const QSize &size)
{
    QVideoFrame frame(QVideoFrameFormat(size, QVideoFrameFormat::Format_BGRX8888));
    frame.map(QVideoFrame::WriteOnly);
    QImage view(frame.bits(0), size.width(), size.height(), frame.bytesPerLine(0), QImage::Format_RGB32);
    view.fill(Qt::blue);
    QPainter painter(&view);
    painter.fillRect(0, 0, size.width() / 2, size.height(), Qt::red);
    painter.fillRect(0, 0, size.width(), size.height() / 10, Qt::green);
    painter.end();
    frame.unmap();
    return frame;
}

// The same picture as decoders deliver it: YUV with halved colour planes (studio range, standard-definition
// matrix), in the layouts the converter takes.
QVideoFrame makeYuvFrame(const QSize &size, QVideoFrameFormat::PixelFormat layout)
{
    struct Yuv
    {
        uchar y, u, v;
    };
    const Yuv red{81, 90, 240};
    const Yuv blue{41, 240, 110};
    const Yuv green{145, 54, 34};
    auto colorAt = [&](int x, int y) {
        if (y < size.height() / 10)
            return green;
        return x < size.width() / 2 ? red : blue;
    };
    QVideoFrame frame(QVideoFrameFormat(size, layout));
    frame.map(QVideoFrame::WriteOnly);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            frame.bits(0)[y * frame.bytesPerLine(0) + x] = colorAt(x, y).y;
    for (int y = 0; y < size.height() / 2; ++y)
        for (int x = 0; x < size.width() / 2; ++x) {
            const Yuv c = colorAt(2 * x, 2 * y);
            if (layout == QVideoFrameFormat::Format_NV12) {
                frame.bits(1)[y * frame.bytesPerLine(1) + 2 * x] = c.u;
                frame.bits(1)[y * frame.bytesPerLine(1) + 2 * x + 1] = c.v;
            } else {
                const int u = layout == QVideoFrameFormat::Format_YV12 ? 2 : 1;
                frame.bits(u)[y * frame.bytesPerLine(u) + x] = c.u;
                frame.bits(3 - u)[y * frame.bytesPerLine(3 - u) + x] = c.v;
            }
        }
    frame.unmap();
    return frame;
}

bool near(const QColor &a, const QColor &b)
{
    return qAbs(a.red() - b.red()) <= 12 && qAbs(a.green() - b.green()) <= 12 && qAbs(a.blue() - b.blue()) <= 12;
}

} // namespace

class TestVideoWidget : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Times in ms at which frames arrive, and which of them a cap lets through.
    void pacing_data()
    {
        QTest::addColumn<int>("cap");
        QTest::addColumn<int>("period");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("accepted");
        // 25 fps under the default cap of 20 shows 20 frames a second, not 12.5.
        QTest::newRow("25 fps, cap 20") << 20 << 40 << 25 << 20;
        QTest::newRow("30 fps, cap 20") << 20 << 33 << 31 << 20;
        QTest::newRow("15 fps, cap 20") << 20 << 66 << 15 << 15;
        QTest::newRow("cap 0 takes all") << 0 << 10 << 100 << 100;
        QTest::newRow("60 fps, cap 10") << 10 << 16 << 63 << 10;
    }
    void pacing()
    {
        QFETCH(int, cap);
        QFETCH(int, period);
        QFETCH(int, count);
        QFETCH(int, accepted);
        FramePacer pacer;
        pacer.setCap(cap);
        int shown = 0;
        for (int i = 0; i < count; ++i)
            shown += pacer.accept(1000 + qint64(i) * period) ? 1 : 0;
        QCOMPARE(shown, accepted);
    }

    void pacingRestartsAfterGap()
    {
        FramePacer pacer;
        pacer.setCap(20);
        QVERIFY(pacer.accept(0));
        QVERIFY(!pacer.accept(40));
        // After a pause the next frame shows at once, and the ones right behind it do not burst through.
        QVERIFY(pacer.accept(5000));
        QVERIFY(!pacer.accept(5040));
        QVERIFY(pacer.accept(5080));
    }

    // The cap drops frames before any conversion happens.
    void capAppliesBeforeConversion()
    {
        FrameGrabCallback callback;
        qint64 now = 0;
        callback.setClock([&now] { return now; });
        callback.setFpsHint(20);
        int ready = 0;
        connect(
            &callback, &FrameGrabCallback::frameReady, this, [&ready] { ++ready; }, Qt::DirectConnection);
        const QVideoFrame frame = makeFrame(QSize(64, 48));
        for (now = 0; now < 1000; now += 40) {
            callback.presentFrame(frame);
            callback.waitForConversions();
        }
        // One second of a 25 fps file: only the 20 frames the cap lets through are ever converted.
        QCOMPARE(callback.conversions(), 20);
        QCOMPARE(ready, 20);
        QVERIFY(callback.hasFrame());
    }

    // Decoded layouts become upright opaque pictures of the right colours.
    void convertsDecodedLayouts_data()
    {
        QTest::addColumn<int>("layout");
        QTest::newRow("YUV420P") << int(QVideoFrameFormat::Format_YUV420P);
        QTest::newRow("YV12") << int(QVideoFrameFormat::Format_YV12);
        QTest::newRow("NV12") << int(QVideoFrameFormat::Format_NV12);
    }
    void convertsDecodedLayouts()
    {
        QFETCH(int, layout);
        FrameGrabCallback callback;
        callback.setFpsHint(0);
        callback.presentFrame(makeYuvFrame(QSize(64, 48), QVideoFrameFormat::PixelFormat(layout)));
        callback.waitForConversions();
        const QImage frame = callback.frame();
        QCOMPARE(frame.size(), QSize(64, 48));
        QCOMPARE(frame.format(), QImage::Format_RGB32);
        QVERIFY2(near(frame.pixelColor(5, 1), Qt::green), qPrintable(frame.pixelColor(5, 1).name()));
        QVERIFY2(near(frame.pixelColor(10, 30), Qt::red), qPrintable(frame.pixelColor(10, 30).name()));
        QVERIFY2(near(frame.pixelColor(50, 30), Qt::blue), qPrintable(frame.pixelColor(50, 30).name()));
        // RGB32 pixels carry an opaque fourth byte, which the painter may rely on.
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x)
                QCOMPARE(reinterpret_cast<const quint32 *>(frame.constScanLine(y))[x] >> 24, 0xffu);
    }

    void clearedFrameIsNotBroughtBack()
    {
        FrameGrabCallback callback;
        callback.setFpsHint(0);
        callback.presentFrame(makeFrame(QSize(64, 48)));
        callback.clearFrame();
        callback.waitForConversions();
        QVERIFY(!callback.hasFrame());
    }

    void paintsHeldFrameUprightAndStretched()
    {
        VideoWidget widget;
        widget.resize(320, 100);
        widget.grabCallback()->setFpsHint(0);
        QImage black = widget.grab().toImage();
        QCOMPARE(black.pixelColor(160, 50), QColor(Qt::black));

        widget.grabCallback()->presentFrame(makeFrame(QSize(640, 480)));
        widget.grabCallback()->waitForConversions();
        QVERIFY(widget.grabCallback()->hasFrame());
        const QImage shown = widget.grab().toImage();
        QCOMPARE(shown.size(), QSize(320, 100));
        QCOMPARE(shown.pixelColor(5, 2), QColor(Qt::green));   // top row stays on top
        QCOMPARE(shown.pixelColor(80, 60), QColor(Qt::red));   // left half
        QCOMPARE(shown.pixelColor(240, 60), QColor(Qt::blue)); // right half
        QCOMPARE(shown.pixelColor(315, 95), QColor(Qt::blue)); // stretched to the corner

        widget.clearFrame();
        QCOMPARE(widget.grab().toImage().pixelColor(80, 60), QColor(Qt::black));
    }

    void convertedFrameRepaintsWidget()
    {
        VideoWidget widget;
        widget.resize(64, 48);
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        widget.grabCallback()->setFpsHint(0);
        widget.grabCallback()->presentFrame(makeFrame(QSize(64, 48)));
        // The repaint arrives through the event loop; the rendered backing store then holds the frame.
        QTRY_COMPARE(widget.grab().toImage().pixelColor(10, 30), QColor(Qt::red));
    }

    void storedSizeFollowsResize()
    {
        VideoWidget widget;
        widget.setVideoSize(640, 480);
        QCOMPARE(widget.videoSize(), QSize(640, 480));
        widget.resize(800, 450);
        widget.show();
        QTRY_COMPARE(widget.videoSize(), QSize(800, 450));
    }
};

QUILLO_TEST_MAIN(TestVideoWidget)
#include "tst_VideoWidget.moc"
