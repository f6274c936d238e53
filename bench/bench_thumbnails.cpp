// Measures the media library's thumbnails: image thumbnails of a folder of 1,000 full-HD photos through the
// thread manager (at most three workers), with an empty cache and again with every thumbnail cached; and
// video thumbnails of 20 recordings, one after the other as the thumbnail view asks for them.
//     bin/bench_thumbnails [images] [videos]
#include "MediaFileStore.h"
#include "MediaThumbnailCreator.h"
#include "TestEnvironment.h"
#include "TestMedia.h"
#include "ThreadManager.h"
#include "VideoThumbnailGenerator.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPainter>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtConcurrent/QtConcurrentMap>

#include <sys/resource.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kDefaultImages = 1000;
constexpr int kDefaultVideos = 20;
// Enough single decodes to average out the disk cache and the clock.
constexpr int kFullDecodeSamples = 30;

QString cpuName()
{
    QFile info(QStringLiteral("/proc/cpuinfo"));
    if (!info.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    for (const QByteArray &line : info.readAll().split('\n')) {
        if (line.startsWith("model name"))
            return QString::fromUtf8(line.mid(line.indexOf(':') + 1).trimmed());
    }
    return QStringLiteral("unknown");
}

// A photo-like 1920 x 1080 picture: a sky-to-ground gradient, a few dozen soft shapes in varying colours,
// a line of text and light noise, so that it compresses like a photo (some 300 KB at quality 90).
QImage photo(int seed)
{
    QRandomGenerator random(seed);
    QImage image(1920, 1080, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 1080);
    sky.setColorAt(0, QColor::fromHsv(seed * 7 % 360, 120, 230));
    sky.setColorAt(1, QColor::fromHsv((seed * 7 + 90) % 360, 160, 90));
    painter.fillRect(image.rect(), sky);
    for (int i = 0; i < 40; ++i) {
        painter.setBrush(QColor::fromHsv(random.bounded(360), 150, 200, 160));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QPointF(random.bounded(1920), random.bounded(1080)), random.bounded(40, 300),
                            random.bounded(40, 300));
    }
    painter.setPen(Qt::white);
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 48));
    painter.drawText(QRect(0, 900, 1920, 120), Qt::AlignCenter, QStringLiteral("Field trip, photo %1").arg(seed));
    painter.end();
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int n = int(random.bounded(9)) - 4;
            const QRgb p = line[x];
            line[x] = qRgb(qBound(0, qRed(p) + n, 255), qBound(0, qGreen(p) + n, 255), qBound(0, qBlue(p) + n, 255));
        }
    }
    return image;
}

// Processor time the whole process has used so far, user and system, in milliseconds. On a shared machine
// the wall time of a phase depends on what else runs; its processor time hardly does.
double processCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval &t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

struct Timing
{
    double wallMs;
    double cpuMs;
};

// Runs one thumbnail creator per image through the manager, as the tiles of a folder do.
Timing runImages(const QStringList &images)
{
    MediaFileStore *store = MediaFileStore::getInstance();
    std::vector<std::unique_ptr<MediaThumbnailCreator>> creators;
    for (const QString &image : images) {
        creators.push_back(std::make_unique<MediaThumbnailCreator>(store));
        creators.back()->setImagePath(image);
    }
    // The creators report on their own threads; the count is kept there and the waiting loop told once.
    QEventLoop allDone;
    std::atomic<int> left{int(creators.size())};
    for (const auto &creator : creators) {
        QObject::connect(
            creator.get(), &QThread::finished, creator.get(),
            [&] {
                if (--left == 0)
                    QMetaObject::invokeMethod(&allDone, &QEventLoop::quit, Qt::QueuedConnection);
            },
            Qt::DirectConnection);
    }
    QElapsedTimer clock;
    clock.start();
    const double cpuBefore = processCpuMs();
    for (const auto &creator : creators)
        ThreadManager::getInstance()->addThread(creator.get());
    if (!creators.empty())
        allDone.exec();
    const Timing timing{clock.nsecsElapsed() / 1e6, processCpuMs() - cpuBefore};
    for (const auto &creator : creators)
        ThreadManager::getInstance()->removeThread(creator.get());
    return timing;
}

int countThumbnails(const QStringList &media)
{
    int made = 0;
    for (const QString &path : media)
        made += MediaFileStore::getInstance()->hasThumbnail(path) ? 1 : 0;
    return made;
}

} // namespace

int main(int argc, char *argv[])
{
    // Its own HOME and data folders: the thumbnail cache and the information files land there.
    if (!TestEnvironment::prepare())
        return 1;
    QApplication app(argc, argv);
    const int imageCount = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : kDefaultImages;
    const int videoCount = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : kDefaultVideos;
    if (QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty()) {
        std::fprintf(stderr, "the ffmpeg command is needed to generate the videos\n");
        return 1;
    }
    std::printf("machine: %s, %d threads\n", qPrintable(cpuName()), QThread::idealThreadCount());

    const QString photos = TestEnvironment::home() + QStringLiteral("/Photos");
    const QString videos = TestEnvironment::home() + QStringLiteral("/Videos");
    QDir().mkpath(photos);
    QDir().mkpath(videos);
    MediaFileStore::getInstance()->makeCacheFolder(photos);
    MediaFileStore::getInstance()->makeCacheFolder(videos);

    std::printf("generating %d photos of 1920x1080 (JPEG quality 90)...\n", imageCount);
    std::fflush(stdout);
    QStringList images;
    for (int i = 0; i < imageCount; ++i)
        images.append(QStringLiteral("%1/IMG_%2.jpg").arg(photos).arg(i, 4, 10, QLatin1Char('0')));
    QtConcurrent::blockingMap(images, [](const QString &path) {
        const int seed = QFileInfo(path).baseName().mid(4).toInt();
        photo(seed).save(path, "JPG", 90);
    });
    qint64 bytes = 0;
    for (const QString &image : std::as_const(images))
        bytes += QFileInfo(image).size();
    std::printf("photos: %.0f KB on average\n", bytes / 1024.0 / qMax(1, imageCount));

    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < kFullDecodeSamples && i < imageCount; ++i)
        QImage(images.at(i)).size();
    std::printf("full decode of one photo (QImage, for comparison): %.1f ms\n",
                clock.nsecsElapsed() / 1e6 / qMin(kFullDecodeSamples, imageCount));

    // Load average of the last minute: the wall times below stretch with it when it exceeds the cores.
    double load[1] = {0};
    getloadavg(load, 1);
    std::printf("load average while measuring: %.1f\n", load[0]);
    const Timing cold = runImages(images);
    std::printf("image thumbnails, cold cache: %.0f ms for %d (%.2f ms each), processor %.2f ms each, %d made\n",
                cold.wallMs, imageCount, cold.wallMs / qMax(1, imageCount), cold.cpuMs / qMax(1, imageCount),
                countThumbnails(images));
    const Timing warm = runImages(images);
    std::printf("image thumbnails, warm cache: %.0f ms for %d (%.3f ms each), processor %.3f ms each\n", warm.wallMs,
                imageCount, warm.wallMs / qMax(1, imageCount), warm.cpuMs / qMax(1, imageCount));

    std::printf("generating %d videos (8 s, 640x480, 25 fps, XVID with PCM sound)...\n", videoCount);
    std::fflush(stdout);
    QStringList clips;
    for (int i = 0; i < videoCount; ++i) {
        const QString clip = TestMedia::writeAvi(videos, QStringLiteral("Lesson %1.avi").arg(i + 1), 8, {640, 480});
        if (clip.isEmpty())
            return 1;
        clips.append(clip);
    }
    VideoThumbnailGenerator generator;
    QList<double> finishedAt;
    QObject::connect(&generator, &VideoThumbnailGenerator::createThumbnailComplete,
                     [&] { finishedAt.append(clock.nsecsElapsed() / 1e6); });
    clock.restart();
    generator.createThumbnails(clips);
    while (finishedAt.size() < videoCount && clock.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    if (finishedAt.size() < videoCount) {
        std::fprintf(stderr, "only %d of %d video thumbnails finished\n", int(finishedAt.size()), videoCount);
        return 1;
    }
    double slowest = finishedAt.first();
    for (int i = 1; i < finishedAt.size(); ++i)
        slowest = qMax(slowest, finishedAt.at(i) - finishedAt.at(i - 1));
    const double afterFirst = videoCount > 1 ? (finishedAt.last() - finishedAt.first()) / (videoCount - 1) : 0;
    std::printf("video thumbnails: first %.0f ms (includes starting the player framework), then %.0f ms each, "
                "slowest %.0f ms; %d made\n",
                finishedAt.first(), afterFirst, slowest, countThumbnails(clips));
    return 0;
}
