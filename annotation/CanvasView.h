#pragma once

#include <QGraphicsView>
#include <QRegion>

class CanvasEditor;
class QMenu;

// The view laid over a picture (the live camera picture or a still image). It is transparent and dims
// the picture with a translucent black scene background, fits its scene on every resize, and once the
// canvas holds drawings it follows the camera's zoom, rotation and mirror so that the drawings stay on
// the document.
class CanvasView : public QGraphicsView
{
    Q_OBJECT
public:
    enum Flag {
        TRANSPARENT = 0x1,    // no background of its own: the picture below shows through
        NO_SCROLL_BARS = 0x2, // no scroll bars, no keyboard scrolling, fit on every resize
    };

    enum FitMode {
        FIT_NONE = 0,
        FIT_WIDTH = 1,
        FIT_HEIGHT = 2,
        FIT_WHOLE = 3,
    };

    CanvasView(int dimAlpha, const int *flags, QWidget *parent = nullptr);
    ~CanvasView() override;

    CanvasEditor *editor() const { return m_editor; }
    void setEditor(CanvasEditor *editor) { m_editor = editor; }
    int fitMode() const { return m_fitMode; }
    double viewScale() const { return m_scale; }
    double viewRotation() const { return m_rotation; }
    bool isMirrored() const { return m_mirrored; }
    bool hasAnnotations() const { return m_hasAnnotations; }
    void setHasAnnotations(bool has) { m_hasAnnotations = has; }
    void setContextMenu(QMenu *menu) { m_contextMenu = menu; }
    int dimAlpha() const { return m_dimAlpha; }

    void attachCanvas(QGraphicsScene *scene);
    void setDimAlpha(int alpha);
    void setViewScale(double s);
    void applyViewTransform(double s, double r, bool m);

    void followZoom(double z);
    void followRotation(double r);
    void followMirror(bool m);

    void resetViewTransform();
    void fitToView();
    void fitToViewSide(bool byWidth);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void drawBackground(QPainter *painter, const QRectF &rect) override;
    void drawForeground(QPainter *painter, const QRectF &rect) override;

private:
    void applyDimBrush();
    // The scene rect, or its bounding rect once turned by the view rotation; empty when fitting is
    // impossible (no scene, an empty scene rect or an empty viewport).
    QRectF fitRect() const;
    QRect sceneRectInViewport() const;

    int m_flags;
    int m_dimAlpha;
    CanvasEditor *m_editor = nullptr;
    int m_fitMode = FIT_NONE;
    double m_scale = 1.0;
    double m_zoomRatio = 1.0;
    double m_rotation = 0.0;
    bool m_mirrored = false;
    double m_baseZoom = 1.0;
    double m_baseRotation = 0.0;
    bool m_baseMirror = false;
    bool m_hasAnnotations = false;
    QRegion m_paintRegion;
    QMenu *m_contextMenu = nullptr;
    bool m_sceneRectPending = true;
};
