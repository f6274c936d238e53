#pragma once

#include "SelectionEdits.h"

#include <QBrush>
#include <QFont>
#include <QList>
#include <QObject>
#include <QPen>
#include <QStringList>

#include <functional>
#include <optional>

class BaseGraphic;
class BaseTool;
class Canvas;
class CanvasView;
class QFocusEvent;
class QGraphicsItem;
class QGraphicsScene;
class QGraphicsSceneDragDropEvent;
class QGraphicsSceneMouseEvent;
class QGraphicsSceneWheelEvent;
class QGraphicsTextItem;
class QKeyEvent;
class QUndoStack;
class QWidget;

// The controller behind every drawing surface: it knows the registered views and the one last
// clicked, owns the drawing tools and the undo history, holds the pen, brush, font, end decorations and
// shape kind that new graphics take, and receives every scene input event to hand it to its current
// tool. Its edit slots act on the selection of the current view's scene.
class CanvasEditor : public QObject
{
    Q_OBJECT
public:
    // Asks the user for picture files: (parent, caption, start folder, filter) -> chosen files.
    using OpenFilesPrompt = std::function<QStringList(QWidget *, const QString &, const QString &, const QString &)>;

    explicit CanvasEditor(QObject *parent = nullptr);
    ~CanvasEditor() override;

    CanvasView *currentView() const { return m_currentView; }
    QList<CanvasView *> views() const { return m_views; }
    BaseTool *currentTool() const { return m_currentTool; }
    QUndoStack *undoStack() const { return m_undoStack; }
    void setUndoStack(QUndoStack *stack) { m_undoStack = stack; }

    QPen pen() const { return m_pen; }
    QBrush brush() const { return m_brush; }
    QFont font() const { return m_font; }
    void setFont(const QFont &font) { m_font = font; }
    int startAnchor() const { return m_startAnchor; }
    int endAnchor() const { return m_endAnchor; }
    int shapeKind() const { return m_shapeKind; }
    bool shapeFreeAspect() const { return m_shapeFreeAspect; }
    void setShapeFreeAspect(bool free) { m_shapeFreeAspect = free; }
    // Invalid while the pen (or brush) is switched off.
    QColor penColor() const;
    QColor brushColor() const;

    // Registers the view if needed and makes it the current one.
    void addView(CanvasView *view);
    // Forgets the view; called by views as they are destroyed.
    void removeView(CanvasView *view);

    // Installs (true) or removes the application-wide filter that ends text editing on an outside click
    // or on Escape.
    void setEnabled(bool enabled);

    // Takes a graphic out of its scene, into an undo command when undoable and a history exists, or to
    // be deleted from the event loop otherwise. False when the item is in no scene or is no graphic.
    bool deleteItem(QGraphicsItem *item, bool undoable);
    // The two halves of deleteItem, for a tool that collects graphics before recording them. Taking out
    // ends the typing in a text first, so that its creation is recorded (or an empty text dropped) before
    // the removal; false when the item is then in no scene or is no graphic.
    bool takeOutOfScene(QGraphicsItem *item);
    // The one place that decides who owns a graphic taken out of scene: the undo step when undoable and a
    // history exists, else the event loop, which deletes it.
    void disposeOfRemoved(QGraphicsScene *scene, QGraphicsItem *item, bool undoable);
    // Ends the typing in the text that has the keyboard focus in scene, if any: recording its creation, or
    // dropping it when empty, happens now rather than inside whatever step comes next.
    void finishTextEditing(QGraphicsScene *scene);
    // Makes tool current (refused while the current tool is drawing) and sets every view's drag mode,
    // interactivity, mouse tracking and cursor for it.
    void setTool(BaseTool *tool, bool clearSelection);
    void insertImageFiles(const QStringList &files);

    // Style setters: they change the default that new graphics take and restyle every selected graphic
    // able to take the value. They are not recorded in the undo history.
    void setPenStyle(int style);
    void setPenWidth(int width);
    // An invalid colour switches the pen off; a valid one switches it back on with the last pen style.
    void setColor(const QColor &color);
    // An invalid colour switches the fill off.
    void setBrush(const QColor &color);
    void setStartAnchor(int kind);
    void setEndAnchor(int kind);
    void setShapeKind(int kind);
    void setFontFamily(const QString &family);
    void setPointSize(double size);
    void setBold(bool bold);
    void setItalic(bool italic);
    void setUnderline(bool underline);

    // Replaces the picture-file dialog (tests answer it); an empty prompt restores the real dialog.
    static void setOpenFilesPrompt(OpenFilesPrompt prompt);

    virtual void dragEnterEvent(QGraphicsSceneDragDropEvent *event);
    virtual void dragLeaveEvent(QGraphicsSceneDragDropEvent *event);
    virtual void dragMoveEvent(QGraphicsSceneDragDropEvent *event);
    virtual void dropEvent(QGraphicsSceneDragDropEvent *event);
    virtual void focusInEvent(QFocusEvent *event);
    virtual void focusOutEvent(QFocusEvent *event);
    virtual void keyPressEvent(QKeyEvent *event);
    virtual void keyReleaseEvent(QKeyEvent *event);
    virtual void mousePressEvent(QGraphicsSceneMouseEvent *event);
    virtual void mouseMoveEvent(QGraphicsSceneMouseEvent *event);
    virtual void mouseReleaseEvent(QGraphicsSceneMouseEvent *event);
    virtual void mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event);
    virtual void wheelEvent(QGraphicsSceneWheelEvent *event);

    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    void canvasChanged(bool changed);

public slots:
    void editUndo();
    void editRedo();
    void editClone();
    void editDelete();
    void editSelectAll();
    void editFlip();
    void editMirror();
    void editScale(qreal factor);
    void editRotate(qreal degrees);
    void editBringToFront();
    void editSendToBack();
    void editBringForward();
    void editSendBackward();
    void editSetOpacity(qreal opacity);
    void editClearAll();
    void editClearView(CanvasView *view, bool undoable, bool resetView);
    void insertImageFile(QString &dir);
    void insertVideoFile(QString &dir);
    void toolNone();
    void toolSelect();
    void toolMove();
    void toolFreehand();
    void toolLine();
    void toolShape();
    void toolText();
    void toolHiliter();
    void toolEraser();
    void toolCoobie();
    void textLostFocus(QGraphicsTextItem &item);

protected:
    CanvasView *m_currentView = nullptr;
    QList<CanvasView *> m_views;
    BaseTool *m_currentTool = nullptr;

private:
    struct PenChange
    {
        std::optional<QColor> color;
        std::optional<int> width;
        std::optional<int> style;
    };
    // The eight tools the editor owns.
    QList<BaseTool *> tools() const;
    // The scene the selection edits act on; null when there is none or a tool is drawing.
    Canvas *editableCanvas() const;
    QList<QGraphicsItem *> selection() const;
    void applyPenChange(QPen &pen, const PenChange &change) const;
    void changePen(const PenChange &change);
    // Calls change on every selected graphic with one of the capability bits; emits the change when
    // any call returned true.
    void restyleSelection(unsigned capabilities, const std::function<bool(BaseGraphic *)> &change);
    // The selection edits on the current history.
    SelectionEdits edits() const;
    void editSelection(const QString &text, unsigned capability, const SelectionEdits::GraphicEdit &edit);
    void restack(bool (SelectionEdits::*move)(Canvas *, const QString &, bool) const, const QString &text,
                 bool forward);
    void endTextEditing(QGraphicsTextItem *text, bool clearSceneSelection);
    QGraphicsTextItem *editedText() const;
    void showWarning(const QString &text) const;

    BaseTool *m_freehandTool;
    BaseTool *m_lineTool;
    BaseTool *m_selectTool;
    BaseTool *m_moveTool;
    BaseTool *m_shapeTool;
    BaseTool *m_textTool;
    BaseTool *m_hiliterTool;
    BaseTool *m_eraserTool;
    bool m_shapeFreeAspect = true;
    QUndoStack *m_undoStack;
    int m_lastPenStyle = Qt::SolidLine;
    QPen m_pen;
    QBrush m_brush = QBrush(Qt::NoBrush);
    QFont m_font;
    int m_startAnchor = 0;
    int m_endAnchor = 0;
    int m_shapeKind = 0;
};
