#include "DocCamServiceRig.h"

#include "VirtualCameraHub.h"
#include "VirtualDocCam.h"

#include <QCoreApplication>
#include <QEvent>
#include <QtTest>

namespace {

void flushDeferredDeletes()
{
    // Streams, cameras and the device manager go from the event loop.
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

} // namespace

DocCamServiceRig::DocCamServiceRig()
{
    LumoVisionImpl::Timings timings;
    timings.hqTimeoutMs = kHqTimeoutMs;
    timings.selectRetryMs = kRetryMs;
    LumoVisionImpl::setTimings(timings);
}

DocCamServiceRig::~DocCamServiceRig()
{
    if (service)
        service->release();
    VirtualCameraHub::instance()->removeAll();
    flushDeferredDeletes();
}

VirtualCameraProfile DocCamServiceRig::profile(const QString &name, const QSize &size)
{
    VirtualCameraProfile profile;
    profile.identity.name = name;
    profile.identity.locationId = QStringLiteral("virtual-") + name;
    profile.identity.format.width = size.width();
    profile.identity.format.height = size.height();
    profile.stillSize = size;
    return profile;
}

VirtualDocCam *DocCamServiceRig::plug(const QString &name)
{
    return plug(profile(name));
}

VirtualDocCam *DocCamServiceRig::plug(const VirtualCameraProfile &cameraSpec)
{
    VirtualDocCam *camera = VirtualCameraHub::instance()->addCamera(cameraSpec);
    camera->setStillBehaviour(VirtualDocCam::StillBehaviour::Deliver, kStillDelayMs);
    return camera;
}

LumoVisionImpl *DocCamServiceRig::start()
{
    service = static_cast<LumoVisionImpl *>(LumoVisionImpl::getInstance(nullptr));
    return service;
}

VirtualDocCam *DocCamServiceRig::open(const VirtualCameraProfile &cameraSpec)
{
    VirtualDocCam *camera = plug(cameraSpec);
    start();
    if (!waitOpen(cameraSpec.identity.name))
        return nullptr;
    // Reports the opening caused are queued behind the first frame.
    QTest::qWait(50);
    return camera;
}

bool DocCamServiceRig::waitOpen(const QString &name)
{
    return QTest::qWaitFor([&] { return service->docCamName() == name && service->isDocCamConnected(); });
}

ServiceSignalLog::ServiceSignalLog(LumoVisionIntf *service)
{
    auto add = [this](const QString &line) { lines.append(line); };
    const auto on = [&](auto signal, auto format) {
        QObject::connect(service, signal, &m_context, [add, format](auto value) { add(format(value)); });
    };
    const auto number = [](const char *name) {
        return [name](auto value) { return QStringLiteral("%1 %2").arg(QLatin1String(name)).arg(value); };
    };
    on(&LumoVisionIntf::actionStatusChanged,
       [](uint status) { return QStringLiteral("status 0x%1").arg(status, 0, 16); });
    on(&LumoVisionIntf::freezeStatusChanged, number("freeze"));
    on(&LumoVisionIntf::brightnessChanged, number("brightness"));
    on(&LumoVisionIntf::contrastChanged, number("contrast"));
    on(&LumoVisionIntf::zoomRatioChanged, number("zoom"));
    on(&LumoVisionIntf::rotationChanged, number("rotation"));
    on(&LumoVisionIntf::mirrorChanged, number("mirror"));
    on(&LumoVisionIntf::exposureChanged, number("exposure"));
    on(&LumoVisionIntf::autoExposureChanged, number("autoExposure"));
    on(&LumoVisionIntf::autoWhiteBalanceChanged, number("autoWhiteBalance"));
    on(&LumoVisionIntf::autoImageChanged, number("autoImage"));
    on(&LumoVisionIntf::colorEffectChanged, number("effect"));
    on(&LumoVisionIntf::docCamModeChanged, number("mode"));
    on(&LumoVisionIntf::hqImageCaptureAborted, number("aborted"));
    on(&LumoVisionIntf::docCamConnected, [](const QString &name) { return QStringLiteral("connected ") + name; });
    QObject::connect(service, &LumoVisionIntf::docCamDisconnected, &m_context,
                     [add] { add(QStringLiteral("disconnected")); });
    QObject::connect(service, &LumoVisionIntf::hqImageCaptured, &m_context, [add](const QImage &image) {
        add(image.isNull() ? QStringLiteral("still null") : QStringLiteral("still"));
    });
}

QStringList ServiceSignalLog::take()
{
    QStringList taken = lines;
    lines.clear();
    return taken;
}
