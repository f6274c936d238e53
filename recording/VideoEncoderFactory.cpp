#include "VideoEncoderFactory.h"

#include "DibVideoEncoder.h"
#include "XvidVideoEncoder.h"

std::unique_ptr<VideoEncoder> VideoEncoderFactory::create(const QByteArray &fourcc, int width, int height)
{
    if (fourcc == "XVID")
        return XvidVideoEncoder::create(width, height);
    if (fourcc == "DIB ")
        return DibVideoEncoder::create(width, height);
    return nullptr;
}

VideoEncoderFactory *VideoEncoderFactory::standard()
{
    static VideoEncoderFactory factory;
    return &factory;
}
