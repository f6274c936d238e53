#pragma once

#include "AnnotationIntf.h"

#include <QObject>
#include <QPen>

class CanvasEditor;
class CanvasView;

// The annotation service: one canvas editor behind every drawing surface it creates, the pens of the
// freehand, line and shape tools and the text colour as the panels last chose them, and the undo
// history's availability passed on to the tool bar.
class AnnotationImpl : public QObject, public AnnotationIntf
{
    Q_OBJECT
public:
    // The one service, created on the first call. Callers share one reference: this does not count.
    static AnnotationIntf *getInstance();
    // Clears the listener of the living service if it is this one, without creating a service; for a
    // listener that goes away before the service does.
    static void forgetStateListener(UpdateAnnoStateIntf *listener);

    void addRef();
    CanvasEditor *editor() const { return m_editor; }

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

public slots:
    void enableUndo(bool enabled);
    void enableRedo(bool enabled);

private:
    AnnotationImpl();
    ~AnnotationImpl() override;

    void ensureEditor();
    void switchTool(void (CanvasEditor::*tool)(), const QPen &pen);
    void setThickness(QPen &pen, int thickness);
    void setPenColor(QPen &pen, const QColor &color);
    void setStrokeStyle(QPen &pen, int &storedCode, int code);

    int m_refCount = 1;
    CanvasEditor *m_editor = nullptr;
    UpdateAnnoStateIntf *m_listener = nullptr;
    QPen m_freehandPen;
    QPen m_linePen;
    QPen m_shapePen;
    QColor m_textColor = Qt::red;
    int m_freehandStyle = 0;
    int m_lineStyle = 0;
};
