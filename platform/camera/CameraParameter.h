#pragma once

// The adjustable parameters of a camera, as streams set them and parameter listeners report them.
enum class CameraParameter {
    Brightness,
    Contrast,
    ZoomRatio,
    Rotation,
    Mirror,
    Freeze,
    AutoWhiteBalance,
    WhiteBalanceRed,
    WhiteBalanceBlue,
    AutoExposure,
    Exposure,
    AutoImage,
    ColorEffect,
    Mode,
    WideAngle,
};
