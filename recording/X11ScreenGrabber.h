#pragma once

#include "ScreenGrabber.h"

#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QScreen>

#include <atomic>

struct _XDisplay;
struct xcb_connection_t;

// The primary screen of an X11 session (also Xvfb), with the cursor image from the XFixes extension, or a
// plain arrow at the pointer where XFixes is missing. Other sessions (Wayland) cannot be recorded: their
// grabs come back black. The GUI thread chooses the screen and hands over its place in device pixels;
// the frame thread reads the pixels from the X server through connections of its own.
class X11ScreenGrabber : public QObject, public ScreenGrabber
{
    Q_OBJECT

public:
    X11ScreenGrabber();
    ~X11ScreenGrabber() override;

    bool isAvailable(QString *reason) override;
    bool selectScreen() override;
    QSize screenSize() override;
    QImage grab() override;
    QString lostReason() override;

    // The screen's place on the X server in device pixels: its logical geometry scaled by its pixel ratio.
    static QRect deviceGeometry(const QScreen *screen);

private:
    void screenRemoved(QScreen *screen);
    void drawCursor(QImage *picture, const QRect &area);
    void drawArrow(QImage *picture, const QPoint &tip);
    void lose(const QString &reason);

    // GUI thread only.
    QPointer<QScreen> m_screen;
    // Handed from the GUI thread to the frame thread.
    QMutex m_areaMutex;
    QRect m_area;
    QString m_lostReason;
    std::atomic<bool> m_lost{false};
    // Connections of our own, used only by the thread that grabs: the picture through XCB (whose errors
    // come back as values instead of ending the process), the cursor through XFixes.
    xcb_connection_t *m_connection = nullptr;
    _XDisplay *m_display = nullptr;
    bool m_connectionTried = false;
    bool m_hasXFixes = false;
};
