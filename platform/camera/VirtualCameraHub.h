#pragma once

#include "VirtualCameraProfile.h"

#include <QList>

class CameraDeviceSink;
class VirtualDocCam;

// The virtual cameras: plugged in and out by tests (or once, at start, by QUILLO_VIRTUAL_CAMERA=1 and
// QUILLO_VIRTUAL_WEBCAM=1, so that a machine without cameras shows a live document camera and web cam), and
// reported to the device manager like real ones.
class VirtualCameraHub
{
public:
    static VirtualCameraHub *instance();

    VirtualDocCam *addCamera(const VirtualCameraProfile &profile = VirtualCameraProfile());
    // Unplugs the camera: its running stream ends with CameraCodes::DeviceGone, then it is reported removed.
    void removeCamera(VirtualDocCam *camera);
    void removeAll();
    QList<VirtualDocCam *> cameras() const { return m_cameras; }
    // System event 0 (going to sleep) or 1 (woken up), delivered to the registered listener.
    void postSystemEvent(int event);

    // Device-manager side.
    void attachSink(CameraDeviceSink *sink);
    void detachSink(CameraDeviceSink *sink);

private:
    VirtualCameraHub() = default;

    QList<VirtualDocCam *> m_cameras;
    CameraDeviceSink *m_sink = nullptr;
    bool m_builtInAdded = false;
};
