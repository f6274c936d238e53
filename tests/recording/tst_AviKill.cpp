#include "AudioInputs.h"
#include "AviProbe.h"
#include "AviRepair.h"
#include "LumoSystem.h"
#include "StampedSound.h"
#include "TestEnvironment.h"
#include "TestMedia.h"

#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

// A recording killed at an awkward moment leaves files that play, and the start-up repair makes them whole.
class TestAviKill : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killedRecordingStaysPlayable_data();
    void killedRecordingStaysPlayable();
    void soundHandedOverBeforeAKillIsKept_data();
    void soundHandedOverBeforeAKillIsKept();
    void soundOfABlockMicrophoneIsKeptUpToTheKill_data();
    void soundOfABlockMicrophoneIsKeptUpToTheKill();
    void aRepairCutShortKeepsTheOriginal();
    void nothingRecoverableIsSetAside_data();
    void nothingRecoverableIsSetAside();
};

namespace {

// The killed file and its repaired copy need room side by side: 1.25 GB each, and some to spare.
constexpr qint64 kSpaceForLargeFile = qint64(3) << 30;

int intValue(const QJsonObject &stream, const char *key)
{
    return stream.value(QLatin1String(key)).toString().toInt();
}

// Cuts the file half-way through the data of its last picture, as a kill while it is written would, and
// checks that skipped slots came before it.
bool cutInsideLastPicture(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const qint64 fileSize = file.size();
    qint64 lastPicture = -1;
    quint32 lastPictureSize = 0;
    bool skippedSlotBefore = false;
    bool skippedSlot = false;
    for (qint64 offset = 0; offset + 8 <= fileSize;) {
        file.seek(offset);
        const QByteArray header = file.read(8);
        const QByteArray id = header.left(4);
        const quint32 size = qFromLittleEndian<quint32>(header.constData() + 4);
        if (id == "RIFF" || id == "LIST") {
            offset += 12;
            continue;
        }
        if (id == "00dc" && size == 0) {
            skippedSlot = true;
        } else if (id == "00dc" && offset + 8 + size <= fileSize) {
            lastPicture = offset;
            lastPictureSize = size;
            skippedSlotBefore = skippedSlot;
            skippedSlot = false;
        }
        offset += 8 + qint64(size) + (size & 1);
    }
    return lastPicture > 0 && lastPictureSize > 1 && skippedSlotBefore
           && file.resize(lastPicture + 8 + lastPictureSize / 2);
}

bool pactl(const QStringList &arguments, QByteArray *output = nullptr)
{
    QProcess process;
    process.start(QStringLiteral("pactl"), arguments);
    const bool ok = process.waitForFinished(10000) && process.exitCode() == 0;
    if (output)
        *output = process.readAllStandardOutput().trimmed();
    return ok;
}

double doubleValue(const QJsonObject &stream, const char *key)
{
    return stream.value(QLatin1String(key)).toString().toDouble();
}

} // namespace

void TestAviKill::killedRecordingStaysPlayable_data()
{
    QTest::addColumn<QString>("speed");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QStringList>("format"); // size and codec; empty: the recorder's own choice
    QTest::addColumn<QByteArray>("killAfter");
    QTest::addColumn<QString>("codecTag");
    QTest::addColumn<bool>("cutLastPicture");

    QTest::newRow("mid-segment") << "1"
                                 << "run" << QStringList() << QByteArray("frames 50") << "XVID" << false;
    QTest::newRow("just after a split") << "600"
                                        << "run" << QStringList() << QByteArray("files 2") << "XVID" << false;
    QTest::newRow("during stop") << "1"
                                 << "stop" << QStringList() << QByteArray("stopping") << "XVID" << false;
    // Killed in the middle of writing a picture that follows skipped slots: the slots are the recording's
    // time and stay, only the cut picture goes.
    QTest::newRow("inside a picture after skipped slots")
        << "25"
        << "gaps" << QStringList() << QByteArray("frames 25") << "XVID" << true;
    // Uncompressed 1080p frames (6.2 MB each) pass the first gigabyte after 173 frames. The clock runs fast
    // enough that most slots are skipped: sound and pictures then lie far apart in the file, which once made
    // the repair's reader follow the first list's index and drop the rest. It runs slow enough that the
    // recording stays in its first file even where a frame takes a sanitized build's 300 ms and more:
    // 200 frames then reach 5 of the 14.5 minutes after which a recording goes on in a new file.
    QTest::newRow("past the first gigabyte")
        << "5"
        << "run" << QStringList{"1920x1080", "DIB "} << QByteArray("frames 200") << "[0][0][0][0]" << false;
}

void TestAviKill::killedRecordingStaysPlayable()
{
    QFETCH(QString, speed);
    QFETCH(QString, mode);
    QFETCH(QStringList, format);
    QFETCH(QByteArray, killAfter);
    QFETCH(QString, codecTag);
    QFETCH(bool, cutLastPicture);
    QTemporaryDir dir;
    const bool large = !format.isEmpty();
    if (large && LumoSystem::freeSpace(dir.path()) < kSpaceForLargeFile)
        QSKIP("needs 3 GiB free for a recording past the first gigabyte and its repaired copy");
    QProcess helper;
    helper.start(QCoreApplication::applicationDirPath() + "/aviRecordHelper",
                 QStringList{dir.filePath("Quillo-kill.avi"), speed, mode} + format);
    QVERIFY(helper.waitForStarted());
    QByteArray output;
    QVERIFY(QTest::qWaitFor(
        [&] {
            helper.waitForReadyRead(50);
            output += helper.readAllStandardOutput();
            return output.contains(killAfter) || helper.state() == QProcess::NotRunning;
        },
        // Writing more than a gigabyte takes a sanitized build about a minute.
        large ? 180000 : 60000));
    QVERIFY2(helper.state() == QProcess::Running, output.constData());
    helper.kill(); // SIGKILL
    QVERIFY(helper.waitForFinished());

    const QStringList names = QDir(dir.path()).entryList({"*.avi"}, QDir::Files, QDir::Name);
    QVERIFY(!names.isEmpty());
    if (cutLastPicture)
        QVERIFY(cutInsideLastPicture(dir.filePath(names.last())));
    QHash<QString, AviProbe::Contents> written;
    QHash<QString, int> readBefore;
    for (const QString &name : names) {
        const QString path = dir.filePath(name);
        const AviProbe probe(path);
        QVERIFY2(probe.readable(), qPrintable(name));
        QVERIFY2(intValue(probe.stream("video"), "nb_read_frames") > 0, qPrintable(name));
        written.insert(name, AviProbe::contents(path));
        readBefore.insert(name, intValue(probe.stream("video"), "nb_read_frames"));
    }
    // Killed while running or inside the stop: the last file was never finished.
    const QString last = dir.filePath(names.last());
    QVERIFY(AviRepair::isUnfinished(last));
    if (large) {
        QCOMPARE(names.size(), 1);
        QVERIFY2(written.value(names.last()).riffLists > 1, "the recording was killed before the first gigabyte");
    }

    AviRepair::repairFolder(dir.path());
    for (const QString &name : names) {
        const QString path = dir.filePath(name);
        QVERIFY2(!AviRepair::isUnfinished(path), qPrintable(name));
        // Every frame, skipped slot and byte of sound the recording got to write is still there...
        const AviProbe::Contents before = written.value(name);
        const AviProbe::Contents after = AviProbe::contents(path);
        QCOMPARE(after.videoFrames, before.videoFrames);
        QCOMPARE(after.videoSlots, before.videoSlots);
        QCOMPARE(after.audioBytes, before.audioBytes);
        // ...and a player reading the file through its header and index finds all of it.
        const AviProbe probe(path);
        const QJsonObject video = probe.stream("video");
        const QJsonObject audio = probe.stream("audio");
        QCOMPARE(video.value("codec_tag_string").toString(), codecTag);
        QCOMPARE(intValue(video, "nb_read_frames"), int(before.videoFrames));
        // (A player may show some of a cut picture; the repair drops it.)
        const bool cut = cutLastPicture && name == names.last();
        QVERIFY(intValue(video, "nb_read_frames") >= readBefore.value(name) - (cut ? 1 : 0));
        QCOMPARE(intValue(video, "nb_frames"), int(before.videoSlots));
        QCOMPARE(audio.value("codec_name").toString(), QStringLiteral("pcm_s16le"));
        QCOMPARE(qint64(probe.audioSamples().size()), before.audioBytes);
        // The header's lengths are those of the slots and sound written: 40 ms a slot, 4 bytes a sample frame.
        QCOMPARE(qRound(doubleValue(video, "duration") * 1000), int(before.videoSlots * 40));
        QCOMPARE(qint64(intValue(audio, "nb_frames")) * 4, before.audioBytes);
    }
}

void TestAviKill::soundHandedOverBeforeAKillIsKept_data()
{
    QTest::addColumn<int>("blockMs");
    QTest::addColumn<int>("openMs");
    QTest::newRow("small blocks") << 128 << 0;
    // A device that hands over two seconds at a time: a kill inside the second block must keep the first.
    QTest::newRow("two-second blocks") << 2000 << 100;
    // Sound handed over while the microphone still opens waits for the writer and is kept all the same.
    QTest::newRow("blocks during a slow open") << 500 << 1200;
}

// The recording is killed about 3 s after its start; the start-up repair then finds in the file every
// sample the microphone had handed over, at the moment it was captured.
void TestAviKill::soundHandedOverBeforeAKillIsKept()
{
    QFETCH(int, blockMs);
    QFETCH(int, openMs);
    constexpr int kKillAfterMs = 3000;
    // Sound is placed by its capture time to within the writer's own slack, well inside one picture slot.
    constexpr int kPlacementMs = 40;
    QTemporaryDir dir;
    const QString file = dir.filePath("Quillo-2026-01-05_10-00-00.avi");
    QProcess helper;
    helper.start(QCoreApplication::applicationDirPath() + "/aviRecordHelper",
                 QStringList{file, "1", "sound", QString::number(blockMs), QString::number(openMs)});
    QVERIFY(helper.waitForStarted());
    QByteArray output;
    auto readOutput = [&] {
        helper.waitForReadyRead(50);
        output += helper.readAllStandardOutput();
        return helper.state() == QProcess::NotRunning;
    };
    QVERIFY(QTest::qWaitFor([&] { return readOutput() || output.contains("recording"); }, 30000));
    QVERIFY(!QTest::qWaitFor([&] { return readOutput(); }, kKillAfterMs));
    helper.kill(); // SIGKILL
    QVERIFY(helper.waitForFinished());
    output += helper.readAllStandardOutput();

    // The end of the sound the writer had been handed when the kill came.
    int handedOver = 0;
    const QList<QByteArray> lines = output.split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith("sound "))
            handedOver = qMax(handedOver, line.mid(6).toInt());
    }
    QVERIFY2(handedOver >= blockMs, output.constData());

    QVERIFY(AviRepair::isUnfinished(file));
    QCOMPARE(AviRepair::repairRecordings(dir.path(), QDateTime::currentDateTime().addSecs(1), {}), 1);
    QVERIFY(!AviRepair::isUnfinished(file));
    const AviProbe probe(file);
    QVERIFY(probe.readable());
    const QByteArray samples = probe.audioSamples();
    const qint64 frames = samples.size() / 4;
    QCOMPARE(qint64(intValue(probe.stream("audio"), "nb_frames")), frames);
    // Nothing beyond the one block that may have been on its way when the kill came.
    const qint64 soundMs = frames / 8;
    QVERIFY2(soundMs >= handedOver - kPlacementMs && soundMs <= handedOver + blockMs + kPlacementMs,
             qPrintable(QStringLiteral("%1 ms of sound in the file, %2 ms handed over").arg(soundMs).arg(handedOver)));
    QSet<int> found;
    const QList<StampedSound::Place> places = StampedSound::places(samples);
    for (const StampedSound::Place &place : places) {
        QVERIFY2(qAbs(place.fileMs - place.capturedMs) <= kPlacementMs,
                 qPrintable(
                     QStringLiteral("sound captured at %1 ms lies at %2 ms").arg(place.capturedMs).arg(place.fileMs)));
        found.insert(place.capturedMs);
    }
    // The first milliseconds may precede the writer's start by the time the helper took to call it.
    for (int captured = kPlacementMs; captured < handedOver; ++captured)
        QVERIFY2(found.contains(captured), qPrintable(QStringLiteral("sound of %1 ms is missing").arg(captured)));
}

void TestAviKill::soundOfABlockMicrophoneIsKeptUpToTheKill_data()
{
    QTest::addColumn<int>("killAfterMs");
    QTest::newRow("killed after 3 s") << 3000;
    QTest::newRow("killed after 8 s") << 8000;
}

// The program's own microphone on a sound server's input that hands over two seconds of sound at a time,
// opened during the count-down, the recording killed a while after the count-down's end: the repaired file
// holds the sound from the start up to the last block the input had handed over, each at its time, so that
// the sound is short of the pictures by no more than the one block still on its way.
void TestAviKill::soundOfABlockMicrophoneIsKeptUpToTheKill()
{
    QFETCH(int, killAfterMs);
    if (qEnvironmentVariableIsEmpty("QUILLO_TEST_PULSE") || qEnvironmentVariableIsEmpty("QUILLO_TEST_PULSE_SERVER"))
        QSKIP("needs the sound server of the test script");
    // The sound server's sine source delivers its sound in blocks of this length.
    constexpr qint64 kBlockMs = 2000;
    // Beyond the block: the microphone's reading interval and a loaded machine's delays in handing over and
    // writing, and the kill coming a few slots after the test's own wait.
    constexpr qint64 kSlackMs = 400;
    // The count-down the program opens the microphone in.
    constexpr int kCountDownMs = 3000;
    const QString description = QStringLiteral("QuilloKillBlockMicrophone");
    // The test's own runtime folder hides the server; its address is given instead, also to the helper.
    qputenv("PULSE_SERVER", qgetenv("QUILLO_TEST_PULSE_SERVER"));
    QByteArray module;
    QVERIFY2(pactl({"load-module", "module-sine-source", "source_name=quillo_kill_sine", "rate=8000", "frequency=440",
                    "source_properties=device.description=" + description},
                   &module),
             "cannot load a sine source");
    const auto unload = qScopeGuard([&module] { pactl({"unload-module", QString::fromLatin1(module)}); });
    QTRY_VERIFY_WITH_TIMEOUT(AudioInputs::indexOf(description) >= 0, 10000);

    QTemporaryDir dir;
    const QString file = dir.filePath("Quillo-2026-01-05_11-00-00.avi");
    QProcess helper;
    helper.start(QCoreApplication::applicationDirPath() + "/aviRecordHelper",
                 QStringList{file, "1", "microphone", description, QString::number(kCountDownMs)});
    QVERIFY(helper.waitForStarted());
    QByteArray output;
    auto readOutput = [&] {
        helper.waitForReadyRead(20);
        output += helper.readAllStandardOutput();
        return helper.state() == QProcess::NotRunning;
    };
    QVERIFY(QTest::qWaitFor([&] { return readOutput() || output.contains("recording"); }, 30000));
    QVERIFY2(helper.state() == QProcess::Running, output.constData());
    QVERIFY(!QTest::qWaitFor([&] { return readOutput(); }, killAfterMs));
    helper.kill(); // SIGKILL
    QVERIFY(helper.waitForFinished());

    QCOMPARE(AviRepair::repairRecordings(dir.path(), QDateTime::currentDateTime().addSecs(1), {}), 1);
    const AviProbe probe(file);
    QVERIFY(probe.readable());
    const qint64 videoMs = AviProbe::contents(file).videoSlots * 40;
    const QByteArray sound = probe.audioSamples();
    const auto *samples = reinterpret_cast<const qint16 *>(sound.constData());
    const qint64 frames = sound.size() / 4;
    const qint64 soundMs = frames / 8;
    // The tone is louder than this but where it crosses zero; a run of quiet samples longer than its period
    // is a gap.
    constexpr int kQuiet = 300;
    qint64 firstHeard = -1;
    qint64 quiet = 0;
    qint64 longestQuiet = 0;
    for (qint64 frame = 0; frame < frames; ++frame) {
        if (qAbs(samples[2 * frame]) > kQuiet) {
            if (firstHeard < 0)
                firstHeard = frame;
            quiet = 0;
        } else if (firstHeard >= 0) {
            longestQuiet = qMax(longestQuiet, ++quiet);
        }
    }
    qInfo("killed %d ms after the start: video %lld ms, sound %lld ms, tone from %lld ms, longest gap %lld ms",
          killAfterMs, videoMs, soundMs, firstHeard / 8, longestQuiet / 8);
    QVERIFY2(videoMs >= killAfterMs - 40, "pictures are missing");
    QVERIFY2(soundMs <= videoMs + 40, "sound past the pictures");
    QVERIFY2(videoMs - soundMs <= kBlockMs + kSlackMs, "sound handed over before the kill is missing");
    // From the start on, without gaps: the sound of the count-down's end is at the file's start.
    QVERIFY2(firstHeard >= 0 && firstHeard / 8 <= 40, "the tone is missing from the start");
    QVERIFY2(longestQuiet / 8 <= 40, "the sound has a gap");
}

// A repair whose read stops before the end of the file (an I/O error, or a cancel at quitting) must not
// replace the recording with the part it got to read.
void TestAviKill::aRepairCutShortKeepsTheOriginal()
{
    QTemporaryDir dir;
    const QString recording = TestMedia::writeUnfinishedAvi(dir.path(), "Quillo-cut.avi", 2.0);
    QVERIFY(!recording.isEmpty());
    QVERIFY(AviRepair::isUnfinished(recording));
    QFile file(recording);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray original = file.readAll();
    file.close();

    // How often a whole repair looks at its cancel check, on a copy.
    const QString copy = dir.filePath("Quillo-copy.avi");
    QVERIFY(QFile::copy(recording, copy));
    int checks = 0;
    QVERIFY(AviRepair::repair(copy, [&checks] {
        ++checks;
        return false;
    }));
    QVERIFY(checks > 10);

    // The read stops half-way through the file.
    int calls = 0;
    QVERIFY(!AviRepair::repair(recording, [&calls, checks] { return ++calls > checks / 2; }));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), original);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

void TestAviKill::nothingRecoverableIsSetAside_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("setAside");
    QTest::newRow("empty") << "empty" << true;
    QTest::newRow("cut inside the first header") << "cut header" << true;
    QTest::newRow("headers without a chunk") << "headers" << true;
    QTest::newRow("someone else's file") << "text" << false;
}

void TestAviKill::nothingRecoverableIsSetAside()
{
    // A recording killed before its first chunk reached the disk: the start-up repair sets it aside under
    // a name the user finds, so the library lists no entry that cannot play.
    QFETCH(QString, kind);
    QFETCH(bool, setAside);
    QTemporaryDir dir;
    const QString name = dir.filePath("Quillo-2026-01-02_03-04-05.avi");
    QByteArray content;
    if (kind == "cut header") {
        content = QByteArrayLiteral("RIFF\xff\xff");
    } else if (kind == "headers") {
        const QString whole = TestMedia::writeUnfinishedAvi(dir.path(), "whole.avi", 1.0);
        QFile file(whole);
        QVERIFY(file.open(QIODevice::ReadOnly));
        content = file.readAll();
        const qsizetype movi = content.indexOf("movi");
        QVERIFY(movi > 0);
        content.truncate(movi + 4);
        file.close();
        QVERIFY(QFile::remove(whole));
    } else if (kind == "text") {
        content = "not a recording";
    }
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    QCOMPARE(AviRepair::isUnrecoverable(name), setAside);
    QCOMPARE(AviRepair::repairRecordings(dir.path(), QDateTime::currentDateTime().addSecs(1), {}), 0);
    QCOMPARE(QFileInfo::exists(name), !setAside);
    QCOMPARE(QFileInfo::exists(AviRepair::setAsideName(name)), setAside);
    if (setAside) {
        QVERIFY(AviRepair::setAsideName(name).startsWith(name));
        QVERIFY(!AviRepair::setAsideName(name).endsWith(".avi"));
    }
}

QUILLO_TEST_MAIN(TestAviKill)
#include "tst_AviKill.moc"
