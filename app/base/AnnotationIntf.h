#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>

class QWidget;
class UpdateAnnoStateIntf;

// The annotation service: drawing surfaces laid over the camera and image views, the drawing tools and
// their pens, colours, shapes and fonts, and the undo history. The getter of the implementation does not
// count users: every caller shares one reference, and the first release() destroys the service, after
// which the next getter call builds a fresh one. Surfaces made by a destroyed service stay usable as
// plain views of their drawings.
// Unlike the counted services, a getInstance() is not to be paired with a release(): that release destroys the
// service under the window, which owns it. A second owner that must keep it takes AnnotationImpl::addRef() first.
class AnnotationIntf
{
public:
    virtual ~AnnotationIntf() = default;

    virtual void release() = 0;
    // A transparent, frameless surface of the given size on parent; dimAlpha (0..255) darkens what is
    // below it, noFocus keeps it from taking the keyboard focus. Null when it could not be built.
    virtual QWidget *createCanvas(int width, int height, QWidget *parent, int dimAlpha, bool noFocus) = 0;
    virtual void destroyCanvas(QWidget *view) = 0;
    virtual void setScrollBarVisible(QWidget *view, bool visible) = 0;
    virtual void setStateListener(UpdateAnnoStateIntf *listener) = 0;
    virtual QImage renderCanvasImage(QWidget *view) = 0;
    virtual double canvasScale(QWidget *view) = 0;
    virtual void setCanvasScale(QWidget *view, double zoomRatio) = 0;
    virtual double canvasRotation(QWidget *view) = 0;
    virtual void setCanvasRotation(QWidget *view, double degrees) = 0;
    virtual bool isCanvasMirrored(QWidget *view) = 0;
    virtual void setCanvasMirrored(QWidget *view, bool mirrored) = 0;
    virtual void switchToFreehand() = 0;
    virtual void switchToSelect() = 0;
    virtual void switchToLine() = 0;
    virtual void switchToShape() = 0;
    virtual void switchToText() = 0;
    virtual void deleteGraphic() = 0;
    virtual void clearAll(bool clearUndoHistory, bool resetView) = 0;
    // A null view clears every surface. With clearUndoHistory false the removal is one undoable step.
    virtual void clearCanvas(QWidget *view, bool clearUndoHistory, bool resetView) = 0;
    virtual void undo() = 0;
    virtual void redo() = 0;
    virtual int freehandThickness() = 0;
    virtual void setFreehandThickness(int thickness) = 0;
    // Stroke styles: 0 solid, 1 solid with an arrow at the end, 2 dashed, 3 solid with arrows at both ends.
    virtual void setFreehandStyle(int style) = 0;
    virtual int freehandStyle() = 0;
    virtual QColor freehandColor() = 0;
    virtual void setFreehandColor(const QColor &color) = 0;
    virtual int lineThickness() = 0;
    virtual void setLineThickness(int thickness) = 0;
    virtual QColor lineColor() = 0;
    virtual void setLineColor(const QColor &color) = 0;
    virtual void setLineStyle(int style) = 0;
    virtual int lineStyle() = 0;
    // Shapes: 0 circle, 1 ellipse, 2 rectangle, 3 triangle.
    virtual int shapeType() = 0;
    virtual void setShapeType(int type) = 0;
    virtual int shapeThickness() = 0;
    virtual void setShapeThickness(int thickness) = 0;
    virtual QColor shapeColor() = 0;
    virtual void setShapeColor(const QColor &color) = 0;
    virtual QFont textFont() = 0;
    virtual QColor textColor() = 0;
    virtual void setTextFamily(const QString &family) = 0;
    virtual void setTextPointSize(double size) = 0;
    virtual void setTextColor(const QColor &color) = 0;
    virtual void setTextBold(bool bold) = 0;
    virtual void setTextItalic(bool italic) = 0;
    virtual void setTextUnderline(bool underline) = 0;
};
