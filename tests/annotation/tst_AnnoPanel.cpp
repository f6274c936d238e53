#include "FormChild.h"
#include "TestEnvironment.h"

#include "AnnoPanel.h"
#include "AnnotationImpl.h"
#include "CanvasEditor.h"
#include "CanvasView.h"

#include <QAbstractEventDispatcher>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QLabel>
#include <QToolButton>
#include <QUndoStack>
#include <QVBoxLayout>

#include <cstring>
#include <new>

namespace {

// The slide takes 250 ms; a loaded machine may take longer to play it.
constexpr int kSlideWaitMs = 3000;

AnnotationIntf *service()
{
    return AnnotationImpl::getInstance();
}

CanvasEditor *editor()
{
    return static_cast<AnnotationImpl *>(service())->editor();
}

QToolButton *button(AnnoPanel &panel, const char *name)
{
    return formChild<QToolButton>(panel, name);
}

QWidget *optionPanel(AnnoPanel &panel, const char *className)
{
    for (QWidget *child : panel.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (QLatin1String(child->metaObject()->className()) == QLatin1String(className))
            return child;
    }
    qFatal("no %s in the strip", className);
    return nullptr;
}

// The editor's tool behind each of the service's switches.
BaseTool *toolAfter(void (AnnotationIntf::*switchTool)())
{
    (service()->*switchTool)();
    BaseTool *tool = editor()->currentTool();
    service()->switchToSelect();
    return tool;
}

void drawStroke(QWidget *surface, const QPointF &from, const QPointF &to)
{
    auto *view = static_cast<CanvasView *>(surface);
    service()->switchToFreehand();
    QWidget *port = view->viewport();
    QTest::mousePress(port, Qt::LeftButton, {}, view->mapFromScene(from));
    QTest::mouseMove(port, view->mapFromScene((from + to) / 2));
    QTest::mouseMove(port, view->mapFromScene(to));
    QTest::mouseRelease(port, Qt::LeftButton, {}, view->mapFromScene(to));
    service()->switchToSelect();
}

int graphicsOn(QWidget *surface)
{
    return static_cast<CanvasView *>(surface)->scene()->items().size();
}

// Form positions of the strip's buttons in the normal state.
const QList<std::pair<const char *, QPoint>> kNormalPositions{
    {"freehandBtn", {0, 5}}, {"lineBtn", {76, 5}},       {"shapeBtn", {152, 5}}, {"textBtn", {228, 5}},
    {"deleteBtn", {304, 5}}, {"deleteAllBtn", {380, 5}}, {"undoBtn", {456, 5}},  {"redoBtn", {532, 5}},
};

} // namespace

class TestAnnoPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();
    void startsNormalWithUndoAndRedoOff();
    void toolStates_data();
    void toolStates();
    void clickCurrentToolButtonLeavesATool();
    void leavingMidSlideShowsTheButtonsAndStopsPolling();
    void undoAndRedoFollowTheService();
    void buttonsAndShortcutsEditEverySurface();
    void shortcutsActOnlyWithStripAndSurfaceInSight_data();
    void shortcutsActOnlyWithStripAndSurfaceInSight();
    void destroyedStripIsForgottenByTheService();
};

void TestAnnoPanel::cleanup()
{
    service()->release();
}

void TestAnnoPanel::startsNormalWithUndoAndRedoOff()
{
    service()->switchToFreehand();
    BaseTool *select = toolAfter(&AnnotationIntf::switchToSelect);
    service()->switchToFreehand();
    AnnoPanel panel;
    // The machine starts from the event loop, and its normal state selects the select tool.
    QTRY_COMPARE(editor()->currentTool(), select);
    for (const auto &[name, position] : kNormalPositions)
        QCOMPARE(button(panel, name)->pos(), position);
    QCOMPARE(panel.findChild<QWidget *>(QStringLiteral("separator"))->pos(), QPoint(-607, 0));
    for (const char *options : {"FreehandPanel", "LinePanel", "ShapePanel", "TextPanel"})
        QCOMPARE(optionPanel(panel, options)->pos(), QPoint(-607, 0));
    QVERIFY(!button(panel, "undoBtn")->isEnabled());
    QVERIFY(!button(panel, "redoBtn")->isEnabled());
    QVERIFY(panel.findChild<QLabel *>(QStringLiteral("labelBack"))->isHidden());
}

void TestAnnoPanel::toolStates_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QString>("options");
    // x of the four tool buttons in that tool's state; the other buttons slide to the right in every one.
    QTest::addColumn<QList<int>>("toolX");
    QTest::addColumn<QStringList>("hidden");
    QTest::newRow("freehand") << "freehandBtn"
                              << "FreehandPanel" << QList<int>{0, 713, 789, 865}
                              << QStringList{"lineBtn", "shapeBtn", "textBtn", "deleteBtn", "undoBtn", "redoBtn"};
    QTest::newRow("line") << "lineBtn"
                          << "LinePanel" << QList<int>{-607, 0, 789, 865}
                          << QStringList{"shapeBtn", "textBtn", "deleteBtn", "undoBtn", "redoBtn"};
    QTest::newRow("shape") << "shapeBtn"
                           << "ShapePanel" << QList<int>{-607, -531, 0, 865}
                           << QStringList{"textBtn", "deleteBtn", "undoBtn", "redoBtn"};
    QTest::newRow("text") << "textBtn"
                          << "TextPanel" << QList<int>{-607, -531, -455, 0}
                          << QStringList{"deleteBtn", "undoBtn", "redoBtn"};
}

void TestAnnoPanel::toolStates()
{
    QFETCH(QString, tool);
    QFETCH(QString, options);
    QFETCH(QList<int>, toolX);
    QFETCH(QStringList, hidden);
    const QMap<QString, BaseTool *> tools{{"freehandBtn", toolAfter(&AnnotationIntf::switchToFreehand)},
                                          {"lineBtn", toolAfter(&AnnotationIntf::switchToLine)},
                                          {"shapeBtn", toolAfter(&AnnotationIntf::switchToShape)},
                                          {"textBtn", toolAfter(&AnnotationIntf::switchToText)}};
    BaseTool *select = toolAfter(&AnnotationIntf::switchToSelect);

    AnnoPanel panel;
    panel.show();
    QTest::qWait(0);
    QToolButton *chosen = panel.findChild<QToolButton *>(tool);
    QTest::mouseClick(chosen, Qt::LeftButton);
    QCOMPARE(editor()->currentTool(), tools.value(tool));

    QTRY_COMPARE_WITH_TIMEOUT(button(panel, "redoBtn")->pos(), QPoint(1169, 5), kSlideWaitMs);
    const char *toolNames[] = {"freehandBtn", "lineBtn", "shapeBtn", "textBtn"};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(button(panel, toolNames[i])->pos(), QPoint(toolX.at(i), 5));
    QCOMPARE(button(panel, "deleteBtn")->pos(), QPoint(941, 5));
    QCOMPARE(button(panel, "deleteAllBtn")->pos(), QPoint(1017, 5));
    QCOMPARE(button(panel, "undoBtn")->pos(), QPoint(1093, 5));
    QCOMPARE(panel.findChild<QWidget *>(QStringLiteral("separator"))->pos(), QPoint(88, 0));
    for (const char *other : {"FreehandPanel", "LinePanel", "ShapePanel", "TextPanel"})
        QCOMPARE(optionPanel(panel, other)->pos(), options == QLatin1String(other) ? QPoint(89, 0) : QPoint(-607, 0));
    QVERIFY(panel.findChild<QLabel *>(QStringLiteral("labelBack"))->isVisible());
    // Once the slide is over the buttons that left to the right are hidden.
    for (const QString &name : hidden)
        QTRY_VERIFY(panel.findChild<QWidget *>(name)->isHidden());
    QVERIFY(!button(panel, "deleteAllBtn")->isHidden());

    // Back: the same button, now at the left end, slides everything home and leaves the select tool.
    QTest::mouseClick(chosen, Qt::LeftButton);
    QCOMPARE(editor()->currentTool(), select);
    for (const QString &name : hidden)
        QVERIFY(!panel.findChild<QWidget *>(name)->isHidden());
    QVERIFY(panel.findChild<QLabel *>(QStringLiteral("labelBack"))->isHidden());
    QTRY_COMPARE_WITH_TIMEOUT(button(panel, "redoBtn")->pos(), QPoint(532, 5), kSlideWaitMs);
    for (const auto &[name, position] : kNormalPositions)
        QCOMPARE(button(panel, name)->pos(), position);
    QCOMPARE(optionPanel(panel, qPrintable(options))->pos(), QPoint(-607, 0));
}

void TestAnnoPanel::clickCurrentToolButtonLeavesATool()
{
    BaseTool *select = toolAfter(&AnnotationIntf::switchToSelect);
    BaseTool *shape = toolAfter(&AnnotationIntf::switchToShape);
    AnnoPanel panel;
    panel.show();
    QTest::qWait(0);
    // Without a tool it does nothing.
    panel.clickCurrentToolButton();
    QTest::qWait(50);
    QCOMPARE(button(panel, "redoBtn")->pos(), QPoint(532, 5));
    QCOMPARE(editor()->currentTool(), select);

    button(panel, "shapeBtn")->click();
    QCOMPARE(editor()->currentTool(), shape);
    QTRY_COMPARE_WITH_TIMEOUT(button(panel, "shapeBtn")->pos(), QPoint(0, 5), kSlideWaitMs);
    panel.clickCurrentToolButton();
    QCOMPARE(editor()->currentTool(), select);
    QTRY_COMPARE_WITH_TIMEOUT(button(panel, "shapeBtn")->pos(), QPoint(152, 5), kSlideWaitMs);
    // Back in the normal state a second call changes nothing.
    panel.clickCurrentToolButton();
    QTest::qWait(50);
    QCOMPARE(button(panel, "shapeBtn")->pos(), QPoint(152, 5));
}

void TestAnnoPanel::leavingMidSlideShowsTheButtonsAndStopsPolling()
{
    AnnoPanel panel;
    panel.show();
    QTest::qWait(0);
    QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    QVERIFY(dispatcher->registeredTimers(&panel).isEmpty());
    button(panel, "lineBtn")->click();
    QCOMPARE(dispatcher->registeredTimers(&panel).size(), 1);
    button(panel, "lineBtn")->click();
    QTRY_COMPARE_WITH_TIMEOUT(button(panel, "redoBtn")->pos(), QPoint(532, 5), kSlideWaitMs);
    QTest::qWait(250);
    for (const char *name : {"shapeBtn", "textBtn", "deleteBtn", "undoBtn", "redoBtn"})
        QVERIFY2(!button(panel, name)->isHidden(), name);
    // The cut-short slide never reached its end; its poll must not tick on for ever.
    QVERIFY(dispatcher->registeredTimers(&panel).isEmpty());
}

void TestAnnoPanel::undoAndRedoFollowTheService()
{
    AnnoPanel panel;
    QUndoStack *history = editor()->undoStack();
    history->push(new QUndoCommand(QStringLiteral("step")));
    QVERIFY(button(panel, "undoBtn")->isEnabled());
    QVERIFY(!button(panel, "redoBtn")->isEnabled());
    button(panel, "undoBtn")->click();
    QVERIFY(!button(panel, "undoBtn")->isEnabled());
    QVERIFY(button(panel, "redoBtn")->isEnabled());
    button(panel, "redoBtn")->click();
    QCOMPARE(history->index(), 1);
    QVERIFY(!button(panel, "redoBtn")->isEnabled());
}

void TestAnnoPanel::buttonsAndShortcutsEditEverySurface()
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *surfaces = new QWidget(&window);
    surfaces->setFixedSize(600, 300);
    layout->addWidget(surfaces);
    auto *panel = new AnnoPanel(&window);
    panel->setFixedSize(637, 86);
    layout->addWidget(panel);
    QWidget *left = service()->createCanvas(300, 300, surfaces, 0, false);
    QWidget *right = service()->createCanvas(300, 300, surfaces, 0, false);
    right->move(300, 0);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    drawStroke(left, {20, 20}, {200, 100});
    drawStroke(right, {30, 30}, {150, 200});
    QCOMPARE(graphicsOn(left) + graphicsOn(right), 2);
    QUndoStack *history = editor()->undoStack();

    // Delete all empties every surface as one step that can be undone.
    button(*panel, "deleteAllBtn")->click();
    QCOMPARE(graphicsOn(left) + graphicsOn(right), 0);
    QTest::keySequence(&window, QKeySequence::Undo);
    QCOMPARE(graphicsOn(left) + graphicsOn(right), 2);
    QTest::keySequence(&window, QKeySequence::Redo);
    QCOMPARE(graphicsOn(left) + graphicsOn(right), 0);
    button(*panel, "undoBtn")->click();
    QCOMPARE(graphicsOn(left) + graphicsOn(right), 2);

    // "Ctrl+K" does what the delete-all button does.
    const int steps = history->index();
    QTest::keyClick(&window, Qt::Key_K, Qt::ControlModifier);
    QCOMPARE(graphicsOn(left) + graphicsOn(right), 0);
    QCOMPARE(history->index(), steps + 1);
    button(*panel, "undoBtn")->click();

    // Delete takes the selection.
    static_cast<CanvasView *>(right)->scene()->items().first()->setSelected(true);
    editor()->addView(static_cast<CanvasView *>(right));
    QTest::keySequence(&window, QKeySequence::Delete);
    QCOMPARE(graphicsOn(right), 0);
    QCOMPARE(graphicsOn(left), 1);
}

void TestAnnoPanel::shortcutsActOnlyWithStripAndSurfaceInSight_data()
{
    QTest::addColumn<QString>("outOfSight");
    QTest::newRow("strip slid out of its tool panel") << "strip";
    QTest::newRow("tool panel slid out of the window") << "tools";
    QTest::newRow("surface hidden") << "surface hidden";
    QTest::newRow("surface placed outside its parent") << "surface outside";
}

void TestAnnoPanel::shortcutsActOnlyWithStripAndSurfaceInSight()
{
    QFETCH(QString, outOfSight);
    // The main window's layout in small: the surface over the picture area, the strip inside a tool
    // panel that slides it in and out as the tool panel does.
    QWidget window;
    window.resize(700, 420);
    auto *pictures = new QWidget(&window);
    pictures->setGeometry(0, 0, 600, 300);
    auto *tools = new QWidget(&window);
    tools->setGeometry(0, 310, 640, 90);
    auto *panel = new AnnoPanel(tools);
    panel->move(0, 0);
    QWidget *surface = service()->createCanvas(300, 300, pictures, 0, false);
    QWidget *other = service()->createCanvas(300, 300, pictures, 0, false);
    other->move(300, 0);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    drawStroke(other, {30, 30}, {150, 200});
    drawStroke(surface, {20, 20}, {200, 100});
    drawStroke(surface, {40, 150}, {250, 250});
    QCOMPARE(editor()->currentView(), static_cast<CanvasView *>(surface));
    QUndoStack *history = editor()->undoStack();
    history->undo();
    QCOMPARE(graphicsOn(surface), 1);
    static_cast<CanvasView *>(surface)->scene()->items().first()->setSelected(true);
    const int step = history->index();

    const auto hide = [&](bool hidden) {
        if (outOfSight == QLatin1String("strip"))
            panel->move(hidden ? QPoint(-tools->width(), 0) : QPoint(0, 0));
        else if (outOfSight == QLatin1String("tools"))
            tools->move(hidden ? QPoint(-tools->width(), 310) : QPoint(0, 310));
        else if (outOfSight == QLatin1String("surface hidden"))
            surface->setVisible(!hidden);
        else
            surface->move(hidden ? QPoint(0, pictures->height()) : QPoint(0, 0));
    };
    hide(true);
    // The keys reach the window as before; nothing they stand for happens.
    QTest::keySequence(&window, QKeySequence::Delete);
    QTest::keySequence(&window, QKeySequence::Undo);
    QTest::keySequence(&window, QKeySequence::Redo);
    QTest::keyClick(&window, Qt::Key_K, Qt::ControlModifier);
    QCOMPARE(history->index(), step);
    QCOMPARE(graphicsOn(surface), 1);
    QCOMPARE(graphicsOn(other), 1);

    hide(false);
    QTest::keySequence(&window, QKeySequence::Delete);
    QCOMPARE(graphicsOn(surface), 0);
    QCOMPARE(graphicsOn(other), 1);
    QTest::keySequence(&window, QKeySequence::Undo);
    QCOMPARE(graphicsOn(surface), 1);
}

void TestAnnoPanel::destroyedStripIsForgottenByTheService()
{
    // The strip lives in storage the test wipes after it is gone, so a call into the dead listener
    // crashes at once instead of running on freed memory by chance.
    alignas(AnnoPanel) unsigned char storage[sizeof(AnnoPanel)];
    auto *panel = new (storage) AnnoPanel;
    panel->~AnnoPanel();
    std::memset(storage, 0, sizeof storage);
    QUndoStack *history = editor()->undoStack();
    history->push(new QUndoCommand(QStringLiteral("step")));
    history->undo();
    QCOMPARE(history->index(), 0);

    // A strip made later hears the service again.
    AnnoPanel next;
    history->redo();
    QVERIFY(button(next, "undoBtn")->isEnabled());
}

QUILLO_TEST_MAIN(TestAnnoPanel)
#include "tst_AnnoPanel.moc"
