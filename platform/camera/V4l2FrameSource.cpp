#include "V4l2FrameSource.h"

#include "CameraCodes.h"
#include "V4l2Io.h"
#include "V4l2Support.h"

#include <QDeadlineTimer>
#include <QMutex>
#include <QSet>
#include <QWaitCondition>

#include <cerrno>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// Four buffers let the driver fill two while one is held for decoding and one is on its way back: fewer
// drop frames at 30 fps, more only add memory and latency.
constexpr quint32 kBufferCount = 4;
// How long an open waits for an earlier stream of the same device to finish its tear-down. Stopping a
// stream takes milliseconds; a driver slower than this has stalled, and the open goes ahead and finds the
// device busy rather than holding up the selection.
constexpr int kTearDownWaitMs = 2000;

// Device paths held by a source, from its open to the end of its close.
QMutex claimsMutex;
QWaitCondition claimReleased;
QSet<QByteArray> claimedPaths;

} // namespace

V4l2FrameSource::V4l2FrameSource(V4l2Io *io, const QByteArray &devicePath, const DocCamFormat &format)
    : m_io(io)
    , m_path(devicePath)
    , m_format(format)
    // Made here and kept until the end, so that wake() from another thread never meets a closed descriptor.
    , m_wakeFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
}

V4l2FrameSource::~V4l2FrameSource()
{
    close();
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

int V4l2FrameSource::fail(int error)
{
    const int code = V4l2Support::codeForErrno(error);
    tearDown();
    return code;
}

int V4l2FrameSource::open()
{
    if (m_wakeFd < 0)
        return V4l2Support::codeForErrno(errno);
    {
        QDeadlineTimer deadline(kTearDownWaitMs);
        QMutexLocker locker(&claimsMutex);
        while (claimedPaths.contains(m_path)) {
            if (!claimReleased.wait(&claimsMutex, deadline))
                break;
        }
        claimedPaths.insert(m_path);
        m_claimed = true;
    }
    return setUp();
}

int V4l2FrameSource::setUp()
{
    m_fd = m_io->open(m_path, O_RDWR | O_NONBLOCK);
    if (m_fd < 0)
        return V4l2Support::codeForErrno(errno);
    v4l2_format format = {};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    format.fmt.pix.width = quint32(m_format.width);
    format.fmt.pix.height = quint32(m_format.height);
    format.fmt.pix.pixelformat = quint32(m_format.pixelFormat);
    format.fmt.pix.field = V4L2_FIELD_NONE;
    if (m_io->ioctl(m_fd, VIDIOC_S_FMT, &format) != 0)
        return fail(errno);
    m_pixelFormat = format.fmt.pix.pixelformat;
    m_width = int(format.fmt.pix.width);
    m_height = int(format.fmt.pix.height);
    m_bytesPerLine = int(format.fmt.pix.bytesperline);
    if (m_format.framesPerSecond > 0) {
        v4l2_streamparm parameters = {};
        parameters.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        parameters.parm.capture.timeperframe = {1, quint32(m_format.framesPerSecond)};
        // A device that keeps its own rate still streams; the rate is a wish.
        m_io->ioctl(m_fd, VIDIOC_S_PARM, &parameters);
    }
    v4l2_requestbuffers request = {};
    request.count = kBufferCount;
    request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    request.memory = V4L2_MEMORY_MMAP;
    if (m_io->ioctl(m_fd, VIDIOC_REQBUFS, &request) != 0 || request.count == 0)
        return fail(request.count == 0 ? ENOMEM : errno);
    for (quint32 i = 0; i < request.count; ++i) {
        v4l2_buffer buffer = {};
        buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buffer.memory = V4L2_MEMORY_MMAP;
        buffer.index = i;
        if (m_io->ioctl(m_fd, VIDIOC_QUERYBUF, &buffer) != 0)
            return fail(errno);
        void *start = m_io->mmap(buffer.length, m_fd, buffer.m.offset);
        if (start == MAP_FAILED)
            return fail(errno);
        m_buffers.append({start, buffer.length});
        if (m_io->ioctl(m_fd, VIDIOC_QBUF, &buffer) != 0)
            return fail(errno);
    }
    v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (m_io->ioctl(m_fd, VIDIOC_STREAMON, &type) != 0)
        return fail(errno);
    m_streaming = true;
    return CameraCodes::Success;
}

void V4l2FrameSource::close()
{
    tearDown();
    if (!m_claimed)
        return;
    m_claimed = false;
    QMutexLocker locker(&claimsMutex);
    claimedPaths.remove(m_path);
    claimReleased.wakeAll();
}

void V4l2FrameSource::tearDown()
{
    if (m_fd >= 0 && m_streaming) {
        v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        m_io->ioctl(m_fd, VIDIOC_STREAMOFF, &type);
    }
    m_streaming = false;
    for (const Buffer &buffer : std::as_const(m_buffers))
        m_io->munmap(buffer.start, buffer.length);
    m_buffers.clear();
    m_held = -1;
    if (m_fd >= 0)
        m_io->close(m_fd);
    m_fd = -1;
}

void V4l2FrameSource::requeue(quint32 index)
{
    v4l2_buffer buffer = {};
    buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    buffer.memory = V4L2_MEMORY_MMAP;
    buffer.index = index;
    m_io->ioctl(m_fd, VIDIOC_QBUF, &buffer);
}

int V4l2FrameSource::drainBuffers()
{
    int got = 0;
    for (;;) {
        v4l2_buffer buffer = {};
        buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buffer.memory = V4L2_MEMORY_MMAP;
        if (m_io->ioctl(m_fd, VIDIOC_DQBUF, &buffer) != 0) {
            if (errno == EAGAIN)
                return got;
            return V4l2Support::codeForErrno(errno) == CameraCodes::DeviceGone ? CameraCodes::DeviceGone
                                                                               : CameraCodes::DeviceError;
        }
        if (buffer.index >= quint32(m_buffers.size()))
            continue;
        // A buffer the driver marks as damaged, or an empty one, is not worth decoding.
        if ((buffer.flags & V4L2_BUF_FLAG_ERROR) || buffer.bytesused == 0) {
            requeue(buffer.index);
            continue;
        }
        if (m_held >= 0)
            requeue(quint32(m_held));
        m_held = int(buffer.index);
        m_heldBytes = buffer.bytesused;
        got = 1;
    }
}

int V4l2FrameSource::waitForFrame(int timeoutMs)
{
    pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
    const int ready = m_io->poll(fds, 2, timeoutMs);
    if (ready < 0 && errno == EINTR)
        return 0;
    if (ready >= 0 && (fds[1].revents & POLLIN)) {
        quint64 count;
        [[maybe_unused]] const ssize_t r = ::read(m_wakeFd, &count, sizeof count);
    }
    if (ready < 0 || (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)))
        return recoverFromPollError();
    if (fds[0].revents & POLLIN) {
        const int drained = drainBuffers();
        if (drained > 0)
            m_restarted = false;
        return drained;
    }
    return 0;
}

int V4l2FrameSource::recoverFromPollError()
{
    if (!m_io->exists(m_path))
        return CameraCodes::DeviceGone;
    // A camera still attached whose stream failed (a USB hiccup, a driver reset) usually streams again once
    // set up anew; one that fails again before giving a frame is reported, not retried for ever.
    if (m_restarted)
        return CameraCodes::DeviceError;
    m_restarted = true;
    tearDown();
    const int result = setUp();
    if (result < 0)
        return result == CameraCodes::DeviceGone ? result : CameraCodes::DeviceError;
    return 0;
}

void V4l2FrameSource::wake()
{
    if (m_wakeFd >= 0) {
        const quint64 one = 1;
        [[maybe_unused]] const ssize_t r = ::write(m_wakeFd, &one, sizeof one);
    }
}

QImage V4l2FrameSource::takeFrame()
{
    if (m_held < 0)
        return {};
    const auto *data = static_cast<const uchar *>(m_buffers[m_held].start);
    const qsizetype length = qMin<qsizetype>(m_heldBytes, qsizetype(m_buffers[m_held].length));
    QImage image;
    if (m_pixelFormat == V4L2_PIX_FMT_YUYV) {
        image = V4l2Support::yuyvToRgb32(data, length, m_width, m_height, m_bytesPerLine);
    } else {
        // Decoded straight from the mapped buffer; a corrupt frame gives a null image and is skipped.
        image.loadFromData(data, int(length), "JPEG");
        if (!image.isNull() && image.format() != QImage::Format_RGB32)
            image = image.convertToFormat(QImage::Format_RGB32);
    }
    requeue(quint32(m_held));
    m_held = -1;
    return image;
}
