#include "MinaroHQImageGrabber.h"

#include "LumoVisionImpl.h"

#include <QImage>

MinaroHQImageGrabber::MinaroHQImageGrabber(LumoVisionImpl *service)
    : m_service(service)
{
}

void MinaroHQImageGrabber::hqImageFetched(int, const QImage &image)
{
    // The service's copy shares the camera's pixels: a full-quality still is too large to duplicate on the
    // GUI thread, and a QImage detaches by itself before anyone writes to it.
    const QImage copy = image;
    m_service->hqImageArrived(copy);
}
