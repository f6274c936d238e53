#include "DocCamStream.h"

#include "CameraCodes.h"
#include "CameraImage.h"
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
    if (!m_worker)
        return;
    m_worker->stop();
    m_worker.reset();
    m_source->close();
}

int DocCamStream::start()
{
    if (m_state != State::Opened)
        return m_state == State::Started ? CameraCodes::Success : CameraCodes::StreamClosed;
    if (m_camera->streamingStream())
        return CameraCodes::DeviceBusy;
    const int result = m_source->open();
    if (result < 0)
        return result;
    m_state = State::Started;
    m_worker = std::make_unique<StreamWorker>(
        m_source.get(),
        [this](const QImage &frame) {
            QMetaObject::invokeMethod(this, [this, frame] { deliverFrame(frame); }, Qt::QueuedConnection);
        },
        [this](int code) { QMetaObject::invokeMethod(this, [this, code] { deliverEnd(code); }, Qt::QueuedConnection); });
    m_camera->streamStarted(this);
    m_worker->start();
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
    QMetaObject::invokeMethod(this, [this, code] { deliverEnd(code); }, Qt::QueuedConnection);
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

int DocCamStream::setBrightness(uint value) { return set(CameraParameter::Brightness, value); }
int DocCamStream::increaseBrightness() { return step(CameraParameter::Brightness, CameraParameters::LevelStep); }
int DocCamStream::decreaseBrightness() { return step(CameraParameter::Brightness, -CameraParameters::LevelStep); }
int DocCamStream::setContrast(uint value) { return set(CameraParameter::Contrast, value); }
int DocCamStream::increaseContrast() { return step(CameraParameter::Contrast, CameraParameters::LevelStep); }
int DocCamStream::decreaseContrast() { return step(CameraParameter::Contrast, -CameraParameters::LevelStep); }
int DocCamStream::zoomIn() { return step(CameraParameter::ZoomRatio, CameraParameters::ZoomStep); }
int DocCamStream::zoomOut() { return step(CameraParameter::ZoomRatio, -CameraParameters::ZoomStep); }
int DocCamStream::zoomReset() { return set(CameraParameter::ZoomRatio, CameraParameters::ZoomMinimum); }
int DocCamStream::setRotation(uint degrees) { return set(CameraParameter::Rotation, degrees); }
int DocCamStream::setMirror(bool mirrored) { return set(CameraParameter::Mirror, mirrored); }
int DocCamStream::setFreeze(bool frozen) { return set(CameraParameter::Freeze, frozen); }
int DocCamStream::setAutoWhiteBalance(bool automatic) { return set(CameraParameter::AutoWhiteBalance, automatic); }
int DocCamStream::increaseRed() { return step(CameraParameter::WhiteBalanceRed, CameraParameters::LevelStep); }
int DocCamStream::decreaseRed() { return step(CameraParameter::WhiteBalanceRed, -CameraParameters::LevelStep); }
int DocCamStream::increaseBlue() { return step(CameraParameter::WhiteBalanceBlue, CameraParameters::LevelStep); }
int DocCamStream::decreaseBlue() { return step(CameraParameter::WhiteBalanceBlue, -CameraParameters::LevelStep); }
int DocCamStream::setAutoExposure(bool automatic) { return set(CameraParameter::AutoExposure, automatic); }
int DocCamStream::increaseExposure() { return step(CameraParameter::Exposure, CameraParameters::LevelStep); }
int DocCamStream::decreaseExposure() { return step(CameraParameter::Exposure, -CameraParameters::LevelStep); }
int DocCamStream::setAutoImage(bool automatic) { return set(CameraParameter::AutoImage, automatic); }
int DocCamStream::setColorEffect(int code) { return set(CameraParameter::ColorEffect, code); }
int DocCamStream::setMode(uint modeBits) { return set(CameraParameter::Mode, modeBits); }
int DocCamStream::setWideAngle(bool wide) { return set(CameraParameter::WideAngle, wide); }

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
