// Playback cost against ffplay. A 1080p XviD file (made by ffmpeg at the recorder's settings, no sound) is
// played to an X server of the bench's own, one player after the other:
//  - by the media service into a full-screen video widget (decode, conversion, paint, at the widget's cap
//    of 20 frames a second), measured as this process's CPU time while it plays;
//  - by ffplay at the file's 25 frames a second in a window of the same size, silent (-an), with its
//    default renderer and with SDL's software renderer, measured as the child's CPU time;
// the X server's CPU beside each. Then the conversion alone per frame, the old way (the player library's
// own toImage) against the converter the widget uses.
// Usage: bench_VideoFrame [seconds of the file, default 20]
#include "BenchSupport.h"
#include "FrameGrabCallback.h"
#include "VideoFrameConverter.h"
#include "VideoWidget.h"
#include "WinMediaService.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QMediaPlayer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QVideoSink>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

using namespace BenchSupport;

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
// Frames whose conversion is timed alone.
constexpr int kTimedFrames = 50;

// CPU seconds of each thread of this process so far, by thread id, with the thread's name.
QMap<QByteArray, QPair<QByteArray, double>> threadCpu()
{
    QMap<QByteArray, QPair<QByteArray, double>> threads;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString &id : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks.filePath(id) + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const QByteArray name = line.mid(line.indexOf('(') + 1, line.lastIndexOf(')') - line.indexOf('(') - 1);
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        threads.insert(id.toLatin1(), {name, (fields.value(11).toDouble() + fields.value(12).toDouble())
                                                 / double(sysconf(_SC_CLK_TCK))});
    }
    return threads;
}

struct Played
{
    double cpu = 0;
    double serverCpu = 0;
    double seconds = 0;
    QString note;
    QString threads;
};

Played playWithQuillo(const QString &file, pid_t server)
{
    Played played;
    VideoWidget widget;
    widget.setGeometry(0, 0, kWidth, kHeight);
    widget.show();
    PaintCounter counter;
    widget.installEventFilter(&counter);
    WinMediaService media;
    if (!media.setMedia(file) || !media.setGrabberCallback(widget.grabCallback())) {
        played.note = QStringLiteral("could not open the file");
        return played;
    }
    QCoreApplication::processEvents();
    counter.paints = 0;
    const double cpuStart = processCpuSeconds();
    const double serverStart = otherCpuSeconds(server);
    QElapsedTimer wall;
    wall.start();
    media.play();
    const qint64 limit = media.duration() + 60000;
    const auto before = threadCpu();
    // Threads of the player may end with the file: their last reading before that is kept.
    auto during = before;
    // An event loop that sleeps between events, as the application's does; a loop of processEvents() calls
    // would spin and charge its polling to the player.
    QEventLoop loop;
    QTimer sample;
    QObject::connect(&sample, &QTimer::timeout, &loop, [&] {
        during.insert(threadCpu());
        if (media.mediaState() != WinMediaService::STATE_PLAYING || wall.elapsed() >= limit)
            loop.quit();
    });
    sample.start(250);
    loop.exec();
    during.insert(threadCpu());
    played.cpu = processCpuSeconds() - cpuStart;
    // By thread name: the GUI thread paints, the pooled converter converts, the player's threads decode.
    QMap<QByteArray, double> byName;
    for (auto it = during.cbegin(); it != during.cend(); ++it) {
        const QByteArray id = it.key();
        const bool gui = id == QByteArray::number(getpid());
        byName[gui ? QByteArray("GUI thread") : it->first] += it->second - before.value(id).second;
    }
    QStringList parts;
    for (auto it = byName.cbegin(); it != byName.cend(); ++it)
        if (it.value() >= 0.05)
            parts << QStringLiteral("%1 %2 s").arg(QString::fromLatin1(it.key())).arg(it.value(), 0, 'f', 2);
    played.threads = parts.join(QStringLiteral(", "));
    played.serverCpu = otherCpuSeconds(server) - serverStart;
    played.seconds = wall.elapsed() / 1000.0;
    played.note =
        QStringLiteral("%1 frames converted, %2 paints").arg(widget.grabCallback()->conversions()).arg(counter.paints);
    media.releaseMedia();
    return played;
}

Played playWithFfplay(const QString &file, pid_t server, const QString &folder, const QByteArray &renderer)
{
    Played played;
    const QString log = folder + QStringLiteral("/ffplay.log");
    std::vector<QByteArray> environment;
    if (!renderer.isEmpty())
        environment.push_back("SDL_RENDER_DRIVER=" + renderer);
    const double serverStart = otherCpuSeconds(server);
    QElapsedTimer wall;
    wall.start();
    const pid_t child = spawn({"ffplay", "-hide_banner", "-an", "-autoexit", "-noborder", "-left", "0", "-top", "0",
                               "-x", QByteArray::number(kWidth), "-y", QByteArray::number(kHeight),
                               QFile::encodeName(file)},
                              QFile::encodeName(log), environment);
    int status = 0;
    played.cpu = waitCpuSeconds(child, &status);
    played.serverCpu = otherCpuSeconds(server) - serverStart;
    played.seconds = wall.elapsed() / 1000.0;
    QFile text(log);
    text.open(QIODevice::ReadOnly);
    const QString output = QString::fromLocal8Bit(text.readAll());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        played.note = QStringLiteral("failed: ") + output.right(300);
        return played;
    }
    // Its last status line counts the frames it dropped to keep time.
    const QRegularExpression dropped(QStringLiteral("fd=\\s*(\\d+)"));
    QRegularExpressionMatch last;
    for (auto it = dropped.globalMatch(output); it.hasNext();)
        last = it.next();
    played.note = QStringLiteral("%1 frames dropped").arg(last.captured(1));
    return played;
}

void printPlayed(const char *who, const Played &played, double fileSeconds)
{
    std::printf("  %-24s %5.2f s CPU = %3.0f %% of one core, X server %5.2f s = %3.0f %%; played in %.1f s; %s\n", who,
                played.cpu, 100 * played.cpu / fileSeconds, played.serverCpu, 100 * played.serverCpu / fileSeconds,
                played.seconds, qPrintable(played.note));
    if (!played.threads.isEmpty())
        std::printf("    by thread: %s\n", qPrintable(played.threads));
}

// The conversion alone on frames as the player delivers them: the library's own, and the widget's.
void timeConversions(const QString &file)
{
    QVideoSink sink;
    QMediaPlayer player;
    player.setVideoSink(&sink);
    QList<QVideoFrame> frames;
    QObject::connect(&sink, &QVideoSink::videoFrameChanged, &sink, [&](const QVideoFrame &frame) {
        if (frames.size() < kTimedFrames)
            frames << frame;
    });
    player.setSource(QUrl::fromLocalFile(file));
    player.play();
    QElapsedTimer guard;
    guard.start();
    while (frames.size() < kTimedFrames && guard.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    player.pause();
    if (frames.isEmpty())
        return;
    VideoFrameConverter converter;
    double own = 0;
    double library = 0;
    for (const QVideoFrame &frame : std::as_const(frames)) {
        double mark = processCpuSeconds();
        const QImage converted = converter.convert(frame);
        own += processCpuSeconds() - mark;
        mark = processCpuSeconds();
        QImage image = frame.toImage();
        image.convertTo(QImage::Format_RGB32);
        library += processCpuSeconds() - mark;
    }
    std::printf("conversion per %dx%d frame (%s, %lld frames), CPU: the player library's own %.2f ms, the "
                "widget's converter %.2f ms\n",
                frames.first().width(), frames.first().height(),
                qPrintable(QVideoFrameFormat::pixelFormatToString(frames.first().pixelFormat())),
                qlonglong(frames.size()), library * 1000 / frames.size(), own * 1000 / frames.size());
}

} // namespace

int main(int argc, char *argv[])
{
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 20;
    QTemporaryDir folder;
    qputenv("HOME", QFile::encodeName(folder.path()));
    const QString file = QDir(folder.path()).filePath(QStringLiteral("full-hd.avi"));
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {"-v", "error", "-y", "-f", "lavfi", "-i",
                  QStringLiteral("testsrc2=size=%1x%2:rate=25:duration=%3").arg(kWidth).arg(kHeight).arg(seconds),
                  "-c:v", "libxvid", "-qscale:v", "4", "-g", "10", "-bf", "0", "-an", file});
    if (!ffmpeg.waitForFinished(300000) || ffmpeg.exitCode() != 0) {
        std::fprintf(stderr, "ffmpeg could not make the file\n");
        return 1;
    }
    pid_t server = 0;
    const QByteArray display = startXServer(QSize(kWidth, kHeight), &server);
    if (display.isEmpty()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    qputenv("DISPLAY", display);
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    std::printf("%d s of 1920x1080 XviD at 25 fps on its own Xvfb; %d CPUs, load average %s\n", seconds,
                int(sysconf(_SC_NPROCESSORS_ONLN)), loadAverage().constData());
    const Played quillo = playWithQuillo(file, server);
    printPlayed("Quillo (20 fps cap)", quillo, seconds);
    const Played ffplay = playWithFfplay(file, server, folder.path(), QByteArray());
    printPlayed("ffplay (25 fps)", ffplay, seconds);
    const Played software = playWithFfplay(file, server, folder.path(), "software");
    printPlayed("ffplay, software renderer", software, seconds);
    if (ffplay.cpu > 0 && software.cpu > 0)
        std::printf("ratio Quillo / ffplay: %.2f (default renderer), %.2f (software renderer); with the X server's "
                    "share %.2f and %.2f; load average %s after\n",
                    quillo.cpu / ffplay.cpu, quillo.cpu / software.cpu,
                    (quillo.cpu + quillo.serverCpu) / (ffplay.cpu + ffplay.serverCpu),
                    (quillo.cpu + quillo.serverCpu) / (software.cpu + software.serverCpu), loadAverage().constData());
    timeConversions(file);
    return 0;
}
