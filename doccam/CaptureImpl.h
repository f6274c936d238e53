#pragma once

#include "CaptureIntf.h"

// The capture service: snapshots of the document camera, desktop grabs and time-lapse series.
class CaptureImpl : public CaptureIntf
{
    Q_OBJECT

public:
    // The process-wide service; each call is one reference, given back with release().
    static CaptureIntf *getInstance();

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

private:
    CaptureImpl();
    ~CaptureImpl() override;

    int m_refCount = 1;
    uint m_status = 1;
};
