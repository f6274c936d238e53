#include "MinaroParametersListener.h"

#include "LumoVisionImpl.h"

MinaroParametersListener::MinaroParametersListener(LumoVisionImpl *service)
    : m_service(service)
{
}

void MinaroParametersListener::brightnessChanged(LumoDocCam *, uint value)
{
    m_service->brightnessValueChanged(value);
}
void MinaroParametersListener::contrastChanged(LumoDocCam *, uint value)
{
    m_service->contrastValueChanged(value);
}
void MinaroParametersListener::zoomRatioChanged(LumoDocCam *, double ratio)
{
    m_service->zoomRatioValueChanged(ratio);
}
void MinaroParametersListener::rotationChanged(LumoDocCam *, uint degrees)
{
    m_service->rotationChanged(degrees);
}
void MinaroParametersListener::mirrorChanged(LumoDocCam *, bool mirrored)
{
    m_service->mirrorValueChanged(mirrored);
}
void MinaroParametersListener::freezeChanged(LumoDocCam *, bool frozen)
{
    m_service->freezeValueChanged(frozen);
}

void MinaroParametersListener::autoWhiteBalanceChanged(LumoDocCam *, bool automatic)
{
    m_service->autoWhiteBalanceValueChanged(automatic);
}

void MinaroParametersListener::autoExposureChanged(LumoDocCam *, bool automatic)
{
    m_service->autoExposureValueChanged(automatic);
}

void MinaroParametersListener::exposureChanged(LumoDocCam *, int value)
{
    m_service->exposureValueChanged(value);
}
void MinaroParametersListener::autoImageChanged(LumoDocCam *, bool automatic)
{
    m_service->autoImageValueChanged(automatic);
}
void MinaroParametersListener::colorEffectChanged(LumoDocCam *, int code)
{
    m_service->colorEffectValueChanged(code);
}
void MinaroParametersListener::modeChanged(LumoDocCam *, uint modeBits)
{
    m_service->modeValueChanged(modeBits);
}
void MinaroParametersListener::wideAngleChanged(LumoDocCam *, bool wide)
{
    m_service->wideAngleValueChanged(wide);
}

void MinaroParametersListener::parameterTuningProcessStarted(LumoDocCam *camera)
{
    m_service->parameterTuningProcessStarted(camera);
}

void MinaroParametersListener::parameterTuningProcessEnded(LumoDocCam *camera)
{
    m_service->parameterTuningProcessEnded(camera);
}

void MinaroParametersListener::buttonEventReceived(LumoDocCam *, uint button)
{
    m_service->buttonEventReceived(button);
}
void MinaroParametersListener::capabilitiesLimited(LumoDocCam *camera)
{
    m_service->capabilitiesLimited(camera);
}
