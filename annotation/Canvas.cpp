#include "Canvas.h"

#include "AnnotationXmlReader.h"
#include "AnnotationXmlWriter.h"
#include "BaseGraphic.h"
#include "CanvasEditor.h"
#include "CanvasView.h"
#include "GraphicFactory.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QGraphicsItem>
#include <QGraphicsSceneDragDropEvent>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsSceneWheelEvent>
#include <QHash>
#include <QKeyEvent>

#include <algorithm>

namespace {

bool s_clipToScene = true;

BaseGraphic *persistentGraphic(QGraphicsItem *item)
{
    auto *graphic = dynamic_cast<BaseGraphic *>(item);
    return graphic && graphic->hasCapability(CAP_PERSISTENT) ? graphic : nullptr;
}

bool s_debugMode = false;

// Inserted pictures step down and to the right by this much so that each stays visible, and start
// over before they would leave a small canvas.
constexpr int kCascadeStep = 20;
constexpr int kCascadeWrap = 400;

// Hands the event to the editor of every view, then to the items unless an editor's tool took it.
// Events reach the scene accepted or not depending on where Qt made them; start from "not taken" so
// that only a tool's explicit accept keeps them from the items.
template<typename Event>
bool forwardToEditors(QGraphicsScene *scene, Event *event, void (CanvasEditor::*handler)(Event *))
{
    event->ignore();
    const QList<QGraphicsView *> views = scene->views();
    for (QGraphicsView *view : views) {
        auto *canvasView = qobject_cast<CanvasView *>(view);
        if (canvasView && canvasView->editor())
            (canvasView->editor()->*handler)(event);
    }
    return event->isAccepted();
}

} // namespace

Canvas::Canvas(QObject *parent)
    : QGraphicsScene(parent)
{
    setSceneRect(defaultSceneRect());
    setBackgroundBrush(QBrush(Qt::white, Qt::SolidPattern));
}

QRectF Canvas::defaultSceneRect()
{
    return QRectF(0, 0, 1024, 768);
}

double Canvas::nextZMin()
{
    const double z = m_zMin;
    m_zMin -= 1.0;
    return z;
}

double Canvas::nextZMax()
{
    const double z = m_zMax;
    m_zMax += 1.0;
    return z;
}

QPoint Canvas::nextCascadeOffset()
{
    const QPoint offset(m_cascadeX, m_cascadeY);
    m_cascadeX = (m_cascadeX + kCascadeStep) % kCascadeWrap;
    m_cascadeY = (m_cascadeY + kCascadeStep) % kCascadeWrap;
    return offset;
}

bool Canvas::isBottomItem(QGraphicsItem *item) const
{
    const QList<QGraphicsItem *> all = items(Qt::AscendingOrder);
    return !all.isEmpty() && all.first() == item;
}

bool Canvas::isTopItem(QGraphicsItem *item) const
{
    const QList<QGraphicsItem *> all = items(Qt::AscendingOrder);
    return !all.isEmpty() && all.last() == item;
}

QList<QGraphicsItem *> Canvas::selectedItemsByZ(Qt::SortOrder order) const
{
    QList<QGraphicsItem *> selected = selectedItems();
    if (selected.isEmpty())
        return selected;
    // selectedItems() comes in no fixed order; the stacking order decides between equal z values.
    QHash<QGraphicsItem *, int> stackIndex;
    const QList<QGraphicsItem *> stacked = items(Qt::AscendingOrder);
    for (int i = 0; i < stacked.size(); ++i)
        stackIndex.insert(stacked.at(i), i);
    std::sort(selected.begin(), selected.end(), [&stackIndex](QGraphicsItem *a, QGraphicsItem *b) {
        if (a->zValue() != b->zValue())
            return a->zValue() < b->zValue();
        return stackIndex.value(a) < stackIndex.value(b);
    });
    if (order == Qt::DescendingOrder)
        std::reverse(selected.begin(), selected.end());
    return selected;
}

void Canvas::writeXml(AnnotationXmlWriter &writer) const
{
    writer.writeStartElement(QStringLiteral("canvas"));
    writer.writeAttribute(QStringLiteral("zMin"), AnnotationXmlWriter::number(m_zMin));
    writer.writeAttribute(QStringLiteral("zMax"), AnnotationXmlWriter::number(m_zMax));
    QList<BaseGraphic *> graphics;
    const QList<QGraphicsItem *> all = items();
    for (QGraphicsItem *item : all) {
        if (BaseGraphic *graphic = persistentGraphic(item))
            graphics.append(graphic);
    }
    writer.writeAttribute(QStringLiteral("item_count"), QString::number(graphics.size()));
    writer.writeBrush(backgroundBrush(), QStringLiteral("background_brush"));
    writer.writeRect(sceneRect(), QStringLiteral("scene_rect"));
    for (const BaseGraphic *graphic : std::as_const(graphics)) {
        writer.writeStartElement(QStringLiteral("graphic"));
        graphic->writeXml(writer);
        writer.writeEndElement();
    }
    writer.writeEndElement();
}

bool Canvas::readXml(AnnotationXmlReader &reader)
{
    double value = 0;
    if (reader.readDouble(QStringLiteral("zMin"), value))
        m_zMin = value;
    if (reader.readDouble(QStringLiteral("zMax"), value))
        m_zMax = value;
    if (reader.hasError())
        return false;
    int count = 0;
    if (!reader.readInt(QStringLiteral("item_count"), count))
        return false;
    if (!reader.readNextStartElement()) {
        reader.raiseCorruptData();
        return false;
    }
    if (reader.name() == QLatin1String("background_brush")) {
        QBrush brush;
        if (!reader.readBrush(brush, QStringLiteral("background_brush")))
            return false;
        setBackgroundBrush(brush);
    }
    QRectF rect;
    if (!reader.readRect(rect, QStringLiteral("scene_rect")))
        return false;
    setSceneRect(rect);
    for (int i = 0; i < count; ++i) {
        if (!reader.enterElement(QStringLiteral("graphic")))
            return false;
        int type = 0;
        if (!reader.readInt(QStringLiteral("type"), type))
            return false;
        QGraphicsItem *item = GraphicFactory::createStored(type);
        if (!item) {
            reader.raiseError(QCoreApplication::translate("QGraphicsScene", "Insufficient memory."));
            return false;
        }
        if (!dynamic_cast<BaseGraphic *>(item)->readXml(reader)) {
            delete item;
            return false;
        }
        addItem(item);
        reader.skipCurrentElement();
    }
    return true;
}

bool Canvas::clipToScene()
{
    return s_clipToScene;
}
void Canvas::setClipToScene(bool clip)
{
    s_clipToScene = clip;
}
bool Canvas::debugMode()
{
    return s_debugMode;
}
void Canvas::setDebugMode(bool debug)
{
    s_debugMode = debug;
}

#define QUILLO_CANVAS_FORWARD(Handler, EventType)                                                                      \
    void Canvas::Handler(EventType *event)                                                                             \
    {                                                                                                                  \
        if (!forwardToEditors(this, event, &CanvasEditor::Handler))                                                    \
            QGraphicsScene::Handler(event);                                                                            \
    }

QUILLO_CANVAS_FORWARD(dragEnterEvent, QGraphicsSceneDragDropEvent)
QUILLO_CANVAS_FORWARD(dragMoveEvent, QGraphicsSceneDragDropEvent)
QUILLO_CANVAS_FORWARD(dragLeaveEvent, QGraphicsSceneDragDropEvent)
QUILLO_CANVAS_FORWARD(dropEvent, QGraphicsSceneDragDropEvent)
QUILLO_CANVAS_FORWARD(focusInEvent, QFocusEvent)
QUILLO_CANVAS_FORWARD(focusOutEvent, QFocusEvent)
QUILLO_CANVAS_FORWARD(keyPressEvent, QKeyEvent)
QUILLO_CANVAS_FORWARD(keyReleaseEvent, QKeyEvent)
QUILLO_CANVAS_FORWARD(mousePressEvent, QGraphicsSceneMouseEvent)
QUILLO_CANVAS_FORWARD(mouseMoveEvent, QGraphicsSceneMouseEvent)
QUILLO_CANVAS_FORWARD(mouseReleaseEvent, QGraphicsSceneMouseEvent)
QUILLO_CANVAS_FORWARD(mouseDoubleClickEvent, QGraphicsSceneMouseEvent)
QUILLO_CANVAS_FORWARD(wheelEvent, QGraphicsSceneWheelEvent)

#undef QUILLO_CANVAS_FORWARD
