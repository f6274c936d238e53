#pragma once

#include <QMainWindow>
#include <QPoint>

// The main window as its panels see it: the signals they follow and the window operations their buttons
// call. The panels take this interface, not the window class, so that each panel builds and is tested
// without the whole window; every connection to it is made with member pointers, so a renamed operation
// fails to compile rather than to connect.
class MainWindowIntf : public QMainWindow
{
    Q_OBJECT

public:
    using QMainWindow::QMainWindow;
    ~MainWindowIntf() override = default;

Q_SIGNALS:
    // A display mode 0-6 was entered (again).
    void splitModeChange(int mode);
    // True on entering image or video full display, false on leaving it.
    void isFullDisplayMode(bool full);
    // The top-left corner of the window's frame, after each move.
    void quilloMoved(const QPoint &topLeft);

public Q_SLOTS:
    // The seven split buttons: display modes 0 to 6.
    virtual void becomeOneSplit() = 0;
    virtual void becomePipSplit() = 0;
    virtual void becomeDWTwoSplit() = 0;
    virtual void becomeDMTwoSplit() = 0;
    virtual void becomeDThreeSplit() = 0;
    virtual void becomeWThreeSplit() = 0;
    virtual void becomeMThreeSplit() = 0;

    // The image control bar: its close button and its full-screen toggle.
    virtual void leaveImageFullDisplaySplit() = 0;
    virtual void changeImageFullScreenDisplayMode(bool fullScreen) = 0;

    // The video control bar: its close button and its full-screen toggle.
    virtual void leaveVideoFullDisplaySplit() = 0;
    virtual void changeVideoFullScreenDisplayMode(bool fullScreen) = 0;

    // Into the small always-on-top bar, and back to the full window.
    virtual void becomeWidgetMode() = 0;
    virtual void leaveWidgetMode() = 0;

    // Presenter mode with one of the two effects.
    virtual void showUpVisor() = 0;
    virtual void showUpSpotlight() = 0;

    // The recording service has accepted a start: the window shows that a recording runs.
    virtual void startRecording() = 0;
    // Stops the running recording and hands its files on.
    virtual void stopRecord() = 0;
};
