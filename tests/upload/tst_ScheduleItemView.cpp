#include "ScheduleItemView.h"
#include "TestEnvironment.h"
#include "UploadErrorCode.h"

#include <QApplication>

// The row's own rules: its failure texts, the button's enabling by progress and failure, and the schedule
// line that only a waiting job writes.
class tst_ScheduleItemView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void failureTexts_data();
    void failureTexts();
    void buttonFollowsProgressAndFailure();
    void scheduleLineOnlyForWaitingJobs();
    void buttonModes();
};

void tst_ScheduleItemView::failureTexts_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");

    QTest::newRow("missing file") << int(SN_ERR_FILE_NOT_FOUND) << QStringLiteral("File does not exist.");
    QTest::newRow("too large") << int(SN_ERR_FILE_TOO_LARGE) << QStringLiteral("File size is too large.");
    QTest::newRow("too long") << int(SN_ERR_FILE_TOO_LONG) << QStringLiteral("File length is too long.");
    QTest::newRow("too often") << int(SN_ERR_TOO_OFTEN)
                               << QStringLiteral("<font color='red'>You are trying too often. Please try again "
                                                 "later.</font>");
    QTest::newRow("privilege") << int(SN_ERR_PRIVILEGE)
                               << QStringLiteral("The linked account privilege is not enough!");
    QTest::newRow("cancelled") << int(SN_ERR_CANCELLED) << QString();
    QTest::newRow("unknown service") << -1 << QStringLiteral("Upload failed!");
    QTest::newRow("timed out") << int(SN_ERR_TIMED_OUT) << QStringLiteral("Upload failed!");
    QTest::newRow("no grant") << int(SN_ERR_AUTHORIZATION) << QStringLiteral("Upload failed!");
}

void tst_ScheduleItemView::failureTexts()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    ScheduleItemView view;
    view.setLink(QStringLiteral("https://example.test/x"));
    view.setErrorText(code);
    QCOMPARE(view.lineText(), text);

    // No failure: the line stays as it was.
    view.setLink(QStringLiteral("https://example.test/x"));
    const QString link = view.lineText();
    view.setErrorText(0);
    QCOMPARE(view.lineText(), link);
    QCOMPARE(link, QStringLiteral("Please click <a href=\"https://example.test/x\">here</a>"));
}

void tst_ScheduleItemView::buttonFollowsProgressAndFailure()
{
    ScheduleItemView view;
    view.setProgress(40);
    QVERIFY(view.isButtonEnabled());
    QCOMPARE(view.progress(), 40);
    view.setProgress(100);
    QVERIFY(!view.isButtonEnabled());
    view.setErrorText(SN_ERR_TIMED_OUT);
    QVERIFY(view.isButtonEnabled());
}

void tst_ScheduleItemView::scheduleLineOnlyForWaitingJobs()
{
    ScheduleItemView view;
    const QDateTime time(QDate(2031, 7, 4), QTime(15, 30, 12));
    view.setScheduleTime(1, time);
    QCOMPARE(view.lineText(), QStringLiteral("It will upload at <b>15:30 </b><i>04/07/2031</i>"));
    view.setErrorText(SN_ERR_PRIVILEGE);
    for (const int state : {2, 3, 4, 5}) {
        view.setScheduleTime(state, time);
        QCOMPARE(view.lineText(), QStringLiteral("The linked account privilege is not enough!"));
    }
}

void tst_ScheduleItemView::buttonModes()
{
    ScheduleItemView view;
    QSignalSpy pressed(&view, &ScheduleItemView::cancelRetryPressed);
    view.setCancelMode(false);
    QCOMPARE(view.buttonToolTip(), QStringLiteral("Click to retry"));
    view.setCancelMode(true);
    QCOMPARE(view.buttonToolTip(), QStringLiteral("Click to cancel"));
    view.showCancelRetryButton(false);
    QVERIFY(!view.isButtonShown());
    view.showCancelRetryButton(true);
    view.emitCancelRetryPressed();
    QCOMPARE(pressed.size(), 1);
    QCOMPARE(pressed.at(0).at(0).value<ScheduleItemView *>(), &view);
}

QUILLO_TEST_MAIN(tst_ScheduleItemView)
#include "tst_ScheduleItemView.moc"
