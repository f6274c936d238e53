#include "X11ScreenGrabber.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

X11ScreenGrabber::X11ScreenGrabber()
    : m_screen(QGuiApplication::primaryScreen())
{
}

X11ScreenGrabber::~X11ScreenGrabber()
{
    if (m_display)
        XCloseDisplay(m_display);
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
    if (!m_screen || m_screen->geometry().isEmpty()) {
        if (reason)
            *reason = QCoreApplication::translate("X11ScreenGrabber", "No screen to record was found.");
        return false;
    }
    return true;
}

QSize X11ScreenGrabber::screenSize()
{
    return m_screen ? m_screen->geometry().size() : QSize();
}

QImage X11ScreenGrabber::grab()
{
    if (!m_screen)
        return QImage();
    const QRect geometry = m_screen->geometry();
    QImage picture = m_screen->grabWindow(0, geometry.x(), geometry.y(), geometry.width(), geometry.height())
                         .toImage()
                         .convertToFormat(QImage::Format_RGB32);
    if (picture.isNull())
        return picture;
    drawCursor(&picture, geometry);
    return picture;
}

void X11ScreenGrabber::drawCursor(QImage *picture, const QRect &geometry)
{
    if (!m_displayTried) {
        m_displayTried = true;
        m_display = XOpenDisplay(nullptr);
        int eventBase = 0;
        int errorBase = 0;
        m_hasXFixes = m_display && XFixesQueryExtension(m_display, &eventBase, &errorBase);
    }
    if (!m_display)
        return;
    // Scale from device pixels of the grab to the screen's logical coordinates.
    const qreal ratio = picture->width() / qreal(qMax(1, geometry.width()));
    if (m_hasXFixes) {
        if (XFixesCursorImage *cursor = XFixesGetCursorImage(m_display)) {
            QImage shape(cursor->width, cursor->height, QImage::Format_ARGB32_Premultiplied);
            for (int y = 0; y < cursor->height; ++y) {
                auto *line = reinterpret_cast<quint32 *>(shape.scanLine(y));
                for (int x = 0; x < cursor->width; ++x)
                    line[x] = quint32(cursor->pixels[y * cursor->width + x]);
            }
            const QPointF topLeft((cursor->x - cursor->xhot - geometry.x()) * ratio,
                                  (cursor->y - cursor->yhot - geometry.y()) * ratio);
            XFree(cursor);
            QPainter painter(picture);
            painter.drawImage(QRectF(topLeft, QSizeF(shape.size()) * ratio), shape);
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
                      &mask))
        drawArrow(picture, QPoint(int((rootX - geometry.x()) * ratio), int((rootY - geometry.y()) * ratio)));
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
