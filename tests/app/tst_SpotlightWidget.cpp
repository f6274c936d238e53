#include "SentMouse.h"
#include "SpotlightHole.h"
#include "SpotlightWidget.h"
#include "TestEnvironment.h"

#include <QMenu>
#include <QScreen>
#include <QSignalSpy>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <memory>

Q_DECLARE_METATYPE(SpotlightHole::Zone)
Q_DECLARE_METATYPE(SpotlightIntf::SHAPE)

namespace {

using Zone = SpotlightHole::Zone;
using Step = std::pair<QSize, QSize>; // new size, old size

const QColor kHostColour(255, 255, 255);
const QColor kShade(127, 127, 127);
const QColor kRing(63, 72, 204);

// A hole of half-sizes 100 centred at (400, 300).
SpotlightHole holeAt400By300(SpotlightIntf::SHAPE shape)
{
    SpotlightHole hole;
    hole.centreIn({800, 600});
    hole.setShape(shape);
    return hole;
}

bool near(QColor actual, QColor expected)
{
    // Antialiasing and opacity rounding move a channel by a step or two.
    constexpr int tolerance = 3;
    return std::abs(actual.red() - expected.red()) <= tolerance
           && std::abs(actual.green() - expected.green()) <= tolerance
           && std::abs(actual.blue() - expected.blue()) <= tolerance;
}

// The main window's central area, white and as large as the screen it is on, with the spotlight over all
// of it, shown for the first time.
struct Rig
{
    Rig()
    {
        host.resize(host.screen()->availableGeometry().size());
        host.setAutoFillBackground(true);
        QPalette palette = host.palette();
        palette.setColor(QPalette::Window, kHostColour);
        host.setPalette(palette);
        spot = new SpotlightWidget(&host);
        spot->resize(host.size());
        host.show();
    }
    QToolButton *closeButton() const { return spot->findChild<QToolButton *>(QStringLiteral("closeButton")); }
    QPointF centre() const { return spot->hole().centre(); }
    qreal rx() const { return spot->hole().halfWidth(); }
    qreal ry() const { return spot->hole().halfHeight(); }
    QColor pixel(QPointF at)
    {
        spot->repaint();
        return host.grab().toImage().pixelColor(at.toPoint());
    }
    void moveHoleTo(QPointF to)
    {
        const QPointF from = centre();
        SentMouse::move(spot, from);
        SentMouse::drag(spot, from, {to});
    }
    Qt::CursorShape hover(QPointF at)
    {
        SentMouse::move(spot, at);
        return spot->cursor().shape();
    }

    QWidget host;
    SpotlightWidget *spot;
};

} // namespace

class TestSpotlightWidget : public QObject
{
    Q_OBJECT

    std::unique_ptr<Rig> m_rig;

private Q_SLOTS:
    void init()
    {
        m_rig = std::make_unique<Rig>();
        QVERIFY(QTest::qWaitForWindowExposed(&m_rig->host));
        m_rig->spot->repaint();
    }

    void cleanup() { m_rig.reset(); }

    void rimZonesPickTheStretch_data()
    {
        QTest::addColumn<SpotlightIntf::SHAPE>("shape");
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<Zone>("zone");

        // Every hole has half-sizes 100 and its centre at (400, 300).
        const auto circle = SpotlightIntf::CIRCLE;
        QTest::newRow("circle: left rim") << circle << QPoint(300, 300) << Zone::Horizontal;
        QTest::newRow("circle: 15 px outside the left rim") << circle << QPoint(285, 300) << Zone::Horizontal;
        QTest::newRow("circle: 21 px outside the left rim") << circle << QPoint(279, 300) << Zone::None;
        QTest::newRow("circle: 29 px inside the left rim") << circle << QPoint(329, 300) << Zone::Horizontal;
        QTest::newRow("circle: 31 px inside the left rim") << circle << QPoint(331, 300) << Zone::None;
        QTest::newRow("circle: right rim") << circle << QPoint(515, 300) << Zone::Horizontal;
        QTest::newRow("circle: outside the right zone") << circle << QPoint(521, 300) << Zone::None;
        QTest::newRow("circle: rim at 160 degrees") << circle << QPoint(306, 266) << Zone::Horizontal;
        QTest::newRow("circle: rim at 140 degrees") << circle << QPoint(323, 236) << Zone::None;
        QTest::newRow("circle: rim at 45 degrees") << circle << QPoint(471, 229) << Zone::None;
        QTest::newRow("circle: top rim") << circle << QPoint(400, 185) << Zone::Vertical;
        QTest::newRow("circle: 29 px inside the top rim") << circle << QPoint(400, 229) << Zone::Vertical;
        QTest::newRow("circle: above the top zone") << circle << QPoint(400, 179) << Zone::None;
        QTest::newRow("circle: bottom rim") << circle << QPoint(400, 415) << Zone::Vertical;
        QTest::newRow("circle: middle") << circle << QPoint(400, 300) << Zone::None;

        const auto rectangle = SpotlightIntf::RECTANGLE;
        QTest::newRow("rectangle: just right of the edge") << rectangle << QPoint(501, 300) << Zone::Horizontal;
        QTest::newRow("rectangle: 14 px right") << rectangle << QPoint(514, 300) << Zone::Horizontal;
        QTest::newRow("rectangle: 15 px right") << rectangle << QPoint(515, 300) << Zone::None;
        QTest::newRow("rectangle: on the right edge") << rectangle << QPoint(500, 300) << Zone::None;
        QTest::newRow("rectangle: 14 px left") << rectangle << QPoint(286, 300) << Zone::Horizontal;
        QTest::newRow("rectangle: 15 px left") << rectangle << QPoint(285, 300) << Zone::None;
        QTest::newRow("rectangle: right, level with the top") << rectangle << QPoint(505, 200) << Zone::Horizontal;
        QTest::newRow("rectangle: right, above the top") << rectangle << QPoint(505, 199) << Zone::None;
        QTest::newRow("rectangle: just below") << rectangle << QPoint(400, 401) << Zone::Vertical;
        QTest::newRow("rectangle: 15 px below") << rectangle << QPoint(400, 415) << Zone::None;
        QTest::newRow("rectangle: 14 px above") << rectangle << QPoint(400, 186) << Zone::Vertical;
        QTest::newRow("rectangle: below, level with the left") << rectangle << QPoint(300, 401) << Zone::Vertical;
        QTest::newRow("rectangle: below, left of the left") << rectangle << QPoint(299, 401) << Zone::None;
        QTest::newRow("rectangle: beyond a corner") << rectangle << QPoint(505, 405) << Zone::None;
        QTest::newRow("rectangle: inside") << rectangle << QPoint(400, 300) << Zone::None;

        // Apex (400, 200); the bands' base line lies at 350, the left corner at 300, the right at 500.
        const auto triangle = SpotlightIntf::TRIANGLE;
        QTest::newRow("triangle: left of the left side") << triangle << QPoint(345, 275) << Zone::Horizontal;
        QTest::newRow("triangle: inside the left side") << triangle << QPoint(352, 275) << Zone::None;
        QTest::newRow("triangle: beyond the left band") << triangle << QPoint(333, 275) << Zone::None;
        QTest::newRow("triangle: right of the right side") << triangle << QPoint(455, 275) << Zone::Horizontal;
        QTest::newRow("triangle: inside the right side") << triangle << QPoint(448, 275) << Zone::None;
        QTest::newRow("triangle: below the base") << triangle << QPoint(400, 355) << Zone::Vertical;
        QTest::newRow("triangle: below the base, left") << triangle << QPoint(310, 360) << Zone::Vertical;
        QTest::newRow("triangle: inside the base") << triangle << QPoint(400, 349) << Zone::None;
        QTest::newRow("triangle: beyond the base band") << triangle << QPoint(400, 366) << Zone::None;
        QTest::newRow("triangle: above the apex") << triangle << QPoint(400, 195) << Zone::None;
    }

    void rimZonesPickTheStretch()
    {
        QFETCH(SpotlightIntf::SHAPE, shape);
        QFETCH(QPoint, pos);
        QFETCH(Zone, zone);

        QCOMPARE(holeAt400By300(shape).zoneAt(pos), zone);
    }

    void resizingTheWidgetCarriesTheHoleAlong_data()
    {
        QTest::addColumn<QSize>("shown");
        QTest::addColumn<QList<Step>>("steps");
        QTest::addColumn<QPointF>("centre");
        QTest::addColumn<qreal>("rx");
        QTest::addColumn<qreal>("ry");

        const QSize unknown(-1, -1);
        // First shown at 1000 x 800 the hole is centred at (500, 400) with half-sizes 333 and 266.
        const QSize s(1000, 800);
        QTest::newRow("first showing") << QSize(1200, 900) << QList<Step>{} << QPointF(600, 450) << 400.0 << 300.0;
        QTest::newRow("wider") << s << QList<Step>{{{1200, 800}, s}} << QPointF(600, 400) << 399.6 << 266.0;
        QTest::newRow("smaller") << s << QList<Step>{{{500, 400}, s}} << QPointF(250, 200) << 166.5 << 133.0;
        QTest::newRow("past the mouse's limit")
            << QSize(1500, 1200) << QList<Step>{{{1800, 1200}, {1500, 1200}}} << QPointF(900, 600) << 600.0 << 400.0;
        // In whole pixels the middle of 801 is 400: the centre keeps its distance to it in proportion.
        QTest::newRow("from an odd width") << QSize(801, 600) << QList<Step>{{{1001, 600}, {801, 600}}}
                                           << QPointF(500, 300) << 267.0 * 1001 / 801 << 200.0;
        QTest::newRow("resized while hidden: from the size it had")
            << s << QList<Step>{{{1200, 800}, s}, {{600, 400}, unknown}} << QPointF(300, 200) << 199.8 << 133.0;
        QTest::newRow("from a 1 px square: from the size before")
            << s << QList<Step>{{{900, 700}, {1, 1}}} << QPointF(450, 350) << 299.7 << 232.75;
        QTest::newRow("from no width: from the size before")
            << s << QList<Step>{{{900, 700}, {0, 800}}} << QPointF(450, 350) << 299.7 << 232.75;
        QTest::newRow("to nothing and back")
            << s << QList<Step>{{{0, 0}, s}, {s, {0, 0}}} << QPointF(500, 400) << 333.0 << 266.0;
        QTest::newRow("to a 1 px strip and back")
            << s << QList<Step>{{{1, 800}, s}, {s, {1, 800}}} << QPointF(500, 400) << 333.0 << 266.0;
        QTest::newRow("to a 1 px strip, then elsewhere")
            << s << QList<Step>{{{1000, 1}, s}, {{500, 400}, {1000, 1}}} << QPointF(250, 200) << 166.5 << 133.0;
    }

    void resizingTheWidgetCarriesTheHoleAlong()
    {
        QFETCH(QSize, shown);
        QFETCH(QList<Step>, steps);
        QFETCH(QPointF, centre);
        QFETCH(qreal, rx);
        QFETCH(qreal, ry);

        // As at the widget's first showing: a resize from an unknown size, then the first paint.
        SpotlightHole hole;
        hole.followResize(shown, {-1, -1});
        hole.centreIn(shown);
        for (const Step &step : std::as_const(steps))
            hole.followResize(step.first, step.second);
        QVERIFY2(std::abs(hole.centre().x() - centre.x()) < 1e-9 && std::abs(hole.centre().y() - centre.y()) < 1e-9,
                 qPrintable(QStringLiteral("centre (%1, %2)").arg(hole.centre().x()).arg(hole.centre().y())));
        QVERIFY2(std::abs(hole.halfWidth() - rx) < 1e-9, qPrintable(QString::number(hole.halfWidth())));
        QVERIFY2(std::abs(hole.halfHeight() - ry) < 1e-9, qPrintable(QString::number(hole.halfHeight())));
    }

    void theFirstShowingCentresAnEllipseOnTheScreen()
    {
        Rig &rig = *m_rig;
        const QSize screen = rig.spot->screen()->availableGeometry().size();
        QCOMPARE(rig.spot->size(), screen);
        const int w = screen.width();
        const int h = screen.height();
        QCOMPARE(rig.centre(), QPointF(w / 2, h / 2));
        QCOMPARE(rig.rx(), std::trunc(100.0 * w / 300));
        QCOMPARE(rig.ry(), std::trunc(100.0 * h / 300));
        QCOMPARE(rig.spot->hole().shape(), SpotlightIntf::CIRCLE);

        // A hole showing the picture, ringed in blue just outside its edge, in a grey shade.
        const QPointF c = rig.centre();
        QCOMPARE(rig.pixel(c), kHostColour);
        QCOMPARE(rig.pixel(c + QPointF(rig.rx() - 3, 0)), kHostColour);
        QCOMPARE(rig.pixel(c + QPointF(rig.rx() + 3, 0)), kRing);
        QCOMPARE(rig.pixel(c - QPointF(0, rig.ry() + 3)), kRing);
        QCOMPARE(rig.pixel(c + QPointF(rig.rx() + 10, 0)), kShade);
        QCOMPARE(rig.pixel(QPointF(5, h - 5)), kShade);
        QCOMPARE(rig.closeButton()->geometry(), QRect(w - 16, 0, 16, 16));
        QVERIFY(rig.closeButton()->isVisible());
        QCOMPARE(rig.closeButton()->focusPolicy(), Qt::NoFocus);
    }

    void dragsStretchTheHoleWithinLimits_data()
    {
        QTest::addColumn<SpotlightIntf::SHAPE>("shape");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<int>("distance");
        QTest::addColumn<int>("halfSize");

        // The drag ends this far from the centre; -1 stands for the screen's far edge.
        const auto circle = SpotlightIntf::CIRCLE;
        const int across = Qt::Horizontal;
        const int down = Qt::Vertical;
        QTest::newRow("circle: across to the screen's edge") << circle << across << -1 << 500;
        QTest::newRow("circle: down to the screen's edge") << circle << down << -1 << 500;
        QTest::newRow("circle: across to 20 px") << circle << across << 20 << 50;
        QTest::newRow("circle: across to 120 px") << circle << across << 120 << 120;
        QTest::newRow("circle: down to 80 px") << circle << down << 80 << 80;
        QTest::newRow("rectangle: across to 20 px") << SpotlightIntf::RECTANGLE << across << 20 << 50;
        QTest::newRow("rectangle: down to the screen's edge") << SpotlightIntf::RECTANGLE << down << -1 << 500;
        QTest::newRow("triangle: the base to 100 px") << SpotlightIntf::TRIANGLE << down << 100 << 200;
        QTest::newRow("triangle: a side to 150 px") << SpotlightIntf::TRIANGLE << across << 150 << 300;
        QTest::newRow("triangle: a side to 300 px") << SpotlightIntf::TRIANGLE << across << 300 << 500;
    }

    void dragsStretchTheHoleWithinLimits()
    {
        QFETCH(SpotlightIntf::SHAPE, shape);
        QFETCH(int, orientation);
        QFETCH(int, distance);
        QFETCH(int, halfSize);

        Rig &rig = *m_rig;
        const bool across = orientation == Qt::Horizontal;
        // Near the top-left corner the hole leaves the most room for a drag.
        const QPointF c(60, 60);
        const QSize screen = rig.spot->screen()->availableGeometry().size();
        if (distance < 0) {
            distance = (across ? screen.width() : screen.height()) - 1 - 60;
            if (distance <= 500)
                QSKIP("The screen is too small to drag past the limit");
        }
        QMetaObject::invokeMethod(rig.spot, shape == SpotlightIntf::CIRCLE     ? "setCircleShape"
                                            : shape == SpotlightIntf::TRIANGLE ? "setTriangleShape"
                                                                               : "setRectangleShape");
        rig.moveHoleTo(c);
        QCOMPARE(rig.centre(), c);
        const qreal rx = rig.rx();
        const qreal ry = rig.ry();

        QPointF grip;
        if (shape == SpotlightIntf::TRIANGLE)
            grip = across ? c + QPointF(rx / 2 + 5, -ry / 4) : c + QPointF(0, ry / 2 + 5);
        else
            grip = across ? c + QPointF(rx + 10, 0) : c + QPointF(0, ry + 10);
        QCOMPARE(rig.hover(grip), across ? Qt::SizeHorCursor : Qt::SizeVerCursor);
        SentMouse::press(rig.spot, grip);
        QCOMPARE(rig.spot->cursor().shape(), across ? Qt::SizeHorCursor : Qt::SizeVerCursor);
        const QPointF target = c + (across ? QPointF(distance, 0) : QPointF(0, distance));
        SentMouse::move(rig.spot, (grip + target) / 2, Qt::LeftButton);
        SentMouse::move(rig.spot, target, Qt::LeftButton);
        SentMouse::release(rig.spot, target);

        QCOMPARE(across ? rig.rx() : rig.ry(), qreal(halfSize));
        QCOMPARE(across ? rig.ry() : rig.rx(), across ? ry : rx);
        QCOMPARE(rig.centre(), c);
        QCOMPARE(rig.spot->cursor().shape(), Qt::OpenHandCursor);
    }

    void thePressStretchesTheWayTheCursorLastShowed()
    {
        Rig &rig = *m_rig;
        const QPointF c = rig.centre();
        const qreal rx = rig.rx();
        const qreal ry = rig.ry();
        QCOMPARE(rig.hover(c + QPointF(rx + 5, 0)), Qt::SizeHorCursor);
        QCOMPARE(rig.hover(c + QPointF(0, ry + 5)), Qt::SizeVerCursor);
        SentMouse::drag(rig.spot, c + QPointF(0, ry + 5), {c + QPointF(80, 120)});
        QCOMPARE(rig.ry(), 120.0);
        QCOMPARE(rig.rx(), rx);
        QCOMPARE(rig.centre(), c);
    }

    void theRightButtonNeitherMovesNorStretchesButItsReleaseEndsTheStretch()
    {
        Rig &rig = *m_rig;
        const QPointF c = rig.centre();
        const qreal rx = rig.rx();
        const QPointF grip = c + QPointF(rx + 5, 0);
        QCOMPARE(rig.hover(grip), Qt::SizeHorCursor);
        SentMouse::press(rig.spot, grip, Qt::RightButton);
        SentMouse::move(rig.spot, grip + QPointF(30, 0), Qt::RightButton);
        QCOMPARE(rig.rx(), rx);
        QCOMPARE(rig.centre(), c);
        SentMouse::move(rig.spot, grip, Qt::RightButton);
        SentMouse::release(rig.spot, grip, Qt::RightButton);
        QCOMPARE(rig.spot->cursor().shape(), Qt::OpenHandCursor);

        // Without a hover in between, the left button now grabs the hole itself.
        SentMouse::drag(rig.spot, grip, {grip + QPointF(30, 0)});
        QCOMPARE(rig.rx(), rx);
        QCOMPARE(rig.centre(), c + QPointF(30, 0));
    }

    void theHoleGoesWhereverItIsDragged()
    {
        Rig &rig = *m_rig;
        const QPointF c = rig.centre();
        QCOMPARE(rig.hover(c), Qt::OpenHandCursor);
        SentMouse::press(rig.spot, c);
        QCOMPARE(rig.spot->cursor().shape(), Qt::ClosedHandCursor);
        SentMouse::move(rig.spot, c + QPointF(-20, 10), Qt::LeftButton);
        SentMouse::move(rig.spot, c + QPointF(-50, 35), Qt::LeftButton);
        QCOMPARE(rig.centre(), c + QPointF(-50, 35));
        SentMouse::release(rig.spot, c + QPointF(-50, 35));
        QCOMPARE(rig.spot->cursor().shape(), Qt::OpenHandCursor);

        // Wholly off the widget the shade covers everything; a drag anywhere fetches the hole back.
        const QPointF far(-3000, -2000);
        SentMouse::drag(rig.spot, {10, 10}, {far + QPointF(10, 10) - rig.centre()});
        QCOMPARE(rig.centre(), far);
        QCOMPARE(rig.pixel(c), kShade);
        SentMouse::drag(rig.spot, QPointF(100, 100), {QPointF(100, 100) + c - far});
        QCOMPARE(rig.centre(), c);
        QCOMPARE(rig.pixel(c), kHostColour);
    }

    void theHoleFollowsResizesOfTheVisibleWidget()
    {
        Rig &rig = *m_rig;
        const QSize screen = rig.spot->size();
        if (screen.width() % 4 || screen.height() % 4)
            QSKIP("The halving below is exact for sizes that divide by 4");
        const qreal rx = rig.rx();
        const qreal ry = rig.ry();
        rig.spot->resize(screen / 2);
        QCOMPARE(rig.centre(), QPointF(screen.width() / 4, screen.height() / 4));
        QCOMPARE(rig.rx(), rx / 2);
        QCOMPARE(rig.ry(), ry / 2);

        // Put away, resized back, shown again: the hole is where it was on the full-size widget.
        rig.spot->hide();
        rig.spot->resize(screen);
        rig.spot->show();
        QCOMPARE(rig.centre(), QPointF(screen.width() / 2, screen.height() / 2));
        QCOMPARE(rig.rx(), rx);
        QCOMPARE(rig.ry(), ry);

        // Squeezed to nothing and back, the hole comes back as it was.
        rig.spot->resize(0, 0);
        rig.spot->resize(screen);
        QCOMPARE(rig.centre(), QPointF(screen.width() / 2, screen.height() / 2));
        QCOMPARE(rig.rx(), rx);
        QCOMPARE(rig.ry(), ry);
        QCOMPARE(rig.pixel(rig.centre()), kHostColour);
    }

    void hoverShowsTheArrowNearTheCloseButton_data()
    {
        QTest::addColumn<QPoint>("fromTopRight");
        QTest::addColumn<int>("cursor");

        QTest::newRow("on the button") << QPoint(-8, 8) << int(Qt::ArrowCursor);
        QTest::newRow("a pixel left of it") << QPoint(-17, 8) << int(Qt::ArrowCursor);
        QTest::newRow("two pixels left of it") << QPoint(-18, 8) << int(Qt::OpenHandCursor);
        QTest::newRow("a pixel below it") << QPoint(-8, 17) << int(Qt::ArrowCursor);
        QTest::newRow("two pixels below it") << QPoint(-8, 18) << int(Qt::OpenHandCursor);
    }

    void hoverShowsTheArrowNearTheCloseButton()
    {
        QFETCH(QPoint, fromTopRight);
        QFETCH(int, cursor);

        Rig &rig = *m_rig;
        QCOMPARE(rig.hover(QPoint(rig.spot->width(), 0) + fromTopRight), Qt::CursorShape(cursor));
    }

    void theMenuCutsTheOtherShapes_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<SpotlightIntf::SHAPE>("shape");
        QTest::addColumn<bool>("nearTheCorner");
        QTest::addColumn<bool>("lowInTheMiddle");

        // Whether the hole shows the picture near its bounds' top-right corner and low on its middle line.
        QTest::newRow("triangle") << "Triangle" << SpotlightIntf::TRIANGLE << false << false;
        QTest::newRow("rectangle") << "Rectangle" << SpotlightIntf::RECTANGLE << true << true;
        QTest::newRow("circle") << "Circle" << SpotlightIntf::CIRCLE << false << true;
    }

    void theMenuCutsTheOtherShapes()
    {
        QFETCH(QString, action);
        QFETCH(SpotlightIntf::SHAPE, shape);
        QFETCH(bool, nearTheCorner);
        QFETCH(bool, lowInTheMiddle);

        Rig &rig = *m_rig;
        const QList<QAction *> actions = rig.spot->menu()->actions();
        QStringList texts;
        for (QAction *item : actions)
            texts << item->text();
        QCOMPARE(texts, (QStringList{"Triangle", "Rectangle", "Circle", "", "Transparent", "", "Save"}));
        // Start from another shape than the one asked for.
        QMetaObject::invokeMethod(rig.spot,
                                  shape == SpotlightIntf::RECTANGLE ? "setTriangleShape" : "setRectangleShape");
        QAction *chosen = actions.at(texts.indexOf(action));
        chosen->trigger();
        QCOMPARE(rig.spot->hole().shape(), shape);
        for (QAction *shapeAction : actions.mid(0, 3))
            QCOMPARE(shapeAction->isChecked(), shapeAction == chosen);

        const QPointF c = rig.centre();
        const QPointF corner = c + QPointF(rig.rx() - 10, -rig.ry() + 10);
        const QPointF low = c + QPointF(0, rig.ry() - 12);
        QCOMPARE(rig.pixel(corner), nearTheCorner ? kHostColour : kShade);
        QCOMPARE(rig.pixel(low), lowInTheMiddle ? kHostColour : kShade);
        QCOMPARE(rig.pixel(c), kHostColour);
    }

    void transparentDimsShadeAndRingTogether()
    {
        Rig &rig = *m_rig;
        const QPointF ring = rig.centre() + QPointF(rig.rx() + 3, 0);
        const QPointF shade(5, 5 + 20);
        QAction *transparent = rig.spot->menu()->actions().at(4);
        transparent->trigger();
        QCOMPARE(rig.spot->opacity(), 0.1);
        // A tenth of the shade over the white picture, a tenth of the ring over that.
        QVERIFY(near(rig.pixel(shade), QColor(242, 242, 242)));
        QVERIFY2(near(rig.pixel(ring), QColor(224, 225, 238)), qPrintable(rig.pixel(ring).name()));
        rig.spot->setOpacity90();
        QCOMPARE(rig.spot->opacity(), 1.0);
        QCOMPARE(rig.pixel(shade), kShade);
        QCOMPARE(rig.pixel(ring), kRing);

        rig.spot->menu()->actions().at(6)->trigger();
        QVERIFY(rig.spot->isLocked());
    }

    void theCloseButtonHidesTheShadeAndSaysSo()
    {
        Rig &rig = *m_rig;
        QSignalSpy closed(rig.spot, &SpotlightWidget::spotClose);
        QTest::mouseClick(rig.closeButton(), Qt::LeftButton);
        QCOMPARE(closed.count(), 1);
        QVERIFY(rig.spot->isHidden());
    }
};

QUILLO_TEST_MAIN(TestSpotlightWidget)
#include "tst_SpotlightWidget.moc"
