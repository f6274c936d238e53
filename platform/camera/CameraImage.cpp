#include "CameraImage.h"

CameraImage::CameraImage(const QImage &image)
    : m_image(image)
{
}

QImage CameraImage::getQImage() const
{
    return m_image;
}
