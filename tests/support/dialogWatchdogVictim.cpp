// A test program whose dialogs nobody answers, run by tst_DialogWatchdog as a child process: without the
// watchdog each function below would hang until the test runner's time limit.
#include "DialogWatchdog.h"
#include "TestEnvironment.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QThread>
#include <QTimer>

namespace {

// Short, so the child fails fast; the parent only needs the child to end.
constexpr int kTimeoutMs = 300;

} // namespace

class HangingDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void messageBoxWithoutEscape();
    void nestedDialogs();
    void blockedWithoutALoop();
    void runsAfterwards();
};

void HangingDialogs::messageBoxWithoutEscape()
{
    QElapsedTimer clock;
    clock.start();
    DialogWatchdog watchdog(kTimeoutMs);
    QMessageBox box(QMessageBox::Question, QStringLiteral("Hanging box"), QStringLiteral("Nobody answers"),
                    QMessageBox::NoButton);
    box.addButton(QStringLiteral("Keep"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("Share"), QMessageBox::ActionRole);
    box.exec();
    qInfo("message box ended %s after %lld ms", box.result() == QDialog::Rejected ? "rejected" : "otherwise",
          clock.elapsed());
}

void HangingDialogs::nestedDialogs()
{
    DialogWatchdog watchdog(kTimeoutMs);
    QDialog outer;
    outer.setWindowTitle(QStringLiteral("Outer"));
    QTimer::singleShot(0, &outer, [&outer] {
        QMessageBox inner(QMessageBox::Warning, QStringLiteral("Inner"), QStringLiteral("Asked from outer"),
                          QMessageBox::NoButton, &outer);
        inner.addButton(QStringLiteral("Go on"), QMessageBox::AcceptRole);
        inner.exec();
    });
    const int result = outer.exec();
    qInfo("outer dialog ended %s", result == QDialog::Rejected ? "rejected" : "otherwise");
}

void HangingDialogs::blockedWithoutALoop()
{
    DialogWatchdog watchdog(kTimeoutMs);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Blocked"));
    dialog.setModal(true);
    dialog.show();
    // Stands for code that waits on something other than an event loop; the watchdog aborts long before.
    QThread::sleep(100);
}

void HangingDialogs::runsAfterwards()
{
    QVERIFY(true);
}

QUILLO_TEST_MAIN(HangingDialogs)
#include "dialogWatchdogVictim.moc"
