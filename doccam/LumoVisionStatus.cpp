#include "LumoVisionStatus.h"

#include "CameraParameters.h"
#include "LumoDocCam.h"
#include "LumoVisionIntf.h"

#include <QStringList>

namespace {

// The controls every open camera offers (zoom, freeze, rotate, mirror and the unread 0x100, 0x200,
// 0x2000000, 0x4000000), before its capabilities add theirs.
constexpr uint kBaseStatus = 0x0600037E;
constexpr uint kCapabilityByteMask = 0xFF;
// These models report manual focus but cannot be focused by hand.
const QStringList kNoManualFocusModels{QStringLiteral("LumoVision Q40"), QStringLiteral("LumoVision Q30")};

} // namespace

LumoVisionStatus::Offers LumoVisionStatus::offersOf(LumoDocCam *camera)
{
    Offers offers;
    offers.model = camera->name();
    offers.controlCapabilities = camera->controlCapabilities();
    offers.exposure = camera->canSetExposureMode() && camera->canAdjustExposure();
    offers.manualFocus = camera->supportsManualFocus();
    offers.colorEffects = camera->supportedColorEffects();
    offers.autoImage = camera->supportsAutoImage();
    offers.modes = camera->supportedModes();
    offers.wideAngle = camera->supportsWideAngle();
    offers.whiteBalance = camera->canSetWhiteBalance() && camera->canAdjustColorGains();
    return offers;
}

uint LumoVisionStatus::mask(const Offers &offers, const Settings &settings)
{
    uint mask = kBaseStatus | (offers.controlCapabilities & kCapabilityByteMask);
    if (offers.exposure)
        mask |= LumoVisionIntf::EXPOSURE_ADJUSTABLE;
    if (!settings.autoExposure)
        mask |= LumoVisionIntf::MANUAL_EXPOSURE;
    if (offers.manualFocus && !kNoManualFocusModels.contains(offers.model))
        mask |= LumoVisionIntf::MANUAL_FOCUS;
    if (offers.colorEffects & CameraParameters::ColorEffectBlackWhite)
        mask |= LumoVisionIntf::BLACK_WHITE_OFFERED;
    if (offers.colorEffects & CameraParameters::ColorEffectNegative)
        mask |= LumoVisionIntf::NEGATIVE_OFFERED;
    if (offers.autoImage)
        mask |= LumoVisionIntf::AUTO_IMAGE_OFFERED;
    if (offers.modes & CameraParameters::ModeEnhance)
        mask |= LumoVisionIntf::ENHANCE_MODE_OFFERED;
    if (offers.modes & CameraParameters::ModeMicroscope)
        mask |= LumoVisionIntf::MICROSCOPE_MODE_OFFERED;
    if (offers.modes & CameraParameters::ModeMacro)
        mask |= LumoVisionIntf::MACRO_MODE_OFFERED;
    if (offers.modes & CameraParameters::ModeInfinite)
        mask |= LumoVisionIntf::INFINITE_MODE_OFFERED;
    if (offers.wideAngle)
        mask |= LumoVisionIntf::WIDE_ANGLE_MODE_OFFERED;
    return withWhiteBalance(mask, true, offers.whiteBalance, settings);
}

uint LumoVisionStatus::withWhiteBalance(uint mask, bool cameraOpen, bool whiteBalanceOffered, const Settings &settings)
{
    mask &= ~uint(LumoVisionIntf::WHITE_BALANCE_ADJUSTABLE | LumoVisionIntf::MANUAL_WHITE_BALANCE);
    if (!cameraOpen || settings.blackWhite)
        return mask;
    if (whiteBalanceOffered)
        mask |= LumoVisionIntf::WHITE_BALANCE_ADJUSTABLE;
    if (!settings.autoWhiteBalance)
        mask |= LumoVisionIntf::MANUAL_WHITE_BALANCE;
    return mask;
}
