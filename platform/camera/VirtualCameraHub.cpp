#include "VirtualCameraHub.h"

#include "CameraDeviceSink.h"
#include "LumoSystemOsal.h"
#include "VirtualDocCam.h"

VirtualCameraHub *VirtualCameraHub::instance()
{
    // Never destroyed: its cameras are QObjects that must not outlive the application object's end in a
    // static destructor.
    static auto *hub = new VirtualCameraHub;
    return hub;
}

namespace {

CameraDeviceSink::Origin originOf(const VirtualDocCam *camera)
{
    return camera->role() == VirtualCameraProfile::Role::WebCam ? CameraDeviceSink::Origin::VirtualWebCam
                                                                : CameraDeviceSink::Origin::VirtualDocCam;
}

} // namespace

VirtualDocCam *VirtualCameraHub::addCamera(const VirtualCameraProfile &profile)
{
    auto *camera = new VirtualDocCam(profile);
    m_cameras.append(camera);
    if (m_sink)
        m_sink->deviceAttached(camera, originOf(camera));
    return camera;
}

void VirtualCameraHub::removeCamera(VirtualDocCam *camera)
{
    if (!m_cameras.removeOne(camera))
        return;
    camera->detach();
    if (m_sink)
        m_sink->deviceDetached(camera);
    camera->release();
}

void VirtualCameraHub::removeAll()
{
    while (!m_cameras.isEmpty())
        removeCamera(m_cameras.last());
}

void VirtualCameraHub::postSystemEvent(int event)
{
    osalPostSystemEvent(event);
}

void VirtualCameraHub::attachSink(CameraDeviceSink *sink)
{
    m_sink = sink;
    if (!m_builtInAdded) {
        m_builtInAdded = true;
        if (qEnvironmentVariable("QUILLO_VIRTUAL_WEBCAM") == QLatin1String("1"))
            m_cameras.prepend(new VirtualDocCam(VirtualCameraProfile::webCam()));
        if (qEnvironmentVariable("QUILLO_VIRTUAL_CAMERA") == QLatin1String("1"))
            m_cameras.prepend(new VirtualDocCam(VirtualCameraProfile()));
    }
    for (VirtualDocCam *camera : std::as_const(m_cameras))
        m_sink->deviceAttached(camera, originOf(camera));
}

void VirtualCameraHub::detachSink(CameraDeviceSink *sink)
{
    if (m_sink == sink)
        m_sink = nullptr;
}
