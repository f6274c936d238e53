#include "AnnotationFake.h"

#include "UpdateAnnoStateIntf.h"

#include <QWidget>

namespace {

QVariant widgetArg(QWidget *view)
{
    return QVariant::fromValue(view);
}

} // namespace

void AnnotationFake::notifyUndoState(bool canUndo)
{
    if (m_listener)
        m_listener->updateUndoState(canUndo);
}

void AnnotationFake::notifyRedoState(bool canRedo)
{
    if (m_listener)
        m_listener->updateRedoState(canRedo);
}

UpdateAnnoStateIntf *AnnotationFake::stateListener() const
{
    return m_listener;
}

void AnnotationFake::release()
{
    record("release");
}

QWidget *AnnotationFake::createCanvas(int width, int height, QWidget *parent, int dimAlpha, bool noFocus)
{
    if (!respond<bool>("createCanvas", {width, height, widgetArg(parent), dimAlpha, noFocus}, true))
        return nullptr;
    auto *canvas = new QWidget(parent);
    canvas->resize(width, height);
    if (noFocus)
        canvas->setFocusPolicy(Qt::NoFocus);
    return canvas;
}

void AnnotationFake::destroyCanvas(QWidget *view)
{
    record("destroyCanvas", {widgetArg(view)});
    delete view;
}

void AnnotationFake::setScrollBarVisible(QWidget *view, bool visible)
{
    record("setScrollBarVisible", {widgetArg(view), visible});
}

void AnnotationFake::setStateListener(UpdateAnnoStateIntf *listener)
{
    record("setStateListener", {QVariant::fromValue(static_cast<void *>(listener))});
    m_listener = listener;
}

QImage AnnotationFake::renderCanvasImage(QWidget *view)
{
    return respond<QImage>("renderCanvasImage", {widgetArg(view)});
}
double AnnotationFake::canvasScale(QWidget *view)
{
    return respond<double>("canvasScale", {widgetArg(view)});
}

void AnnotationFake::setCanvasScale(QWidget *view, double zoomRatio)
{
    record("setCanvasScale", {widgetArg(view), zoomRatio});
}

double AnnotationFake::canvasRotation(QWidget *view)
{
    return respond<double>("canvasRotation", {widgetArg(view)});
}

void AnnotationFake::setCanvasRotation(QWidget *view, double degrees)
{
    record("setCanvasRotation", {widgetArg(view), degrees});
}

bool AnnotationFake::isCanvasMirrored(QWidget *view)
{
    return respond<bool>("isCanvasMirrored", {widgetArg(view)});
}

void AnnotationFake::setCanvasMirrored(QWidget *view, bool mirrored)
{
    record("setCanvasMirrored", {widgetArg(view), mirrored});
}

void AnnotationFake::switchToFreehand()
{
    record("switchToFreehand");
}
void AnnotationFake::switchToSelect()
{
    record("switchToSelect");
}
void AnnotationFake::switchToLine()
{
    record("switchToLine");
}
void AnnotationFake::switchToShape()
{
    record("switchToShape");
}
void AnnotationFake::switchToText()
{
    record("switchToText");
}
void AnnotationFake::deleteGraphic()
{
    record("deleteGraphic");
}

void AnnotationFake::clearAll(bool clearUndoHistory, bool resetView)
{
    record("clearAll", {clearUndoHistory, resetView});
}

void AnnotationFake::clearCanvas(QWidget *view, bool clearUndoHistory, bool resetView)
{
    record("clearCanvas", {widgetArg(view), clearUndoHistory, resetView});
}

void AnnotationFake::undo()
{
    record("undo");
}
void AnnotationFake::redo()
{
    record("redo");
}
int AnnotationFake::freehandThickness()
{
    return respond<int>("freehandThickness");
}
void AnnotationFake::setFreehandThickness(int thickness)
{
    record("setFreehandThickness", {thickness});
}
void AnnotationFake::setFreehandStyle(int style)
{
    record("setFreehandStyle", {style});
}
int AnnotationFake::freehandStyle()
{
    return respond<int>("freehandStyle");
}
QColor AnnotationFake::freehandColor()
{
    return respond<QColor>("freehandColor");
}
void AnnotationFake::setFreehandColor(const QColor &color)
{
    record("setFreehandColor", {color});
}
int AnnotationFake::lineThickness()
{
    return respond<int>("lineThickness");
}
void AnnotationFake::setLineThickness(int thickness)
{
    record("setLineThickness", {thickness});
}
QColor AnnotationFake::lineColor()
{
    return respond<QColor>("lineColor");
}
void AnnotationFake::setLineColor(const QColor &color)
{
    record("setLineColor", {color});
}
void AnnotationFake::setLineStyle(int style)
{
    record("setLineStyle", {style});
}
int AnnotationFake::lineStyle()
{
    return respond<int>("lineStyle");
}
int AnnotationFake::shapeType()
{
    return respond<int>("shapeType");
}
void AnnotationFake::setShapeType(int type)
{
    record("setShapeType", {type});
}
int AnnotationFake::shapeThickness()
{
    return respond<int>("shapeThickness");
}
void AnnotationFake::setShapeThickness(int thickness)
{
    record("setShapeThickness", {thickness});
}
QColor AnnotationFake::shapeColor()
{
    return respond<QColor>("shapeColor");
}
void AnnotationFake::setShapeColor(const QColor &color)
{
    record("setShapeColor", {color});
}
QFont AnnotationFake::textFont()
{
    return respond<QFont>("textFont");
}
QColor AnnotationFake::textColor()
{
    return respond<QColor>("textColor");
}
void AnnotationFake::setTextFamily(const QString &family)
{
    record("setTextFamily", {family});
}
void AnnotationFake::setTextPointSize(double size)
{
    record("setTextPointSize", {size});
}
void AnnotationFake::setTextColor(const QColor &color)
{
    record("setTextColor", {color});
}
void AnnotationFake::setTextBold(bool bold)
{
    record("setTextBold", {bold});
}
void AnnotationFake::setTextItalic(bool italic)
{
    record("setTextItalic", {italic});
}
void AnnotationFake::setTextUnderline(bool underline)
{
    record("setTextUnderline", {underline});
}
