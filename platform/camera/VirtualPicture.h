#pragma once

#include <QImage>
#include <QString>

// The built-in camera's picture: a printed page on a desk, with a ruler and a grid, and a clock, a frame
// counter and a moving pointer drawn over it, so that motion, dropped frames and freezes are visible.
class VirtualPicture
{
public:
    VirtualPicture(const QSize &size, const QString &cameraName);

    QImage render(qint64 frameNumber, int framesPerSecond) const;

private:
    QImage drawPage() const;

    QSize m_size;
    QString m_cameraName;
    QImage m_page;
};
