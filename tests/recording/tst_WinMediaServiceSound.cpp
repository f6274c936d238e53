#include "FrameGrabCallback.h"
#include "TestEnvironment.h"
#include "WinMediaService.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>

#include <cmath>

using MS = WinMediaService;

namespace {

const QString kSinkName = QStringLiteral("quillo_test_playback");
const QString kSinkDescription = QStringLiteral("QuilloTestSpeaker");
// What the monitor of the sink is read as: mono 16-bit at 8 kHz, the rate of the program's recordings.
constexpr int kRate = 8000;
// The tone generator's amplitude is an eighth of full scale, an RMS of about 2900; silence is 0. A third of the
// tone's level tells them apart with room for the fade of a seek.
constexpr double kToneRms = 1000;
// The window over which the level is measured: four periods of the tone and more, short against a second.
constexpr int kLevelWindowMs = 200;

QByteArray pactl(const QStringList &arguments, bool *ok)
{
    QProcess process;
    process.start(QStringLiteral("pactl"), arguments);
    *ok = process.waitForFinished(10000) && process.exitCode() == 0;
    return process.readAllStandardOutput().trimmed();
}

// What reaches a sink of the test's own, read from its monitor as it plays.
class SinkListener
{
public:
    bool start(const QString &sink)
    {
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput,
                         [this] { m_samples.append(m_process.readAllStandardOutput()); });
        m_process.start(QStringLiteral("parec"),
                        {QStringLiteral("--device=%1.monitor").arg(sink), QStringLiteral("--format=s16le"),
                         QStringLiteral("--rate=%1").arg(kRate), QStringLiteral("--channels=1"),
                         QStringLiteral("--latency-msec=20"), QStringLiteral("--raw")});
        return m_process.waitForStarted(5000);
    }
    void stop()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    // The RMS of the last ms that reached the sink.
    double level(int ms)
    {
        m_samples.append(m_process.readAllStandardOutput());
        const qsizetype bytes = qsizetype(ms) * kRate / 1000 * 2;
        if (m_samples.size() < bytes)
            return 0;
        const char *at = m_samples.constData() + (m_samples.size() - bytes) - (m_samples.size() - bytes) % 2;
        double sum = 0;
        for (qsizetype i = 0; i < bytes / 2; ++i) {
            const double sample = qFromLittleEndian<qint16>(at + 2 * i);
            sum += sample * sample;
        }
        return std::sqrt(sum / double(bytes / 2));
    }

private:
    QProcess m_process;
    QByteArray m_samples;
};

} // namespace

// Playback of a recording with its sound going to a real sound server: seeks, playing or paused, keep the
// picture and the sound going.
class TestWinMediaServiceSound : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_recording;
    QByteArray m_module;
    QByteArray m_previousDefault;
    SinkListener m_listener;

private Q_SLOTS:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("QUILLO_TEST_PULSE") || qEnvironmentVariableIsEmpty("QUILLO_TEST_PULSE_SERVER"))
            QSKIP("needs the sound server of the test script");
        if (QStandardPaths::findExecutable(QStringLiteral("parec")).isEmpty())
            QSKIP("needs parec to hear what is played");
        // The test's own runtime folder hides the server; its address is given instead.
        qputenv("PULSE_SERVER", qgetenv("QUILLO_TEST_PULSE_SERVER"));
        QVERIFY(m_dir.isValid());
        bool ok = false;
        m_module = pactl({"load-module", "module-null-sink", "sink_name=" + kSinkName,
                          "sink_properties=device.description=" + kSinkDescription},
                         &ok);
        QVERIFY2(ok, "cannot load a sink to play to");
        // The player plays to the default output, as in the program: the test's sink is made the default,
        // since changing the output of a loaded player has effects of its own.
        m_previousDefault = pactl({"get-default-sink"}, &ok);
        pactl({"set-default-sink", kSinkName}, &ok);
        QVERIFY2(ok, "cannot make the test's sink the default");
        QTRY_VERIFY_WITH_TIMEOUT(QMediaDevices::defaultAudioOutput().id() == kSinkName.toUtf8(), 10000);

        // As the program records: MPEG-4 picture at 25 frames per second, 8 kHz stereo 16-bit sound. A tone
        // from start to end, so that any silence heard is the player's.
        const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
        QVERIFY2(!ffmpeg.isEmpty(), "the media fixture is made with the ffmpeg command");
        m_recording = m_dir.filePath(QStringLiteral("lesson.avi"));
        QProcess encode;
        encode.start(ffmpeg, {"-v",   "error",     "-nostdin", "-y",
                              "-f",   "lavfi",     "-i",       "testsrc2=size=640x360:rate=25:duration=20",
                              "-f",   "lavfi",     "-i",       "sine=frequency=440:sample_rate=8000:duration=20",
                              "-c:v", "mpeg4",     "-vtag",    "XVID",
                              "-c:a", "pcm_s16le", "-ar",      "8000",
                              "-ac",  "2",         m_recording});
        QVERIFY(encode.waitForFinished(60000));
        QVERIFY2(encode.exitCode() == 0, encode.readAllStandardError().constData());
        QVERIFY(m_listener.start(kSinkName));
    }

    void cleanupTestCase()
    {
        m_listener.stop();
        bool ok = false;
        if (!m_previousDefault.isEmpty())
            pactl({"set-default-sink", QString::fromUtf8(m_previousDefault)}, &ok);
        if (!m_module.isEmpty()) {
            pactl({"unload-module", QString::fromLatin1(m_module)}, &ok);
        }
    }

    // Twenty seeks at random places, every other one while paused: after each the position moves on from the
    // place sought, pictures come and the tone is heard, and the service never takes the seek for the end.
    void twentySeeksKeepPictureAndSound()
    {
        MS media;
        FrameGrabCallback frames;
        frames.setFpsHint(0);
        QVERIFY(media.setMedia(m_recording));
        QVERIFY(media.setGrabberCallback(&frames));
        QVERIFY(media.play());
        QTRY_VERIFY_WITH_TIMEOUT(m_listener.level(kLevelWindowMs) > kToneRms, 5000);

        QRandomGenerator random(20241211);
        const qint64 end = media.duration();
        QVERIFY(end > 15000);
        int heard = 0;
        for (int seek = 0; seek < 20; ++seek) {
            const bool paused = seek % 2 == 1;
            // Leaves time to hear the tone before the end.
            const qint64 target = random.bounded(qint64(500), end - 3000);
            if (paused) {
                QVERIFY(media.pause());
                QTest::qWait(300);
            }
            QVERIFY(media.setPosition(target));
            if (paused) {
                QTest::qWait(300);
                QVERIFY(media.play());
            }
            const auto shownMs = [&] {
                qint64 startUs = -1;
                frames.timedFrame(&startUs);
                return startUs / 1000;
            };
            // Half a second played on from the place sought, the picture shown from there too.
            const bool moved = QTest::qWaitFor(
                [&] {
                    return media.position() >= target + 500 && media.position() < target + 2500
                           && shownMs() >= target + 300;
                },
                3000);
            const bool tone = QTest::qWaitFor([&] { return m_listener.level(kLevelWindowMs) > kToneRms; }, 2000);
            qInfo("seek %2d to %5lld ms%s: position %5lld, picture %5lld, level %5.0f", seek + 1, target,
                  paused ? " (paused)" : "", media.position(), shownMs(), m_listener.level(kLevelWindowMs));
            const QString where = QStringLiteral("seek %1 to %2 ms: ").arg(seek + 1).arg(target);
            QVERIFY2(moved,
                     qPrintable(where + QStringLiteral("at %1, picture at %2").arg(media.position()).arg(shownMs())));
            QVERIFY2(tone, qPrintable(where + QStringLiteral("silent")));
            QCOMPARE(media.mediaState(), MS::STATE_PLAYING);
            ++heard;
        }
        qInfo("tone heard after %d of 20 seeks", heard);
    }
};

QUILLO_TEST_MAIN(TestWinMediaServiceSound)
#include "tst_WinMediaServiceSound.moc"
