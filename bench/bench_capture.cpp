// Snapshot latency of the capture service with a 1920x1080 virtual document camera on the offscreen
// platform: from captureVision() to its return, when the JPEG is on disk and announced. The live-frame path
// (the camera refuses stills) and the full-quality path (a 3840x2160 still that the virtual camera delivers
// VirtualDocCam::DefaultStillDelayMs after the request) are measured separately, together with the longest
// pause of the GUI event loop during the captures. Runs with its own HOME, so no user setting is touched.
// Usage: bench_capture [captures per path]
#include "CaptureImpl.h"
#include "LumoVisionImpl.h"
#include "SettingImpl.h"
#include "VirtualCameraHub.h"
#include "VirtualDocCam.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>

#include <algorithm>
#include <cstdio>

namespace {

// Ticks this often while captures run; the longest gap between ticks is how long the GUI thread was held.
constexpr int kTickMs = 2;

struct Figures
{
    QList<double> ms;
    qint64 longestGapMs = 0;
};

Figures measure(CaptureIntf *capture, int count)
{
    Figures figures;
    QElapsedTimer sinceTick;
    sinceTick.start();
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { figures.longestGapMs = std::max(figures.longestGapMs, sinceTick.restart()); });
    ticker.start(kTickMs);
    // Announced within the call: the signal arrives before captureVision returns.
    int announced = 0;
    QObject::connect(capture, &CaptureIntf::docCamImageCaptured, &ticker, [&] { ++announced; });
    for (int i = 0; i < count; ++i) {
        QTest::qWait(20);
        sinceTick.restart();
        QElapsedTimer timer;
        timer.start();
        QString path;
        const int code = capture->captureVision(&path);
        figures.ms.append(timer.nsecsElapsed() / 1e6);
        if (code != 0 || announced != i + 1 || !QFile::exists(path))
            std::fprintf(stderr, "capture %d failed: %d\n", i, code);
    }
    return figures;
}

void print(const char *name, Figures figures)
{
    std::sort(figures.ms.begin(), figures.ms.end());
    const double median = figures.ms[figures.ms.size() / 2];
    std::printf("%-34s median %7.1f ms  min %7.1f ms  max %7.1f ms  longest GUI pause %lld ms\n", name, median,
                figures.ms.first(), figures.ms.last(), figures.longestGapMs);
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/.local/share").toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QUILLO_V4L2", "0");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 20;

    SettingIntf *settings = SettingImpl::getInstance();
    settings->setSavePath(home.path() + "/Media/");

    VirtualCameraProfile profile;
    profile.identity.format.width = 1920;
    profile.identity.format.height = 1080;
    VirtualDocCam *camera = VirtualCameraHub::instance()->addCamera(profile);
    LumoVisionIntf *docCam = LumoVisionImpl::getInstance(nullptr);
    docCam->showCameraWidget();
    if (!QTest::qWaitFor([&] { return docCam->isDocCamConnected(); }, 5000)) {
        std::fprintf(stderr, "the virtual camera did not open\n");
        return 1;
    }
    CaptureIntf *capture = CaptureImpl::getInstance();

    camera->setStillBehaviour(VirtualDocCam::StillBehaviour::Refuse);
    print("live frame 1920x1080", measure(capture, count));
    camera->setStillBehaviour(VirtualDocCam::StillBehaviour::Deliver);
    std::printf("(still delay of the virtual camera: %d ms)\n", VirtualDocCam::DefaultStillDelayMs);
    print("full-quality still 3840x2160", measure(capture, std::max(1, count / 4)));

    capture->release();
    docCam->release();
    settings->release();
    return 0;
}
