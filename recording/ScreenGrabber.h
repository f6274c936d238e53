#pragma once

#include <QImage>
#include <QString>

// Takes pictures of the primary screen with the mouse cursor drawn in. Called from the frame thread.
class ScreenGrabber
{
public:
    virtual ~ScreenGrabber() = default;

    // False (with a reason for the user) when the screen cannot be recorded in this session.
    virtual bool isAvailable(QString *reason) = 0;
    // Size of the whole primary screen in pixels; never empty while available.
    virtual QSize screenSize() = 0;
    // The whole primary screen at its own size, 32 bits per pixel; null when the grab failed.
    virtual QImage grab() = 0;
};
