#pragma once

#include "LumoVisionImpl.h"
#include "MessageBoxScript.h"
#include "VirtualCameraProfile.h"

#include <QObject>
#include <QStringList>

class VirtualDocCam;

// A document-camera service over virtual cameras, with every message box answered and recorded, and short
// waits. Gives everything back when it goes: the service, the cameras and their deferred deletions, so the
// next test starts from nothing.
class DocCamServiceRig
{
public:
    // Waits of the service in tests: long enough for a virtual still (kStillDelayMs) to arrive in time even
    // in a sanitized build on a loaded machine, where 250 ms were seen to run out.
    static constexpr int kHqTimeoutMs = 1000;
    static constexpr int kRetryMs = 50;
    static constexpr int kStillDelayMs = 20;

    DocCamServiceRig();
    ~DocCamServiceRig();
    DocCamServiceRig(const DocCamServiceRig &) = delete;
    DocCamServiceRig &operator=(const DocCamServiceRig &) = delete;

    static VirtualCameraProfile profile(const QString &name, const QSize &size = QSize(640, 480));
    VirtualDocCam *plug(const QString &name);
    VirtualDocCam *plug(const VirtualCameraProfile &profile);
    LumoVisionImpl *start();
    // Plugs the camera, starts the service and waits until the camera shows and its opening reports are
    // in; null when it does not open.
    VirtualDocCam *open(const VirtualCameraProfile &profile);
    // The named camera is open and its live view holds a picture.
    bool waitOpen(const QString &name);

    LumoVisionImpl *service = nullptr;
    MessageBoxScript boxes;
};

// Every signal of the service as a line of text ("brightness 60", "status 0x10", ...), in order.
class ServiceSignalLog
{
public:
    explicit ServiceSignalLog(LumoVisionIntf *service);
    QStringList lines;
    QStringList take();

private:
    QObject m_context;
};
