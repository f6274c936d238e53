#include "GraphicFactory.h"

#include "BaseGraphic.h"
#include "FreehandGraphic.h"
#include "HiliterGraphic.h"
#include "ImageGraphic.h"
#include "LineGraphic.h"
#include "ShapeGraphic.h"
#include "TextGraphic.h"

#include <new>

namespace {

template<typename T>
QGraphicsItem *copyAs(QGraphicsItem *item)
{
    auto *graphic = dynamic_cast<T *>(item);
    return graphic ? new (std::nothrow) T(*graphic) : nullptr;
}

template<typename T>
QGraphicsItem *createEmpty()
{
    return new T();
}

QGraphicsItem *createRectangle()
{
    return new ShapeGraphic(ShapeGraphic::RECTANGLE);
}

struct GraphicClass
{
    int type;
    QGraphicsItem *(*copy)(QGraphicsItem *item);
    // Null for a class that documents do not store.
    QGraphicsItem *(*createStored)();
};

constexpr GraphicClass kGraphicClasses[] = {
    {TYPE_FREEHAND, &copyAs<FreehandGraphic>, &createEmpty<FreehandGraphic>},
    {TYPE_LINE, &copyAs<LineGraphic>, &createEmpty<LineGraphic>},
    {TYPE_IMAGE, &copyAs<ImageGraphic>, nullptr},
    {TYPE_SHAPE, &copyAs<ShapeGraphic>, &createRectangle},
    {TYPE_TEXT, &copyAs<TextGraphic>, nullptr},
    {TYPE_HILITER, &copyAs<HiliterGraphic>, &createEmpty<HiliterGraphic>},
};

const GraphicClass *graphicClass(int type)
{
    for (const GraphicClass &graphic : kGraphicClasses) {
        if (graphic.type == type)
            return &graphic;
    }
    return nullptr;
}

} // namespace

QGraphicsItem *GraphicFactory::copy(QGraphicsItem *item)
{
    const GraphicClass *graphic = graphicClass(item->type());
    return graphic ? graphic->copy(item) : nullptr;
}

QGraphicsItem *GraphicFactory::createStored(int type)
{
    const GraphicClass *graphic = graphicClass(type);
    return graphic && graphic->createStored ? graphic->createStored() : nullptr;
}
