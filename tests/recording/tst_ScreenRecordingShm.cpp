#include "AVIRecordingThread.h"
#include "AviProbe.h"
#include "SettingImpl.h"
#include "TestEnvironment.h"
#include "X11ScreenGrabber.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMutex>
#include <QPainter>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <optional>

#include <sys/resource.h>

// A recording of a moving screen on an X server of the test's own, where the pointer may be moved: the
// frames follow the screen, and the cursor is drawn where the server said it was when each was grabbed.
// The same test runs on a server without the shared-memory extension, where the plain way takes over.

namespace {

// A cursor no picture on the screen contains: a solid square, hot spot at its top left.
constexpr int kCursorSize = 16;
const QColor kCursorColor(255, 0, 255);

// The top half shows a bar that moves at every repaint; the pointer travels in the bottom half.
class MovingScreen : public QWidget
{
public:
    MovingScreen()
    {
        QPixmap shape(kCursorSize, kCursorSize);
        shape.fill(kCursorColor);
        setCursor(QCursor(shape, 0, 0));
        connect(&m_timer, &QTimer::timeout, this, [this] {
            ++m_step;
            update();
        });
        m_timer.start(15);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(20, 60, 40));
        painter.fillRect((m_step * 13) % qMax(1, width() - 60), 20, 60, height() / 2 - 40, Qt::white);
    }

private:
    QTimer m_timer;
    int m_step = 0;
};

// The real grabber, noting for every picture it hands out how it was read and where the cursor went.
class NotingGrabber : public ScreenGrabber
{
public:
    bool isAvailable(QString *reason) override { return m_grabber.isAvailable(reason); }
    bool selectScreen() override { return m_grabber.selectScreen(); }
    QSize screenSize() override { return m_grabber.screenSize(); }
    QString lostReason() override { return m_grabber.lostReason(); }
    void prepare() override { m_grabber.prepare(); }
    QImage grab() override
    {
        QImage picture = m_grabber.grab();
        if (!picture.isNull()) {
            QMutexLocker locker(&m_mutex);
            m_cursors.append(m_grabber.lastCursorPosition());
            m_shared.append(m_grabber.lastGrabShared());
        }
        return picture;
    }

    QList<std::optional<QPoint>> cursors() const
    {
        QMutexLocker locker(&m_mutex);
        return m_cursors;
    }
    QList<bool> shared() const
    {
        QMutexLocker locker(&m_mutex);
        return m_shared;
    }

private:
    X11ScreenGrabber m_grabber;
    mutable QMutex m_mutex;
    QList<std::optional<QPoint>> m_cursors;
    QList<bool> m_shared;
};

bool isCursorColor(const QColor &color)
{
    // XviD at quantiser 4 moves colours a little, most of all in the halved colour planes.
    return color.red() > 190 && color.green() < 80 && color.blue() > 190;
}

// The mean colour of a square of pixels of an RGB24 frame.
QColor meanColor(const QImage &frame, const QPoint &topLeft, int size)
{
    int red = 0;
    int green = 0;
    int blue = 0;
    for (int y = topLeft.y(); y < topLeft.y() + size; ++y)
        for (int x = topLeft.x(); x < topLeft.x() + size; ++x) {
            const QColor pixel = frame.pixelColor(x, y);
            red += pixel.red();
            green += pixel.green();
            blue += pixel.blue();
        }
    const int count = size * size;
    return QColor(red / count, green / count, blue / count);
}

// Whether a good part of the area changed between two frames, beyond what coding noise does.
bool differsClearly(const QImage &a, const QImage &b, const QRect &area)
{
    int changed = 0;
    for (int y = area.top(); y <= area.bottom(); y += 2)
        for (int x = area.left(); x <= area.right(); x += 2)
            if (qAbs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y))) > 64)
                ++changed;
    return changed > 100;
}

} // namespace

class TestScreenRecordingShm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void recordsMovingScreenWithCursor();
    void aPreparedGrabberMapsNoMemoryOnItsFirstGrab();
};

void TestScreenRecordingShm::recordsMovingScreenWithCursor()
{
    const bool expectShared = !qgetenv("QUILLO_TEST_XVFB_ARGS").contains("MIT-SHM");
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    MovingScreen moving;
    moving.setGeometry(screen);
    moving.show();
    QVERIFY(QTest::qWaitForWindowExposed(&moving));

    // The pointer walks a loop in the bottom half, far enough from the edges for the whole cursor to show.
    QTimer walk;
    int step = 0;
    const int left = 40;
    const int top = screen.height() / 2 + 30;
    const int spanX = screen.width() - 2 * left - kCursorSize;
    const int spanY = screen.height() / 2 - 60 - kCursorSize;
    connect(&walk, &QTimer::timeout, this, [&] {
        ++step;
        QCursor::setPos(left + (step * 23) % spanX, top + (step * 17) % spanY);
    });
    QCursor::setPos(left, top);
    walk.start(25);

    QTemporaryDir dir;
    SettingIntf *settings = SettingImpl::getInstance();
    settings->setSavePath(dir.path() + "/");
    settings->release();
    auto grabber = std::make_shared<NotingGrabber>();
    AVIRecordingThread thread;
    thread.setBackends({nullptr, grabber, nullptr, nullptr});
    QVERIFY(thread.startRecording(0, 0, 0, -2));
    QTest::qWait(2000);
    QVERIFY(thread.stopRecording());
    walk.stop();

    const QString file = thread.recordedFiles().value(0);
    const AviProbe probe(file);
    QVERIFY(probe.readable());
    const QJsonObject video = probe.stream("video");
    QCOMPARE(QSize(video.value("width").toInt(), video.value("height").toInt()), screen.size());
    const QList<QImage> frames = probe.videoFrames();
    const QList<std::optional<QPoint>> cursors = grabber->cursors();
    // Every picture grabbed was written as one frame, in order.
    QCOMPARE(frames.size(), cursors.size());
    QVERIFY2(frames.size() >= 10, qPrintable(QString::number(frames.size())));
    for (const bool shared : grabber->shared())
        QCOMPARE(shared, expectShared);

    int changed = 0;
    int moves = 0;
    for (qsizetype i = 0; i < frames.size(); ++i) {
        const QImage &frame = frames.at(i);
        QCOMPARE(frame.size(), screen.size());
        QVERIFY2(cursors.at(i).has_value(), qPrintable(QStringLiteral("frame %1").arg(i)));
        const QPoint at = *cursors.at(i);
        if (i > 0 && cursors.at(i - 1) != at)
            ++moves;
        // Inside the square, away from its edges where the halved colour planes blend it with the desktop.
        const QColor inside = meanColor(frame, at + QPoint(5, 5), 6);
        QVERIFY2(isCursorColor(inside), qPrintable(QStringLiteral("frame %1: cursor at %2,%3 shows %4")
                                                       .arg(i)
                                                       .arg(at.x())
                                                       .arg(at.y())
                                                       .arg(inside.name())));
        // Beside it the desktop shows: the square is where the server said, not merely somewhere.
        for (const QPoint &beside : {at + QPoint(kCursorSize + 8, 5), at + QPoint(5, kCursorSize + 8),
                                     at + QPoint(-14, 5), at + QPoint(5, -14)})
            QVERIFY2(!isCursorColor(meanColor(frame, beside, 6)), qPrintable(QStringLiteral("frame %1").arg(i)));
        if (i > 0 && differsClearly(frame, frames.at(i - 1), QRect(0, 0, frame.width(), frame.height() / 2)))
            ++changed;
    }
    // The screen moves at every repaint; a loaded machine may now and then repaint slower than the slots.
    QVERIFY2(changed >= (frames.size() - 1) / 2,
             qPrintable(QStringLiteral("%1 of %2").arg(changed).arg(frames.size())));
    QVERIFY2(moves >= 5, qPrintable(QString::number(moves)));
}

namespace {

// Pages this process mapped so far (minor faults: memory it touched for the first time).
long mappedPages()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// Pages mapped by a grab and the reading of its pixels, as the scaler reads them; -1 when the grab failed.
long pagesMappedByAGrab(X11ScreenGrabber *grabber)
{
    const long before = mappedPages();
    const QImage picture = grabber->grab();
    if (picture.isNull())
        return -1;
    volatile uchar last = 0;
    for (int y = 0; y < picture.height(); ++y) {
        const uchar *line = picture.constScanLine(y);
        for (qsizetype x = 0; x < picture.bytesPerLine(); x += 64)
            last = line[x];
    }
    Q_UNUSED(last)
    return mappedPages() - before;
}

} // namespace

void TestScreenRecordingShm::aPreparedGrabberMapsNoMemoryOnItsFirstGrab()
{
    if (qgetenv("QUILLO_TEST_XVFB_ARGS").contains("MIT-SHM"))
        QSKIP("The plain grab has no memory of its own to prepare.");
    const QSize screen = X11ScreenGrabber::deviceGeometry(QGuiApplication::primaryScreen()).size();
    const long screenPages = long(screen.width()) * screen.height() * 4 / 4096;
    // A new grabber's first picture maps its screen's worth of shared memory page by page as it is read...
    X11ScreenGrabber fresh;
    const long unprepared = pagesMappedByAGrab(&fresh);
    QVERIFY(unprepared >= 0);
    QVERIFY2(fresh.lastGrabShared(), "not through shared memory");
    QVERIFY2(unprepared > screenPages / 2, qPrintable(QString::number(unprepared)));
    // ...which the preparation before a recording's time starts has done already.
    X11ScreenGrabber prepared;
    prepared.prepare();
    const long afterPreparing = pagesMappedByAGrab(&prepared);
    QVERIFY(afterPreparing >= 0);
    QVERIFY2(prepared.lastGrabShared(), "not through shared memory");
    QVERIFY2(afterPreparing < screenPages / 10,
             qPrintable(QStringLiteral("%1 of %2 pages").arg(afterPreparing).arg(screenPages)));
}

QUILLO_TEST_MAIN_PRIVATE_X11(TestScreenRecordingShm)
#include "tst_ScreenRecordingShm.moc"
