#include "Screenshot.h"
#include "SentMouse.h"
#include "SpotlightWidget.h"
#include "TestEnvironment.h"
#include "VisorWidget.h"

#include <QPainter>
#include <QPainterPath>

namespace {

// The size of the main window's central area on a common projector.
const QSize kAreaSize(1024, 640);

// Stands in for the live picture: a worksheet on a desk, with text, a drawing and colours to see through
// the effects.
class Picture : public QWidget
{
public:
    Picture() { resize(kAreaSize); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QLinearGradient desk(0, 0, width(), height());
        desk.setColorAt(0, QColor(120, 88, 62));
        desk.setColorAt(1, QColor(78, 56, 40));
        painter.fillRect(rect(), desk);

        const QRect sheet(140, 40, width() - 280, height() - 80);
        painter.fillRect(sheet.translated(6, 6), QColor(0, 0, 0, 80));
        painter.fillRect(sheet, QColor(250, 250, 246));
        QFont title(QStringLiteral("Sans"), 26, QFont::Bold);
        painter.setFont(title);
        painter.setPen(QColor(30, 30, 30));
        painter.drawText(sheet.adjusted(40, 24, -40, 0), Qt::AlignLeft | Qt::AlignTop,
                         QStringLiteral("How plants make their food"));
        QFont body(QStringLiteral("Sans"), 15);
        painter.setFont(body);
        const QStringList lines{
            QStringLiteral("1. Leaves take in light from the sun."),
            QStringLiteral("2. Roots draw water up through the stem."),
            QStringLiteral("3. Air gives the leaf carbon dioxide."),
            QStringLiteral("4. The leaf makes sugar and gives off oxygen."),
        };
        int y = sheet.top() + 100;
        for (const QString &line : lines) {
            painter.drawText(sheet.left() + 40, y, line);
            y += 40;
        }

        // The sun, a leaf on its stem, and the light between them.
        const QPointF sun(sheet.right() - 110, sheet.top() + 130);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(250, 190, 30));
        painter.drawEllipse(sun, 48, 48);
        painter.setPen(QPen(QColor(250, 190, 30), 5, Qt::SolidLine, Qt::RoundCap));
        for (int i = 0; i < 3; ++i)
            painter.drawLine(sun + QPointF(-60, 40 + 25 * i), sun + QPointF(-150, 100 + 40 * i));
        QPainterPath leaf(QPointF(sheet.right() - 320, sheet.bottom() - 40));
        leaf.cubicTo(sheet.right() - 330, sheet.bottom() - 170, sheet.right() - 180, sheet.bottom() - 200,
                     sheet.right() - 120, sheet.bottom() - 170);
        leaf.cubicTo(sheet.right() - 160, sheet.bottom() - 90, sheet.right() - 260, sheet.bottom() - 40,
                     sheet.right() - 320, sheet.bottom() - 40);
        painter.setPen(QPen(QColor(30, 110, 40), 3));
        painter.setBrush(QColor(70, 170, 70));
        painter.drawPath(leaf);
        painter.drawLine(QPointF(sheet.right() - 320, sheet.bottom() - 40),
                         QPointF(sheet.right() - 360, sheet.bottom() - 10));
        painter.setPen(QColor(200, 40, 40));
        painter.setFont(body);
        painter.drawText(sheet.left() + 40, sheet.bottom() - 40,
                         QStringLiteral("light + water + air  =  sugar + oxygen"));
    }
};

// The effect over the whole picture, shown and painted once.
template<class Effect>
Effect *showOver(Picture &picture)
{
    auto *effect = new Effect(&picture);
    effect->resize(picture.size());
    picture.show();
    if (!QTest::qWaitForWindowExposed(&picture))
        return nullptr;
    effect->repaint();
    return effect;
}

} // namespace

// Saves each effect over a picture for a person to look at, on a real X server.
class TestPresenterEffectsX11 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void visorOverAPicture()
    {
        Picture picture;
        auto *visor = showOver<VisorWidget>(picture);
        QVERIFY(visor);
        const QPointF middle(kAreaSize.width() / 2, kAreaSize.height() / 2);

        // Slid 200 px down: the worksheet's title shows above the shade.
        SentMouse::drag(visor, middle, {middle + QPointF(0, 10), middle + QPointF(0, 200)});
        QCOMPARE(visor->shade().offset(), QPointF(0, 200));
        QVERIFY(!Screenshot::save(&picture, QStringLiteral("visor-slid-down")).isEmpty());

        // Then 600 px left: the right part of the sheet shows too.
        SentMouse::drag(visor, middle, {middle - QPointF(10, 0), middle - QPointF(600, 0)});
        QCOMPARE(visor->shade().offset(), QPointF(-600, 200));
        QVERIFY(!Screenshot::save(&picture, QStringLiteral("visor-slid-down-and-left")).isEmpty());

        // Pushed on to the left and down past the edges: a strip of shade with its close button stays.
        SentMouse::drag(visor, middle, {middle - QPointF(10, 0), middle - QPointF(900, 0)});
        SentMouse::drag(visor, middle, {middle + QPointF(0, 10), middle + QPointF(0, 900)});
        const int shadeWidth = kAreaSize.width() + 1;
        QCOMPARE(visor->shade().offset(), QPointF(16 - shadeWidth, kAreaSize.height() - 16));
        QVERIFY(!Screenshot::save(&picture, QStringLiteral("visor-slid-to-the-corner")).isEmpty());
    }

    void spotlightOverAPicture_data()
    {
        QTest::addColumn<QByteArray>("slot");
        QTest::addColumn<QString>("name");

        QTest::newRow("circle") << QByteArray("setCircleShape") << QStringLiteral("spotlight-circle");
        QTest::newRow("triangle") << QByteArray("setTriangleShape") << QStringLiteral("spotlight-triangle");
        QTest::newRow("rectangle") << QByteArray("setRectangleShape") << QStringLiteral("spotlight-rectangle");
    }

    void spotlightOverAPicture()
    {
        QFETCH(QByteArray, slot);
        QFETCH(QString, name);

        Picture picture;
        auto *spot = showOver<SpotlightWidget>(picture);
        QVERIFY(spot);
        QVERIFY(QMetaObject::invokeMethod(spot, slot.constData()));
        QVERIFY(!Screenshot::save(&picture, name).isEmpty());
    }

    void spotlightMovedAndStretched()
    {
        Picture picture;
        auto *spot = showOver<SpotlightWidget>(picture);
        QVERIFY(spot);

        // Over the sun and the leaf, narrowed to them.
        const QPointF centre = spot->hole().centre();
        SentMouse::drag(spot, centre, {QPointF(kAreaSize.width() - 300, kAreaSize.height() / 2)});
        const QPointF moved = spot->hole().centre();
        const QPointF rim = moved + QPointF(spot->hole().halfWidth() + 5, 0);
        SentMouse::move(spot, rim);
        SentMouse::drag(spot, rim, {moved + QPointF(170, 0)});
        QCOMPARE(spot->hole().halfWidth(), 170.0);
        QVERIFY(!Screenshot::save(&picture, QStringLiteral("spotlight-moved-and-narrowed")).isEmpty());
    }
};

QUILLO_TEST_MAIN_X11(TestPresenterEffectsX11)
#include "tst_PresenterEffectsX11.moc"
