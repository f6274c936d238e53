#include "MainWindowFake.h"

#include <QCloseEvent>

void MainWindowFake::becomeOneSplit()
{
    record("becomeOneSplit");
}

void MainWindowFake::becomePipSplit()
{
    record("becomePipSplit");
}

void MainWindowFake::becomeDWTwoSplit()
{
    record("becomeDWTwoSplit");
}

void MainWindowFake::becomeDMTwoSplit()
{
    record("becomeDMTwoSplit");
}

void MainWindowFake::becomeDThreeSplit()
{
    record("becomeDThreeSplit");
}

void MainWindowFake::becomeWThreeSplit()
{
    record("becomeWThreeSplit");
}

void MainWindowFake::becomeMThreeSplit()
{
    record("becomeMThreeSplit");
}

void MainWindowFake::leaveImageFullDisplaySplit()
{
    record("leaveImageFullDisplaySplit");
}

void MainWindowFake::changeImageFullScreenDisplayMode(bool fullScreen)
{
    record("changeImageFullScreenDisplayMode", {fullScreen});
}

void MainWindowFake::leaveVideoFullDisplaySplit()
{
    record("leaveVideoFullDisplaySplit");
}

void MainWindowFake::changeVideoFullScreenDisplayMode(bool fullScreen)
{
    record("changeVideoFullScreenDisplayMode", {fullScreen});
}

void MainWindowFake::becomeWidgetMode()
{
    record("becomeWidgetMode");
}

void MainWindowFake::leaveWidgetMode()
{
    record("leaveWidgetMode");
}

void MainWindowFake::showUpVisor()
{
    record("showUpVisor");
}

void MainWindowFake::showUpSpotlight()
{
    record("showUpSpotlight");
}

void MainWindowFake::startRecording()
{
    record("startRecording");
}

void MainWindowFake::stopRecord()
{
    record("stopRecord");
}

void MainWindowFake::closeEvent(QCloseEvent *event)
{
    event->setAccepted(respond<bool>("closeEvent", {}, true));
}
