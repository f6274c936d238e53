#include "AnimationWatch.h"
#include "FormChild.h"
#include "Screenshot.h"
#include "TestEnvironment.h"

#include "AnnoPanel.h"
#include "AnnotationImpl.h"
#include "CanvasEditor.h"
#include "ColorWheel.h"

#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <QUndoStack>

// Pictures of the annotation strip in each of its states, with its option panels, for a person to look at.
class TestAnnoPanelPictures : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void annotationStrip();
    void colourWheel();
};

void TestAnnoPanelPictures::annotationStrip()
{
    AnimationWatch animations;
    AnnotationIntf *service = AnnotationImpl::getInstance();
    AnnoPanel panel;
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    QVERIFY(AnimationWatch::waitForPaint(&panel));
    QVERIFY(!Screenshot::save(&panel, QStringLiteral("normal")).isEmpty());

    static_cast<AnnotationImpl *>(service)->editor()->undoStack()->push(new QUndoCommand(QStringLiteral("step")));
    QVERIFY(AnimationWatch::waitForPaint(&panel));
    QVERIFY(!Screenshot::save(&panel, QStringLiteral("normal-undo-available")).isEmpty());

    const struct
    {
        const char *button;
        const char *name;
    } tools[] = {{"freehandBtn", "freehand"}, {"lineBtn", "line"}, {"shapeBtn", "shape"}, {"textBtn", "text"}};
    for (const auto &tool : tools) {
        QToolButton *button = formChild<QToolButton>(panel, tool.button);
        button->click();
        QVERIFY(animations.waitForAnimationsThenPaint(&panel));
        QVERIFY(!Screenshot::save(&panel, QLatin1String(tool.name)).isEmpty());
        button->click();
        QVERIFY(animations.waitForAnimations());
    }

    // A thicker, half-transparent pen with another colour and shape.
    service->setShapeThickness(12);
    service->setShapeColor(QColor(1, 131, 255, 128));
    service->setShapeType(3);
    AnnoPanel chosen;
    chosen.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chosen));
    QTest::qWait(0);
    formChild<QToolButton>(chosen, "shapeBtn")->click();
    QVERIFY(animations.waitForAnimationsThenPaint(&chosen));
    QVERIFY(!Screenshot::save(&chosen, QStringLiteral("shape-chosen-pen")).isEmpty());
    formChild<QToolButton>(chosen, "shapeBtn")->click();
    formChild<QToolButton>(chosen, "textBtn")->click();
    formChild<QPushButton>(chosen, "boldBtn")->click();
    formChild<QPushButton>(chosen, "underlineBtn")->click();
    QVERIFY(animations.waitForAnimationsThenPaint(&chosen));
    QVERIFY(!Screenshot::save(&chosen, QStringLiteral("text-bold-underlined")).isEmpty());
    service->release();
}

void TestAnnoPanelPictures::colourWheel()
{
    ColorWheel wheel;
    wheel.resize(192, 192);
    wheel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&wheel));
    QVERIFY(AnimationWatch::waitForPaint(&wheel));
    QVERIFY(!Screenshot::save(&wheel, QStringLiteral("colour-wheel")).isEmpty());
}

QUILLO_TEST_MAIN_X11(TestAnnoPanelPictures)
#include "tst_AnnoPanelPictures.moc"
