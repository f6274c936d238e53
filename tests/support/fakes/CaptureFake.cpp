#include "CaptureFake.h"

void CaptureFake::setActionStatus(uint status)
{
    provideAnswer(QStringLiteral("actionStatus"), status);
    emit actionStatusChanged(status);
}

void CaptureFake::release()
{
    record("release");
}

int CaptureFake::captureScreen(QString *path)
{
    const int result = respond<int>("captureScreen");
    if (path)
        *path = answer<QString>("captureScreen.path");
    return result;
}

int CaptureFake::captureVision(QString *path)
{
    const int result = respond<int>("captureVision");
    if (path)
        *path = answer<QString>("captureVision.path");
    return result;
}

int CaptureFake::toggleTimeLapseSetup()
{
    return respond<int>("toggleTimeLapseSetup");
}

int CaptureFake::getTimeLapseParameters(uint *totalTime, uint *interval)
{
    const int result = respond<int>("getTimeLapseParameters");
    if (totalTime)
        *totalTime = answer<uint>("getTimeLapseParameters.totalTime");
    if (interval)
        *interval = answer<uint>("getTimeLapseParameters.interval");
    return result;
}

int CaptureFake::setTimeLapseParameters(uint totalTime, uint interval)
{
    return respond<int>("setTimeLapseParameters", {totalTime, interval});
}

int CaptureFake::startTimeLapseCapture()
{
    return respond<int>("startTimeLapseCapture");
}
int CaptureFake::stopTimeLapseCapture()
{
    return respond<int>("stopTimeLapseCapture");
}
int CaptureFake::confirmExit()
{
    return respond<int>("confirmExit");
}
uint CaptureFake::actionStatus()
{
    return respond<uint>("actionStatus");
}
