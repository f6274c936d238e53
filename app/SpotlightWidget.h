#pragma once

#include "SpotlightHole.h"
#include "SpotlightIntf.h"

#include <QWidget>

class QAction;
class QActionGroup;
class QMenu;
class QToolButton;

// The spotlight's grey shade with its hole. Hovering the hole's rim picks a stretch across or up and down
// and shows it in the cursor; a left drag then stretches the hole, or moves it when started elsewhere.
class SpotlightWidget : public QWidget
{
    Q_OBJECT

public:
    explicit SpotlightWidget(QWidget *parent);
    ~SpotlightWidget() override;

    const SpotlightHole &hole() const { return m_hole; }
    // 1.0 (opaque) or 0.1.
    qreal opacity() const { return m_opacity; }
    bool isLocked() const { return m_locked; }
    // The shade's menu; it hangs on a button that is never shown.
    QMenu *menu() const { return m_menu; }

public Q_SLOTS:
    void preserveProperty();
    void setTriangleShape();
    void setRectangleShape();
    void setCircleShape();
    // Toggles shade and outline together between opaque and 90 % transparent.
    void setOpacity90();

Q_SIGNALS:
    void showSpotLightWidget(bool show);
    void saveSpotProperty(QPoint p, SpotlightIntf::SHAPE shape, int w, int h, bool locked, int opacity);
    void spotClose();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // The hole's shape and the menu's check mark.
    void setShape(SpotlightIntf::SHAPE shape);
    void hover(QPoint pos);

    SpotlightHole m_hole;
    bool m_pressed = false;
    bool m_horizontalResize = false;
    bool m_verticalResize = false;
    qreal m_opacity = 1.0;
    QPointF m_pressPos;
    QToolButton *m_menuButton;
    QToolButton *m_closeButton;
    QMenu *m_menu;
    QAction *m_saveAction;
    QAction *m_triangleAction;
    QAction *m_rectangleAction;
    QAction *m_circleAction;
    QAction *m_transparentAction;
    QActionGroup *m_shapeGroup;
    bool m_firstPaintPending = true;
    bool m_locked = false;
};
