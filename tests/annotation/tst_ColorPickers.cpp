#include "DialogWatchdog.h"
#include "ModalAnswerer.h"
#include "TestEnvironment.h"

#include "ColorButton.h"
#include "ColorCube.h"
#include "ColorWheel.h"

#include <QColorDialog>
#include <QSignalSpy>

namespace {

// A point well inside each of the wheel's hexagons, in 96ths of the widget: the mean of its corners.
const QPointF kRegionCentres[] = {{18.8, 33.5}, {40.7, 20.0}, {66.7, 26.0}, {75.8, 48.8},
                                  {53.5, 68.2}, {21.2, 58.5}, {46.2, 41.8}};
const QColor kRegionColors[] = {{252, 58, 59}, {255, 156, 58}, {255, 230, 52},
                                {76, 180, 52}, {48, 85, 255},  {110, 52, 186}};

QPoint pointOf(const QWidget &widget, int region)
{
    const QPointF at = kRegionCentres[region];
    return QPoint(qRound(at.x() * widget.width() / 96), qRound(at.y() * widget.height() / 96));
}

QList<QColor> colorsOf(const QSignalSpy &spy)
{
    QList<QColor> colors;
    for (const QList<QVariant> &emission : spy)
        colors << emission.at(0).value<QColor>();
    return colors;
}

} // namespace

class TestColorPickers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void swatchShowsAndOffersItsColor();
    void gridPresets_data();
    void gridPresets();
    void gridAnnouncesOnlyChanges();
    void wheelRegions_data();
    void wheelRegions();
    void wheelIgnoresOtherButtonsAndGaps();
    void wheelDragAnnouncesEachNewHexagon();
    void wheelCentreOpensTheColourDialog_data();
    void wheelCentreOpensTheColourDialog();
    void wheelCentreShowsTheCurrentColour();
};

void TestColorPickers::swatchShowsAndOffersItsColor()
{
    ColorButton swatch;
    swatch.setText(QStringLiteral("ignored"));
    swatch.resize(20, 15);
    swatch.setColor(QColor(1, 131, 255));
    QSignalSpy offered(&swatch, &ColorButton::clickToGetColor);
    QTest::mouseClick(&swatch, Qt::LeftButton);
    QCOMPARE(colorsOf(offered), QList<QColor>{QColor(1, 131, 255)});

    // Only the colour is painted: no frame, text or icon.
    const QImage picture = swatch.grab().toImage();
    for (const QPoint &at : {QPoint(0, 0), QPoint(10, 7), QPoint(19, 14)})
        QCOMPARE(picture.pixelColor(at), QColor(1, 131, 255));
    QCOMPARE(swatch.cursor().shape(), Qt::PointingHandCursor);
}

void TestColorPickers::gridPresets_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QColor>("color");
    QTest::newRow("red") << "redBtn" << QColor(255, 0, 0);
    QTest::newRow("green") << "greenBtn" << QColor(18, 121, 17);
    QTest::newRow("dark blue") << "darkBlueBtn" << QColor(0, 25, 255);
    QTest::newRow("orange") << "orangeBtn" << QColor(255, 128, 0);
    QTest::newRow("light green") << "lightGreenBtn" << QColor(3, 231, 0);
    QTest::newRow("brown") << "brownBtn" << QColor(175, 125, 69);
    QTest::newRow("yellow") << "yellowBtn" << QColor(255, 239, 70);
    QTest::newRow("sky blue") << "skyBlueBtn" << QColor(1, 131, 255);
    QTest::newRow("peach red") << "peachRedBtn" << QColor(255, 0, 253);
}

void TestColorPickers::gridPresets()
{
    QFETCH(QString, button);
    QFETCH(QColor, color);
    ColorCube grid;
    QSignalSpy changed(&grid, &ColorCube::colorChanged);
    QTest::mouseClick(grid.findChild<ColorButton *>(button), Qt::LeftButton);
    QCOMPARE(colorsOf(changed), QList<QColor>{color});
    QCOMPARE(grid.currentColor(), color);
    QCOMPARE(grid.findChild<ColorButton *>(QStringLiteral("curColorBtn"))->color(), color);
}

void TestColorPickers::gridAnnouncesOnlyChanges()
{
    ColorCube grid;
    auto *current = grid.findChild<ColorButton *>(QStringLiteral("curColorBtn"));
    // The swatch shows red before anything was chosen, yet no colour is current.
    QVERIFY(!grid.currentColor().isValid());
    QCOMPARE(current->color(), QColor(Qt::red));

    QSignalSpy changed(&grid, &ColorCube::colorChanged);
    QTest::mouseClick(current, Qt::LeftButton);
    QCOMPARE(changed.count(), 0);

    QTest::mouseClick(grid.findChild<ColorButton *>(QStringLiteral("redBtn")), Qt::LeftButton);
    QTest::mouseClick(grid.findChild<ColorButton *>(QStringLiteral("redBtn")), Qt::LeftButton);
    grid.setCurrentColor(QColor(255, 0, 0));
    QCOMPARE(changed.count(), 1);

    // The grid keeps the alpha it is given: a panel's pen colour is set with its transparency.
    grid.setCurrentColor(QColor(255, 0, 0, 128));
    QCOMPARE(colorsOf(changed).last(), QColor(255, 0, 0, 128));
    QCOMPARE(current->color(), QColor(255, 0, 0, 128));
}

void TestColorPickers::wheelRegions_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("region");
    for (const QSize &size : {QSize(96, 96), QSize(240, 150)}) {
        for (int region = 0; region < 6; ++region)
            QTest::addRow("%dx%d hexagon %d", size.width(), size.height(), region) << size << region;
    }
}

void TestColorPickers::wheelRegions()
{
    QFETCH(QSize, size);
    QFETCH(int, region);
    ColorWheel wheel;
    wheel.resize(size);
    QSignalSpy changed(&wheel, &ColorWheel::colorChanged);
    QTest::mousePress(&wheel, Qt::LeftButton, {}, pointOf(wheel, region));
    QTest::mouseRelease(&wheel, Qt::LeftButton, {}, pointOf(wheel, region));
    QCOMPARE(wheel.color(), kRegionColors[region]);
    // The first hexagon's colour is the wheel's own from the start, so choosing it again is no change.
    QCOMPARE(changed.count(), region == 0 ? 0 : 1);
}

void TestColorPickers::wheelIgnoresOtherButtonsAndGaps()
{
    ColorWheel wheel;
    wheel.resize(96, 96);
    QSignalSpy changed(&wheel, &ColorWheel::colorChanged);
    QTest::mousePress(&wheel, Qt::RightButton, {}, pointOf(wheel, 2));
    QTest::mouseMove(&wheel, pointOf(wheel, 3));
    QTest::mouseRelease(&wheel, Qt::RightButton, {}, pointOf(wheel, 3));
    // A corner of the widget lies outside every hexagon.
    QTest::mousePress(&wheel, Qt::LeftButton, {}, QPoint(94, 2));
    QTest::mouseRelease(&wheel, Qt::LeftButton, {}, QPoint(94, 2));
    QCOMPARE(changed.count(), 0);
    QCOMPARE(wheel.color(), kRegionColors[0]);
}

void TestColorPickers::wheelDragAnnouncesEachNewHexagon()
{
    ColorWheel wheel;
    wheel.resize(192, 192);
    QSignalSpy changed(&wheel, &ColorWheel::colorChanged);
    QTest::mousePress(&wheel, Qt::LeftButton, {}, pointOf(wheel, 1));
    QTest::mouseMove(&wheel, pointOf(wheel, 1) + QPoint(2, 1));
    QTest::mouseMove(&wheel, pointOf(wheel, 2));
    QTest::mouseMove(&wheel, pointOf(wheel, 6));
    QTest::mouseMove(&wheel, pointOf(wheel, 3));
    QTest::mouseRelease(&wheel, Qt::LeftButton, {}, pointOf(wheel, 3));
    QTest::mouseMove(&wheel, pointOf(wheel, 4));
    QCOMPARE(colorsOf(changed), (QList<QColor>{kRegionColors[1], kRegionColors[2], kRegionColors[3]}));
}

void TestColorPickers::wheelCentreOpensTheColourDialog_data()
{
    QTest::addColumn<bool>("choose");
    QTest::newRow("chosen") << true;
    QTest::newRow("cancelled") << false;
}

void TestColorPickers::wheelCentreOpensTheColourDialog()
{
    QFETCH(bool, choose);
    ColorWheel wheel;
    wheel.resize(96, 96);
    wheel.show();
    QSignalSpy changed(&wheel, &ColorWheel::colorChanged);
    QColor offered;
    DialogWatchdog watchdog;
    ModalAnswerer answerer([&](QWidget *modal) {
        auto *dialog = qobject_cast<QColorDialog *>(modal);
        QVERIFY(dialog);
        offered = dialog->currentColor();
        dialog->setCurrentColor(QColor(10, 20, 30));
        if (choose)
            dialog->accept();
        else
            dialog->reject();
    });
    QTest::mousePress(&wheel, Qt::LeftButton, {}, pointOf(wheel, 6));
    QVERIFY(answerer.answered());
    QCOMPARE(offered, kRegionColors[0]);
    QCOMPARE(wheel.color(), choose ? QColor(10, 20, 30) : kRegionColors[0]);
    QCOMPARE(changed.count(), choose ? 1 : 0);

    // The press ended with the dialog: moving on picks nothing.
    QTest::mouseMove(&wheel, pointOf(wheel, 4));
    QCOMPARE(changed.count(), choose ? 1 : 0);
}

void TestColorPickers::wheelCentreShowsTheCurrentColour()
{
    ColorWheel wheel;
    wheel.resize(192, 192);
    QTest::mousePress(&wheel, Qt::LeftButton, {}, pointOf(wheel, 4));
    QCOMPARE(wheel.grab().toImage().pixelColor(pointOf(wheel, 6)), kRegionColors[4]);
}

QUILLO_TEST_MAIN(TestColorPickers)
#include "tst_ColorPickers.moc"
