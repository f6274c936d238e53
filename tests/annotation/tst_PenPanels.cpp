#include "FormChild.h"
#include "TestEnvironment.h"

#include "AnnotationImpl.h"
#include "ColorButton.h"
#include "ColorCube.h"
#include "FreehandPanel.h"
#include "LinePanel.h"
#include "ShapePanel.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include <memory>

namespace {

enum Tool { FREEHAND, LINE, SHAPE };

// The service's pen of one tool, as the test reads and sets it.
struct Pen
{
    int (AnnotationIntf::*width)();
    void (AnnotationIntf::*setWidth)(int);
    QColor (AnnotationIntf::*color)();
    void (AnnotationIntf::*setColor)(const QColor &);
};

Pen penOf(Tool tool)
{
    switch (tool) {
    case FREEHAND:
        return {&AnnotationIntf::freehandThickness, &AnnotationIntf::setFreehandThickness,
                &AnnotationIntf::freehandColor, &AnnotationIntf::setFreehandColor};
    case LINE:
        return {&AnnotationIntf::lineThickness, &AnnotationIntf::setLineThickness, &AnnotationIntf::lineColor,
                &AnnotationIntf::setLineColor};
    case SHAPE:
        break;
    }
    return {&AnnotationIntf::shapeThickness, &AnnotationIntf::setShapeThickness, &AnnotationIntf::shapeColor,
            &AnnotationIntf::setShapeColor};
}

std::unique_ptr<PenPanel> makePanel(Tool tool)
{
    switch (tool) {
    case FREEHAND:
        return std::make_unique<FreehandPanel>();
    case LINE:
        return std::make_unique<LinePanel>();
    case SHAPE:
        break;
    }
    return std::make_unique<ShapePanel>();
}

AnnotationIntf *service()
{
    return AnnotationImpl::getInstance();
}

void addToolRows()
{
    QTest::addColumn<int>("tool");
    QTest::newRow("freehand") << int(FREEHAND);
    QTest::newRow("line") << int(LINE);
    QTest::newRow("shape") << int(SHAPE);
}

} // namespace

class TestPenPanels : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();
    void transparencyConversions_data();
    void transparencyConversions();
    void alphaConversions_data();
    void alphaConversions();
    void freshServiceDefaults_data();
    void freshServiceDefaults();
    void loadingShowsThePenAndSendsNothing_data();
    void loadingShowsThePenAndSendsNothing();
    void thicknessIsSentAtEachStep_data();
    void thicknessIsSentAtEachStep();
    void transparencyBecomesThePensAlpha_data();
    void transparencyBecomesThePensAlpha();
    void gridColourTakesThePanelsTransparency_data();
    void gridColourTakesThePanelsTransparency();
    void eachPanelWritesItsOwnPen();
    void shapeCodesCheckTheirButton_data();
    void shapeCodesCheckTheirButton();
    void shapeButtonsSendTheirCode();
};

void TestPenPanels::cleanup()
{
    // The next test starts from a fresh service with its default pens.
    service()->release();
}

void TestPenPanels::transparencyConversions_data()
{
    QTest::addColumn<int>("transparency");
    QTest::addColumn<int>("alpha");
    QTest::newRow("opaque") << 0 << 255;
    QTest::newRow("1 %") << 1 << 253;
    QTest::newRow("22 %") << 22 << 199;
    QTest::newRow("half") << 50 << 128;
    QTest::newRow("99 %") << 99 << 3;
    QTest::newRow("invisible") << 100 << 0;
}

void TestPenPanels::transparencyConversions()
{
    QFETCH(int, transparency);
    QFETCH(int, alpha);
    QCOMPARE(PenPanel::alphaForTransparency(transparency), alpha);
}

void TestPenPanels::alphaConversions_data()
{
    QTest::addColumn<int>("alpha");
    QTest::addColumn<int>("transparency");
    QTest::newRow("opaque") << 255 << 0;
    // Not the inverse of the other way: 22 % writes 199.
    QTest::newRow("200") << 200 << 22;
    QTest::newRow("half") << 128 << 50;
    QTest::newRow("1") << 1 << 100;
    QTest::newRow("invisible") << 0 << 100;
}

void TestPenPanels::alphaConversions()
{
    QFETCH(int, alpha);
    QFETCH(int, transparency);
    QCOMPARE(PenPanel::transparencyForAlpha(alpha), transparency);
}

void TestPenPanels::freshServiceDefaults_data()
{
    addToolRows();
}

void TestPenPanels::freshServiceDefaults()
{
    QFETCH(int, tool);
    std::unique_ptr<PenPanel> panel = makePanel(Tool(tool));
    QCOMPARE(formChild<QSlider>(*panel, "sliderThickness")->value(), 4);
    QCOMPARE(formChild<QLabel>(*panel, "labelThickness")->text(), QStringLiteral(" 4 px"));
    QCOMPARE(formChild<QSlider>(*panel, "sliderOpacity")->value(), 0);
    QCOMPARE(formChild<QLabel>(*panel, "labelOpacity")->text(), QStringLiteral(" 0 %"));
    QCOMPARE(formChild<ColorCube>(*panel, "colorCube")->currentColor(), QColor(Qt::red));
    if (tool == SHAPE)
        QVERIFY(formChild<QPushButton>(*panel, "squareBtn")->isChecked());
}

void TestPenPanels::loadingShowsThePenAndSendsNothing_data()
{
    addToolRows();
}

void TestPenPanels::loadingShowsThePenAndSendsNothing()
{
    QFETCH(int, tool);
    const Pen pen = penOf(Tool(tool));
    (service()->*pen.setWidth)(17);
    (service()->*pen.setColor)(QColor(0, 25, 255, 200));
    std::unique_ptr<PenPanel> panel = makePanel(Tool(tool));
    QCOMPARE(formChild<QSlider>(*panel, "sliderThickness")->value(), 17);
    QCOMPARE(formChild<QSlider>(*panel, "sliderOpacity")->value(), 22);
    QCOMPARE(formChild<QLabel>(*panel, "labelOpacity")->text(), QStringLiteral(" 22 %"));
    QCOMPARE(formChild<ColorCube>(*panel, "colorCube")->currentColor(), QColor(0, 25, 255, 200));
    // 22 % written back would be alpha 199.
    QCOMPARE((service()->*pen.color)(), QColor(0, 25, 255, 200));
    QCOMPARE((service()->*pen.width)(), 17);
}

void TestPenPanels::thicknessIsSentAtEachStep_data()
{
    addToolRows();
}

void TestPenPanels::thicknessIsSentAtEachStep()
{
    QFETCH(int, tool);
    const Pen pen = penOf(Tool(tool));
    std::unique_ptr<PenPanel> panel = makePanel(Tool(tool));
    auto *slider = formChild<QSlider>(*panel, "sliderThickness");
    QTest::keyClick(slider, Qt::Key_Right);
    QCOMPARE((service()->*pen.width)(), 5);
    QCOMPARE(formChild<QLabel>(*panel, "labelThickness")->text(), QStringLiteral(" 5 px"));
    QTest::keyClick(slider, Qt::Key_PageUp);
    QCOMPARE((service()->*pen.width)(), 15);
    QTest::keyClick(slider, Qt::Key_End);
    QCOMPARE((service()->*pen.width)(), 99);
    QCOMPARE(formChild<QLabel>(*panel, "labelThickness")->text(), QStringLiteral(" 99 px"));
}

void TestPenPanels::transparencyBecomesThePensAlpha_data()
{
    addToolRows();
}

void TestPenPanels::transparencyBecomesThePensAlpha()
{
    QFETCH(int, tool);
    const Pen pen = penOf(Tool(tool));
    (service()->*pen.setColor)(QColor(255, 128, 0));
    std::unique_ptr<PenPanel> panel = makePanel(Tool(tool));
    auto *slider = formChild<QSlider>(*panel, "sliderOpacity");
    for (const auto &[transparency, alpha] :
         {std::pair{1, 253}, std::pair{50, 128}, std::pair{99, 3}, std::pair{100, 0}, std::pair{0, 255}}) {
        slider->setValue(transparency);
        QCOMPARE((service()->*pen.color)(), QColor(255, 128, 0, alpha));
        QCOMPARE(formChild<QLabel>(*panel, "labelOpacity")->text(), QStringLiteral(" %1 %").arg(transparency));
    }
}

void TestPenPanels::gridColourTakesThePanelsTransparency_data()
{
    addToolRows();
}

void TestPenPanels::gridColourTakesThePanelsTransparency()
{
    QFETCH(int, tool);
    const Pen pen = penOf(Tool(tool));
    std::unique_ptr<PenPanel> panel = makePanel(Tool(tool));
    formChild<QSlider>(*panel, "sliderOpacity")->setValue(50);
    QTest::mouseClick(formChild<ColorButton>(*panel, "yellowBtn"), Qt::LeftButton);
    QCOMPARE((service()->*pen.color)(), QColor(255, 239, 70, 128));
    // Whatever alpha the grid's own colour carries.
    formChild<ColorCube>(*panel, "colorCube")->setCurrentColor(QColor(3, 231, 0, 10));
    QCOMPARE((service()->*pen.color)(), QColor(3, 231, 0, 128));
}

void TestPenPanels::eachPanelWritesItsOwnPen()
{
    FreehandPanel freehand;
    LinePanel line;
    ShapePanel shape;
    formChild<QSlider>(freehand, "sliderThickness")->setValue(11);
    formChild<QSlider>(line, "sliderThickness")->setValue(22);
    formChild<QSlider>(shape, "sliderThickness")->setValue(33);
    QTest::mouseClick(formChild<ColorButton>(line, "brownBtn"), Qt::LeftButton);
    QCOMPARE(service()->freehandThickness(), 11);
    QCOMPARE(service()->lineThickness(), 22);
    QCOMPARE(service()->shapeThickness(), 33);
    QCOMPARE(service()->lineColor(), QColor(175, 125, 69));
    QCOMPARE(service()->freehandColor(), QColor(Qt::red));
    QCOMPARE(service()->shapeColor(), QColor(Qt::red));
}

void TestPenPanels::shapeCodesCheckTheirButton_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("checked");
    QTest::newRow("circle") << 0 << "circleBtn";
    // The free ellipse has no button of its own.
    QTest::newRow("ellipse") << 1 << "triangleBtn";
    QTest::newRow("rectangle") << 2 << "squareBtn";
    QTest::newRow("triangle") << 3 << "triangleBtn";
}

void TestPenPanels::shapeCodesCheckTheirButton()
{
    QFETCH(int, code);
    QFETCH(QString, checked);
    service()->setShapeType(code);
    ShapePanel panel;
    for (const char *name : {"circleBtn", "squareBtn", "triangleBtn"})
        QCOMPARE(formChild<QPushButton>(panel, name)->isChecked(), checked == QLatin1String(name));
    QCOMPARE(service()->shapeType(), code);
}

void TestPenPanels::shapeButtonsSendTheirCode()
{
    ShapePanel panel;
    QTest::mouseClick(formChild<QPushButton>(panel, "triangleBtn"), Qt::LeftButton);
    QCOMPARE(service()->shapeType(), 3);
    QTest::mouseClick(formChild<QPushButton>(panel, "circleBtn"), Qt::LeftButton);
    QCOMPARE(service()->shapeType(), 0);
    QVERIFY(!formChild<QPushButton>(panel, "triangleBtn")->isChecked());
    // The checked button sends its code again.
    service()->setShapeType(2);
    QTest::mouseClick(formChild<QPushButton>(panel, "circleBtn"), Qt::LeftButton);
    QCOMPARE(service()->shapeType(), 0);
}

QUILLO_TEST_MAIN(TestPenPanels)
#include "tst_PenPanels.moc"
