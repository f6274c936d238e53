#include "RecordingCounter.h"

#include <QTest>

class TestRecordingCounter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void text_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("reset") << 0 << QStringLiteral("Recording 00:00:00");
        QTest::newRow("first tick") << 1 << QStringLiteral("Recording 00:00:01");
        QTest::newRow("last second of a minute") << 59 << QStringLiteral("Recording 00:00:59");
        QTest::newRow("a minute") << 60 << QStringLiteral("Recording 00:01:00");
        QTest::newRow("last second of an hour") << 3599 << QStringLiteral("Recording 00:59:59");
        QTest::newRow("one, two, three") << 3723 << QStringLiteral("Recording 01:02:03");
        QTest::newRow("hours past a day") << 25 * 3600 << QStringLiteral("Recording 25:00:00");
        QTest::newRow("hours do not wrap") << 100 * 3600 << QStringLiteral("Recording 100:00:00");
        QTest::newRow("negative reads as reset") << -5 << QStringLiteral("Recording 00:00:00");
    }

    void text()
    {
        QFETCH(int, seconds);
        QFETCH(QString, text);
        QCOMPARE(RecordingCounter::text(seconds), text);
    }
};

QTEST_APPLESS_MAIN(TestRecordingCounter)
#include "tst_RecordingCounter.moc"
