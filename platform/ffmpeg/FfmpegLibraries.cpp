#include "FfmpegLibraries.h"

#include "ModuleLog.h"

#include <QElapsedTimer>
#include <QThreadPool>

#include <array>
#include <atomic>
#include <mutex>

#include <dlfcn.h>

extern "C" {
#include <libavcodec/version.h>
#include <libavformat/version.h>
#include <libavutil/macros.h>
#include <libavutil/version.h>
#include <libswscale/version.h>
}

namespace {

ModuleLog ffmpegLog("quillo/ffmpeg");

// The sonames the headers were written for: a library of another major version has another interface.
// libavformat first: loading it brings libavcodec and libavutil along.
constexpr std::array kLibraries = {
    "libavformat.so." AV_STRINGIFY(LIBAVFORMAT_VERSION_MAJOR),
    "libavcodec.so." AV_STRINGIFY(LIBAVCODEC_VERSION_MAJOR),
    "libswscale.so." AV_STRINGIFY(LIBSWSCALE_VERSION_MAJOR),
    "libavutil.so." AV_STRINGIFY(LIBAVUTIL_VERSION_MAJOR),
};

std::array<void *, kLibraries.size()> handles{};
std::once_flag loadOnce;
std::atomic<bool> loaded{false};

void loadAll()
{
    QElapsedTimer timer;
    timer.start();
    for (size_t i = 0; i < kLibraries.size(); ++i) {
        // Every relocation now, on the loading thread, rather than at the first call of each function.
        handles[i] = dlopen(kLibraries[i], RTLD_NOW | RTLD_LOCAL);
        if (!handles[i])
            qFatal("Cannot load the media library %s: %s", kLibraries[i], dlerror());
    }
    loaded = true;
    ffmpegLog(LogSystem::LOG_INFO, "FfmpegLibraries::load - media libraries loaded in %lld ms",
              static_cast<long long>(timer.elapsed()));
}

} // namespace

void FfmpegLibraries::load()
{
    std::call_once(loadOnce, loadAll);
}

void FfmpegLibraries::preloadInBackground()
{
    if (!isLoaded())
        QThreadPool::globalInstance()->start(&FfmpegLibraries::load);
}

bool FfmpegLibraries::isLoaded()
{
    return loaded;
}

void *FfmpegLibraries::symbol(const char *name)
{
    load();
    for (void *handle : handles) {
        if (void *function = dlsym(handle, name))
            return function;
    }
    qFatal("The media libraries have no function %s", name);
}
