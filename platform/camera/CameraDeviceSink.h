#pragma once

class LumoDocCam;

// Where a backend reports the cameras it finds and loses, on the GUI thread.
class CameraDeviceSink
{
public:
    // A device's role is chosen among the attached devices; a virtual camera's is fixed by its profile.
    enum class Origin { Device, VirtualDocCam, VirtualWebCam };

    virtual ~CameraDeviceSink() = default;
    virtual void deviceAttached(LumoDocCam *camera, Origin origin) = 0;
    virtual void deviceDetached(LumoDocCam *camera) = 0;
};
