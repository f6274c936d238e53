#pragma once

#include <QString>

class LumoDocCam;

// The document camera's action-status mask, worked out from what the open camera offers and how it is
// set, apart from the camera itself so that every bit can be checked from a table.
class LumoVisionStatus
{
public:
    // What an open camera offers, as the mask needs it.
    struct Offers
    {
        QString model;
        uint controlCapabilities = 0;
        // The exposure mode can be set and the exposure adjusted.
        bool exposure = false;
        bool manualFocus = false;
        // CameraParameters' colour-effect bits.
        uint colorEffects = 0;
        bool autoImage = false;
        // CameraParameters' mode bits.
        uint modes = 0;
        bool wideAngle = false;
        // The white balance can be set and the colour gains adjusted.
        bool whiteBalance = false;
    };
    // How the camera is set.
    struct Settings
    {
        bool autoExposure = true;
        bool autoWhiteBalance = true;
        bool blackWhite = false;
    };

    static Offers offersOf(LumoDocCam *camera);
    static uint mask(const Offers &offers, const Settings &settings);
    // The mask with its white-balance bits worked out again: none without an open camera, nor in black and
    // white, where colour gains mean nothing.
    static uint withWhiteBalance(uint mask, bool cameraOpen, bool whiteBalanceOffered, const Settings &settings);
};
