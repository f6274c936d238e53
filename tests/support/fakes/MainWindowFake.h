#pragma once

#include "CallRecorder.h"
#include "MainWindowIntf.h"

// The main window for panel tests (see CallRecorder for calls and answers): every window operation is
// recorded by its name, with its argument where it has one. A test sends the window's signals itself
// (emit window.splitModeChange(3)). Its close event is recorded as "closeEvent" and accepted unless the
// test sets that answer to false, as the window refuses to close when a service's exit check says no.
class MainWindowFake : public MainWindowIntf, public CallRecorder
{
    Q_OBJECT

public:
    using MainWindowIntf::MainWindowIntf;

    void becomeOneSplit() override;
    void becomePipSplit() override;
    void becomeDWTwoSplit() override;
    void becomeDMTwoSplit() override;
    void becomeDThreeSplit() override;
    void becomeWThreeSplit() override;
    void becomeMThreeSplit() override;
    void leaveImageFullDisplaySplit() override;
    void changeImageFullScreenDisplayMode(bool fullScreen) override;
    void leaveVideoFullDisplaySplit() override;
    void changeVideoFullScreenDisplayMode(bool fullScreen) override;
    void becomeWidgetMode() override;
    void leaveWidgetMode() override;
    void showUpVisor() override;
    void showUpSpotlight() override;
    void startRecording() override;
    void stopRecord() override;

protected:
    void closeEvent(QCloseEvent *event) override;
};
