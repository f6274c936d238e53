#pragma once

#include "BaseGraphic.h"

#include <QAbstractGraphicsShapeItem>
#include <QPixmap>
#include <QPoint>

// A pen stroke. While it is drawn the centre line is smoothed point by point and painted incrementally
// into an off-screen picture, so each mouse move costs only its new segment; once finished the stroke
// is the filled outline of the pen's stroke plus its end decorations. Points are scene coordinates:
// the item stays at (0, 0) while it is drawn.
class FreehandGraphic : public QAbstractGraphicsShapeItem, public BaseGraphic
{
public:
    static constexpr unsigned kCapabilities = 0x2F9FB;

    explicit FreehandGraphic(QGraphicsItem *parent = nullptr);
    FreehandGraphic(const FreehandGraphic &other);
    ~FreehandGraphic() override;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;
    int type() const override { return TYPE_FREEHAND; }

    QPen pen() const override { return QAbstractGraphicsShapeItem::pen(); }
    void setPen(const QPen &pen) override;
    bool startDrawing(const QPointF &scenePos) override;
    bool continueDrawing(const QPointF &scenePos) override;
    void finishDrawing() override;
    void writeXml(AnnotationXmlWriter &writer) const override;
    bool readXml(AnnotationXmlReader &reader) override;

    const QPainterPath &path() const { return m_path; }
    void setPath(const QPainterPath &path);
    const QPainterPath &outline() const { return m_outline; }
    bool rebuildOutline();
    bool appendPoint(const QPointF &p, bool final);
    bool ensureCacheCovers(int left, int top, int right, int bottom);
    double squaredLengthSum() const;

    // The off-screen picture while drawing (null otherwise) and where its top-left pixel sits.
    const QPixmap &cache() const { return m_cache; }
    QPoint cacheOrigin() const { return m_cacheOrigin; }

protected:
    void anchorsAboutToChange() override;
    void anchorsChanged() override;
    void contextMenuEvent(QGraphicsSceneContextMenuEvent *event) override;
    // The pen as the stroke shows it; the highlighter makes it translucent.
    void setStrokePen(const QPen &pen);

private:
    void repaintEndDecoration();
    void paintOnCache(const QPointF &from, const QPointF &to);
    void paintOnCache(const QPointF &from, const QPointF &bend, const QPointF &to);
    void lineTo(const QPointF &p);
    void restartRunningValues();

    QPainterPath m_path;
    QPainterPath m_outline;
    QPointF m_lastInput;
    QPointF m_lastMid;
    bool m_firstMovePending = false;
    QPixmap m_cache;
    QPoint m_cacheOrigin;
    // Kept as points are added, so that a move costs the same at any length of stroke: the bounds of the
    // path's points (its bounding rect, as it holds straight lines only) and squaredLengthSum().
    QPointF m_pointsMin;
    QPointF m_pointsMax;
    double m_squaredLength = 0;
};
