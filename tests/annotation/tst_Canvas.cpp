#include "TestEnvironment.h"

#include "BaseTool.h"
#include "Canvas.h"
#include "CanvasEditor.h"
#include "CanvasView.h"

#include <QGraphicsRectItem>
#include <QGraphicsSceneMouseEvent>
#include <QKeyEvent>

namespace {

// An editor whose tool can be chosen directly and which may take presses for itself.
class ScriptedEditor : public CanvasEditor
{
public:
    void useTool(BaseTool *tool) { m_currentTool = tool; }

    void mousePressEvent(QGraphicsSceneMouseEvent *event) override
    {
        ++presses;
        if (acceptPresses)
            event->accept();
        else
            CanvasEditor::mousePressEvent(event);
    }

    bool acceptPresses = false;
    int presses = 0;
};

class KeyRecorder : public QGraphicsRectItem
{
public:
    KeyRecorder()
        : QGraphicsRectItem(0, 0, 10, 10)
    {
        setFlag(ItemIsFocusable);
    }
    void keyPressEvent(QKeyEvent *event) override { keys << event->key(); }
    QList<int> keys;
};

QGraphicsRectItem *addBox(QGraphicsScene &scene, const QRectF &rect, double z)
{
    auto *item = scene.addRect(rect, QPen(Qt::black), QBrush(Qt::red));
    item->setFlags(QGraphicsItem::ItemIsMovable | QGraphicsItem::ItemIsSelectable);
    item->setZValue(z);
    return item;
}

// A shown container holding a plain (opaque, scrolling) view of the canvas at scale 1.
struct Surface
{
    explicit Surface(Canvas &canvas)
    {
        const int flags = 0;
        view = new CanvasView(0, &flags, &window);
        view->attachCanvas(&canvas);
        view->setFrameShape(QFrame::NoFrame);
        view->resize(1100, 800);
        window.resize(1100, 800);
        window.show();
    }
    QPoint viewportPoint(const QPointF &scenePos) const { return view->mapFromScene(scenePos); }

    QWidget window;
    CanvasView *view;
};

} // namespace

class TestCanvas : public QObject
{
    Q_OBJECT
private slots:
    void zCountersAndCascade();
    void topAndBottomItems();
    void selectedItemsByZKeepsTies_data();
    void selectedItemsByZKeepsTies();
    void eventsReachItemsUnlessToolTakesThem_data();
    void eventsReachItemsUnlessToolTakesThem();
    void plainToolLeavesDragToScene();
    void keysReachFocusItem_data();
    void keysReachFocusItem();
    void pressMakesViewCurrent();
    void toolDestroyedMidDragWarnsAndKeepsItem();
    void idleToolDestroysSilently();
};

void TestCanvas::zCountersAndCascade()
{
    Canvas canvas;
    QCOMPARE(canvas.sceneRect(), QRectF(0, 0, 1024, 768));
    QCOMPARE(canvas.backgroundBrush(), QBrush(Qt::white, Qt::SolidPattern));
    QCOMPARE(canvas.nextZMax(), 0.0);
    QCOMPARE(canvas.nextZMax(), 1.0);
    QCOMPARE(canvas.nextZMax(), 2.0);
    QCOMPARE(canvas.nextZMin(), -1.0);
    QCOMPARE(canvas.nextZMin(), -2.0);
    QList<QPoint> offsets;
    for (int i = 0; i < 21; ++i)
        offsets << canvas.nextCascadeOffset();
    QCOMPARE(offsets.at(0), QPoint(0, 0));
    QCOMPARE(offsets.at(1), QPoint(20, 20));
    QCOMPARE(offsets.at(19), QPoint(380, 380));
    QCOMPARE(offsets.at(20), QPoint(0, 0));
}

void TestCanvas::topAndBottomItems()
{
    Canvas canvas;
    auto *low = addBox(canvas, QRectF(0, 0, 10, 10), -1);
    auto *mid = addBox(canvas, QRectF(0, 0, 10, 10), 0);
    auto *high = addBox(canvas, QRectF(0, 0, 10, 10), 3);
    QVERIFY(canvas.isBottomItem(low));
    QVERIFY(!canvas.isBottomItem(mid));
    QVERIFY(canvas.isTopItem(high));
    QVERIFY(!canvas.isTopItem(mid));
}

void TestCanvas::selectedItemsByZKeepsTies_data()
{
    QTest::addColumn<QList<double>>("zValues"); // items added in this order, all selected
    QTest::addColumn<QList<int>>("ascending");  // indexes of the items, lowest first
    QTest::newRow("distinct") << QList<double>{2, 0, 1} << QList<int>{1, 2, 0};
    QTest::newRow("two equal") << QList<double>{1, 1, 0.5} << QList<int>{2, 0, 1};
    QTest::newRow("all equal") << QList<double>{0.1, 0.1, 0.1, 0.1} << QList<int>{0, 1, 2, 3};
}

void TestCanvas::selectedItemsByZKeepsTies()
{
    QFETCH(QList<double>, zValues);
    QFETCH(QList<int>, ascending);
    Canvas canvas;
    QCOMPARE(canvas.selectedItemsByZ(Qt::AscendingOrder), QList<QGraphicsItem *>());
    QList<QGraphicsItem *> items;
    for (double z : std::as_const(zValues)) {
        items << addBox(canvas, QRectF(0, 0, 10, 10), z);
        items.last()->setSelected(true);
    }
    QList<QGraphicsItem *> expected;
    for (int index : std::as_const(ascending))
        expected << items.at(index);
    QCOMPARE(canvas.selectedItemsByZ(Qt::AscendingOrder), expected);
    std::reverse(expected.begin(), expected.end());
    QCOMPARE(canvas.selectedItemsByZ(Qt::DescendingOrder), expected);
}

void TestCanvas::eventsReachItemsUnlessToolTakesThem_data()
{
    QTest::addColumn<bool>("withEditor");
    QTest::addColumn<bool>("editorAccepts");
    QTest::addColumn<bool>("selected");
    QTest::newRow("no editor") << false << false << true;
    QTest::newRow("editor leaves it") << true << false << true;
    QTest::newRow("editor takes it") << true << true << false;
}

void TestCanvas::eventsReachItemsUnlessToolTakesThem()
{
    QFETCH(bool, withEditor);
    QFETCH(bool, editorAccepts);
    QFETCH(bool, selected);
    Canvas canvas;
    auto *box = addBox(canvas, QRectF(100, 100, 100, 100), 0);
    Surface surface(canvas);
    ScriptedEditor editor;
    // A press registers the view and re-applies the current tool; without one the view would stop
    // taking input.
    BaseTool plainTool(&editor);
    editor.useTool(&plainTool);
    editor.acceptPresses = editorAccepts;
    if (withEditor)
        surface.view->setEditor(&editor);
    QTest::mouseClick(surface.view->viewport(), Qt::LeftButton, {}, surface.viewportPoint(QPointF(150, 150)));
    QCOMPARE(editor.presses, withEditor ? 1 : 0);
    QCOMPARE(box->isSelected(), selected);
}

void TestCanvas::plainToolLeavesDragToScene()
{
    Canvas canvas;
    auto *box = addBox(canvas, QRectF(100, 100, 100, 100), 0);
    Surface surface(canvas);
    ScriptedEditor editor;
    BaseTool moveTool(&editor);
    editor.useTool(&moveTool);
    surface.view->setEditor(&editor);
    QWidget *port = surface.view->viewport();
    QTest::mousePress(port, Qt::LeftButton, {}, surface.viewportPoint(QPointF(150, 150)));
    QTest::mouseMove(port, surface.viewportPoint(QPointF(170, 160)));
    QTest::mouseMove(port, surface.viewportPoint(QPointF(200, 180)));
    QTest::mouseRelease(port, Qt::LeftButton, {}, surface.viewportPoint(QPointF(200, 180)));
    QVERIFY(box->isSelected());
    QCOMPARE(box->pos(), QPointF(50, 30));
}

void TestCanvas::keysReachFocusItem_data()
{
    QTest::addColumn<bool>("withEditor");
    QTest::addColumn<bool>("withTool");
    QTest::newRow("no editor") << false << false;
    QTest::newRow("editor without tool") << true << false;
    QTest::newRow("plain tool") << true << true;
}

void TestCanvas::keysReachFocusItem()
{
    QFETCH(bool, withEditor);
    QFETCH(bool, withTool);
    Canvas canvas;
    auto *recorder = new KeyRecorder;
    canvas.addItem(recorder);
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&canvas, &activate);
    canvas.setFocusItem(recorder);
    // The editor outlives the view, which calls back into it from its destructor.
    ScriptedEditor editor;
    BaseTool plainTool(&editor);
    const int flags = 0;
    CanvasView view(0, &flags);
    view.attachCanvas(&canvas);
    if (withTool)
        editor.useTool(&plainTool);
    if (withEditor)
        view.setEditor(&editor);

    // Delivered keys arrive accepted; unless a tool takes them the focus item must still have them.
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QCoreApplication::sendEvent(&canvas, &key);
    QCOMPARE(recorder->keys, QList<int>{Qt::Key_A});
}

void TestCanvas::pressMakesViewCurrent()
{
    Canvas first;
    Canvas second;
    auto *box = addBox(first, QRectF(100, 100, 100, 100), 0);
    Surface one(first);
    Surface two(second);
    ScriptedEditor editor;
    BaseTool plainTool(&editor);
    editor.useTool(&plainTool);
    editor.addView(one.view);
    editor.addView(two.view);
    QCOMPARE(editor.currentView(), two.view);
    QCOMPARE(one.view->editor(), &editor);
    QTest::mouseClick(one.view->viewport(), Qt::LeftButton, {}, one.viewportPoint(QPointF(150, 150)));
    QCOMPARE(editor.currentView(), one.view);
    QVERIFY(box->isSelected());
    QCOMPARE(editor.views().size(), 2);
    delete two.view;
    QCOMPARE(editor.views(), QList<CanvasView *>{one.view});
    QCOMPARE(editor.currentView(), one.view);
}

void TestCanvas::toolDestroyedMidDragWarnsAndKeepsItem()
{
    class DraggingTool : public BaseTool
    {
    public:
        DraggingTool(QGraphicsItem *item)
            : BaseTool(nullptr)
        {
            m_creatingItem = item;
        }
    };
    Canvas canvas;
    auto *box = addBox(canvas, QRectF(0, 0, 10, 10), 0);
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("^Warning: BaseTool::creatingItem = 0x[0-9A-F]+ may cause memory leak$"));
    delete new DraggingTool(box);
    QCOMPARE(canvas.items(), QList<QGraphicsItem *>{box});

    DraggingTool reset(box);
    reset.resetCreatingItem();
    QCOMPARE(reset.creatingItem(), nullptr);
}

void TestCanvas::idleToolDestroysSilently()
{
    QTest::failOnWarning(QRegularExpression("creatingItem"));
    delete new BaseTool(nullptr);
}

QUILLO_TEST_MAIN(TestCanvas)
#include "tst_Canvas.moc"
