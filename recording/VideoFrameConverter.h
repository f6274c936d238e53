#pragma once

#include <QImage>

class QVideoFrame;
struct SwsContext;

// Turns decoded video frames into pictures at their own size for painting. The YUV layouts decoders
// deliver go through swscale's vectorised conversion straight into the picture; 32-bit RGB frames are
// copied; anything else takes the player library's own conversion. Used by one thread at a time.
class VideoFrameConverter
{
public:
    VideoFrameConverter();
    ~VideoFrameConverter();
    VideoFrameConverter(const VideoFrameConverter &) = delete;
    VideoFrameConverter &operator=(const VideoFrameConverter &) = delete;

    // Format_RGB32 (Format_ARGB32_Premultiplied for frames with transparency); null when the frame cannot
    // be read.
    QImage convert(const QVideoFrame &frame);

private:
    SwsContext *m_context = nullptr;
};
