#include "TestEnvironment.h"

#include "BaseGraphic.h"
#include "BaseTool.h"
#include "EditorSurface.h"
#include "LineGraphic.h"
#include "ShapeGraphic.h"
#include "TextGraphic.h"

#include <QPointer>
#include <QSignalSpy>
#include <QUndoStack>

namespace {

ShapeGraphic *addBox(Canvas &canvas, const QRectF &rect)
{
    auto *shape = new ShapeGraphic(ShapeGraphic::RECTANGLE);
    shape->setBrush(QBrush(Qt::yellow));
    shape->startDrawing(rect.topLeft());
    shape->continueDrawing(rect.bottomRight());
    shape->finishDrawing();
    shape->setZValue(canvas.nextZMax());
    canvas.addItem(shape);
    return shape;
}

QList<TextGraphic *> texts(const Canvas &canvas)
{
    QList<TextGraphic *> found;
    const QList<QGraphicsItem *> items = canvas.items();
    for (QGraphicsItem *item : items) {
        if (item->type() == TYPE_TEXT)
            found << static_cast<TextGraphic *>(item);
    }
    return found;
}

} // namespace

class TestDrawingTools : public QObject
{
    Q_OBJECT
private slots:
    void dragDrawsGraphicWithDefaults_data();
    void dragDrawsGraphicWithDefaults();
    void otherButtonsDrawNothing_data();
    void otherButtonsDrawNothing();
    void selectToolRecordsOneMovePerDrag_data();
    void selectToolRecordsOneMovePerDrag();
    void selectToolCursorFollowsItems();
    void eraserOnEmptyCanvasRecordsNothing();
    void eraserTakesOnlyTopmostPerMove();
    void textIsUndoableOnceWritten();
    void emptyTextIsDropped();
    void escapeEndsTextEditing();
    void removingATextBeingTypedIn_data();
    void removingATextBeingTypedIn();
    void aSurfaceGoneMidDragLeavesTheToolsFree_data();
    void aSurfaceGoneMidDragLeavesTheToolsFree();
};

void TestDrawingTools::dragDrawsGraphicWithDefaults_data()
{
    QTest::addColumn<QByteArray>("tool");
    QTest::addColumn<int>("type");
    QTest::newRow("freehand") << QByteArray("toolFreehand") << int(TYPE_FREEHAND);
    QTest::newRow("highlighter") << QByteArray("toolHiliter") << int(TYPE_HILITER);
    QTest::newRow("line") << QByteArray("toolLine") << int(TYPE_LINE);
    QTest::newRow("shape") << QByteArray("toolShape") << int(TYPE_SHAPE);
}

void TestDrawingTools::dragDrawsGraphicWithDefaults()
{
    QFETCH(QByteArray, tool);
    QFETCH(int, type);
    CanvasEditor editor;
    EditorSurface surface(editor);
    QVERIFY(QMetaObject::invokeMethod(&editor, tool.constData()));
    editor.setColor(QColor(0, 0, 255));
    editor.setPenWidth(7);
    editor.setEndAnchor(ANCHOR_ARROW);
    editor.setShapeKind(ShapeGraphic::ELLIPSE);
    QSignalSpy changed(&editor, &CanvasEditor::canvasChanged);
    surface.drag({QPointF(100, 100), QPointF(150, 120), QPointF(220, 180), QPointF(300, 200)});
    const QList<QGraphicsItem *> items = surface.canvas->items();
    QCOMPARE(items.size(), 1);
    QGraphicsItem *item = items.first();
    QCOMPARE(item->type(), type);
    auto *graphic = dynamic_cast<BaseGraphic *>(item);
    QVERIFY(!graphic->isDrawing());
    QCOMPARE(graphic->pen().color().rgb(), QColor(0, 0, 255).rgb());
    QCOMPARE(graphic->pen().width(), 7);
    QCOMPARE(graphic->endAnchor(), graphic->hasCapability(CAP_ANCHORS) ? int(ANCHOR_ARROW) : 0);
    if (type == TYPE_SHAPE) {
        QCOMPARE(graphic->shapeKind(), int(ShapeGraphic::ELLIPSE));
        QCOMPARE(graphic->pen().joinStyle(), Qt::RoundJoin);
    }
    QVERIFY(item->sceneBoundingRect().contains(QRectF(120, 110, 150, 60)));
    QCOMPARE(item->zValue(), 0.0);
    QVERIFY(surface.view->hasAnnotations());
    QCOMPARE(changed.size(), 1);
    QCOMPARE(editor.undoStack()->count(), 1);
    editor.editUndo();
    QVERIFY(surface.canvas->items().isEmpty());
    editor.editRedo();
    QCOMPARE(surface.canvas->items(), items);
}

void TestDrawingTools::otherButtonsDrawNothing_data()
{
    QTest::addColumn<QByteArray>("tool");
    for (const char *tool : {"toolFreehand", "toolHiliter", "toolLine", "toolShape", "toolText", "toolEraser"})
        QTest::newRow(tool) << QByteArray(tool);
}

void TestDrawingTools::otherButtonsDrawNothing()
{
    QFETCH(QByteArray, tool);
    CanvasEditor editor;
    EditorSurface surface(editor);
    addBox(*surface.canvas, QRectF(100, 100, 200, 100));
    QVERIFY(QMetaObject::invokeMethod(&editor, tool.constData()));
    surface.drag({QPointF(150, 150), QPointF(250, 170)}, Qt::RightButton);
    QCOMPARE(surface.canvas->items().size(), 1);
    QCOMPARE(editor.undoStack()->count(), 0);
}

void TestDrawingTools::selectToolRecordsOneMovePerDrag_data()
{
    QTest::addColumn<bool>("dragSelected");
    QTest::newRow("selected items") << true;
    // A press on an item selects it at once; a drag from empty canvas is a rubber band and moves nothing.
    QTest::newRow("rubber band") << false;
}

void TestDrawingTools::selectToolRecordsOneMovePerDrag()
{
    QFETCH(bool, dragSelected);
    CanvasEditor editor;
    EditorSurface surface(editor);
    editor.toolSelect();
    QList<ShapeGraphic *> boxes;
    for (int i = 0; i < 3; ++i)
        boxes << addBox(*surface.canvas, QRectF(50 + 150 * i, 50, 100, 80));
    for (ShapeGraphic *box : std::as_const(boxes))
        box->setSelected(true);
    const QPointF start = dragSelected ? QPointF(100, 90) : QPointF(70, 20);
    surface.drag({start, start + QPointF(10, 5), start + QPointF(20, 10), start + QPointF(30, 20)});
    QUndoStack *stack = editor.undoStack();
    if (!dragSelected) {
        QCOMPARE(stack->count(), 0);
        QCOMPARE(boxes.first()->pos(), QPointF(0, 0));
        return;
    }
    QCOMPARE(stack->count(), 1);
    QCOMPARE(stack->text(0), QStringLiteral("Undo Move"));
    QCOMPARE(stack->command(0)->childCount(), 3);
    for (ShapeGraphic *box : std::as_const(boxes))
        QCOMPARE(box->pos(), QPointF(30, 20));
    editor.editUndo();
    for (ShapeGraphic *box : std::as_const(boxes))
        QCOMPARE(box->pos(), QPointF(0, 0));
}

void TestDrawingTools::selectToolCursorFollowsItems()
{
    CanvasEditor editor;
    EditorSurface surface(editor);
    editor.toolSelect();
    addBox(*surface.canvas, QRectF(100, 100, 100, 100));
    surface.move(QPointF(150, 150));
    QCOMPARE(surface.view->cursor().shape(), Qt::SizeAllCursor);
    surface.move(QPointF(400, 400));
    QCOMPARE(surface.view->cursor().shape(), Qt::ArrowCursor);
}

void TestDrawingTools::eraserOnEmptyCanvasRecordsNothing()
{
    CanvasEditor editor;
    EditorSurface surface(editor);
    editor.toolEraser();
    QSignalSpy changed(&editor, &CanvasEditor::canvasChanged);
    surface.drag({QPointF(300, 300), QPointF(310, 300)});
    QCOMPARE(changed.size(), 0);
    QCOMPARE(editor.undoStack()->count(), 0);
}

void TestDrawingTools::eraserTakesOnlyTopmostPerMove()
{
    CanvasEditor editor;
    EditorSurface surface(editor);
    editor.toolEraser();
    auto *lower = addBox(*surface.canvas, QRectF(100, 100, 200, 200));
    auto *upper = addBox(*surface.canvas, QRectF(150, 150, 200, 200));
    // Press outside both, then one move straight across the two.
    surface.drag({QPointF(50, 200), QPointF(400, 200)});
    QCOMPARE(surface.canvas->items(), QList<QGraphicsItem *>{lower});
    QCOMPARE(editor.undoStack()->count(), 1);
    QCOMPARE(editor.undoStack()->text(0), QStringLiteral("Undo Eraser"));
    editor.editUndo();
    QCOMPARE(upper->scene(), surface.canvas);
}

void TestDrawingTools::textIsUndoableOnceWritten()
{
    CanvasEditor editor;
    EditorSurface surface(editor);
    editor.toolText();
    editor.setColor(QColor(200, 0, 0));
    surface.click(QPointF(100, 100));
    QCOMPARE(texts(*surface.canvas).size(), 1);
    TextGraphic *text = texts(*surface.canvas).first();
    QCOMPARE(text->pos(), QPointF(100, 100));
    QCOMPARE(text->defaultTextColor(), QColor(200, 0, 0));
    QVERIFY(text->isSelected());
    QVERIFY(text->hasFocus());
    QTest::keyClicks(surface.port(), QStringLiteral("Hi"));
    QCOMPARE(text->toPlainText(), QStringLiteral("Hi"));
    QCOMPARE(editor.undoStack()->count(), 0);

    surface.click(QPointF(400, 400));
    QCOMPARE(texts(*surface.canvas).size(), 1);
    QCOMPARE(text->textInteractionFlags(), Qt::NoTextInteraction);
    QCOMPARE(editor.undoStack()->count(), 1);

    surface.click(QPointF(400, 400));
    QCOMPARE(texts(*surface.canvas).size(), 2);
    editor.editUndo();
    QCOMPARE(text->scene(), nullptr);
}

void TestDrawingTools::emptyTextIsDropped()
{
    CanvasEditor editor;
    EditorSurface surface(editor);
    editor.toolText();
    surface.click(QPointF(100, 100));
    QPointer<TextGraphic> text = texts(*surface.canvas).first();
    surface.click(QPointF(400, 400));
    QVERIFY(texts(*surface.canvas).isEmpty());
    QTRY_VERIFY(text.isNull());
    QCOMPARE(editor.undoStack()->count(), 0);
}

void TestDrawingTools::escapeEndsTextEditing()
{
    CanvasEditor editor;
    EditorSurface surface(editor);
    editor.setEnabled(true);
    editor.toolText();
    surface.click(QPointF(100, 100));
    TextGraphic *text = texts(*surface.canvas).first();
    QTest::keyClicks(surface.port(), QStringLiteral("ab"));
    QTest::keyClick(surface.port(), Qt::Key_Escape);
    QTest::keyClicks(surface.port(), QStringLiteral("c"));
    editor.setEnabled(false);
    QCOMPARE(text->toPlainText(), QStringLiteral("ab"));
    QCOMPARE(text->textInteractionFlags(), Qt::NoTextInteraction);
}

void TestDrawingTools::removingATextBeingTypedIn_data()
{
    QTest::addColumn<QByteArray>("removal");
    QTest::addColumn<QString>("typed");
    for (const char *removal : {"delete", "clear all", "clear view", "clear view for good", "eraser"}) {
        QTest::addRow("%s, nothing typed", removal) << QByteArray(removal) << QString();
        QTest::addRow("%s, text typed", removal) << QByteArray(removal) << QStringLiteral("Hi");
    }
}

void TestDrawingTools::removingATextBeingTypedIn()
{
    QFETCH(QByteArray, removal);
    QFETCH(QString, typed);
    CanvasEditor editor;
    EditorSurface surface(editor);
    ShapeGraphic *box = addBox(*surface.canvas, QRectF(400, 300, 100, 100));
    editor.toolText();
    surface.click(QPointF(100, 100));
    QPointer<TextGraphic> text = texts(*surface.canvas).first();
    QTest::keyClicks(surface.port(), typed);
    QVERIFY(text->hasFocus());
    QCOMPARE(editor.undoStack()->count(), 0);

    // Each reached without a press that would end the typing first: a shortcut, the window's own clear,
    // or the eraser chosen from the keyboard and pressed on the text itself.
    bool undoable = true;
    if (removal == "delete") {
        box->setSelected(true);
        editor.editDelete();
    } else if (removal == "clear all") {
        editor.editClearAll();
    } else if (removal == "clear view") {
        editor.editClearView(surface.view, true, false);
    } else if (removal == "clear view for good") {
        undoable = false;
        editor.editClearView(surface.view, false, false);
    } else {
        editor.toolEraser();
        surface.click(text->mapToScene(text->boundingRect().center()));
    }
    QVERIFY(texts(*surface.canvas).isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (typed.isEmpty()) {
        // Never written, so never recorded: the text is simply gone.
        QVERIFY(text.isNull());
        editor.editUndo();
        QVERIFY(texts(*surface.canvas).isEmpty());
        return;
    }
    if (!undoable) {
        QVERIFY(text.isNull());
        return;
    }
    // The typing was recorded as a step of its own before the removal, so one undo brings the text back.
    QVERIFY(text);
    editor.editUndo();
    QCOMPARE(texts(*surface.canvas), QList<TextGraphic *>{text.data()});
    QCOMPARE(text->toPlainText(), typed);
    editor.editUndo();
    QVERIFY(texts(*surface.canvas).isEmpty());
}

void TestDrawingTools::aSurfaceGoneMidDragLeavesTheToolsFree_data()
{
    QTest::addColumn<QByteArray>("tool");
    QTest::newRow("freehand") << QByteArray("toolFreehand");
    QTest::newRow("line") << QByteArray("toolLine");
    QTest::newRow("shape") << QByteArray("toolShape");
    QTest::newRow("eraser") << QByteArray("toolEraser");
}

void TestDrawingTools::aSurfaceGoneMidDragLeavesTheToolsFree()
{
    QFETCH(QByteArray, tool);
    CanvasEditor editor;
    EditorSurface kept(editor);
    auto *gone = new EditorSurface(editor);
    addBox(*gone->canvas, QRectF(100, 100, 200, 200));
    QVERIFY(QMetaObject::invokeMethod(&editor, tool.constData()));
    gone->press(QPointF(150, 150));
    gone->move(QPointF(250, 250));
    // The window closes its surface while the button is still down.
    delete gone;
    QCOMPARE(editor.currentTool()->creatingItem(), nullptr);

    editor.addView(kept.view);
    editor.toolSelect();
    QCOMPARE(kept.view->dragMode(), QGraphicsView::RubberBandDrag);
    ShapeGraphic *box = addBox(*kept.canvas, QRectF(100, 100, 100, 100));
    box->setSelected(true);
    editor.editRotate(45);
    QCOMPARE(box->graphicRotation(), 45.0);
    QCOMPARE(editor.undoStack()->count(), 1);
}

QUILLO_TEST_MAIN(TestDrawingTools)
#include "tst_DrawingTools.moc"
