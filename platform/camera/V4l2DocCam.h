#pragma once

#include "LumoDocCam.h"

#include <QByteArray>

#include <memory>

class V4l2Controls;
class V4l2Io;

// A V4L2 capture device. It keeps one descriptor open for its controls; streams open their own.
class V4l2DocCam : public LumoDocCam
{
    Q_OBJECT

public:
    // Takes over controlFd (closed with the camera).
    V4l2DocCam(V4l2Io *io, const QByteArray &devicePath, int controlFd, const CameraIdentity &identity);
    ~V4l2DocCam() override;

    QByteArray devicePath() const { return m_path; }

protected:
    std::unique_ptr<FrameSource> createSource(const DocCamFormat &format) override;
    bool hasDeviceControl(CameraParameter parameter) const override;
    int writeDeviceControl(CameraParameter parameter, double value, double *actual) override;
    int runDeviceFocus(FocusAction action) override;

private:
    V4l2Io *m_io;
    QByteArray m_path;
    int m_controlFd;
    std::unique_ptr<V4l2Controls> m_controls;
};
