#include "AudioGrabCallback.h"
#include "RecordingFakes.h"
#include "TestEnvironment.h"
#include "WinAudioLevelReporter.h"

#include <QtTest>

// The level meter: its formula on known samples and the reporter over a microphone fed by hand.
class TestWinAudioLevelReporter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void levelOfBuffer_data();
    void levelOfBuffer();
    void deviceChoice_data();
    void deviceChoice();
    void reporterFollowsTheMicrophone();
    void noInputDevice();
};

void TestWinAudioLevelReporter::levelOfBuffer_data()
{
    QTest::addColumn<QList<qint16>>("samples");
    QTest::addColumn<int>("level");
    QTest::newRow("silence") << QList<qint16>{0, 0, 0, 0} << 0;
    QTest::newRow("full scale among quiet") << QList<qint16>{100, 0, 5, 0, 32767, 0} << 83;
    QTest::newRow("10000") << QList<qint16>{10000, 10000} << 66;
    QTest::newRow("1000") << QList<qint16>{1000, 1000} << 33;
    QTest::newRow("100 is the threshold") << QList<qint16>{100, 100} << 0;
    QTest::newRow("negative full scale") << QList<qint16>{0, 0, -32768, 0} << 83;
    // A steady tone reads the same whichever half of its wave the buffer ends in.
    QTest::newRow("tone ending high") << QList<qint16>{-10000, -10000, 10000, 10000} << 66;
    QTest::newRow("tone ending low") << QList<qint16>{10000, 10000, -10000, -10000} << 66;
    QTest::newRow("loud right channel") << QList<qint16>{0, 0, 0, 0, 1000, 32767} << 83;
    QTest::newRow("odd count") << QList<qint16>{0, 1000, 10000} << 66;
}

void TestWinAudioLevelReporter::levelOfBuffer()
{
    QFETCH(QList<qint16>, samples);
    QFETCH(int, level);
    AudioGrabCallback callback;
    callback.bufferCB(reinterpret_cast<const char *>(samples.constData()), samples.size() * 2);
    QCOMPARE(int(callback.level()), level);
    // An empty buffer leaves the level as it was.
    callback.bufferCB(nullptr, 0);
    QCOMPARE(int(callback.level()), level);
}

void TestWinAudioLevelReporter::deviceChoice_data()
{
    QTest::addColumn<QString>("wanted");
    QTest::addColumn<int>("device");
    const QStringList devices{"Line In", "Microphone (USB Audio Device)"};
    QTest::newRow("part of the name") << "Microphone" << 1;
    QTest::newRow("name plus more") << "Microphone (USB Audio Device) #2" << 1;
    QTest::newRow("letter case") << "MICROPHONE (usb audio device)" << 1;
    QTest::newRow("empty takes the first") << "" << 0;
    QTest::newRow("absent") << "Headset" << -1;
}

void TestWinAudioLevelReporter::deviceChoice()
{
    QFETCH(QString, wanted);
    QFETCH(int, device);
    QCOMPARE(WinAudioLevelReporter::findDevice(wanted, {"Line In", "Microphone (USB Audio Device)"}), device);
}

void TestWinAudioLevelReporter::reporterFollowsTheMicrophone()
{
    auto source = std::make_unique<FakeAudioSource>();
    FakeAudioSource *microphone = source.get();
    WinAudioLevelReporter reporter(
        [] {
            return QStringList{"Line In", "Microphone (USB Audio Device)"};
        },
        std::move(source));
    QVERIFY(!reporter.run());
    QVERIFY(reporter.start("Microphone"));
    // Started means chosen, not capturing yet.
    QVERIFY(!microphone->push(10000));
    QVERIFY(reporter.run());
    QCOMPARE(microphone->startedDevice, 1);
    QVERIFY(microphone->push(10000));
    QCOMPARE(int(reporter.level()), 66);
    QVERIFY(reporter.stop());
    QVERIFY(!microphone->push(32767));
    QCOMPARE(int(reporter.level()), 66);
    QVERIFY(reporter.run());
    QVERIFY(microphone->push(1000));
    QCOMPARE(int(reporter.level()), 33);
    // A failed start keeps the last measurement.
    QVERIFY(!reporter.start("Headset"));
    QCOMPARE(int(reporter.level()), 33);
}

void TestWinAudioLevelReporter::noInputDevice()
{
    auto source = std::make_unique<FakeAudioSource>();
    WinAudioLevelReporter reporter([] { return QStringList(); }, std::move(source));
    QVERIFY(!reporter.start(QString()));
    QVERIFY(!reporter.run());
    QVERIFY(!reporter.stop());
    QCOMPARE(int(reporter.level()), 0);
}

QUILLO_TEST_MAIN(TestWinAudioLevelReporter)
#include "tst_WinAudioLevelReporter.moc"
