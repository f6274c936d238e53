#pragma once

#include <QtGlobal>

struct AVCodecParameters;
struct AVDictionary;
struct AVPacket;
class QImage;

// Turns screen pictures into the video packets of one AVI stream. A picture of any size is scaled to the
// encoder's frame size. Used from the frame thread only.
class VideoEncoder
{
public:
    virtual ~VideoEncoder() = default;

    // Fills the stream's codec parameters (codec, four-character code, frame size, bit rate).
    virtual void describe(AVCodecParameters *parameters) const = 0;
    // Adds what the AVI muxer must know about this codec to the header options.
    virtual void addMuxerOptions(AVDictionary **options) const { Q_UNUSED(options) }
    // Encodes one picture into packet (timestamps are left to the caller). A key frame is made when
    // forceKey is set; the packet's key flag tells which frames are key frames. False on failure.
    virtual bool encode(const QImage &picture, bool forceKey, AVPacket *packet) = 0;
    // Pays what only the first frames cost (buffers made and first touched, the scaler's set-up) on a
    // throw-away picture of the screen's size and format, so that the first real frame costs what later
    // ones do. Nothing of it reaches a file, and the first frame after it is still a key frame when the
    // caller forces one. False when the encoder already fails on it.
    virtual bool warmUp(const QImage &sample)
    {
        Q_UNUSED(sample)
        return true;
    }
};
