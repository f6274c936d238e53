#include "AviProbe.h"
#include "RecordingImpl.h"
#include "SettingImpl.h"
#include "TestEnvironment.h"

#include <QAudioDevice>
#include <QFile>
#include <QMediaDevices>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>

#include <fcntl.h>
#include <unistd.h>

namespace {

const QString kSourceName = QStringLiteral("quillo_test_pipe");
const QString kDescription = QStringLiteral("QuilloTestMicrophone");
// The known signal: a constant sample on both channels, level 66 on the meter.
constexpr qint16 kSample = 10000;

QByteArray pactl(const QStringList &arguments, bool *ok)
{
    QProcess process;
    process.start(QStringLiteral("pactl"), arguments);
    *ok = process.waitForFinished(10000) && process.exitCode() == 0;
    return process.readAllStandardOutput().trimmed();
}

} // namespace

// A real recording through the service: the screen of the X server, and a sound server's microphone fed
// with a known signal at its own pace.
class TestRecordingPulse : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_fifo;
    QByteArray m_module;
    QThread *m_feeder = nullptr;
    std::atomic<bool> m_feeding{false};

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void recordsScreenAndSignal();
};

void TestRecordingPulse::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("QUILLO_TEST_PULSE") || qEnvironmentVariableIsEmpty("QUILLO_TEST_PULSE_SERVER"))
        QSKIP("needs the sound server of the test script");
    // The test's own runtime folder hides the server; its address is given instead.
    qputenv("PULSE_SERVER", qgetenv("QUILLO_TEST_PULSE_SERVER"));
    m_fifo = qEnvironmentVariable("XDG_RUNTIME_DIR") + "/quillo-test-mic.fifo";
    bool ok = false;
    m_module = pactl({"load-module", "module-pipe-source", "source_name=" + kSourceName, "file=" + m_fifo,
                      "format=s16le", "rate=8000", "channels=2",
                      "source_properties=device.description=" + kDescription},
                     &ok);
    QVERIFY2(ok, "cannot load a pipe source");
    m_feeding = true;
    m_feeder = QThread::create([this] {
        const int fd = ::open(QFile::encodeName(m_fifo).constData(), O_WRONLY);
        if (fd < 0)
            return;
        // 20 ms of stereo 16-bit sound at 8 kHz, written every 20 ms: the pace of a real microphone.
        QByteArray block(160 * 4, '\0');
        auto *samples = reinterpret_cast<qint16 *>(block.data());
        for (int i = 0; i < 320; ++i)
            samples[i] = kSample;
        QElapsedTimer clock;
        clock.start();
        qint64 sent = 0;
        while (m_feeding) {
            if (::write(fd, block.constData(), size_t(block.size())) < 0)
                break;
            sent += 20;
            const qint64 ahead = sent - clock.elapsed();
            if (ahead > 0)
                QThread::msleep(ulong(ahead));
        }
        ::close(fd);
    });
    m_feeder->start();
    QTRY_VERIFY_WITH_TIMEOUT(
        [] {
            const QList<QAudioDevice> inputs = QMediaDevices::audioInputs();
            return std::any_of(inputs.begin(), inputs.end(),
                               [](const QAudioDevice &d) { return d.description() == kDescription; });
        }(),
        10000);
}

void TestRecordingPulse::cleanupTestCase()
{
    if (m_feeder) {
        m_feeding = false;
        m_feeder->wait(5000);
        delete m_feeder;
    }
    if (!m_module.isEmpty()) {
        bool ok = false;
        pactl({"unload-module", QString::fromLatin1(m_module)}, &ok);
    }
}

void TestRecordingPulse::recordsScreenAndSignal()
{
    SettingIntf *settings = SettingImpl::getInstance();
    settings->setSavePath(m_dir.path() + "/");
    settings->setAudioSource(kDescription);
    settings->setVideoQuality(0);
    settings->setMute(false);
    settings->release();

    RecordingIntf *service = RecordingImpl::getInstance();
    QVERIFY(service->audioSources().contains(kDescription));
    QSignalSpy levels(service, &RecordingIntf::audioLevelReported);
    QCOMPARE(service->startRecording(), 0);
    QTest::qWait(2500);
    QList<QString> files;
    QCOMPARE(service->stopRecording(&files), 0);
    QVERIFY(!levels.isEmpty());
    QVERIFY(std::any_of(levels.begin(), levels.end(), [](const QList<QVariant> &l) { return l.at(0).toUInt() == 66; }));

    QCOMPARE(files.size(), 1);
    const AviProbe probe(files.first());
    QVERIFY(probe.stream("video").value("nb_read_frames").toString().toInt() >= 25);
    QCOMPARE(probe.stream("video").value("width").toInt(), 640);
    const QByteArray sound = probe.audioSamples();
    const auto *samples = reinterpret_cast<const qint16 *>(sound.constData());
    const qsizetype count = sound.size() / 2;
    // At least a second of the known signal reached the file.
    QVERIFY2(std::count(samples, samples + count, kSample) >= 16000, qPrintable(QString::number(count)));

    // The microphone's volume on the sound server: 50 % is stored as half scale and reads back as 49 %.
    service->getVolume();
    QCOMPARE(service->setVolume(50), 0);
    QCOMPARE(service->getVolume(), 49u);
    bool ok = false;
    const QByteArray volume = pactl({"get-source-volume", kSourceName}, &ok);
    QVERIFY2(ok && volume.contains("32767"), volume.constData());
    QCOMPARE(service->setVolume(100), 0);
    QCOMPARE(service->getVolume(), 100u);
    service->release();
}

QUILLO_TEST_MAIN_X11(TestRecordingPulse)
#include "tst_RecordingPulse.moc"
