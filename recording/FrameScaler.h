#pragma once

#include <QSize>

struct AVFrame;
struct SwsContext;
class QImage;

// Scales a screen picture (32-bit, as the grabber delivers it) to a frame size and pixel format in one
// pass. The context is kept while the picture size stays the same.
class FrameScaler
{
public:
    FrameScaler(int width, int height, int pixelFormat, int threads);
    ~FrameScaler();
    FrameScaler(const FrameScaler &) = delete;
    FrameScaler &operator=(const FrameScaler &) = delete;

    // Into a frame allocated by the caller in the target format and size (sliced over the threads).
    bool scale(const QImage &picture, AVFrame *target);
    // Into planes given directly; a negative line size writes the rows bottom-up.
    bool scale(const QImage &picture, uint8_t *const planes[], const int lineSizes[]);

private:
    bool prepare(const QImage &picture);

    int m_width;
    int m_height;
    int m_pixelFormat;
    int m_threads;
    QSize m_sourceSize;
    int m_sourceFormat = -1;
    SwsContext *m_context = nullptr;
};
