#include "DialogWatchdog.h"
#include "MessageBoxScript.h"
#include "MessageBoxes.h"
#include "ModalAnswerer.h"
#include "TestEnvironment.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>

class TestMessageBoxes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void scriptedAnswersAreReturnedAndTheBoxRecorded()
    {
        MessageBoxScript script;
        script.answerNext(QMessageBox::No);
        MessageBoxes::Request request;
        request.title = QStringLiteral("Warning");
        request.icon = QMessageBox::Question;
        request.text = QStringLiteral("Stop the time-lapse?");
        request.buttons = QMessageBox::Yes | QMessageBox::No;
        QCOMPARE(MessageBoxes::exec(request), QMessageBox::No);
        // With the script used up, the box's default answers.
        request.defaultButton = QMessageBox::Yes;
        QCOMPARE(MessageBoxes::exec(request), QMessageBox::Yes);

        MessageBoxes::warning(nullptr, QStringLiteral("Warning"), QStringLiteral("Not enough disk space!"),
                              QStringLiteral("Cannot start recording!"));
        QCOMPARE(script.shown().size(), 3);
        QCOMPARE(script.shown().last().icon, QMessageBox::Warning);
        QCOMPARE(script.shown().last().informativeText, QStringLiteral("Cannot start recording!"));
        QCOMPARE(script.lastText(), QStringLiteral("Not enough disk space!"));
    }

    void aRealBoxShowsWhatWasAskedAndReturnsTheButtonClicked()
    {
        QString shownText;
        QString shownInformative;
        ModalAnswerer answerer([&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            QVERIFY(box);
            shownText = box->text();
            shownInformative = box->informativeText();
            box->button(QMessageBox::Cancel)->click();
        });
        MessageBoxes::Request request;
        request.text = QStringLiteral("Quillo is already running!");
        request.informativeText = QStringLiteral("details");
        request.buttons = QMessageBox::Ok | QMessageBox::Cancel;
        QCOMPARE(MessageBoxes::exec(request), QMessageBox::Cancel);
        QVERIFY(answerer.answered());
        QCOMPARE(shownText, request.text);
        QCOMPARE(shownInformative, request.informativeText);
    }

    void aBoxWhoseParentIsDeletedReturnsNoButton_data()
    {
        QTest::addColumn<bool>("fromTheEventLoop");
        QTest::newRow("deleted at once") << false;
        QTest::newRow("deleted from the event loop") << true;
    }
    void aBoxWhoseParentIsDeletedReturnsNoButton()
    {
        QFETCH(bool, fromTheEventLoop);
        // The window that was active when a service raised the box, closed by its owner meanwhile.
        auto *window = new QWidget;
        window->show();
        const QPointer<QWidget> watched(window);
        QPointer<QWidget> boxSeen;
        DialogWatchdog watchdog;
        ModalAnswerer answerer([&](QWidget *modal) {
            boxSeen = modal;
            if (fromTheEventLoop)
                window->deleteLater();
            else
                delete window;
        });
        MessageBoxes::Request request;
        request.parent = window;
        request.text = QStringLiteral("Can't Play Video!");
        request.buttons = QMessageBox::Yes | QMessageBox::No;
        request.defaultButton = QMessageBox::Yes;
        QCOMPARE(MessageBoxes::exec(request), QMessageBox::NoButton);
        QVERIFY(answerer.answered());
        QVERIFY(!watched);
        QVERIFY(!boxSeen);
    }

    void aServiceBoxStandsAloneAsAFixedToolWindow_data()
    {
        QTest::addColumn<bool>("mainStaysOnTop");
        QTest::newRow("plain main window") << false;
        QTest::newRow("main window on top") << true;
    }
    void aServiceBoxStandsAloneAsAFixedToolWindow()
    {
        QFETCH(bool, mainStaysOnTop);
        QWidget mainWindow;
        if (mainStaysOnTop)
            mainWindow.setWindowFlag(Qt::WindowStaysOnTopHint);
        mainWindow.show();
        QApplication::setActiveWindow(&mainWindow);
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow));

        // The box's host window is gone once exec returns: look at it while the box is open.
        QWidget *parentSeen = &mainWindow;
        bool parentVisible = true;
        bool parentIsWindow = false;
        Qt::WindowFlags flagsSeen;
        QSize minimumSeen;
        QSize maximumSeen;
        ModalAnswerer answerer([&](QWidget *modal) {
            parentSeen = modal->parentWidget();
            if (parentSeen) {
                parentVisible = parentSeen->isVisible();
                parentIsWindow = parentSeen->isWindow();
            }
            flagsSeen = modal->windowFlags();
            minimumSeen = modal->minimumSize();
            maximumSeen = modal->maximumSize();
            modal->close();
        });
        MessageBoxes::Request request;
        request.parent = &mainWindow;
        request.text = QStringLiteral("Other applications are using the DocCam.");
        request.fromService = true;
        MessageBoxes::exec(request);
        QVERIFY(answerer.answered());

        QVERIFY(parentSeen && parentSeen != &mainWindow);
        QVERIFY(!parentVisible);
        QVERIFY(parentIsWindow);
        QCOMPARE(flagsSeen.testFlag(Qt::Tool), true);
        QCOMPARE(flagsSeen.testFlag(Qt::CustomizeWindowHint), true);
        QCOMPARE(flagsSeen.testFlag(Qt::WindowCloseButtonHint), true);
        QCOMPARE(flagsSeen.testFlag(Qt::WindowStaysOnTopHint), mainStaysOnTop);
        QCOMPARE(minimumSeen, maximumSeen);
    }
};

QUILLO_TEST_MAIN(TestMessageBoxes)
#include "tst_MessageBoxes.moc"
