#include "TestEnvironment.h"

#include "Canvas.h"
#include "FreehandGraphic.h"
#include "HiliterGraphic.h"
#include "ImageGraphic.h"
#include "LineGraphic.h"
#include "ShapeGraphic.h"
#include "TextGraphic.h"
#include "UndoDeleteGraphic.h"
#include "UndoFlipGraphic.h"
#include "UndoMirrorGraphic.h"
#include "UndoMoveGraphic.h"
#include "UndoNewGraphic.h"
#include "UndoOpacityGraphic.h"
#include "UndoRotateGraphic.h"
#include "UndoScaleGraphic.h"
#include "UndoZorderGraphic.h"

#include <QUndoStack>

#include <functional>

namespace {

// A shape that reports its destruction and whether it was still in a scene when its removal hook ran.
class ProbeShape : public ShapeGraphic
{
public:
    explicit ProbeShape(bool *destroyed, bool withRemovalHook = false)
        : ShapeGraphic(RECTANGLE)
        , m_destroyed(destroyed)
    {
        if (withRemovalHook)
            m_capabilities |= CAP_REMOVAL_HOOK;
        setPath(buildPath(RECTANGLE).translated(10, 10) * QTransform::fromScale(4, 2));
    }
    ~ProbeShape() override { *m_destroyed = true; }

    void beforeRemove() override
    {
        ++hookCalls;
        inSceneAtHook = scene() != nullptr;
    }

    int hookCalls = 0;
    bool inSceneAtHook = false;

private:
    bool *m_destroyed;
};

// One property command: how to read the property, the value after the edit, and how to build the
// command from the value before it.
struct SwapCase
{
    std::function<QVariant(QGraphicsItem *)> read;
    std::function<void(QGraphicsItem *, const QVariant &)> write;
    QVariant after;
    std::function<QUndoCommand *(QGraphicsItem *, const QVariant &before)> make;
    QString text;
};

BaseGraphic *graphicOf(QGraphicsItem *item)
{
    return dynamic_cast<BaseGraphic *>(item);
}

QList<SwapCase> swapCases()
{
    return {
        {[](QGraphicsItem *i) { return QVariant(i->pos()); },
         [](QGraphicsItem *i, const QVariant &v) { i->setPos(v.toPointF()); }, QPointF(30, 40),
         [](QGraphicsItem *i, const QVariant &b) { return new UndoMoveGraphic(i, b.toPointF()); }, "Undo Move"},
        {[](QGraphicsItem *i) { return QVariant(i->opacity()); },
         [](QGraphicsItem *i, const QVariant &v) { i->setOpacity(v.toDouble()); }, 0.25,
         [](QGraphicsItem *i, const QVariant &b) { return new UndoOpacityGraphic(i, b.toDouble()); }, "Undo Opacity"},
        {[](QGraphicsItem *i) { return QVariant(i->zValue()); },
         [](QGraphicsItem *i, const QVariant &v) { i->setZValue(v.toDouble()); }, 7.0,
         [](QGraphicsItem *i, const QVariant &b) { return new UndoZorderGraphic(i, b.toDouble()); }, ""},
        {[](QGraphicsItem *i) { return QVariant(graphicOf(i)->graphicScale()); },
         [](QGraphicsItem *i, const QVariant &v) { graphicOf(i)->scaleTo(v.toDouble()); }, 2.5,
         [](QGraphicsItem *i, const QVariant &b) { return new UndoScaleGraphic(i, b.toDouble()); }, "Undo Scale"},
        {[](QGraphicsItem *i) { return QVariant(graphicOf(i)->graphicRotation()); },
         [](QGraphicsItem *i, const QVariant &v) { graphicOf(i)->rotateTo(v.toDouble()); }, 45.0,
         [](QGraphicsItem *i, const QVariant &b) { return new UndoRotateGraphic(i, b.toDouble()); }, "Undo Rotate"},
    };
}

} // namespace

class TestUndoCommands : public QObject
{
    Q_OBJECT
private slots:
    void propertyCommandsSwapAfterFirstRedo_data();
    void propertyCommandsSwapAfterFirstRedo();
    void toggleCommands_data();
    void toggleCommands();
    void commandsNeverMerge();
    void newGraphicTextFollowsType_data();
    void newGraphicTextFollowsType();
    void newGraphicUndoRedo();
    void cutRedoBranchDeletesUndoneCreation();
    void newGraphicOutOfSceneRemembersNoScene();
    void deleteGraphicOwnershipFollowsState();
    void eraserMacroRestoresAndFreesAll();
    void removalHookRunsBeforeRemoval();
    void deleteWithoutSceneDoesNothing();
};

void TestUndoCommands::propertyCommandsSwapAfterFirstRedo_data()
{
    QTest::addColumn<int>("index");
    const QList<SwapCase> cases = swapCases();
    for (int i = 0; i < cases.size(); ++i)
        QTest::addRow("%s", cases.at(i).text.isEmpty() ? "Zorder" : qPrintable(cases.at(i).text)) << i;
}

void TestUndoCommands::propertyCommandsSwapAfterFirstRedo()
{
    QFETCH(int, index);
    const SwapCase c = swapCases().at(index);
    Canvas canvas;
    bool destroyed = false;
    auto *item = new ProbeShape(&destroyed);
    canvas.addItem(item);
    const QVariant before = c.read(item);
    const QTransform transformBefore = item->transform();
    c.write(item, c.after);
    const QTransform transformAfter = item->transform();
    QUndoStack stack;
    stack.push(c.make(item, before));
    QCOMPARE(c.read(item), c.after); // the push's redo changes nothing
    QCOMPARE(stack.text(0), c.text);
    stack.undo();
    QCOMPARE(c.read(item), before);
    QCOMPARE(item->transform(), transformBefore);
    stack.redo();
    QCOMPARE(c.read(item), c.after);
    QCOMPARE(item->transform(), transformAfter);
    stack.undo();
    QCOMPARE(c.read(item), before);
    stack.clear();
    QVERIFY(!destroyed); // property commands never own their item
}

void TestUndoCommands::toggleCommands_data()
{
    QTest::addColumn<bool>("flipCommand");
    QTest::newRow("flip") << true;
    QTest::newRow("mirror") << false;
}

void TestUndoCommands::toggleCommands()
{
    QFETCH(bool, flipCommand);
    bool destroyed = false;
    ProbeShape item(&destroyed);
    const QTransform plain = item.transform();
    auto state = [&] { return flipCommand ? item.isFlipped() : item.isMirrored(); };
    if (flipCommand)
        item.flip();
    else
        item.mirror();
    const QTransform toggled = item.transform();
    QVERIFY(toggled != plain);
    QUndoStack stack;
    if (flipCommand)
        stack.push(new UndoFlipGraphic(&item));
    else
        stack.push(new UndoMirrorGraphic(&item));
    QCOMPARE(stack.text(0), flipCommand ? QString("Undo Flip") : QString("Undo Mirror"));
    QVERIFY(state());
    stack.undo();
    QVERIFY(!state());
    QCOMPARE(item.transform(), plain);
    stack.redo();
    QVERIFY(state());
    QCOMPARE(item.transform(), toggled);
}

void TestUndoCommands::commandsNeverMerge()
{
    Canvas canvas;
    bool destroyed = false;
    auto *item = new ProbeShape(&destroyed);
    canvas.addItem(item);
    QUndoStack stack;
    QList<QUndoCommand *> commands{new UndoMoveGraphic(item, QPointF()),
                                   new UndoMoveGraphic(item, QPointF(1, 1)),
                                   new UndoOpacityGraphic(item, 1.0),
                                   new UndoOpacityGraphic(item, 0.5),
                                   new UndoZorderGraphic(item, 0),
                                   new UndoScaleGraphic(item, 1.0),
                                   new UndoRotateGraphic(item, 0),
                                   new UndoFlipGraphic(item),
                                   new UndoFlipGraphic(item),
                                   new UndoMirrorGraphic(item),
                                   new UndoNewGraphic(item),
                                   new UndoDeleteGraphic(nullptr, nullptr)};
    for (QUndoCommand *command : std::as_const(commands)) {
        QCOMPARE(command->id(), -1);
        stack.push(command);
    }
    QCOMPARE(stack.count(), commands.size());
}

void TestUndoCommands::newGraphicTextFollowsType_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::newRow("freehand") << 0 << "Undo Freehand";
    QTest::newRow("line") << 1 << "Undo Line";
    QTest::newRow("image") << 2 << "Undo Insert Image File";
    QTest::newRow("shape") << 3 << "Undo Shape";
    QTest::newRow("text") << 4 << "Undo Text";
    QTest::newRow("highlighter") << 5 << "Undo Highlighter";
    QTest::newRow("other item") << 6 << "";
}

void TestUndoCommands::newGraphicTextFollowsType()
{
    QFETCH(int, kind);
    QFETCH(QString, text);
    QScopedPointer<QGraphicsItem> item;
    switch (kind) {
    case 0:
        item.reset(new FreehandGraphic);
        break;
    case 1:
        item.reset(new LineGraphic);
        break;
    case 2:
        item.reset(new ImageGraphic(QPixmap(4, 4)));
        break;
    case 3:
        item.reset(new ShapeGraphic(0));
        break;
    case 4:
        item.reset(new TextGraphic(QStringLiteral("x")));
        break;
    case 5:
        item.reset(new HiliterGraphic);
        break;
    default:
        item.reset(new QGraphicsRectItem);
        break;
    }
    UndoNewGraphic command(item.get());
    QCOMPARE(command.text(), text);
}

void TestUndoCommands::newGraphicUndoRedo()
{
    Canvas canvas;
    bool destroyed = false;
    auto *item = new ProbeShape(&destroyed);
    canvas.addItem(item);
    {
        QUndoStack stack;
        stack.push(new UndoNewGraphic(item));
        QCOMPARE(item->scene(), &canvas);
        stack.undo();
        QCOMPARE(item->scene(), nullptr);
        QVERIFY(!destroyed);
        stack.redo();
        QCOMPARE(item->scene(), &canvas);
    }
    QVERIFY(!destroyed); // done creation: the scene keeps the item
}

void TestUndoCommands::cutRedoBranchDeletesUndoneCreation()
{
    Canvas canvas;
    bool firstDestroyed = false;
    bool secondDestroyed = false;
    auto *first = new ProbeShape(&firstDestroyed);
    canvas.addItem(first);
    QUndoStack stack;
    stack.push(new UndoNewGraphic(first));
    stack.undo();
    auto *second = new ProbeShape(&secondDestroyed);
    canvas.addItem(second);
    stack.push(new UndoNewGraphic(second));
    QVERIFY(firstDestroyed);
    QVERIFY(!secondDestroyed);
    QCOMPARE(canvas.items().size(), 1);
}

void TestUndoCommands::newGraphicOutOfSceneRemembersNoScene()
{
    bool destroyed = false;
    auto *item = new ProbeShape(&destroyed);
    {
        QUndoStack stack;
        stack.push(new UndoNewGraphic(item));
        stack.undo();
        stack.redo();
        QCOMPARE(item->scene(), nullptr);
        stack.undo();
    }
    QVERIFY(destroyed); // undone at the end: the command owned it
}

void TestUndoCommands::deleteGraphicOwnershipFollowsState()
{
    Canvas canvas;
    bool destroyed = false;
    auto *item = new ProbeShape(&destroyed);
    canvas.addItem(item);
    {
        QUndoStack stack;
        canvas.removeItem(item);
        stack.push(new UndoDeleteGraphic(&canvas, item));
        QCOMPARE(stack.text(0), QString("Undo Delete"));
        QCOMPARE(item->scene(), nullptr);
        stack.undo();
        QCOMPARE(item->scene(), &canvas);
        stack.redo();
        QCOMPARE(item->scene(), nullptr);
        stack.undo();
    }
    QVERIFY(!destroyed); // undone deletion: back in the scene, which owns it

    canvas.removeItem(item);
    QUndoStack stack;
    stack.push(new UndoDeleteGraphic(&canvas, item));
    stack.clear();
    QVERIFY(destroyed); // done deletion: the command owned it
}

void TestUndoCommands::eraserMacroRestoresAndFreesAll()
{
    Canvas canvas;
    bool destroyed[3] = {false, false, false};
    QList<ProbeShape *> items;
    for (bool &flag : destroyed) {
        items << new ProbeShape(&flag);
        canvas.addItem(items.last());
    }
    QUndoStack stack;
    stack.beginMacro(QStringLiteral("Undo Delete"));
    for (ProbeShape *item : std::as_const(items)) {
        canvas.removeItem(item);
        stack.push(new UndoDeleteGraphic(&canvas, item));
    }
    stack.endMacro();
    QCOMPARE(stack.count(), 1);
    QCOMPARE(canvas.items().size(), 0);
    stack.undo();
    QCOMPARE(canvas.items().size(), 3);
    stack.redo();
    QCOMPARE(canvas.items().size(), 0);
    stack.clear();
    QVERIFY(destroyed[0] && destroyed[1] && destroyed[2]);
}

void TestUndoCommands::removalHookRunsBeforeRemoval()
{
    Canvas canvas;
    bool destroyed = false;
    auto *item = new ProbeShape(&destroyed, true);
    canvas.addItem(item);
    QUndoStack stack;
    stack.push(new UndoNewGraphic(item));
    stack.undo();
    QCOMPARE(item->hookCalls, 1);
    QVERIFY(item->inSceneAtHook);
    stack.redo();
    stack.clear();

    canvas.removeItem(item);
    stack.push(new UndoDeleteGraphic(&canvas, item));
    QCOMPARE(item->hookCalls, 1); // the push's redo does not remove again
    stack.undo();
    stack.redo();
    QCOMPARE(item->hookCalls, 2);
    QVERIFY(item->inSceneAtHook);
}

void TestUndoCommands::deleteWithoutSceneDoesNothing()
{
    bool destroyed = false;
    auto *item = new ProbeShape(&destroyed);
    QUndoStack stack;
    stack.push(new UndoDeleteGraphic(nullptr, item));
    stack.undo();
    QCOMPARE(item->scene(), nullptr);
    stack.redo();
    stack.clear();
    QVERIFY(destroyed);
}

QUILLO_TEST_MAIN(TestUndoCommands)
#include "tst_UndoCommands.moc"
