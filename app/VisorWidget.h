#pragma once

#include "VisorShade.h"

#include <QWidget>

class QAction;
class QMenu;
class QToolButton;

// The visor's grey shade. Any mouse button grabs it; the first clear movement picks the axis it then slides
// along until the release. A close button rides on the top-right corner of the visible shade.
class VisorWidget : public QWidget
{
    Q_OBJECT

public:
    explicit VisorWidget(QWidget *parent);
    ~VisorWidget() override;

    const VisorShade &shade() const { return m_shade; }
    // 1.0 (opaque) or 0.1.
    qreal opacity() const { return m_opacity; }
    bool isPreserved() const { return m_preserve; }
    // The shade's menu; it hangs on a button that is never shown.
    QMenu *menu() const { return m_menu; }

public Q_SLOTS:
    void preserveProperty();
    // Toggles between opaque and 90 % transparent.
    void setOpacity90();
    // Lets only the shade take the mouse, so that clicks on the uncovered part reach the picture beneath.
    // A shade slid nearly out of sight would then be hard to grab back, so nothing applies this by itself;
    // the next press takes it back.
    void setNewMask();

Q_SIGNALS:
    void showVisorWidget(bool show);
    // The shade's offset as drawn, whether the properties are to be kept, and the opacity in percent.
    void saveVisorProperty(QPointF p, bool presave, int opacity);
    void visorClose();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    // The shade reaches one pixel past the widget's right edge.
    qreal shadeWidth() const { return width() + 1; }
    // Where the shade is drawn, in widget coordinates.
    QRectF shadeRect() const;
    int opacityPercent() const;
    void placeCloseButton();

    VisorShade m_shade;
    bool m_preserve = false;
    bool m_firstPaintPending = true;
    qreal m_opacity = 1.0;
    QToolButton *m_menuButton;
    QToolButton *m_closeButton;
    QMenu *m_menu;
    QAction *m_saveAction;
    QAction *m_transparentAction;
};
