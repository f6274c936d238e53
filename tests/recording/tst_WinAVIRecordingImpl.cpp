#include "AviProbe.h"
#include "RecordingFakes.h"
#include "StampedSound.h"
#include "TestEnvironment.h"
#include "WinAVIRecordingImpl.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

// Drives the writer on a manual clock with a fake screen and microphone.
class TestWinAVIRecordingImpl : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::shared_ptr<ManualClock> m_clock;
    std::shared_ptr<FakeGrabber> m_grabber;
    std::shared_ptr<FakeAudioSource> m_audio;
    std::unique_ptr<WinAVIRecordingImpl> m_writer;

    void makeWriter(std::shared_ptr<VideoEncoderFactory> factory = nullptr)
    {
        m_clock = std::make_shared<ManualClock>();
        m_grabber = std::make_shared<FakeGrabber>(QSize(160, 90));
        m_audio = std::make_shared<FakeAudioSource>();
        m_writer = std::make_unique<WinAVIRecordingImpl>();
        m_writer->setBackends({m_clock, m_grabber, m_audio, factory});
    }
    QString start(const QString &name, int audioDevice = -1)
    {
        const QString file = m_dir.filePath(name);
        m_writer->setFileName(file);
        if (!m_writer->initialize(0, 160, 90, audioDevice))
            return QString();
        return file;
    }
    // Records for ms of clock time: one frame and 40 ms of sound per slot.
    void record(int ms, qint16 sample = 1000)
    {
        for (int t = 0; t < ms; t += 40) {
            m_writer->writeFrame(QString());
            m_clock->advance(40);
            if (t % 128 < 40)
                m_audio->push(sample);
        }
    }

private Q_SLOTS:
    void init() { makeWriter(); }
    void cleanup() { m_writer.reset(); }
    void pauseLeavesNoGap();
    void splitsOnRecordedTime_data();
    void splitsOnRecordedTime();
    void splitExactlyAtFourteenAndAHalfMinutes();
    void theNextFileAfterASplitSkipsNoSlot();
    void soundStreamPresence_data();
    void soundStreamPresence();
    void muteWritesSilenceOfTheSameLength();
    void lostSoundIsReplacedBySilence();
    void soundAheadOfTheClockIsCut();
    void soundLandsAtItsCaptureTime_data();
    void soundLandsAtItsCaptureTime();
    void missingXvidFallsBackToUncompressed();
    void failedNextSegmentEndsWriting();
    void failedRenameKeepsTheRealName();
    void aFrameGrabbedWhileAPauseArrivesIsNotWritten();
};

void TestWinAVIRecordingImpl::pauseLeavesNoGap()
{
    const QString file = start("pause.avi");
    QVERIFY(!file.isEmpty());
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(m_writer->writeFrame(QString()), int(WinAVIRecordingImpl::FRAME_WRITTEN));
        m_audio->push(100);
    }
    QVERIFY(m_writer->togglePause());
    m_clock->advance(10000);
    QCOMPARE(m_writer->writeFrame(QString()), int(WinAVIRecordingImpl::FRAME_NOTHING_WRITTEN));
    for (int i = 0; i < 20; ++i)
        QVERIFY(m_audio->push(5000)); // dropped: the recording is paused
    QVERIFY(!m_writer->togglePause());
    QCOMPARE(m_writer->writeFrame(QString()), int(WinAVIRecordingImpl::FRAME_WRITTEN));
    QVERIFY(m_writer->finalize());

    const AviProbe probe(file);
    QList<qint64> written;
    const QList<AviProbe::Packet> packets = probe.packets("video");
    for (const AviProbe::Packet &packet : packets)
        written.append(packet.pts);
    QCOMPARE(written, (QList<qint64>{1, 2, 3, 4, 5, 6}));
    QVERIFY(!probe.audioSamples().contains(QByteArray("\x88\x13", 2))); // no sample of value 5000
}

void TestWinAVIRecordingImpl::splitsOnRecordedTime_data()
{
    QTest::addColumn<int>("minutesRecorded");
    QTest::addColumn<int>("minutesPaused");
    QTest::addColumn<QStringList>("suffixes");
    QTest::newRow("10 min keeps one name") << 10 << 0 << QStringList{""};
    QTest::newRow("30 min gives three files") << 30 << 0 << QStringList{"_1", "_2", "_3"};
    QTest::newRow("pauses do not count") << 14 << 20 << QStringList{""};
    QTest::newRow("pauses between splits") << 20 << 20 << QStringList{"_1", "_2"};
}

void TestWinAVIRecordingImpl::splitsOnRecordedTime()
{
    QFETCH(int, minutesRecorded);
    QFETCH(int, minutesPaused);
    QFETCH(QStringList, suffixes);
    const QString file = start(QStringLiteral("Quillo-split%1-%2.avi").arg(minutesRecorded).arg(minutesPaused));
    QVERIFY(!file.isEmpty());
    // A frame every 10 s of recorded time; the pause sits in the middle of the recording.
    const int steps = minutesRecorded * 6;
    for (int step = 0; step <= steps; ++step) {
        if (step == steps / 2 && minutesPaused > 0) {
            QVERIFY(m_writer->togglePause());
            m_clock->advance(quint32(minutesPaused) * 60000);
            QVERIFY(!m_writer->togglePause());
        }
        QCOMPARE(m_writer->writeFrame(QString()), int(WinAVIRecordingImpl::FRAME_WRITTEN));
        if (step < steps)
            m_clock->advance(10000 - 40);
    }
    QVERIFY(m_writer->finalize());
    QStringList expected;
    const QFileInfo first(file);
    for (const QString &suffix : suffixes)
        expected.append(first.dir().filePath(first.completeBaseName() + suffix + ".avi"));
    QCOMPARE(m_writer->recordedFiles(), expected);
    for (const QString &name : expected) {
        const AviProbe probe(name);
        QVERIFY2(probe.readable(), qPrintable(name));
        // Each file starts its own grid: frame 1 at 40 ms.
        QCOMPARE(probe.packets("video").first().pts, qint64(1));
    }
    QVERIFY(!QFileInfo::exists(file) || suffixes == QStringList{""});
}

void TestWinAVIRecordingImpl::splitExactlyAtFourteenAndAHalfMinutes()
{
    QVERIFY(!start("edge.avi").isEmpty());
    QCOMPARE(m_writer->writeFrame(QString()), int(WinAVIRecordingImpl::FRAME_WRITTEN)); // clock now at 40 ms
    m_clock->advance(WinAVIRecordingImpl::kSegmentMs - 1 - 40);
    m_writer->writeFrame(QString());
    QCOMPARE(m_writer->recordedFiles().size(), 1);
    m_clock->advance(1);
    m_writer->writeFrame(QString());
    QCOMPARE(m_writer->recordedFiles().size(), 2);
    QVERIFY(m_writer->recordedFiles().last().endsWith("edge_2.avi"));
    m_writer->finalize();
}

void TestWinAVIRecordingImpl::theNextFileAfterASplitSkipsNoSlot()
{
    // Every new encoder takes 400 ms to open and 300 ms more for its first frames.
    auto encoders = std::make_shared<SlowStartEncoderFactory>(m_clock, 400, 300);
    m_writer->setBackends({m_clock, m_grabber, m_audio, encoders});
    QVERIFY(!start("split-start.avi", WinAVIRecordingImpl::kNoAudio).isEmpty());
    m_writer->prepareVideo(QString());
    QCOMPARE(m_writer->writeFrame(QString()), int(WinAVIRecordingImpl::FRAME_WRITTEN));
    m_clock->advance(WinAVIRecordingImpl::kSegmentMs - 1000);
    // The capture loop's own steps, over the split and more than a second beyond it.
    for (int frame = 0; frame < 80; ++frame) {
        QCOMPARE(m_writer->writeFrame(QString()), int(WinAVIRecordingImpl::FRAME_WRITTEN));
        m_writer->sleepUntilNextSlot();
    }
    QVERIFY(m_writer->finalize());
    QCOMPARE(m_writer->recordedFiles().size(), 2);
    QCOMPARE(encoders->created.load(), 2);
    QCOMPARE(encoders->warmedUp.load(), 2);
    QSet<qint64> pictures;
    const QList<AviProbe::Packet> packets = AviProbe(m_writer->recordedFiles().last()).packets("video");
    for (const AviProbe::Packet &packet : packets) {
        if (packet.size > 0)
            pictures.insert(packet.pts);
    }
    for (qint64 slot = 1; slot < 25; ++slot)
        QVERIFY2(pictures.contains(slot), qPrintable(QStringLiteral("slot %1 has no picture").arg(slot)));
}

void TestWinAVIRecordingImpl::soundStreamPresence_data()
{
    QTest::addColumn<int>("audioDevice");
    QTest::addColumn<bool>("microphone");
    QTest::addColumn<int>("streams");
    QTest::newRow("default microphone") << -1 << true << 2;
    QTest::newRow("no sound asked for") << -2 << true << 1;
    QTest::newRow("no microphone here") << -1 << false << 1;
}

void TestWinAVIRecordingImpl::soundStreamPresence()
{
    QFETCH(int, audioDevice);
    QFETCH(bool, microphone);
    QFETCH(int, streams);
    m_audio->available = microphone;
    const QString file = start(QStringLiteral("sound%1%2.avi").arg(audioDevice).arg(microphone), audioDevice);
    record(2000);
    QVERIFY(m_writer->finalize());
    const AviProbe probe(file);
    QCOMPARE(probe.streams().size(), streams);
    QCOMPARE(probe.streams().first().value("codec_type").toString(), QStringLiteral("video"));
    QVERIFY(probe.stream("video").value("nb_read_frames").toString().toInt() >= 49);
}

void TestWinAVIRecordingImpl::muteWritesSilenceOfTheSameLength()
{
    const QString file = start("mute.avi");
    record(1280, 3000);
    m_writer->setMute(true);
    record(1280, 3000);
    QVERIFY(m_writer->finalize());
    const QByteArray samples = AviProbe(file).audioSamples();
    // 2.56 s of sound: the first half holds the signal, the muted half zeros.
    QVERIFY(qAbs(samples.size() - 2560 * 32) <= 4096);
    const QByteArray firstHalf = samples.left(1280 * 32 - 4096);
    const QByteArray secondHalf = samples.mid(1280 * 32 + 4096);
    QVERIFY(!firstHalf.contains(QByteArray(4, '\0')));
    QCOMPARE(secondHalf, QByteArray(secondHalf.size(), '\0'));
}

void TestWinAVIRecordingImpl::lostSoundIsReplacedBySilence()
{
    const QString file = start("lost.avi");
    record(1280, 2000);
    // One second of the microphone's sound never arrives.
    for (int t = 0; t < 1000; t += 40) {
        m_writer->writeFrame(QString());
        m_clock->advance(40);
    }
    record(1280, 2000);
    QVERIFY(m_writer->finalize());
    const QByteArray samples = AviProbe(file).audioSamples();
    // The sound lasts as long as the picture: 3.56 s within one block.
    QVERIFY2(qAbs(samples.size() - 3560 * 32) <= 4096, qPrintable(QString::number(samples.size())));
    // The sound after the gap sits at its own time (from 2.28 s on), not right after the first part.
    const qsizetype resumed = samples.indexOf(QByteArray("\xd0\x07", 2), 1280 * 32 + 8192);
    QVERIFY2(qAbs(resumed - 2280 * 32) <= 4096, qPrintable(QString::number(resumed)));
}

void TestWinAVIRecordingImpl::soundAheadOfTheClockIsCut()
{
    const QString file = start("ahead.avi");
    QCOMPARE(m_writer->writeFrame(QString()), int(WinAVIRecordingImpl::FRAME_WRITTEN));
    // Two seconds of sound within 40 ms of clock time.
    for (int i = 0; i < 16; ++i)
        m_audio->push(700);
    QVERIFY(m_writer->finalize());
    QVERIFY(AviProbe(file).audioSamples().size() <= 40 * 32 + 4096);
}

void TestWinAVIRecordingImpl::soundLandsAtItsCaptureTime_data()
{
    // Times in ms from the start call. The device captures from soundFrom on, hands its sound over in
    // blocks once each is complete, and captures nothing from gapFrom for gapMs; the user pauses from
    // pauseFrom for pauseMs; the stop comes at stopAt.
    QTest::addColumn<int>("openMs");
    QTest::addColumn<int>("soundFrom");
    QTest::addColumn<int>("blockMs");
    QTest::addColumn<int>("gapFrom");
    QTest::addColumn<int>("gapMs");
    QTest::addColumn<int>("pauseFrom");
    QTest::addColumn<int>("pauseMs");
    QTest::addColumn<int>("stopAt");
    QTest::newRow("ready device, small blocks") << 0 << 0 << 10 << 0 << 0 << 0 << 0 << 3000;
    QTest::newRow("slow open, sound from the start") << 1500 << 0 << 128 << 0 << 0 << 0 << 0 << 3000;
    QTest::newRow("quick open, first sound late") << 20 << 1400 << 128 << 0 << 0 << 0 << 0 << 3000;
    QTest::newRow("slow open, first sound later") << 2000 << 4000 << 40 << 0 << 0 << 0 << 0 << 6000;
    QTest::newRow("two-second blocks") << 100 << 0 << 2000 << 0 << 0 << 0 << 0 << 8100;
    QTest::newRow("two-second blocks, stopped inside one") << 100 << 0 << 2000 << 0 << 0 << 0 << 0 << 3000;
    QTest::newRow("one second without sound") << 0 << 0 << 128 << 1000 << 1000 << 0 << 0 << 4000;
    QTest::newRow("pause inside a large block") << 0 << 0 << 2000 << 0 << 0 << 2500 << 1000 << 7000;
    QTest::newRow("pause, small blocks, slow open") << 800 << 0 << 64 << 0 << 0 << 1500 << 700 << 4000;
}

void TestWinAVIRecordingImpl::soundLandsAtItsCaptureTime()
{
    QFETCH(int, openMs);
    QFETCH(int, soundFrom);
    QFETCH(int, blockMs);
    QFETCH(int, gapFrom);
    QFETCH(int, gapMs);
    QFETCH(int, pauseFrom);
    QFETCH(int, pauseMs);
    QFETCH(int, stopAt);
    constexpr int kStepMs = 10;
    // Every sample frame names the millisecond it was captured in (left channel) beside a marker (right),
    // so the file shows where each piece of sound landed.
    const quint32 origin = m_clock->nowMs();
    int nextBlock = soundFrom;
    QList<int> delivered;
    auto deliverCaptured = [&] {
        const int now = int(m_clock->nowMs() - origin);
        while (nextBlock + blockMs <= now) {
            if (gapMs > 0 && nextBlock + blockMs > gapFrom && nextBlock < gapFrom + gapMs) {
                nextBlock = qMax(nextBlock + blockMs, gapFrom + gapMs);
                continue;
            }
            m_audio->pushAt(StampedSound::block(nextBlock, blockMs), origin + quint32(nextBlock));
            for (int ms = nextBlock; ms < nextBlock + blockMs; ++ms)
                delivered.append(ms);
            nextBlock += blockMs;
        }
    };
    m_audio->onStart = [&] {
        for (int t = 0; t < openMs; t += kStepMs) {
            m_clock->advance(kStepMs);
            deliverCaptured();
        }
    };
    const QString file = start(QStringLiteral("timing.avi"));
    QVERIFY(!file.isEmpty());
    QCOMPARE(m_writer->writeFrame(QString()), int(WinAVIRecordingImpl::FRAME_WRITTEN));
    quint32 lastFrame = m_clock->nowMs();
    while (int(m_clock->nowMs() - origin) < stopAt) {
        m_clock->advance(kStepMs);
        const int now = int(m_clock->nowMs() - origin);
        deliverCaptured();
        if (pauseMs > 0 && (now == pauseFrom || now == pauseFrom + pauseMs))
            m_writer->togglePause();
        if (m_clock->nowMs() - lastFrame >= 40) {
            m_writer->writeFrame(QString());
            lastFrame = m_clock->nowMs();
        }
    }
    QVERIFY(m_writer->finalize());

    auto recordedAt = [&](int captured) -> int {
        if (pauseMs > 0 && captured >= pauseFrom + pauseMs)
            return captured - pauseMs;
        if (pauseMs > 0 && captured >= pauseFrom)
            return -1;
        return captured;
    };
    const int recordedMs = stopAt - pauseMs;
    const QByteArray samples = AviProbe(file).audioSamples();
    const qint64 frames = samples.size() / 4;
    QVERIFY2(qAbs(frames / 8 - recordedMs) <= 40, qPrintable(QStringLiteral("sound lasts %1 ms").arg(frames / 8)));
    const qint64 videoMs = AviProbe::contents(file).videoSlots * 40;
    QVERIFY2(qAbs(videoMs - recordedMs) <= 40, qPrintable(QStringLiteral("video lasts %1 ms").arg(videoMs)));
    // Each piece of sound sits within 40 ms of its moment, and every delivered millisecond is there.
    QSet<int> found;
    const QList<StampedSound::Place> places = StampedSound::places(samples);
    for (const StampedSound::Place &place : places) {
        const int expected = recordedAt(place.capturedMs);
        QVERIFY2(expected >= 0,
                 qPrintable(QStringLiteral("sound captured at %1 ms, in a pause").arg(place.capturedMs)));
        QVERIFY2(qAbs(place.fileMs - expected) <= 40,
                 qPrintable(
                     QStringLiteral("sound captured at %1 ms lies at %2 ms").arg(place.capturedMs).arg(place.fileMs)));
        found.insert(place.capturedMs);
    }
    for (const int captured : std::as_const(delivered)) {
        if (recordedAt(captured) < 0 || captured >= stopAt)
            continue;
        QVERIFY2(found.contains(captured), qPrintable(QStringLiteral("sound of %1 ms is missing").arg(captured)));
    }
}

void TestWinAVIRecordingImpl::missingXvidFallsBackToUncompressed()
{
    makeWriter(std::make_shared<LimitedEncoderFactory>(QByteArrayList{"XVID"}));
    const QString file = start("dib.avi", -2);
    QCOMPARE(m_writer->writeFrame(QString()), int(WinAVIRecordingImpl::FRAME_WRITTEN));
    QCOMPARE(m_writer->writeFrame(QString()), int(WinAVIRecordingImpl::FRAME_WRITTEN));
    QVERIFY(m_writer->finalize());
    const AviProbe probe(file);
    QCOMPARE(probe.stream("video").value("codec_name").toString(), QStringLiteral("rawvideo"));
    QCOMPARE(probe.stream("video").value("nb_read_frames").toString().toInt(), 2);
}

void TestWinAVIRecordingImpl::failedNextSegmentEndsWriting()
{
    const QString file = start("blocked.avi");
    // A folder where the next file should go keeps it from being created.
    QVERIFY(QDir().mkpath(m_dir.filePath("blocked_2.avi")));
    record(400);
    m_clock->advance(WinAVIRecordingImpl::kSegmentMs);
    QCOMPARE(m_writer->writeFrame(QString()), int(WinAVIRecordingImpl::FRAME_WRITER_FAILED));
    QCOMPARE(m_writer->writeFrame(QString()), int(WinAVIRecordingImpl::FRAME_WRITER_FAILED));
    QVERIFY(m_writer->finalize());
    QCOMPARE(m_writer->recordedFiles(), QStringList{file});
    const AviProbe probe(file);
    QVERIFY(probe.readable());
    QCOMPARE(probe.stream("video").value("nb_read_frames").toString().toInt(), 10);
}

void TestWinAVIRecordingImpl::failedRenameKeepsTheRealName()
{
    const QString file = start("rename.avi", -2);
    QVERIFY(QDir().mkpath(m_dir.filePath("rename_1.avi/occupied")));
    record(200);
    m_clock->advance(WinAVIRecordingImpl::kSegmentMs);
    record(200);
    QVERIFY(m_writer->finalize());
    const QStringList files = m_writer->recordedFiles();
    QCOMPARE(files, (QStringList{file, m_dir.filePath("rename_2.avi")}));
    for (const QString &name : files)
        QVERIFY(AviProbe(name).readable());
}

// The pause comes from the GUI thread while the frame thread grabs: that picture belongs to no slot of the
// recording and is dropped, and the recording goes on after the resume without a gap.
void TestWinAVIRecordingImpl::aFrameGrabbedWhileAPauseArrivesIsNotWritten()
{
    const QString file = start("pauseDuringGrab.avi");
    QVERIFY(!file.isEmpty());
    for (int i = 0; i < 3; ++i)
        QCOMPARE(m_writer->writeFrame(QString()), int(WinAVIRecordingImpl::FRAME_WRITTEN));
    bool pauseInGrab = true;
    m_grabber->onGrab = [&] {
        if (std::exchange(pauseInGrab, false))
            QVERIFY(m_writer->togglePause());
    };
    QCOMPARE(m_writer->writeFrame(QString()), int(WinAVIRecordingImpl::FRAME_NOTHING_WRITTEN));
    QVERIFY(m_writer->isPaused());
    m_clock->advance(5000);
    QVERIFY(!m_writer->togglePause());
    QCOMPARE(m_writer->writeFrame(QString()), int(WinAVIRecordingImpl::FRAME_WRITTEN));
    QVERIFY(m_writer->finalize());

    QList<qint64> written;
    const QList<AviProbe::Packet> packets = AviProbe(file).packets("video");
    for (const AviProbe::Packet &packet : packets)
        written.append(packet.pts);
    QCOMPARE(written, (QList<qint64>{1, 2, 3, 4}));
}

QUILLO_TEST_MAIN(TestWinAVIRecordingImpl)
#include "tst_WinAVIRecordingImpl.moc"
