#include "VirtualDocCam.h"

#include "CameraCodes.h"
#include "DocCamStream.h"
#include "VirtualFrameSource.h"
#include "VirtualPicture.h"

#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

VirtualDocCam::VirtualDocCam(const VirtualCameraProfile &profile)
    : LumoDocCam(profile.identity, profile.capabilities)
    , m_profile(profile)
{
}

std::unique_ptr<FrameSource> VirtualDocCam::createSource(const DocCamFormat &format)
{
    return std::make_unique<VirtualFrameSource>(QSize(format.width, format.height), format.framesPerSecond, name(),
                                                m_startResult);
}

int VirtualDocCam::openCheck() const
{
    return m_openResult < 0 ? m_openResult : CameraCodes::Success;
}

int VirtualDocCam::requestHQImage()
{
    ++m_stillRequests;
    if (!supportsHQImage())
        return CameraCodes::NotSupported;
    switch (m_still) {
    case StillBehaviour::Refuse:
        return m_refusalCode;
    case StillBehaviour::Never:
        return CameraCodes::Success;
    case StillBehaviour::DeliverNull:
        QTimer::singleShot(m_stillDelayMs, this, [this] { deliverHQImage(CameraCodes::Success, QImage()); });
        return CameraCodes::Success;
    case StillBehaviour::Deliver:
        break;
    }
    const FrameAdjust adjust = softwareAdjust();
    const QSize size = m_profile.stillSize;
    const QString cameraName = name();
    QTimer::singleShot(m_stillDelayMs, this, [this, adjust, size, cameraName] {
        // Drawn off the GUI thread: a still is four times a live frame.
        auto *watcher = new QFutureWatcher<QImage>(this);
        connect(watcher, &QFutureWatcher<QImage>::finished, this, [this, watcher] {
            deliverHQImage(CameraCodes::Success, watcher->result());
            watcher->deleteLater();
        });
        watcher->setFuture(QtConcurrent::run([adjust, size, cameraName] {
            return adjust.apply(VirtualPicture(size, cameraName).render(0, 1));
        }));
    });
    return CameraCodes::Success;
}

int VirtualDocCam::setParameter(CameraParameter parameter, double value)
{
    const int result = LumoDocCam::setParameter(parameter, value);
    if (result < 0 || parameter != CameraParameter::Contrast || !m_tuning)
        return result;
    reportTuning(true);
    QTimer::singleShot(m_tuningMs, this, [this] { reportTuning(false); });
    return CameraCodes::TuningInProgress;
}

void VirtualDocCam::setOpenResult(int code)
{
    m_openResult = code;
}
void VirtualDocCam::setStartResult(int code)
{
    m_startResult = code;
}
void VirtualDocCam::setCapabilitiesForNextOpen(const CameraCapabilities &capabilities)
{
    setCapabilities(capabilities);
}

void VirtualDocCam::setStillBehaviour(StillBehaviour behaviour, int delayMs, int refusalCode)
{
    m_still = behaviour;
    m_stillDelayMs = delayMs;
    m_refusalCode = refusalCode;
}

void VirtualDocCam::setContrastTuning(bool enabled, int durationMs)
{
    m_tuning = enabled;
    m_tuningMs = durationMs;
}

void VirtualDocCam::stopStream(int code)
{
    if (streamingStream())
        streamingStream()->endStream(code);
}

void VirtualDocCam::pressButton(uint button)
{
    reportButton(button);
}
void VirtualDocCam::limitCapabilities()
{
    reportCapabilitiesLimited();
}
void VirtualDocCam::changeParameter(CameraParameter parameter, double value)
{
    parameterChangedOnDevice(parameter, value);
}
