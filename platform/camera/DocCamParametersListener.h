#pragma once

#include <QtGlobal>

class LumoDocCam;

// Reports of a camera's parameters, queued to the GUI thread. Every set made through a stream is reported
// back, also when the value did not change and also when it was applied in software, so that a caller may
// keep its own copy and toggle from it.
class DocCamParametersListener
{
public:
    virtual ~DocCamParametersListener() = default;
    virtual void brightnessChanged(LumoDocCam *camera, uint value) = 0;
    virtual void contrastChanged(LumoDocCam *camera, uint value) = 0;
    virtual void zoomRatioChanged(LumoDocCam *camera, double ratio) = 0;
    virtual void rotationChanged(LumoDocCam *camera, uint degrees) = 0;
    virtual void mirrorChanged(LumoDocCam *camera, bool mirrored) = 0;
    virtual void freezeChanged(LumoDocCam *camera, bool frozen) = 0;
    virtual void autoWhiteBalanceChanged(LumoDocCam *camera, bool automatic) = 0;
    virtual void whiteBalanceRedChanged(LumoDocCam *camera, uint value) {}
    virtual void whiteBalanceBlueChanged(LumoDocCam *camera, uint value) {}
    virtual void autoExposureChanged(LumoDocCam *camera, bool automatic) = 0;
    virtual void exposureChanged(LumoDocCam *camera, int value) = 0;
    virtual void autoImageChanged(LumoDocCam *camera, bool automatic) = 0;
    virtual void colorEffectChanged(LumoDocCam *camera, int code) = 0;
    virtual void modeChanged(LumoDocCam *camera, uint modeBits) = 0;
    virtual void wideAngleChanged(LumoDocCam *camera, bool wide) = 0;
    virtual void parameterTuningProcessStarted(LumoDocCam *camera) = 0;
    virtual void parameterTuningProcessEnded(LumoDocCam *camera) = 0;
    virtual void buttonEventReceived(LumoDocCam *camera, uint button) = 0;
    virtual void capabilitiesLimited(LumoDocCam *camera) = 0;
};
