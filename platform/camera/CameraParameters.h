#pragma once

#include "CameraParameter.h"

#include <QtGlobal>

// The current values of a camera's parameters. Levels (brightness, contrast, exposure, red and blue gain)
// run from 0 to 100 with 50 as the neutral middle; the zoom ratio from 1.0 to 4.0.
struct CameraParameters
{
    // Library codes of the colour effects and of the modes, as LumoDocCam reports them.
    static constexpr int ColorEffectNone = 1;
    static constexpr int ColorEffectNegative = 2;
    static constexpr int ColorEffectBlackWhite = 4;
    static constexpr uint ModeEnhance = 0x01;
    static constexpr uint ModeNormal = 0x04;
    static constexpr uint ModeMicroscope = 0x08;
    static constexpr uint ModeMacro = 0x10;
    static constexpr uint ModeInfinite = 0x20;

    static constexpr int LevelMinimum = 0;
    static constexpr int LevelMaximum = 100;
    static constexpr int LevelNeutral = 50;
    // Twenty presses of a step button cross the whole range: fine enough to adjust, few enough to reach
    // either end quickly.
    static constexpr int LevelStep = 5;
    static constexpr double ZoomMinimum = 1.0;
    // Beyond four times a cropped frame of a 1080p picture has fewer than 500 lines and looks blurred.
    static constexpr double ZoomMaximum = 4.0;
    static constexpr double ZoomStep = 0.25;

    uint brightness = LevelNeutral;
    uint contrast = LevelNeutral;
    double zoomRatio = ZoomMinimum;
    uint rotation = 0;
    bool mirror = false;
    bool freeze = false;
    bool autoWhiteBalance = true;
    uint whiteBalanceRed = LevelNeutral;
    uint whiteBalanceBlue = LevelNeutral;
    bool autoExposure = true;
    int exposure = LevelNeutral;
    bool autoImage = false;
    int colorEffect = ColorEffectNone;
    uint mode = ModeNormal;
    bool wideAngle = false;

    double value(CameraParameter parameter) const;
    void setValue(CameraParameter parameter, double value);
};
