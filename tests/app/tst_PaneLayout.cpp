#include "PaneLayout.h"

#include <QTest>

using Panes = PaneLayout::Panes;

// A window whose client area is 1001 x 700 under a 20-pixel menu bar: odd width, so that the divisions
// truncate.
static const QSize kClient(1001, 700);
static const QSize kCentral(1001, 680);
constexpr int kMenuBar = 20;
constexpr int kPanel = 40;

class TestPaneLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void paneRects_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QRect>("pane1");
        QTest::addColumn<QRect>("pane2");
        QTest::addColumn<QRect>("pane3");

        const QRect stale(5, 6, 7, 8);
        const QRect central(QPoint(0, 0), kCentral);
        QTest::newRow("0 one view") << 0 << central << stale << stale;
        QTest::newRow("1 picture in picture") << 1 << central << stale << stale;
        // Two panes of W/2 leave the odd last column uncovered.
        QTest::newRow("2 doc cam + web cam") << 2 << QRect(0, 0, 500, 700) << QRect(500, 0, 500, 700) << stale;
        QTest::newRow("3 doc cam + media") << 3 << QRect(0, 0, 500, 700) << QRect(500, 0, 500, 700) << stale;
        for (int mode : {4, 5, 6})
            QTest::addRow("%d three panes", mode)
                << mode << QRect(0, 0, 667, 700) << QRect(667, 0, 333, 350) << QRect(667, 350, 333, 350);
        QTest::newRow("7 image full display") << 7 << central << stale << stale;
        QTest::newRow("8 video full display") << 8 << central << stale << stale;
        QTest::newRow("unknown mode keeps all") << 9 << stale << stale << stale;
        QTest::newRow("negative mode keeps all") << -1 << stale << stale << stale;
    }

    void paneRects()
    {
        QFETCH(int, mode);
        QFETCH(QRect, pane1);
        QFETCH(QRect, pane2);
        QFETCH(QRect, pane3);
        const QRect stale(5, 6, 7, 8);
        const Panes panes = PaneLayout::computePaneRects(mode, kClient, kCentral, {stale, stale, stale});
        QCOMPARE(panes.pane1, pane1);
        QCOMPARE(panes.pane2, pane2);
        QCOMPARE(panes.pane3, pane3);
    }

    void paneSources_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QList<int>>("sources");
        QTest::newRow("0") << 0 << QList<int>{1, 0, 0, 0};
        QTest::newRow("1 web cam in the PiP") << 1 << QList<int>{1, 0, 0, 4};
        QTest::newRow("2") << 2 << QList<int>{1, 4, 0, 0};
        QTest::newRow("3") << 3 << QList<int>{1, 2, 0, 0};
        QTest::newRow("4") << 4 << QList<int>{1, 4, 2, 0};
        QTest::newRow("5") << 5 << QList<int>{4, 2, 1, 0};
        QTest::newRow("6") << 6 << QList<int>{2, 1, 4, 0};
        QTest::newRow("7") << 7 << QList<int>{2, 0, 0, 0};
        QTest::newRow("8") << 8 << QList<int>{2, 0, 0, 0};
    }

    void paneSources()
    {
        QFETCH(int, mode);
        QFETCH(QList<int>, sources);
        const std::array<int, 4> got = PaneLayout::paneSources(mode);
        QCOMPARE(QList<int>(got.begin(), got.end()), sources);
        // The media pane is the pane whose source is the media (mode 1 lays its hidden media out in pane 1).
        const int media = PaneLayout::mediaPane(mode);
        if (mode != 1)
            QCOMPARE(media, int(sources.indexOf(PaneLayout::MediaSource)) + 1);
    }

    // Where the image, the video, "No Media" and the control panels go in every mode.
    void mediaPlacement_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QRect>("mediaArea");
        QTest::addColumn<QRect>("noMedia");
        QTest::addColumn<QRect>("imagePanel");
        QTest::addColumn<QRect>("videoPanel");

        const QRect none;
        QTest::newRow("0 no media") << 0 << none << none << none << none;
        QTest::newRow("1 media behind the doc cam, panels kept")
            << 1 << QRect(0, 0, 1001, 640) << QRect(0, 0, 1001, 640) << none << none;
        QTest::newRow("2 no media") << 2 << none << none << none << none;
        // Pane 2 reaches the client area's bottom: raised by the menu bar.
        QTest::newRow("3 right pane") << 3 << QRect(500, 0, 500, 640) << QRect(500, 0, 500, 700)
                                      << QRect(500, 640, 500, 40) << QRect(500, 640, 500, 40);
        // The worked example: pane 3's media area is 700/2 - 40 - 20 = 290 high, panels at (667, 640).
        QTest::newRow("4 lower right pane") << 4 << QRect(667, 350, 333, 290) << QRect(667, 350, 333, 350)
                                            << QRect(667, 640, 333, 40) << QRect(667, 640, 333, 40);
        // The upper right pane ends mid-window: nothing hidden under it.
        QTest::newRow("5 upper right pane") << 5 << QRect(667, 0, 333, 310) << QRect(667, 0, 333, 350)
                                            << QRect(667, 310, 333, 40) << QRect(667, 310, 333, 40);
        QTest::newRow("6 large pane") << 6 << QRect(0, 0, 667, 640) << QRect(0, 0, 667, 700) << QRect(0, 640, 667, 40)
                                      << QRect(0, 640, 667, 40);
        QTest::newRow("7 image panel only")
            << 7 << QRect(0, 0, 1001, 640) << QRect(0, 0, 1001, 640) << QRect(0, 640, 1001, 40) << none;
        QTest::newRow("8 video panel only")
            << 8 << QRect(0, 0, 1001, 640) << QRect(0, 0, 1001, 640) << none << QRect(0, 640, 1001, 40);
    }

    void mediaPlacement()
    {
        QFETCH(int, mode);
        QFETCH(QRect, mediaArea);
        QFETCH(QRect, noMedia);
        QFETCH(QRect, imagePanel);
        QFETCH(QRect, videoPanel);
        const Panes panes = PaneLayout::computePaneRects(mode, kClient, kCentral);
        QCOMPARE(PaneLayout::mediaArea(mode, panes, kMenuBar, kPanel), mediaArea);
        QCOMPARE(PaneLayout::noMediaRect(mode, panes, kPanel), noMedia);
        QCOMPARE(PaneLayout::placesImageControlPanel(mode), !imagePanel.isNull());
        QCOMPARE(PaneLayout::placesVideoControlPanel(mode), !videoPanel.isNull());
        if (!imagePanel.isNull())
            QCOMPARE(PaneLayout::controlPanelRect(mode, panes, kMenuBar, kPanel), imagePanel);
        if (!videoPanel.isNull())
            QCOMPARE(PaneLayout::controlPanelRect(mode, panes, kMenuBar, kPanel), videoPanel);
        // A panel is never placed below the visible central widget.
        if (!imagePanel.isNull() || !videoPanel.isNull())
            QVERIFY(PaneLayout::controlPanelRect(mode, panes, kMenuBar, kPanel).bottom() < kCentral.height());
    }

    void fullScreen()
    {
        const QSize screen(1920, 1080);
        const QRect area = PaneLayout::fullScreenMediaArea(screen, kPanel);
        QCOMPARE(area, QRect(0, 0, 1920, 1040));
        // A 4:3 image fitted into that area and centred: the panel's top lies on the image's last row.
        const QSize image(1387, 1040);
        const QRect placed(PaneLayout::centeredIn(image, area), image);
        QCOMPARE(PaneLayout::fullScreenPanelRect(screen, placed, kPanel), QRect(0, 1039, 1920, 40));
    }

    void centering_data()
    {
        QTest::addColumn<QSize>("widget");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QPoint>("topLeft");
        QTest::newRow("same size") << QSize(333, 290) << QRect(667, 350, 333, 290) << QPoint(667, 350);
        QTest::newRow("even in even") << QSize(100, 50) << QRect(0, 0, 200, 100) << QPoint(50, 25);
        // Centre of (0,0,201,101) is (100,50); a 100 x 50 widget centred there starts at (51,26).
        QTest::newRow("even in odd") << QSize(100, 50) << QRect(0, 0, 201, 101) << QPoint(51, 26);
        QTest::newRow("odd in even") << QSize(101, 51) << QRect(10, 20, 200, 100) << QPoint(59, 44);
        QTest::newRow("larger than the area") << QSize(400, 300) << QRect(0, 0, 200, 100) << QPoint(-100, -100);
    }

    void centering()
    {
        QFETCH(QSize, widget);
        QFETCH(QRect, area);
        QFETCH(QPoint, topLeft);
        const QPoint got = PaneLayout::centeredIn(widget, area);
        QCOMPARE(got, topLeft);
        QCOMPARE(QRect(got, widget).center(), area.center());
    }

    void pipCorners()
    {
        const QSize central(1280, 700);
        const QSize pip(350, 197);
        int corner = PaneLayout::TopRight;
        QList<QPoint> visited;
        for (int press = 0; press < 4; ++press) {
            corner = PaneLayout::nextCorner(corner);
            visited.append(PaneLayout::pipCorner(corner, central, pip));
        }
        QCOMPARE(visited, (QList<QPoint>{{930, 503}, {0, 503}, {0, 0}, {930, 0}}));
        QCOMPARE(corner, int(PaneLayout::TopRight));
        QCOMPARE(PaneLayout::pipCorner(7, central, pip), QPoint(0, 0));
        QCOMPARE(PaneLayout::nextCorner(7), int(PaneLayout::TopRight));
    }

    void toolsPanelTab()
    {
        const QRect library(-260, 150, 280, 500);
        QCOMPARE(PaneLayout::toolsPanelTabRect(true, 700, library), QRect(0, 271, 25, 130));
        // The horizontal tab overlaps the panel's top 13 rows.
        const QRect tab = PaneLayout::toolsPanelTabRect(false, 700, QRect(0, 150, 280, 500));
        QCOMPARE(tab, QRect(0, 133, 280, 30));
        QCOMPARE(tab.bottom() - 150 + 1, 13);
    }

    void widgetMode()
    {
        // A 16:9 view under a 320-wide bar.
        const PaneLayout::WidgetModeGeometry g = PaneLayout::widgetModeGeometry(320, QSize(300, 169));
        QCOMPARE(g, (PaneLayout::WidgetModeGeometry{QSize(320, 169), QSize(320, 219), QPoint(10, 0)}));
    }
};

QTEST_APPLESS_MAIN(TestPaneLayout)
#include "tst_PaneLayout.moc"
