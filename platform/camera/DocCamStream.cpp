#include "DocCamStream.h"

#include "CameraCodes.h"
#include "CameraImage.h"
#include "CameraLog.h"
#include "CameraParameters.h"
#include "FrameSource.h"
#include "LumoDocCam.h"
#include "QImageFrameGrabber.h"
#include "StreamWorker.h"

DocCamStream::DocCamStream(LumoDocCam *camera, QImageFrameGrabber *grabber, std::unique_ptr<FrameSource> source)
    : m_camera(camera)
    , m_grabber(grabber)
    , m_source(std::move(source))
{
    m_camera->retain();
}

DocCamStream::~DocCamStream()
{
    stopWorker();
    if (m_state == State::Started)
        m_camera->streamEnded(this);
    m_camera->release();
}

void DocCamStream::stopWorker()
{
    // The worker stops and closes the device on its own thread; nothing here waits for the driver.
    if (m_worker)
        m_worker.release()->retire();
}

int DocCamStream::start()
{
    // A UVC camera takes up to about a second to switch streaming on; three times that is a stalled driver,
    // and the selection goes on to the next camera instead of freezing the window.
    constexpr int kSetupDeadlineMs = 3000;
    if (m_state != State::Opened)
        return m_state == State::Started ? CameraCodes::Success : CameraCodes::StreamClosed;
    if (m_camera->streamingStream())
        return CameraCodes::DeviceBusy;
    if (!m_source)
        return CameraCodes::StreamClosed;
    m_worker = std::make_unique<StreamWorker>(
        std::move(m_source),
        [this](const QImage &frame) {
            QMetaObject::invokeMethod(
                this, [this, frame] { deliverFrame(frame); }, Qt::QueuedConnection);
        },
        [this](int code) {
            QMetaObject::invokeMethod(
                this, [this, code] { deliverEnd(code); }, Qt::QueuedConnection);
        });
    const int result = m_worker->startStreaming(kSetupDeadlineMs);
    if (result < 0) {
        if (result == CameraCodes::DeviceError)
            cameraLog(LogSystem::LOG_WARNING, "DocCamStream::start - set-up failed or stalled");
        stopWorker();
        m_state = State::Ended;
        return result;
    }
    m_state = State::Started;
    m_camera->streamStarted(this);
    return CameraCodes::Success;
}

void DocCamStream::release()
{
    if (m_state == State::Released)
        return;
    stopWorker();
    if (m_state == State::Started)
        m_camera->streamEnded(this);
    m_state = State::Released;
    m_grabber = nullptr;
    deleteLater();
}

void DocCamStream::activate()
{
    requestNextFrame();
}

void DocCamStream::requestNextFrame()
{
    if (m_state == State::Started && m_worker)
        m_worker->requestFrame();
}

QImage DocCamStream::freshFrame()
{
    // Two frames of a slow (15 fps) camera plus the decoding of a large JPEG: a camera that gives nothing in
    // that time has stalled, and its last picture is the best there is.
    constexpr int kFreshFrameWaitMs = 300;
    if (m_state != State::Started || !m_worker)
        return m_lastFrame;
    const QImage fresh = m_worker->takeFreshPicture(kFreshFrameWaitMs);
    if (fresh.isNull()) {
        cameraLog(LogSystem::LOG_WARNING, "DocCamStream::freshFrame - no frame within %d ms, the last one is used",
                  kFreshFrameWaitMs);
        return m_lastFrame;
    }
    return fresh;
}

void DocCamStream::setAdjust(const FrameAdjust &adjust, bool frozen)
{
    if (m_worker)
        m_worker->setAdjust(adjust, frozen);
}

void DocCamStream::endStream(int code)
{
    if (m_state != State::Started)
        return;
    stopWorker();
    QMetaObject::invokeMethod(
        this, [this, code] { deliverEnd(code); }, Qt::QueuedConnection);
}

void DocCamStream::deliverFrame(const QImage &frame)
{
    if (m_state != State::Started || !m_grabber)
        return;
    m_lastFrame = frame;
    m_grabber->oneFrameFetched(this, CameraImage(frame));
}

void DocCamStream::deliverEnd(int code)
{
    if (m_state != State::Started)
        return;
    m_state = State::Ended;
    stopWorker();
    m_camera->streamEnded(this);
    if (m_grabber)
        m_grabber->streamStopped(this, code);
}

int DocCamStream::set(CameraParameter parameter, double value)
{
    if (m_state == State::Released)
        return CameraCodes::StreamClosed;
    return m_camera->setParameter(parameter, value);
}

int DocCamStream::step(CameraParameter parameter, double delta)
{
    if (m_state == State::Released)
        return CameraCodes::StreamClosed;
    return m_camera->stepParameter(parameter, delta);
}

int DocCamStream::setBrightness(uint value)
{
    return set(CameraParameter::Brightness, value);
}
int DocCamStream::increaseBrightness()
{
    return step(CameraParameter::Brightness, CameraParameters::LevelStep);
}
int DocCamStream::decreaseBrightness()
{
    return step(CameraParameter::Brightness, -CameraParameters::LevelStep);
}
int DocCamStream::setContrast(uint value)
{
    return set(CameraParameter::Contrast, value);
}
int DocCamStream::increaseContrast()
{
    return step(CameraParameter::Contrast, CameraParameters::LevelStep);
}
int DocCamStream::decreaseContrast()
{
    return step(CameraParameter::Contrast, -CameraParameters::LevelStep);
}
int DocCamStream::zoomIn()
{
    return step(CameraParameter::ZoomRatio, CameraParameters::ZoomStep);
}
int DocCamStream::zoomOut()
{
    return step(CameraParameter::ZoomRatio, -CameraParameters::ZoomStep);
}
int DocCamStream::zoomReset()
{
    return set(CameraParameter::ZoomRatio, CameraParameters::ZoomMinimum);
}
int DocCamStream::setRotation(uint degrees)
{
    return set(CameraParameter::Rotation, degrees);
}
int DocCamStream::setMirror(bool mirrored)
{
    return set(CameraParameter::Mirror, mirrored);
}
int DocCamStream::setFreeze(bool frozen)
{
    return set(CameraParameter::Freeze, frozen);
}
int DocCamStream::setAutoWhiteBalance(bool automatic)
{
    return set(CameraParameter::AutoWhiteBalance, automatic);
}
int DocCamStream::increaseRed()
{
    return step(CameraParameter::WhiteBalanceRed, CameraParameters::LevelStep);
}
int DocCamStream::decreaseRed()
{
    return step(CameraParameter::WhiteBalanceRed, -CameraParameters::LevelStep);
}
int DocCamStream::increaseBlue()
{
    return step(CameraParameter::WhiteBalanceBlue, CameraParameters::LevelStep);
}
int DocCamStream::decreaseBlue()
{
    return step(CameraParameter::WhiteBalanceBlue, -CameraParameters::LevelStep);
}
int DocCamStream::setAutoExposure(bool automatic)
{
    return set(CameraParameter::AutoExposure, automatic);
}
int DocCamStream::increaseExposure()
{
    return step(CameraParameter::Exposure, CameraParameters::LevelStep);
}
int DocCamStream::decreaseExposure()
{
    return step(CameraParameter::Exposure, -CameraParameters::LevelStep);
}
int DocCamStream::setAutoImage(bool automatic)
{
    return set(CameraParameter::AutoImage, automatic);
}
int DocCamStream::setColorEffect(int code)
{
    return set(CameraParameter::ColorEffect, code);
}
int DocCamStream::setMode(uint modeBits)
{
    return set(CameraParameter::Mode, modeBits);
}
int DocCamStream::setWideAngle(bool wide)
{
    return set(CameraParameter::WideAngle, wide);
}

int DocCamStream::autoFocus()
{
    return m_state == State::Released ? CameraCodes::StreamClosed : m_camera->focus(LumoDocCam::FocusAction::Auto);
}

int DocCamStream::focusNear()
{
    return m_state == State::Released ? CameraCodes::StreamClosed : m_camera->focus(LumoDocCam::FocusAction::Near);
}

int DocCamStream::focusFar()
{
    return m_state == State::Released ? CameraCodes::StreamClosed : m_camera->focus(LumoDocCam::FocusAction::Far);
}
