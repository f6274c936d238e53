#include "BaseTool.h"

#include "BaseGraphic.h"
#include "Canvas.h"
#include "CanvasEditor.h"
#include "CanvasView.h"
#include "MessageBoxes.h"
#include "UndoNewGraphic.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGraphicsItem>
#include <QGraphicsSceneDragDropEvent>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsSceneWheelEvent>
#include <QKeyEvent>
#include <QUndoStack>
#include <QtDebug>

BaseTool::BaseTool(CanvasEditor *editor)
    : m_editor(editor)
{
}

BaseTool::~BaseTool()
{
    // The item belongs to its scene; a tool destroyed mid-drag only reports it.
    if (m_creatingItem)
        qWarning("Warning: BaseTool::creatingItem = 0x%llX may cause memory leak",
                 static_cast<unsigned long long>(reinterpret_cast<quintptr>(m_creatingItem)));
}

void BaseTool::dragEnterEvent(QGraphicsSceneDragDropEvent *event)
{
    event->ignore();
}
void BaseTool::dragLeaveEvent(QGraphicsSceneDragDropEvent *event)
{
    event->ignore();
}
void BaseTool::dragMoveEvent(QGraphicsSceneDragDropEvent *event)
{
    event->ignore();
}
void BaseTool::dropEvent(QGraphicsSceneDragDropEvent *event)
{
    event->ignore();
}
void BaseTool::focusInEvent(QFocusEvent *event)
{
    event->ignore();
}
void BaseTool::focusOutEvent(QFocusEvent *event)
{
    event->ignore();
}
void BaseTool::keyPressEvent(QKeyEvent *event)
{
    event->ignore();
}
void BaseTool::keyReleaseEvent(QKeyEvent *event)
{
    event->ignore();
}
void BaseTool::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    event->ignore();
}
void BaseTool::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    event->ignore();
}
void BaseTool::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    event->ignore();
}
void BaseTool::mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event)
{
    event->ignore();
}
void BaseTool::wheelEvent(QGraphicsSceneWheelEvent *event)
{
    event->ignore();
}

void BaseTool::resetCreatingItem()
{
    m_creatingItem = nullptr;
}

void BaseTool::forgetScene(QGraphicsScene *scene)
{
    if (m_creatingItem && m_creatingItem->scene() == scene)
        m_creatingItem = nullptr;
}

CanvasView *BaseTool::contextView() const
{
    if (!m_editor)
        return nullptr;
    CanvasView *view = m_editor->currentView();
    return view && view->scene() ? view : nullptr;
}

Canvas *BaseTool::contextCanvas() const
{
    CanvasView *view = contextView();
    return view ? qobject_cast<Canvas *>(view->scene()) : nullptr;
}

void BaseTool::emitChange() const
{
    QMetaObject::invokeMethod(m_editor, "canvasChanged", Q_ARG(bool, true));
}

void BaseTool::showMemoryWarning(const char *text)
{
    MessageBoxes::warning(nullptr, QCoreApplication::applicationName(), QApplication::translate("QApplication", text));
}

void BaseTool::beginCreating(BaseGraphic *graphic, QGraphicsSceneMouseEvent *event, const char *failureText)
{
    event->accept();
    QGraphicsItem *item = graphic->graphicItem();
    if (Canvas *canvas = contextCanvas())
        item->setZValue(canvas->nextZMax());
    if (!graphic->startDrawing(event->scenePos())) {
        delete graphic;
        showMemoryWarning(failureText);
        return;
    }
    contextView()->scene()->addItem(item);
    m_creatingItem = item;
    emitChange();
    if (QUndoStack *stack = m_editor->undoStack())
        stack->push(new UndoNewGraphic(item));
}

void BaseTool::finishCreating(QGraphicsSceneMouseEvent *event)
{
    CanvasView *view = contextView();
    if (!view || !m_creatingItem)
        return;
    if (auto *graphic = dynamic_cast<BaseGraphic *>(m_creatingItem))
        graphic->finishDrawing();
    view->setHasAnnotations(true);
    m_creatingItem = nullptr;
    event->accept();
}
