// Measures Quillo's start as a user sees it, on an X server of its own (Xvfb) with every camera service on
// the virtual document camera and web cam: from the process's start to its first shown window, and to the
// first camera picture painted in it, over several runs in a fresh user folder. A first run, not counted,
// builds the settings and log folders and warms the font cache. Beside the clock it reports the CPU time the
// program has used by each point (user and system, all threads, in 10 ms ticks), which a loaded machine
// stretches far less than the clock, and the load averages before and after.
//     bench_startup [runs]
#include "BenchSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>
#include <cstdio>

namespace {

// A window that shows no camera picture this long after it is shown has no camera view.
constexpr int kFrameTimeoutMs = 10000;
constexpr int kStartTimeoutMs = 20000;

struct Run
{
    qint64 toShownMs = -1;
    qint64 insideToShownMs = -1;
    qint64 toFrameMs = -1;
    qint64 insideToFrameMs = -1;
    qint64 cpuToShownMs = -1;
    qint64 cpuToFrameMs = -1;
};

double median(QList<qint64> values)
{
    std::sort(values.begin(), values.end());
    return values.size() % 2 ? values[values.size() / 2]
                             : (values[values.size() / 2 - 1] + values[values.size() / 2]) / 2.0;
}

void print(const char *what, const QList<qint64> &values)
{
    std::printf("%-46s median %7.1f ms, min %lld, max %lld\n", what, median(values),
                *std::min_element(values.begin(), values.end()), *std::max_element(values.begin(), values.end()));
}

qint64 reported(const QByteArray &output, const char *what)
{
    const QRegularExpression line(QStringLiteral("%1 after (\\d+) ms").arg(QLatin1String(what)));
    const QRegularExpressionMatch match = line.match(QString::fromUtf8(output));
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

bool runOnce(const QProcessEnvironment &env, Run *run, QByteArray *output)
{
    QProcess quillo;
    quillo.setProcessEnvironment(env);
    quillo.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer timer;
    timer.start();
    quillo.start(QCoreApplication::applicationDirPath() + QStringLiteral("/quillo"), {});
    QElapsedTimer sinceShown;
    while (quillo.state() != QProcess::NotRunning) {
        const int limit = run->toShownMs < 0 ? kStartTimeoutMs : kFrameTimeoutMs;
        const QElapsedTimer &clock = run->toShownMs < 0 ? timer : sinceShown;
        if (clock.elapsed() > limit)
            break;
        if (!quillo.waitForReadyRead(100))
            continue;
        *output += quillo.readAllStandardOutput();
        if (run->toShownMs < 0 && output->contains("window shown")) {
            run->toShownMs = timer.elapsed();
            run->cpuToShownMs = qRound64(BenchSupport::otherCpuSeconds(quillo.processId()) * 1000);
            sinceShown.start();
        }
        if (output->contains("camera frame painted")) {
            run->toFrameMs = timer.elapsed();
            run->cpuToFrameMs = qRound64(BenchSupport::otherCpuSeconds(quillo.processId()) * 1000);
            break;
        }
    }
    if (!quillo.waitForFinished(run->toFrameMs < 0 ? 0 : 10000)) {
        quillo.terminate();
        if (!quillo.waitForFinished(5000))
            quillo.kill();
        quillo.waitForFinished();
    }
    *output += quillo.readAllStandardOutput();
    run->insideToShownMs = reported(*output, "window shown");
    run->insideToFrameMs = reported(*output, "camera frame painted");
    return run->toShownMs >= 0 && run->insideToShownMs >= 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 10;
    pid_t xServer = 0;
    const QByteArray display = BenchSupport::startXServer(QSize(1920, 1080), &xServer);
    if (display.isEmpty()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/.local/share"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home.path() + QStringLiteral("/.cache"));
    env.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("QUILLO_V4L2"), QStringLiteral("0"));
    env.insert(QStringLiteral("QUILLO_VIRTUAL_CAMERA"), QStringLiteral("1"));
    env.insert(QStringLiteral("QUILLO_VIRTUAL_WEBCAM"), QStringLiteral("1"));
    env.insert(QStringLiteral("QUILLO_STARTUP_PROBE"), QStringLiteral("frame"));

    const QByteArray loadBefore = BenchSupport::loadAverage();
    QList<Run> results;
    for (int i = 0; i <= runs; ++i) {
        Run run;
        QByteArray output;
        if (!runOnce(env, &run, &output)) {
            std::fprintf(stderr, "run %d failed: %s\n", i, output.constData());
            kill(xServer, SIGTERM);
            return 1;
        }
        if (i > 0)
            results.append(run);
    }
    kill(xServer, SIGTERM);

    QList<qint64> shown, insideShown, frame, insideFrame, shownToFrame, cpuShown, cpuFrame;
    for (const Run &run : std::as_const(results)) {
        shown.append(run.toShownMs);
        insideShown.append(run.insideToShownMs);
        cpuShown.append(run.cpuToShownMs);
        if (run.toFrameMs >= 0 && run.insideToFrameMs >= 0) {
            frame.append(run.toFrameMs);
            insideFrame.append(run.insideToFrameMs);
            shownToFrame.append(run.insideToFrameMs - run.insideToShownMs);
            cpuFrame.append(run.cpuToFrameMs);
        }
    }
    QList<qint64> loading;
    for (qsizetype i = 0; i < shown.size(); ++i)
        loading.append(shown[i] - insideShown[i]);
    std::printf("runs: %d on Xvfb 1920x1080, virtual document camera and web cam (a warm-up run not counted)\n", runs);
    print("process start to main() (loading, linking):", loading);
    print("main() to first shown window:", insideShown);
    print("process start to first shown window:", shown);
    print("CPU time to first shown window:", cpuShown);
    if (frame.size() == results.size()) {
        print("first shown window to first camera picture:", shownToFrame);
        print("process start to first camera picture:", frame);
        print("CPU time to first camera picture:", cpuFrame);
    } else {
        std::printf("first camera picture: painted in %lld of %lld runs within %d ms of the window showing "
                    "(the window shows no camera view)\n",
                    static_cast<long long>(frame.size()), static_cast<long long>(results.size()), kFrameTimeoutMs);
    }
    std::printf("load average before: %s, after: %s\n", loadBefore.trimmed().constData(),
                BenchSupport::loadAverage().trimmed().constData());
    return 0;
}
