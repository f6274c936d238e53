#pragma once

#include "ScreenGrabber.h"

#include <QPointer>
#include <QScreen>

struct _XDisplay;

// The primary screen of an X11 session (also Xvfb), with the cursor image from the XFixes extension, or a
// plain arrow at the pointer where XFixes is missing. Other sessions (Wayland) cannot be recorded: their
// grabs come back black.
class X11ScreenGrabber : public ScreenGrabber
{
public:
    X11ScreenGrabber();
    ~X11ScreenGrabber() override;

    bool isAvailable(QString *reason) override;
    QSize screenSize() override;
    QImage grab() override;

private:
    void drawCursor(QImage *picture, const QRect &geometry);
    void drawArrow(QImage *picture, const QPoint &tip);

    QPointer<QScreen> m_screen;
    // A connection of our own, used only by the thread that grabs.
    _XDisplay *m_display = nullptr;
    bool m_displayTried = false;
    bool m_hasXFixes = false;
};
