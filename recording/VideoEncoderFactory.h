#pragma once

#include <QByteArray>

#include <memory>

class VideoEncoder;

// Makes the video encoder for a four-character code: "XVID" (MPEG-4 part 2 through the XviD library) or
// "DIB " (uncompressed bottom-up BGR24). Tests derive from it to make a codec look missing.
class VideoEncoderFactory
{
public:
    virtual ~VideoEncoderFactory() = default;

    // Null when the codec is not available here or cannot encode frames of that size.
    virtual std::unique_ptr<VideoEncoder> create(const QByteArray &fourcc, int width, int height);

    // The program's own factory.
    static VideoEncoderFactory *standard();
};
