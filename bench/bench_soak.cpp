// A school day in a few minutes: the program's own window over its real services, on an X server of its own
// (Xvfb 1920x1080) with the virtual document camera (1920x1080 live, 3840x2160 stills) and web cam and a sound
// server with a microphone playing a tone, runs cycles of what a teacher does all day:
//  - a document-camera snapshot (a full-quality still),
//  - a full-screen grab,
//  - a short recording of the screen and the microphone,
//  - the media library's thumbnail view opened on a folder of 500 pictures (and left again),
//  - a video played for 5 s.
// After every cycle it prints the resident memory, the heap in use and what the allocator holds free
// (mallinfo2), the threads, the open descriptors, the cycle's peak and the step that made it; at the end the
// peak and the growth after the first three cycles, per cycle and per hour of cycles (a snapshot every two
// minutes is 30 cycles an hour).
//     bin/bench_soak [cycles, default 30] [seconds of each recording, default 5]
#include "AllocatorPolicy.h"
#include "BenchSupport.h"
#include "CaptureImpl.h"
#include "LumoVisionImpl.h"
#include "MediaLibraryImpl.h"
#include "MediaLibraryPanel.h"
#include "MessageBoxes.h"
#include "Quillo.h"
#include "RecordingImpl.h"
#include "SettingImpl.h"
#include "TestEnvironment.h"
#include "TestMedia.h"
#include "ThreadManager.h"
#include "VideoIntf.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QProcess>
#include <QThread>

#include <malloc.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

// A snapshot every two minutes through a school day.
constexpr int kCyclesPerHour = 30;
// The first cycles fill the caches, pools and fonts a program keeps for good; growth is counted after them.
constexpr int kWarmUpCycles = 3;
constexpr int kLibraryPictures = 500;
// One picture in this many is a full-quality still, the others are live-sized, as in a teacher's folder.
constexpr int kStillEvery = 5;
constexpr int kVideoSeconds = 5;
// Bounds that catch a hang on a loaded machine; none is reached in a healthy run.
constexpr int kCameraWaitMs = 20000;
constexpr int kThumbnailsWaitMs = 30000;
constexpr int kSettleMs = 300;
// The microphone: the sound server's tone source, under a name the bench finds again among the inputs.
const QString kMicrophone = QStringLiteral("QuilloSoakMicrophone");

void runLoop(int ms, const std::function<bool()> &done = {})
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms && !(done && done()))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

struct Reading
{
    double rssMb = 0;
    double peakMb = 0;
    double heapMb = 0;
    double freeHeldMb = 0;
    int threads = 0;
    int descriptors = 0;
};

double kbField(const QByteArray &status, const QByteArray &name)
{
    for (const QByteArray &line : status.split('\n')) {
        if (line.startsWith(name))
            return line.mid(name.size()).trimmed().split(' ').value(0).toDouble();
    }
    return 0;
}

Reading read()
{
    Reading reading;
    QFile file(QStringLiteral("/proc/self/status"));
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray status = file.readAll();
        reading.rssMb = kbField(status, "VmRSS:") / 1024;
        reading.peakMb = kbField(status, "VmHWM:") / 1024;
        reading.threads = int(kbField(status, "Threads:"));
    }
    const struct mallinfo2 info = mallinfo2();
    reading.heapMb = double(info.uordblks + info.hblkhd) / (1 << 20);
    reading.freeHeldMb = double(info.fordblks) / (1 << 20);
    reading.descriptors = int(
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size());
    return reading;
}

// Starts the kernel's count of the peak resident memory afresh, so that the next reading's peak is that of
// the steps since.
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

bool run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(20000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// A sound server of the bench's own in its runtime folder, its default input a tone.
pid_t startSoundServer()
{
    const pid_t server = BenchSupport::spawn({"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                                              "--use-pid-file=no", "--disallow-exit", "-L",
                                              "module-native-protocol-unix", "-L", "module-null-sink sink_name=spk"});
    const QString pactl = QStringLiteral("pactl");
    QElapsedTimer clock;
    clock.start();
    while (!run(pactl, {QStringLiteral("info")}) && clock.elapsed() < 10000)
        QThread::msleep(100);
    if (!run(pactl, {QStringLiteral("load-module"), QStringLiteral("module-sine-source"),
                     QStringLiteral("source_name=soak_mic"), QStringLiteral("frequency=440"),
                     QStringLiteral("source_properties=device.description=") + kMicrophone})
        || !run(pactl, {QStringLiteral("set-default-source"), QStringLiteral("soak_mic")})) {
        kill(server, SIGTERM);
        waitpid(server, nullptr, 0);
        return 0;
    }
    return server;
}

// A picture as a document camera shows one: a page with a gradient and lines of text, so that it
// compresses like a photograph of paper rather than like a flat colour.
QImage page(const QSize &size, int hue)
{
    QImage picture(size, QImage::Format_RGB32);
    QPainter painter(&picture);
    QLinearGradient shade(0, 0, size.width(), size.height());
    shade.setColorAt(0, QColor::fromHsv(hue, 60, 240));
    shade.setColorAt(1, QColor::fromHsv((hue + 40) % 360, 90, 180));
    painter.fillRect(picture.rect(), shade);
    QFont font = painter.font();
    font.setPixelSize(size.height() / 30);
    painter.setFont(font);
    for (int line = 1; line < 28; ++line)
        painter.drawText(
            size.width() / 12, line * size.height() / 29,
            QStringLiteral("Lesson %1, line %2: the quick brown fox jumps over the lazy dog").arg(hue).arg(line));
    return picture;
}

QString makeLibraryFolder(const QString &root)
{
    const QString folder = root + QStringLiteral("/Class pictures");
    QDir().mkpath(folder);
    const QString live = folder + QStringLiteral("/live.jpg");
    const QString still = folder + QStringLiteral("/still.jpg");
    page(QSize(1920, 1080), 200).save(live, "JPG", 85);
    page(QSize(3840, 2160), 30).save(still, "JPG", 85);
    for (int i = 0; i < kLibraryPictures; ++i)
        QFile::copy(i % kStillEvery ? live : still,
                    folder + QStringLiteral("/Snapshot %1.jpg").arg(i, 3, 10, QLatin1Char('0')));
    QFile::remove(live);
    QFile::remove(still);
    return folder;
}

// The growth per cycle after the warm-up: the slope of a least-squares line through the readings.
double slopePerCycle(const QList<double> &values)
{
    const qsizetype first = std::min<qsizetype>(kWarmUpCycles, values.size() - 1);
    const qsizetype count = values.size() - first;
    if (count < 2)
        return 0;
    double sumX = 0, sumY = 0, sumXY = 0, sumXX = 0;
    for (qsizetype i = first; i < values.size(); ++i) {
        const double x = double(i);
        sumX += x;
        sumY += values[i];
        sumXY += x * values[i];
        sumXX += x * x;
    }
    return (count * sumXY - sumX * sumY) / (count * sumXX - sumX * sumX);
}

class Soak
{
public:
    Soak(Quillo *window, VideoIntf *video, QString libraryFolder, QString saveFolder, QString clip, int recordSeconds)
        : m_window(window)
        , m_video(video)
        , m_libraryFolder(std::move(libraryFolder))
        , m_saveFolder(std::move(saveFolder))
        , m_clip(std::move(clip))
        , m_recordSeconds(recordSeconds)
    {
    }

    // One cycle; false with the step that failed printed.
    bool cycle()
    {
        m_liveSnapshot = false;
        m_peakMb = 0;
        m_peakStep = nullptr;
        return step("snapshot", &Soak::snapshot) && step("screen grab", &Soak::screenGrab)
               && step("recording", &Soak::recording) && step("library", &Soak::library)
               && step("video", &Soak::playVideo);
    }

    // The highest resident memory of the last cycle and the step that reached it.
    double peakMb() const { return m_peakMb; }
    const char *peakStep() const { return m_peakStep ? m_peakStep : "-"; }

    // The cycle's snapshot came from the live picture.
    bool liveSnapshot() const { return m_liveSnapshot; }

private:
    bool step(const char *name, bool (Soak::*run)())
    {
        resetPeak();
        const bool done = (this->*run)();
        const double peak = read().peakMb;
        if (peak > m_peakMb) {
            m_peakMb = peak;
            m_peakStep = name;
        }
        return done;
    }

    bool failed(const char *step, int code = 0)
    {
        std::fprintf(stderr, "%s failed (%d)\n", step, code);
        return false;
    }

    // A snapshot or a screen grab through the capture service; the path of the picture, empty when it failed.
    QString capture(const char *step, int (CaptureIntf::*take)(QString *))
    {
        CaptureIntf *service = CaptureImpl::getInstance();
        QString path;
        const int code = (service->*take)(&path);
        service->release();
        if (code != 0 || !QFile::exists(path)) {
            failed(step, code);
            return QString();
        }
        runLoop(kSettleMs);
        return path;
    }

    bool snapshot()
    {
        const QString path = capture("snapshot", &CaptureIntf::captureVision);
        if (path.isEmpty())
            return false;
        // A still the camera did not deliver in time is saved from the live picture, as the program does;
        // the run goes on and counts it.
        if (QImageReader(path).size() != QSize(3840, 2160))
            m_liveSnapshot = true;
        return true;
    }

    bool screenGrab() { return !capture("screen grab", &CaptureIntf::captureScreen).isEmpty(); }

    bool recording()
    {
        RecordingIntf *recorder = RecordingImpl::getInstance();
        int code = recorder->startRecording();
        if (code < 0) {
            recorder->release();
            return failed("recording start", code);
        }
        runLoop(m_recordSeconds * 1000);
        QList<QString> files;
        code = recorder->stopRecording(&files);
        recorder->release();
        if (code < 0 || files.isEmpty() || QFileInfo(files.first()).size() == 0)
            return failed("recording stop", code);
        runLoop(kSettleMs);
        return true;
    }

    bool library()
    {
        auto *service = static_cast<MediaLibraryImpl *>(MediaLibraryImpl::getInstance(nullptr));
        MediaLibraryPanel *panel = service->panel();
        m_window->mediaLibPanelShow();
        if (panel->viewMode() != MediaLibraryPanel::ThumbnailMode)
            panel->changeViewMode();
        panel->changeDirectory(QDir(m_libraryFolder));
        runLoop(kSettleMs);
        runLoop(kThumbnailsWaitMs, [] { return !ThreadManager::getInstance()->isRunning(); });
        const bool shown = !ThreadManager::getInstance()->isRunning();
        // Back where the captures land, as a teacher goes back to the day's pictures.
        panel->changeDirectory(QDir(m_saveFolder));
        runLoop(kSettleMs);
        m_window->mediaLibPanelClose();
        runLoop(kSettleMs);
        service->release();
        return shown || failed("thumbnails");
    }

    bool playVideo()
    {
        auto *service = static_cast<MediaLibraryImpl *>(MediaLibraryImpl::getInstance(nullptr));
        MediaIntf *media = service->getMedia(m_clip);
        if (!media) {
            service->release();
            return failed("video record");
        }
        m_window->videoObjRequestToPlay(media);
        media->release();
        service->release();
        constexpr uint kPlaying = 2;
        runLoop(5000, [this] { return m_video->actionStatus() & kPlaying; });
        if (!(m_video->actionStatus() & kPlaying))
            return failed("video start", int(m_video->actionStatus()));
        runLoop(kVideoSeconds * 1000);
        m_video->stop();
        m_window->leaveVideoFullDisplaySplit();
        runLoop(kSettleMs);
        return true;
    }

    Quillo *m_window;
    VideoIntf *m_video;
    QString m_libraryFolder;
    QString m_saveFolder;
    QString m_clip;
    int m_recordSeconds;
    bool m_liveSnapshot = false;
    double m_peakMb = 0;
    const char *m_peakStep = nullptr;
};

} // namespace

int main(int argc, char *argv[])
{
    // As the program does, before any thread exists.
    AllocatorPolicy::apply();
    const int cycles = argc > 1 ? std::max(1, atoi(argv[1])) : 30;
    const int recordSeconds = argc > 2 ? std::max(1, atoi(argv[2])) : 5;

    qputenv("QUILLO_TEST_XVFB_ARGS", "-screen 0 1920x1080x24");
    if (!TestEnvironment::prepare(TestEnvironment::Display::PrivateXServer))
        return 1;
    qputenv("QUILLO_V4L2", "0");
    qputenv("QUILLO_VIRTUAL_CAMERA", "1");
    qputenv("QUILLO_VIRTUAL_WEBCAM", "1");
    const pid_t sound = startSoundServer();
    if (!sound) {
        std::fprintf(stderr, "the sound server did not start\n");
        return 1;
    }

    QApplication app(argc, argv);
    const QString root = TestEnvironment::home();
    const QString library = makeLibraryFolder(root);
    const QString clip = TestMedia::writeAvi(root, QStringLiteral("Lesson.avi"), kVideoSeconds + 1, {1920, 1080});
    if (clip.isEmpty()) {
        std::fprintf(stderr, "no video could be made (ffmpeg)\n");
        return 1;
    }

    SettingImpl *settings = SettingImpl::getInstance();
    const QString saveFolder = root + QStringLiteral("/Media/");
    QDir().mkpath(saveFolder);
    settings->setSavePath(saveFolder);
    // A later start with both panels put away, as a teacher's program starts after the first day.
    settings->setValue(QStringLiteral("NOT_FIRST_TIME_LAUNCH"), true);
    settings->setValue(QStringLiteral("TOOLS_PANEL_STATUS"), false);
    settings->setValue(QStringLiteral("MEDIA_LIB_STATUS"), false);
    settings->setAudioSource(kMicrophone);
    settings->setMute(false);

    // A box would wait for a teacher who is not there: its text is printed and the run stops.
    bool boxShown = false;
    MessageBoxes::setResponder([&boxShown](const MessageBoxes::Request &box) {
        std::fprintf(stderr, "message box: %s %s\n", qPrintable(box.text), qPrintable(box.informativeText));
        boxShown = true;
        return QMessageBox::NoButton;
    });

    QuilloServices services = QuilloServices::system();
    VideoIntf *video = nullptr;
    services.video = [make = services.video, &video](QWidget *parent) { return video = make(parent); };
    const Reading beforeWindow = read();
    int status = 0;
    {
        Quillo window(services);
        // No window manager maximises it: it takes the screen as it would on a desktop.
        window.setGeometry(0, 0, 1920, 1080);
        LumoVisionIntf *camera = LumoVisionImpl::getInstance(nullptr);
        runLoop(kCameraWaitMs, [camera] { return camera->isDocCamConnected(); });
        const bool connected = camera->isDocCamConnected();
        camera->release();
        if (!connected || !video) {
            std::fprintf(stderr, "the virtual camera did not open\n");
            status = 1;
        }
        runLoop(1000);

        const Reading start = read();
        std::printf("bench_soak: %d cycles on Xvfb 1920x1080, virtual camera 1920x1080 live and 3840x2160 stills, "
                    "recordings of %d s, %d pictures, a video of %d s\n",
                    cycles, recordSeconds, kLibraryPictures, kVideoSeconds);
        std::printf("before the window: RSS %.1f MB; window up: RSS %.1f MB (peak %.1f MB), heap in use %.1f MB, "
                    "threads %d, descriptors %d\n",
                    beforeWindow.rssMb, start.rssMb, start.peakMb, start.heapMb, start.threads, start.descriptors);
        std::printf("%5s %9s %9s %-12s %10s %10s %7s %5s %7s\n", "cycle", "RSS MB", "peak MB", "peak in", "heap MB",
                    "free MB", "threads", "fds", "s");
        std::fflush(stdout);

        Soak soak(&window, video, library, saveFolder, clip, recordSeconds);
        QList<double> rss, heap, threads, descriptors;
        QElapsedTimer clock;
        double peakMb = 0;
        for (int i = 1; status == 0 && i <= cycles; ++i) {
            clock.start();
            if (!soak.cycle() || boxShown) {
                status = 1;
                break;
            }
            const Reading now = read();
            rss.append(now.rssMb);
            heap.append(now.heapMb);
            threads.append(now.threads);
            descriptors.append(now.descriptors);
            peakMb = std::max(peakMb, soak.peakMb());
            std::printf("%5d %9.1f %9.1f %-12s %10.1f %10.1f %7d %5d %7.1f%s\n", i, now.rssMb, soak.peakMb(),
                        soak.peakStep(), now.heapMb, now.freeHeldMb, now.threads, now.descriptors,
                        clock.elapsed() / 1000.0,
                        soak.liveSnapshot() ? "  (snapshot from the live picture: no still in time)" : "");
            std::fflush(stdout);
        }
        if (!rss.isEmpty()) {
            std::printf("peak RSS over the cycles %.1f MB\n", peakMb);
            if (rss.size() > kWarmUpCycles + 1) {
                const double rssSlope = slopePerCycle(rss);
                const double heapSlope = slopePerCycle(heap);
                std::printf("after cycle %d: RSS %.1f -> %.1f MB; growth %.2f MB per cycle, %.1f MB per hour of "
                            "cycles (%d an hour)\n",
                            kWarmUpCycles, rss[kWarmUpCycles - 1], rss.last(), rssSlope, rssSlope * kCyclesPerHour,
                            kCyclesPerHour);
                std::printf("after cycle %d: heap in use %.1f -> %.1f MB; growth %.2f MB per cycle, %.1f MB per "
                            "hour of cycles\n",
                            kWarmUpCycles, heap[kWarmUpCycles - 1], heap.last(), heapSlope, heapSlope * kCyclesPerHour);
                std::printf("after cycle %d: threads %g -> %g, descriptors %g -> %g\n", kWarmUpCycles,
                            threads[kWarmUpCycles - 1], threads.last(), descriptors[kWarmUpCycles - 1],
                            descriptors.last());
            }
        }
    }
    settings->release();
    kill(sound, SIGTERM);
    waitpid(sound, nullptr, 0);
    return status;
}
