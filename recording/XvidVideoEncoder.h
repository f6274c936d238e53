#pragma once

#include "FrameScaler.h"
#include "VideoEncoder.h"

#include <memory>

struct AVCodecContext;
struct AVFrame;

// MPEG-4 part 2 through the XviD library, stored under the four-character code "XVID": one output frame
// per picture (no B-frames), a fixed quantiser, key frames where the caller forces them.
class XvidVideoEncoder : public VideoEncoder
{
public:
    // Null when the XviD encoder is missing or refuses the size.
    static std::unique_ptr<XvidVideoEncoder> create(int width, int height);
    ~XvidVideoEncoder() override;

    void describe(AVCodecParameters *parameters) const override;
    bool encode(const QImage &picture, bool forceKey, AVPacket *packet) override;
    bool warmUp(const QImage &sample) override;
    // The two steps of encode, apart so that their costs can be told apart: scaling and converting the
    // picture into the encoder's frame, then coding that frame.
    bool convert(const QImage &picture);
    bool encodeConverted(bool forceKey, AVPacket *packet);

    // The quantiser every frame is coded with.
    static int quantiser();

private:
    XvidVideoEncoder(int width, int height);

    AVCodecContext *m_context = nullptr;
    AVFrame *m_frame = nullptr;
    FrameScaler m_scaler;
};
