#include "EnlargePushButton.h"
#include "EnlargeToolButton.h"
#include "SetValueSlider.h"
#include "TestEnvironment.h"
#include "VerticalTextButton.h"
#include "VolReporter.h"

#include <QEnterEvent>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QStyleOptionSlider>
#include <QWheelEvent>

#include <memory>

namespace {

enum class ButtonKind { Tool, Push };

// Exposes the style option so a test can find the handle where the style puts it.
template<class Slider>
class ProbedSlider : public Slider
{
public:
    ProbedSlider()
    {
        this->setOrientation(Qt::Horizontal);
        this->setRange(0, 100);
        this->setPageStep(10);
        this->resize(200, 24);
        this->show();
    }
    QPoint handleCentre()
    {
        QStyleOptionSlider option;
        this->initStyleOption(&option);
        return this->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this).center();
    }
};

void hover(QWidget *widget)
{
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), widget->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(widget, &enter);
}

void unhover(QWidget *widget)
{
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(widget, &leave);
}

QPixmap filled(QColor colour, QSize size = {40, 40})
{
    QPixmap pixmap(size);
    pixmap.fill(colour);
    return pixmap;
}

// The smallest rectangle holding every text pixel of the image: those that stand out from the background,
// which the top-left corner shows.
QRect inkBounds(const QImage &image)
{
    const int background = qGray(image.pixel(0, 0));
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAbs(qGray(image.pixel(x, y)) - background) > 48)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

} // namespace

class TestSharedWidgets : public QObject
{
    Q_OBJECT

private slots:
    void hoverGrowsIcon_data();
    void hoverGrowsIcon();
    void pointerMovesGrowAndShrinkIcon();
    void restoreIconSizeTakesBackHover();
    void buttonDisabledUnderThePointerShrinksBack_data();
    void buttonDisabledUnderThePointerShrinksBack();
    void toolButtonPaintsIconAboveTextBand_data();
    void toolButtonPaintsIconAboveTextBand();
    void toolButtonWithoutTextPaintsAsPlainToolButton();
    void checkedToolButtonShowsItsCheckedStyle_data();
    void checkedToolButtonShowsItsCheckedStyle();
    void verticalTextButtonClicksOnEveryRelease_data();
    void verticalTextButtonClicksOnEveryRelease();
    void verticalTextButtonPlacesText_data();
    void verticalTextButtonPlacesText();
    void volReporterMovesOnlyByItsOwner_data();
    void volReporterMovesOnlyByItsOwner();
    void setValueSliderGrooveClickStepsOnce();
    void setValueSliderReportsDragOnRelease();
    void setValueSliderReportsUnchangedValue();
};

void TestSharedWidgets::hoverGrowsIcon_data()
{
    QTest::addColumn<ButtonKind>("kind");
    QTest::addColumn<bool>("recorded");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QSize>("hovered");
    // An invalid size stands for the style's default icon size, which is what (-1, -1) reads as.
    QTest::addColumn<QSize>("afterLeave");

    QTest::newRow("tool button grows by 10") << ButtonKind::Tool << true << true << QSize(50, 50) << QSize(40, 40);
    QTest::newRow("push button grows by 3") << ButtonKind::Push << true << true << QSize(33, 33) << QSize(30, 30);
    QTest::newRow("disabled tool button") << ButtonKind::Tool << true << false << QSize(40, 40) << QSize(40, 40);
    QTest::newRow("disabled push button") << ButtonKind::Push << true << false << QSize(30, 30) << QSize(30, 30);
    QTest::newRow("tool button never recorded") << ButtonKind::Tool << false << true << QSize(9, 9) << QSize();
    QTest::newRow("push button never recorded") << ButtonKind::Push << false << true << QSize(2, 2) << QSize();
}

void TestSharedWidgets::hoverGrowsIcon()
{
    QFETCH(ButtonKind, kind);
    QFETCH(bool, recorded);
    QFETCH(bool, enabled);
    QFETCH(QSize, hovered);
    QFETCH(QSize, afterLeave);

    std::unique_ptr<QAbstractButton> button;
    if (kind == ButtonKind::Tool)
        button = std::make_unique<EnlargeToolButton>();
    else
        button = std::make_unique<EnlargePushButton>();
    if (!afterLeave.isValid())
        afterLeave = button->iconSize();
    button->setIconSize(kind == ButtonKind::Tool ? QSize(40, 40) : QSize(30, 30));
    if (recorded) {
        if (auto *tool = qobject_cast<EnlargeToolButton *>(button.get()))
            tool->saveIconSize();
        if (auto *push = qobject_cast<EnlargePushButton *>(button.get()))
            push->saveIconSize();
    }
    QCOMPARE(button->cursor().shape(), Qt::PointingHandCursor);
    button->setIcon(filled(Qt::red));
    button->setEnabled(enabled);
    button->show();

    hover(button.get());
    QCOMPARE(button->iconSize(), hovered);
    unhover(button.get());
    QCOMPARE(button->iconSize(), afterLeave);
}

void TestSharedWidgets::pointerMovesGrowAndShrinkIcon()
{
    // Through the window system, as a real pointer does: the enter handler must be the one Qt calls.
    QWidget window;
    window.resize(200, 100);
    auto *tool = new EnlargeToolButton(&window);
    tool->setGeometry(10, 10, 60, 60);
    tool->setIconSize({40, 40});
    tool->saveIconSize();
    auto *push = new EnlargePushButton(&window);
    push->setGeometry(100, 10, 60, 60);
    push->setIconSize({30, 30});
    push->saveIconSize();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QTest::mouseMove(window.windowHandle(), QPoint(40, 40));
    QTRY_COMPARE(tool->iconSize(), QSize(50, 50));
    QTest::mouseMove(window.windowHandle(), QPoint(130, 40));
    QTRY_COMPARE(tool->iconSize(), QSize(40, 40));
    QTRY_COMPARE(push->iconSize(), QSize(33, 33));
    QTest::mouseMove(window.windowHandle(), QPoint(190, 90));
    QTRY_COMPARE(push->iconSize(), QSize(30, 30));
}

void TestSharedWidgets::restoreIconSizeTakesBackHover()
{
    EnlargeToolButton button;
    button.setIconSize({40, 40});
    button.saveIconSize();
    button.show();
    hover(&button);
    QCOMPARE(button.iconSize(), QSize(50, 50));
    button.restoreIconSize();
    QCOMPARE(button.iconSize(), QSize(40, 40));
}

void TestSharedWidgets::buttonDisabledUnderThePointerShrinksBack_data()
{
    QTest::addColumn<ButtonKind>("kind");
    QTest::addColumn<QSize>("normal");
    QTest::newRow("tool button") << ButtonKind::Tool << QSize(40, 40);
    QTest::newRow("push button") << ButtonKind::Push << QSize(30, 30);
}

void TestSharedWidgets::buttonDisabledUnderThePointerShrinksBack()
{
    QFETCH(ButtonKind, kind);
    QFETCH(QSize, normal);
    // Through the window system, as when a camera goes away while the pointer rests on its button.
    QWidget window;
    window.resize(200, 100);
    QAbstractButton *button = nullptr;
    if (kind == ButtonKind::Tool) {
        auto *tool = new EnlargeToolButton(&window);
        tool->setIconSize(normal);
        tool->saveIconSize();
        button = tool;
    } else {
        auto *push = new EnlargePushButton(&window);
        push->setIconSize(normal);
        push->saveIconSize();
        button = push;
    }
    button->setGeometry(10, 10, 60, 60);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // From outside the button, whatever the pointer did before.
    QTest::mouseMove(window.windowHandle(), QPoint(190, 90));
    QTest::mouseMove(window.windowHandle(), QPoint(40, 40));
    QTRY_VERIFY(button->iconSize() != normal);
    button->setEnabled(false);
    QCOMPARE(button->iconSize(), normal);
    QTest::mouseMove(window.windowHandle(), QPoint(190, 90));
    QTest::qWait(0);
    QCOMPARE(button->iconSize(), normal);

    // A leave reaching a button that is disabled takes the hover back by itself (the attribute is set
    // directly, so no change event does it first).
    button->setEnabled(true);
    hover(button);
    QVERIFY(button->iconSize() != normal);
    button->setAttribute(Qt::WA_Disabled);
    unhover(button);
    QCOMPARE(button->iconSize(), normal);
}

void TestSharedWidgets::toolButtonPaintsIconAboveTextBand_data()
{
    QTest::addColumn<bool>("checkable");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("hovered");
    QTest::addColumn<QColor>("iconColour"); // invalid: the greyed pixmap of a disabled button

    QTest::newRow("normal") << false << false << true << false << QColor(Qt::red);
    QTest::newRow("hovered grows about its centre") << false << false << true << true << QColor(Qt::red);
    QTest::newRow("checkable, unchecked") << true << false << true << false << QColor(Qt::red);
    QTest::newRow("checked shows the On pixmap") << true << true << true << false << QColor(Qt::blue);
    QTest::newRow("disabled shows the greyed pixmap") << false << false << false << false << QColor();
}

void TestSharedWidgets::toolButtonPaintsIconAboveTextBand()
{
    QFETCH(bool, checkable);
    QFETCH(bool, checked);
    QFETCH(bool, enabled);
    QFETCH(bool, hovered);
    QFETCH(QColor, iconColour);

    QIcon icon;
    icon.addPixmap(filled(Qt::red), QIcon::Normal, QIcon::Off);
    icon.addPixmap(filled(Qt::blue), QIcon::Normal, QIcon::On);
    EnlargeToolButton button;
    button.resize(80, 86);
    button.setIcon(icon);
    button.setIconSize({40, 40});
    button.saveIconSize();
    button.setText(QStringLiteral("Zoom"));
    button.setCheckable(checkable);
    button.setChecked(checked);
    button.setEnabled(enabled);
    button.show();
    if (hovered)
        hover(&button);

    // Centre ((80 - 1) / 2, (86 - 21) / 2) = (39, 32).
    const QRect iconRect = hovered ? QRect(15, 8, 50, 50) : QRect(20, 13, 40, 40);
    const QImage image = button.grab().toImage();
    const QList<QPoint> inside{iconRect.topLeft(), iconRect.bottomRight(), iconRect.center()};
    for (const QPoint &point : inside) {
        const QColor painted = image.pixelColor(point);
        if (iconColour.isValid()) {
            QCOMPARE(painted, iconColour);
        } else {
            QVERIFY2(qAbs(painted.red() - painted.green()) < 40, qPrintable(painted.name()));
            QVERIFY2(painted != QColor(Qt::red), qPrintable(painted.name()));
        }
    }
    const QList<QPoint> outside{iconRect.topLeft() - QPoint(1, 1), iconRect.bottomRight() + QPoint(1, 1)};
    for (const QPoint &point : outside)
        QVERIFY(image.pixelColor(point) != image.pixelColor(iconRect.center()));

    // The label sits in the bottom 20 rows, below the icon.
    const QRect ink = inkBounds(image.copy(0, 66, 80, 20));
    QVERIFY2(ink.isValid(), "no text painted in the band");
}

void TestSharedWidgets::toolButtonWithoutTextPaintsAsPlainToolButton()
{
    QToolButton plain;
    EnlargeToolButton enlarged;
    for (QToolButton *button : {&plain, static_cast<QToolButton *>(&enlarged)}) {
        button->resize(60, 60);
        button->setIcon(filled(Qt::red, {32, 32}));
        button->setIconSize({32, 32});
        button->show();
    }
    QCOMPARE(enlarged.grab().toImage(), plain.grab().toImage());
}

void TestSharedWidgets::checkedToolButtonShowsItsCheckedStyle_data()
{
    QTest::addColumn<bool>("checked");
    QTest::newRow("checked") << true;
    QTest::newRow("unchecked") << false;
}

void TestSharedWidgets::checkedToolButtonShowsItsCheckedStyle()
{
    QFETCH(bool, checked);
    // As a panel's form styles its pause button: nothing around the icon unless the button is checked.
    QWidget panel;
    panel.setStyleSheet(QStringLiteral("QToolButton { border: transparent; }"
                                       "QToolButton:checked { background-color: rgb(0, 200, 0); }"));
    auto *button = new EnlargeToolButton(&panel);
    button->resize(80, 86);
    button->setIcon(filled(Qt::red));
    button->setIconSize({40, 40});
    button->setText(QStringLiteral("Pause"));
    button->setCheckable(true);
    button->setChecked(checked);
    panel.show();
    const QImage image = button->grab().toImage();
    // A corner, away from the icon and the text band.
    QCOMPARE(image.pixelColor(4, 4) == QColor(0, 200, 0), checked);
    QCOMPARE(image.pixelColor(39, 32), QColor(Qt::red));
}

void TestSharedWidgets::verticalTextButtonClicksOnEveryRelease_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QPoint>("where");

    QTest::newRow("left") << Qt::LeftButton << QPoint(10, 10);
    QTest::newRow("right") << Qt::RightButton << QPoint(10, 10);
    QTest::newRow("middle") << Qt::MiddleButton << QPoint(10, 10);
    QTest::newRow("outside the tab") << Qt::LeftButton << QPoint(200, 300);
}

void TestSharedWidgets::verticalTextButtonClicksOnEveryRelease()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(QPoint, where);

    VerticalTextButton tab;
    tab.resize(25, 130);
    tab.show();
    QSignalSpy clicked(&tab, &VerticalTextButton::clicked);
    QTest::mouseRelease(&tab, button, {}, where);
    QCOMPARE(clicked.count(), 1);
}

void TestSharedWidgets::verticalTextButtonPlacesText_data()
{
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<QRect>("textRect");
    QTest::addColumn<QRect>("inkArea");
    QTest::addColumn<QPoint>("inkCentre");

    // Turned text hangs from x = 25 whatever the rectangle's position; only its size counts.
    QTest::newRow("vertical 25x120") << true << QRect(0, 0, 25, 120) << QRect(0, 0, 25, 120) << QPoint(12, 60);
    QTest::newRow("vertical ignores position")
        << true << QRect(40, 30, 25, 120) << QRect(0, 0, 25, 120) << QPoint(12, 60);
    QTest::newRow("horizontal in its rectangle")
        << false << QRect(30, 90, 100, 20) << QRect(30, 90, 100, 20) << QPoint(80, 100);
}

void TestSharedWidgets::verticalTextButtonPlacesText()
{
    QFETCH(bool, vertical);
    QFETCH(QRect, textRect);
    QFETCH(QRect, inkArea);
    QFETCH(QPoint, inkCentre);

    VerticalTextButton tab;
    tab.resize(150, 150);
    tab.setText(QStringLiteral("Tools"));
    tab.setVertical(vertical);
    tab.setTextRect(textRect);
    tab.show();

    const QRect ink = inkBounds(tab.grab().toImage());
    QVERIFY2(ink.isValid(), "no text painted");
    QVERIFY2(
        inkArea.contains(ink),
        qPrintable(QStringLiteral("text at %1,%2 %3x%4").arg(ink.x()).arg(ink.y()).arg(ink.width()).arg(ink.height())));
    // Centred in the rectangle (a few pixels for glyph shapes), and running along its long side.
    QVERIFY(qAbs(ink.center().x() - inkCentre.x()) <= 3);
    QVERIFY(qAbs(ink.center().y() - inkCentre.y()) <= 3);
    QCOMPARE(ink.height() > ink.width(), vertical);
}

void TestSharedWidgets::volReporterMovesOnlyByItsOwner_data()
{
    QTest::addColumn<QString>("gesture");
    QTest::newRow("click on the groove") << QStringLiteral("groove");
    QTest::newRow("drag the handle") << QStringLiteral("drag");
    QTest::newRow("double click") << QStringLiteral("double");
    QTest::newRow("wheel up") << QStringLiteral("wheel");
    QTest::newRow("arrow, page and end keys") << QStringLiteral("keys");
}

void TestSharedWidgets::volReporterMovesOnlyByItsOwner()
{
    QFETCH(QString, gesture);

    ProbedSlider<VolReporter> meter;
    QVERIFY(!meter.hasTracking());
    meter.setValue(30);
    QSignalSpy changed(&meter, &QSlider::valueChanged);
    const QPoint handle = meter.handleCentre();
    if (gesture == QLatin1String("groove")) {
        QTest::mousePress(&meter, Qt::LeftButton, {}, QPoint(190, 12));
        QTest::qWait(700); // past the slider's 500 ms auto-repeat threshold
        QTest::mouseRelease(&meter, Qt::LeftButton, {}, QPoint(190, 12));
    } else if (gesture == QLatin1String("drag")) {
        QTest::mousePress(&meter, Qt::LeftButton, {}, handle);
        QTest::mouseMove(&meter, handle + QPoint(80, 0));
        QTest::mouseRelease(&meter, Qt::LeftButton, {}, handle + QPoint(80, 0));
    } else if (gesture == QLatin1String("double")) {
        QTest::mouseDClick(&meter, Qt::LeftButton, {}, QPoint(190, 12));
    } else if (gesture == QLatin1String("wheel")) {
        QWheelEvent wheel(QPointF(100, 12), meter.mapToGlobal(QPointF(100, 12)), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&meter, &wheel);
    } else {
        for (const Qt::Key key : {Qt::Key_Right, Qt::Key_Up, Qt::Key_PageUp, Qt::Key_End})
            QTest::keyClick(&meter, key);
    }
    QCOMPARE(meter.value(), 30);
    QCOMPARE(changed.count(), 0);
}

void TestSharedWidgets::setValueSliderGrooveClickStepsOnce()
{
    ProbedSlider<SetValueSlider> slider;
    QSignalSpy released(&slider, &SetValueSlider::mouseReleaseValue);
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(190, 12));
    QCOMPARE(slider.value(), 10);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(190, 12));
    QCOMPARE(released.count(), 1);
    QCOMPARE(released.at(0).at(0).toUInt(), 10u);

    // The slider repeats page steps after 500 ms while the button is held; a release must stop that.
    QTest::qWait(700);
    QCOMPARE(slider.value(), 10);
}

void TestSharedWidgets::setValueSliderReportsDragOnRelease()
{
    ProbedSlider<SetValueSlider> slider;
    QSignalSpy released(&slider, &SetValueSlider::mouseReleaseValue);
    const QPoint handle = slider.handleCentre();
    QTest::mousePress(&slider, Qt::LeftButton, {}, handle);
    QTest::mouseMove(&slider, handle + QPoint(90, 0));
    QCOMPARE(released.count(), 0);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, handle + QPoint(90, 0));

    QVERIFY(slider.value() > 30);
    QVERIFY2(!slider.isSliderDown(), "the drag did not end on release");
    QCOMPARE(released.count(), 1);
    QCOMPARE(released.at(0).at(0).toUInt(), uint(slider.value()));
}

void TestSharedWidgets::setValueSliderReportsUnchangedValue()
{
    ProbedSlider<SetValueSlider> slider;
    slider.setValue(42);
    QSignalSpy released(&slider, &SetValueSlider::mouseReleaseValue);
    const QPoint handle = slider.handleCentre();
    QTest::mousePress(&slider, Qt::LeftButton, {}, handle);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, handle);
    QCOMPARE(slider.value(), 42);
    QCOMPARE(released.count(), 1);
    QCOMPARE(released.at(0).at(0).toUInt(), 42u);
}

QUILLO_TEST_MAIN(TestSharedWidgets)
#include "tst_SharedWidgets.moc"
