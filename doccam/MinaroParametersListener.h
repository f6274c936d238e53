#pragma once

#include "DocCamParametersListener.h"

class LumoVisionImpl;

// Hands the open document camera's parameter reports to the camera service. The red and blue gains are
// left to the defaults: the service keeps no copy of them.
class MinaroParametersListener : public DocCamParametersListener
{
public:
    explicit MinaroParametersListener(LumoVisionImpl *service);

    void brightnessChanged(LumoDocCam *camera, uint value) override;
    void contrastChanged(LumoDocCam *camera, uint value) override;
    void zoomRatioChanged(LumoDocCam *camera, double ratio) override;
    void rotationChanged(LumoDocCam *camera, uint degrees) override;
    void mirrorChanged(LumoDocCam *camera, bool mirrored) override;
    void freezeChanged(LumoDocCam *camera, bool frozen) override;
    void autoWhiteBalanceChanged(LumoDocCam *camera, bool automatic) override;
    void autoExposureChanged(LumoDocCam *camera, bool automatic) override;
    void exposureChanged(LumoDocCam *camera, int value) override;
    void autoImageChanged(LumoDocCam *camera, bool automatic) override;
    void colorEffectChanged(LumoDocCam *camera, int code) override;
    void modeChanged(LumoDocCam *camera, uint modeBits) override;
    void wideAngleChanged(LumoDocCam *camera, bool wide) override;
    void parameterTuningProcessStarted(LumoDocCam *camera) override;
    void parameterTuningProcessEnded(LumoDocCam *camera) override;
    void buttonEventReceived(LumoDocCam *camera, uint button) override;
    void capabilitiesLimited(LumoDocCam *camera) override;

private:
    LumoVisionImpl *m_service;
};
