#include "MediaLibScrollArea.h"
#include "TestEnvironment.h"

#include <QApplication>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

class TestMediaLibScrollArea : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // An empty or negative range hides the bar and sends the view back to offset 0.
    void emptyRangeHidesTheBar_data()
    {
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::newRow("everything fits") << 0 << 0;
        QTest::newRow("negative maximum") << 0 << -50;
        QTest::newRow("negative minimum") << -10 << 300;
    }
    void emptyRangeHidesTheBar()
    {
        QFETCH(int, min);
        QFETCH(int, max);
        MediaLibScrollArea area;
        area.resize(300, 200);
        area.show();
        QVERIFY(area.setScrollBarRange(0, 500, Qt::Vertical));
        QVERIFY(area.setScrollBarValue(250, Qt::Vertical));
        QSignalSpy offsets(&area, &MediaLibScrollArea::scrollBarValueChanged);

        QVERIFY(!area.setScrollBarRange(min, max, Qt::Vertical));
        QScrollBar *bar = area.scrollBar(Qt::Vertical);
        QVERIFY(!bar->isVisible());
        QVERIFY(!bar->isEnabled());
        QCOMPARE(bar->value(), 0);
        QCOMPARE(offsets.size(), 1);
        QCOMPARE(offsets.at(0).at(0).toInt(), 0);
    }

    // The bar keeps its relative place when the range changes, and a page is one viewport.
    void rangeChangeKeepsRelativePosition_data()
    {
        QTest::addColumn<int>("oldMax");
        QTest::addColumn<int>("oldValue");
        QTest::addColumn<int>("newMax");
        QTest::addColumn<int>("newValue");
        QTest::newRow("growing") << 500 << 250 << 1000 << 500;
        QTest::newRow("shrinking, clamped") << 1000 << 999 << 300 << 299;
    }
    void rangeChangeKeepsRelativePosition()
    {
        QFETCH(int, oldMax);
        QFETCH(int, oldValue);
        QFETCH(int, newMax);
        MediaLibScrollArea area;
        area.resize(300, 200);
        area.show();
        QVERIFY(area.setScrollBarRange(0, oldMax, Qt::Vertical));
        QVERIFY(area.setScrollBarValue(oldValue, Qt::Vertical));
        QSignalSpy offsets(&area, &MediaLibScrollArea::scrollBarValueChanged);

        QVERIFY(area.setScrollBarRange(0, newMax, Qt::Vertical));
        QScrollBar *bar = area.scrollBar(Qt::Vertical);
        QVERIFY(bar->isVisible());
        QTEST(bar->value(), "newValue");
        QCOMPARE(bar->pageStep(), area.viewportWidget()->height());
        // Shrinking clamps the bar on the way, so the view may hear an intermediate offset first.
        QVERIFY(!offsets.isEmpty());
        QCOMPARE(offsets.last().at(1).value<Qt::Orientation>(), Qt::Vertical);
        QTEST(offsets.last().at(0).toInt(), "newValue");
    }

    void relaysEachBarWithItsOrientation()
    {
        MediaLibScrollArea area;
        QSignalSpy offsets(&area, &MediaLibScrollArea::scrollBarValueChanged);
        area.scrollBar(Qt::Horizontal)->setRange(0, 100);
        area.scrollBar(Qt::Horizontal)->setValue(40);
        area.scrollBar(Qt::Vertical)->setRange(0, 100);
        area.scrollBar(Qt::Vertical)->setValue(70);
        QCOMPARE(offsets.size(), 2);
        QCOMPARE(offsets.at(0).at(1).value<Qt::Orientation>(), Qt::Horizontal);
        QCOMPARE(offsets.at(0).at(0).toInt(), 40);
        QCOMPARE(offsets.at(1).at(1).value<Qt::Orientation>(), Qt::Vertical);
        QCOMPARE(offsets.at(1).at(0).toInt(), 70);

        // A direct call has no bar behind it: nothing is relayed.
        area.emitScrollBarValueChanged(5);
        QCOMPARE(offsets.size(), 2);
        QCOMPARE(area.lastError(), int(MediaLibScrollArea::UnknownSender));
    }

    // The content follows the viewport's size, the size is reported once the resizing settles, and the
    // content outlives the frame.
    void contentFollowsAndSurvives()
    {
        QWidget content;
        QPointer<QWidget> alive(&content);
        {
            MediaLibScrollArea area;
            area.setScrollBarVisible(false, Qt::Horizontal);
            QVERIFY(area.setWidget(&content));
            QCOMPARE(content.parentWidget(), area.viewportWidget());
            QSignalSpy sizes(&area, &MediaLibScrollArea::sizeChanged);
            area.resize(320, 240);
            area.show();
            QVERIFY(sizes.wait(1000));
            QCOMPARE(content.size(), area.viewportWidget()->size());
            QCOMPARE(sizes.last().at(0).toSize(), area.viewportWidget()->size());
            // Without the horizontal bar the viewport takes the whole height.
            QCOMPARE(area.viewportWidget()->height(), 240);
        }
        QVERIFY(alive);
        QCOMPARE(content.parent(), nullptr);
    }

    // A notch of the wheel over the content, or over the bar, scrolls wheelScrollLines() lines of the
    // content; a high-resolution wheel's part turns add up to notches; turning up goes back.
    void wheelScrollsLinesOfTheContent_data()
    {
        QTest::addColumn<bool>("overBar");
        QTest::addColumn<QList<int>>("angles");
        QTest::addColumn<int>("lines");
        QTest::newRow("one notch over the content") << false << QList<int>{-120} << 1;
        QTest::newRow("one notch over the bar") << true << QList<int>{-120} << 1;
        QTest::newRow("two half notches") << false << QList<int>{-60, -60} << 1;
        QTest::newRow("a half notch") << false << QList<int>{-60} << 0;
        QTest::newRow("two down, one up") << false << QList<int>{-120, -120, 120} << 1;
    }
    void wheelScrollsLinesOfTheContent()
    {
        QFETCH(bool, overBar);
        QFETCH(QList<int>, angles);
        constexpr int kLine = 100;
        QWidget content;
        MediaLibScrollArea area;
        area.setScrollBarVisible(false, Qt::Horizontal);
        area.setWidget(&content);
        area.setWheelLineHeight(kLine);
        area.resize(320, 240);
        area.show();
        QVERIFY(area.setScrollBarRange(0, 100 * kLine, Qt::Vertical));
        // A real turn over a tile is not taken by the tile or the view and travels up to the frame; a sent
        // event does not travel, so it is given to the frame here.
        QWidget *target = overBar ? static_cast<QWidget *>(area.scrollBar(Qt::Vertical)) : &area;
        for (int angle : angles) {
            QWheelEvent wheel(QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, angle),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(target, &wheel);
        }
        QFETCH(int, lines);
        QCOMPARE(area.scrollBar(Qt::Vertical)->value(), lines * QApplication::wheelScrollLines() * kLine);
        // The arrow buttons keep their step of one pixel.
        QCOMPARE(area.scrollBar(Qt::Vertical)->singleStep(), 1);
    }

    void replacingABarKeepsRelaying()
    {
        MediaLibScrollArea area;
        QVERIFY(!area.setScrollBar(nullptr, Qt::Vertical));
        QVERIFY(!area.setScrollBar(new QScrollBar(Qt::Horizontal, &area), Qt::Vertical));
        auto *bar = new QScrollBar(Qt::Vertical);
        QVERIFY(area.setScrollBar(bar, Qt::Vertical));
        QCOMPARE(area.scrollBar(Qt::Vertical), bar);
        QSignalSpy offsets(&area, &MediaLibScrollArea::scrollBarValueChanged);
        bar->setRange(0, 10);
        bar->setValue(3);
        QCOMPARE(offsets.size(), 1);
        QCOMPARE(offsets.at(0).at(1).value<Qt::Orientation>(), Qt::Vertical);
    }
};

QUILLO_TEST_MAIN(TestMediaLibScrollArea)
#include "tst_MediaLibScrollArea.moc"
