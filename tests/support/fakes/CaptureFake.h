#pragma once

#include "CallRecorder.h"
#include "CaptureIntf.h"

// The capture service for window tests (see CallRecorder for calls and answers). captureScreen and
// captureVision fill "captureScreen.path" / "captureVision.path"; getTimeLapseParameters fills
// "getTimeLapseParameters.totalTime" and ".interval". A test emits the service's signals itself.
class CaptureFake : public CaptureIntf, public CallRecorder
{
    Q_OBJECT

public:
    // actionStatus answers it, and actionStatusChanged is sent.
    void setActionStatus(uint status);

    void release() override;
    int captureScreen(QString *path) override;
    int captureVision(QString *path) override;
    int toggleTimeLapseSetup() override;
    int getTimeLapseParameters(uint *totalTime, uint *interval) override;
    int setTimeLapseParameters(uint totalTime, uint interval) override;
    int startTimeLapseCapture() override;
    int stopTimeLapseCapture() override;
    int confirmExit() override;
    uint actionStatus() override;
};
