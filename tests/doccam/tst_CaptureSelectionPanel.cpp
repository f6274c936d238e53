#include "CaptureFake.h"
#include "CaptureImpl.h"
#include "CaptureSelectionPanel.h"
#include "DialogWatchdog.h"
#include "FormChild.h"
#include "MessageBoxScript.h"
#include "TestEnvironment.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace {

QToolButton *button(const QWidget &panel, const char *name)
{
    return formChild<QToolButton>(panel, name);
}

QPushButton *unit(const QWidget &panel, const QString &editor, const char *unit)
{
    return formChild<QPushButton>(panel, qPrintable(editor + QLatin1String(unit)));
}

// What an editor shows, as "hh:mm:ss".
QString shown(const QWidget &panel, const QString &editor)
{
    return unit(panel, editor, "Hour")->text() + QLatin1Char(':') + unit(panel, editor, "Min")->text()
           + QLatin1Char(':') + unit(panel, editor, "Sec")->text();
}

QToolButton *arrow(const QWidget &panel, const QString &editor, bool up)
{
    const QString name = QLatin1String(up ? "inc" : "dec") + editor.at(0).toUpper() + editor.mid(1)
                         + QLatin1String("Btn");
    return formChild<QToolButton>(panel, qPrintable(name));
}

void chooseUnit(const QWidget &panel, const QString &editor, const char *which)
{
    QPushButton *chosen = unit(panel, editor, which);
    if (!chosen->isChecked())
        chosen->click();
}

// Raises the editor from 0 to the value with its arrows, hours first, and leaves no unit chosen.
void enter(const QWidget &panel, const QString &editor, int seconds)
{
    const struct
    {
        const char *unit;
        int step;
    } steps[] = {{"Hour", 3600}, {"Min", 60}, {"Sec", 1}};
    for (const auto &step : steps) {
        chooseUnit(panel, editor, step.unit);
        for (int i = 0; i < seconds / step.step; ++i)
            arrow(panel, editor, true)->click();
        seconds %= step.step;
    }
    unit(panel, editor, "Sec")->click();
}

constexpr uint kSetup = CaptureImpl::kSetup;
constexpr uint kSetupValid = kSetup | CaptureImpl::TIME_LAPSE_PARAMETERS_VALID;

} // namespace

class TestCaptureSelectionPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void statusDrivesTheStrip_data();
    void statusDrivesTheStrip();
    void arrows_data();
    void arrows();
    void editorShowsHoursMinutesSeconds();
    void oneUnitPerEditor();
    void timeLapseButtonStartsTheEditorsAfresh();
    void startNeedsSensibleValues_data();
    void startNeedsSensibleValues();
    void startFollowsTheService_data();
    void startFollowsTheService();
    void stopAndEndOfSeriesResetTheEditors();
    void progressShowsShotsTakenAndPlanned();
    void closeTimeLapseEditor_data();
    void closeTimeLapseEditor();
    void captureButtonsCallTheService();
    void noSecondCaptureWhileOneIsSaved();
};

void TestCaptureSelectionPanel::statusDrivesTheStrip_data()
{
    QTest::addColumn<uint>("status");
    // Enabled: full screen, doc cam, time lapse, editors; shown: editors, start/stop, progress; start/stop
    // enabled and checked.
    QTest::addColumn<QList<bool>>("expected");
    QTest::newRow("no camera") << 0x1u << QList<bool>{true, false, false, false, false, false, false, false, false};
    QTest::newRow("ready") << 0x7u << QList<bool>{true, true, true, false, false, false, false, false, false};
    QTest::newRow("set-up") << 0x3Cu << QList<bool>{false, false, true, true, true, true, false, false, false};
    QTest::newRow("set-up, valid") << 0x7Cu << QList<bool>{false, false, true, true, true, true, false, true, false};
    QTest::newRow("running") << 0x188u << QList<bool>{false, false, false, false, true, true, true, true, true};
    QTest::newRow("nothing") << 0x0u << QList<bool>{false, false, false, false, false, false, false, false, false};
}

void TestCaptureSelectionPanel::statusDrivesTheStrip()
{
    QFETCH(uint, status);
    QFETCH(QList<bool>, expected);
    CaptureFake capture;
    CaptureSelectionPanel panel;
    panel.setCaptureService(&capture);
    capture.setActionStatus(status);
    const QList<bool> actual{
        button(panel, "fullScreenCaptureBtn")->isEnabled(),
        button(panel, "docCamCaptureBtn")->isEnabled(),
        button(panel, "timeLapesCaptureBtn")->isEnabled(),
        button(panel, "incTimeBtn")->isEnabled(),
        !formChild<QWidget>(panel, "timeWidget")->isHidden(),
        !button(panel, "startStopBtn")->isHidden(),
        !formChild<QLabel>(panel, "recordingStatus")->isHidden(),
        button(panel, "startStopBtn")->isEnabled(),
        button(panel, "startStopBtn")->isChecked(),
    };
    QCOMPARE(actual, expected);
    for (const char *name : {"decTimeBtn", "timeHour", "timeMin", "timeSec", "incIntervalBtn", "decIntervalBtn",
                             "intervalHour", "intervalMin", "intervalSec"})
        QVERIFY2(formChild<QWidget>(panel, name)->isEnabled()
                     == bool(status & CaptureImpl::TIME_LAPSE_EDITORS_EDITABLE),
                 name);
    QCOMPARE(formChild<QWidget>(panel, "intervalWidget")->isHidden(),
             formChild<QWidget>(panel, "timeWidget")->isHidden());
}

void TestCaptureSelectionPanel::arrows_data()
{
    QTest::addColumn<QString>("editor");
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("chosenUnit");
    QTest::addColumn<bool>("up");
    QTest::addColumn<int>("result");
    QTest::newRow("seconds up") << "time" << 0 << "Sec" << true << 1;
    QTest::newRow("no unit counts seconds") << "interval" << 59 << "" << true << 60;
    QTest::newRow("minutes up") << "time" << 3725 << "Min" << true << 3785;
    QTest::newRow("hours up") << "time" << 3725 << "Hour" << true << 7325;
    QTest::newRow("interval capped after the step") << "interval" << 21590 << "Min" << true << 21600;
    QTest::newRow("interval at its cap") << "interval" << 21600 << "Hour" << true << 21600;
    QTest::newRow("time capped after the step") << "time" << 258000 << "Hour" << true << 259200;
    QTest::newRow("minutes down") << "time" << 3725 << "Min" << false << 3665;
    QTest::newRow("hours down") << "interval" << 7325 << "Hour" << false << 3725;
    QTest::newRow("no hour to take") << "time" << 3599 << "Hour" << false << 3599;
    QTest::newRow("no minute to take") << "interval" << 59 << "Min" << false << 59;
    QTest::newRow("seconds stop at 0") << "time" << 0 << "Sec" << false << 0;
    QTest::newRow("no unit counts seconds down") << "time" << 60 << "" << false << 59;
}

void TestCaptureSelectionPanel::arrows()
{
    QFETCH(QString, editor);
    QFETCH(int, start);
    QFETCH(QString, chosenUnit);
    QFETCH(bool, up);
    QFETCH(int, result);
    CaptureFake capture;
    capture.setAnswer(QStringLiteral("actionStatus"), kSetup);
    CaptureSelectionPanel panel;
    panel.setCaptureService(&capture);
    const QString other = editor == QLatin1String("time") ? QStringLiteral("interval") : QStringLiteral("time");
    enter(panel, other, 5);
    enter(panel, editor, start);
    if (!chosenUnit.isEmpty())
        chooseUnit(panel, editor, qPrintable(chosenUnit));
    capture.clearCalls();
    arrow(panel, editor, up)->click();
    // Every step sends both values, total time first.
    const QVariantList sent = editor == QLatin1String("time") ? QVariantList{uint(result), 5u}
                                                              : QVariantList{5u, uint(result)};
    QCOMPARE(capture.callNames(), QStringList{"setTimeLapseParameters"});
    QCOMPARE(capture.lastArgs(QStringLiteral("setTimeLapseParameters")), sent);
    QCOMPARE(shown(panel, editor), QStringLiteral("%1:%2:%3")
                                       .arg(result / 3600, 2, 10, QLatin1Char('0'))
                                       .arg(result / 60 % 60, 2, 10, QLatin1Char('0'))
                                       .arg(result % 60, 2, 10, QLatin1Char('0')));
}

void TestCaptureSelectionPanel::editorShowsHoursMinutesSeconds()
{
    CaptureFake capture;
    capture.setAnswer(QStringLiteral("actionStatus"), kSetup);
    CaptureSelectionPanel panel;
    panel.setCaptureService(&capture);
    QCOMPARE(shown(panel, QStringLiteral("time")), QStringLiteral("00:00:00"));
    enter(panel, QStringLiteral("time"), 3725);
    QCOMPARE(shown(panel, QStringLiteral("time")), QStringLiteral("01:02:05"));
    enter(panel, QStringLiteral("interval"), 21600);
    QCOMPARE(shown(panel, QStringLiteral("interval")), QStringLiteral("06:00:00"));
    QCOMPARE(shown(panel, QStringLiteral("time")), QStringLiteral("01:02:05"));
}

void TestCaptureSelectionPanel::oneUnitPerEditor()
{
    CaptureFake capture;
    capture.setAnswer(QStringLiteral("actionStatus"), kSetup);
    CaptureSelectionPanel panel;
    panel.setCaptureService(&capture);
    const QString time = QStringLiteral("time");
    const QString interval = QStringLiteral("interval");
    unit(panel, interval, "Hour")->click();
    unit(panel, time, "Min")->click();
    unit(panel, time, "Hour")->click();
    QVERIFY(unit(panel, time, "Hour")->isChecked());
    QVERIFY(!unit(panel, time, "Min")->isChecked());
    QVERIFY(!unit(panel, time, "Sec")->isChecked());
    // The other editor keeps its own unit.
    QVERIFY(unit(panel, interval, "Hour")->isChecked());

    // Clicking the chosen unit again leaves none, and the arrows count seconds.
    unit(panel, time, "Hour")->click();
    QVERIFY(!unit(panel, time, "Hour")->isChecked());
    arrow(panel, time, true)->click();
    QCOMPARE(shown(panel, time), QStringLiteral("00:00:01"));
}

void TestCaptureSelectionPanel::timeLapseButtonStartsTheEditorsAfresh()
{
    CaptureFake capture;
    capture.setAnswer(QStringLiteral("actionStatus"), 0x7u);
    CaptureSelectionPanel panel;
    panel.setCaptureService(&capture);
    QTest::mouseClick(button(panel, "timeLapesCaptureBtn"), Qt::LeftButton);
    QCOMPARE(capture.count(QStringLiteral("toggleTimeLapseSetup")), 1);
    capture.setActionStatus(kSetup);
    enter(panel, QStringLiteral("time"), 90);
    chooseUnit(panel, QStringLiteral("interval"), "Min");
    capture.clearCalls();

    QTest::mouseClick(button(panel, "timeLapesCaptureBtn"), Qt::LeftButton);
    QCOMPARE(capture.callNames(), QStringList{"toggleTimeLapseSetup"});
    QCOMPARE(shown(panel, QStringLiteral("time")), QStringLiteral("00:00:00"));
    for (const char *name : {"timeHour", "timeMin", "timeSec", "intervalHour", "intervalMin", "intervalSec"})
        QVERIFY2(!formChild<QPushButton>(panel, name)->isChecked(), name);
}

void TestCaptureSelectionPanel::startNeedsSensibleValues_data()
{
    QTest::addColumn<int>("time");
    QTest::addColumn<int>("interval");
    QTest::addColumn<QString>("text");
    QTest::newRow("no time") << 0 << 10 << "Time & Interval can not be 0.";
    QTest::newRow("no interval") << 10 << 0 << "Time & Interval can not be 0.";
    QTest::newRow("interval longer than the time") << 5 << 10 << "Time can not less than interval.";
}

void TestCaptureSelectionPanel::startNeedsSensibleValues()
{
    QFETCH(int, time);
    QFETCH(int, interval);
    QFETCH(QString, text);
    CaptureFake capture;
    // The service's own view of the values may differ: the strip checks what it shows.
    capture.setAnswer(QStringLiteral("actionStatus"), kSetupValid);
    CaptureSelectionPanel panel;
    panel.setCaptureService(&capture);
    enter(panel, QStringLiteral("time"), time);
    enter(panel, QStringLiteral("interval"), interval);
    MessageBoxScript boxes;
    DialogWatchdog watchdog;
    QTest::mouseClick(button(panel, "startStopBtn"), Qt::LeftButton);
    QCOMPARE(boxes.shown().size(), 1);
    QCOMPARE(boxes.lastText(), text);
    QCOMPARE(boxes.shown().first().parent, &panel);
    QCOMPARE(capture.count(QStringLiteral("startTimeLapseCapture")), 0);
    QVERIFY(!button(panel, "startStopBtn")->isChecked());
}

void TestCaptureSelectionPanel::startFollowsTheService_data()
{
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("running");
    QTest::newRow("started") << 0 << true;
    QTest::newRow("no camera") << -1000 << false;
    QTest::newRow("refused parameters") << -2000 << false;
}

void TestCaptureSelectionPanel::startFollowsTheService()
{
    QFETCH(int, result);
    QFETCH(bool, running);
    CaptureFake capture;
    capture.setAnswer(QStringLiteral("actionStatus"), kSetupValid);
    // A started series announces its status; a refused start announces nothing.
    capture.setAnswerFunction(QStringLiteral("startTimeLapseCapture"), [&capture, result](const QVariantList &) {
        if (result == 0)
            capture.setActionStatus(CaptureImpl::kSeriesRunning);
        return result;
    });
    CaptureSelectionPanel panel;
    panel.setCaptureService(&capture);
    enter(panel, QStringLiteral("time"), 20);
    enter(panel, QStringLiteral("interval"), 5);
    QTest::mouseClick(button(panel, "startStopBtn"), Qt::LeftButton);
    QCOMPARE(capture.count(QStringLiteral("startTimeLapseCapture")), 1);
    QCOMPARE(button(panel, "startStopBtn")->isChecked(), running);
    QCOMPARE(!formChild<QLabel>(panel, "recordingStatus")->isHidden(), running);
    QCOMPARE(button(panel, "incTimeBtn")->isEnabled(), !running);
    QVERIFY(!button(panel, "docCamCaptureBtn")->isEnabled());
    QVERIFY(!button(panel, "fullScreenCaptureBtn")->isEnabled());
}

void TestCaptureSelectionPanel::stopAndEndOfSeriesResetTheEditors()
{
    CaptureFake capture;
    capture.setAnswer(QStringLiteral("actionStatus"), kSetupValid);
    CaptureSelectionPanel panel;
    panel.setCaptureService(&capture);
    enter(panel, QStringLiteral("time"), 20);
    enter(panel, QStringLiteral("interval"), 5);
    capture.setActionStatus(CaptureImpl::kSeriesRunning);
    QTest::mouseClick(button(panel, "startStopBtn"), Qt::LeftButton);
    QCOMPARE(capture.count(QStringLiteral("stopTimeLapseCapture")), 1);
    QCOMPARE(shown(panel, QStringLiteral("time")), QStringLiteral("00:00:00"));
    QCOMPARE(shown(panel, QStringLiteral("interval")), QStringLiteral("00:00:00"));

    // A series that ends by itself resets the editors and their units; one that breaks off keeps them.
    capture.setActionStatus(kSetup);
    enter(panel, QStringLiteral("time"), 20);
    chooseUnit(panel, QStringLiteral("time"), "Min");
    emit capture.timeLapseImageCaptureAborted({QStringLiteral("/media/1.jpg")}, -1000);
    QCOMPARE(shown(panel, QStringLiteral("time")), QStringLiteral("00:00:20"));
    emit capture.timeLapseImageCaptureCompleted({QStringLiteral("/media/1.jpg")});
    QCOMPARE(shown(panel, QStringLiteral("time")), QStringLiteral("00:00:00"));
    QVERIFY(!unit(panel, QStringLiteral("time"), "Min")->isChecked());
}

void TestCaptureSelectionPanel::progressShowsShotsTakenAndPlanned()
{
    CaptureFake capture;
    CaptureSelectionPanel panel;
    panel.setCaptureService(&capture);
    emit capture.timeLapseCaptureProgressUpdated(3, 7);
    QCOMPARE(formChild<QLabel>(panel, "recordingStatus")->text(), QStringLiteral("3/ 7"));
    emit capture.timeLapseCaptureProgressUpdated(12, 140);
    QCOMPARE(formChild<QLabel>(panel, "recordingStatus")->text(), QStringLiteral("12/ 140"));
}

void TestCaptureSelectionPanel::closeTimeLapseEditor_data()
{
    QTest::addColumn<uint>("status");
    QTest::addColumn<int>("toggles");
    QTest::newRow("idle") << 0x7u << 0;
    QTest::newRow("set-up open") << kSetup << 1;
    // The snapshot bit is clear while a series runs, but the time-lapse button is off and ignores the click.
    QTest::newRow("series running") << CaptureImpl::kSeriesRunning << 0;
}

void TestCaptureSelectionPanel::closeTimeLapseEditor()
{
    QFETCH(uint, status);
    QFETCH(int, toggles);
    CaptureFake capture;
    capture.setAnswer(QStringLiteral("actionStatus"), status);
    CaptureSelectionPanel panel;
    panel.setCaptureService(&capture);
    capture.clearCalls();
    panel.closeTimeLapseEditor();
    QCOMPARE(capture.count(QStringLiteral("toggleTimeLapseSetup")), toggles);
}

void TestCaptureSelectionPanel::captureButtonsCallTheService()
{
    CaptureFake capture;
    capture.setAnswer(QStringLiteral("actionStatus"), 0x7u);
    CaptureSelectionPanel panel;
    panel.setCaptureService(&capture);
    QTest::mouseClick(button(panel, "docCamCaptureBtn"), Qt::LeftButton);
    QTest::mouseClick(button(panel, "fullScreenCaptureBtn"), Qt::LeftButton);
    QCOMPARE(capture.count(QStringLiteral("captureVision")), 1);
    QCOMPARE(capture.count(QStringLiteral("captureScreen")), 1);
    // Without the camera the snapshot slot does nothing, whoever calls it.
    capture.setActionStatus(0x1u);
    panel.docCamCapture();
    QCOMPARE(capture.count(QStringLiteral("captureVision")), 1);
}

void TestCaptureSelectionPanel::noSecondCaptureWhileOneIsSaved()
{
    CaptureFake capture;
    capture.setAnswer(QStringLiteral("actionStatus"), 0x7u);
    CaptureSelectionPanel panel;
    panel.show();
    panel.setCaptureService(&capture);
    // The service returns the saved path, so it waits for the save in a nested event loop, in which the
    // strip's buttons still take clicks.
    const auto slowSave = [](const QVariantList &) {
        QTest::qWait(300);
        return 0;
    };
    capture.setAnswerFunction(QStringLiteral("captureVision"), slowSave);
    capture.setAnswerFunction(QStringLiteral("captureScreen"), slowSave);
    QTimer::singleShot(50, &panel, [&panel] {
        QTest::mouseClick(button(panel, "docCamCaptureBtn"), Qt::LeftButton);
        QTest::mouseClick(button(panel, "fullScreenCaptureBtn"), Qt::LeftButton);
    });
    QTest::mouseClick(button(panel, "docCamCaptureBtn"), Qt::LeftButton);
    QCOMPARE(capture.callNames().filter(QStringLiteral("capture")), QStringList{"captureVision"});

    // Once the save is done the next click captures again.
    QTest::mouseClick(button(panel, "fullScreenCaptureBtn"), Qt::LeftButton);
    QCOMPARE(capture.callNames().filter(QStringLiteral("capture")), (QStringList{"captureVision", "captureScreen"}));
}

QUILLO_TEST_MAIN(TestCaptureSelectionPanel)
#include "tst_CaptureSelectionPanel.moc"
