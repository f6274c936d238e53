#pragma once

#include <QtGlobal>

// What a camera offers besides the controls every camera has (zoom, rotation, mirror and freeze are
// always there, in software where the device lacks them).
struct CameraCapabilities
{
    static constexpr uint ControlAutoFocus = 0x01;

    uint controlCapabilities = 0;
    bool manualFocus = false;
    bool canSetExposureMode = false;
    bool canAdjustExposure = false;
    bool canSetWhiteBalance = false;
    bool canAdjustColorGains = false;
    // Library colour-effect codes OR-ed together (CameraParameters::ColorEffect...).
    uint colorEffects = 1;
    bool autoImage = false;
    // Library mode bits OR-ed together (CameraParameters::Mode...).
    uint modes = 4;
    bool wideAngle = false;
    bool hqImage = false;
};
