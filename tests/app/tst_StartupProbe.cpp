#include "DialogWatchdog.h"
#include "MessageBoxes.h"
#include "ModalAnswerer.h"
#include "StartupProbe.h"
#include "TestEnvironment.h"

class TestStartupProbe : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theVariableAnswersOnlyTheSecondStartsBox()
    {
        const QString alreadyRunning = QStringLiteral("Quillo is already running!");
        QVERIFY(!StartupProbe::answerAlreadyRunningBox(alreadyRunning));
        qputenv("QUILLO_ANSWER_MESSAGE_BOXES", "1");
        QVERIFY(StartupProbe::answerAlreadyRunningBox(alreadyRunning));

        // The shipped program reads the variable: a question to the user must still reach the user.
        DialogWatchdog watchdog;
        ModalAnswerer answerer(ModalAnswerer::clickButton(QStringLiteral("No")));
        MessageBoxes::Request request;
        request.text = QStringLiteral("Do you want to stop the recording?");
        request.buttons = QMessageBox::Yes | QMessageBox::No;
        request.defaultButton = QMessageBox::Yes;
        const QMessageBox::StandardButton answer = MessageBoxes::exec(request);
        qunsetenv("QUILLO_ANSWER_MESSAGE_BOXES");
        QVERIFY(answerer.answered());
        QCOMPARE(answer, QMessageBox::No);
    }
};

QUILLO_TEST_MAIN(TestStartupProbe)
#include "tst_StartupProbe.moc"
