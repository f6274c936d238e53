#pragma once

#include "BaseGraphic.h"

#include <QGraphicsLineItem>

// A straight line with optional end decorations. Scale, rotation, flip and mirror move its end points
// rather than the item transform, so it stays a plain line of the pen's width whatever is done to it.
class LineGraphic : public QGraphicsLineItem, public BaseGraphic
{
public:
    static constexpr unsigned kCapabilities = 0x2F9FB;

    explicit LineGraphic(QGraphicsItem *parent = nullptr);
    LineGraphic(const LineGraphic &other);

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

    QPen pen() const override { return QGraphicsLineItem::pen(); }
    void setPen(const QPen &pen) override;
    bool startDrawing(const QPointF &scenePos) override;
    bool continueDrawing(const QPointF &scenePos) override;
    void finishDrawing() override;
    void scaleTo(double factor) override;
    void rotateTo(double degrees) override;
    void flip() override;
    void mirror() override;
    void writeXml(AnnotationXmlWriter &writer) const override;
    bool readXml(AnnotationXmlReader &reader) override;

protected:
    void anchorsAboutToChange() override;
    void anchorsChanged() override;
    void contextMenuEvent(QGraphicsSceneContextMenuEvent *event) override;

private:
    // Maps both end points through op applied about the line's midpoint.
    void transformAboutMidpoint(const QTransform &op);
    QPainterPath decoratedShape() const;
};
