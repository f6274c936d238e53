#pragma once

#include "LumoDocCam.h"
#include "VirtualCameraProfile.h"

// A camera without a device: it draws its own picture (VirtualPicture) and applies every control in
// software. Tests script it to behave like any camera the program may meet.
class VirtualDocCam : public LumoDocCam
{
    Q_OBJECT

public:
    enum class StillBehaviour { Deliver, DeliverNull, Never, Refuse };

    // A still arrives this long after it is asked for, like a sensor switching to full resolution.
    static constexpr int DefaultStillDelayMs = 300;

    explicit VirtualDocCam(const VirtualCameraProfile &profile);

    int requestHQImage() override;
    int setParameter(CameraParameter parameter, double value) override;

    // Scripting. A negative open result fails openStream/openDocCamStream; a negative start result fails
    // DocCamStream::start (CameraCodes::DeviceBusy: held by another application).
    void setOpenResult(int code);
    void setStartResult(int code);
    void setCapabilitiesForNextOpen(const CameraCapabilities &capabilities);
    void setStillBehaviour(StillBehaviour behaviour, int delayMs = DefaultStillDelayMs, int refusalCode = -1);
    // While enabled, a contrast set answers CameraCodes::TuningInProgress and the tuning ends after durationMs.
    void setContrastTuning(bool enabled, int durationMs);
    void stopStream(int code);
    void pressButton(uint button);
    void limitCapabilities();
    // A change made on the device itself (its own buttons), reported like a set.
    void changeParameter(CameraParameter parameter, double value);
    int stillRequests() const { return m_stillRequests; }
    VirtualCameraProfile::Role role() const { return m_profile.role; }

protected:
    std::unique_ptr<FrameSource> createSource(const DocCamFormat &format) override;
    int openCheck() const override;

private:
    VirtualCameraProfile m_profile;
    int m_openResult = 0;
    int m_startResult = 0;
    StillBehaviour m_still = StillBehaviour::Deliver;
    int m_stillDelayMs = DefaultStillDelayMs;
    int m_refusalCode = -1;
    bool m_tuning = false;
    int m_tuningMs = 0;
    int m_stillRequests = 0;
};
