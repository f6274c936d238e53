#include "AVIRecordingThread.h"
#include "AviProbe.h"
#include "AviRepair.h"
#include "MediaFileProbe.h"
#include "MessageBoxScript.h"
#include "PrivateMount.h"
#include "RecordingFakes.h"
#include "SettingImpl.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

class TestAVIRecordingThread : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::shared_ptr<ManualClock> m_clock;
    std::shared_ptr<FakeGrabber> m_grabber;
    std::unique_ptr<AVIRecordingThread> m_thread;
    std::atomic<qint64> m_free{qint64(1) << 40};
    QString m_folder;
    int m_folders = 0;

    void makeThread(std::shared_ptr<VideoEncoderFactory> factory = nullptr, bool realFreeSpace = false)
    {
        m_clock = std::make_shared<ManualClock>();
        m_grabber = std::make_shared<FakeGrabber>(QSize(160, 90));
        m_thread = std::make_unique<AVIRecordingThread>();
        m_thread->setBackends({m_clock, m_grabber, std::make_shared<FakeAudioSource>(), factory});
        if (!realFreeSpace)
            m_thread->setFreeSpaceQuery([this](const QString &) { return m_free.load(); });
    }
    static void setSaveFolder(const QString &folder)
    {
        SettingIntf *settings = SettingImpl::getInstance();
        settings->setSavePath(folder);
        settings->release();
    }
    // Waits (in real time) until the capture thread has ended by itself.
    bool waitForEnd()
    {
        return QTest::qWaitFor([this] { return !m_thread->isRecording(); }, 10000);
    }

private Q_SLOTS:
    void init()
    {
        m_free = qint64(1) << 40;
        // Names carry the second of the start, so each test records into a folder of its own.
        m_folder = m_dir.filePath(QString::number(++m_folders));
        QVERIFY(QDir().mkpath(m_folder));
        setSaveFolder(m_folder + "/");
        makeThread();
    }
    void cleanup() { m_thread.reset(); }
    void freeSpaceFloorAtStart_data();
    void freeSpaceFloorAtStart();
    void startWhileRecordingAndStopWhileIdle();
    void stopRightAfterStartKeepsAFrame();
    void firstFrameFailures_data();
    void firstFrameFailures();
    void diskFillingUpEndsTheRecording();
    void writerFailureEndsTheRecording();
    void aLostScreenEndsTheCapture();
    void timerModeRecordsOnItsThread();
    void timerModeFloorEndsTheCapture();
    void fullDiskLeavesAPlayableFile_data();
    void fullDiskLeavesAPlayableFile();
    void aSlowEncoderStartSkipsNoSlot_data();
    void aSlowEncoderStartSkipsNoSlot();
    void theCountDownPreparesTheRecording();
    void aCancelledCountDownLeavesNoFile();
    void aSilentMicrophoneIsGivenUp();
};

void TestAVIRecordingThread::freeSpaceFloorAtStart_data()
{
    QTest::addColumn<qint64>("freeBytes");
    QTest::addColumn<bool>("starts");
    QTest::newRow("exactly 10 MiB") << qint64(10485760) << true;
    QTest::newRow("one byte less") << qint64(10485759) << false;
    QTest::newRow("unknown volume") << qint64(-1) << false;
}

void TestAVIRecordingThread::freeSpaceFloorAtStart()
{
    QFETCH(qint64, freeBytes);
    QFETCH(bool, starts);
    m_free = freeBytes;
    MessageBoxScript boxes;
    QCOMPARE(m_thread->startRecording(0, 160, 90, -1), starts);
    QVERIFY(m_thread->outputFile().startsWith(m_folder + "/Quillo-"));
    QVERIFY(m_thread->outputFile().endsWith(".avi"));
    if (starts) {
        QCOMPARE(m_thread->errorCode(), int(RECORDING_THREAD_NO_ERROR));
        QVERIFY(boxes.shown().isEmpty());
        m_thread->stopRecording();
        QVERIFY(QFileInfo::exists(m_thread->outputFile()));
    } else {
        QCOMPARE(m_thread->errorCode(), int(RECORDING_THREAD_FREE_SPACE_NOT_ENOUGH));
        QCOMPARE(boxes.lastText(), QStringLiteral("Not enough disk space for recording."));
        QCOMPARE(boxes.shown().first().title, QStringLiteral("Warning"));
        QVERIFY(!QFileInfo::exists(m_thread->outputFile()));
        QVERIFY(!m_thread->isRecording());
    }
}

void TestAVIRecordingThread::startWhileRecordingAndStopWhileIdle()
{
    QVERIFY(m_thread->stopRecording());
    QCOMPARE(m_thread->errorCode(), int(RECORDING_THREAD_NOT_RECORDING));
    QVERIFY(m_thread->startRecording(0, 160, 90, -2));
    const QString first = m_thread->outputFile();
    QVERIFY(m_thread->startRecording(0, 160, 90, -2));
    QCOMPARE(m_thread->errorCode(), int(RECORDING_THREAD_ALREADY_RECORDING));
    QCOMPARE(m_thread->outputFile(), first);
    QVERIFY(m_thread->isRecording());
    QVERIFY(m_thread->stopRecording());
    QCOMPARE(m_thread->errorCode(), int(RECORDING_THREAD_NO_ERROR));
    QVERIFY(!m_thread->isRecording());
}

void TestAVIRecordingThread::stopRightAfterStartKeepsAFrame()
{
    QVERIFY(m_thread->startRecording(0, 160, 90, -1));
    QVERIFY(m_thread->stopRecording());
    const QStringList files = m_thread->recordedFiles();
    QCOMPARE(files.size(), 1);
    const AviProbe probe(files.first());
    QVERIFY(probe.readable());
    QVERIFY(probe.stream("video").value("nb_read_frames").toString().toInt() >= 1);
    QCOMPARE(probe.stream("video").value("codec_tag_string").toString(), QStringLiteral("XVID"));
}

void TestAVIRecordingThread::firstFrameFailures_data()
{
    QTest::addColumn<bool>("screenFails");
    QTest::addColumn<bool>("codecsMissing");
    QTest::addColumn<int>("code");
    QTest::newRow("no picture") << true << false << int(RECORDING_THREAD_ADD_FRAME_FAILED);
    QTest::newRow("no codec") << false << true << int(RECORDING_THREAD_VIDEO_CODEC_FAILED);
}

void TestAVIRecordingThread::firstFrameFailures()
{
    QFETCH(bool, screenFails);
    QFETCH(bool, codecsMissing);
    QFETCH(int, code);
    if (codecsMissing)
        makeThread(std::make_shared<LimitedEncoderFactory>(QByteArrayList{"XVID", "DIB "}));
    m_grabber->fail = screenFails;
    QVERIFY(m_thread->startRecording(0, 160, 90, -2));
    QVERIFY(waitForEnd());
    QCOMPARE(m_thread->errorCode(), code);
    // Eleven attempts in a row, each with its own grab when the screen answers.
    QCOMPARE(m_grabber->grabs.load(), screenFails ? 0 : 11);
}

void TestAVIRecordingThread::diskFillingUpEndsTheRecording()
{
    QVERIFY(m_thread->startRecording(0, 160, 90, -1));
    QVERIFY(QTest::qWaitFor([this] { return m_grabber->grabs > 20; }, 10000));
    m_free = 10485759;
    QVERIFY(waitForEnd());
    QCOMPARE(m_thread->errorCode(), int(RECORDING_THREAD_FREE_SPACE_NOT_ENOUGH));
    const AviProbe probe(m_thread->recordedFiles().first());
    QVERIFY(probe.readable());
    QVERIFY(probe.stream("video").value("nb_read_frames").toString().toInt() > 20);
}

void TestAVIRecordingThread::writerFailureEndsTheRecording()
{
    QVERIFY(m_thread->startRecording(0, 160, 90, -2));
    const QFileInfo first(m_thread->outputFile());
    QVERIFY(QDir().mkpath(first.dir().filePath(first.completeBaseName() + "_2.avi")));
    // The clock reaches the split, whose file cannot be created.
    QVERIFY(QTest::qWaitFor([this] { return m_grabber->grabs > 5; }, 10000));
    m_grabber->onGrab = [this] { m_clock->advance(60000); };
    QVERIFY(waitForEnd());
    // Not a full disk: the recording ends with the writer's own cause.
    QCOMPARE(m_thread->errorCode(), int(RECORDING_THREAD_WRITER_FAILED));
    QVERIFY(!m_thread->failureCause().isEmpty());
    QCOMPARE(m_thread->recordedFiles(), QStringList{first.filePath()});
    QVERIFY(AviProbe(first.filePath()).readable());
}

void TestAVIRecordingThread::aLostScreenEndsTheCapture()
{
    m_grabber->loseAfter = 8;
    QVERIFY(m_thread->startRecording(0, 160, 90, -2));
    QVERIFY(waitForEnd());
    QCOMPARE(m_thread->errorCode(), int(RECORDING_THREAD_SCREEN_LOST));
    QCOMPARE(m_thread->failureCause(), QStringLiteral("The recorded screen was disconnected."));
    const AviProbe probe(m_thread->recordedFiles().first());
    QVERIFY(probe.readable());
    QCOMPARE(probe.stream("video").value("nb_read_frames").toString().toInt(), 8);

    // The next start takes the screen of its own moment and records.
    m_grabber->loseAfter = -1;
    const int selections = m_grabber->selections;
    QVERIFY(m_thread->startRecording(0, 160, 90, -2));
    QCOMPARE(m_grabber->selections.load(), selections + 1);
    QVERIFY(QTest::qWaitFor([this] { return m_grabber->grabs > 12; }, 10000));
    QVERIFY(m_thread->isRecording());
    QVERIFY(m_thread->stopRecording());
}

void TestAVIRecordingThread::timerModeRecordsOnItsThread()
{
    QVERIFY(m_thread->startRecording("DIB ", 0, 160, 90, -2));
    QCOMPARE(m_thread->errorCode(), int(RECORDING_THREAD_NO_ERROR));
    QVERIFY(QTest::qWaitFor([this] { return m_grabber->grabs > 10; }, 10000));
    QVERIFY(m_thread->addFrame());
    QVERIFY(m_thread->isRecording());
    QVERIFY(m_thread->stopNow());
    QVERIFY(!m_thread->isRecording());
    const AviProbe probe(m_thread->recordedFiles().first());
    QCOMPARE(probe.stream("video").value("codec_name").toString(), QStringLiteral("rawvideo"));
    QVERIFY(probe.stream("video").value("nb_read_frames").toString().toInt() > 10);

    // A codec that cannot be set up still starts: the later frames use XviD.
    makeThread();
    QVERIFY(m_thread->startRecording("ABCD", 0, 160, 90, -2));
    QVERIFY(QTest::qWaitFor([this] { return m_grabber->grabs > 5; }, 10000));
    QVERIFY(m_thread->stopNow());
    QCOMPARE(AviProbe(m_thread->recordedFiles().first()).stream("video").value("codec_tag_string").toString(),
             QStringLiteral("XVID"));
}

void TestAVIRecordingThread::timerModeFloorEndsTheCapture()
{
    // Only the GUI thread's check (addFrame) sees the disk full: the capture loop's own check, which would
    // end the capture anyway, never does.
    m_thread->setFreeSpaceQuery([this](const QString &) {
        return QThread::currentThread() == QCoreApplication::instance()->thread() ? m_free.load() : qint64(1) << 40;
    });
    QVERIFY(m_thread->startRecording("DIB ", 0, 160, 90, -2));
    QVERIFY(QTest::qWaitFor([this] { return m_grabber->grabs > 3; }, 10000));
    m_free = 1000;
    QVERIFY(!m_thread->addFrame());
    QCOMPARE(m_thread->errorCode(), int(RECORDING_THREAD_FREE_SPACE_NOT_ENOUGH));
    QVERIFY(!m_thread->isRecording());
    QVERIFY(AviProbe(m_thread->recordedFiles().first()).readable());
}

void TestAVIRecordingThread::fullDiskLeavesAPlayableFile_data()
{
    QTest::addColumn<bool>("withSound");
    QTest::newRow("pictures only") << false;
    QTest::newRow("with sound") << true;
}

void TestAVIRecordingThread::fullDiskLeavesAPlayableFile()
{
    QFETCH(bool, withSound);
    QTemporaryDir small;
    const PrivateMount disk = PrivateMount::smallDisk(small.path(), 6 * 1024 * 1024);
    if (!disk.isMounted())
        return;
    setSaveFolder(small.path() + "/");
    // The floor is passed (the query says there is room) so the writes themselves fail on the full disk.
    // The microphone hands over 40 ms of sound a picture.
    auto microphone = std::make_shared<FakeAudioSource>();
    m_grabber->onGrab = [microphone] { microphone->push(1000, 1280); };
    m_thread->setBackends({m_clock, m_grabber, microphone,
                           std::make_shared<LimitedEncoderFactory>(QByteArrayList{"XVID"})});
    QVERIFY(m_thread->startRecording(0, 320, 180, withSound ? 0 : -2));
    QVERIFY(waitForEnd());
    QCOMPARE(m_thread->errorCode(), int(RECORDING_THREAD_FREE_SPACE_NOT_ENOUGH));
    const QString file = m_thread->recordedFiles().first();
    const AviProbe probe(file);
    QVERIFY(probe.readable());
    QVERIFY(probe.stream("video").value("nb_read_frames").toString().toInt() > 5);
    // Finished as the recording ends, the disk still full: the file has its length, and the start-up repair
    // has nothing left to do.
    QVERIFY(!AviRepair::isUnfinished(file));
    const MediaFileProbe::Result media = MediaFileProbe::probe(file);
    QVERIFY(media.playable);
    QCOMPARE(media.hasAudio, withSound);
    const AviProbe::Contents contents = AviProbe::contents(file);
    QVERIFY2(qAbs(media.durationMs - contents.videoSlots * 40) <= 80,
             qPrintable(QStringLiteral("%1 ms for %2 slots").arg(media.durationMs).arg(contents.videoSlots)));
    if (withSound) {
        QCOMPARE(probe.stream("audio").value("nb_frames").toString().toLongLong(), contents.audioBytes / 4);
        QCOMPARE(qint64(probe.audioSamples().size()), contents.audioBytes);
    }
}

void TestAVIRecordingThread::aSlowEncoderStartSkipsNoSlot_data()
{
    QTest::addColumn<QString>("codec");
    QTest::addColumn<quint32>("microphoneOpenMs");
    QTest::newRow("XviD") << QString() << quint32(0);
    QTest::newRow("the uncompressed retry") << QStringLiteral("DIB ") << quint32(0);
    QTest::newRow("XviD with a microphone slow to open") << QString() << quint32(600);
}

void TestAVIRecordingThread::aSlowEncoderStartSkipsNoSlot()
{
    QFETCH(QString, codec);
    QFETCH(quint32, microphoneOpenMs);
    // As XviD at 1080p on a busy machine: 400 ms to open, 300 ms more for its first frames.
    auto encoders = std::make_shared<SlowStartEncoderFactory>(m_clock, 400, 300);
    auto microphone = std::make_shared<FakeAudioSource>();
    // What the microphone hears while it opens comes before the recorded time.
    constexpr qint16 kBeforeTheStart = 7;
    // By value: a failed check returns while the capture thread may still open the microphone.
    microphone->onStart = [clock = m_clock, microphoneOpenMs, source = microphone.get()] {
        clock->advance(microphoneOpenMs);
        source->push(kBeforeTheStart);
    };
    const int audioDevice = microphoneOpenMs > 0 ? 0 : -2;
    m_thread->setBackends({m_clock, m_grabber, microphone, encoders});
    const bool timerMode = !codec.isEmpty();
    QSemaphore gate;
    // A check failing while the gate is shut must not leave the capture thread waiting for ever.
    const auto openUp = qScopeGuard([&gate] { gate.release(); });
    if (timerMode) {
        // The uncompressed retry's start waits for its first frame, so for the preparation too.
        QVERIFY(m_thread->startRecording(codec, 0, 160, 90, audioDevice));
    } else {
        // The start answers while the encoder is still opening, and nothing is grabbed before it is ready:
        // the recorded time has not begun.
        encoders->openGate = &gate;
        QVERIFY(m_thread->startRecording(0, 160, 90, audioDevice));
        QVERIFY(m_thread->isRecording());
        QCOMPARE(encoders->created.load(), 0);
        QCOMPARE(m_grabber->grabs.load(), 0);
        gate.release();
    }
    QVERIFY(QTest::qWaitFor([this] { return m_grabber->grabs > 40; }, 10000));
    QCOMPARE(encoders->warmedUp.load(), 1);
    QVERIFY(timerMode ? m_thread->stopNow() : m_thread->stopRecording());
    // The set-up took the warmed encoder instead of opening another.
    QCOMPARE(encoders->created.load(), 1);

    const AviProbe probe(m_thread->recordedFiles().first());
    QVERIFY(probe.readable());
    QHash<qint64, AviProbe::Packet> bySlot;
    int pictures = 0;
    const QList<AviProbe::Packet> packets = probe.packets("video");
    for (const AviProbe::Packet &packet : packets) {
        bySlot.insert(packet.pts, packet);
        pictures += packet.size > 0 ? 1 : 0;
    }
    // Each slot of the first second has a picture, from slot 1 on: a file's first frame lands there.
    for (qint64 slot = 1; slot < 25; ++slot)
        QVERIFY2(bySlot.value(slot).size > 0, qPrintable(QStringLiteral("slot %1 has no picture").arg(slot)));
    // The file starts with a key frame, whatever the warm-up left in the encoder.
    QVERIFY(bySlot.value(1).key);
    // Every picture grabbed is in the file and nothing else: the warm-up's blank picture is not.
    QCOMPARE(pictures, m_grabber->grabs.load());
    const QByteArray first = probe.firstFrameRgb();
    QVERIFY(first.size() >= 3);
    // The first grab is plain red-ish (hue 0): far from the warm-up's black.
    QVERIFY2(quint8(first.at(0)) > 150, qPrintable(QStringLiteral("first pixel red %1").arg(quint8(first.at(0)))));
    if (microphoneOpenMs > 0) {
        const QByteArray sound = probe.audioSamples();
        QVERIFY(!sound.isEmpty());
        const auto *samples = reinterpret_cast<const qint16 *>(sound.constData());
        QVERIFY2(std::find(samples, samples + sound.size() / 2, kBeforeTheStart) == samples + sound.size() / 2,
                 "sound from before the recorded time is in the file");
    }
}

void TestAVIRecordingThread::theCountDownPreparesTheRecording()
{
    // As XviD at 1080p on a busy machine, and a microphone slow to open: all of it during the count-down.
    auto encoders = std::make_shared<SlowStartEncoderFactory>(m_clock, 400, 300);
    auto microphone = std::make_shared<FakeAudioSource>();
    auto microphoneOpen = std::make_shared<std::atomic<bool>>(false);
    microphone->onStart = [clock = m_clock, microphoneOpen] {
        clock->advance(600);
        *microphoneOpen = true;
    };
    m_thread->setBackends({m_clock, m_grabber, microphone, encoders});
    QVERIFY(m_thread->prepareRecording(0, 160, 90, 0));
    QVERIFY(QTest::qWaitFor([&] { return encoders->warmedUp == 1 && *microphoneOpen; }, 10000));
    // Nothing is grabbed while the count-down runs.
    QTest::qWait(50);
    QCOMPARE(m_grabber->grabs.load(), 0);
    m_clock->advance(3000);

    auto firstGrabAt = std::make_shared<std::atomic<quint32>>(0);
    m_grabber->onGrab = [clock = m_clock, firstGrabAt] {
        quint32 none = 0;
        firstGrabAt->compare_exchange_strong(none, clock->nowMs());
    };
    const quint32 startAt = m_clock->nowMs();
    QVERIFY(m_thread->startRecording(0, 160, 90, 0));
    QVERIFY(QTest::qWaitFor([this] { return m_grabber->grabs > 50; }, 10000));
    const quint32 stopAt = m_clock->nowMs();
    QVERIFY(m_thread->stopRecording());
    const quint32 stoppedAt = m_clock->nowMs();

    // The recorded time starts as the count-down ends: its first picture is of that moment.
    QVERIFY2(*firstGrabAt - startAt < 40,
             qPrintable(QStringLiteral("first picture %1 ms late").arg(*firstGrabAt - startAt)));
    QCOMPARE(encoders->created.load(), 1);
    const AviProbe probe(m_thread->recordedFiles().first());
    QVERIFY(probe.readable());
    // The file lasts from the start to the stop's request.
    const qint64 videoMs = AviProbe::contents(m_thread->recordedFiles().first()).videoSlots * 40;
    QVERIFY2(videoMs >= qint64(stopAt - startAt) - 40 && videoMs <= qint64(stoppedAt - startAt) + 40,
             qPrintable(QStringLiteral("video %1 ms, recorded %2..%3 ms")
                            .arg(videoMs)
                            .arg(stopAt - startAt)
                            .arg(stoppedAt - startAt)));
    const qint64 soundMs = probe.audioSamples().size() / 32;
    QVERIFY2(qAbs(soundMs - videoMs) <= 40,
             qPrintable(QStringLiteral("sound %1 ms, video %2 ms").arg(soundMs).arg(videoMs)));
}

void TestAVIRecordingThread::aCancelledCountDownLeavesNoFile()
{
    QVERIFY(m_thread->prepareRecording(0, 160, 90, 0));
    const QString file = m_thread->outputFile();
    QVERIFY(QTest::qWaitFor([&file] { return WinAVIRecordingImpl::isBeingWritten(file); }, 10000));
    QVERIFY(m_thread->stopRecording());
    QVERIFY(!m_thread->isRecording());
    QCOMPARE(m_grabber->grabs.load(), 0);
    QVERIFY(!QFileInfo::exists(file));
    QVERIFY(!WinAVIRecordingImpl::isBeingWritten(file));
}

void TestAVIRecordingThread::aSilentMicrophoneIsGivenUp()
{
    // A microphone that opens and then hands over nothing, as a source nobody feeds.
    m_thread->setBackends({m_clock, m_grabber, std::make_shared<FakeAudioSource>(), nullptr});
    QVERIFY(m_thread->startRecording(0, 160, 90, 0));
    QVERIFY(QTest::qWaitFor([this] { return m_thread->microphoneGivenUp(); }, 10000));
    QVERIFY(m_thread->isRecording());
    const int grabs = m_grabber->grabs;
    QVERIFY(QTest::qWaitFor([this, grabs] { return m_grabber->grabs > grabs + 25; }, 10000));
    QVERIFY(m_thread->stopRecording());
    // The recording went on, its sound silence for its whole length.
    const AviProbe probe(m_thread->recordedFiles().first());
    QVERIFY(probe.readable());
    const qint64 videoMs = AviProbe::contents(m_thread->recordedFiles().first()).videoSlots * 40;
    QVERIFY(videoMs > qint64(WinAVIRecordingImpl::kSilentMicrophoneMs));
    const QByteArray sound = probe.audioSamples();
    QVERIFY2(qAbs(sound.size() / 32 - videoMs) <= 40, qPrintable(QString::number(sound.size() / 32)));
    QVERIFY(std::all_of(sound.begin(), sound.end(), [](char byte) { return byte == 0; }));
}

QUILLO_TEST_MAIN_PRIVATE_MOUNTS(TestAVIRecordingThread)
#include "tst_AVIRecordingThread.moc"
