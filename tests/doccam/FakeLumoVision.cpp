#include "FakeLumoVision.h"

#include <QTimer>

int FakeLumoVision::grabCurrentFrame(QImage *image)
{
    if (!connected)
        return -1000;
    *image = liveFrame;
    return 0;
}

int FakeLumoVision::requestHQImage()
{
    ++hqRequests;
    if (hqResult < 0)
        return hqResult;
    if (onHQRequest) {
        if (synchronous)
            onHQRequest(this);
        else
            QTimer::singleShot(0, this, [this] { onHQRequest(this); });
    }
    return hqResult;
}

std::function<void(FakeLumoVision *)> FakeLumoVision::deliver(const QImage &still)
{
    return [still](FakeLumoVision *camera) { Q_EMIT camera->hqImageCaptured(still); };
}

std::function<void(FakeLumoVision *)> FakeLumoVision::abort(int code)
{
    return [code](FakeLumoVision *camera) { Q_EMIT camera->hqImageCaptureAborted(code); };
}
