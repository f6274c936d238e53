#include "RecordingStarter.h"
#include "Screenshot.h"
#include "TestEnvironment.h"

#include <QPointer>
#include <QSignalSpy>
#include <QtTest>

// The count-down: one answer, at the right time or at a cancel, never two.
class TestRecordingStarter : public QObject
{
    Q_OBJECT

private:
    // A shown, started count-down; the pointer clears when it deletes itself.
    static QPointer<RecordingStarter> started(bool fixedBackground = false)
    {
        auto *starter = new RecordingStarter(nullptr, fixedBackground, -1, -1);
        starter->setGeometry(QRect(10, 10, 600, 400));
        starter->show();
        starter->start();
        return starter;
    }
    static QString digit(RecordingStarter *starter)
    {
        auto *label = starter->findChild<QLabel *>("secToGo");
        QTextDocument document;
        document.setHtml(label->text());
        return document.toPlainText().trimmed();
    }

private Q_SLOTS:
    void runsOutAfterThreeSeconds();
    void cancelKeys_data();
    void cancelKeys();
    void closeCancels();
    void stepQueuedBeforeEscapeDoesNotStart();
    void geometry_data();
    void geometry();
    void followsTheMainWindow();
    void textsFitTheBox();
};

void TestRecordingStarter::runsOutAfterThreeSeconds()
{
    QPointer<RecordingStarter> starter = started();
    QSignalSpy answer(starter.data(), &RecordingStarter::startRecording);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(digit(starter), QStringLiteral("3"));
    QTest::qWait(1300);
    QCOMPARE(digit(starter), QStringLiteral("2"));
    QTest::qWait(1000);
    QCOMPARE(digit(starter), QStringLiteral("1"));
    QTRY_COMPARE_WITH_TIMEOUT(answer.size(), 1, 2000);
    QVERIFY(clock.elapsed() >= 2900);
    QCOMPARE(answer.first().at(0).toBool(), true);
    QTRY_VERIFY(starter.isNull());
}

void TestRecordingStarter::cancelKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("cancels");
    QTest::newRow("Escape") << int(Qt::Key_Escape) << int(Qt::NoModifier) << true;
    QTest::newRow("Shift+Escape") << int(Qt::Key_Escape) << int(Qt::ShiftModifier) << true;
    QTest::newRow("Alt+F4") << int(Qt::Key_F4) << int(Qt::AltModifier) << true;
    QTest::newRow("Ctrl+Alt+F4") << int(Qt::Key_F4) << int(Qt::ControlModifier | Qt::AltModifier) << false;
    QTest::newRow("F4") << int(Qt::Key_F4) << int(Qt::NoModifier) << false;
    QTest::newRow("Space") << int(Qt::Key_Space) << int(Qt::NoModifier) << false;
}

void TestRecordingStarter::cancelKeys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, cancels);
    QPointer<RecordingStarter> starter = started();
    QSignalSpy answer(starter.data(), &RecordingStarter::startRecording);
    QTest::keyClick(starter.data(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    if (cancels) {
        QCOMPARE(answer.size(), 1);
        QCOMPARE(answer.first().at(0).toBool(), false);
        // Gone, so no step can answer again.
        QTRY_VERIFY(starter.isNull());
    } else {
        QTest::qWait(50);
        QVERIFY(answer.isEmpty());
        QVERIFY(starter->isVisible());
        delete starter;
    }
}

void TestRecordingStarter::closeCancels()
{
    QPointer<RecordingStarter> starter = started();
    QSignalSpy answer(starter.data(), &RecordingStarter::startRecording);
    // What a window manager does with Alt+F4.
    starter->close();
    QCOMPARE(answer.size(), 1);
    QCOMPARE(answer.first().at(0).toBool(), false);
    QTRY_VERIFY(starter.isNull());
}

void TestRecordingStarter::stepQueuedBeforeEscapeDoesNotStart()
{
    QPointer<RecordingStarter> starter = started();
    QSignalSpy answer(starter.data(), &RecordingStarter::startRecording);
    QTest::qWait(2100);
    // The last step is due in the same pass of the event loop as the key.
    QMetaObject::invokeMethod(starter.data(), &RecordingStarter::timeout, Qt::QueuedConnection);
    QTest::keyClick(starter.data(), Qt::Key_Escape);
    QTRY_VERIFY(starter.isNull());
    QTest::qWait(1200);
    QCOMPARE(answer.size(), 1);
    QCOMPARE(answer.first().at(0).toBool(), false);
}

void TestRecordingStarter::geometry_data()
{
    QTest::addColumn<bool>("fixedBackground");
    QTest::newRow("background follows") << false;
    QTest::newRow("fixed background") << true;
}

void TestRecordingStarter::geometry()
{
    QFETCH(bool, fixedBackground);
    RecordingStarter starter(nullptr, fixedBackground, 300, 80);
    starter.setGeometry(5, 6, 640, 360);
    QCOMPARE(starter.geometry(), QRect(5, 6, 640, 360));
    QCOMPARE(starter.findChild<QWidget *>("countContainer")->geometry(), QRect(0, 0, 640, 360));
    QCOMPARE(starter.findChild<QWidget *>("greyBack")->geometry(),
             fixedBackground ? QRect(0, 0, 300, 80) : QRect(0, 0, 640, 360));
    QVERIFY(starter.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(starter.windowModality(), Qt::ApplicationModal);
}

void TestRecordingStarter::followsTheMainWindow()
{
    RecordingStarter starter(nullptr, false, -1, -1);
    starter.setGeometry(0, 0, 200, 100);
    starter.quilloMoved(QPoint(40, 70));
    QCOMPARE(starter.pos(), QPoint(40, 70));
}

void TestRecordingStarter::textsFitTheBox()
{
    // Over a window the size of a small classroom screen, as the tool panel places it.
    RecordingStarter starter(nullptr, false, -1, -1);
    starter.setGeometry(QRect(0, 0, 1024, 700));
    starter.show();
    QVERIFY(QTest::qWaitForWindowExposed(&starter));
    auto *box = starter.findChild<QWidget *>("counter");
    QVERIFY(box);
    const QRect inside = box->rect();
    for (const char *name : {"label1", "secToGo", "label2"}) {
        auto *label = starter.findChild<QLabel *>(name);
        QVERIFY(label);
        QVERIFY2(
            label->width() >= label->sizeHint().width(),
            qPrintable(
                QStringLiteral("%1: %2 of %3 pixels").arg(name).arg(label->width()).arg(label->sizeHint().width())));
        QVERIFY2(inside.contains(label->geometry()), name);
    }
    QCOMPARE(box->height(), 320);
    QVERIFY(box->width() >= 360);
    QVERIFY(!Screenshot::save(&starter, QStringLiteral("count-down")).isEmpty());
}

QUILLO_TEST_MAIN(TestRecordingStarter)
#include "tst_RecordingStarter.moc"
