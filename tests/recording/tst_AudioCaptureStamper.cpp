#include "AudioCaptureStamper.h"

#include <QtTest>

Q_DECLARE_METATYPE(QList<int>)

// Pieces of 8 kHz stereo 16-bit sound (32 bytes a millisecond) arriving at given ticks.
class TestAudioCaptureStamper : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stampsFollowTheCapture_data();
    void stampsFollowTheCapture();
};

void TestAudioCaptureStamper::stampsFollowTheCapture_data()
{
    QTest::addColumn<QList<int>>("pieceMs");
    QTest::addColumn<QList<int>>("arrivedMs");
    QTest::addColumn<QList<int>>("stamps");
    // Arrival jitter within the continuity window does not move the sound: it follows on.
    QTest::newRow("steady with jitter") << QList<int>{20, 20, 20, 20} << QList<int>{1020, 1065, 1061, 1080}
                                        << QList<int>{1000, 1020, 1040, 1060};
    // A piece arriving late by a held-up reader is longer, not later: still continuous.
    QTest::newRow("late read of a longer piece")
        << QList<int>{20, 200, 20} << QList<int>{1020, 1220, 1240} << QList<int>{1000, 1020, 1220};
    // Nothing delivered for a second: the next sound starts where it was captured, not straight after.
    QTest::newRow("gap") << QList<int>{128, 128, 128} << QList<int>{1128, 2256, 2384} << QList<int>{1000, 2128, 2256};
    // Large blocks are dated back by their whole length.
    QTest::newRow("two-second blocks") << QList<int>{2000, 2000} << QList<int>{3000, 5010} << QList<int>{1000, 3000};
    // A source faster than the clock is caught up with once it is too far ahead.
    QTest::newRow("drifting source") << QList<int>{100, 100, 100} << QList<int>{1100, 1160, 1180}
                                     << QList<int>{1000, 1100, 1080};
}

void TestAudioCaptureStamper::stampsFollowTheCapture()
{
    QFETCH(QList<int>, pieceMs);
    QFETCH(QList<int>, arrivedMs);
    QFETCH(QList<int>, stamps);
    AudioCaptureStamper stamper(32000);
    QList<int> got;
    for (qsizetype i = 0; i < pieceMs.size(); ++i)
        got.append(int(stamper.stamp(pieceMs.at(i) * 32, quint32(arrivedMs.at(i)))));
    QCOMPARE(got, stamps);
    stamper.reset();
    QCOMPARE(stamper.stamp(32 * 10, 9000), 8990u);
}

QTEST_APPLESS_MAIN(TestAudioCaptureStamper)
#include "tst_AudioCaptureStamper.moc"
