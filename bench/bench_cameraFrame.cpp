// Measures the live frame path: virtual camera frame -> worker (draw, adjust) -> GUI thread -> CameraWidget
// paint, on the offscreen platform. Prints sustained frames per second and CPU per frame, for the whole
// process and for the GUI thread alone.
#include "CameraThrottleController.h"
#include "CameraWidget.h"
#include "DocCamManager.h"
#include "DocCamStream.h"
#include "VirtualCameraHub.h"
#include "VirtualDocCam.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {

class Throttle : public CameraThrottleController
{
public:
    DocCamStream *stream = nullptr;
    int paints = 0;
    void requestNextFrame(CameraWidget *) override
    {
        ++paints;
        if (stream)
            stream->requestNextFrame();
    }
};

void runEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double cpuSeconds(clockid_t clock)
{
    timespec t;
    clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

void run(const QSize &frame, const QSize &view, int seconds)
{
    VirtualCameraProfile profile;
    profile.identity.format = DocCamFormat{VirtualCameraProfile::PixelFormatRgb32, frame.width(), frame.height(), 30};
    VirtualDocCam *camera = VirtualCameraHub::instance()->addCamera(profile);
    Throttle throttle;
    CameraWidget widget(&throttle, nullptr);
    widget.resize(view);
    widget.show();
    camera->openDocCamStream(0, camera->format(), &widget, &throttle.stream, nullptr);
    throttle.stream->start();
    throttle.stream->activate();

    // The first second warms up (page drawing, fonts) and is not counted.
    runEventLoop(1000);

    const int paintsBefore = throttle.paints;
    const double processBefore = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    const double guiBefore = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    QElapsedTimer wall;
    wall.start();
    runEventLoop(seconds * 1000);
    const double elapsed = wall.elapsed() / 1000.0;
    const int frames = throttle.paints - paintsBefore;
    const double process = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - processBefore;
    const double gui = cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - guiBefore;
    std::printf(
        "frame %4dx%-4d view %4dx%-4d: %5.1f fps, CPU %.2f ms/frame (%.0f%% of a core), GUI thread %.2f ms/frame\n",
        frame.width(), frame.height(), view.width(), view.height(), frames / elapsed, 1000.0 * process / frames,
        100.0 * process / elapsed, 1000.0 * gui / frames);

    throttle.stream->release();
    throttle.stream = nullptr;
    VirtualCameraHub::instance()->removeCamera(camera);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QUILLO_V4L2", "0");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 5;
    DocCamManager *manager = DocCamManager::getDocCamManager({});
    manager->retain();
    run(QSize(1280, 720), QSize(1280, 720), seconds);
    run(QSize(1920, 1080), QSize(1280, 720), seconds);
    run(QSize(1920, 1080), QSize(1920, 1080), seconds);
    manager->release();
    return 0;
}
