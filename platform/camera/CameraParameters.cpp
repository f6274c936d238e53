#include "CameraParameters.h"

#include <cmath>

double CameraParameters::value(CameraParameter parameter) const
{
    switch (parameter) {
    case CameraParameter::Brightness:
        return brightness;
    case CameraParameter::Contrast:
        return contrast;
    case CameraParameter::ZoomRatio:
        return zoomRatio;
    case CameraParameter::Rotation:
        return rotation;
    case CameraParameter::Mirror:
        return mirror;
    case CameraParameter::Freeze:
        return freeze;
    case CameraParameter::AutoWhiteBalance:
        return autoWhiteBalance;
    case CameraParameter::WhiteBalanceRed:
        return whiteBalanceRed;
    case CameraParameter::WhiteBalanceBlue:
        return whiteBalanceBlue;
    case CameraParameter::AutoExposure:
        return autoExposure;
    case CameraParameter::Exposure:
        return exposure;
    case CameraParameter::AutoImage:
        return autoImage;
    case CameraParameter::ColorEffect:
        return colorEffect;
    case CameraParameter::Mode:
        return mode;
    case CameraParameter::WideAngle:
        return wideAngle;
    }
    return 0;
}

void CameraParameters::setValue(CameraParameter parameter, double value)
{
    const auto whole = [value] { return uint(std::lround(value)); };
    switch (parameter) {
    case CameraParameter::Brightness:
        brightness = whole();
        break;
    case CameraParameter::Contrast:
        contrast = whole();
        break;
    case CameraParameter::ZoomRatio:
        zoomRatio = value;
        break;
    case CameraParameter::Rotation:
        rotation = whole();
        break;
    case CameraParameter::Mirror:
        mirror = value != 0;
        break;
    case CameraParameter::Freeze:
        freeze = value != 0;
        break;
    case CameraParameter::AutoWhiteBalance:
        autoWhiteBalance = value != 0;
        break;
    case CameraParameter::WhiteBalanceRed:
        whiteBalanceRed = whole();
        break;
    case CameraParameter::WhiteBalanceBlue:
        whiteBalanceBlue = whole();
        break;
    case CameraParameter::AutoExposure:
        autoExposure = value != 0;
        break;
    case CameraParameter::Exposure:
        exposure = int(whole());
        break;
    case CameraParameter::AutoImage:
        autoImage = value != 0;
        break;
    case CameraParameter::ColorEffect:
        colorEffect = int(whole());
        break;
    case CameraParameter::Mode:
        mode = whole();
        break;
    case CameraParameter::WideAngle:
        wideAngle = value != 0;
        break;
    }
}
