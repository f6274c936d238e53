#pragma once

#include <QImage>
#include <QString>

// Takes pictures of the primary screen with the mouse cursor drawn in. Which screen, and where it lies, is
// settled on the GUI thread at each start (selectScreen); the frame thread then only grabs, without
// touching the GUI thread's screen objects, which may go at any time.
class ScreenGrabber
{
public:
    virtual ~ScreenGrabber() = default;

    // GUI thread. False (with a reason for the user) when the screen cannot be recorded in this session.
    virtual bool isAvailable(QString *reason) = 0;
    // GUI thread, at each start: takes the primary screen of this moment. False when there is none.
    virtual bool selectScreen() { return true; }
    // Size of the selected screen in device pixels; never empty while available.
    virtual QSize screenSize() = 0;
    // Frame thread, before a recording's time starts: sets up what the first grab would otherwise set up
    // (connections, memory for the pictures), so that the first grab costs what later ones do.
    virtual void prepare() {}
    // Frame thread. The whole selected screen at its own size, 32 bits per pixel; null when the grab failed.
    // The picture may share its memory with the grabber, which leaves it unchanged while anybody holds it.
    virtual QImage grab() = 0;
    // Frame thread, after a null grab: why the screen can no longer be recorded (it was unplugged, or can no
    // longer be read); empty when the failure may pass.
    virtual QString lostReason() { return QString(); }
};
