#include "AnnotationImpl.h"

#include "BaseGraphic.h"
#include "Canvas.h"
#include "CanvasEditor.h"
#include "CanvasView.h"
#include "MessageBoxes.h"
#include "UpdateAnnoStateIntf.h"

#include <QCoreApplication>
#include <QPainter>
#include <QRecursiveMutex>
#include <QUndoStack>

namespace {

QRecursiveMutex s_mutex;
AnnotationImpl *s_instance = nullptr;

CanvasView *canvasView(QWidget *widget)
{
    return dynamic_cast<CanvasView *>(widget);
}

QPen defaultToolPen()
{
    return QPen(QBrush(Qt::red, Qt::SolidPattern), 4.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// Shape codes of the shape panel.
enum ShapeCode { CODE_CIRCLE = 0, CODE_ELLIPSE = 1, CODE_RECTANGLE = 2, CODE_TRIANGLE = 3 };
// The editor's shape kinds behind them.
constexpr int kKindRectangle = 0;
constexpr int kKindEllipse = 1;
constexpr int kKindTriangle = 5;

// Stroke-style codes of the pen panels.
constexpr int kStyleEndArrow = 1;
constexpr int kStyleDashed = 2;
constexpr int kStyleBothArrows = 3;

// The view flags of every surface: see-through, without scroll bars.
constexpr int kSurfaceFlags = CanvasView::TRANSPARENT | CanvasView::NO_SCROLL_BARS;

} // namespace

AnnotationIntf *AnnotationImpl::getInstance()
{
    QMutexLocker locker(&s_mutex);
    if (!s_instance)
        s_instance = new AnnotationImpl();
    return s_instance;
}

void AnnotationImpl::forgetStateListener(UpdateAnnoStateIntf *listener)
{
    QMutexLocker locker(&s_mutex);
    if (s_instance && s_instance->m_listener == listener)
        s_instance->m_listener = nullptr;
}

AnnotationImpl::AnnotationImpl()
    : m_freehandPen(defaultToolPen())
    , m_linePen(defaultToolPen())
    , m_shapePen(defaultToolPen())
{
    ensureEditor();
}

AnnotationImpl::~AnnotationImpl()
{
    delete m_editor;
}

void AnnotationImpl::ensureEditor()
{
    if (m_editor)
        return;
    m_editor = new CanvasEditor();
    connect(m_editor->undoStack(), &QUndoStack::canUndoChanged, this, &AnnotationImpl::enableUndo,
            Qt::DirectConnection);
    connect(m_editor->undoStack(), &QUndoStack::canRedoChanged, this, &AnnotationImpl::enableRedo,
            Qt::DirectConnection);
}

void AnnotationImpl::addRef()
{
    QMutexLocker locker(&s_mutex);
    ++m_refCount;
}

void AnnotationImpl::release()
{
    s_mutex.lock();
    const int count = m_refCount;
    if (count >= 1)
        m_refCount = count - 1;
    // Cleared under the lock before the service goes, or a getInstance in between would hand it out.
    if (count <= 1 && s_instance == this)
        s_instance = nullptr;
    s_mutex.unlock();
    if (count > 1)
        return;
    if (m_editor)
        m_editor->setEnabled(false);
    delete this;
}

QWidget *AnnotationImpl::createCanvas(int width, int height, QWidget *parent, int dimAlpha, bool noFocus)
{
    auto *view = new (std::nothrow) CanvasView(dimAlpha, &kSurfaceFlags, parent);
    Canvas *canvas = view ? new (std::nothrow) Canvas(view) : nullptr;
    ensureEditor();
    if (!view || !canvas || !m_editor) {
        delete view;
        MessageBoxes::warning(nullptr, QCoreApplication::applicationName(),
                              QCoreApplication::translate("AnnotationImpl", "Not enough memory."));
        return nullptr;
    }
    m_editor->addView(view);
    m_editor->toolSelect();
    view->attachCanvas(canvas);
    view->resize(width, height);
    view->setFrameShape(QFrame::NoFrame);
    view->setAcceptDrops(false);
    if (noFocus)
        view->setFocusPolicy(Qt::NoFocus);
    canvas->setSceneRect(0, 0, width, height);
    Canvas::setClipToScene(false);
    m_editor->setEnabled(true);
    return view;
}

void AnnotationImpl::destroyCanvas(QWidget *view)
{
    delete view;
}

void AnnotationImpl::setScrollBarVisible(QWidget *view, bool visible)
{
    CanvasView *canvas = canvasView(view);
    if (!canvas)
        return;
    const Qt::ScrollBarPolicy policy = visible ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
    canvas->setHorizontalScrollBarPolicy(policy);
    canvas->setVerticalScrollBarPolicy(policy);
}

void AnnotationImpl::setStateListener(UpdateAnnoStateIntf *listener)
{
    m_listener = listener;
}

QImage AnnotationImpl::renderCanvasImage(QWidget *view)
{
    CanvasView *canvas = canvasView(view);
    if (!canvas)
        return QImage();
    QImage image(canvas->size(), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.fill(0);
    QPainter painter(&image);
    canvas->render(&painter, QRectF(), QRect(), Qt::KeepAspectRatio);
    return image;
}

double AnnotationImpl::canvasScale(QWidget *view)
{
    CanvasView *canvas = canvasView(view);
    return canvas ? canvas->viewScale() : 1.0;
}

void AnnotationImpl::setCanvasScale(QWidget *view, double zoomRatio)
{
    if (CanvasView *canvas = canvasView(view))
        canvas->followZoom(zoomRatio);
}

double AnnotationImpl::canvasRotation(QWidget *view)
{
    CanvasView *canvas = canvasView(view);
    return canvas ? canvas->viewRotation() : 0.0;
}

void AnnotationImpl::setCanvasRotation(QWidget *view, double degrees)
{
    if (CanvasView *canvas = canvasView(view))
        canvas->followRotation(degrees);
}

bool AnnotationImpl::isCanvasMirrored(QWidget *view)
{
    CanvasView *canvas = canvasView(view);
    return canvas ? canvas->isMirrored() : false;
}

void AnnotationImpl::setCanvasMirrored(QWidget *view, bool mirrored)
{
    if (CanvasView *canvas = canvasView(view))
        canvas->followMirror(mirrored);
}

void AnnotationImpl::switchTool(void (CanvasEditor::*tool)(), const QPen &pen)
{
    if (!m_editor)
        return;
    (m_editor->*tool)();
    m_editor->setPenWidth(pen.width());
    m_editor->setColor(pen.color());
}

void AnnotationImpl::switchToFreehand()
{
    switchTool(&CanvasEditor::toolFreehand, m_freehandPen);
}
void AnnotationImpl::switchToLine()
{
    switchTool(&CanvasEditor::toolLine, m_linePen);
}
void AnnotationImpl::switchToShape()
{
    switchTool(&CanvasEditor::toolShape, m_shapePen);
}

void AnnotationImpl::switchToSelect()
{
    if (m_editor)
        m_editor->toolSelect();
}

void AnnotationImpl::switchToText()
{
    if (!m_editor)
        return;
    m_editor->toolText();
    m_editor->setColor(m_textColor);
}

void AnnotationImpl::deleteGraphic()
{
    if (m_editor)
        m_editor->editDelete();
}

void AnnotationImpl::clearAll(bool clearUndoHistory, bool resetView)
{
    if (!m_editor)
        return;
    if (resetView && m_editor->currentView()) {
        m_editor->currentView()->resetViewTransform();
        m_editor->currentView()->setHasAnnotations(false);
    }
    m_editor->editClearAll();
    if (clearUndoHistory && m_editor->undoStack())
        m_editor->undoStack()->clear();
}

void AnnotationImpl::clearCanvas(QWidget *view, bool clearUndoHistory, bool resetView)
{
    if (!m_editor)
        return;
    CanvasView *canvas = canvasView(view);
    if (view && !canvas)
        return;
    m_editor->editClearView(canvas, !clearUndoHistory, resetView);
    if (clearUndoHistory && m_editor->undoStack())
        m_editor->undoStack()->clear();
}

void AnnotationImpl::undo()
{
    if (m_editor)
        m_editor->editUndo();
}

void AnnotationImpl::redo()
{
    if (m_editor)
        m_editor->editRedo();
}

void AnnotationImpl::setThickness(QPen &pen, int thickness)
{
    pen.setWidth(thickness);
    if (m_editor)
        m_editor->setPenWidth(thickness);
}

void AnnotationImpl::setPenColor(QPen &pen, const QColor &color)
{
    pen.setColor(color);
    if (m_editor)
        m_editor->setColor(color);
}

void AnnotationImpl::setStrokeStyle(QPen &pen, int &storedCode, int code)
{
    storedCode = code;
    pen.setStyle(code == kStyleDashed ? Qt::DashLine : Qt::SolidLine);
    if (!m_editor)
        return;
    m_editor->setPenStyle(pen.style());
    const bool endArrow = code == kStyleEndArrow || code == kStyleBothArrows;
    m_editor->setEndAnchor(endArrow ? ANCHOR_ARROW : 0);
    m_editor->setStartAnchor(code == kStyleBothArrows ? ANCHOR_ARROW : 0);
}

int AnnotationImpl::freehandThickness()
{
    return m_freehandPen.width();
}
void AnnotationImpl::setFreehandThickness(int thickness)
{
    setThickness(m_freehandPen, thickness);
}
void AnnotationImpl::setFreehandStyle(int style)
{
    setStrokeStyle(m_freehandPen, m_freehandStyle, style);
}
int AnnotationImpl::freehandStyle()
{
    return m_freehandStyle;
}
QColor AnnotationImpl::freehandColor()
{
    return m_freehandPen.color();
}
void AnnotationImpl::setFreehandColor(const QColor &color)
{
    setPenColor(m_freehandPen, color);
}
int AnnotationImpl::lineThickness()
{
    return m_linePen.width();
}
void AnnotationImpl::setLineThickness(int thickness)
{
    setThickness(m_linePen, thickness);
}
QColor AnnotationImpl::lineColor()
{
    return m_linePen.color();
}
void AnnotationImpl::setLineColor(const QColor &color)
{
    setPenColor(m_linePen, color);
}
void AnnotationImpl::setLineStyle(int style)
{
    setStrokeStyle(m_linePen, m_lineStyle, style);
}
int AnnotationImpl::lineStyle()
{
    return m_lineStyle;
}
int AnnotationImpl::shapeThickness()
{
    return m_shapePen.width();
}
void AnnotationImpl::setShapeThickness(int thickness)
{
    setThickness(m_shapePen, thickness);
}
QColor AnnotationImpl::shapeColor()
{
    return m_shapePen.color();
}
void AnnotationImpl::setShapeColor(const QColor &color)
{
    setPenColor(m_shapePen, color);
}

int AnnotationImpl::shapeType()
{
    if (!m_editor)
        return CODE_CIRCLE;
    const bool free = m_editor->shapeFreeAspect();
    switch (m_editor->shapeKind()) {
    case kKindRectangle:
        return CODE_RECTANGLE;
    case kKindTriangle:
        return CODE_TRIANGLE;
    default:
        return free ? CODE_ELLIPSE : CODE_CIRCLE;
    }
}

void AnnotationImpl::setShapeType(int type)
{
    if (!m_editor)
        return;
    const int kind = type == CODE_RECTANGLE ? kKindRectangle : type == CODE_TRIANGLE ? kKindTriangle : kKindEllipse;
    m_editor->setShapeKind(kind);
    m_editor->setShapeFreeAspect(type != CODE_CIRCLE);
}

QFont AnnotationImpl::textFont()
{
    return m_editor ? m_editor->font() : QFont();
}

QColor AnnotationImpl::textColor()
{
    return m_textColor;
}

void AnnotationImpl::setTextFamily(const QString &family)
{
    if (m_editor)
        m_editor->setFontFamily(family);
}

void AnnotationImpl::setTextPointSize(double size)
{
    if (m_editor)
        m_editor->setPointSize(size);
}

void AnnotationImpl::setTextColor(const QColor &color)
{
    m_textColor = color;
    if (m_editor)
        m_editor->setColor(color);
}

void AnnotationImpl::setTextBold(bool bold)
{
    if (m_editor)
        m_editor->setBold(bold);
}

void AnnotationImpl::setTextItalic(bool italic)
{
    if (m_editor)
        m_editor->setItalic(italic);
}

void AnnotationImpl::setTextUnderline(bool underline)
{
    if (m_editor)
        m_editor->setUnderline(underline);
}

void AnnotationImpl::enableUndo(bool enabled)
{
    if (m_listener)
        m_listener->updateUndoState(enabled);
}

void AnnotationImpl::enableRedo(bool enabled)
{
    if (m_listener)
        m_listener->updateRedoState(enabled);
}
