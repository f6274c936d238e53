#include "FormChild.h"
#include "PipView.h"
#include "TestEnvironment.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

class TestPipView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formAsDrawn()
    {
        PipView view;
        QCOMPARE(view.objectName(), QStringLiteral("PipView"));
        QCOMPARE(view.size(), QSize(350, 350));
        QCOMPARE(view.cornerIndex, 0);
        auto *move = formChild<QPushButton>(view, "btnMove");
        QVERIFY(move->isFlat());
        QVERIFY(move->text().isEmpty());
        QVERIFY(!move->icon().pixmap(32, 32).isNull());
    }

    // Whatever shape the web cam gives the view, the move button stays in its bottom-right corner, above the
    // web-cam view placed in it, and a press is one movePressed.
    void moveButtonKeepsToTheCornerAndOnTop_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("16:9") << QSize(350, 197);
        QTest::newRow("4:3 upright") << QSize(263, 350);
        QTest::newRow("square") << QSize(350, 350);
    }

    void moveButtonKeepsToTheCornerAndOnTop()
    {
        QFETCH(QSize, size);
        PipView view;
        view.show();
        view.resize(size);
        auto *move = formChild<QPushButton>(view, "btnMove");
        QCOMPARE(move->geometry().bottomRight(), QPoint(size.width() - 1, size.height() - 1));

        auto *webCam = new QLabel(&view);
        webCam->resize(size);
        webCam->show();
        view.centerView(webCam);
        QCOMPARE(webCam->pos(), QPoint(0, 0));
        QCOMPARE(view.childAt(move->geometry().center()), webCam);
        view.raiseMoveButton();
        QCOMPARE(view.childAt(move->geometry().center()), move);

        QSignalSpy pressed(&view, &PipView::movePressed);
        move->click();
        QCOMPARE(pressed.size(), 1);
    }

    void centresASmallerChild()
    {
        PipView view;
        view.resize(350, 197);
        QWidget child(&view);
        child.resize(100, 51);
        view.centerView(&child);
        QCOMPARE(child.geometry().center(), view.rect().center());
    }

    void walksTheFourCornersRound()
    {
        PipView view;
        QList<int> visited;
        for (int press = 0; press < 4; ++press) {
            view.nextCorner();
            visited.append(view.cornerIndex);
        }
        QCOMPARE(visited, (QList<int>{1, 2, 3, 0}));
    }
};

QUILLO_TEST_MAIN(TestPipView)
#include "tst_PipView.moc"
