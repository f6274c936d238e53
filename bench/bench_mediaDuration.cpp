// Measures what mediaDuration costs per file, for a short clip and for one-hour files whose AVI index is
// large (one entry per frame), since the media library calls it on the GUI thread for list rows.
#include "OsHelpers.h"
#include "TestMedia.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// Enough calls that the clock's resolution does not matter for sub-millisecond results.
constexpr int kCalls = 500;

bool measure(const char *label, const QString &path)
{
    if (path.isEmpty()) {
        std::fprintf(stderr, "%s: could not generate the file\n", label);
        return false;
    }
    QElapsedTimer timer;
    timer.start();
    const qint64 first = mediaDuration(path);
    const double firstMs = timer.nsecsElapsed() / 1e6;
    timer.restart();
    for (int i = 0; i < kCalls; ++i)
        mediaDuration(path);
    const double perFileMs = timer.nsecsElapsed() / 1e6 / kCalls;
    std::printf("%-44s duration %8lld ms   first call %7.3f ms   %7.3f ms per file (%d calls)\n", label,
                static_cast<long long>(first), firstMs, perFileMs, kCalls);
    return first > 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty()) {
        std::fprintf(stderr, "the ffmpeg command is needed to generate the files\n");
        return 1;
    }
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;

    std::printf("generating files in %s (the one-hour files take a while)...\n", qPrintable(dir.path()));
    std::fflush(stdout);
    const QString shortAvi = TestMedia::writeAvi(dir.path(), QStringLiteral("short.avi"), 2.0);
    const QString shortWmv = TestMedia::writeWmv(dir.path(), QStringLiteral("short.wmv"), 2.0);
    // 25 frames per second for an hour, at a tiny picture and without sound so the file stays small
    // (about 12 MB) while its index holds the 90000 entries of a real one-hour recording.
    const QString hourAvi = TestMedia::writeAvi(dir.path(), QStringLiteral("hour.avi"), 3600.0, {32, 32}, false);
    const QString hourWmv = TestMedia::writeWmv(dir.path(), QStringLiteral("hour.wmv"), 3600.0, {32, 32}, false);

    bool ok = measure("short AVI (2 s, 320x240, PCM audio)", shortAvi);
    ok = measure("short WMV (2 s, 320x240, WMA audio)", shortWmv) && ok;
    ok = measure("one-hour AVI (25 fps, 32x32, 90000 frames)", hourAvi) && ok;
    ok = measure("one-hour WMV (25 fps, 32x32)", hourWmv) && ok;
    return ok ? 0 : 1;
}
