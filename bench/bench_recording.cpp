// Cost of one recorded frame: grab (real X server when DISPLAY is set, else a synthetic desktop), scaling
// and colour conversion, XviD encoding and the write, at the recording widths and at native 1920x1080;
// then a 20 s real-time recording counting frames written and slots skipped.
// Usage: bench_recording [seconds of the real-time run, default 20]
#include "AviHandle.h"
#include "AVIRecordingThread.h"
#include "ScreenGrabber.h"
#include "SteadyRecordingClock.h"
#include "X11ScreenGrabber.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A desktop with text-like lines and a window that moves every frame.
class SyntheticGrabber : public ScreenGrabber
{
public:
    bool isAvailable(QString *) override { return true; }
    QSize screenSize() override { return {1920, 1080}; }
    QImage grab() override
    {
        QImage picture(1920, 1080, QImage::Format_RGB32);
        picture.fill(QColor(40, 80, 120));
        QPainter painter(&picture);
        for (int y = 40; y < 1080; y += 24)
            painter.fillRect(100, y, 900 + (y * 7) % 600, 10, Qt::white);
        painter.fillRect((m_frame * 8) % 1400, 300, 500, 400, QColor(200, 60, 60));
        ++m_frame;
        return picture;
    }

private:
    int m_frame = 0;
};

void measure(ScreenGrabber *grabber, int width, int height, const QString &folder)
{
    // Six seconds at 25 fps: fifteen key-frame intervals, so the costlier key frames weigh in as they do
    // in a real recording.
    constexpr int kFrames = 150;
    SteadyRecordingClock clock;
    AviHandle *handle = createAvi(folder + QStringLiteral("/bench%1.avi").arg(width), 40, nullptr);
    setXvidCompression(handle, width, height);
    quint32 tickBase = 0;
    double grabMs = 0;
    double writeMs = 0;
    const double cpuStart = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    for (int i = 0; i < kFrames; ++i) {
        QElapsedTimer step;
        step.start();
        const QImage picture = grabber->grab();
        grabMs += step.nsecsElapsed() / 1e6;
        step.restart();
        // Every frame on a slot of its own without waiting: the frame cost alone is measured.
        tickBase -= 40;
        addAviTimedFrame(handle, picture, &tickBase, 0, &clock);
        writeMs += step.nsecsElapsed() / 1e6;
    }
    const double wallMs = wall.nsecsElapsed() / 1e6;
    const double cpu = (cpuSeconds() - cpuStart) * 1000;
    closeAvi(handle);
    const double perFrame = wallMs / kFrames;
    std::printf("%4dx%-4d grab %5.1f ms  scale+convert+encode+write %5.1f ms  total %5.1f ms  %6.1f fps  "
                "cpu %5.1f ms/frame = %3.0f %% of one core at 25 fps\n",
                width, height, grabMs / kFrames, writeMs / kFrames, perFrame, 1000 / perFrame, cpu / kFrames,
                cpu / kFrames / 40 * 100);
}

void realTime(int width, int height, int seconds, std::shared_ptr<ScreenGrabber> grabber, const QString &folder)
{
    AVIRecordingThread thread;
    thread.setBackends({nullptr, grabber, nullptr, nullptr});
    qputenv("HOME", folder.toLocal8Bit());
    const double cpuStart = cpuSeconds();
    if (!thread.startRecording(0, width, height, -2)) {
        std::printf("real-time run did not start (code %d)\n", thread.errorCode());
        return;
    }
    QThread::sleep(seconds);
    thread.stopRecording();
    const double cpu = cpuSeconds() - cpuStart;
    const QString file = thread.recordedFiles().value(0);
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                            "stream=nb_frames,nb_read_frames", "-of", "csv=p=0", file});
    probe.waitForFinished();
    const QByteArray out = probe.readAllStandardOutput().trimmed();
    const QList<QByteArray> fields = out.split(',');
    const int slotCount = fields.value(0).toInt();
    const int frames = fields.value(1).toInt();
    std::printf("real time %4dx%-4d %d s: %d frames in %d slots, %d skipped (%.2f %%), cpu %.0f %% of one core\n",
                width, height, seconds, frames, slotCount - 1, slotCount - 1 - frames,
                slotCount > 1 ? 100.0 * (slotCount - 1 - frames) / (slotCount - 1) : 0.0, 100 * cpu / seconds);
    QFile::remove(file);
}

} // namespace

int main(int argc, char *argv[])
{
    const bool haveX = !qEnvironmentVariableIsEmpty("DISPLAY");
    if (!haveX)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 20;
    QTemporaryDir folder;
    std::shared_ptr<ScreenGrabber> grabber;
    if (haveX)
        grabber = std::make_shared<X11ScreenGrabber>();
    else
        grabber = std::make_shared<SyntheticGrabber>();
    std::printf("screen %dx%d from %s\n", grabber->screenSize().width(), grabber->screenSize().height(),
                haveX ? "the X server" : "a synthetic desktop");
    const QList<QSize> sizes{{640, 360}, {800, 450}, {1024, 576}, {1920, 1080}};
    for (const QSize &size : sizes)
        measure(grabber.get(), size.width(), size.height(), folder.path());
    if (seconds > 0) {
        realTime(1024, 576, seconds, grabber, folder.path());
        realTime(1920, 1080, seconds, grabber, folder.path());
    }
    return 0;
}
