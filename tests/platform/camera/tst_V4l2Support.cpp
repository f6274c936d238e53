#include "CameraCodes.h"
#include "CameraRecorder.h"
#include "CameraRoles.h"
#include "DocCamStream.h"
#include "FrameAdjust.h"
#include "LumoDocCam.h"
#include "StreamWorker.h"
#include "TestEnvironment.h"
#include "V4l2Controls.h"
#include "V4l2DocCam.h"
#include "V4l2FrameSource.h"
#include "V4l2Io.h"
#include "V4l2Support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cerrno>
#include <linux/videodev2.h>

namespace {

// A scripted device: controls with ranges, values it keeps (rounded to its steps), and ioctls that fail
// with a chosen errno.
class FakeIo : public V4l2Io
{
public:
    struct Control
    {
        int minimum, maximum, step, value;
    };
    QMap<quint32, Control> controls;
    QMap<quint32, QList<int>> menuEntries;
    QMap<unsigned long, int> failures;
    QList<quint32> writes;

    int open(const QByteArray &, int) override { return 7; }
    int close(int) override { return 0; }
    void *mmap(size_t, int, off_t) override { return nullptr; }
    int munmap(void *, size_t) override { return 0; }
    int poll(pollfd *, nfds_t, int) override { return 0; }
    bool exists(const QByteArray &) override { return true; }
    int ioctl(int, unsigned long request, void *argument) override
    {
        if (failures.contains(request)) {
            errno = failures[request];
            return -1;
        }
        switch (request) {
        case VIDIOC_QUERYCTRL: {
            auto *q = static_cast<v4l2_queryctrl *>(argument);
            if (!controls.contains(q->id))
                return fail(EINVAL);
            q->minimum = controls[q->id].minimum;
            q->maximum = controls[q->id].maximum;
            q->step = controls[q->id].step;
            return 0;
        }
        case VIDIOC_QUERYMENU: {
            auto *m = static_cast<v4l2_querymenu *>(argument);
            return menuEntries.value(m->id).contains(int(m->index)) ? 0 : fail(EINVAL);
        }
        case VIDIOC_S_FMT:
        case VIDIOC_S_PARM:
            return 0;
        case VIDIOC_S_CTRL: {
            auto *c = static_cast<v4l2_control *>(argument);
            Control &control = controls[c->id];
            writes.append(c->id);
            control.value = c->value - (c->value - control.minimum) % qMax(1, control.step);
            return 0;
        }
        case VIDIOC_G_CTRL: {
            auto *c = static_cast<v4l2_control *>(argument);
            c->value = controls.value(c->id).value;
            return 0;
        }
        default:
            return fail(ENOTTY);
        }
    }

protected:
    static int fail(int error)
    {
        errno = error;
        return -1;
    }
};

// A scripted streaming device: YUYV frames of 4 x 2 pixels in four mapped buffers, one every poll. Like a
// real driver it lets one descriptor at a time hold the format and buffers (others get EBUSY). Polls can be
// made to fail, the node to vanish and one request to stall. Called from the stream's worker thread.
class StreamingIo : public FakeIo
{
public:
    static constexpr int kFrameBytes = 4 * 2 * 2;

    StreamingIo()
    {
        for (int i = 0; i < 4; ++i)
            buffers.append(QByteArray(kFrameBytes, char(128)));
    }

    std::atomic<bool> nodePresent{true};
    std::atomic<int> pollErrors{0};
    std::atomic<unsigned long> stallRequest{0};
    std::atomic<int> stallMs{0};
    std::atomic<int> streamOns{0};
    // Device calls made on the GUI thread.
    std::atomic<int> guiThreadCalls{0};

    int open(const QByteArray &, int) override
    {
        noteThread();
        QMutexLocker locker(&m_mutex);
        return ++m_nextFd;
    }
    int close(int fd) override
    {
        noteThread();
        QMutexLocker locker(&m_mutex);
        if (m_owner == fd) {
            m_owner = -1;
            m_streaming = false;
        }
        return 0;
    }
    void *mmap(size_t, int, off_t offset) override { return buffers[int(offset / kFrameBytes)].data(); }
    int munmap(void *, size_t) override
    {
        noteThread();
        return 0;
    }
    int poll(pollfd *fds, nfds_t count, int timeoutMs) override
    {
        // A frame every 10 ms, unless a wake comes first.
        ::poll(fds + 1, count - 1, qMin(timeoutMs, 10));
        fds[0].revents = 0;
        if (pollErrors > 0) {
            --pollErrors;
            fds[0].revents = POLLERR;
            return 1;
        }
        QMutexLocker locker(&m_mutex);
        if (m_streaming) {
            m_frameReady = true;
            fds[0].revents = POLLIN;
        }
        return 1;
    }
    bool exists(const QByteArray &) override { return nodePresent; }
    int ioctl(int fd, unsigned long request, void *argument) override
    {
        noteThread();
        if (request == stallRequest)
            QThread::msleep(ulong(stallMs.load()));
        QMutexLocker locker(&m_mutex);
        switch (request) {
        case VIDIOC_S_FMT: {
            if (m_owner >= 0 && m_owner != fd)
                return fail(EBUSY);
            auto *format = static_cast<v4l2_format *>(argument);
            format->fmt.pix.width = 4;
            format->fmt.pix.height = 2;
            format->fmt.pix.pixelformat = V4L2_PIX_FMT_YUYV;
            format->fmt.pix.bytesperline = 8;
            return 0;
        }
        case VIDIOC_REQBUFS: {
            if (m_owner >= 0 && m_owner != fd)
                return fail(EBUSY);
            auto *bufferRequest = static_cast<v4l2_requestbuffers *>(argument);
            bufferRequest->count = quint32(buffers.size());
            m_owner = fd;
            return 0;
        }
        case VIDIOC_QUERYBUF: {
            auto *buffer = static_cast<v4l2_buffer *>(argument);
            buffer->length = kFrameBytes;
            buffer->m.offset = buffer->index * kFrameBytes;
            return 0;
        }
        case VIDIOC_QBUF:
            m_queued.append(static_cast<v4l2_buffer *>(argument)->index);
            return 0;
        case VIDIOC_DQBUF: {
            if (!m_frameReady || m_queued.isEmpty())
                return fail(EAGAIN);
            m_frameReady = false;
            auto *buffer = static_cast<v4l2_buffer *>(argument);
            buffer->index = m_queued.takeFirst();
            buffer->bytesused = kFrameBytes;
            buffer->flags = 0;
            return 0;
        }
        case VIDIOC_STREAMON:
            ++streamOns;
            m_streaming = true;
            return 0;
        case VIDIOC_STREAMOFF:
            m_streaming = false;
            m_queued.clear();
            return 0;
        default:
            locker.unlock();
            return FakeIo::ioctl(fd, request, argument);
        }
    }

    QList<QByteArray> buffers;

private:
    void noteThread()
    {
        if (QThread::currentThread() == QCoreApplication::instance()->thread())
            ++guiThreadCalls;
    }

    QMutex m_mutex;
    int m_nextFd = 10;
    int m_owner = -1;
    bool m_streaming = false;
    bool m_frameReady = false;
    QList<quint32> m_queued;
};

CameraIdentity scriptedIdentity()
{
    CameraIdentity identity;
    identity.name = QStringLiteral("Scripted");
    identity.format = DocCamFormat{int(V4L2_PIX_FMT_YUYV), 4, 2, 30};
    identity.external = true;
    return identity;
}

// A V4L2 camera on the scripted device, with a recorder for its streams' callbacks. Gives the camera back
// once the streams' threads have let the device go.
struct ScriptedCamera
{
    ScriptedCamera()
        : camera(new V4l2DocCam(&io, "/dev/video0", io.open("/dev/video0", 0), scriptedIdentity()))
    {
    }
    ~ScriptedCamera()
    {
        StreamWorker::waitForRetired(10000);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        camera->release();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    DocCamStream *openStream()
    {
        DocCamStream *stream = nullptr;
        camera->openDocCamStream(0, camera->format(), &recorder, &stream, nullptr);
        return stream;
    }

    StreamingIo io;
    V4l2DocCam *camera;
    CameraRecorder recorder;
};

QByteArray yuyv(std::initializer_list<int> bytes)
{
    QByteArray data;
    for (int b : bytes)
        data.append(char(b));
    return data;
}

} // namespace

class TestV4l2Support : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void errorCodes_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("code");
        QTest::newRow("busy") << EBUSY << CameraCodes::DeviceBusy;
        QTest::newRow("unplugged") << ENODEV << CameraCodes::DeviceGone;
        QTest::newRow("node gone") << ENOENT << CameraCodes::DeviceGone;
        QTest::newRow("bad value") << EINVAL << CameraCodes::InvalidArgument;
        QTest::newRow("no such ioctl") << ENOTTY << CameraCodes::NotSupported;
        QTest::newRow("anything else") << EIO << CameraCodes::DeviceError;
    }
    void errorCodes()
    {
        QFETCH(int, error);
        QFETCH(int, code);
        QCOMPARE(V4l2Support::codeForErrno(error), code);
        QVERIFY(code < 0);
    }

    void formatChoice_data()
    {
        using Offer = V4l2Support::FormatOffer;
        QTest::addColumn<QList<Offer>>("offers");
        QTest::addColumn<int>("format");
        QTest::addColumn<QSize>("size");
        const quint32 mjpeg = V4L2_PIX_FMT_MJPEG;
        const quint32 yuyv = V4L2_PIX_FMT_YUYV;
        QTest::newRow("mjpeg at 1080p over slow yuyv")
            << QList<Offer>{{yuyv, 1920, 1080, 5}, {mjpeg, 1920, 1080, 30}, {yuyv, 640, 480, 30}} << int(mjpeg)
            << QSize(1920, 1080);
        QTest::newRow("yuyv below HD at the same size")
            << QList<Offer>{{mjpeg, 640, 480, 30}, {yuyv, 640, 480, 30}} << int(yuyv) << QSize(640, 480);
        QTest::newRow("4K left for 1080p")
            << QList<Offer>{{mjpeg, 3840, 2160, 30}, {mjpeg, 1920, 1080, 30}} << int(mjpeg) << QSize(1920, 1080);
        QTest::newRow("smooth smaller over jerky larger")
            << QList<Offer>{{yuyv, 1280, 720, 10}, {yuyv, 640, 480, 30}} << int(yuyv) << QSize(640, 480);
        QTest::newRow("only 4K still usable")
            << QList<Offer>{{mjpeg, 3840, 2160, 30}} << int(mjpeg) << QSize(3840, 2160);
        QTest::newRow("unknown coding only") << QList<Offer>{{V4L2_PIX_FMT_H264, 1920, 1080, 30}} << 0 << QSize(0, 0);
        QTest::newRow("absurd zero size") << QList<Offer>{{mjpeg, 0, 0, 30}} << 0 << QSize(0, 0);
    }
    void formatChoice()
    {
        QFETCH(QList<V4l2Support::FormatOffer>, offers);
        QFETCH(int, format);
        QFETCH(QSize, size);
        const DocCamFormat chosen = V4l2Support::chooseFormat(offers);
        QCOMPARE(chosen.pixelFormat, format);
        QCOMPARE(QSize(chosen.width, chosen.height), size);
    }

    void controlScaling_data()
    {
        QTest::addColumn<double>("level");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("device");
        QTest::newRow("bottom") << 0.0 << -64 << 64 << 1 << -64;
        QTest::newRow("middle") << 50.0 << -64 << 64 << 1 << 0;
        QTest::newRow("top") << 100.0 << -64 << 64 << 1 << 64;
        QTest::newRow("on the step grid") << 33.0 << 0 << 255 << 10 << 80;
        QTest::newRow("beyond range clamps") << 150.0 << 0 << 255 << 1 << 255;
        QTest::newRow("empty range") << 40.0 << 5 << 5 << 1 << 5;
    }
    void controlScaling()
    {
        QFETCH(double, level);
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(int, step);
        QFETCH(int, device);
        const V4l2Support::ControlRange range{minimum, maximum, step};
        QCOMPARE(V4l2Support::toDevice(level, 0, 100, range), device);
        if (maximum > minimum && step == 1 && level <= 100)
            QCOMPARE(qRound(V4l2Support::fromDevice(device, 0, 100, range)), qRound(level));
    }

    void yuyvConversion()
    {
        // White, black, then a saturated red pair (Y 81, U 90, V 240 in video levels).
        const QByteArray data = yuyv({235, 128, 16, 128, 81, 90, 81, 240});
        const QImage image = V4l2Support::yuyvToRgb32(reinterpret_cast<const uchar *>(data.constData()), data.size(), 4,
                                                      1, 8);
        QCOMPARE(image.size(), QSize(4, 1));
        QCOMPARE(image.pixel(0, 0), qRgb(255, 255, 255));
        QCOMPARE(image.pixel(1, 0), qRgb(0, 0, 0));
        const QColor red = image.pixelColor(2, 0);
        QVERIFY2(red.red() > 240 && red.green() < 10 && red.blue() < 10, qPrintable(red.name()));

        QVERIFY(V4l2Support::yuyvToRgb32(reinterpret_cast<const uchar *>(data.constData()), data.size() - 1, 4, 1, 8)
                    .isNull());
        QVERIFY(
            V4l2Support::yuyvToRgb32(reinterpret_cast<const uchar *>(data.constData()), data.size(), 3, 1, 8).isNull());
        QVERIFY(V4l2Support::yuyvToRgb32(nullptr, 0, 0, 0, 0).isNull());
    }

    void usbInfoFromSysfs_data()
    {
        QTest::addColumn<QString>("removable");
        QTest::addColumn<bool>("external");
        QTest::newRow("built in") << "fixed" << false;
        QTest::newRow("plugged in") << "removable" << true;
        QTest::newRow("unknown port") << "unknown" << true;
    }
    void usbInfoFromSysfs()
    {
        QFETCH(QString, removable);
        QFETCH(bool, external);
        QTemporaryDir sys;
        const QString usbDevice = sys.path() + "/devices/pci0000:00/0000:00:14.0/usb1/1-2.3";
        const QString interface = usbDevice + "/1-2.3:1.0";
        QVERIFY(QDir().mkpath(interface + "/video4linux/video2"));
        QVERIFY(QDir().mkpath(sys.path() + "/class/video4linux/video2"));
        QVERIFY(QFile::link(interface, sys.path() + "/class/video4linux/video2/device"));
        const auto write = [](const QString &path, const QByteArray &text) {
            QFile file(path);
            return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
        };
        QVERIFY(write(usbDevice + "/idVendor", "046d\n"));
        QVERIFY(write(usbDevice + "/idProduct", "0825\n"));
        QVERIFY(write(usbDevice + "/removable", removable.toUtf8() + "\n"));

        const V4l2Support::UsbInfo info = V4l2Support::readUsbInfo(sys.path(), QStringLiteral("video2"));
        QCOMPARE(info.vendorId, 0x046du);
        QCOMPARE(info.productId, 0x0825u);
        QCOMPARE(info.external, external);
        QCOMPARE(info.port, QStringLiteral("1-2.3"));

        const V4l2Support::UsbInfo missing = V4l2Support::readUsbInfo(sys.path(), QStringLiteral("video9"));
        QCOMPARE(missing.vendorId, 0u);
    }

    void roles_data()
    {
        using C = CameraRoles::Candidate;
        QTest::addColumn<QList<C>>("cameras");
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<QList<bool>>("docCam");
        const C builtIn{0x5986, 0x1, false, false};
        const C usbA{0x046d, 0x0825, true, false};
        const C usbB{0x1234, 0x5678, true, false};
        const C virtualCam{0x1d6b, 0x0102, true, true};
        QTest::newRow("external before built in")
            << QList<C>{builtIn, usbA, usbB} << QStringList() << QList<bool>{false, true, false};
        QTest::newRow("built in when alone") << QList<C>{builtIn} << QStringList() << QList<bool>{true};
        QTest::newRow("listed ids only") << QList<C>{usbA, usbB, builtIn} << QStringList{"1234:5678", "junk"}
                                         << QList<bool>{false, true, false};
        QTest::newRow("listed id not attached") << QList<C>{usbA} << QStringList{"1234:5678"} << QList<bool>{false};
        QTest::newRow("virtual plus real rules")
            << QList<C>{virtualCam, builtIn, usbA} << QStringList() << QList<bool>{true, false, true};
        // A virtual web cam is a web cam whatever is listed, and takes no real camera's place.
        const C virtualWebCam{0x1d6b, 0x0103, false, true, true};
        QTest::newRow("virtual web cam beside the virtual camera")
            << QList<C>{virtualCam, virtualWebCam} << QStringList() << QList<bool>{true, false};
        QTest::newRow("virtual web cam beside a built-in camera")
            << QList<C>{virtualWebCam, builtIn} << QStringList() << QList<bool>{false, true};
        QTest::newRow("virtual web cam listed")
            << QList<C>{virtualWebCam, usbA} << QStringList{"1d6b:0103"} << QList<bool>{false, false};
        QTest::newRow("none") << QList<C>{} << QStringList() << QList<bool>{};
    }
    void roles()
    {
        QFETCH(QList<CameraRoles::Candidate>, cameras);
        QFETCH(QStringList, ids);
        QFETCH(QList<bool>, docCam);
        QCOMPARE(CameraRoles::assign(cameras, CameraRoles::parseIds(ids)), docCam);
    }

    void controlsThroughTheDevice()
    {
        FakeIo io;
        io.controls.insert(V4L2_CID_BRIGHTNESS, {0, 255, 1, 128});
        io.controls.insert(V4L2_CID_CONTRAST, {0, 100, 10, 50});
        io.controls.insert(V4L2_CID_EXPOSURE_AUTO, {0, 3, 1, 3});
        io.controls.insert(V4L2_CID_COLORFX, {0, 15, 1, 0});
        io.menuEntries.insert(V4L2_CID_COLORFX, {V4L2_COLORFX_NONE, V4L2_COLORFX_BW});
        io.menuEntries.insert(V4L2_CID_EXPOSURE_AUTO, {V4L2_EXPOSURE_MANUAL, V4L2_EXPOSURE_APERTURE_PRIORITY});
        V4l2Controls controls(&io, 7);

        QVERIFY(controls.has(CameraParameter::Brightness));
        QVERIFY(!controls.has(CameraParameter::ZoomRatio));
        QVERIFY(!controls.has(CameraParameter::Mirror));
        double actual = -1;
        QCOMPARE(controls.set(CameraParameter::Brightness, 100, &actual), 0);
        QCOMPARE(io.controls[V4L2_CID_BRIGHTNESS].value, 255);
        QCOMPARE(actual, 100.0);
        // The device keeps its own steps; what it took is what comes back.
        QCOMPARE(controls.set(CameraParameter::Contrast, 57, &actual), 0);
        QCOMPARE(io.controls[V4L2_CID_CONTRAST].value, 60);
        QCOMPARE(actual, 60.0);
        QCOMPARE(controls.set(CameraParameter::AutoExposure, 1, &actual), 0);
        QCOMPARE(io.controls[V4L2_CID_EXPOSURE_AUTO].value, int(V4L2_EXPOSURE_APERTURE_PRIORITY));
        QCOMPARE(controls.set(CameraParameter::ColorEffect, CameraParameters::ColorEffectBlackWhite, &actual), 0);
        QCOMPARE(io.controls[V4L2_CID_COLORFX].value, int(V4L2_COLORFX_BW));
        QCOMPARE(actual, double(CameraParameters::ColorEffectBlackWhite));

        const CameraCapabilities caps = controls.capabilities(CameraCapabilities());
        QCOMPARE(caps.colorEffects, uint(CameraParameters::ColorEffectNone | CameraParameters::ColorEffectBlackWhite));
        QVERIFY(caps.canSetExposureMode);
        QVERIFY(!caps.canAdjustExposure);
        QCOMPARE(caps.controlCapabilities & CameraCapabilities::ControlAutoFocus, 0u);
        QCOMPARE(controls.focus(LumoDocCam::FocusAction::Auto), CameraCodes::NotSupported);

        io.failures.insert(VIDIOC_S_CTRL, EIO);
        const int before = io.controls[V4L2_CID_BRIGHTNESS].value;
        QCOMPARE(controls.set(CameraParameter::Brightness, 0, &actual), CameraCodes::DeviceError);
        QCOMPARE(io.controls[V4L2_CID_BRIGHTNESS].value, before);
    }

    void busyDeviceOnOpen_data()
    {
        QTest::addColumn<qulonglong>("request");
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("code");
        QTest::newRow("format taken") << qulonglong(VIDIOC_S_FMT) << EBUSY << CameraCodes::DeviceBusy;
        QTest::newRow("buffers taken") << qulonglong(VIDIOC_REQBUFS) << EBUSY << CameraCodes::DeviceBusy;
        QTest::newRow("unplugged while opening") << qulonglong(VIDIOC_S_FMT) << ENODEV << CameraCodes::DeviceGone;
    }
    void busyDeviceOnOpen()
    {
        QFETCH(qulonglong, request);
        QFETCH(int, error);
        QFETCH(int, code);
        FakeIo io;
        io.failures.insert((unsigned long)request, error);
        V4l2FrameSource source(&io, "/dev/video0", DocCamFormat{int(V4L2_PIX_FMT_MJPEG), 1280, 720, 30});
        QCOMPARE(source.open(), code);
    }

    // Set-up and tear-down run on the stream's thread; a set-up that stalls fails within the deadline, so
    // that the selection can go on, and the device is let go once the driver answers.
    void aStalledSetUpFailsWithinTheDeadline()
    {
        ScriptedCamera scripted;
        scripted.io.guiThreadCalls = 0;
        scripted.io.stallRequest = VIDIOC_STREAMON;
        scripted.io.stallMs = 5000;
        DocCamStream *stream = scripted.openStream();
        QVERIFY(stream);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(stream->start(), CameraCodes::DeviceError);
        QVERIFY2(clock.elapsed() < 4500, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!scripted.camera->streamingStream());
        stream->release();
        QCOMPARE(scripted.io.guiThreadCalls.load(), 0);
        QVERIFY(StreamWorker::waitForRetired(10000));
    }

    // Releasing a stream does not wait for its tear-down, and a new stream of the same device waits for it
    // instead of finding the device busy (a reopen after sleep or a hand-over).
    void aReopenWaitsForThePendingTearDown()
    {
        ScriptedCamera scripted;
        StreamingIo &io = scripted.io;
        CameraRecorder &recorder = scripted.recorder;
        DocCamStream *first = scripted.openStream();
        QVERIFY(first);
        QCOMPARE(first->start(), 0);
        first->requestNextFrame();
        QTRY_COMPARE(recorder.frames.size(), 1);

        io.guiThreadCalls = 0;
        io.stallRequest = VIDIOC_STREAMOFF;
        io.stallMs = 300;
        QElapsedTimer clock;
        clock.start();
        first->release();
        QVERIFY(clock.elapsed() < 200);
        DocCamStream *second = scripted.openStream();
        QVERIFY(second);
        QCOMPARE(second->start(), 0);
        io.stallRequest = 0;
        QCOMPARE(io.guiThreadCalls.load(), 0);
        second->requestNextFrame();
        QTRY_COMPARE(recorder.frames.size(), 2);
        second->release();
        QVERIFY(StreamWorker::waitForRetired(5000));
    }

    // A failed poll on a camera still attached restarts the stream once; only a vanished node is an unplug.
    void aPollErrorRestartsTheStreamOnce_data()
    {
        QTest::addColumn<bool>("nodePresent");
        QTest::addColumn<int>("errors");
        QTest::addColumn<QString>("end");
        QTest::newRow("still attached") << true << 1 << QString();
        QTest::newRow("node gone") << false << 1 << QString::number(uint(CameraCodes::DeviceGone), 16);
        QTest::newRow("fails again before a frame") << true << 2 << QString::number(uint(CameraCodes::DeviceError), 16);
    }
    void aPollErrorRestartsTheStreamOnce()
    {
        QFETCH(bool, nodePresent);
        QFETCH(int, errors);
        QFETCH(QString, end);
        ScriptedCamera scripted;
        StreamingIo &io = scripted.io;
        CameraRecorder &recorder = scripted.recorder;
        DocCamStream *stream = scripted.openStream();
        QVERIFY(stream);
        QCOMPARE(stream->start(), 0);
        stream->requestNextFrame();
        QTRY_COMPARE(recorder.frames.size(), 1);

        io.nodePresent = nodePresent;
        io.pollErrors = errors;
        if (end.isEmpty()) {
            QTRY_COMPARE(io.streamOns.load(), 2);
            stream->requestNextFrame();
            QTRY_COMPARE(recorder.frames.size(), 2);
            QCOMPARE(recorder.count(QStringLiteral("stopped")), 0);
            QVERIFY(stream->isStreaming());
        } else {
            QTRY_COMPARE(recorder.count(QStringLiteral("stopped")), 1);
            QVERIFY(recorder.events.contains(QStringLiteral("stopped ") + end));
            QVERIFY(!scripted.camera->streamingStream());
        }
        stream->release();
        QVERIFY(StreamWorker::waitForRetired(5000));
    }

    void softwareAdjustments()
    {
        QImage frame(40, 20, QImage::Format_RGB32);
        frame.fill(qRgb(200, 100, 50));
        frame.setPixel(0, 0, qRgb(255, 0, 0));

        const FrameAdjust neutral;
        QCOMPARE(neutral.apply(frame).cacheKey(), frame.cacheKey());

        FrameAdjust zoomed;
        zoomed.zoomRatio = 2.0;
        QCOMPARE(zoomed.apply(frame).size(), QSize(20, 10));

        FrameAdjust turned;
        turned.rotation = 90;
        const QImage t = turned.apply(frame);
        QCOMPARE(t.size(), QSize(20, 40));
        QCOMPARE(t.pixel(19, 0), qRgb(255, 0, 0));

        FrameAdjust mirrored;
        mirrored.mirror = true;
        QCOMPARE(mirrored.apply(frame).pixel(39, 0), qRgb(255, 0, 0));

        FrameAdjust gray;
        gray.colorEffect = CameraParameters::ColorEffectBlackWhite;
        const QColor g = gray.apply(frame).pixelColor(5, 5);
        QVERIFY(g.red() == g.green() && g.green() == g.blue());

        FrameAdjust negative;
        negative.colorEffect = CameraParameters::ColorEffectNegative;
        QCOMPARE(negative.apply(frame).pixel(5, 5), qRgb(55, 155, 205));
        QCOMPARE(frame.pixel(5, 5), qRgb(200, 100, 50));

        FrameAdjust brighter;
        brighter.brightness = 100;
        QVERIFY(qRed(brighter.apply(frame).pixel(5, 5)) > 200);
    }
};

QUILLO_TEST_MAIN(TestV4l2Support)
#include "tst_V4l2Support.moc"
