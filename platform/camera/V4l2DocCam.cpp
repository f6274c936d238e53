#include "V4l2DocCam.h"

#include "V4l2Controls.h"
#include "V4l2FrameSource.h"
#include "V4l2Io.h"

V4l2DocCam::V4l2DocCam(V4l2Io *io, const QByteArray &devicePath, int controlFd, const CameraIdentity &identity)
    : LumoDocCam(identity, CameraCapabilities())
    , m_io(io)
    , m_path(devicePath)
    , m_controlFd(controlFd)
    , m_controls(std::make_unique<V4l2Controls>(io, controlFd))
{
    // UVC cameras have no still-image path the driver exposes, nor document-camera modes.
    CameraCapabilities base;
    base.hqImage = false;
    setCapabilities(m_controls->capabilities(base));
    setInitialParameters(m_controls->read(CameraParameters()));
}

V4l2DocCam::~V4l2DocCam()
{
    m_controls.reset();
    m_io->close(m_controlFd);
}

std::unique_ptr<FrameSource> V4l2DocCam::createSource(const DocCamFormat &format)
{
    return std::make_unique<V4l2FrameSource>(m_io, m_path, format);
}

bool V4l2DocCam::hasDeviceControl(CameraParameter parameter) const
{
    return m_controls->has(parameter);
}

int V4l2DocCam::writeDeviceControl(CameraParameter parameter, double value, double *actual)
{
    return m_controls->set(parameter, value, actual);
}

int V4l2DocCam::runDeviceFocus(FocusAction action)
{
    return m_controls->focus(action);
}
