#pragma once

#include "CameraCapabilities.h"
#include "CameraParameter.h"
#include "CameraParameters.h"
#include "LumoDocCam.h"
#include "V4l2Support.h"

#include <QHash>

class V4l2Io;

// A device's controls, mapped onto the camera's parameters: which it has, in what range, and how a
// parameter value is written and read back.
class V4l2Controls
{
public:
    V4l2Controls(V4l2Io *io, int fd);

    bool has(CameraParameter parameter) const;
    // Writes a parameter value; *actual gets the value the device took. 0 or a negative CameraCodes value.
    int set(CameraParameter parameter, double value, double *actual);
    int focus(LumoDocCam::FocusAction action);
    // Fills in what the controls offer; everything else stays as given.
    CameraCapabilities capabilities(CameraCapabilities base) const;
    // The device's current values for the parameters it has.
    CameraParameters read(CameraParameters base) const;

private:
    struct Control
    {
        quint32 id;
        V4l2Support::ControlRange range;
    };

    void probe(quint32 id);
    bool hasControl(quint32 id) const { return m_controls.contains(id); }
    bool menuHas(quint32 id, int index) const;
    int write(quint32 id, int value);
    int readValue(quint32 id, int *value) const;
    int toDevice(CameraParameter parameter, double value) const;
    double fromDevice(CameraParameter parameter, int value) const;

    V4l2Io *m_io;
    int m_fd;
    QHash<quint32, Control> m_controls;
};
