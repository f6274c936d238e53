#include "CanvasView.h"

#include "Canvas.h"
#include "CanvasEditor.h"
#include "GraphicGeometry.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QtMath>

namespace {

// A view shorter than this is still being laid out (collapsed panes, a window being built); sizing
// the scene to it would squeeze every later drawing.
constexpr int kMinSceneRectHeight = 240;
// Alpha of the shade over the parts of the view outside the scene while nothing clips to the scene:
// a quarter black, enough to show the border of the drawable area without hiding the picture.
constexpr int kOutsideSceneAlpha = 63;

const QBrush &opaqueViewBrush()
{
    static const QBrush brush(Qt::lightGray, Qt::SolidPattern);
    return brush;
}

// Qt's relative comparison: equal when the difference is at most 1e-12 of the smaller magnitude.
bool relativeFuzzyEqual(double a, double b)
{
    return qFuzzyCompare(a, b);
}

} // namespace

CanvasView::CanvasView(int dimAlpha, const int *flags, QWidget *parent)
    : QGraphicsView(parent)
    , m_flags(flags ? *flags : 0)
    , m_dimAlpha(qBound(0, dimAlpha, 255))
{
    setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    setAcceptDrops(true);
    if (m_flags & TRANSPARENT) {
        viewport()->setAutoFillBackground(false);
        viewport()->setAttribute(Qt::WA_NoSystemBackground);
    } else {
        setCacheMode(QGraphicsView::CacheBackground);
        setBackgroundBrush(opaqueViewBrush());
    }
    if (m_flags & NO_SCROLL_BARS) {
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
}

CanvasView::~CanvasView()
{
    if (m_editor)
        m_editor->removeView(this);
}

void CanvasView::applyDimBrush()
{
    if (m_dimAlpha == 0)
        scene()->setBackgroundBrush(Qt::NoBrush);
    else
        scene()->setBackgroundBrush(QBrush(QColor(0, 0, 0, m_dimAlpha), Qt::SolidPattern));
}

void CanvasView::attachCanvas(QGraphicsScene *scene)
{
    setScene(scene);
    if (scene && (m_flags & TRANSPARENT))
        applyDimBrush();
}

void CanvasView::setDimAlpha(int alpha)
{
    if (!scene() || !(m_flags & TRANSPARENT))
        return;
    alpha = qBound(0, alpha, 255);
    if (alpha == m_dimAlpha)
        return;
    m_dimAlpha = alpha;
    applyDimBrush();
    viewport()->update();
}

void CanvasView::setViewScale(double s)
{
    if (s > kGeometryEpsilon && !relativeFuzzyEqual(s, m_scale)) {
        m_scale = s;
        applyViewTransform(m_scale, m_rotation, m_mirrored);
    }
    m_fitMode = FIT_NONE;
}

void CanvasView::applyViewTransform(double s, double r, bool m)
{
    double sx = s;
    double sy = s;
    if (m) {
        // A camera turned on its side mirrors along the picture's other axis.
        const bool sideways = relativeFuzzyEqual(m_baseRotation, 90.0) || relativeFuzzyEqual(m_baseRotation, 270.0);
        if (sideways)
            sy = -s;
        else
            sx = -s;
    }
    const double angle = sx * sy < 0 ? -r : r;
    setTransform(QTransform().scale(sx, sy).rotate(angle, Qt::ZAxis), false);
    if (scene()) {
        const QRectF rect = sceneRect();
        centerOn(rect.x() + 0.5 * rect.width(), rect.y() + 0.5 * rect.height());
    }
}

void CanvasView::followZoom(double z)
{
    if (!(z > kGeometryEpsilon))
        return;
    if (scene() && m_hasAnnotations) {
        setViewScale(z * m_scale / (m_zoomRatio * m_baseZoom));
        m_zoomRatio = z / m_baseZoom;
    } else {
        m_baseZoom = z;
    }
}

void CanvasView::followRotation(double r)
{
    if (scene() && m_hasAnnotations) {
        m_rotation = r - m_baseRotation;
        applyViewTransform(m_scale, m_rotation, m_mirrored);
    } else {
        m_baseRotation = r;
    }
}

void CanvasView::followMirror(bool m)
{
    if (scene() && m_hasAnnotations) {
        m_mirrored = m != m_baseMirror;
        applyViewTransform(m_scale, m_rotation, m_mirrored);
    } else {
        m_baseMirror = m;
    }
}

void CanvasView::resetViewTransform()
{
    m_scale = 1.0;
    m_zoomRatio = 1.0;
    m_rotation = 0.0;
    m_mirrored = false;
    resetTransform();
}

QRectF CanvasView::fitRect() const
{
    if (!scene())
        return {};
    QRectF rect = sceneRect();
    const QRect port = viewport()->rect();
    if (rect.width() <= 0 || rect.height() <= 0 || port.width() <= 0 || port.height() <= 0)
        return {};
    if (!fuzzyIsZero(m_rotation))
        rect = QTransform().rotate(m_rotation, Qt::ZAxis).mapRect(rect);
    return rect;
}

void CanvasView::fitToView()
{
    const QRectF rect = fitRect();
    if (rect.isEmpty())
        return;
    const QRect port = viewport()->rect();
    setViewScale(qMin(port.width() / rect.width(), port.height() / rect.height()) * m_zoomRatio);
    m_fitMode = FIT_WHOLE;
}

void CanvasView::fitToViewSide(bool byWidth)
{
    const QRectF rect = fitRect();
    if (rect.isEmpty())
        return;
    const QRect port = viewport()->rect();
    if (byWidth) {
        setViewScale(port.width() / rect.width() * m_zoomRatio);
        m_fitMode = FIT_WIDTH;
    } else {
        setViewScale(port.height() / rect.height() * m_zoomRatio);
        m_fitMode = FIT_HEIGHT;
    }
}

void CanvasView::paintEvent(QPaintEvent *event)
{
    m_paintRegion = event->region();
    QGraphicsView::paintEvent(event);
}

void CanvasView::resizeEvent(QResizeEvent *event)
{
    QGraphicsView::resizeEvent(event);
    if (!scene())
        return;
    if (m_sceneRectPending && event->size().height() >= kMinSceneRectHeight) {
        scene()->setSceneRect(0, 0, event->size().width(), event->size().height());
        m_sceneRectPending = false;
    }
    if (m_flags & NO_SCROLL_BARS)
        fitToView();
}

void CanvasView::keyPressEvent(QKeyEvent *event)
{
    if (m_flags & NO_SCROLL_BARS) {
        switch (event->key()) {
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_Left:
        case Qt::Key_Up:
        case Qt::Key_Right:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            event->ignore();
            return;
        default:
            break;
        }
    }
    QGraphicsView::keyPressEvent(event);
}

void CanvasView::mousePressEvent(QMouseEvent *event)
{
    if (m_editor)
        m_editor->addView(this);
    QGraphicsView::mousePressEvent(event);
}

void CanvasView::contextMenuEvent(QContextMenuEvent *event)
{
    QGraphicsView::contextMenuEvent(event);
    if (!isInteractive())
        event->ignore();
    if (!event->isAccepted() && m_contextMenu) {
        m_contextMenu->popup(event->globalPos());
        event->accept();
    }
}

QRect CanvasView::sceneRectInViewport() const
{
    return mapFromScene(sceneRect()).boundingRect();
}

void CanvasView::drawBackground(QPainter *painter, const QRectF &rect)
{
    QGraphicsView::drawBackground(painter, rect);
    if (!scene())
        return;
    const QRect area = sceneRectInViewport() & m_paintRegion.boundingRect();
    if (area.isEmpty())
        return;
    painter->fillRect(mapToScene(area).boundingRect(), scene()->backgroundBrush());
}

void CanvasView::drawForeground(QPainter *painter, const QRectF &rect)
{
    QGraphicsView::drawForeground(painter, rect);
    if (!scene())
        return;
    QBrush brush = backgroundBrush();
    if (!Canvas::clipToScene())
        brush = QBrush(QColor(0, 0, 0, kOutsideSceneAlpha), backgroundBrush().style());
    if (brush.style() == Qt::NoBrush)
        return;
    const QRect r = sceneRectInViewport();
    const int w = viewport()->width();
    const int h = viewport()->height();
    QList<QRect> bands;
    if (r.left() > 0) {
        bands << QRect(QPoint(0, 0), QPoint(r.left(), h - 1)) << QRect(QPoint(r.right(), 0), QPoint(w - 1, h - 1));
    }
    if (r.top() > 0) {
        bands << QRect(QPoint(r.left() + 1, 0), QPoint(r.right() - 1, r.top()))
              << QRect(QPoint(r.left() + 1, r.bottom()), QPoint(r.right() - 1, h - 1));
    }
    const QRect paintBounds = m_paintRegion.boundingRect();
    for (const QRect &band : std::as_const(bands)) {
        const QRect clipped = band & paintBounds;
        if (!clipped.isEmpty())
            painter->fillRect(mapToScene(clipped).boundingRect(), brush);
    }
}
