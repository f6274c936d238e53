#include "ImageGraphic.h"

#include <QFile>
#include <QGraphicsScene>
#include <QGraphicsSceneContextMenuEvent>

namespace {

// Scene positions closer than this are the same: only rounding noise of the scale transform.
constexpr double kSamePosition = 1e-12;

} // namespace

ImageGraphic::ImageGraphic(const QPixmap &pixmap, QGraphicsItem *parent)
    : QGraphicsPixmapItem(pixmap, parent)
    , BaseGraphic(kCapabilities, this)
{
    setFlags(ItemIsMovable | ItemIsSelectable);
    setTransformationMode(Qt::SmoothTransformation);
}

ImageGraphic::ImageGraphic(const QString &path, QGraphicsItem *parent)
    : QGraphicsPixmapItem(parent)
    , BaseGraphic(kCapabilities, this)
{
    m_filePath = path;
    setFlags(ItemIsMovable | ItemIsSelectable);
    setTransformationMode(Qt::SmoothTransformation);
}

ImageGraphic::ImageGraphic(const ImageGraphic &other)
    : QGraphicsPixmapItem(other.parentItem())
    , BaseGraphic(other, this)
{
    setFlags(ItemIsMovable | ItemIsSelectable);
    setTransformationMode(Qt::SmoothTransformation);
    if (other.type() == TYPE_IMAGE) {
        copyItemState(&other);
        setPixmap(other.pixmap());
        setOffset(other.offset());
        setShapeMode(other.shapeMode());
        setTransformationMode(other.transformationMode());
    }
}

void ImageGraphic::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    clipPainterToScene(painter);
    QGraphicsPixmapItem::paint(painter, option, widget);
}

void ImageGraphic::contextMenuEvent(QGraphicsSceneContextMenuEvent *event)
{
    showContextMenu(event->screenPos());
    event->accept();
}

bool ImageGraphic::startDrawing(const QPointF &)
{
    if (!pixmap().isNull())
        return true;
    if (!QFile::exists(m_filePath))
        return false;
    const QPixmap picture(m_filePath);
    if (picture.isNull())
        return false;
    setPixmap(picture);
    return true;
}

bool ImageGraphic::continueDrawing(const QPointF &)
{
    return true;
}

void ImageGraphic::finishDrawing()
{
    m_drawing = false;
    if (pixmap().isNull() || !scene())
        return;
    const QRectF canvas = scene()->sceneRect();
    const QRectF bounds = boundingRect();
    const double f = qMin(canvas.width() / bounds.width(), canvas.height() / bounds.height());
    if (!(f < 1.0))
        return;
    const QPointF before = scenePos();
    scaleTo(f);
    const QPointF shift = before - scenePos();
    if (qAbs(shift.x()) > kSamePosition || qAbs(shift.y()) > kSamePosition)
        moveBy(shift.x(), shift.y());
}
