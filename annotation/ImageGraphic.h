#pragma once

#include "BaseGraphic.h"

#include <QGraphicsPixmapItem>

// A picture placed on the canvas. Created with a file path, it loads the picture when drawing starts
// and shrinks itself to fit the canvas when drawing finishes.
class ImageGraphic : public QGraphicsPixmapItem, public BaseGraphic
{
public:
    static constexpr unsigned kCapabilities = 0xF9F8;

    explicit ImageGraphic(const QPixmap &pixmap, QGraphicsItem *parent = nullptr);
    explicit ImageGraphic(const QString &path, QGraphicsItem *parent = nullptr);
    ImageGraphic(const ImageGraphic &other);

    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

    // Loads the picture from the file path; false when the file is missing or unreadable.
    bool startDrawing(const QPointF &scenePos) override;
    bool continueDrawing(const QPointF &scenePos) override;
    // Shrinks a picture larger than the canvas to fit it, keeping its top-left corner in place.
    void finishDrawing() override;

protected:
    void contextMenuEvent(QGraphicsSceneContextMenuEvent *event) override;
};
