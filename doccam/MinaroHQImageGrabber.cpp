#include "MinaroHQImageGrabber.h"

#include "LumoVisionImpl.h"

#include <QImage>

MinaroHQImageGrabber::MinaroHQImageGrabber(LumoVisionImpl *service)
    : m_service(service)
{
}

void MinaroHQImageGrabber::hqImageFetched(int, const QImage &image)
{
    // The service keeps the still beyond this call; the camera may reuse its buffer.
    const QImage copy = image.copy();
    m_service->hqImageArrived(copy);
}
