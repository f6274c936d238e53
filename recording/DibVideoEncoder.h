#pragma once

#include "FrameScaler.h"
#include "VideoEncoder.h"

#include <memory>

// Uncompressed frames: 24-bit BGR rows stored bottom-up, each padded to 4 bytes (a plain BI_RGB DIB).
class DibVideoEncoder : public VideoEncoder
{
public:
    static std::unique_ptr<DibVideoEncoder> create(int width, int height);

    void describe(AVCodecParameters *parameters) const override;
    void addMuxerOptions(AVDictionary **options) const override;
    bool encode(const QImage &picture, bool forceKey, AVPacket *packet) override;
    bool warmUp(const QImage &sample) override;

    // Bytes of one stored row: three per pixel, rounded up to a multiple of 4.
    static int rowBytes(int width);

private:
    DibVideoEncoder(int width, int height);

    int m_width;
    int m_height;
    FrameScaler m_scaler;
};
