// Records with a synthetic screen and microphone until it is killed, for the tests of killed recordings.
// Usage: aviRecordHelper <first file> <clock speed> <mode: run | stop | gaps> [<width>x<height> <codec>]
//        aviRecordHelper <first file> <clock speed> sound <block ms> <open ms>
//        aviRecordHelper <first file> 1 microphone <input description> <count-down ms>
// (without a size and codec: 320x180 with the recorder's own codec choice)
// Prints "frames N" every 25 frames, "files N" when a new file is opened; in stop mode it stops after 30
// frames and prints "stopping" from inside the stop, which then waits there to be killed; in gaps mode every
// picture comes after a run of skipped slots. In sound mode the microphone takes open ms to open and hands
// its sound over from a thread of its own, a block of block ms of stamped sound once each is captured. It prints
// "recording" just before the start and "sound N" once the sound up to N ms is handed to the writer. In
// microphone mode the sound comes from the sound server's input of that description through the program's
// own microphone, opened during a count-down of count-down ms as the program does; it prints "recording" when
// the recorded time starts.
#include "AudioInputs.h"
#include "MicrophoneAudioSource.h"
#include "RecordingFakes.h"
#include "StampedSound.h"
#include "WinAVIRecordingImpl.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <atomic>
#include <cstdio>
#include <thread>

namespace {

// The real clock, running speed times faster, so a test reaches the 14.5-minute split in seconds.
class FastClock : public RecordingClock
{
public:
    explicit FastClock(quint32 speed)
        : m_speed(speed)
    {
        m_timer.start();
    }
    quint32 nowMs() override
    {
        // The stop asks the clock for the slot its file ends at, before it finishes the file.
        if (holdInStop) {
            std::printf("stopping\n");
            std::fflush(stdout);
            QThread::sleep(60);
        }
        return quint32(m_timer.elapsed()) * m_speed + 1000;
    }
    void sleepUntil(quint32 tick) override
    {
        const qint32 left = qint32(tick - nowMs());
        if (left > 0)
            QThread::usleep(quint64(left) * 1000 / m_speed + 1);
    }
    void sleepFor(quint32 ms) override { QThread::usleep(quint64(ms) * 1000 / m_speed + 1); }

    // Set just before the stop: the clock then holds the stop where it is.
    std::atomic<bool> holdInStop{false};

private:
    QElapsedTimer m_timer;
    quint32 m_speed;
};

void say(const char *format, qsizetype value)
{
    std::printf(format, int(value));
    std::fflush(stdout);
}

// Hands the sound captured from origin on to the writer, one block of blockMs once it is complete, for
// as long as the process lives.
void deliverSound(FastClock *clock, FakeAudioSource *audio, quint32 origin, int blockMs)
{
    for (int from = 0;; from += blockMs) {
        clock->sleepUntil(origin + quint32(from + blockMs));
        if (audio->pushAt(StampedSound::block(from, blockMs), origin + quint32(from)))
            say("sound %d\n", from + blockMs);
    }
}

// Records the screen stand-in and the real microphone until killed.
int recordMicrophone(const QString &file, const QString &description, int countDownMs)
{
    const int device = AudioInputs::indexOf(description);
    if (device < 0)
        return 3;
    const QSize size(320, 180);
    auto clock = std::make_shared<FastClock>(1);
    WinAVIRecordingImpl writer;
    writer.setBackends({clock, std::make_shared<FakeGrabber>(size), std::make_shared<MicrophoneAudioSource>(),
                        nullptr});
    writer.setFileName(file);
    if (!writer.initialize(0, size.width(), size.height(), device))
        return 1;
    writer.prepareVideo(QString());
    clock->sleepFor(quint32(countDownMs));
    writer.markStart();
    std::printf("recording\n");
    std::fflush(stdout);
    for (int frame = 1;; ++frame) {
        writer.writeFrame(QString());
        if (frame % 25 == 0)
            say("frames %d\n", frame);
        writer.sleepUntilNextSlot();
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 4)
        return 2;
    if (QByteArray(argv[3]) == "microphone")
        return argc < 6 ? 2
                        : recordMicrophone(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[4]),
                                           QByteArray(argv[5]).toInt());
    auto clock = std::make_shared<FastClock>(QByteArray(argv[2]).toUInt());
    auto audio = std::make_shared<FakeAudioSource>();
    QSize size(320, 180);
    QString codec;
    const bool sound = QByteArray(argv[3]) == "sound";
    quint32 origin = 0; // the start call's tick
    if (sound) {
        if (argc < 6)
            return 2;
        const int blockMs = QByteArray(argv[4]).toInt();
        const int openMs = QByteArray(argv[5]).toInt();
        if (blockMs <= 0)
            return 2;
        // The device captures from the start call on, whatever its open takes: sound handed over while it
        // opens comes before the writer runs.
        audio->onStart = [clock, audio, &origin, blockMs, openMs] {
            std::thread(deliverSound, clock.get(), audio.get(), origin, blockMs).detach();
            clock->sleepFor(quint32(openMs));
        };
    } else if (argc >= 6) {
        const QByteArrayList dimensions = QByteArray(argv[4]).split('x');
        size = dimensions.size() == 2 ? QSize(dimensions.at(0).toInt(), dimensions.at(1).toInt()) : QSize();
        codec = QString::fromLatin1(argv[5]);
    }
    if (size.isEmpty())
        return 2;
    WinAVIRecordingImpl writer;
    writer.setBackends({clock, std::make_shared<FakeGrabber>(size), audio, nullptr});
    writer.setFileName(QString::fromLocal8Bit(argv[1]));
    if (!writer.initialize(0, size.width(), size.height(), -1))
        return 1;
    const bool stopSoon = QByteArray(argv[3]) == "stop";
    const bool gaps = QByteArray(argv[3]) == "gaps";
    // Enough missed slots that a cut in the picture after them would be seen in the slot count.
    constexpr quint32 kSkippedSlots = 10;
    qsizetype files = 1;
    if (sound) {
        origin = clock->nowMs();
        std::printf("recording\n");
        std::fflush(stdout);
    }
    for (int frame = 1;; ++frame) {
        if (gaps)
            clock->sleepFor(kSkippedSlots * 40);
        writer.writeFrame(codec);
        if (!sound && frame % 3 == 0)
            audio->push(qint16(frame));
        if (frame % 25 == 0)
            say("frames %d\n", frame);
        if (writer.recordedFiles().size() != files) {
            files = writer.recordedFiles().size();
            say("files %d\n", files);
        }
        if (stopSoon && frame == 30) {
            clock->holdInStop = true;
            writer.finalize();
            say("stopped %d\n", frame);
            QThread::sleep(60);
        }
        writer.sleepUntilNextSlot();
    }
}
