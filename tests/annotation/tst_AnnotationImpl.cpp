#include "TestEnvironment.h"

#include "AnnotationImpl.h"
#include "BaseGraphic.h"
#include "Canvas.h"
#include "CanvasEditor.h"
#include "CanvasView.h"
#include "UpdateAnnoStateIntf.h"

#include <QGraphicsItem>
#include <QUndoStack>

namespace {

class StateRecorder : public UpdateAnnoStateIntf
{
public:
    void updateUndoState(bool canUndo) override { undo << canUndo; }
    void updateRedoState(bool canRedo) override { redo << canRedo; }
    QList<bool> undo;
    QList<bool> redo;
};

CanvasEditor *editorOf(AnnotationIntf *service)
{
    return static_cast<AnnotationImpl *>(service)->editor();
}

// Draws one stroke on the surface through the service's freehand tool.
void drawStroke(AnnotationIntf *service, QWidget *surface, const QPointF &from, const QPointF &to)
{
    auto *view = static_cast<CanvasView *>(surface);
    service->switchToFreehand();
    QWidget *port = view->viewport();
    QTest::mousePress(port, Qt::LeftButton, {}, view->mapFromScene(from));
    QTest::mouseMove(port, view->mapFromScene((from + to) / 2));
    QTest::mouseMove(port, view->mapFromScene(to));
    QTest::mouseRelease(port, Qt::LeftButton, {}, view->mapFromScene(to));
}

} // namespace

class TestAnnotationImpl : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void firstReleaseEndsTheSharedService();
    void strokeStyles_data();
    void strokeStyles();
    void shapeCodes_data();
    void shapeCodes();
    void penSettersReachEditorAndSelection();
    void createCanvasBuildsARegisteredSurface();
    void clearCanvasFlags_data();
    void clearCanvasFlags();
    void listenerHearsUndoAvailability();
    void otherWidgetsGetDefaults();
    void surfaceFollowsTheCamera();
    void surfacesOutliveTheService();
};

void TestAnnotationImpl::cleanup()
{
    AnnotationImpl::getInstance()->release();
}

void TestAnnotationImpl::firstReleaseEndsTheSharedService()
{
    AnnotationIntf *first = AnnotationImpl::getInstance();
    AnnotationIntf *second = AnnotationImpl::getInstance();
    QCOMPARE(first, second);
    first->setFreehandThickness(12);
    first->setFreehandColor(Qt::green);
    first->release();
    AnnotationIntf *fresh = AnnotationImpl::getInstance();
    QCOMPARE(fresh->freehandThickness(), 4);
    QCOMPARE(fresh->freehandColor(), QColor(Qt::red));
    QCOMPARE(fresh->lineColor(), QColor(Qt::red));
    QCOMPARE(fresh->shapeThickness(), 4);
    QCOMPARE(fresh->textColor(), QColor(Qt::red));
}

void TestAnnotationImpl::strokeStyles_data()
{
    QTest::addColumn<bool>("line");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("penStyle");
    QTest::addColumn<int>("startAnchor");
    QTest::addColumn<int>("endAnchor");
    for (bool line : {false, true}) {
        const QByteArray tool = line ? "line " : "freehand ";
        QTest::newRow(tool + "solid") << line << 0 << int(Qt::SolidLine) << 0 << 0;
        QTest::newRow(tool + "end arrow") << line << 1 << int(Qt::SolidLine) << 0 << int(ANCHOR_ARROW);
        QTest::newRow(tool + "dashed") << line << 2 << int(Qt::DashLine) << 0 << 0;
        QTest::newRow(tool + "both arrows")
            << line << 3 << int(Qt::SolidLine) << int(ANCHOR_ARROW) << int(ANCHOR_ARROW);
        QTest::newRow(tool + "unknown code") << line << 7 << int(Qt::SolidLine) << 0 << 0;
    }
}

void TestAnnotationImpl::strokeStyles()
{
    QFETCH(bool, line);
    QFETCH(int, code);
    QFETCH(int, penStyle);
    QFETCH(int, startAnchor);
    QFETCH(int, endAnchor);
    AnnotationIntf *service = AnnotationImpl::getInstance();
    CanvasEditor *editor = editorOf(service);
    // Leave dashes and arrows behind first, so that the code under test has to clear them.
    if (line)
        service->setLineStyle(2), service->setLineStyle(3), service->setLineStyle(code);
    else
        service->setFreehandStyle(2), service->setFreehandStyle(3), service->setFreehandStyle(code);
    QCOMPARE(line ? service->lineStyle() : service->freehandStyle(), code);
    QCOMPARE(int(editor->pen().style()), penStyle);
    QCOMPARE(editor->startAnchor(), startAnchor);
    QCOMPARE(editor->endAnchor(), endAnchor);
}

void TestAnnotationImpl::shapeCodes_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("freeAspect");
    QTest::addColumn<int>("readBack");
    QTest::newRow("circle") << 0 << 1 << false << 0;
    QTest::newRow("ellipse") << 1 << 1 << true << 1;
    QTest::newRow("rectangle") << 2 << 0 << true << 2;
    QTest::newRow("triangle") << 3 << 5 << true << 3;
    QTest::newRow("unknown code") << 9 << 1 << true << 1;
}

void TestAnnotationImpl::shapeCodes()
{
    QFETCH(int, code);
    QFETCH(int, kind);
    QFETCH(bool, freeAspect);
    QFETCH(int, readBack);
    AnnotationIntf *service = AnnotationImpl::getInstance();
    service->setShapeType(code);
    QCOMPARE(editorOf(service)->shapeKind(), kind);
    QCOMPARE(editorOf(service)->shapeFreeAspect(), freeAspect);
    QCOMPARE(service->shapeType(), readBack);
}

void TestAnnotationImpl::penSettersReachEditorAndSelection()
{
    AnnotationIntf *service = AnnotationImpl::getInstance();
    QWidget window;
    window.resize(640, 480);
    QWidget *surface = service->createCanvas(640, 480, &window, 0, false);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    service->setLineThickness(9);
    service->setLineColor(Qt::blue);
    QCOMPARE(service->lineThickness(), 9);
    service->switchToLine();
    CanvasEditor *editor = editorOf(service);
    QCOMPARE(editor->pen().width(), 9);
    QCOMPARE(editor->pen().color(), QColor(Qt::blue));
    drawStroke(service, surface, QPointF(50, 50), QPointF(300, 200));
    QGraphicsItem *stroke = static_cast<CanvasView *>(surface)->scene()->items().first();
    stroke->setSelected(true);
    // The panels restyle what is selected; the service's own pens answer the panels.
    service->setShapeColor(Qt::darkGreen);
    QCOMPARE(dynamic_cast<BaseGraphic *>(stroke)->pen().color(), QColor(Qt::darkGreen));
    QCOMPARE(service->lineColor(), QColor(Qt::blue));
    service->setTextPointSize(30);
    service->setTextBold(true);
    QCOMPARE(service->textFont().pointSizeF(), 30.0);
    QCOMPARE(service->textFont().weight(), QFont::Bold);
}

void TestAnnotationImpl::createCanvasBuildsARegisteredSurface()
{
    AnnotationIntf *service = AnnotationImpl::getInstance();
    QWidget window;
    QWidget *surface = service->createCanvas(320, 240, &window, 40, true);
    auto *view = qobject_cast<CanvasView *>(surface);
    QVERIFY(view);
    QCOMPARE(view->parentWidget(), &window);
    QCOMPARE(view->size(), QSize(320, 240));
    QCOMPARE(view->frameShape(), QFrame::NoFrame);
    QVERIFY(!view->acceptDrops());
    QCOMPARE(view->focusPolicy(), Qt::NoFocus);
    QCOMPARE(view->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(view->scene()->sceneRect(), QRectF(0, 0, 320, 240));
    QCOMPARE(view->scene()->backgroundBrush().color().alpha(), 40);
    QVERIFY(!Canvas::clipToScene());
    CanvasEditor *editor = editorOf(service);
    QCOMPARE(editor->currentView(), view);
    QCOMPARE(view->dragMode(), QGraphicsView::RubberBandDrag);
    service->setScrollBarVisible(view, true);
    QCOMPARE(view->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    const QImage empty = service->renderCanvasImage(view);
    QCOMPARE(empty.size(), QSize(320, 240));
    QCOMPARE(empty.format(), QImage::Format_ARGB32_Premultiplied);
    view->resize(0, 0);
    QVERIFY(service->renderCanvasImage(view).isNull());
    service->destroyCanvas(view);
    QVERIFY(editor->views().isEmpty());
}

void TestAnnotationImpl::clearCanvasFlags_data()
{
    QTest::addColumn<bool>("clearHistory");
    QTest::addColumn<bool>("everyView");
    QTest::addColumn<int>("steps");
    QTest::newRow("history cleared") << true << false << 0;
    QTest::newRow("one undoable step") << false << false << 1;
    QTest::newRow("every view, one step") << false << true << 1;
}

void TestAnnotationImpl::clearCanvasFlags()
{
    QFETCH(bool, clearHistory);
    QFETCH(bool, everyView);
    QFETCH(int, steps);
    AnnotationIntf *service = AnnotationImpl::getInstance();
    QWidget window;
    window.resize(800, 300);
    QWidget *left = service->createCanvas(400, 300, &window, 0, false);
    QWidget *right = service->createCanvas(400, 300, &window, 0, false);
    right->move(400, 0);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    drawStroke(service, left, QPointF(20, 20), QPointF(200, 100));
    drawStroke(service, right, QPointF(20, 20), QPointF(200, 100));
    service->clearCanvas(everyView ? nullptr : left, clearHistory, false);
    QVERIFY(static_cast<CanvasView *>(left)->scene()->items().isEmpty());
    QCOMPARE(static_cast<CanvasView *>(right)->scene()->items().isEmpty(), everyView);
    QUndoStack *stack = editorOf(service)->undoStack();
    QCOMPARE(stack->count(), clearHistory ? 0 : 2 + steps);
    if (!clearHistory)
        QCOMPARE(stack->text(stack->count() - 1), QStringLiteral("Undo Clear All"));
    // A widget that is no surface is left alone.
    QWidget other;
    service->clearCanvas(&other, true, true);
    QCOMPARE(stack->count(), clearHistory ? 0 : 2 + steps);
}

void TestAnnotationImpl::listenerHearsUndoAvailability()
{
    AnnotationIntf *service = AnnotationImpl::getInstance();
    StateRecorder recorder;
    service->setStateListener(&recorder);
    QWidget window;
    window.resize(400, 300);
    QWidget *surface = service->createCanvas(400, 300, &window, 0, false);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    drawStroke(service, surface, QPointF(20, 20), QPointF(200, 100));
    QCOMPARE(recorder.undo, QList<bool>{true});
    service->undo();
    QCOMPARE(recorder.undo, (QList<bool>{true, false}));
    QCOMPARE(recorder.redo.last(), true);
    service->redo();
    QCOMPARE(recorder.redo.last(), false);
    QCOMPARE(recorder.undo.last(), true);
    // A listener that goes first leaves nothing behind to be called.
    AnnotationImpl::forgetStateListener(&recorder);
    service->undo();
    QCOMPARE(recorder.undo.size(), 3);
    QCOMPARE(recorder.redo.last(), false);
}

void TestAnnotationImpl::otherWidgetsGetDefaults()
{
    AnnotationIntf *service = AnnotationImpl::getInstance();
    QWidget plain;
    service->setCanvasScale(&plain, 3.0);
    QCOMPARE(service->canvasScale(&plain), 1.0);
    QCOMPARE(service->canvasRotation(&plain), 0.0);
    QCOMPARE(service->isCanvasMirrored(&plain), false);
    QVERIFY(service->renderCanvasImage(&plain).isNull());
}

void TestAnnotationImpl::surfaceFollowsTheCamera()
{
    AnnotationIntf *service = AnnotationImpl::getInstance();
    QWidget window;
    window.resize(400, 300);
    QWidget *surface = service->createCanvas(400, 300, &window, 0, false);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const double fitted = service->canvasScale(surface);
    // Before the first drawing the camera's state is only the base the drawings will follow from.
    service->setCanvasScale(surface, 2.0);
    service->setCanvasRotation(surface, 90);
    QCOMPARE(service->canvasScale(surface), fitted);
    QCOMPARE(service->canvasRotation(surface), 0.0);
    drawStroke(service, surface, QPointF(20, 20), QPointF(200, 100));
    service->setCanvasScale(surface, 3.0);
    service->setCanvasRotation(surface, 180);
    service->setCanvasMirrored(surface, true);
    QVERIFY(qAbs(service->canvasScale(surface) - fitted * 1.5) < 1e-9);
    QCOMPARE(service->canvasRotation(surface), 90.0);
    QVERIFY(service->isCanvasMirrored(surface));
    service->clearAll(true, true);
    QCOMPARE(service->canvasRotation(surface), 0.0);
    QVERIFY(static_cast<CanvasView *>(surface)->scene()->items().isEmpty());
    QCOMPARE(editorOf(service)->undoStack()->count(), 0);
}

void TestAnnotationImpl::surfacesOutliveTheService()
{
    AnnotationIntf *service = AnnotationImpl::getInstance();
    QWidget window;
    window.resize(400, 300);
    auto *view = static_cast<CanvasView *>(service->createCanvas(400, 300, &window, 0, false));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    drawStroke(service, view, QPointF(20, 20), QPointF(200, 100));
    service->release();
    QCOMPARE(view->editor(), nullptr);
    QCOMPARE(view->scene()->items().size(), 1);
    // Input on the orphaned surface reaches only its scene.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->mapFromScene(QPointF(300, 250)));
    QCOMPARE(view->scene()->items().size(), 1);
}

QUILLO_TEST_MAIN(TestAnnotationImpl)
#include "tst_AnnotationImpl.moc"
