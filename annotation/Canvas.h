#pragma once

#include <QGraphicsScene>
#include <QList>
#include <QPoint>

class AnnotationXmlReader;
class AnnotationXmlWriter;
class QMenu;

// The scene of one drawing surface. It hands out the stacking values of new and restacked graphics,
// the cascade positions of inserted pictures, and routes every input event to the editor of each view
// that shows it before the items see it.
class Canvas : public QGraphicsScene
{
    Q_OBJECT
public:
    explicit Canvas(QObject *parent = nullptr);

    double nextZMin();
    double nextZMax();
    QPoint nextCascadeOffset();

    QMenu *contextMenu() const { return m_contextMenu; }
    void setContextMenu(QMenu *menu) { m_contextMenu = menu; }

    bool isBottomItem(QGraphicsItem *item) const;
    bool isTopItem(QGraphicsItem *item) const;

    // The selected items ordered by z value; items of equal z keep their stacking order, so none is lost.
    QList<QGraphicsItem *> selectedItemsByZ(Qt::SortOrder order) const;

    void writeXml(AnnotationXmlWriter &writer) const;
    bool readXml(AnnotationXmlReader &reader);

    // While set, graphics clip their painting to the scene rectangle.
    static bool clipToScene();
    static void setClipToScene(bool clip);
    static bool debugMode();
    static void setDebugMode(bool debug);

    static QRectF defaultSceneRect();

protected:
    void dragEnterEvent(QGraphicsSceneDragDropEvent *event) override;
    void dragMoveEvent(QGraphicsSceneDragDropEvent *event) override;
    void dragLeaveEvent(QGraphicsSceneDragDropEvent *event) override;
    void dropEvent(QGraphicsSceneDragDropEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event) override;
    void wheelEvent(QGraphicsSceneWheelEvent *event) override;

private:
    double m_zMin = -1.0;
    double m_zMax = 0.0;
    int m_cascadeX = 0;
    int m_cascadeY = 0;
    QMenu *m_contextMenu = nullptr;
};
