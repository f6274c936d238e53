#include "TestEnvironment.h"

#include "BaseTool.h"
#include "EditorSurface.h"
#include "HiliterGraphic.h"
#include "ImageGraphic.h"
#include "LineGraphic.h"
#include "MessageBoxScript.h"
#include "ShapeGraphic.h"
#include "TextGraphic.h"

#include <QImage>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUndoStack>

namespace {

LineGraphic *addLine(Canvas &canvas, const QPointF &from, const QPointF &to)
{
    auto *line = new LineGraphic;
    line->setPen(QPen(Qt::black, 3));
    line->startDrawing(from);
    line->continueDrawing(to);
    line->finishDrawing();
    line->setZValue(canvas.nextZMax());
    canvas.addItem(line);
    return line;
}

TextGraphic *addText(Canvas &canvas, const QString &text, const QPointF &pos)
{
    auto *graphic = new TextGraphic(text);
    graphic->setPos(pos);
    graphic->setZValue(canvas.nextZMax());
    canvas.addItem(graphic);
    return graphic;
}

void selectOnly(const QList<QGraphicsItem *> &items)
{
    items.first()->scene()->clearSelection();
    for (QGraphicsItem *item : items)
        item->setSelected(true);
}

enum class Edit { Opacity, Rotate, Scale, ScaleZero, ScaleNegative, Mirror, Flip };

} // namespace

Q_DECLARE_METATYPE(Edit)

class TestCanvasEditor : public QObject
{
    Q_OBJECT
private slots:
    void toolSettingsReachEveryView_data();
    void toolSettingsReachEveryView();
    void toolChoiceNeedsAView();
    void toolSwitchRefusedWhileDrawing();
    void deleteSelectionIsOneStep();
    void destroyedSurfaceLeavesNoHistory();
    void clearEveryView_data();
    void clearEveryView();
    void clearAllOnEmptyCanvasDoesNothing();
    void insertPicturesCascadeAndSkipUnreadable();
    void insertImageFileAsksForFiles();
    void penColourSwitchesPenOffAndBackOn();
    void colourReachesTextAndLine();
    void fontSetterOnTextAlreadySoEmitsNothing();
    void undoableEdits_data();
    void undoableEdits();
    void sendBackwardSpreadsRunBetweenNeighbours();
    void sendBackwardAtTheBottom();
    void bringToFrontKeepsOrder();
    void cloneIsOffsetOnTopAndUndoable();
};

void TestCanvasEditor::toolSettingsReachEveryView_data()
{
    QTest::addColumn<QByteArray>("slot");
    QTest::addColumn<int>("dragMode");
    QTest::addColumn<bool>("interactive");
    QTest::addColumn<bool>("tracking");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QPoint>("hotSpot");
    const QPoint none;
    QTest::newRow("none") << QByteArray("toolNone") << int(QGraphicsView::NoDrag) << false << false
                          << int(Qt::ArrowCursor) << none;
    QTest::newRow("select") << QByteArray("toolSelect") << int(QGraphicsView::RubberBandDrag) << true << true
                            << int(Qt::ArrowCursor) << none;
    QTest::newRow("move") << QByteArray("toolMove") << int(QGraphicsView::ScrollHandDrag) << false << false
                          << int(Qt::ArrowCursor) << none;
    QTest::newRow("freehand") << QByteArray("toolFreehand") << int(QGraphicsView::NoDrag) << true << false
                              << int(Qt::BitmapCursor) << QPoint(6, 30);
    QTest::newRow("line") << QByteArray("toolLine") << int(QGraphicsView::NoDrag) << true << false
                          << int(Qt::CrossCursor) << none;
    QTest::newRow("shape") << QByteArray("toolShape") << int(QGraphicsView::NoDrag) << true << false
                           << int(Qt::CrossCursor) << none;
    QTest::newRow("text") << QByteArray("toolText") << int(QGraphicsView::NoDrag) << true << false
                          << int(Qt::IBeamCursor) << none;
    QTest::newRow("highlighter") << QByteArray("toolHiliter") << int(QGraphicsView::NoDrag) << true << false
                                 << int(Qt::BitmapCursor) << QPoint(6, 30);
    QTest::newRow("eraser") << QByteArray("toolEraser") << int(QGraphicsView::NoDrag) << true << false
                            << int(Qt::BitmapCursor) << QPoint(9, 27);
}

void TestCanvasEditor::toolSettingsReachEveryView()
{
    QFETCH(QByteArray, slot);
    QFETCH(int, dragMode);
    QFETCH(bool, interactive);
    QFETCH(bool, tracking);
    QFETCH(int, cursor);
    QFETCH(QPoint, hotSpot);
    CanvasEditor editor;
    EditorSurface one(editor);
    EditorSurface two(editor);
    // Start from the opposite of the move tool, whose cursor stays as it was.
    editor.toolSelect();
    QVERIFY(QMetaObject::invokeMethod(&editor, slot.constData()));
    for (CanvasView *view : {one.view, two.view}) {
        QCOMPARE(int(view->dragMode()), dragMode);
        QCOMPARE(view->isInteractive(), interactive);
        QCOMPARE(view->testAttribute(Qt::WA_MouseTracking), tracking);
        QCOMPARE(int(view->cursor().shape()), cursor);
        if (cursor == Qt::BitmapCursor) {
            QVERIFY(!view->cursor().pixmap().isNull());
            QCOMPARE(view->cursor().hotSpot(), hotSpot);
        }
    }
}

void TestCanvasEditor::toolChoiceNeedsAView()
{
    CanvasEditor editor;
    editor.toolSelect();
    QCOMPARE(editor.currentTool(), nullptr);
    EditorSurface surface(editor);
    editor.toolFreehand();
    QVERIFY(editor.currentTool());
}

void TestCanvasEditor::toolSwitchRefusedWhileDrawing()
{
    CanvasEditor editor;
    EditorSurface surface(editor);
    editor.toolFreehand();
    BaseTool *freehand = editor.currentTool();
    surface.press(QPointF(100, 100));
    surface.move(QPointF(150, 130));
    editor.toolSelect();
    QCOMPARE(editor.currentTool(), freehand);
    // The selection edits wait for the stroke as well.
    editor.editSelectAll();
    QVERIFY(surface.canvas->selectedItems().isEmpty());
    surface.release(QPointF(150, 130));
    editor.toolSelect();
    QVERIFY(editor.currentTool() != freehand);
}

void TestCanvasEditor::deleteSelectionIsOneStep()
{
    CanvasEditor editor;
    EditorSurface surface(editor);
    editor.toolSelect();
    QList<QGraphicsItem *> lines;
    for (int i = 0; i < 3; ++i)
        lines << addLine(*surface.canvas, QPointF(50, 50 + 40 * i), QPointF(300, 50 + 40 * i));
    QSignalSpy changed(&editor, &CanvasEditor::canvasChanged);
    editor.editSelectAll();
    QCOMPARE(surface.canvas->selectedItems().size(), 3);
    editor.editDelete();
    QVERIFY(surface.canvas->items().isEmpty());
    QCOMPARE(changed.size(), 1);
    QCOMPARE(editor.undoStack()->count(), 1);
    QCOMPARE(editor.undoStack()->text(0), QStringLiteral("Undo Delete"));
    editor.editUndo();
    QCOMPARE(surface.canvas->items().size(), 3);
    editor.editRedo();
    QVERIFY(surface.canvas->items().isEmpty());
}

void TestCanvasEditor::destroyedSurfaceLeavesNoHistory()
{
    CanvasEditor editor;
    EditorSurface kept(editor);
    auto *gone = new EditorSurface(editor);
    editor.toolSelect();
    selectOnly({addLine(*gone->canvas, QPointF(50, 50), QPointF(300, 50))});
    editor.editDelete();
    QCOMPARE(editor.undoStack()->count(), 1);
    delete gone;
    QCOMPARE(editor.undoStack()->count(), 0);
    editor.editUndo();
    QVERIFY(kept.canvas->items().isEmpty());
}

void TestCanvasEditor::clearEveryView_data()
{
    QTest::addColumn<bool>("undoable");
    QTest::addColumn<bool>("resetView");
    QTest::newRow("kept history, views reset") << true << true;
    QTest::newRow("no history, views kept") << false << false;
}

void TestCanvasEditor::clearEveryView()
{
    QFETCH(bool, undoable);
    QFETCH(bool, resetView);
    CanvasEditor editor;
    EditorSurface one(editor);
    EditorSurface two(editor);
    addLine(*one.canvas, QPointF(10, 10), QPointF(100, 10));
    QPointer<TextGraphic> text = addText(*two.canvas, QStringLiteral("gone"), QPointF(50, 50));
    one.view->setViewScale(2.0);
    two.view->setViewScale(2.0);
    QSignalSpy changed(&editor, &CanvasEditor::canvasChanged);
    editor.editClearView(nullptr, undoable, resetView);
    QVERIFY(one.canvas->items().isEmpty());
    QVERIFY(two.canvas->items().isEmpty());
    QCOMPARE(changed.size(), 1);
    QCOMPARE(editor.undoStack()->count(), undoable ? 1 : 0);
    if (undoable)
        QCOMPARE(editor.undoStack()->text(0), QStringLiteral("Undo Clear All"));
    for (CanvasView *view : {one.view, two.view})
        QCOMPARE(view->viewScale(), resetView ? 1.0 : 2.0);
    QVERIFY(text);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // Without a history the graphics are deleted from the event loop; with one the step holds them.
    QCOMPARE(text.isNull(), !undoable);
    if (undoable) {
        editor.editUndo();
        QCOMPARE(one.canvas->items().size() + two.canvas->items().size(), 2);
    }
}

void TestCanvasEditor::clearAllOnEmptyCanvasDoesNothing()
{
    CanvasEditor editor;
    EditorSurface surface(editor);
    QSignalSpy changed(&editor, &CanvasEditor::canvasChanged);
    editor.editClearAll();
    QCOMPARE(changed.size(), 0);
    QCOMPARE(editor.undoStack()->count(), 0);
}

void TestCanvasEditor::insertPicturesCascadeAndSkipUnreadable()
{
    QTemporaryDir dir;
    QStringList files;
    for (int i = 0; i < 5; ++i) {
        const QString path = dir.filePath(QStringLiteral("pic%1.png").arg(i));
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(Qt::green);
        QVERIFY(image.save(path));
        files << path;
        if (i == 2) {
            const QString broken = dir.filePath(QStringLiteral("broken.png"));
            QFile file(broken);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("not a picture");
            files << broken;
        }
    }
    CanvasEditor editor;
    EditorSurface surface(editor);
    MessageBoxScript boxes;
    editor.insertImageFiles(files);
    QCOMPARE(boxes.shown().size(), 1);
    QCOMPARE(boxes.lastText(), QStringLiteral("The format is not supported."));
    const QList<QGraphicsItem *> pictures = surface.canvas->items(Qt::AscendingOrder);
    QCOMPARE(pictures.size(), 5);
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(pictures.at(i)->pos(), QPointF(20 * i, 20 * i));
        QCOMPARE(pictures.at(i)->zValue(), double(i));
    }
    QVERIFY(surface.view->hasAnnotations());
    QCOMPARE(editor.undoStack()->count(), 1);
    QCOMPARE(editor.undoStack()->text(0), QStringLiteral("Undo Insert Image File"));
    editor.editUndo();
    QVERIFY(surface.canvas->items().isEmpty());
}

void TestCanvasEditor::insertImageFileAsksForFiles()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("one.png"));
    QImage image(20, 20, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QVERIFY(image.save(path));
    CanvasEditor editor;
    EditorSurface surface(editor);
    QStringList answer;
    QString askedIn;
    CanvasEditor::setOpenFilesPrompt([&](QWidget *parent, const QString &, const QString &start,
                                         const QString &filter) {
        askedIn = start;
        return filter.contains(QLatin1String("*.png")) && parent == surface.view ? answer : QStringList();
    });
    QString folder;
    editor.insertImageFile(folder);
    QCOMPARE(askedIn, QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
    QVERIFY(surface.canvas->items().isEmpty());
    answer = {path};
    editor.insertImageFile(folder);
    CanvasEditor::setOpenFilesPrompt({});
    QCOMPARE(surface.canvas->items().size(), 1);
    // The next dialog opens where the last picture came from.
    QCOMPARE(folder, dir.path());
}

void TestCanvasEditor::penColourSwitchesPenOffAndBackOn()
{
    CanvasEditor editor;
    EditorSurface surface(editor);
    auto *line = addLine(*surface.canvas, QPointF(10, 10), QPointF(100, 10));
    line->setSelected(true);
    editor.setColor(QColor());
    QCOMPARE(editor.pen().style(), Qt::NoPen);
    QVERIFY(!editor.penColor().isValid());
    QCOMPARE(line->pen().style(), Qt::NoPen);
    editor.setColor(Qt::blue);
    QCOMPARE(editor.pen().style(), Qt::SolidLine);
    QCOMPARE(line->pen().style(), Qt::SolidLine);
    QCOMPARE(line->pen().color(), QColor(Qt::blue));
    editor.setPenStyle(Qt::DashLine);
    editor.setColor(QColor());
    editor.setColor(Qt::red);
    QCOMPARE(editor.pen().style(), Qt::DashLine);
    QCOMPARE(line->pen().style(), Qt::DashLine);
    editor.setPenWidth(9);
    QCOMPARE(line->pen().width(), 9);
    // Style changes are no steps of the history.
    QCOMPARE(editor.undoStack()->count(), 0);
}

void TestCanvasEditor::colourReachesTextAndLine()
{
    CanvasEditor editor;
    EditorSurface surface(editor);
    auto *line = addLine(*surface.canvas, QPointF(10, 10), QPointF(100, 10));
    auto *text = addText(*surface.canvas, QStringLiteral("note"), QPointF(200, 200));
    selectOnly({line, text});
    QSignalSpy changed(&editor, &CanvasEditor::canvasChanged);
    editor.setColor(QColor(0, 128, 255));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(line->pen().color(), QColor(0, 128, 255));
    QCOMPARE(static_cast<BaseGraphic *>(text)->textColor(), QColor(0, 128, 255));
}

void TestCanvasEditor::fontSetterOnTextAlreadySoEmitsNothing()
{
    CanvasEditor editor;
    EditorSurface surface(editor);
    auto *text = addText(*surface.canvas, QStringLiteral("bold"), QPointF(20, 20));
    text->setSelected(true);
    QSignalSpy changed(&editor, &CanvasEditor::canvasChanged);
    editor.setBold(true);
    QCOMPARE(changed.size(), 1);
    editor.setBold(true);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(editor.font().weight(), QFont::Bold);
}

void TestCanvasEditor::undoableEdits_data()
{
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<bool>("onHighlighter");
    QTest::addColumn<QString>("step");
    QTest::newRow("opacity") << Edit::Opacity << false << "Undo Opacity";
    QTest::newRow("rotate") << Edit::Rotate << false << "Undo Rotate";
    QTest::newRow("scale") << Edit::Scale << false << "Undo Scale";
    QTest::newRow("scale by zero") << Edit::ScaleZero << false << QString();
    QTest::newRow("negative scale") << Edit::ScaleNegative << false << QString();
    QTest::newRow("mirror") << Edit::Mirror << false << "Undo Mirror";
    QTest::newRow("flip") << Edit::Flip << false << "Undo Flip";
    // A highlighter stays translucent: it takes no opacity.
    QTest::newRow("opacity of a highlighter") << Edit::Opacity << true << QString();
}

void TestCanvasEditor::undoableEdits()
{
    QFETCH(Edit, edit);
    QFETCH(bool, onHighlighter);
    QFETCH(QString, step);
    CanvasEditor editor;
    EditorSurface surface(editor);
    auto *shape = new ShapeGraphic(ShapeGraphic::RECTANGLE);
    shape->startDrawing(QPointF(100, 100));
    shape->continueDrawing(QPointF(200, 160));
    shape->finishDrawing();
    surface.canvas->addItem(shape);
    QGraphicsItem *target = shape;
    if (onHighlighter) {
        auto *stroke = new HiliterGraphic;
        stroke->startDrawing(QPointF(300, 300));
        stroke->continueDrawing(QPointF(400, 320));
        stroke->finishDrawing();
        surface.canvas->addItem(stroke);
        target = stroke;
    }
    target->setSelected(true);
    const QTransform before = target->transform();
    const double opacityBefore = target->opacity();
    QSignalSpy changed(&editor, &CanvasEditor::canvasChanged);
    switch (edit) {
    case Edit::Opacity:
        editor.editSetOpacity(0.5);
        break;
    case Edit::Rotate:
        editor.editRotate(30);
        break;
    case Edit::Scale:
        editor.editScale(2.0);
        break;
    case Edit::ScaleZero:
        editor.editScale(0.0);
        break;
    case Edit::ScaleNegative:
        editor.editScale(-1.0);
        break;
    case Edit::Mirror:
        editor.editMirror();
        break;
    case Edit::Flip:
        editor.editFlip();
        break;
    }
    const bool changes = !step.isEmpty();
    QCOMPARE(changed.size(), changes ? 1 : 0);
    if (!changes) {
        QCOMPARE(target->transform(), before);
        QCOMPARE(target->opacity(), opacityBefore);
        return;
    }
    QCOMPARE(editor.undoStack()->count(), 1);
    QCOMPARE(editor.undoStack()->text(0), step);
    QVERIFY(target->transform() != before || target->opacity() != opacityBefore);
    editor.editUndo();
    QCOMPARE(target->transform(), before);
    QCOMPARE(target->opacity(), opacityBefore);
}

void TestCanvasEditor::sendBackwardSpreadsRunBetweenNeighbours()
{
    CanvasEditor editor;
    EditorSurface surface(editor);
    // D lowest, then C, B, A on top, all crossing one spot.
    auto *d = addLine(*surface.canvas, QPointF(0, 0), QPointF(100, 100));
    auto *c = addLine(*surface.canvas, QPointF(0, 10), QPointF(100, 110));
    auto *b = addLine(*surface.canvas, QPointF(0, 20), QPointF(100, 120));
    auto *a = addLine(*surface.canvas, QPointF(0, 30), QPointF(100, 130));
    selectOnly({a, b});
    editor.editSendBackward();
    const double gap = c->zValue() - d->zValue();
    QVERIFY(qAbs(a->zValue() - (c->zValue() - gap / 3)) < 1e-9);
    QVERIFY(qAbs(b->zValue() - (c->zValue() - 2 * gap / 3)) < 1e-9);
    QCOMPARE(surface.canvas->items(Qt::DescendingOrder), (QList<QGraphicsItem *>{c, a, b, d}));
    QCOMPARE(editor.undoStack()->count(), 1);
    QCOMPARE(editor.undoStack()->text(0), QStringLiteral("Undo Send Backward"));
    editor.editUndo();
    QCOMPARE(surface.canvas->items(Qt::DescendingOrder), (QList<QGraphicsItem *>{a, b, c, d}));
}

void TestCanvasEditor::sendBackwardAtTheBottom()
{
    CanvasEditor editor;
    EditorSurface surface(editor);
    auto *lowest = addLine(*surface.canvas, QPointF(0, 0), QPointF(100, 100));
    auto *above = addLine(*surface.canvas, QPointF(0, 10), QPointF(100, 110));
    selectOnly({lowest});
    editor.editSendBackward();
    QCOMPARE(editor.undoStack()->count(), 0);
    selectOnly({above});
    editor.editSendBackward();
    QCOMPARE(above->zValue(), -1.0);
    QVERIFY(surface.canvas->isBottomItem(above));
    editor.editBringForward();
    QVERIFY(surface.canvas->isTopItem(above));
    QCOMPARE(editor.undoStack()->count(), 2);
}

void TestCanvasEditor::bringToFrontKeepsOrder()
{
    CanvasEditor editor;
    EditorSurface surface(editor);
    QList<QGraphicsItem *> lines;
    for (int i = 0; i < 5; ++i)
        lines << addLine(*surface.canvas, QPointF(0, 10 * i), QPointF(100, 100 + 10 * i));
    selectOnly({lines.at(0), lines.at(2), lines.at(3)});
    editor.editBringToFront();
    QCOMPARE(surface.canvas->items(Qt::DescendingOrder),
             (QList<QGraphicsItem *>{lines.at(3), lines.at(2), lines.at(0), lines.at(4), lines.at(1)}));
    QCOMPARE(editor.undoStack()->text(0), QStringLiteral("Undo Bring to Front"));
    editor.editSendToBack();
    QCOMPARE(surface.canvas->items(Qt::AscendingOrder).mid(0, 3),
             (QList<QGraphicsItem *>{lines.at(0), lines.at(2), lines.at(3)}));
}

void TestCanvasEditor::cloneIsOffsetOnTopAndUndoable()
{
    CanvasEditor editor;
    EditorSurface surface(editor);
    auto *line = addLine(*surface.canvas, QPointF(10, 10), QPointF(100, 50));
    addLine(*surface.canvas, QPointF(0, 0), QPointF(300, 300));
    line->setPos(5, 5);
    selectOnly({line});
    editor.editClone();
    QCOMPARE(surface.canvas->items().size(), 3);
    QGraphicsItem *copy = surface.canvas->items(Qt::DescendingOrder).first();
    QVERIFY(copy != line);
    QCOMPARE(copy->type(), int(TYPE_LINE));
    QCOMPARE(copy->pos(), QPointF(25, 25));
    QCOMPARE(static_cast<LineGraphic *>(copy)->line(), line->line());
    QCOMPARE(editor.undoStack()->text(0), QStringLiteral("Undo Clone"));
    editor.editUndo();
    QCOMPARE(surface.canvas->items().size(), 2);
}

QUILLO_TEST_MAIN(TestCanvasEditor)
#include "tst_CanvasEditor.moc"
