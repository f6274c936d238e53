#pragma once

class QImage;

// Receives the full-quality stills a camera was asked for (LumoDocCam::requestHQImage), on the GUI thread.
class QImageHQImageGrabber
{
public:
    virtual ~QImageHQImageGrabber() = default;
    virtual void hqImageFetched(int code, const QImage &image) = 0;
};
