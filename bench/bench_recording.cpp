// Recording cost against the tool a user would pick instead: ffmpeg's own X11 grabber with XviD at the
// same settings (bench/recording-vs-ffmpeg.md), one after the other on the same moving screen.
// Starts an X server of its own (Xvfb 1920x1080) and a child of this program that animates a window on it;
// then, at 1024x576 and at 1920x1080:
//  - the cost of each stage of a frame (grab, scale and convert, encode, write), one slot per frame, paced
//    at 25 fps so every grab sees a new screen;
//  - a real-time recording by the capture thread: CPU of this process and of the X server, frames
//    written and slots skipped;
//  - ffmpeg's stages, told apart by running it up to the grab, up to the conversion, and whole;
//  - the ffmpeg command for the same time, measured the same way, and the ratio of the two.
// CPU is counted as time, not as a share of the wall clock, so that a loaded machine slows both runs
// without changing their figures much; the load average is printed beside them.
// Usage: bench_recording [seconds of each real-time run, default 20]
#include "AVIRecordingThread.h"
#include "AviHandle.h"
#include "BenchSupport.h"
#include "RecordingClock.h"
#include "VideoEncoderFactory.h"
#include "X11ScreenGrabber.h"
#include "XvidVideoEncoder.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPaintEvent>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWidget>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

using namespace BenchSupport;

namespace {

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;
constexpr int kSlotMs = 40;
// Six seconds: fifteen key-frame intervals, so the costlier key frames weigh in as in a real recording.
constexpr int kStageFrames = 150;

// A desktop with lines of text and a window that moves across it at 30 repaints a second: every 40 ms
// slot sees a new picture, and most of the screen stays still as on a real desktop.
class MovingDesktop : public QWidget
{
public:
    MovingDesktop()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const QRect before = box();
            ++m_step;
            update(before | box());
        });
        m_timer.start(33);
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter painter(this);
        painter.setClipRegion(event->region());
        painter.fillRect(rect(), QColor(40, 80, 120));
        for (int y = 40; y < height(); y += 24)
            painter.fillRect(100, y, 900 + (y * 7) % 600, 10, Qt::white);
        const QRect moving = box();
        painter.fillRect(moving, QColor(200, 60, 60));
        painter.setPen(Qt::white);
        painter.setFont(QFont(QStringLiteral("Sans"), 28));
        painter.drawText(moving, Qt::AlignCenter, QStringLiteral("frame %1").arg(m_step));
    }

private:
    QRect box() const { return QRect((m_step * 8) % (kScreenWidth - 500), 300 + (m_step * 3) % 300, 500, 400); }

    QTimer m_timer;
    int m_step = 0;
};

int animate(int argc, char *argv[])
{
    QApplication app(argc, argv);
    MovingDesktop desktop;
    desktop.setGeometry(0, 0, kScreenWidth, kScreenHeight);
    desktop.show();
    QCursor::setPos(960, 200);
    return app.exec();
}

// Advances by one slot per frame, so every frame of the stage loop gets a slot of its own.
class SlotClock : public RecordingClock
{
public:
    quint32 nowMs() override { return m_now; }
    void sleepUntil(quint32 tick) override { m_now = qMax(m_now, tick); }
    void sleepFor(quint32 ms) override { m_now += ms; }
    void advance() { m_now += kSlotMs; }

private:
    quint32 m_now = 1000;
};

// Hands the writer the packet the stage loop coded already, so the write stage is timed alone.
class CodedPacket : public VideoEncoder
{
public:
    CodedPacket(XvidVideoEncoder *coder, AVPacket *packet)
        : m_coder(coder)
        , m_packet(packet)
    {
    }
    void describe(AVCodecParameters *parameters) const override { m_coder->describe(parameters); }
    bool encode(const QImage &, bool, AVPacket *packet) override { return av_packet_ref(packet, m_packet) == 0; }

private:
    XvidVideoEncoder *m_coder;
    AVPacket *m_packet;
};

class CodedPacketFactory : public VideoEncoderFactory
{
public:
    CodedPacketFactory(XvidVideoEncoder *coder, AVPacket *packet)
        : m_coder(coder)
        , m_packet(packet)
    {
    }
    std::unique_ptr<VideoEncoder> create(const QByteArray &, int, int) override
    {
        return std::make_unique<CodedPacket>(m_coder, m_packet);
    }

private:
    XvidVideoEncoder *m_coder;
    AVPacket *m_packet;
};

void stages(X11ScreenGrabber *grabber, const QSize &size, const QString &folder)
{
    // As the recorder does before its time starts: map the grabber's memory, open the encoder, then warm
    // it on a blank screen.
    QElapsedTimer setUp;
    setUp.start();
    double mark = processCpuSeconds();
    grabber->prepare();
    const double grabberCpu = (processCpuSeconds() - mark) * 1000;
    const double grabberWall = setUp.nsecsElapsed() / 1e6;
    setUp.restart();
    mark = processCpuSeconds();
    std::unique_ptr<XvidVideoEncoder> coder = XvidVideoEncoder::create(size.width(), size.height());
    const double openCpu = (processCpuSeconds() - mark) * 1000;
    const double openWall = setUp.nsecsElapsed() / 1e6;
    QImage blank(grabber->screenSize(), QImage::Format_RGB32);
    blank.fill(Qt::black);
    setUp.restart();
    mark = processCpuSeconds();
    coder->warmUp(blank);
    std::printf("  before the recorded time, CPU ms [wall ms]: grabber %.2f [%.2f], opening the encoder %.2f [%.2f], "
                "warm-up %.2f [%.2f]\n",
                grabberCpu, grabberWall, openCpu, openWall, (processCpuSeconds() - mark) * 1000,
                setUp.nsecsElapsed() / 1e6);
    AVPacket *packet = av_packet_alloc();
    CodedPacketFactory factory(coder.get(), packet);
    SlotClock clock;
    AviHandle *handle = createAvi(folder + QStringLiteral("/stages.avi"), kSlotMs, nullptr, &factory);
    setXvidCompression(handle, size.width(), size.height());
    double cpu[4] = {};
    double wall[4] = {};
    double firstCpu[4] = {};
    double worstCpu[4] = {};
    double worstWall[4] = {};
    // Frames that took longer than their slot: the recording would skip the next one.
    int late = 0;
    double lateCpu = 0;
    double lateWall = 0;
    int shared = 0;
    quint32 tickBase = 0;
    QElapsedTimer pace;
    pace.start();
    for (int i = 0; i < kStageFrames; ++i) {
        QThread::msleep(qMax<qint64>(0, qint64(i) * kSlotMs - pace.elapsed()));
        QElapsedTimer step;
        step.start();
        double lapStart = processCpuSeconds();
        double frameCpu = 0;
        double frameWall = 0;
        auto lap = [&](int stage) {
            const double now = processCpuSeconds();
            const double spentCpu = (now - lapStart) * 1000;
            const double spentWall = step.nsecsElapsed() / 1e6;
            cpu[stage] += spentCpu;
            wall[stage] += spentWall;
            // The first frame after the warm-up: it should cost what later ones do.
            if (i == 0)
                firstCpu[stage] = spentCpu;
            else {
                worstCpu[stage] = qMax(worstCpu[stage], spentCpu);
                worstWall[stage] = qMax(worstWall[stage], spentWall);
            }
            frameCpu += spentCpu;
            frameWall += spentWall;
            lapStart = now;
            step.restart();
        };
        const QImage picture = grabber->grab();
        shared += grabber->lastGrabShared() ? 1 : 0;
        lap(0);
        coder->convert(picture);
        lap(1);
        av_packet_unref(packet);
        // A key frame every ten slots, as the writer forces them.
        coder->encodeConverted(i % 10 == 0, packet);
        lap(2);
        addAviTimedFrame(handle, picture, &tickBase, 0, &clock);
        lap(3);
        clock.advance();
        if (i > 0 && frameWall > kSlotMs) {
            ++late;
            lateCpu += frameCpu;
            lateWall += frameWall;
        }
    }
    closeAvi(handle);
    av_packet_free(&packet);
    const char *names[4] = {"grab", "scale+convert", "encode", "write"};
    double total = 0;
    std::printf("  stages per frame (%d frames, %d through shared memory), CPU ms [wall ms]:", kStageFrames, shared);
    for (int s = 0; s < 4; ++s) {
        std::printf(" %s %.2f [%.2f]", names[s], cpu[s] / kStageFrames, wall[s] / kStageFrames);
        total += cpu[s];
    }
    std::printf("  total %.2f ms = %.0f %% of one core\n", total / kStageFrames, total / kStageFrames / kSlotMs * 100);
    // A stage that stalls (a lock, a write, an allocation) shows as a worst wall time far above its worst
    // CPU time; a machine too busy to run the thread stretches every stage's wall time alike.
    std::printf("  first frame after the warm-up, CPU ms:");
    for (int s = 0; s < 4; ++s)
        std::printf(" %s %.2f", names[s], firstCpu[s]);
    std::printf("\n  worst frame of each stage after the first, CPU ms [wall ms]:");
    for (int s = 0; s < 4; ++s)
        std::printf(" %s %.2f [%.2f]", names[s], worstCpu[s], worstWall[s]);
    std::printf("; %d frames longer than a slot", late);
    if (late > 0)
        std::printf(" (on average %.2f ms CPU in %.2f ms wall)", lateCpu / late, lateWall / late);
    std::printf("\n");
}

struct Run
{
    double startMs = 0;
    double cpu = 0;
    double serverCpu = 0;
    int frames = 0;
    int slotCount = 0;
    QString note;
};

// Frames with a picture and slots (the empty ones of skipped slots included) of a recorded file.
void countFrames(const QString &file, Run *run)
{
    QProcess probe;
    probe.start(QStringLiteral("ffprobe"), {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                                            "stream=nb_frames,nb_read_frames", "-of", "csv=p=0", file});
    probe.waitForFinished(120000);
    const QList<QByteArray> fields = probe.readAllStandardOutput().trimmed().split(',');
    run->slotCount = fields.value(0).toInt();
    run->frames = fields.value(1).toInt();
}

// Where a recording skipped slots: the slots from slot 1 (a file's first frame lands there, after the empty
// slot 0) to its last picture that hold no picture of their own (an empty chunk, or a gap in the packets'
// times); the empty chunk that closes the file is not one. Skips bunched at the start point at the set-up;
// skips spread over the run at frames that came too late, from the machine's load or from a stage that
// stalled. lastSlot: the slot of the last picture.
QList<int> skippedSlots(const QString &file, int *lastSlot)
{
    QProcess probe;
    probe.start(QStringLiteral("ffprobe"),
                {"-v", "error", "-select_streams", "v:0", "-show_entries", "packet=pts,size", "-of", "csv=p=0", file});
    probe.waitForFinished(120000);
    QSet<int> pictures;
    int last = 0;
    for (const QByteArray &line : probe.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split(',');
        if (fields.size() < 2 || fields.at(1).toInt() == 0)
            continue;
        const int slot = fields.at(0).toInt();
        pictures.insert(slot);
        last = qMax(last, slot);
    }
    QList<int> skipped;
    for (int slot = 1; slot <= last; ++slot) {
        if (!pictures.contains(slot))
            skipped << slot;
    }
    *lastSlot = last;
    return skipped;
}

Run recordWithQuillo(const std::shared_ptr<X11ScreenGrabber> &grabber, const QSize &size, int seconds, pid_t server)
{
    Run run;
    AVIRecordingThread thread;
    thread.setBackends({nullptr, grabber, nullptr, nullptr});
    const double cpuStart = processCpuSeconds();
    const double serverStart = otherCpuSeconds(server);
    // The caller (the GUI thread) waits this long: the file is made; the encoder is opened and warmed on the
    // capture thread after the call has returned.
    QElapsedTimer startCall;
    startCall.start();
    if (!thread.startRecording(0, size.width(), size.height(), -2)) {
        run.note = QStringLiteral("did not start (code %1)").arg(thread.errorCode());
        return run;
    }
    run.startMs = startCall.nsecsElapsed() / 1e6;
    QThread::sleep(seconds);
    thread.stopRecording();
    run.cpu = processCpuSeconds() - cpuStart;
    run.serverCpu = otherCpuSeconds(server) - serverStart;
    const QString file = thread.recordedFiles().value(0);
    countFrames(file, &run);
    int lastSlot = 0;
    const QList<int> skipped = skippedSlots(file, &lastSlot);
    run.slotCount = lastSlot;
    run.note = QStringLiteral("start call %1 ms; %2 skipped").arg(run.startMs, 0, 'f', 1).arg(skipped.size());
    if (!skipped.isEmpty()) {
        const qsizetype early = std::count_if(skipped.begin(), skipped.end(), [](int slot) { return slot < 25; });
        QStringList first;
        for (int slot : skipped.mid(0, 12))
            first << QString::number(slot);
        run.note += QStringLiteral(" (%1 in the first second; slots %2%3)")
                        .arg(early)
                        .arg(first.join(QLatin1Char(' ')), skipped.size() > 12 ? QStringLiteral(" ...") : QString());
    }
    QFile::remove(file);
    return run;
}

// How much of ffmpeg's pipeline runs: its stages are told apart by running less of it.
enum class FfmpegPart { Grab, Convert, Whole };

// The ffmpeg command of bench/recording-vs-ffmpeg.md, or its first stages only (into the null muxer).
QStringList ffmpegArguments(const QByteArray &display, const QSize &size, int seconds, FfmpegPart part,
                            const QString &output)
{
    QStringList arguments{"ffmpeg",      "-hide_banner",
                          "-nostdin",    "-y",
                          "-f",          "x11grab",
                          "-framerate",  "25",
                          "-video_size", QStringLiteral("%1x%2").arg(kScreenWidth).arg(kScreenHeight),
                          "-draw_mouse", "1",
                          "-i",          QString::fromLatin1(display) + QStringLiteral("+0,0"),
                          "-t",          QString::number(seconds)};
    const bool scaled = size != QSize(kScreenWidth, kScreenHeight);
    switch (part) {
    case FfmpegPart::Grab:
        return arguments << "-an"
                         << "-f"
                         << "null"
                         << "-";
    case FfmpegPart::Convert:
        arguments << "-vf"
                  << (scaled ? QStringLiteral("scale=%1:%2,format=yuv420p").arg(size.width()).arg(size.height())
                             : QStringLiteral("format=yuv420p"));
        return arguments << "-sws_flags"
                         << "bilinear"
                         << "-an"
                         << "-f"
                         << "null"
                         << "-";
    case FfmpegPart::Whole:
        break;
    }
    if (scaled)
        arguments << "-vf" << QStringLiteral("scale=%1:%2").arg(size.width()).arg(size.height());
    arguments << "-sws_flags"
              << "bilinear"
              << "-c:v"
              << "libxvid"
              << "-qscale:v"
              << "4"
              << "-g"
              << "10"
              << "-bf"
              << "0"
              << "-an"
              << "-f"
              << "avi" << output;
    return arguments;
}

// The last value of a counter on ffmpeg's progress lines.
QString lastCount(const QString &stats, const QString &name)
{
    const QRegularExpression counter(name + QStringLiteral("=\\s*(\\d+)"));
    QRegularExpressionMatch last;
    for (auto it = counter.globalMatch(stats); it.hasNext();)
        last = it.next();
    return last.captured(1);
}

Run recordWithFfmpeg(const QByteArray &display, const QSize &size, int seconds, FfmpegPart part, pid_t server,
                     const QString &folder)
{
    Run run;
    const QString output = folder + QStringLiteral("/ffmpeg.avi");
    const QString log = folder + QStringLiteral("/ffmpeg.log");
    std::vector<QByteArray> arguments;
    for (const QString &argument : ffmpegArguments(display, size, seconds, part, output))
        arguments.push_back(argument.toLocal8Bit());
    const double serverStart = otherCpuSeconds(server);
    const pid_t child = spawn(arguments, QFile::encodeName(log));
    int status = 0;
    run.cpu = waitCpuSeconds(child, &status);
    run.serverCpu = otherCpuSeconds(server) - serverStart;
    QFile text(log);
    text.open(QIODevice::ReadOnly);
    const QString stats = QString::fromLocal8Bit(text.readAll());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        run.note = QStringLiteral("failed: ") + stats.right(400);
        return run;
    }
    run.frames = lastCount(stats, QStringLiteral("frame")).toInt();
    run.slotCount = seconds * 1000 / kSlotMs;
    if (part == FfmpegPart::Whole) {
        countFrames(output, &run);
        QFile::remove(output);
    }
    // It repeats or drops frames to keep 25 a second.
    run.note = QStringLiteral("%1 repeated, %2 dropped")
                   .arg(lastCount(stats, QStringLiteral("dup")), lastCount(stats, QStringLiteral("drop")));
    return run;
}

// ffmpeg's stages per frame, each the difference between running up to it and up to the one before.
void ffmpegStages(const QByteArray &display, const QSize &size, pid_t server, const QString &folder)
{
    const int seconds = kStageFrames * kSlotMs / 1000;
    const Run grab = recordWithFfmpeg(display, size, seconds, FfmpegPart::Grab, server, folder);
    const Run convert = recordWithFfmpeg(display, size, seconds, FfmpegPart::Convert, server, folder);
    const Run whole = recordWithFfmpeg(display, size, seconds, FfmpegPart::Whole, server, folder);
    auto perFrame = [](const Run &run) { return run.frames > 0 ? run.cpu * 1000 / run.frames : 0.0; };
    std::printf("  ffmpeg stages per frame (%d s each, by difference), CPU ms: grab %.2f scale+convert %.2f "
                "encode+write %.2f  total %.2f ms\n",
                seconds, perFrame(grab), perFrame(convert) - perFrame(grab), perFrame(whole) - perFrame(convert),
                perFrame(whole));
}

void printRun(const char *who, const Run &run, int seconds)
{
    std::printf("  %-7s %5.2f s CPU = %3.0f %% of one core, X server %5.2f s = %3.0f %%; %d frames in %d slots, %s\n",
                who, run.cpu, 100 * run.cpu / seconds, run.serverCpu, 100 * run.serverCpu / seconds, run.frames,
                run.slotCount, qPrintable(run.note));
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1 && QByteArray(argv[1]) == "--animate")
        return animate(argc, argv);
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 20;
    QTemporaryDir folder;
    // Nothing of the user's is read or written: the recording's settings and files go to the scratch folder.
    qputenv("HOME", QFile::encodeName(folder.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.path() + QStringLiteral("/.config")));
    pid_t server = 0;
    const QByteArray display = startXServer(QSize(kScreenWidth, kScreenHeight), &server);
    if (display.isEmpty()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    qputenv("DISPLAY", display);
    qputenv("QT_QPA_PLATFORM", "xcb");
    spawn({QFile::encodeName(QFileInfo(QString::fromLocal8Bit(argv[0])).absoluteFilePath()), "--animate"});
    QApplication app(argc, argv);
    // The animation's first repaints, and the server's start, are not measured.
    QThread::sleep(2);
    auto grabber = std::make_shared<X11ScreenGrabber>();
    grabber->grab();
    std::printf("screen %dx%d on its own Xvfb; grab through %s; %d CPUs, load average %s\n",
                grabber->screenSize().width(), grabber->screenSize().height(),
                grabber->lastGrabShared() ? "shared memory" : "the plain image request",
                int(sysconf(_SC_NPROCESSORS_ONLN)), loadAverage().constData());
    for (const QSize &size : {QSize(1024, 576), QSize(kScreenWidth, kScreenHeight)}) {
        std::printf("%dx%d\n", size.width(), size.height());
        stages(grabber.get(), size, folder.path());
        ffmpegStages(display, size, server, folder.path());
        if (seconds <= 0)
            continue;
        const QByteArray loadBefore = loadAverage();
        const Run quillo = recordWithQuillo(grabber, size, seconds, server);
        printRun("Quillo", quillo, seconds);
        const Run ffmpeg = recordWithFfmpeg(display, size, seconds, FfmpegPart::Whole, server, folder.path());
        printRun("ffmpeg", ffmpeg, seconds);
        if (ffmpeg.cpu > 0 && ffmpeg.frames > 0 && quillo.frames > 0)
            std::printf("  ratio Quillo / ffmpeg: %.2f per run, %.2f per frame written (with the X server's share "
                        "%.2f); load average %s before, %s after\n",
                        quillo.cpu / ffmpeg.cpu, (quillo.cpu / quillo.frames) / (ffmpeg.cpu / ffmpeg.frames),
                        (quillo.cpu + quillo.serverCpu) / (ffmpeg.cpu + ffmpeg.serverCpu), loadBefore.constData(),
                        loadAverage().constData());
    }
    return 0;
}
