#include "TestEnvironment.h"
#include "TimeTransmitter.h"

#include <QElapsedTimer>
#include <QSignalSpy>

namespace {

// The test's own pace: long enough that the order of events is not up to the scheduler.
constexpr int kInterval = 30;
// Generous, so a loaded machine does not fail the test; only order, counts and lower bounds of time are
// asserted.
constexpr int kWait = 5000;
// A coarse timer may fire up to 5 % of its interval early, tick after tick (in nanoseconds).
constexpr qint64 kEarliestTickNs = kInterval * 950000;

} // namespace

class TestTimeTransmitter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void handsOutItemsThenCompletes();
    void startWithoutItemsCompletesOnce();
    void refusalsWhileRunning();
    void stopKeepsRemainingItems();
    void resetSilencesARun();
    void intervalBeyondIntIsCut();
};

void TestTimeTransmitter::handsOutItemsThenCompletes()
{
    int a = 0, b = 0;
    TimeTransmitter transmitter;
    QStringList events;
    QElapsedTimer clock;
    QList<qint64> times;
    connect(&transmitter, &TimeTransmitter::nextItem, this, [&](void *item) {
        times << clock.nsecsElapsed();
        events << QStringLiteral("%1 left %2").arg(item == &a ? "A" : "B").arg(transmitter.count());
    });
    connect(&transmitter, &TimeTransmitter::complete, this, [&](int code) {
        times << clock.nsecsElapsed();
        events << QStringLiteral("complete %1").arg(code);
    });
    QVERIFY(transmitter.setItems({&a, &b}));
    QCOMPARE(transmitter.count(), 2);
    transmitter.setInterval(kInterval);
    QVERIFY(transmitter.setCompleteCode(42));
    clock.start();
    QVERIFY(transmitter.start());
    QTRY_COMPARE_WITH_TIMEOUT(events.size(), 3, kWait);
    QCOMPARE(events, (QStringList{"A left 1", "B left 0", "complete 42"}));
    // One tick per item and one more for the end, so "complete" is the third tick. The ticks keep to the
    // schedule set at the start: a tick delayed by a busy machine is followed by one that comes sooner, so
    // only each tick's time since the start has a floor, not the gap between two of them.
    for (int tick = 0; tick < 3; ++tick)
        QVERIFY2(times[tick] >= (tick + 1) * kEarliestTickNs,
                 qPrintable(QStringLiteral("tick %1 after %2 ns").arg(tick).arg(times[tick])));
    QVERIFY(!transmitter.stop());
    QTest::qWait(3 * kInterval);
    QCOMPARE(events.size(), 3);
}

void TestTimeTransmitter::startWithoutItemsCompletesOnce()
{
    TimeTransmitter transmitter;
    QSignalSpy complete(&transmitter, &TimeTransmitter::complete);
    transmitter.setInterval(0);
    QVERIFY(transmitter.start());
    QVERIFY(complete.wait(kWait));
    QTest::qWait(3 * kInterval);
    QCOMPARE(complete.size(), 1);
    QCOMPARE(complete.first().first().toInt(), -1);
}

void TestTimeTransmitter::refusalsWhileRunning()
{
    int a = 0;
    TimeTransmitter transmitter;
    transmitter.setItems({&a});
    transmitter.setInterval(kWait);
    QVERIFY(transmitter.setCompleteCode(5));
    QVERIFY(transmitter.start());
    QVERIFY(!transmitter.start());
    QVERIFY(!transmitter.setCompleteCode(6));
    QCOMPARE(transmitter.completeCode(), 5);
    QVERIFY(transmitter.stop());
    QVERIFY(transmitter.setCompleteCode(6));
}

void TestTimeTransmitter::stopKeepsRemainingItems()
{
    int a = 0, b = 0;
    TimeTransmitter transmitter;
    QSignalSpy items(&transmitter, &TimeTransmitter::nextItem);
    QSignalSpy complete(&transmitter, &TimeTransmitter::complete);
    connect(&transmitter, &TimeTransmitter::nextItem, &transmitter, [&] { transmitter.stop(); });
    transmitter.setItems({&a, &b});
    transmitter.setInterval(kInterval);
    QVERIFY(transmitter.start());
    QVERIFY(items.wait(kWait));
    QTest::qWait(3 * kInterval);
    QCOMPARE(items.size(), 1);
    QCOMPARE(transmitter.count(), 1);
    QVERIFY(transmitter.start());
    QVERIFY(items.wait(kWait));
    QCOMPARE(items.at(1).first().value<void *>(), static_cast<void *>(&b));
    QCOMPARE(complete.size(), 0);
}

void TestTimeTransmitter::resetSilencesARun()
{
    int a = 0;
    TimeTransmitter transmitter;
    QSignalSpy items(&transmitter, &TimeTransmitter::nextItem);
    QSignalSpy complete(&transmitter, &TimeTransmitter::complete);
    transmitter.setItems({&a});
    transmitter.setInterval(kInterval);
    transmitter.setCompleteCode(3);
    QVERIFY(transmitter.start());
    transmitter.reset();
    QTest::qWait(4 * kInterval);
    QCOMPARE(items.size(), 0);
    QCOMPARE(complete.size(), 0);
    QCOMPARE(transmitter.count(), 0);
    QCOMPARE(transmitter.completeCode(), -1);
    QCOMPARE(transmitter.interval(), 0);
}

void TestTimeTransmitter::intervalBeyondIntIsCut()
{
    TimeTransmitter transmitter;
    QSignalSpy complete(&transmitter, &TimeTransmitter::complete);
    transmitter.setInterval(qint64(1) << 40);
    QCOMPARE(transmitter.interval(), qint64(1) << 40);
    QVERIFY(transmitter.start());
    // Wrapped to an int, 2^40 would be 0 and fire at once.
    QTest::qWait(3 * kInterval);
    QCOMPARE(complete.size(), 0);
}

QUILLO_TEST_MAIN(TestTimeTransmitter)
#include "tst_TimeTransmitter.moc"
