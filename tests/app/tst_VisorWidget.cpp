#include "SentMouse.h"
#include "TestEnvironment.h"
#include "VisorShade.h"
#include "VisorWidget.h"

#include <QMenu>
#include <QSignalSpy>
#include <QToolButton>

#include <memory>

Q_DECLARE_METATYPE(VisorShade::Axis)

namespace {

// Large enough for the drags below, small enough for the offscreen screen (800 x 600).
const QSize kHostSize(640, 480);
const QColor kHostColour(255, 255, 255);
// The shade over the host: one pixel wider than the widget.
const QSizeF kShadeSize(kHostSize.width() + 1, kHostSize.height());

// The main window's central area, white, with the visor over all of it.
struct Rig
{
    Rig()
    {
        host.resize(kHostSize);
        host.setAutoFillBackground(true);
        QPalette palette = host.palette();
        palette.setColor(QPalette::Window, kHostColour);
        host.setPalette(palette);
        visor = new VisorWidget(&host);
        visor->resize(kHostSize);
        host.show();
    }
    QToolButton *closeButton() const { return visor->findChild<QToolButton *>(QStringLiteral("closeButton")); }
    QRect closeButtonGeometry() const
    {
        visor->repaint();
        return closeButton()->geometry();
    }
    // Drags by the given displacement from the middle: a first step along it picks the axis.
    void dragBy(QPoint displacement, Qt::MouseButton button = Qt::LeftButton) const
    {
        const QPointF from(kHostSize.width() / 2, kHostSize.height() / 2);
        const QPointF unit(displacement.x() == 0 ? 0 : (displacement.x() > 0 ? 10 : -10),
                           displacement.y() == 0 ? 0 : (displacement.y() > 0 ? 10 : -10));
        SentMouse::drag(visor, from, {from + unit, from + displacement}, button);
    }
    QColor pixel(QPoint at)
    {
        visor->repaint();
        return host.grab().toImage().pixelColor(at);
    }

    QWidget host;
    VisorWidget *visor;
};

} // namespace

class TestVisorWidget : public QObject
{
    Q_OBJECT

    std::unique_ptr<Rig> m_rig;

private Q_SLOTS:
    void init()
    {
        m_rig = std::make_unique<Rig>();
        QVERIFY(QTest::qWaitForWindowExposed(&m_rig->host));
    }

    void cleanup() { m_rig.reset(); }

    void dragFollowsOneAxisChosenByTheFirstClearMovement_data()
    {
        QTest::addColumn<QList<QPointF>>("moves");
        QTest::addColumn<VisorShade::Axis>("axis");
        QTest::addColumn<QPointF>("offset");

        // Every drag is pressed at (100, 100), in global coordinates.
        QTest::newRow("5 px across is not enough")
            << QList<QPointF>{{105, 100}} << VisorShade::Axis::None << QPointF(0, 0);
        QTest::newRow("5.9 px across counts as 5")
            << QList<QPointF>{{105.9, 100}} << VisorShade::Axis::None << QPointF(0, 0);
        QTest::newRow("6 px across picks across, the shade waits for the next move")
            << QList<QPointF>{{106, 100}} << VisorShade::Axis::Horizontal << QPointF(0, 0);
        QTest::newRow("across, then up and down is ignored")
            << QList<QPointF>{{106, 100}, {150, 180}, {170, 20}} << VisorShade::Axis::Horizontal << QPointF(70, 0);
        QTest::newRow("6 px up picks up and down")
            << QList<QPointF>{{100, 94}, {130, 40}} << VisorShade::Axis::Vertical << QPointF(0, -60);
        QTest::newRow("leftwards") << QList<QPointF>{{93, 100}, {40, 300}} << VisorShade::Axis::Horizontal
                                   << QPointF(-60, 0);
        QTest::newRow("measured from the press, not step by step")
            << QList<QPointF>{{100, 110}, {100, 150}, {100, 170}, {100, 130}} << VisorShade::Axis::Vertical
            << QPointF(0, 30);
        QTest::newRow("a diagonal within 5 px never moves")
            << QList<QPointF>{{104, 108}, {120, 117}, {160, 164}, {300, 295}} << VisorShade::Axis::None
            << QPointF(0, 0);
        QTest::newRow("a diagonal that pulls away picks the axis late")
            << QList<QPointF>{{120, 117}, {140, 125}, {160, 125}} << VisorShade::Axis::Horizontal << QPointF(60, 0);
    }

    void dragFollowsOneAxisChosenByTheFirstClearMovement()
    {
        QFETCH(QList<QPointF>, moves);
        QFETCH(VisorShade::Axis, axis);
        QFETCH(QPointF, offset);

        VisorShade shade;
        shade.press({100, 100}, kShadeSize);
        for (const QPointF &pos : moves)
            shade.move(pos);
        QCOMPARE(shade.axis(), axis);
        QCOMPARE(shade.drawnOffset(), offset);
        QCOMPARE(shade.offset(), QPointF(0, 0));
        shade.release();
        QCOMPARE(shade.offset(), offset);
        QCOMPARE(shade.drawnOffset(), offset);

        // The next drag starts from where this one left the shade, its axis chosen anew.
        shade.press({0, 0}, kShadeSize);
        QCOMPARE(shade.axis(), VisorShade::Axis::None);
        shade.move({0, 20});
        shade.move({0, 25});
        shade.release();
        QCOMPARE(shade.offset(), offset + QPointF(0, 25));
    }

    void closeButtonRidesOnTheVisibleShadeCorner_data()
    {
        QTest::addColumn<QList<QPoint>>("drags");
        QTest::addColumn<int>("button");
        QTest::addColumn<QPointF>("offset");
        QTest::addColumn<QPoint>("buttonPos");

        const int w = kHostSize.width();
        const int h = kHostSize.height();
        QTest::newRow("unmoved") << QList<QPoint>{} << int(Qt::LeftButton) << QPointF(0, 0) << QPoint(w - 15, 0);
        QTest::newRow("200 down") << QList<QPoint>{{0, 200}} << int(Qt::LeftButton) << QPointF(0, 200)
                                  << QPoint(w - 15, 200);
        QTest::newRow("200 down, then 300 left")
            << QList<QPoint>{{0, 200}, {-300, 0}} << int(Qt::LeftButton) << QPointF(-300, 200) << QPoint(w - 315, 200);
        QTest::newRow("up stays at the top")
            << QList<QPoint>{{0, -150}} << int(Qt::LeftButton) << QPointF(0, -150) << QPoint(w - 15, 0);
        QTest::newRow("right stays at the right edge")
            << QList<QPoint>{{250, 0}} << int(Qt::LeftButton) << QPointF(250, 0) << QPoint(w - 15, 0);
        QTest::newRow("the right button drags too")
            << QList<QPoint>{{0, 200}} << int(Qt::RightButton) << QPointF(0, 200) << QPoint(w - 15, 200);
        // The shade is w + 1 wide; leftwards it stops where the button reaches the widget's left edge.
        QTest::newRow("left as far as it goes, the button stays in")
            << QList<QPoint>{{-(w + 100), 0}} << int(Qt::LeftButton) << QPointF(16 - (w + 1), 0) << QPoint(0, 0);
        QTest::newRow("left in steps, past the edge")
            << QList<QPoint>{{-(w - 100), 0}, {-150, 0}} << int(Qt::LeftButton) << QPointF(16 - (w + 1), 0)
            << QPoint(0, 0);
        QTest::newRow("left as far as it goes and fetched back")
            << QList<QPoint>{{-(w + 100), 0}, {w + 1 - 16, 0}} << int(Qt::LeftButton) << QPointF(0, 0)
            << QPoint(w - 15, 0);
        QTest::newRow("down as far as it goes, the button stays in")
            << QList<QPoint>{{0, h + 50}} << int(Qt::LeftButton) << QPointF(0, h - 16) << QPoint(w - 15, h - 16);
        QTest::newRow("down and left as far as they go") << QList<QPoint>{{0, h}, {-2 * w, 0}} << int(Qt::LeftButton)
                                                         << QPointF(16 - (w + 1), h - 16) << QPoint(0, h - 16);
    }

    void closeButtonRidesOnTheVisibleShadeCorner()
    {
        QFETCH(QList<QPoint>, drags);
        QFETCH(int, button);
        QFETCH(QPointF, offset);
        QFETCH(QPoint, buttonPos);

        Rig &rig = *m_rig;
        for (const QPoint &drag : std::as_const(drags))
            rig.dragBy(drag, Qt::MouseButton(button));
        QCOMPARE(rig.visor->shade().offset(), offset);
        QCOMPARE(rig.closeButtonGeometry(), QRect(buttonPos, QSize(16, 16)));
        QVERIFY(rig.closeButton()->isVisible());
        // Reachable wherever the shade went (it may stand out one pixel on the right, as the shade does).
        QVERIFY(QRect(QPoint(0, 0), kShadeSize.toSize()).contains(rig.closeButton()->geometry()));
    }

    void theShadeFollowsTheDragWhileItLasts()
    {
        Rig &rig = *m_rig;
        const QPointF from(100, 100);
        SentMouse::press(rig.visor, from);
        QCOMPARE(rig.visor->cursor().shape(), Qt::ClosedHandCursor);
        SentMouse::move(rig.visor, from + QPointF(0, 10), Qt::LeftButton);
        SentMouse::move(rig.visor, from + QPointF(0, 120), Qt::LeftButton);
        QCOMPARE(rig.visor->cursor().shape(), Qt::ClosedHandCursor);
        // Drawn where the pointer has taken it, and the uncovered strip shows the picture.
        QCOMPARE(rig.closeButtonGeometry().topLeft(), QPoint(kHostSize.width() - 15, 120));
        QCOMPARE(rig.pixel({10, 110}), kHostColour);
        QCOMPARE(rig.pixel({10, 130}), QColor(127, 127, 127));
        SentMouse::release(rig.visor, from + QPointF(0, 120));
        QCOMPARE(rig.visor->cursor().shape(), Qt::OpenHandCursor);
        QCOMPARE(rig.pixel({10, 110}), kHostColour);
    }

    void hoverShowsTheArrowOnTheCloseButton_data()
    {
        QTest::addColumn<QPoint>("drag");
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<int>("cursor");

        const int w = kHostSize.width();
        const int arrow = Qt::ArrowCursor;
        const int hand = Qt::OpenHandCursor;
        QTest::newRow("on the button") << QPoint() << QPoint(w - 8, 8) << arrow;
        QTest::newRow("a pixel left of it") << QPoint() << QPoint(w - 16, 8) << arrow;
        QTest::newRow("two pixels left of it") << QPoint() << QPoint(w - 17, 8) << hand;
        QTest::newRow("a pixel below it") << QPoint() << QPoint(w - 8, 17) << arrow;
        QTest::newRow("two pixels below it") << QPoint() << QPoint(w - 8, 18) << hand;
        QTest::newRow("the shade") << QPoint() << QPoint(100, 100) << hand;
        QTest::newRow("down: a pixel above it") << QPoint(0, 200) << QPoint(w - 8, 199) << arrow;
        QTest::newRow("down: two pixels above it") << QPoint(0, 200) << QPoint(w - 8, 198) << hand;
        QTest::newRow("down: a pixel below it") << QPoint(0, 200) << QPoint(w - 8, 217) << arrow;
        QTest::newRow("down: two pixels below it") << QPoint(0, 200) << QPoint(w - 8, 218) << hand;
        QTest::newRow("left: a pixel left of it") << QPoint(-300, 0) << QPoint(w - 316, 8) << arrow;
        QTest::newRow("left: two pixels left of it") << QPoint(-300, 0) << QPoint(w - 317, 8) << hand;
        QTest::newRow("left: where it used to be") << QPoint(-300, 0) << QPoint(w - 8, 8) << hand;
    }

    void hoverShowsTheArrowOnTheCloseButton()
    {
        QFETCH(QPoint, drag);
        QFETCH(QPoint, pos);
        QFETCH(int, cursor);

        Rig &rig = *m_rig;
        if (!drag.isNull())
            rig.dragBy(drag);
        SentMouse::move(rig.visor, pos);
        QCOMPARE(rig.visor->cursor().shape(), Qt::CursorShape(cursor));
    }

    void releasesAndOpacityChangesReportTheProperties()
    {
        Rig &rig = *m_rig;
        QSignalSpy saved(rig.visor, &VisorWidget::saveVisorProperty);
        rig.dragBy({0, 200});
        QCOMPARE(saved.count(), 1);
        QCOMPARE(saved.takeFirst(), (QVariantList{QPointF(0, 200), false, 100}));

        // A click without movement leaves the shade where it is and says so.
        SentMouse::press(rig.visor, {50, 300});
        SentMouse::release(rig.visor, {50, 300});
        QCOMPARE(rig.visor->shade().offset(), QPointF(0, 200));
        QCOMPARE(saved.count(), 1);
        QCOMPARE(saved.takeFirst(), (QVariantList{QPointF(0, 200), false, 100}));

        rig.visor->setOpacity90();
        QCOMPARE(rig.visor->opacity(), 0.1);
        rig.visor->setOpacity90();
        QCOMPARE(rig.visor->opacity(), 1.0);
        QCOMPARE(saved.count(), 2);
        QCOMPARE(saved.at(0).at(2).toInt(), 10);
        QCOMPARE(saved.at(1).at(2).toInt(), 100);
        saved.clear();

        // Preserved, only the toggle itself reports.
        rig.visor->preserveProperty();
        QCOMPARE(saved.count(), 1);
        QCOMPARE(saved.takeFirst(), (QVariantList{QPointF(0, 200), true, 100}));
        rig.dragBy({0, -50});
        rig.visor->setOpacity90();
        QCOMPARE(saved.count(), 0);
        rig.visor->preserveProperty();
        QCOMPARE(saved.count(), 1);
        QCOMPARE(saved.takeFirst(), (QVariantList{QPointF(0, 150), false, 10}));
    }

    void theMenuHoldsTransparentAndSaveOnAHiddenButton()
    {
        Rig &rig = *m_rig;
        QMenu *menu = rig.visor->menu();
        const QList<QAction *> actions = menu->actions();
        QCOMPARE(actions.size(), 3);
        QCOMPARE(actions.at(0)->text(), QStringLiteral("Transparent"));
        QVERIFY(actions.at(1)->isSeparator());
        QCOMPARE(actions.at(2)->text(), QStringLiteral("Save"));
        for (QAction *action : {actions.at(0), actions.at(2)}) {
            QVERIFY(action->isCheckable());
            QVERIFY(!action->isChecked());
        }
        QToolButton *carrier = nullptr;
        for (QToolButton *button : rig.visor->findChildren<QToolButton *>())
            if (button->menu() == menu)
                carrier = button;
        QVERIFY(carrier);
        rig.visor->repaint();
        QVERIFY(!carrier->isVisible());

        actions.at(0)->trigger();
        QCOMPARE(rig.visor->opacity(), 0.1);
        // The faint shade lets the white picture through almost fully.
        QCOMPARE(rig.pixel({100, 100}), QColor(242, 242, 242));
        actions.at(2)->trigger();
        QVERIFY(rig.visor->isPreserved());
    }

    void aShadeShownAgainIsWhereItWasLeft()
    {
        Rig &rig = *m_rig;
        rig.dragBy({-200, 0});
        rig.visor->hide();
        rig.visor->show();
        QCOMPARE(rig.visor->shade().offset(), QPointF(-200, 0));
        QCOMPARE(rig.pixel({kHostSize.width() - 100, 100}), kHostColour);
        QCOMPARE(rig.pixel({100, 100}), QColor(127, 127, 127));
    }

    void theMaskLetsOnlyTheShadeTakeTheMouseUntilTheNextPress()
    {
        Rig &rig = *m_rig;
        rig.dragBy({0, 200});
        rig.visor->repaint();
        rig.visor->setNewMask();
        QVERIFY(rig.visor->mask().contains(QPoint(10, 300)));
        QVERIFY(!rig.visor->mask().contains(QPoint(10, 100)));
        SentMouse::press(rig.visor, {10, 300});
        QVERIFY(rig.visor->mask().isEmpty());
        SentMouse::release(rig.visor, {10, 300});
    }

    void theCloseButtonHidesTheShadeAndSaysSo()
    {
        Rig &rig = *m_rig;
        rig.visor->repaint();
        QSignalSpy closed(rig.visor, &VisorWidget::visorClose);
        QTest::mouseClick(rig.closeButton(), Qt::LeftButton);
        QCOMPARE(closed.count(), 1);
        QVERIFY(rig.visor->isHidden());
    }
};

QUILLO_TEST_MAIN(TestVisorWidget)
#include "tst_VisorWidget.moc"
