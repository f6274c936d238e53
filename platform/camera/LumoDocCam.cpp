#include "LumoDocCam.h"

#include "CameraCodes.h"
#include "DocCamParametersListener.h"
#include "DocCamStream.h"
#include "FrameSource.h"
#include "QImageHQImageGrabber.h"

#include <QImage>

#include <algorithm>
#include <cmath>

LumoDocCam::LumoDocCam(const CameraIdentity &identity, const CameraCapabilities &capabilities)
    : m_identity(identity)
    , m_capabilities(capabilities)
{
}

LumoDocCam::~LumoDocCam() = default;

void LumoDocCam::retain()
{
    ++m_references;
}

void LumoDocCam::release()
{
    // Deleted from the event loop: a holder may give its last reference back from inside one of this
    // camera's own reports.
    if (--m_references == 0)
        deleteLater();
}

QString LumoDocCam::name() const
{
    return m_identity.name;
}
uint LumoDocCam::vendorId() const
{
    return m_identity.vendorId;
}
uint LumoDocCam::productId() const
{
    return m_identity.productId;
}
QString LumoDocCam::locationId() const
{
    return m_identity.locationId;
}
DocCamFormat LumoDocCam::format() const
{
    return m_identity.format;
}
bool LumoDocCam::isExternal() const
{
    return m_identity.external;
}

int LumoDocCam::openStream(int, const DocCamFormat &format, QImageFrameGrabber *grabber, DocCamStream **stream, void *)
{
    return openAnyStream(format, grabber, stream);
}

int LumoDocCam::openDocCamStream(int, const DocCamFormat &format, QImageFrameGrabber *grabber, DocCamStream **stream,
                                 void *)
{
    return openAnyStream(format, grabber, stream);
}

int LumoDocCam::openAnyStream(const DocCamFormat &format, QImageFrameGrabber *grabber, DocCamStream **stream)
{
    if (!grabber || !stream)
        return CameraCodes::InvalidArgument;
    *stream = nullptr;
    const int allowed = openCheck();
    if (allowed < 0)
        return allowed;
    const DocCamFormat chosen = format.width > 0 && format.height > 0 ? format : m_identity.format;
    std::unique_ptr<FrameSource> source = createSource(chosen);
    if (!source)
        return CameraCodes::DeviceError;
    *stream = new DocCamStream(this, grabber, std::move(source));
    return CameraCodes::Success;
}

int LumoDocCam::copyCurrentFrame(QImage *image, int) const
{
    if (!image)
        return CameraCodes::InvalidArgument;
    if (!m_streaming)
        return CameraCodes::NoFrame;
    // Asked of the stream now: frames reach the stream only when its view paints, and a hidden or
    // minimised view would otherwise hand out the same old picture for every capture.
    const QImage frame = m_streaming->freshFrame();
    if (frame.isNull())
        return CameraCodes::NoFrame;
    *image = frame;
    return CameraCodes::Success;
}

void LumoDocCam::addHQImageGrabber(QImageHQImageGrabber *grabber)
{
    if (grabber && !m_hqGrabbers.contains(grabber))
        m_hqGrabbers.append(grabber);
}

void LumoDocCam::removeHQImageGrabber(QImageHQImageGrabber *grabber)
{
    m_hqGrabbers.removeAll(grabber);
}

bool LumoDocCam::supportsHQImage() const
{
    return m_capabilities.hqImage;
}

int LumoDocCam::requestHQImage()
{
    return CameraCodes::NotSupported;
}

void LumoDocCam::addParametersListener(DocCamParametersListener *listener)
{
    if (listener && !m_listeners.contains(listener))
        m_listeners.append(listener);
}

void LumoDocCam::removeParametersListener(DocCamParametersListener *listener)
{
    m_listeners.removeAll(listener);
}

namespace {

template<typename T, typename V>
int readInto(T *out, V value)
{
    if (!out)
        return CameraCodes::InvalidArgument;
    *out = T(value);
    return CameraCodes::Success;
}

} // namespace

int LumoDocCam::getBrightness(uint *value) const
{
    return readInto(value, m_parameters.brightness);
}
int LumoDocCam::getContrast(uint *value) const
{
    return readInto(value, m_parameters.contrast);
}
int LumoDocCam::getZoomRatio(double *ratio) const
{
    return readInto(ratio, m_parameters.zoomRatio);
}
int LumoDocCam::getRotation(uint *degrees) const
{
    return readInto(degrees, m_parameters.rotation);
}
int LumoDocCam::getMirror(bool *mirrored) const
{
    return readInto(mirrored, m_parameters.mirror);
}
int LumoDocCam::getFreeze(bool *frozen) const
{
    return readInto(frozen, m_parameters.freeze);
}
int LumoDocCam::getAutoWhiteBalance(bool *automatic) const
{
    return readInto(automatic, m_parameters.autoWhiteBalance);
}
int LumoDocCam::getAutoExposure(bool *automatic) const
{
    return readInto(automatic, m_parameters.autoExposure);
}
int LumoDocCam::getExposure(int *value) const
{
    return readInto(value, m_parameters.exposure);
}
int LumoDocCam::getAutoImage(bool *automatic) const
{
    return readInto(automatic, m_parameters.autoImage);
}
int LumoDocCam::getColorEffect(int *code) const
{
    return readInto(code, m_parameters.colorEffect);
}
int LumoDocCam::getMode(uint *modeBits) const
{
    return readInto(modeBits, m_parameters.mode);
}
int LumoDocCam::getWideAngle(bool *wide) const
{
    return readInto(wide, m_parameters.wideAngle);
}

uint LumoDocCam::controlCapabilities() const
{
    return m_capabilities.controlCapabilities;
}
bool LumoDocCam::supportsManualFocus() const
{
    return m_capabilities.manualFocus;
}
bool LumoDocCam::canSetExposureMode() const
{
    return m_capabilities.canSetExposureMode;
}
bool LumoDocCam::canAdjustExposure() const
{
    return m_capabilities.canAdjustExposure;
}
bool LumoDocCam::canSetWhiteBalance() const
{
    return m_capabilities.canSetWhiteBalance;
}
bool LumoDocCam::canAdjustColorGains() const
{
    return m_capabilities.canAdjustColorGains;
}
uint LumoDocCam::supportedColorEffects() const
{
    return m_capabilities.colorEffects;
}
bool LumoDocCam::supportsAutoImage() const
{
    return m_capabilities.autoImage;
}
uint LumoDocCam::supportedModes() const
{
    return m_capabilities.modes;
}
bool LumoDocCam::supportsWideAngle() const
{
    return m_capabilities.wideAngle;
}

int LumoDocCam::validate(CameraParameter parameter, double value) const
{
    const auto isLevel = [value] {
        return value >= CameraParameters::LevelMinimum && value <= CameraParameters::LevelMaximum;
    };
    const auto isOneOf = [value](uint bits) {
        const uint code = uint(value);
        return value >= 1 && double(code) == value && (code & (code - 1)) == 0 && (bits & code) != 0;
    };
    switch (parameter) {
    case CameraParameter::Brightness:
    case CameraParameter::Contrast:
    case CameraParameter::Exposure:
    case CameraParameter::WhiteBalanceRed:
    case CameraParameter::WhiteBalanceBlue:
        return isLevel() ? CameraCodes::Success : CameraCodes::InvalidArgument;
    case CameraParameter::ZoomRatio:
        return value >= CameraParameters::ZoomMinimum && value <= CameraParameters::ZoomMaximum
                   ? CameraCodes::Success
                   : CameraCodes::InvalidArgument;
    case CameraParameter::Rotation:
        return value == 0 || value == 90 || value == 180 || value == 270 ? CameraCodes::Success
                                                                         : CameraCodes::InvalidArgument;
    case CameraParameter::ColorEffect:
        return isOneOf(m_capabilities.colorEffects) ? CameraCodes::Success : CameraCodes::NotSupported;
    case CameraParameter::Mode:
        return isOneOf(m_capabilities.modes) ? CameraCodes::Success : CameraCodes::NotSupported;
    case CameraParameter::WideAngle:
        return value == 0 || m_capabilities.wideAngle ? CameraCodes::Success : CameraCodes::NotSupported;
    case CameraParameter::AutoImage:
        return value == 0 || m_capabilities.autoImage ? CameraCodes::Success : CameraCodes::NotSupported;
    case CameraParameter::Mirror:
    case CameraParameter::Freeze:
    case CameraParameter::AutoWhiteBalance:
    case CameraParameter::AutoExposure:
        return CameraCodes::Success;
    }
    return CameraCodes::InvalidArgument;
}

int LumoDocCam::setParameter(CameraParameter parameter, double value)
{
    const int valid = validate(parameter, value);
    if (valid < 0)
        return valid;
    double actual = value;
    // Freezing is always the layer's: a device that froze itself would stop delivering frames.
    if (parameter != CameraParameter::Freeze && hasDeviceControl(parameter)) {
        const int written = writeDeviceControl(parameter, value, &actual);
        if (written < 0)
            return written;
    }
    m_parameters.setValue(parameter, actual);
    updateStreamAdjust();
    reportParameter(parameter, m_parameters.value(parameter));
    return CameraCodes::Success;
}

int LumoDocCam::stepParameter(CameraParameter parameter, double delta)
{
    const bool zoom = parameter == CameraParameter::ZoomRatio;
    const double low = zoom ? CameraParameters::ZoomMinimum : CameraParameters::LevelMinimum;
    const double high = zoom ? CameraParameters::ZoomMaximum : CameraParameters::LevelMaximum;
    return setParameter(parameter, std::clamp(m_parameters.value(parameter) + delta, low, high));
}

int LumoDocCam::focus(FocusAction action)
{
    const bool offered = action == FocusAction::Auto
                             ? (m_capabilities.controlCapabilities & CameraCapabilities::ControlAutoFocus) != 0
                             : m_capabilities.manualFocus;
    return offered ? runDeviceFocus(action) : CameraCodes::NotSupported;
}

bool LumoDocCam::hasDeviceControl(CameraParameter) const
{
    return false;
}

int LumoDocCam::writeDeviceControl(CameraParameter, double, double *)
{
    return CameraCodes::NotSupported;
}

int LumoDocCam::runDeviceFocus(FocusAction)
{
    return CameraCodes::Success;
}

int LumoDocCam::openCheck() const
{
    return CameraCodes::Success;
}

FrameAdjust LumoDocCam::softwareAdjust() const
{
    const auto soft = [this](CameraParameter parameter) { return !hasDeviceControl(parameter); };
    const CameraParameters &p = m_parameters;
    FrameAdjust adjust;
    if (soft(CameraParameter::ZoomRatio))
        adjust.zoomRatio = p.zoomRatio;
    if (soft(CameraParameter::Rotation))
        adjust.rotation = p.rotation;
    if (soft(CameraParameter::Mirror))
        adjust.mirror = p.mirror;
    if (soft(CameraParameter::ColorEffect))
        adjust.colorEffect = p.colorEffect;
    if (soft(CameraParameter::Brightness))
        adjust.brightness = int(p.brightness);
    if (soft(CameraParameter::Contrast))
        adjust.contrast = int(p.contrast);
    if (soft(CameraParameter::Exposure) && !p.autoExposure)
        adjust.exposure = p.exposure;
    if (!p.autoWhiteBalance) {
        if (soft(CameraParameter::WhiteBalanceRed))
            adjust.redGain = int(p.whiteBalanceRed);
        if (soft(CameraParameter::WhiteBalanceBlue))
            adjust.blueGain = int(p.whiteBalanceBlue);
    }
    return adjust;
}

void LumoDocCam::updateStreamAdjust()
{
    if (m_streaming)
        m_streaming->setAdjust(softwareAdjust(), m_parameters.freeze);
}

void LumoDocCam::streamStarted(DocCamStream *stream)
{
    m_streaming = stream;
    updateStreamAdjust();
}

void LumoDocCam::streamEnded(DocCamStream *stream)
{
    if (m_streaming == stream)
        m_streaming = nullptr;
}

void LumoDocCam::detach()
{
    if (m_streaming)
        m_streaming->endStream(CameraCodes::DeviceGone);
}

void LumoDocCam::parameterChangedOnDevice(CameraParameter parameter, double value)
{
    m_parameters.setValue(parameter, value);
    updateStreamAdjust();
    reportParameter(parameter, m_parameters.value(parameter));
}

template<typename Call>
void LumoDocCam::postToListeners(Call call)
{
    QMetaObject::invokeMethod(
        this,
        [this, call] {
            const QList<DocCamParametersListener *> listeners = m_listeners;
            for (DocCamParametersListener *listener : listeners) {
                // A listener removed by an earlier one's handling hears nothing more.
                if (m_listeners.contains(listener))
                    call(listener);
            }
        },
        Qt::QueuedConnection);
}

void LumoDocCam::reportParameter(CameraParameter parameter, double value)
{
    const uint whole = uint(std::lround(value));
    const bool on = value != 0;
    postToListeners([this, parameter, value, whole, on](DocCamParametersListener *l) {
        switch (parameter) {
        case CameraParameter::Brightness:
            l->brightnessChanged(this, whole);
            break;
        case CameraParameter::Contrast:
            l->contrastChanged(this, whole);
            break;
        case CameraParameter::ZoomRatio:
            l->zoomRatioChanged(this, value);
            break;
        case CameraParameter::Rotation:
            l->rotationChanged(this, whole);
            break;
        case CameraParameter::Mirror:
            l->mirrorChanged(this, on);
            break;
        case CameraParameter::Freeze:
            l->freezeChanged(this, on);
            break;
        case CameraParameter::AutoWhiteBalance:
            l->autoWhiteBalanceChanged(this, on);
            break;
        case CameraParameter::WhiteBalanceRed:
            l->whiteBalanceRedChanged(this, whole);
            break;
        case CameraParameter::WhiteBalanceBlue:
            l->whiteBalanceBlueChanged(this, whole);
            break;
        case CameraParameter::AutoExposure:
            l->autoExposureChanged(this, on);
            break;
        case CameraParameter::Exposure:
            l->exposureChanged(this, int(whole));
            break;
        case CameraParameter::AutoImage:
            l->autoImageChanged(this, on);
            break;
        case CameraParameter::ColorEffect:
            l->colorEffectChanged(this, int(whole));
            break;
        case CameraParameter::Mode:
            l->modeChanged(this, whole);
            break;
        case CameraParameter::WideAngle:
            l->wideAngleChanged(this, on);
            break;
        }
    });
}

void LumoDocCam::reportTuning(bool started)
{
    postToListeners([this, started](DocCamParametersListener *l) {
        if (started)
            l->parameterTuningProcessStarted(this);
        else
            l->parameterTuningProcessEnded(this);
    });
}

void LumoDocCam::reportButton(uint button)
{
    postToListeners([this, button](DocCamParametersListener *l) { l->buttonEventReceived(this, button); });
}

void LumoDocCam::reportCapabilitiesLimited()
{
    postToListeners([this](DocCamParametersListener *l) { l->capabilitiesLimited(this); });
}

void LumoDocCam::deliverHQImage(int code, const QImage &image)
{
    QMetaObject::invokeMethod(
        this,
        [this, code, image] {
            const QList<QImageHQImageGrabber *> grabbers = m_hqGrabbers;
            for (QImageHQImageGrabber *grabber : grabbers) {
                if (m_hqGrabbers.contains(grabber))
                    grabber->hqImageFetched(code, image);
            }
        },
        Qt::QueuedConnection);
}
