#pragma once

class LumoDocCam;

// Where a backend reports the cameras it finds and loses, on the GUI thread.
class CameraDeviceSink
{
public:
    virtual ~CameraDeviceSink() = default;
    virtual void deviceAttached(LumoDocCam *camera, bool virtualCamera) = 0;
    virtual void deviceDetached(LumoDocCam *camera) = 0;
};
