#include "TextTool.h"

#include "Canvas.h"
#include "CanvasEditor.h"
#include "CanvasView.h"
#include "TextGraphic.h"
#include "UndoNewGraphic.h"

#include <QGraphicsSceneMouseEvent>
#include <QTextCursor>
#include <QUndoStack>

#include <new>

TextTool::~TextTool()
{
    delete m_pendingUndo;
}

void TextTool::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    CanvasView *view = contextView();
    if (!view || event->button() != Qt::LeftButton)
        return;
    QGraphicsScene *scene = view->scene();
    QGraphicsItem *under = view->itemAt(view->mapFromScene(event->scenePos()));
    QGraphicsItem *focus = scene->focusItem();
    if (under && under->type() == TYPE_TEXT) {
        if (under != focus)
            view->setCursor(Qt::SizeAllCursor);
        return;
    }
    if (!under) {
        if (focus && focus->type() == TYPE_TEXT) {
            auto *text = static_cast<TextGraphic *>(focus);
            text->setTextInteractionFlags(Qt::NoTextInteraction);
            QTextCursor cursor = text->textCursor();
            cursor.clearSelection();
            text->setTextCursor(cursor);
            scene->clearSelection();
            event->accept();
            return;
        }
        scene->clearSelection();
    }
    auto *text = new (std::nothrow) TextGraphic();
    if (!text) {
        showMemoryWarning("Not enough memory.");
        event->accept();
        return;
    }
    text->setFont(m_editor->font());
    text->setDefaultTextColor(m_editor->pen().color());
    text->setPos(event->scenePos());
    if (Canvas *canvas = contextCanvas())
        text->setZValue(canvas->nextZMax());
    scene->addItem(text);
    text->setSelected(true);
    view->setHasAnnotations(true);
    QObject::connect(text, &TextGraphic::lostFocus, m_editor, &CanvasEditor::textLostFocus);
    emitChange();
    delete m_pendingUndo;
    m_pendingUndo = new UndoNewGraphic(text);
    m_pendingText = text;
}

void TextTool::flushPendingUndo()
{
    if (!m_pendingUndo)
        return;
    if (QUndoStack *stack = m_editor ? m_editor->undoStack() : nullptr)
        stack->push(m_pendingUndo);
    else
        delete m_pendingUndo;
    m_pendingUndo = nullptr;
    m_pendingText = nullptr;
}

void TextTool::dropPendingUndo(QGraphicsItem *text)
{
    if (!m_pendingUndo || text != m_pendingText)
        return;
    // Never pushed, so never undone: deleting the command leaves the text alone.
    delete m_pendingUndo;
    m_pendingUndo = nullptr;
    m_pendingText = nullptr;
}

void TextTool::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    if (m_editor && m_editor->currentView() && event->button() == Qt::LeftButton)
        m_editor->currentView()->setCursor(Qt::IBeamCursor);
}

void TextTool::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    event->ignore();
}

void TextTool::mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event)
{
    event->ignore();
}
