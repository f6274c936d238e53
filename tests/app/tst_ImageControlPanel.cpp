#include "FormChild.h"
#include "ImageControlPanel.h"
#include "MainWindowFake.h"
#include "Screenshot.h"
#include "TestEnvironment.h"

#include <QPushButton>
#include <QToolButton>

// The panel with the window it serves, shown so that visibility can be read.
struct Rig
{
    MainWindowFake window;
    ImageControlPanel *panel = new ImageControlPanel(&window);
    QPushButton *close = formChild<QPushButton>(*panel, "closeBtn");
    QFrame *line = formChild<QFrame>(*panel, "line");
    QToolButton *fullScreen = formChild<QToolButton>(*panel, "fullScreenBtn");

    Rig()
    {
        panel->setMainWindow(&window);
        window.resize(700, 100);
        panel->resize(640, 40);
        window.show();
        panel->show();
    }
};

class TestImageControlPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formAsDrawn()
    {
        Rig rig;
        QCOMPARE(rig.panel->objectName(), QStringLiteral("ImageControlPanel"));
        QCOMPARE(rig.panel->minimumHeight(), 40);
        QCOMPARE(rig.panel->maximumHeight(), 40);
        QVERIFY(rig.fullScreen->isCheckable());
        QVERIFY(!rig.close->icon().pixmap(30, 30).isNull());
        QVERIFY(!rig.fullScreen->icon().pixmap(31, 31, QIcon::Normal, QIcon::Off).isNull());
        QVERIFY(!rig.fullScreen->icon().pixmap(31, 31, QIcon::Normal, QIcon::On).isNull());
        // The close button at the left, the full-screen toggle at the right end.
        QVERIFY(rig.close->geometry().left() < 10);
        QVERIFY(rig.fullScreen->geometry().right() > 640 - 10);
    }

    // The close button (and its separator) shows only where there is a full display to leave; an unknown mode
    // changes nothing.
    void closeButtonFollowsTheMode_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("shown");
        for (int mode : {0, 1, 2, 7, 8})
            QTest::addRow("%d", mode) << 4 << mode << true;
        for (int mode : {3, 4, 5, 6})
            QTest::addRow("%d", mode) << 7 << mode << false;
        QTest::newRow("9 keeps shown") << 7 << 9 << true;
        QTest::newRow("9 keeps hidden") << 4 << 9 << false;
        QTest::newRow("-1 keeps hidden") << 4 << -1 << false;
    }

    void closeButtonFollowsTheMode()
    {
        QFETCH(int, before);
        QFETCH(int, mode);
        QFETCH(bool, shown);
        Rig rig;
        emit rig.window.splitModeChange(before);
        emit rig.window.splitModeChange(mode);
        QCOMPARE(rig.close->isVisible(), shown);
        QCOMPARE(rig.line->isVisible(), shown);
    }

    void buttonsReachTheWindow()
    {
        Rig rig;
        rig.close->click();
        QCOMPARE(rig.window.callNames(), QStringList{QStringLiteral("leaveImageFullDisplaySplit")});
        rig.window.clearCalls();

        // The Escape key's path and a click both go through the toggle, which keeps its checked state true.
        rig.panel->clickFullScreenButton();
        QVERIFY(rig.fullScreen->isChecked());
        rig.fullScreen->click();
        QVERIFY(!rig.fullScreen->isChecked());
        QCOMPARE(rig.window.callNames(), (QStringList{QStringLiteral("changeImageFullScreenDisplayMode"),
                                                      QStringLiteral("changeImageFullScreenDisplayMode")}));
        QCOMPARE(rig.window.calls().at(0).args, QVariantList{true});
        QCOMPARE(rig.window.calls().at(1).args, QVariantList{false});
    }

    void pictures()
    {
        Rig rig;
        emit rig.window.splitModeChange(7);
        QVERIFY(!Screenshot::save(rig.panel, QStringLiteral("full-display")).isEmpty());
        emit rig.window.splitModeChange(4);
        rig.panel->resize(333, 40);
        QVERIFY(!Screenshot::save(rig.panel, QStringLiteral("media-pane")).isEmpty());
        rig.fullScreen->click();
        QVERIFY(!Screenshot::save(rig.panel, QStringLiteral("full-screen")).isEmpty());
    }
};

QUILLO_TEST_MAIN(TestImageControlPanel)
#include "tst_ImageControlPanel.moc"
