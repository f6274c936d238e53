#include "CanvasEditor.h"

#include "BaseGraphic.h"
#include "BaseTool.h"
#include "Canvas.h"
#include "CanvasView.h"
#include "EraserTool.h"
#include "FreehandGraphic.h"
#include "GenericTool.h"
#include "GraphicFactory.h"
#include "HiliterGraphic.h"
#include "ImageGraphic.h"
#include "LineGraphic.h"
#include "MessageBoxes.h"
#include "PendingDelItem.h"
#include "SelectTool.h"
#include "ShapeTool.h"
#include "TextGraphic.h"
#include "TextTool.h"
#include "UndoDeleteGraphic.h"
#include "UndoFlipGraphic.h"
#include "UndoMirrorGraphic.h"
#include "UndoNewGraphic.h"
#include "UndoOpacityGraphic.h"
#include "UndoRotateGraphic.h"
#include "UndoScaleGraphic.h"

#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QFileInfo>
#include <QGraphicsSceneDragDropEvent>
#include <QGraphicsTextItem>
#include <QImageReader>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainterPath>
#include <QStandardPaths>
#include <QTextCursor>
#include <QUndoStack>
#include <QUrl>

#include <new>

namespace {

CanvasEditor::OpenFilesPrompt &openFilesPrompt()
{
    static CanvasEditor::OpenFilesPrompt prompt;
    return prompt;
}

// Hot spots: the pen tips of the pictures.
QCursor pictureCursor(const char *path, int hotX, int hotY)
{
    return QCursor(QPixmap(QString::fromLatin1(path)), hotX, hotY);
}

bool dragCarriesPictures(const QMimeData *mime)
{
    if (!mime || !mime->hasUrls())
        return false;
    const QList<QUrl> urls = mime->urls();
    for (const QUrl &url : urls) {
        // The reader needs a file name, which a URL's text form is not.
        if (!QImageReader(url.toLocalFile()).canRead())
            return false;
    }
    return true;
}

// A clone is placed this far right of and below its source, so both stay visible.
constexpr qreal kCloneOffset = 20.0;

} // namespace

CanvasEditor::CanvasEditor(QObject *parent)
    : QObject(parent)
    , m_freehandTool(new GenericTool<FreehandGraphic>(this))
    , m_lineTool(new GenericTool<LineGraphic>(this))
    , m_selectTool(new SelectTool(this))
    , m_moveTool(new BaseTool(this))
    , m_shapeTool(new ShapeTool(this))
    , m_textTool(new TextTool(this))
    , m_hiliterTool(new GenericTool<HiliterGraphic>(this))
    , m_eraserTool(new EraserTool(this))
    , m_undoStack(new QUndoStack(this))
    , m_pen(QBrush(Qt::black, Qt::SolidPattern), 4.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin)
{
}

CanvasEditor::~CanvasEditor()
{
    // Teardown is no change of availability anybody should hear about.
    m_undoStack->blockSignals(true);
    // Views outliving the editor must not call back into it.
    const QList<CanvasView *> views = m_views;
    for (CanvasView *view : views)
        view->setEditor(nullptr);
    m_views.clear();
    m_currentView = nullptr;
    m_currentTool = nullptr;
    const QList<BaseTool *> owned = tools();
    for (BaseTool *tool : owned)
        delete tool;
}

QList<BaseTool *> CanvasEditor::tools() const
{
    return {m_freehandTool, m_lineTool, m_selectTool, m_moveTool, m_shapeTool, m_textTool, m_hiliterTool, m_eraserTool};
}

QColor CanvasEditor::penColor() const
{
    return m_pen.style() == Qt::NoPen ? QColor() : m_pen.color();
}

QColor CanvasEditor::brushColor() const
{
    return m_brush.style() == Qt::NoBrush ? QColor() : m_brush.color();
}

void CanvasEditor::addView(CanvasView *view)
{
    if (!view)
        return;
    if (!m_views.contains(view))
        m_views.append(view);
    if (view == m_currentView)
        return;
    if (m_currentView && m_currentView->scene())
        m_currentView->scene()->clearSelection();
    m_currentView = view;
    view->setEditor(this);
    setTool(m_currentTool, m_currentTool != m_moveTool && m_currentTool != m_selectTool);
}

void CanvasEditor::removeView(CanvasView *view)
{
    m_views.removeAll(view);
    if (m_currentView == view)
        m_currentView = nullptr;
    QGraphicsScene *scene = view ? view->scene() : nullptr;
    if (!scene)
        return;
    const QList<BaseTool *> all = tools();
    for (BaseTool *tool : all)
        tool->forgetScene(scene);
    // The view's canvas and its drawings go with it, and the history cannot tell which of its steps
    // point at them: undoing one of those would reach freed graphics.
    if (m_undoStack)
        m_undoStack->clear();
}

void CanvasEditor::setEnabled(bool enabled)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;
    if (enabled)
        app->installEventFilter(this);
    else
        app->removeEventFilter(this);
}

void CanvasEditor::setOpenFilesPrompt(OpenFilesPrompt prompt)
{
    openFilesPrompt() = std::move(prompt);
}

void CanvasEditor::setTool(BaseTool *tool, bool clearSelection)
{
    if (m_currentTool && m_currentTool->creatingItem())
        return;
    QGraphicsView::DragMode dragMode = QGraphicsView::NoDrag;
    bool interactive = true;
    bool tracking = false;
    std::optional<QCursor> cursor;
    if (!tool) {
        interactive = false;
        cursor = QCursor(Qt::ArrowCursor);
    } else if (tool == m_selectTool) {
        dragMode = QGraphicsView::RubberBandDrag;
        tracking = true;
        cursor = QCursor(Qt::ArrowCursor);
    } else if (tool == m_moveTool) {
        dragMode = QGraphicsView::ScrollHandDrag;
        interactive = false;
    } else if (tool == m_freehandTool) {
        cursor = pictureCursor(":/Cursor/FreehandCursor", 6, 30);
    } else if (tool == m_hiliterTool) {
        cursor = pictureCursor(":/Cursor/HiliterCursor", 6, 30);
    } else if (tool == m_eraserTool) {
        cursor = pictureCursor(":/Cursor/EraserCursor", 9, 27);
    } else if (tool == m_textTool) {
        cursor = QCursor(Qt::IBeamCursor);
    } else {
        cursor = QCursor(Qt::CrossCursor);
    }
    const QList<CanvasView *> views = m_views;
    for (CanvasView *view : views) {
        view->setDragMode(dragMode);
        view->setInteractive(interactive);
        view->setAttribute(Qt::WA_MouseTracking, tracking);
        if (cursor)
            view->setCursor(*cursor);
    }
    if (!m_currentView || tool == m_currentTool)
        return;
    m_currentTool = tool;
    if (clearSelection && m_currentView->scene())
        m_currentView->scene()->clearSelection();
}

void CanvasEditor::toolNone()
{
    setTool(nullptr, true);
}
void CanvasEditor::toolSelect()
{
    setTool(m_selectTool, false);
}
void CanvasEditor::toolMove()
{
    setTool(m_moveTool, false);
}
void CanvasEditor::toolFreehand()
{
    setTool(m_freehandTool, true);
}
void CanvasEditor::toolLine()
{
    setTool(m_lineTool, true);
}
void CanvasEditor::toolShape()
{
    setTool(m_shapeTool, true);
}
void CanvasEditor::toolText()
{
    setTool(m_textTool, true);
}
void CanvasEditor::toolHiliter()
{
    setTool(m_hiliterTool, true);
}
void CanvasEditor::toolEraser()
{
    setTool(m_eraserTool, true);
}
void CanvasEditor::toolCoobie()
{
}
void CanvasEditor::insertVideoFile(QString &)
{
}

void CanvasEditor::editUndo()
{
    if (m_undoStack)
        m_undoStack->undo();
}

void CanvasEditor::editRedo()
{
    if (m_undoStack)
        m_undoStack->redo();
}

Canvas *CanvasEditor::editableCanvas() const
{
    if (!m_currentView || (m_currentTool && m_currentTool->creatingItem()))
        return nullptr;
    return qobject_cast<Canvas *>(m_currentView->scene());
}

QList<QGraphicsItem *> CanvasEditor::selection() const
{
    if (!m_currentView || !m_currentView->scene())
        return {};
    return m_currentView->scene()->selectedItems();
}

SelectionEdits CanvasEditor::edits() const
{
    return SelectionEdits(m_undoStack);
}

void CanvasEditor::showWarning(const QString &text) const
{
    MessageBoxes::warning(nullptr, QCoreApplication::applicationName(), text);
}

bool CanvasEditor::deleteItem(QGraphicsItem *item, bool undoable)
{
    QGraphicsScene *scene = item ? item->scene() : nullptr;
    if (!takeOutOfScene(item))
        return false;
    disposeOfRemoved(scene, item, undoable);
    return true;
}

bool CanvasEditor::takeOutOfScene(QGraphicsItem *item)
{
    auto *graphic = dynamic_cast<BaseGraphic *>(item);
    if (!graphic || !item->scene())
        return false;
    // Removing the item would take its focus inside removeItem, and the text's focus-out handling (which
    // records or drops the text) would then run in the middle of the removal.
    if (item->hasFocus())
        finishTextEditing(item->scene());
    QGraphicsScene *scene = item->scene();
    if (!scene)
        return false;
    if (graphic->hasCapability(CAP_REMOVAL_HOOK))
        graphic->beforeRemove();
    scene->removeItem(item);
    return true;
}

void CanvasEditor::disposeOfRemoved(QGraphicsScene *scene, QGraphicsItem *item, bool undoable)
{
    if (undoable && m_undoStack)
        m_undoStack->push(new UndoDeleteGraphic(scene, item));
    else
        (new PendingDelItem(item))->deleteLater();
}

void CanvasEditor::finishTextEditing(QGraphicsScene *scene)
{
    QGraphicsItem *focus = scene ? scene->focusItem() : nullptr;
    if (focus && focus->type() == TYPE_TEXT)
        focus->clearFocus();
}

void CanvasEditor::editDelete()
{
    if (!editableCanvas())
        return;
    const QList<QGraphicsItem *> selected = selection();
    if (selected.isEmpty())
        return;
    // Taken before the macro opens, so that a text typed just now is recorded as a step of its own.
    finishTextEditing(m_currentView->scene());
    edits().beginMacro(tr("Undo Delete"));
    bool deleted = false;
    for (QGraphicsItem *item : selected)
        deleted = deleteItem(item, true) || deleted;
    edits().endMacro();
    if (deleted)
        emit canvasChanged(true);
}

void CanvasEditor::editClearAll()
{
    if (!m_currentView)
        return;
    if (m_currentTool)
        m_currentTool->resetCreatingItem();
    QGraphicsScene *scene = m_currentView->scene();
    finishTextEditing(scene);
    if (!scene || scene->items().isEmpty())
        return;
    scene->clearSelection();
    edits().beginMacro(tr("Undo Clear All"));
    bool deleted = false;
    const QList<QGraphicsItem *> items = scene->items();
    for (QGraphicsItem *item : items)
        deleted = deleteItem(item, true) || deleted;
    edits().endMacro();
    if (deleted)
        emit canvasChanged(true);
}

void CanvasEditor::editClearView(CanvasView *view, bool undoable, bool resetView)
{
    const QList<CanvasView *> targets = view ? QList<CanvasView *>{view} : m_views;
    if (m_currentTool)
        m_currentTool->resetCreatingItem();
    for (CanvasView *target : targets)
        finishTextEditing(target->scene());
    bool macroOpen = false;
    bool deleted = false;
    for (CanvasView *target : targets) {
        if (resetView) {
            target->resetViewTransform();
            target->setHasAnnotations(false);
        }
        QGraphicsScene *scene = target->scene();
        if (!scene || scene->items().isEmpty())
            continue;
        if (!macroOpen && undoable && m_undoStack) {
            m_undoStack->beginMacro(tr("Undo Clear All"));
            macroOpen = true;
        }
        scene->clearSelection();
        const QList<QGraphicsItem *> items = scene->items();
        for (QGraphicsItem *item : items)
            deleted = deleteItem(item, undoable) || deleted;
    }
    if (macroOpen)
        m_undoStack->endMacro();
    if (deleted)
        emit canvasChanged(true);
}

void CanvasEditor::editSelectAll()
{
    Canvas *canvas = editableCanvas();
    if (!canvas)
        return;
    QPainterPath area;
    area.addRect(canvas->sceneRect());
    canvas->setSelectionArea(area, Qt::ReplaceSelection, m_currentView->rubberBandSelectionMode(), QTransform());
}

void CanvasEditor::insertImageFile(QString &dir)
{
    if (!editableCanvas())
        return;
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    const QString caption = tr("Open Image");
    const QString filter = tr("All Image Files (*.bmp *.jpg *.jpeg *.gif *.tif *.png)");
    const OpenFilesPrompt &prompt = openFilesPrompt();
    const QStringList files = prompt ? prompt(m_currentView, caption, dir, filter)
                                     : QFileDialog::getOpenFileNames(m_currentView, caption, dir, filter);
    if (files.isEmpty())
        return;
    dir = QFileInfo(files.first()).path();
    insertImageFiles(files);
}

void CanvasEditor::insertImageFiles(const QStringList &files)
{
    Canvas *canvas = m_currentView ? qobject_cast<Canvas *>(m_currentView->scene()) : nullptr;
    if (!canvas || files.isEmpty())
        return;
    edits().beginMacro(tr("Undo Insert Image File"));
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    bool inserted = false;
    for (const QString &file : files) {
        if (!QImageReader(file).canRead()) {
            showWarning(tr("The format is not supported."));
            continue;
        }
        auto *image = new (std::nothrow) ImageGraphic(file);
        if (!image || !image->startDrawing(QPointF())) {
            delete image;
            edits().endMacro();
            showWarning(tr("Insufficient memory."));
            QGuiApplication::restoreOverrideCursor();
            return;
        }
        image->setZValue(canvas->nextZMax());
        image->setPos(canvas->nextCascadeOffset());
        canvas->addItem(image);
        image->finishDrawing();
        if (m_undoStack)
            m_undoStack->push(new UndoNewGraphic(image));
        inserted = true;
    }
    edits().endMacro();
    if (inserted) {
        m_currentView->setHasAnnotations(true);
        emit canvasChanged(true);
    }
    QGuiApplication::restoreOverrideCursor();
}

QGraphicsTextItem *CanvasEditor::editedText() const
{
    QGraphicsScene *scene = m_currentView ? m_currentView->scene() : nullptr;
    QGraphicsItem *focus = scene ? scene->focusItem() : nullptr;
    if (!focus || focus->type() != TYPE_TEXT || !focus->hasFocus())
        return nullptr;
    return static_cast<TextGraphic *>(focus);
}

void CanvasEditor::endTextEditing(QGraphicsTextItem *text, bool clearSceneSelection)
{
    text->setTextInteractionFlags(Qt::NoTextInteraction);
    QTextCursor cursor = text->textCursor();
    cursor.clearSelection();
    text->setTextCursor(cursor);
    if (clearSceneSelection && text->scene())
        text->scene()->clearSelection();
}

bool CanvasEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    QGraphicsTextItem *text = editedText();
    if (!text)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonPress) {
        // The press's own position, not the pointer's: they agree for real input and synthetic presses
        // carry no pointer.
        const QPoint global = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
        QGraphicsItem *under = m_currentView->itemAt(m_currentView->viewport()->mapFromGlobal(global));
        if (under == text)
            return false;
        endTextEditing(text, true);
        return m_currentView->testAttribute(Qt::WA_UnderMouse);
    }
    if (static_cast<QKeyEvent *>(event)->key() != Qt::Key_Escape)
        return false;
    endTextEditing(text, false);
    return true;
}

void CanvasEditor::textLostFocus(QGraphicsTextItem &item)
{
    QTextCursor cursor = item.textCursor();
    cursor.clearSelection();
    item.setTextCursor(cursor);
    QGraphicsScene *scene = item.scene();
    if (scene)
        scene->clearSelection();
    auto *textTool = static_cast<TextTool *>(m_textTool);
    if (item.toPlainText().isEmpty()) {
        // Never written, never recorded: its creation step goes, and the text with it.
        textTool->dropPendingUndo(&item);
        deleteItem(&item, false);
        return;
    }
    textTool->flushPendingUndo();
}

// ---- Style of the selection and of new graphics -------------------------------------------------

void CanvasEditor::applyPenChange(QPen &pen, const PenChange &change) const
{
    if (change.color) {
        if (!change.color->isValid()) {
            pen.setStyle(Qt::NoPen);
        } else {
            if (pen.style() == Qt::NoPen)
                pen.setStyle(Qt::PenStyle(m_lastPenStyle));
            pen.setColor(*change.color);
        }
    }
    if (change.width)
        pen.setWidth(*change.width);
    if (change.style)
        pen.setStyle(Qt::PenStyle(*change.style));
}

void CanvasEditor::restyleSelection(unsigned capabilities, const std::function<bool(BaseGraphic *)> &change)
{
    bool changed = false;
    const QList<QGraphicsItem *> selected = selection();
    for (QGraphicsItem *item : selected) {
        auto *graphic = dynamic_cast<BaseGraphic *>(item);
        if (graphic && graphic->hasCapability(capabilities))
            changed = change(graphic) || changed;
    }
    if (changed)
        emit canvasChanged(true);
}

void CanvasEditor::changePen(const PenChange &change)
{
    applyPenChange(m_pen, change);
    restyleSelection(CAP_PEN | CAP_TEXT, [this, &change](BaseGraphic *graphic) {
        if (graphic->hasCapability(CAP_PEN)) {
            QPen pen = graphic->pen();
            applyPenChange(pen, change);
            graphic->setPen(pen);
            return true;
        }
        if (change.color && change.color->isValid()) {
            graphic->setTextColor(*change.color);
            return true;
        }
        return false;
    });
}

void CanvasEditor::setPenStyle(int style)
{
    m_lastPenStyle = style;
    changePen({std::nullopt, std::nullopt, style});
}

void CanvasEditor::setPenWidth(int width)
{
    changePen({std::nullopt, width, std::nullopt});
}

void CanvasEditor::setColor(const QColor &color)
{
    changePen({color, std::nullopt, std::nullopt});
}

void CanvasEditor::setBrush(const QColor &color)
{
    const auto change = [&color](QBrush &brush) {
        if (!color.isValid()) {
            brush.setStyle(Qt::NoBrush);
        } else {
            brush.setColor(color);
            brush.setStyle(Qt::SolidPattern);
        }
    };
    change(m_brush);
    restyleSelection(CAP_BRUSH, [&change](BaseGraphic *graphic) {
        QBrush brush = graphic->brush();
        change(brush);
        graphic->setBrush(brush);
        return true;
    });
}

void CanvasEditor::setStartAnchor(int kind)
{
    m_startAnchor = kind;
    restyleSelection(CAP_ANCHORS, [kind](BaseGraphic *graphic) {
        graphic->setStartAnchor(kind);
        return true;
    });
}

void CanvasEditor::setEndAnchor(int kind)
{
    m_endAnchor = kind;
    restyleSelection(CAP_ANCHORS, [kind](BaseGraphic *graphic) {
        graphic->setEndAnchor(kind);
        return true;
    });
}

void CanvasEditor::setShapeKind(int kind)
{
    m_shapeKind = kind;
    restyleSelection(CAP_SHAPE_KIND, [kind](BaseGraphic *graphic) {
        graphic->setShapeKind(kind);
        return true;
    });
}

void CanvasEditor::setFontFamily(const QString &family)
{
    m_font.setFamily(family);
    restyleSelection(CAP_TEXT, [&family](BaseGraphic *graphic) { return graphic->setFontFamily(family); });
}

void CanvasEditor::setPointSize(double size)
{
    m_font.setPointSizeF(size);
    restyleSelection(CAP_TEXT, [size](BaseGraphic *graphic) { return graphic->setFontPointSize(size); });
}

void CanvasEditor::setBold(bool bold)
{
    m_font.setWeight(bold ? QFont::Bold : QFont::Normal);
    restyleSelection(CAP_TEXT, [bold](BaseGraphic *graphic) { return graphic->setFontBold(bold); });
}

void CanvasEditor::setItalic(bool italic)
{
    m_font.setStyle(italic ? QFont::StyleItalic : QFont::StyleNormal);
    restyleSelection(CAP_TEXT, [italic](BaseGraphic *graphic) { return graphic->setFontItalic(italic); });
}

void CanvasEditor::setUnderline(bool underline)
{
    m_font.setUnderline(underline);
    restyleSelection(CAP_TEXT, [underline](BaseGraphic *graphic) { return graphic->setFontUnderline(underline); });
}

// ---- Undoable edits of the selection ----------------------------------------------------------

void CanvasEditor::editSelection(const QString &text, unsigned capability, const SelectionEdits::GraphicEdit &edit)
{
    Canvas *canvas = editableCanvas();
    if (canvas && edits().editEach(canvas, text, capability, edit))
        emit canvasChanged(true);
}

void CanvasEditor::editSetOpacity(qreal opacity)
{
    editSelection(tr("Undo Opacity"), CAP_OPACITY, [opacity](BaseGraphic *graphic) -> QUndoCommand * {
        QGraphicsItem *item = graphic->graphicItem();
        const double old = item->opacity();
        item->setOpacity(opacity);
        return new UndoOpacityGraphic(item, old);
    });
}

void CanvasEditor::editRotate(qreal degrees)
{
    editSelection(tr("Undo Rotate"), CAP_ROTATE, [degrees](BaseGraphic *graphic) -> QUndoCommand * {
        const double old = graphic->graphicRotation();
        graphic->rotateTo(degrees);
        return new UndoRotateGraphic(graphic->graphicItem(), old);
    });
}

void CanvasEditor::editScale(qreal factor)
{
    if (!(factor > 0))
        return;
    editSelection(tr("Undo Scale"), CAP_SCALE_X | CAP_SCALE_Y, [factor](BaseGraphic *graphic) -> QUndoCommand * {
        const double old = graphic->graphicScale();
        graphic->scaleTo(factor);
        return new UndoScaleGraphic(graphic->graphicItem(), old);
    });
}

void CanvasEditor::editMirror()
{
    editSelection(tr("Undo Mirror"), CAP_MIRROR, [](BaseGraphic *graphic) -> QUndoCommand * {
        graphic->mirror();
        return new UndoMirrorGraphic(graphic->graphicItem());
    });
}

void CanvasEditor::editFlip()
{
    editSelection(tr("Undo Flip"), CAP_FLIP, [](BaseGraphic *graphic) -> QUndoCommand * {
        graphic->flip();
        return new UndoFlipGraphic(graphic->graphicItem());
    });
}

void CanvasEditor::restack(bool (SelectionEdits::*move)(Canvas *, const QString &, bool) const, const QString &text,
                           bool forward)
{
    Canvas *canvas = editableCanvas();
    if (canvas && (edits().*move)(canvas, text, forward))
        emit canvasChanged(true);
}

void CanvasEditor::editBringToFront()
{
    restack(&SelectionEdits::restackToEnd, tr("Undo Bring to Front"), true);
}
void CanvasEditor::editSendToBack()
{
    restack(&SelectionEdits::restackToEnd, tr("Undo Send to Back"), false);
}
void CanvasEditor::editBringForward()
{
    restack(&SelectionEdits::restackOneStep, tr("Undo Bring Forward"), true);
}
void CanvasEditor::editSendBackward()
{
    restack(&SelectionEdits::restackOneStep, tr("Undo Send Backward"), false);
}

void CanvasEditor::editClone()
{
    Canvas *canvas = editableCanvas();
    if (!canvas)
        return;
    const QList<QGraphicsItem *> ordered = canvas->selectedItemsByZ(Qt::AscendingOrder);
    if (ordered.isEmpty())
        return;
    edits().beginMacro(tr("Undo Clone"));
    bool changed = false;
    for (QGraphicsItem *item : ordered) {
        auto *graphic = dynamic_cast<BaseGraphic *>(item);
        if (!graphic || !graphic->hasCapability(CAP_CLONE))
            continue;
        QGraphicsItem *copy = GraphicFactory::copy(item);
        if (!copy) {
            edits().endMacro();
            showWarning(tr("Insufficient memory."));
            if (changed)
                emit canvasChanged(true);
            return;
        }
        copy->setZValue(canvas->nextZMax());
        canvas->addItem(copy);
        copy->setPos(item->pos() + QPointF(kCloneOffset, kCloneOffset));
        if (m_undoStack)
            m_undoStack->push(new UndoNewGraphic(copy));
        changed = true;
    }
    edits().endMacro();
    if (changed)
        emit canvasChanged(true);
}

// ---- Scene input, handed to the current tool ------------------------------------------------------

void CanvasEditor::dragEnterEvent(QGraphicsSceneDragDropEvent *event)
{
    if (m_currentTool)
        m_currentTool->dragEnterEvent(event);
    if (!event->isAccepted() && dragCarriesPictures(event->mimeData()))
        event->accept();
}

void CanvasEditor::dragMoveEvent(QGraphicsSceneDragDropEvent *event)
{
    if (m_currentTool)
        m_currentTool->dragMoveEvent(event);
    event->accept();
}

#define QUILLO_FORWARD_TO_TOOL(Handler, EventType)                                                                     \
    void CanvasEditor::Handler(EventType *event)                                                                       \
    {                                                                                                                  \
        if (m_currentTool)                                                                                             \
            m_currentTool->Handler(event);                                                                             \
    }

QUILLO_FORWARD_TO_TOOL(dragLeaveEvent, QGraphicsSceneDragDropEvent)
QUILLO_FORWARD_TO_TOOL(dropEvent, QGraphicsSceneDragDropEvent)
QUILLO_FORWARD_TO_TOOL(focusInEvent, QFocusEvent)
QUILLO_FORWARD_TO_TOOL(focusOutEvent, QFocusEvent)
QUILLO_FORWARD_TO_TOOL(keyPressEvent, QKeyEvent)
QUILLO_FORWARD_TO_TOOL(keyReleaseEvent, QKeyEvent)
QUILLO_FORWARD_TO_TOOL(mousePressEvent, QGraphicsSceneMouseEvent)
QUILLO_FORWARD_TO_TOOL(mouseMoveEvent, QGraphicsSceneMouseEvent)
QUILLO_FORWARD_TO_TOOL(mouseReleaseEvent, QGraphicsSceneMouseEvent)
QUILLO_FORWARD_TO_TOOL(mouseDoubleClickEvent, QGraphicsSceneMouseEvent)
QUILLO_FORWARD_TO_TOOL(wheelEvent, QGraphicsSceneWheelEvent)

#undef QUILLO_FORWARD_TO_TOOL
