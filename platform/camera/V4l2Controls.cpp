#include "V4l2Controls.h"

#include "CameraCodes.h"
#include "V4l2Io.h"

#include <cerrno>
#include <linux/videodev2.h>

namespace {

// A focus press moves a twentieth of the range: a few presses go from near to far.
constexpr int kFocusStepsAcrossRange = 20;

quint32 controlFor(CameraParameter parameter)
{
    switch (parameter) {
    case CameraParameter::Brightness:
        return V4L2_CID_BRIGHTNESS;
    case CameraParameter::Contrast:
        return V4L2_CID_CONTRAST;
    case CameraParameter::ZoomRatio:
        return V4L2_CID_ZOOM_ABSOLUTE;
    case CameraParameter::Rotation:
        return V4L2_CID_ROTATE;
    case CameraParameter::Mirror:
        return V4L2_CID_HFLIP;
    case CameraParameter::AutoWhiteBalance:
        return V4L2_CID_AUTO_WHITE_BALANCE;
    case CameraParameter::WhiteBalanceRed:
        return V4L2_CID_RED_BALANCE;
    case CameraParameter::WhiteBalanceBlue:
        return V4L2_CID_BLUE_BALANCE;
    case CameraParameter::AutoExposure:
        return V4L2_CID_EXPOSURE_AUTO;
    case CameraParameter::Exposure:
        return V4L2_CID_EXPOSURE_ABSOLUTE;
    case CameraParameter::AutoImage:
        return V4L2_CID_AUTOGAIN;
    case CameraParameter::ColorEffect:
        return V4L2_CID_COLORFX;
    case CameraParameter::Freeze:
    case CameraParameter::Mode:
    case CameraParameter::WideAngle:
        return 0;
    }
    return 0;
}

bool isLevel(CameraParameter parameter)
{
    switch (parameter) {
    case CameraParameter::Brightness:
    case CameraParameter::Contrast:
    case CameraParameter::WhiteBalanceRed:
    case CameraParameter::WhiteBalanceBlue:
    case CameraParameter::Exposure:
        return true;
    default:
        return false;
    }
}

// The library's colour-effect codes and the V4L2 menu entries they stand for.
constexpr int kEffects[][2] = {{CameraParameters::ColorEffectNone, V4L2_COLORFX_NONE},
                               {CameraParameters::ColorEffectBlackWhite, V4L2_COLORFX_BW},
                               {CameraParameters::ColorEffectNegative, V4L2_COLORFX_NEGATIVE}};

} // namespace

V4l2Controls::V4l2Controls(V4l2Io *io, int fd)
    : m_io(io)
    , m_fd(fd)
{
    for (quint32 id :
         {quint32(V4L2_CID_BRIGHTNESS), quint32(V4L2_CID_CONTRAST), quint32(V4L2_CID_ZOOM_ABSOLUTE),
          quint32(V4L2_CID_ROTATE), quint32(V4L2_CID_HFLIP), quint32(V4L2_CID_AUTO_WHITE_BALANCE),
          quint32(V4L2_CID_RED_BALANCE), quint32(V4L2_CID_BLUE_BALANCE), quint32(V4L2_CID_EXPOSURE_AUTO),
          quint32(V4L2_CID_EXPOSURE_ABSOLUTE), quint32(V4L2_CID_AUTOGAIN), quint32(V4L2_CID_COLORFX),
          quint32(V4L2_CID_FOCUS_AUTO), quint32(V4L2_CID_AUTO_FOCUS_START), quint32(V4L2_CID_FOCUS_ABSOLUTE)})
        probe(id);
}

void V4l2Controls::probe(quint32 id)
{
    v4l2_queryctrl query = {};
    query.id = id;
    if (m_io->ioctl(m_fd, VIDIOC_QUERYCTRL, &query) != 0 || (query.flags & V4L2_CTRL_FLAG_DISABLED))
        return;
    m_controls.insert(id, Control{id, {query.minimum, query.maximum, query.step}});
}

bool V4l2Controls::menuHas(quint32 id, int index) const
{
    v4l2_querymenu menu = {};
    menu.id = id;
    menu.index = quint32(index);
    return m_io->ioctl(m_fd, VIDIOC_QUERYMENU, &menu) == 0;
}

bool V4l2Controls::has(CameraParameter parameter) const
{
    const quint32 id = controlFor(parameter);
    if (!id || !hasControl(id))
        return false;
    // A rotation control that cannot do quarter turns is no use; the layer turns the picture itself.
    if (parameter == CameraParameter::Rotation)
        return m_controls[id].range.maximum >= 270 && m_controls[id].range.step > 0
               && 90 % m_controls[id].range.step == 0;
    return true;
}

int V4l2Controls::write(quint32 id, int value)
{
    v4l2_control control = {id, value};
    return m_io->ioctl(m_fd, VIDIOC_S_CTRL, &control) == 0 ? CameraCodes::Success : V4l2Support::codeForErrno(errno);
}

int V4l2Controls::readValue(quint32 id, int *value) const
{
    v4l2_control control = {id, 0};
    if (m_io->ioctl(m_fd, VIDIOC_G_CTRL, &control) != 0)
        return V4l2Support::codeForErrno(errno);
    *value = control.value;
    return CameraCodes::Success;
}

int V4l2Controls::toDevice(CameraParameter parameter, double value) const
{
    const V4l2Support::ControlRange range = m_controls[controlFor(parameter)].range;
    if (isLevel(parameter))
        return V4l2Support::toDevice(value, CameraParameters::LevelMinimum, CameraParameters::LevelMaximum, range);
    switch (parameter) {
    case CameraParameter::ZoomRatio:
        return V4l2Support::toDevice(value, CameraParameters::ZoomMinimum, CameraParameters::ZoomMaximum, range);
    case CameraParameter::AutoExposure:
        // Cameras offer either full auto or aperture priority (exposure automatic, frame rate kept).
        return value != 0
                   ? (menuHas(V4L2_CID_EXPOSURE_AUTO, V4L2_EXPOSURE_APERTURE_PRIORITY) ? V4L2_EXPOSURE_APERTURE_PRIORITY
                                                                                       : V4L2_EXPOSURE_AUTO)
                   : V4L2_EXPOSURE_MANUAL;
    case CameraParameter::ColorEffect:
        for (const auto &effect : kEffects) {
            if (effect[0] == int(value))
                return effect[1];
        }
        return V4L2_COLORFX_NONE;
    default:
        return int(value);
    }
}

double V4l2Controls::fromDevice(CameraParameter parameter, int value) const
{
    const V4l2Support::ControlRange range = m_controls[controlFor(parameter)].range;
    if (isLevel(parameter))
        return std::round(V4l2Support::fromDevice(value, CameraParameters::LevelMinimum, CameraParameters::LevelMaximum,
                                                  range));
    switch (parameter) {
    case CameraParameter::ZoomRatio:
        return V4l2Support::fromDevice(value, CameraParameters::ZoomMinimum, CameraParameters::ZoomMaximum, range);
    case CameraParameter::AutoExposure:
        return value != V4L2_EXPOSURE_MANUAL && value != V4L2_EXPOSURE_SHUTTER_PRIORITY;
    case CameraParameter::ColorEffect:
        for (const auto &effect : kEffects) {
            if (effect[1] == value)
                return effect[0];
        }
        return CameraParameters::ColorEffectNone;
    default:
        return value;
    }
}

int V4l2Controls::set(CameraParameter parameter, double value, double *actual)
{
    if (!has(parameter))
        return CameraCodes::NotSupported;
    const quint32 id = controlFor(parameter);
    const int written = write(id, toDevice(parameter, value));
    if (written < 0)
        return written;
    int deviceValue = 0;
    // The device may round the value to its own steps: what it took is what is reported.
    *actual = readValue(id, &deviceValue) == CameraCodes::Success ? fromDevice(parameter, deviceValue) : value;
    return CameraCodes::Success;
}

int V4l2Controls::focus(LumoDocCam::FocusAction action)
{
    if (action == LumoDocCam::FocusAction::Auto) {
        if (hasControl(V4L2_CID_AUTO_FOCUS_START))
            return write(V4L2_CID_AUTO_FOCUS_START, 1);
        return hasControl(V4L2_CID_FOCUS_AUTO) ? write(V4L2_CID_FOCUS_AUTO, 1) : CameraCodes::NotSupported;
    }
    if (!hasControl(V4L2_CID_FOCUS_ABSOLUTE))
        return CameraCodes::NotSupported;
    if (hasControl(V4L2_CID_FOCUS_AUTO)) {
        const int manual = write(V4L2_CID_FOCUS_AUTO, 0);
        if (manual < 0)
            return manual;
    }
    int current = 0;
    const int read = readValue(V4L2_CID_FOCUS_ABSOLUTE, &current);
    if (read < 0)
        return read;
    const V4l2Support::ControlRange range = m_controls[V4L2_CID_FOCUS_ABSOLUTE].range;
    const int step = std::max(std::max(1, range.step), (range.maximum - range.minimum) / kFocusStepsAcrossRange);
    const int target = action == LumoDocCam::FocusAction::Far ? current + step : current - step;
    return write(V4L2_CID_FOCUS_ABSOLUTE, std::clamp(target, range.minimum, range.maximum));
}

CameraCapabilities V4l2Controls::capabilities(CameraCapabilities base) const
{
    if (hasControl(V4L2_CID_FOCUS_AUTO) || hasControl(V4L2_CID_AUTO_FOCUS_START))
        base.controlCapabilities |= CameraCapabilities::ControlAutoFocus;
    base.manualFocus = hasControl(V4L2_CID_FOCUS_ABSOLUTE);
    base.canSetExposureMode = hasControl(V4L2_CID_EXPOSURE_AUTO);
    base.canAdjustExposure = hasControl(V4L2_CID_EXPOSURE_ABSOLUTE);
    base.canSetWhiteBalance = hasControl(V4L2_CID_AUTO_WHITE_BALANCE);
    base.canAdjustColorGains = hasControl(V4L2_CID_RED_BALANCE) && hasControl(V4L2_CID_BLUE_BALANCE);
    base.colorEffects = CameraParameters::ColorEffectNone;
    if (hasControl(V4L2_CID_COLORFX)) {
        for (const auto &effect : kEffects) {
            if (menuHas(V4L2_CID_COLORFX, effect[1]))
                base.colorEffects |= uint(effect[0]);
        }
    }
    base.autoImage = hasControl(V4L2_CID_AUTOGAIN);
    return base;
}

CameraParameters V4l2Controls::read(CameraParameters base) const
{
    for (CameraParameter parameter :
         {CameraParameter::Brightness, CameraParameter::Contrast, CameraParameter::ZoomRatio, CameraParameter::Mirror,
          CameraParameter::AutoWhiteBalance, CameraParameter::WhiteBalanceRed, CameraParameter::WhiteBalanceBlue,
          CameraParameter::AutoExposure, CameraParameter::Exposure, CameraParameter::AutoImage,
          CameraParameter::ColorEffect}) {
        int value = 0;
        if (has(parameter) && readValue(controlFor(parameter), &value) == CameraCodes::Success)
            base.setValue(parameter, fromDevice(parameter, value));
    }
    return base;
}
