#pragma once

#include "DocCamFormat.h"
#include "FrameSource.h"

#include <QByteArray>
#include <QList>

class V4l2Io;

// Streams one V4L2 device with memory-mapped buffers. The device is opened non-blocking; set-up, waiting
// for buffers and tear-down happen on the stream's worker thread. The newest filled buffer is held back for
// the next frame request; older ones go straight back to the driver. An open waits until an earlier stream
// of the same device has let it go, which it does on its own thread and may still be doing.
class V4l2FrameSource : public FrameSource
{
public:
    V4l2FrameSource(V4l2Io *io, const QByteArray &devicePath, const DocCamFormat &format);
    ~V4l2FrameSource() override;

    int open() override;
    void close() override;
    int waitForFrame(int timeoutMs) override;
    void wake() override;
    QImage takeFrame() override;

private:
    struct Buffer
    {
        void *start = nullptr;
        size_t length = 0;
    };

    int setUp();
    void tearDown();
    int fail(int error);
    void requeue(quint32 index);
    int drainBuffers();
    // After a poll error: the device's node gone means unplugged; otherwise the stream is set up again once.
    int recoverFromPollError();

    V4l2Io *m_io;
    QByteArray m_path;
    DocCamFormat m_format;
    int m_fd = -1;
    int m_wakeFd = -1;
    QList<Buffer> m_buffers;
    int m_bytesPerLine = 0;
    quint32 m_pixelFormat = 0;
    int m_width = 0;
    int m_height = 0;
    int m_held = -1;
    quint32 m_heldBytes = 0;
    bool m_streaming = false;
    // This source holds the device: another stream of the same path waits in open() until it is closed.
    bool m_claimed = false;
    // A restart after a poll error was tried and no frame has come since.
    bool m_restarted = false;
};
