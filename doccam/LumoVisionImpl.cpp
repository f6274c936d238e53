#include "LumoVisionImpl.h"

#include "BusyDialog.h"

#include "CameraCodes.h"
#include "CameraParameters.h"
#include "CaptureImpl.h"
#include "DocCamStream.h"
#include "LumoDocCam.h"
#include "LumoVisionConnection.h"
#include "MinaroHQImageGrabber.h"
#include "MinaroParametersListener.h"
#include "ModuleLog.h"
#include "OsHelpers.h"

#include <QDialog>

namespace {

ModuleLog lumoVisionLog("quillo/lumoVision");

QRecursiveMutex serviceMutex;
using Locker = QMutexLocker<QRecursiveMutex>;
LumoVisionImpl::Timings timings;

constexpr int kNoCamera = -1000;
constexpr int kNotSupported = -2000;
constexpr int kOutOfRange = -2002;
constexpr int kFrozen = -2004;
constexpr int kReconnectFailed = -2005;
// Abort codes of hqImageCaptureAborted.
constexpr int kStillTimedOut = -1;
constexpr int kStillCameraClosed = -1000;

constexpr uint kMaximumLevel = 100;

constexpr uint kModeBitsMask = LumoVisionIntf::ENHANCE_MODE_OFFERED | LumoVisionIntf::WIDE_ANGLE_MODE_OFFERED
                               | LumoVisionIntf::MICROSCOPE_MODE_OFFERED | LumoVisionIntf::INFINITE_MODE_OFFERED
                               | LumoVisionIntf::MACRO_MODE_OFFERED;

const QString kInUseNotification = QStringLiteral("LMDocCamInUseNotification");
const QString kNoDocCamNotification = QStringLiteral("LMNoDoCamNotification");

constexpr int kRotationStep = 90;
constexpr int kFullTurn = 360;

// The camera's colour-effect code as the interface numbers it; -1 for a code it does not know.
int effectFromCode(int code)
{
    switch (code) {
    case CameraParameters::ColorEffectNone:
        return LumoVisionIntf::EFFECT_NORMAL;
    case CameraParameters::ColorEffectBlackWhite:
        return LumoVisionIntf::EFFECT_BLACK_WHITE;
    case CameraParameters::ColorEffectNegative:
        return LumoVisionIntf::EFFECT_NEGATIVE;
    default:
        return -1;
    }
}

} // namespace

LumoVisionIntf *LumoVisionImpl::getInstance(QWidget *parent)
{
    return acquire(serviceMutex, [parent] { return new LumoVisionImpl(parent); });
}

void LumoVisionImpl::setTimings(const Timings &newTimings)
{
    timings = newTimings;
}

LumoVisionImpl::LumoVisionImpl(QWidget *parent)
{
    addNotificationObserver(this, kInUseNotification, nullptr);
    addNotificationObserver(this, kNoDocCamNotification, nullptr);

    m_hqTimer.setSingleShot(true);
    m_hqTimer.setInterval(timings.hqTimeoutMs);
    connect(&m_hqTimer, &QTimer::timeout, this, &LumoVisionImpl::hqTimeOut);

    m_cameraWidget = new CameraWidget(this, parent);
    m_cameraWidget->setDelegate(this);
    // The view is the stream's frame sink: without it the stream must go. The view is half destroyed when
    // this runs (its members are gone while the guard may still point at it): it is dropped first so that
    // closing the camera never calls into it.
    connect(m_cameraWidget, &QObject::destroyed, this, [this] {
        Locker locker(&serviceMutex);
        m_cameraWidget = nullptr;
        m_connection->viewDestroyed();
    });

    m_hqGrabber = new MinaroHQImageGrabber(this);
    m_parametersListener = new MinaroParametersListener(this);

    m_connection = std::make_unique<LumoVisionConnection>(&serviceMutex, m_cameraWidget, timings.selectRetryMs);
    connect(m_connection.get(), &LumoVisionConnection::opened, this, &LumoVisionImpl::cameraOpened);
    connect(m_connection.get(), &LumoVisionConnection::closing, this, &LumoVisionImpl::cameraClosing);
    connect(m_connection.get(), &LumoVisionConnection::closed, this, [this] {
        m_actionStatus = 0;
        emit actionStatusChanged(0);
    });
    connect(m_connection.get(), &LumoVisionConnection::disconnected, this, &LumoVisionIntf::docCamDisconnected);
}

LumoVisionImpl::~LumoVisionImpl()
{
    removeNotificationObserver(this, kInUseNotification, nullptr);
    removeNotificationObserver(this, kNoDocCamNotification, nullptr);
    m_hqTimer.disconnect(this);
    if (m_cameraWidget)
        m_cameraWidget->disconnect(this);
    // Closed first while the connection is still reachable: whoever hears the closing may ask the service.
    m_connection->release();
    m_connection.reset();
    delete m_hqGrabber;
    delete m_parametersListener;
    delete m_cameraWidget;
}

void LumoVisionImpl::release()
{
    if (releaseReference(serviceMutex))
        delete this;
}

QWidget *LumoVisionImpl::cameraWidget()
{
    Locker locker(&serviceMutex);
    return m_cameraWidget;
}

void LumoVisionImpl::showCameraWidget()
{
    Locker locker(&serviceMutex);
    if (m_cameraWidget)
        m_cameraWidget->show();
}

void LumoVisionImpl::hideCameraWidget()
{
    Locker locker(&serviceMutex);
    if (m_cameraWidget)
        m_cameraWidget->hide();
}

QSize LumoVisionImpl::cameraWidgetSizeFor(const QSize &area)
{
    Locker locker(&serviceMutex);
    LumoDocCam *camera = m_connection->camera();
    if (!camera)
        return area;
    const DocCamFormat format = camera->format();
    QSize picture(format.width, format.height);
    if (m_rotation == 90 || m_rotation == 270)
        picture.transpose();
    if (picture.width() <= 0 || picture.height() <= 0)
        return area;
    return picture.scaled(area, Qt::KeepAspectRatio);
}

void LumoVisionImpl::resizeCameraWidget(const QSize &size)
{
    Locker locker(&serviceMutex);
    if (m_cameraWidget)
        m_cameraWidget->resize(size);
}

bool LumoVisionImpl::isDocCamConnected()
{
    Locker locker(&serviceMutex);
    return m_connection->camera() && m_cameraWidget && !m_cameraWidget->frame().getQImage().isNull();
}

QString LumoVisionImpl::docCamName()
{
    Locker locker(&serviceMutex);
    LumoDocCam *camera = m_connection->camera();
    return camera ? camera->name() : QString();
}

int LumoVisionImpl::callStream(int (DocCamStream::*operation)())
{
    Locker locker(&serviceMutex);
    DocCamStream *stream = m_connection->stream();
    return stream ? (stream->*operation)() : kNoCamera;
}

int LumoVisionImpl::cachedValue(int value)
{
    Locker locker(&serviceMutex);
    return m_connection->camera() ? value : kNoCamera;
}

int LumoVisionImpl::autoFocus()
{
    return callStream(&DocCamStream::autoFocus);
}
int LumoVisionImpl::zoomIn()
{
    return callStream(&DocCamStream::zoomIn);
}
int LumoVisionImpl::zoomOut()
{
    return callStream(&DocCamStream::zoomOut);
}
int LumoVisionImpl::zoomReset()
{
    return callStream(&DocCamStream::zoomReset);
}

template<typename T>
int LumoVisionImpl::stepSetting(RequestedSetting<T> *setting, T reported, T (*next)(T), int (DocCamStream::*set)(T))
{
    Locker locker(&serviceMutex);
    DocCamStream *stream = m_connection->stream();
    if (!stream)
        return kNoCamera;
    const T value = next(setting->base(reported));
    const int result = (stream->*set)(value);
    if (result >= 0)
        setting->accepted(value);
    return result;
}

int LumoVisionImpl::toggleFreeze()
{
    return stepSetting<bool>(
        &m_askedFreeze, m_frozen, [](bool frozen) { return !frozen; }, &DocCamStream::setFreeze);
}

int LumoVisionImpl::rotate()
{
    return stepSetting<uint>(
        &m_askedRotation, m_rotation, [](uint degrees) { return (degrees + kRotationStep) % kFullTurn; },
        &DocCamStream::setRotation);
}

int LumoVisionImpl::toggleMirror()
{
    return stepSetting<bool>(
        &m_askedMirror, m_mirror, [](bool mirrored) { return !mirrored; }, &DocCamStream::setMirror);
}

int LumoVisionImpl::brightness()
{
    return cachedValue(int(m_brightness));
}

int LumoVisionImpl::setBrightness(uint value)
{
    Locker locker(&serviceMutex);
    DocCamStream *stream = m_connection->stream();
    if (!stream)
        return kNoCamera;
    if (value > kMaximumLevel)
        return kOutOfRange;
    return stream->setBrightness(value);
}

int LumoVisionImpl::increaseBrightness()
{
    return callStream(&DocCamStream::increaseBrightness);
}
int LumoVisionImpl::decreaseBrightness()
{
    return callStream(&DocCamStream::decreaseBrightness);
}
int LumoVisionImpl::contrast()
{
    return cachedValue(int(m_contrast));
}

int LumoVisionImpl::setContrast(uint value)
{
    Locker locker(&serviceMutex);
    DocCamStream *stream = m_connection->stream();
    if (!stream)
        return kNoCamera;
    if (value > kMaximumLevel)
        return kOutOfRange;
    const int result = stream->setContrast(value);
    lumoVisionLog(LogSystem::LOG_DEBUG, "LumoVisionImpl::setContrast : %d, return : %d", int(value), result);
    if (result == CameraCodes::TuningInProgress)
        runTuningDialog();
    return result;
}

int LumoVisionImpl::increaseContrast()
{
    return callStream(&DocCamStream::increaseContrast);
}
int LumoVisionImpl::decreaseContrast()
{
    return callStream(&DocCamStream::decreaseContrast);
}
int LumoVisionImpl::exposure()
{
    return cachedValue(m_exposure);
}
int LumoVisionImpl::isAutoExposure()
{
    return cachedValue(m_autoExposure ? 1 : 0);
}

int LumoVisionImpl::setAutoExposure(bool automatic)
{
    Locker locker(&serviceMutex);
    DocCamStream *stream = m_connection->stream();
    return stream ? stream->setAutoExposure(automatic) : kNoCamera;
}

int LumoVisionImpl::increaseExposure()
{
    return callStream(&DocCamStream::increaseExposure);
}
int LumoVisionImpl::decreaseExposure()
{
    return callStream(&DocCamStream::decreaseExposure);
}
int LumoVisionImpl::focusFar()
{
    return callStream(&DocCamStream::focusFar);
}
int LumoVisionImpl::focusNear()
{
    return callStream(&DocCamStream::focusNear);
}
int LumoVisionImpl::colorEffect()
{
    return cachedValue(m_colorEffect);
}

int LumoVisionImpl::setColorEffect(int effect)
{
    Locker locker(&serviceMutex);
    DocCamStream *stream = m_connection->stream();
    if (!stream)
        return kNoCamera;
    switch (effect) {
    case EFFECT_NORMAL:
        return stream->setColorEffect(CameraParameters::ColorEffectNone);
    case EFFECT_BLACK_WHITE:
        return stream->setColorEffect(CameraParameters::ColorEffectBlackWhite);
    case EFFECT_NEGATIVE:
        return stream->setColorEffect(CameraParameters::ColorEffectNegative);
    default:
        return kOutOfRange;
    }
}

int LumoVisionImpl::isAutoWhiteBalance()
{
    return cachedValue(m_autoWhiteBalance ? 1 : 0);
}

int LumoVisionImpl::setAutoWhiteBalance(bool automatic)
{
    Locker locker(&serviceMutex);
    DocCamStream *stream = m_connection->stream();
    return stream ? stream->setAutoWhiteBalance(automatic) : kNoCamera;
}

int LumoVisionImpl::increaseRed()
{
    return callStream(&DocCamStream::increaseRed);
}
int LumoVisionImpl::decreaseRed()
{
    return callStream(&DocCamStream::decreaseRed);
}
int LumoVisionImpl::increaseBlue()
{
    return callStream(&DocCamStream::increaseBlue);
}
int LumoVisionImpl::decreaseBlue()
{
    return callStream(&DocCamStream::decreaseBlue);
}
int LumoVisionImpl::isAutoImage()
{
    return cachedValue(m_autoImage ? 1 : 0);
}

int LumoVisionImpl::setAutoImage(bool automatic)
{
    Locker locker(&serviceMutex);
    DocCamStream *stream = m_connection->stream();
    return stream ? stream->setAutoImage(automatic) : kNoCamera;
}

int LumoVisionImpl::docCamMode()
{
    return cachedValue(m_mode);
}

int LumoVisionImpl::setDocCamMode(int mode)
{
    Locker locker(&serviceMutex);
    DocCamStream *stream = m_connection->stream();
    if (!stream)
        return kNoCamera;
    switch (mode) {
    case MODE_NORMAL:
        return stream->setMode(CameraParameters::ModeNormal);
    case MODE_ENHANCE:
        return stream->setMode(CameraParameters::ModeEnhance);
    case MODE_WIDE_ANGLE:
        return stream->setWideAngle(true);
    case MODE_MICROSCOPE:
        return stream->setMode(CameraParameters::ModeMicroscope);
    case MODE_INFINITE:
        return stream->setMode(CameraParameters::ModeInfinite);
    case MODE_MACRO:
        return stream->setMode(CameraParameters::ModeMacro);
    default:
        return kNoCamera;
    }
}

uint LumoVisionImpl::actionStatus()
{
    Locker locker(&serviceMutex);
    return m_actionStatus;
}

int LumoVisionImpl::grabCurrentFrame(QImage *image)
{
    Locker locker(&serviceMutex);
    LumoDocCam *camera = m_connection->camera();
    return camera ? camera->copyCurrentFrame(image, 0) : kNoCamera;
}

int LumoVisionImpl::requestHQImage()
{
    Locker locker(&serviceMutex);
    LumoDocCam *camera = m_connection->camera();
    if (!camera)
        return kNoCamera;
    if (!camera->supportsHQImage())
        return kNotSupported;
    if (m_frozen)
        return kFrozen;
    if (m_hqPending)
        return 0;
    const int result = camera->requestHQImage();
    if (result < 0)
        return result;
    m_hqPending = true;
    m_hqTimer.start();
    return 0;
}

void LumoVisionImpl::reservedOperation()
{
    Locker locker(&serviceMutex);
}

int LumoVisionImpl::releaseDocCam()
{
    Locker locker(&serviceMutex);
    if (!m_connection->hasCameras())
        return kNoCamera;
    m_connection->release();
    return 0;
}

int LumoVisionImpl::reconnectDocCam()
{
    Locker locker(&serviceMutex);
    if (!m_connection->hasCameras())
        return kNoCamera;
    return m_connection->reconnect() ? 0 : kReconnectFailed;
}

void LumoVisionImpl::docCamArrived(LumoDocCam *camera)
{
    m_connection->docCamArrived(camera);
}

void LumoVisionImpl::docCamRemoved(LumoDocCam *camera)
{
    m_connection->docCamRemoved(camera);
}

void LumoVisionImpl::hqImageArrived(const QImage &image)
{
    Locker locker(&serviceMutex);
    if (!image.isNull() || m_hqPending) {
        m_hqPending = false;
        m_hqTimer.stop();
        emit hqImageCaptured(image);
        return;
    }
    // A still nobody asked for, without a picture: the camera's own capture button. Taken as a snapshot.
    QTimer::singleShot(1, this, &LumoVisionImpl::triggerCaptureVision);
}

void LumoVisionImpl::hqTimeOut()
{
    Locker locker(&serviceMutex);
    if (!m_hqPending)
        return;
    m_hqPending = false;
    emit hqImageCaptureAborted(kStillTimedOut);
}

void LumoVisionImpl::triggerCaptureVision()
{
    Locker locker(&serviceMutex);
    CaptureIntf *capture = CaptureImpl::getInstance();
    QString path;
    capture->captureVision(&path);
    capture->release();
}

void LumoVisionImpl::firstFrameArrived(CameraWidget *)
{
    LumoDocCam *camera = m_connection->camera();
    if (camera)
        emit docCamConnected(camera->name());
}

void LumoVisionImpl::requestNextFrame(CameraWidget *)
{
    DocCamStream *stream = m_connection->stream();
    if (stream)
        stream->requestNextFrame();
}

void LumoVisionImpl::notificationReceived(const QString &name)
{
    if (name == kInUseNotification)
        m_connection->noteInUse();
    else if (name == kNoDocCamNotification)
        m_connection->noteNotConnected();
}

void LumoVisionImpl::cameraOpened(LumoDocCam *camera)
{
    camera->addHQImageGrabber(m_hqGrabber);
    camera->addParametersListener(m_parametersListener);
    m_capabilitiesLimitedHandled = false;
    // Echoes still on their way from a camera closed before belong to no request of this one.
    m_askedRotation.reset();
    m_askedMirror.reset();
    m_askedFreeze.reset();
    readParameters();
    buildActionStatus();
}

void LumoVisionImpl::cameraClosing(LumoDocCam *camera)
{
    camera->removeParametersListener(m_parametersListener);
    camera->removeHQImageGrabber(m_hqGrabber);
    // The end of tuning can no longer arrive: the dialog goes with the camera.
    if (m_tuningDialog)
        m_tuningDialog->reject();
    if (m_hqPending) {
        m_hqPending = false;
        m_hqTimer.stop();
        emit hqImageCaptureAborted(kStillCameraClosed);
    }
}

void LumoVisionImpl::readParameters()
{
    LumoDocCam *camera = m_connection->camera();
    camera->getBrightness(&m_brightness);
    camera->getContrast(&m_contrast);
    camera->getZoomRatio(&m_zoomRatio);
    camera->getRotation(&m_rotation);
    camera->getMirror(&m_mirror);
    camera->getFreeze(&m_frozen);
    camera->getAutoWhiteBalance(&m_autoWhiteBalance);
    camera->getAutoExposure(&m_autoExposure);
    camera->getExposure(&m_exposure);
    camera->getAutoImage(&m_autoImage);
    int code = CameraParameters::ColorEffectNone;
    camera->getColorEffect(&code);
    if (const int effect = effectFromCode(code); effect >= 0)
        m_colorEffect = effect;
    camera->getMode(&m_modeBits);
    camera->getWideAngle(&m_wideAngle);
    updateMode();

    emit brightnessChanged(int(m_brightness));
    emit contrastChanged(int(m_contrast));
    emit zoomRatioChanged(m_zoomRatio);
    emit rotationChanged(m_rotation);
    emit autoWhiteBalanceChanged(m_autoWhiteBalance);
    emit autoExposureChanged(m_autoExposure);
    emit exposureChanged(m_exposure);
    emit autoImageChanged(m_autoImage);
    emit colorEffectChanged(m_colorEffect);
    emit docCamModeChanged(m_mode);
    emit freezeStatusChanged(m_frozen);
}

LumoVisionStatus::Settings LumoVisionImpl::statusSettings() const
{
    LumoVisionStatus::Settings settings;
    settings.autoExposure = m_autoExposure;
    settings.autoWhiteBalance = m_autoWhiteBalance;
    settings.blackWhite = m_colorEffect == EFFECT_BLACK_WHITE;
    return settings;
}

void LumoVisionImpl::deriveWhiteBalanceBits()
{
    LumoDocCam *camera = m_connection->camera();
    const bool offered = camera && camera->canSetWhiteBalance() && camera->canAdjustColorGains();
    m_actionStatus = LumoVisionStatus::withWhiteBalance(m_actionStatus, camera != nullptr, offered, statusSettings());
}

void LumoVisionImpl::buildActionStatus()
{
    m_actionStatus = LumoVisionStatus::mask(LumoVisionStatus::offersOf(m_connection->camera()), statusSettings());
    emitActionStatus();
}

void LumoVisionImpl::emitActionStatus()
{
    emit actionStatusChanged(m_frozen ? uint(FREEZE) : m_actionStatus);
}

void LumoVisionImpl::updateMode()
{
    int mode = MODE_NORMAL;
    if (m_wideAngle) {
        mode = MODE_WIDE_ANGLE;
    } else {
        switch (m_modeBits) {
        case CameraParameters::ModeEnhance:
            mode = MODE_ENHANCE;
            break;
        case CameraParameters::ModeMicroscope:
            mode = MODE_MICROSCOPE;
            break;
        case CameraParameters::ModeMacro:
            mode = MODE_MACRO;
            break;
        case CameraParameters::ModeInfinite:
            mode = MODE_INFINITE;
            break;
        default:
            break;
        }
    }
    if (mode == m_mode)
        return;
    m_mode = mode;
    emit docCamModeChanged(m_mode);
}

void LumoVisionImpl::brightnessValueChanged(uint value)
{
    Locker locker(&serviceMutex);
    if (value == m_brightness)
        return;
    m_brightness = value;
    emit brightnessChanged(int(value));
}

void LumoVisionImpl::contrastValueChanged(uint value)
{
    Locker locker(&serviceMutex);
    if (value == m_contrast)
        return;
    m_contrast = value;
    // While tuning runs the value settles; the dialog's end announces the final one.
    if (!m_tuningDialog)
        emit contrastChanged(int(value));
}

void LumoVisionImpl::zoomRatioValueChanged(double ratio)
{
    Locker locker(&serviceMutex);
    if (qFuzzyCompare(ratio, m_zoomRatio))
        return;
    m_zoomRatio = ratio;
    emit zoomRatioChanged(ratio);
    lumoVisionLog(LogSystem::LOG_DEBUG, "LumoVisionImpl::zoomRatioValueChanged - DocCam zoom to %f", ratio);
}

void LumoVisionImpl::rotationChanged(uint degrees)
{
    Locker locker(&serviceMutex);
    m_askedRotation.reported();
    if (degrees == m_rotation)
        return;
    m_rotation = degrees;
    emit LumoVisionIntf::rotationChanged(degrees);
    lumoVisionLog(LogSystem::LOG_DEBUG, "LumoVisionImpl::rotationChanged - DocCam rotate to %u degree", degrees);
}

void LumoVisionImpl::mirrorValueChanged(bool mirrored)
{
    Locker locker(&serviceMutex);
    m_askedMirror.reported();
    if (mirrored == m_mirror)
        return;
    m_mirror = mirrored;
    emit mirrorChanged(mirrored);
}

void LumoVisionImpl::freezeValueChanged(bool frozen)
{
    Locker locker(&serviceMutex);
    m_askedFreeze.reported();
    if (frozen == m_frozen)
        return;
    m_frozen = frozen;
    emitActionStatus();
    emit freezeStatusChanged(frozen);
}

void LumoVisionImpl::autoWhiteBalanceValueChanged(bool automatic)
{
    Locker locker(&serviceMutex);
    if (automatic == m_autoWhiteBalance)
        return;
    m_autoWhiteBalance = automatic;
    emit autoWhiteBalanceChanged(automatic);
    deriveWhiteBalanceBits();
    emitActionStatus();
}

void LumoVisionImpl::autoExposureValueChanged(bool automatic)
{
    Locker locker(&serviceMutex);
    if (automatic == m_autoExposure)
        return;
    m_autoExposure = automatic;
    emit autoExposureChanged(automatic);
    if (automatic)
        m_actionStatus &= ~uint(MANUAL_EXPOSURE);
    else
        m_actionStatus |= MANUAL_EXPOSURE;
    emitActionStatus();
}

void LumoVisionImpl::exposureValueChanged(int value)
{
    Locker locker(&serviceMutex);
    if (value == m_exposure)
        return;
    m_exposure = value;
    emit exposureChanged(value);
}

void LumoVisionImpl::autoImageValueChanged(bool automatic)
{
    Locker locker(&serviceMutex);
    if (automatic == m_autoImage)
        return;
    m_autoImage = automatic;
    emit autoImageChanged(automatic);
}

void LumoVisionImpl::colorEffectValueChanged(int code)
{
    Locker locker(&serviceMutex);
    const int effect = qMax(effectFromCode(code), int(EFFECT_NORMAL));
    if (effect == m_colorEffect)
        return;
    m_colorEffect = effect;
    emit colorEffectChanged(effect);
    deriveWhiteBalanceBits();
    emitActionStatus();
}

void LumoVisionImpl::modeValueChanged(uint modeBits)
{
    Locker locker(&serviceMutex);
    m_modeBits = modeBits;
    updateMode();
}

void LumoVisionImpl::wideAngleValueChanged(bool wide)
{
    Locker locker(&serviceMutex);
    m_wideAngle = wide;
    updateMode();
}

void LumoVisionImpl::buttonEventReceived(uint button)
{
    // The camera's own rotate button.
    if (button == 1)
        rotate();
}

void LumoVisionImpl::capabilitiesLimited(LumoDocCam *camera)
{
    if (m_capabilitiesLimitedHandled || !m_connection->camera() || camera != m_connection->camera())
        return;
    m_capabilitiesLimitedHandled = true;
    m_actionStatus &= ~kModeBitsMask;
    emitActionStatus();
}

void LumoVisionImpl::parameterTuningProcessStarted(LumoDocCam *)
{
    Locker locker(&serviceMutex);
}

void LumoVisionImpl::parameterTuningProcessEnded(LumoDocCam *camera)
{
    Locker locker(&serviceMutex);
    if (!m_tuningDialog || camera != m_connection->camera())
        return;
    m_tuningDialog->done(QDialog::Accepted);
    lumoVisionLog(LogSystem::LOG_WARNING, "LumoVisionImpl::parameterTuningProcessEnded");
}

void LumoVisionImpl::runTuningDialog()
{
    auto *dialog = new BusyDialog(BusyDialog::parentFor(m_cameraWidget), tr("Parameter tuning..."));
    m_tuningDialog = dialog;

    // The parent may go while the dialog runs (the view with the camera, the active window on its own).
    const QPointer<QDialog> guard(dialog);
    dialog->exec();
    if (guard)
        guard->deleteLater();
    m_tuningDialog = nullptr;
    emit contrastChanged(int(m_contrast));
}
