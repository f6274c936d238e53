#pragma once

#include "QImageHQImageGrabber.h"

class LumoVisionImpl;

// Hands the full-quality stills of the open document camera to the camera service.
class MinaroHQImageGrabber : public QImageHQImageGrabber
{
public:
    explicit MinaroHQImageGrabber(LumoVisionImpl *service);

    void hqImageFetched(int code, const QImage &image) override;

private:
    LumoVisionImpl *m_service;
};
