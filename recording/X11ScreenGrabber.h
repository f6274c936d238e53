#pragma once

#include "ScreenGrabber.h"

#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QScreen>

#include <atomic>
#include <memory>
#include <optional>

class ShmScreenReader;
struct _XDisplay;
struct xcb_connection_t;

// The primary screen of an X11 session (also Xvfb), with the cursor image from the XFixes extension, or a
// plain arrow at the pointer where XFixes is missing. Other sessions (Wayland) cannot be recorded: their
// grabs come back black. The GUI thread chooses the screen and hands over its place in device pixels;
// the frame thread reads the pixels from the X server through connections of its own: through shared
// memory where the server offers it, else through the plain image request. The pictures of the shared
// way share their memory with the grabber, which never writes a picture again while anybody holds it.
class X11ScreenGrabber : public QObject, public ScreenGrabber
{
    Q_OBJECT

public:
    X11ScreenGrabber();
    ~X11ScreenGrabber() override;

    bool isAvailable(QString *reason) override;
    bool selectScreen() override;
    QSize screenSize() override;
    void prepare() override;
    QImage grab() override;
    QString lostReason() override;

    // The screen's place on the X server in device pixels: its logical geometry scaled by its pixel ratio.
    static QRect deviceGeometry(const QScreen *screen);

    // Frame thread, after a grab: whether its pixels came through shared memory, and where it drew the
    // cursor's hot spot in picture coordinates (none when the pointer was not found).
    bool lastGrabShared() const { return m_lastGrabShared; }
    std::optional<QPoint> lastCursorPosition() const { return m_lastCursor; }

private:
    void connectToServer();
    QImage readPlain(uint32_t root, const QRect &area, int *errorCode);
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
    std::unique_ptr<ShmScreenReader> m_shm;
    bool m_lastGrabShared = false;
    std::optional<QPoint> m_lastCursor;
    // The cursor's picture, converted again only when the server's cursor changes.
    QImage m_cursorShape;
    unsigned long m_cursorSerial = 0;
};
