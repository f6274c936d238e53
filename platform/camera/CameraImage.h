#pragma once

#include <QImage>

// One live frame. Copies share the picture, so handing frames on costs no pixel copy.
class CameraImage
{
public:
    CameraImage() = default;
    explicit CameraImage(const QImage &image);
    CameraImage(const CameraImage &other) = default;
    CameraImage &operator=(const CameraImage &other) = default;

    QImage getQImage() const;

private:
    QImage m_image;
};
