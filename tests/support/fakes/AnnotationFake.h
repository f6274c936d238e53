#pragma once

#include "AnnotationIntf.h"
#include "CallRecorder.h"

// The annotation service for window tests (see CallRecorder for calls and answers). createCanvas makes a
// plain widget of the given size on the given parent (null when "createCanvas" is set to false), owned as
// a real surface is: by its parent, or deleted by destroyCanvas. The service has no signals: the
// listener registered with setStateListener is told of the undo history when a test asks.
class AnnotationFake : public AnnotationIntf, public CallRecorder
{
public:
    // Tell the registered listener, if any, as the service does after an edit.
    void notifyUndoState(bool canUndo);
    void notifyRedoState(bool canRedo);
    UpdateAnnoStateIntf *stateListener() const;

    void release() override;
    QWidget *createCanvas(int width, int height, QWidget *parent, int dimAlpha, bool noFocus) override;
    void destroyCanvas(QWidget *view) override;
    void setScrollBarVisible(QWidget *view, bool visible) override;
    void setStateListener(UpdateAnnoStateIntf *listener) override;
    QImage renderCanvasImage(QWidget *view) override;
    double canvasScale(QWidget *view) override;
    void setCanvasScale(QWidget *view, double zoomRatio) override;
    double canvasRotation(QWidget *view) override;
    void setCanvasRotation(QWidget *view, double degrees) override;
    bool isCanvasMirrored(QWidget *view) override;
    void setCanvasMirrored(QWidget *view, bool mirrored) override;
    void switchToFreehand() override;
    void switchToSelect() override;
    void switchToLine() override;
    void switchToShape() override;
    void switchToText() override;
    void deleteGraphic() override;
    void clearAll(bool clearUndoHistory, bool resetView) override;
    void clearCanvas(QWidget *view, bool clearUndoHistory, bool resetView) override;
    void undo() override;
    void redo() override;
    int freehandThickness() override;
    void setFreehandThickness(int thickness) override;
    void setFreehandStyle(int style) override;
    int freehandStyle() override;
    QColor freehandColor() override;
    void setFreehandColor(const QColor &color) override;
    int lineThickness() override;
    void setLineThickness(int thickness) override;
    QColor lineColor() override;
    void setLineColor(const QColor &color) override;
    void setLineStyle(int style) override;
    int lineStyle() override;
    int shapeType() override;
    void setShapeType(int type) override;
    int shapeThickness() override;
    void setShapeThickness(int thickness) override;
    QColor shapeColor() override;
    void setShapeColor(const QColor &color) override;
    QFont textFont() override;
    QColor textColor() override;
    void setTextFamily(const QString &family) override;
    void setTextPointSize(double size) override;
    void setTextColor(const QColor &color) override;
    void setTextBold(bool bold) override;
    void setTextItalic(bool italic) override;
    void setTextUnderline(bool underline) override;

private:
    UpdateAnnoStateIntf *m_listener = nullptr;
};
