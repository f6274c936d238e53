#pragma once

#include "BaseGraphic.h"

#include <QGraphicsPathItem>

// An outlined and optionally filled shape of one of eighteen kinds. Each kind is a path in the unit
// square that the graphic stretches over the drag rectangle; the path holds scene coordinates.
class ShapeGraphic : public QGraphicsPathItem, public BaseGraphic
{
public:
    enum ShapeKind {
        RECTANGLE = 0,
        ELLIPSE = 1,
        PARALLELOGRAM = 2,
        PENTAGON = 3,
        DIAMOND = 4,
        TRIANGLE = 5,
        RIGHT_TRIANGLE = 6,
        HEXAGON = 7,
        OCTAGON = 8,
        NONAGON = 9,
        DECAGON = 10,
        DODECAGON = 11,
        STAR = 12,
        ARROW = 13,
        THOUGHT_BUBBLE = 14,
        SPEECH_BUBBLE = 15,
        TRAPEZOID = 16,
        ROUNDED_RECTANGLE = 17,
        KIND_COUNT = 18,
    };
    static constexpr unsigned kCapabilities = 0x2FDFD;

    explicit ShapeGraphic(int kind, QGraphicsItem *parent = nullptr);
    ShapeGraphic(const ShapeGraphic &other);

    int type() const override { return TYPE_SHAPE; }
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

    QPen pen() const override { return QGraphicsPathItem::pen(); }
    void setPen(const QPen &pen) override;
    QBrush brush() const override { return QGraphicsPathItem::brush(); }
    void setBrush(const QBrush &brush) override;
    int shapeKind() const override { return m_kind; }
    void setShapeKind(int kind) override;
    bool startDrawing(const QPointF &scenePos) override;
    bool continueDrawing(const QPointF &scenePos) override;
    void finishDrawing() override;
    void writeXml(AnnotationXmlWriter &writer) const override;
    bool readXml(AnnotationXmlReader &reader) override;

    // The kind's path in the unit square; empty for an unknown kind.
    static QPainterPath buildPath(int kind);
    static Qt::PenJoinStyle joinStyleFor(int kind);

protected:
    void contextMenuEvent(QGraphicsSceneContextMenuEvent *event) override;

private:
    void cacheWhileStill();
    // The filled area (with a brush) and the pen's stroke: what an unselected shape is hit on.
    QPainterPath outlineShape() const;

    int m_kind;
    QPointF m_dragStart;
};
