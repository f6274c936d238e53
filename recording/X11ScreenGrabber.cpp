#include "X11ScreenGrabber.h"

#include "RecordingLog.h"
#include "ShmScreenReader.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <xcb/xcb.h>

#include <cstdlib>

namespace {

// The only pixel layout taken straight from the server: 32 bits a pixel, blue first, as QImage::Format_RGB32
// lays out its pixels on a little-endian machine.
constexpr int kBitsPerPixel = 32;

} // namespace

X11ScreenGrabber::X11ScreenGrabber()
{
    if (qGuiApp)
        connect(qGuiApp, &QGuiApplication::screenRemoved, this, &X11ScreenGrabber::screenRemoved);
    selectScreen();
}

X11ScreenGrabber::~X11ScreenGrabber()
{
    // Its segments are let go on the connection, before that goes.
    m_shm.reset();
    if (m_display)
        XCloseDisplay(m_display);
    if (m_connection)
        xcb_disconnect(m_connection);
}

QRect X11ScreenGrabber::deviceGeometry(const QScreen *screen)
{
    const QRect logical = screen->geometry();
    const qreal ratio = screen->devicePixelRatio();
    return QRect(QPoint(qRound(logical.x() * ratio), qRound(logical.y() * ratio)),
                 QSize(qRound(logical.width() * ratio), qRound(logical.height() * ratio)));
}

bool X11ScreenGrabber::selectScreen()
{
    m_screen = QGuiApplication::primaryScreen();
    QMutexLocker locker(&m_areaMutex);
    m_area = m_screen ? deviceGeometry(m_screen) : QRect();
    m_lostReason.clear();
    m_lost = false;
    return !m_area.isEmpty();
}

void X11ScreenGrabber::screenRemoved(QScreen *screen)
{
    // The guard is already empty when the screen object is being deleted; a removal before that names it.
    if (screen == m_screen || !m_screen)
        lose(QCoreApplication::translate("X11ScreenGrabber", "The recorded screen was disconnected."));
}

void X11ScreenGrabber::lose(const QString &reason)
{
    QMutexLocker locker(&m_areaMutex);
    if (m_lost)
        return;
    m_lostReason = reason;
    m_lost = true;
}

QString X11ScreenGrabber::lostReason()
{
    QMutexLocker locker(&m_areaMutex);
    return m_lostReason;
}

bool X11ScreenGrabber::isAvailable(QString *reason)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        if (reason)
            *reason = QCoreApplication::translate("X11ScreenGrabber",
                                                  "The screen can only be recorded in an X11 session. "
                                                  "Please sign in with an X11 (Xorg) session to record.");
        return false;
    }
    if (!QGuiApplication::primaryScreen() || QGuiApplication::primaryScreen()->geometry().isEmpty()) {
        if (reason)
            *reason = QCoreApplication::translate("X11ScreenGrabber", "No screen to record was found.");
        return false;
    }
    return true;
}

QSize X11ScreenGrabber::screenSize()
{
    QMutexLocker locker(&m_areaMutex);
    return m_area.size();
}

void X11ScreenGrabber::connectToServer()
{
    m_connectionTried = true;
    m_connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(m_connection)) {
        xcb_disconnect(m_connection);
        m_connection = nullptr;
    } else {
        m_shm = std::make_unique<ShmScreenReader>(m_connection);
    }
    m_display = XOpenDisplay(nullptr);
    int eventBase = 0;
    int errorBase = 0;
    m_hasXFixes = m_display && XFixesQueryExtension(m_display, &eventBase, &errorBase);
}

void X11ScreenGrabber::prepare()
{
    if (!m_connectionTried)
        connectToServer();
    QRect area;
    {
        QMutexLocker locker(&m_areaMutex);
        area = m_area;
    }
    if (m_shm)
        m_shm->prepare(area.size());
}

QImage X11ScreenGrabber::grab()
{
    m_lastGrabShared = false;
    m_lastCursor.reset();
    if (m_lost)
        return QImage();
    QRect area;
    {
        QMutexLocker locker(&m_areaMutex);
        area = m_area;
    }
    if (area.isEmpty())
        return QImage();
    if (!m_connectionTried)
        connectToServer();
    if (!m_connection) {
        lose(QCoreApplication::translate("X11ScreenGrabber", "The X server cannot be reached."));
        return QImage();
    }
    const uint32_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    int sharedError = 0;
    QImage picture = m_shm->read(root, area, &sharedError);
    m_lastGrabShared = !picture.isNull();
    if (picture.isNull()) {
        int error = 0;
        picture = readPlain(root, area, &error);
        if (picture.isNull()) {
            // The screen's place is no longer on the server (a projector unplugged, the desktop shrunk).
            if (error != 0)
                lose(QCoreApplication::translate("X11ScreenGrabber", "The screen could not be read (X error %1).")
                         .arg(error));
            else
                lose(QCoreApplication::translate("X11ScreenGrabber", "The screen's pixel format cannot be recorded."));
            return picture;
        }
        if (sharedError != 0) {
            // The plain request reads the same place: the server cannot serve it through shared memory.
            recordingLog(LogSystem::LOG_WARNING,
                         "X11ScreenGrabber::grab - shared memory refused (X error %d), reading the plain way",
                         sharedError);
            m_shm->disable();
        }
    }
    drawCursor(&picture, area);
    return picture;
}

QImage X11ScreenGrabber::readPlain(uint32_t root, const QRect &area, int *errorCode)
{
    *errorCode = 0;
    xcb_generic_error_t *error = nullptr;
    xcb_get_image_reply_t *reply =
        xcb_get_image_reply(m_connection,
                            xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, root, qint16(area.x()),
                                          qint16(area.y()), quint16(area.width()), quint16(area.height()), ~0u),
                            &error);
    if (!reply) {
        *errorCode = error ? error->error_code : 0;
        std::free(error);
        return QImage();
    }
    const qsizetype stride = qsizetype(area.width()) * kBitsPerPixel / 8;
    if (xcb_get_image_data_length(reply) < stride * area.height() || reply->depth < 24) {
        std::free(reply);
        return QImage();
    }
    // The picture is the reply's own memory, freed with the picture's last copy.
    return QImage(
        xcb_get_image_data(reply), area.width(), area.height(), stride, QImage::Format_RGB32,
        [](void *memory) { std::free(memory); }, reply);
}

void X11ScreenGrabber::drawCursor(QImage *picture, const QRect &area)
{
    if (!m_display)
        return;
    // Both the cursor and the area are in the server's device pixels.
    if (m_hasXFixes) {
        if (XFixesCursorImage *cursor = XFixesGetCursorImage(m_display)) {
            if (m_cursorShape.isNull() || cursor->cursor_serial != m_cursorSerial) {
                m_cursorShape = QImage(cursor->width, cursor->height, QImage::Format_ARGB32_Premultiplied);
                for (int y = 0; y < cursor->height; ++y) {
                    auto *line = reinterpret_cast<quint32 *>(m_cursorShape.scanLine(y));
                    for (int x = 0; x < cursor->width; ++x)
                        line[x] = quint32(cursor->pixels[y * cursor->width + x]);
                }
                m_cursorSerial = cursor->cursor_serial;
            }
            const QPoint hotSpot(cursor->x - area.x(), cursor->y - area.y());
            const QPoint topLeft = hotSpot - QPoint(cursor->xhot, cursor->yhot);
            XFree(cursor);
            QPainter painter(picture);
            painter.drawImage(topLeft, m_cursorShape);
            m_lastCursor = hotSpot;
            return;
        }
    }
    Window root = 0;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned int mask = 0;
    if (XQueryPointer(m_display, DefaultRootWindow(m_display), &root, &child, &rootX, &rootY, &windowX, &windowY,
                      &mask)) {
        m_lastCursor = QPoint(rootX - area.x(), rootY - area.y());
        drawArrow(picture, *m_lastCursor);
    }
}

void X11ScreenGrabber::drawArrow(QImage *picture, const QPoint &tip)
{
    // The classic 12 x 19 pixel arrow, tip at the pointer position.
    static const QPointF outline[] = {{0, 0}, {0, 16}, {4, 12}, {7, 19}, {9, 18}, {6, 11}, {12, 11}};
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(std::begin(outline), std::end(outline))));
    path.closeSubpath();
    QPainter painter(picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(tip);
    painter.setPen(QPen(Qt::white, 1));
    painter.setBrush(Qt::black);
    painter.drawPath(path);
}
