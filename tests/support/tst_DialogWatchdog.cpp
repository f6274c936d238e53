#include "TestEnvironment.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>

#include <sys/resource.h>

namespace {

// The child's dialogs end after a fraction of a second and its abort comes about five seconds in; a child
// still running after this long means the watchdog did not stop it.
constexpr int kChildLimitMs = 60000;

struct ChildRun
{
    QProcess::ExitStatus status = QProcess::CrashExit;
    int exitCode = -1;
    QString output;
    qint64 elapsedMs = 0;
};

ChildRun runVictim(const QStringList &functions)
{
    QProcess child;
    // The abort below is expected: no core file for it.
    child.setChildProcessModifier([] {
        const rlimit none{0, 0};
        setrlimit(RLIMIT_CORE, &none);
    });
    child.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer clock;
    clock.start();
    child.start(TestEnvironment::inputPath("DIALOG_WATCHDOG_VICTIM"), functions);
    if (!child.waitForFinished(kChildLimitMs))
        child.kill();
    child.waitForFinished();
    return {child.exitStatus(), child.exitCode(), QString::fromLocal8Bit(child.readAll()), clock.elapsed()};
}

} // namespace

class TestDialogWatchdog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void hungDialogsFailTheirTestAndTheNextOneRuns();
    void noLoopAtAllAbortsNamingTheDialog();
};

void TestDialogWatchdog::hungDialogsFailTheirTestAndTheNextOneRuns()
{
    const ChildRun run = runVictim({QStringLiteral("messageBoxWithoutEscape"), QStringLiteral("nestedDialogs"),
                                    QStringLiteral("runsAfterwards")});
    QVERIFY2(run.status == QProcess::NormalExit, qPrintable(run.output));
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.output.contains(QStringLiteral("FAIL!  : HangingDialogs::messageBoxWithoutEscape()")),
             qPrintable(run.output));
    QVERIFY(run.output.contains(QStringLiteral("modal loop of QMessageBox \"Hanging box\" saying \"Nobody answers\"")));
    // The box is ended when the limit the failure names has passed, not before: the sanitized build's limit
    // is stretched, and ending its dialogs at the plain build's would fail slow but working tests there.
    static const QRegularExpression named(QStringLiteral("after (\\d+) ms the guarded code still runs"));
    static const QRegularExpression ended(QStringLiteral("message box ended rejected after (\\d+) ms"));
    const QRegularExpressionMatch limit = named.match(run.output);
    const QRegularExpressionMatch end = ended.match(run.output);
    QVERIFY2(limit.hasMatch() && end.hasMatch(), qPrintable(run.output));
    QVERIFY2(end.captured(1).toInt() >= limit.captured(1).toInt(), qPrintable(run.output));
    QVERIFY(run.output.contains(QStringLiteral("FAIL!  : HangingDialogs::nestedDialogs()")));
    QVERIFY(run.output.contains(QStringLiteral("modal loop of QMessageBox \"Inner\"")));
    QVERIFY(run.output.contains(QStringLiteral("QDialog \"Outer\"")));
    QVERIFY(run.output.contains(QStringLiteral("outer dialog ended rejected")));
    QVERIFY(run.output.contains(QStringLiteral("PASS   : HangingDialogs::runsAfterwards()")));
}

void TestDialogWatchdog::noLoopAtAllAbortsNamingTheDialog()
{
    // Without QtTest's own crash handler, which spends seconds on a stack trace.
    const ChildRun run = runVictim({QStringLiteral("-nocrashhandler"), QStringLiteral("blockedWithoutALoop"),
                                    QStringLiteral("runsAfterwards")});
    QVERIFY2(run.status == QProcess::CrashExit, qPrintable(run.output));
    // The time limit plus the grace; the sanitized build stretches both.
    static const QRegularExpression limit(QStringLiteral("in blockedWithoutALoop\\(\\) still runs after \\d+ ms"));
    QVERIFY2(run.output.contains(limit), qPrintable(run.output));
    QVERIFY(run.output.contains(QStringLiteral("Open: QDialog \"Blocked\"")));
    QVERIFY(!run.output.contains(QStringLiteral("runsAfterwards")));
    QVERIFY2(run.elapsedMs < kChildLimitMs / 2, qPrintable(QString::number(run.elapsedMs)));
}

QUILLO_TEST_MAIN(TestDialogWatchdog)
#include "tst_DialogWatchdog.moc"
