// Measures the media-library panel as a user meets it, over generated folders of pictures with a few videos:
// entering a folder (listing, one record, row and tile per entry, the index brought in step with the folder)
// in the list view and in the thumbnail view; a file appearing in the shown folder, from its arrival on disk
// to the panel's watcher event and from that event to its row or tile being painted; and a file removed on
// disk, until its row is gone (by itself or by a reload of the folder). In the thumbnail view also: how soon
// the first tiles are painted after entering, scrolling to the end, how many tile widgets exist in each view
// and the process's resident memory. Each step reports how long the GUI thread was held and how late a 5 ms
// timer ran meanwhile, as the views' benchmark does. A large folder's rows arrive in batches after the call
// that enters it: "blocked" is that call, "worst lateness" the longest hold of the loop while the rest arrive
// and settle, "all rows in" the time until the last batch (and, in the thumbnail view, the first tile painted).
//     bin/bench_browserPanel [entries...]   (1,000, 5,000 and 20,000 when none are named)
#include "BenchSupport.h"
#include "MediaLibScrollArea.h"
#include "MediaLibTableModel.h"
#include "MediaLibTableView.h"
#include "MediaLibThumbnailView.h"
#include "MediaLibraryImpl.h"
#include "MediaLibraryPanel.h"
#include "MediaThumbnailObj.h"
#include "Screenshot.h"
#include "SettingImpl.h"
#include "TestEnvironment.h"
#include "TestMedia.h"
#include "ThreadManager.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QImage>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

// The tick whose lateness stands for the event loop's.
constexpr int kTickMs = 5;
// How long the loop is watched after a file event: long enough for a window of thumbnails to come back.
constexpr int kDrainMs = 400;
// After a folder change the loop is watched until it keeps time again: no tick later than kQuietLateMs for
// kQuietMs (the earlier folder's tiles are deleted and the new ones laid out and painted in queued work),
// at most kSettleMs.
constexpr int kQuietLateMs = 20;
constexpr int kQuietMs = 300;
constexpr int kSettleMs = 20000;
// Longest wait for a watcher event or a paint before the step counts as missed.
constexpr int kEventTimeoutMs = 3000;
// Files added one at a time per view; the worst and the median are reported.
constexpr int kRepeats = 5;
// Files removed one at a time per view; from about this many entries on (where generating the folder and
// visiting it take most of the run) a single removal is measured.
constexpr int kLargeFolder = 5000;
constexpr int kRemovals = 3;
// The folder sizes of a run without arguments: a year of snapshots and a long time-lapse series.
const QList<int> kDefaultSizes = {1000, 5000, 20000};
// Videos among the pictures: enough to put the video thumbnailer to work, few as in a teacher's folder.
constexpr int kVideos = 5;

// Ticks a precise timer while the loop runs and keeps the worst lateness it saw.
class LatenessProbe
{
public:
    LatenessProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_lastMs = m_tick.nsecsElapsed() / 1e6 - kTickMs;
            m_worstMs = std::max(m_worstMs, m_lastMs);
            m_tick.restart();
        });
        m_tick.start();
        m_timer.start(kTickMs);
    }
    double worstMs() const { return m_worstMs; }
    double lastLateMs() const { return m_lastMs; }

private:
    QTimer m_timer;
    QElapsedTimer m_tick;
    double m_worstMs = 0;
    double m_lastMs = 0;
};

// One turn of the event loop as the application's own runs it: processEvents alone, called outside any
// event loop, never carries out deleteLater, so the tiles let go would stay in memory and in the counts.
void turnLoop()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents, kTickMs);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void runLoop(int ms, const std::function<bool()> &done = {})
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms && !(done && done()))
        turnLoop();
}

void runUntilQuiet(const LatenessProbe &probe)
{
    QElapsedTimer clock, quiet;
    clock.start();
    quiet.start();
    while (clock.elapsed() < kSettleMs && quiet.elapsed() < kQuietMs) {
        turnLoop();
        if (probe.lastLateMs() > kQuietLateMs)
            quiet.restart();
    }
}

// Notes when a directory watcher's notifier fires (the event that starts the panel's update) and when the
// watched widget is next painted after a mark.
class EventClock : public QObject
{
public:
    explicit EventClock(const QElapsedTimer &clock)
        : m_clock(clock)
    {
    }
    double watcherMs = -1;
    double paintMs = -1;
    bool armedForPaint = false;
    QWidget *painted = nullptr;

    void reset()
    {
        watcherMs = -1;
        paintMs = -1;
        armedForPaint = false;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::SockAct && watcherMs < 0) {
            for (QObject *up = watched; up; up = up->parent()) {
                if (qobject_cast<QFileSystemWatcher *>(up)) {
                    watcherMs = m_clock.nsecsElapsed() / 1e6;
                    break;
                }
            }
        } else if (event->type() == QEvent::Paint && armedForPaint && paintMs < 0 && painted
                   && (watched == painted || painted->isAncestorOf(qobject_cast<QWidget *>(watched)))) {
            paintMs = m_clock.nsecsElapsed() / 1e6;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const QElapsedTimer &m_clock;
};

struct Sample
{
    double toWatcherMs = -1;
    double watcherToModelMs = -1;
    double watcherToPaintMs = -1;
    double worstLateMs = 0;
};

double median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void printRow(const char *what, int entries, const char *view, const std::vector<double> &values,
              const char *unit = "ms")
{
    std::vector<double> known;
    for (double value : values) {
        if (value >= 0)
            known.push_back(value);
    }
    const int missed = int(values.size() - known.size());
    const double worst = known.empty() ? -1 : *std::max_element(known.begin(), known.end());
    std::printf("%-40s %6d %-10s median %8.1f %s  worst %8.1f %s%s\n", what, entries, view, median(known), unit, worst,
                unit, missed ? qPrintable(QStringLiteral("  (%1 missed)").arg(missed)) : "");
}

QByteArray tinyJpeg(int hue)
{
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(QColor::fromHsv(hue % 360, 150, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPG", 80);
    return bytes;
}

// Writes a file under a hidden name and renames it into place, as the capture does, so that it appears whole.
bool writeWhole(const QString &path, const QByteArray &bytes)
{
    const QString part = QFileInfo(path).absolutePath() + QStringLiteral("/.bench-part");
    QFile file(part);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return false;
    file.close();
    return QFile::rename(part, path);
}

QString makeFolder(const QString &root, int entries, const QString &video)
{
    const QString folder = root + QStringLiteral("/Folder %1").arg(entries);
    QDir().mkpath(folder);
    const QByteArray picture = tinyJpeg(entries);
    const int videos = video.isEmpty() ? 0 : kVideos;
    for (int i = 0; i < entries - videos; ++i) {
        QFile file(folder + QStringLiteral("/Snapshot_%1.jpg").arg(i));
        if (file.open(QIODevice::WriteOnly))
            file.write(picture);
    }
    for (int i = 0; i < videos; ++i)
        QFile::copy(video, folder + QStringLiteral("/Lesson %1.avi").arg(i + 1));
    return folder;
}

void waitForThumbnails()
{
    // The thumbnails of the shown window come back from their threads; bounded so a loaded machine ends too.
    runLoop(3000, [] { return !ThreadManager::getInstance()->isRunning(); });
}

// Notes when a tile of the thumbnail view (or, in the list view, the list's viewport) is first painted.
class FirstPaint : public QObject
{
public:
    FirstPaint(const QElapsedTimer &clock, QWidget *shown)
        : m_clock(clock)
        , m_shown(shown)
    {
    }
    double ms = -1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && ms < 0) {
            auto *tile = qobject_cast<MediaThumbnailObj *>(watched);
            if ((tile && m_shown->isAncestorOf(tile))
                || (watched == m_shown && !qobject_cast<MediaLibThumbnailView *>(m_shown)))
                ms = m_clock.nsecsElapsed() / 1e6;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const QElapsedTimer &m_clock;
    QWidget *m_shown;
};

QWidget *shownView(MediaLibraryPanel *panel)
{
    return panel->viewMode() == MediaLibraryPanel::ThumbnailMode ? static_cast<QWidget *>(panel->thumbnailView())
                                                                 : panel->listView()->viewport();
}

int tileWidgets(MediaLibraryPanel *panel)
{
    return int(panel->findChildren<MediaThumbnailObj *>().size());
}

// The resident set of the process, from /proc, in MB.
double residentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    }
    return -1;
}

void enterFolder(MediaLibraryPanel *panel, const QString &folder, int entries, const char *what, const char *view)
{
    QElapsedTimer clock;
    FirstPaint painted(clock, shownView(panel));
    qApp->installEventFilter(&painted);
    clock.start();
    panel->changeDirectory(QDir(folder));
    const double blocked = clock.nsecsElapsed() / 1e6;
    LatenessProbe probe;
    // A large folder's rows arrive in batches after the call: the loop runs until the last one is in (and
    // the first tile painted, in the thumbnail view), then until it keeps time again.
    const bool tiles = panel->viewMode() == MediaLibraryPanel::ThumbnailMode && !QDir(folder).isEmpty();
    runLoop(kSettleMs, [&] { return !panel->isLoading() && (!tiles || painted.ms >= 0); });
    const double allRowsMs = clock.nsecsElapsed() / 1e6;
    runLoop(kDrainMs);
    runUntilQuiet(probe);
    qApp->removeEventFilter(&painted);
    std::printf("%-40s %6d %-10s blocked  %8.1f ms  then worst lateness %8.1f ms  first painted %8.1f ms  "
                "all rows in %8.1f ms\n",
                what, entries, view, blocked, probe.worstMs(), painted.ms, allRowsMs);
    waitForThumbnails();
    std::printf("%-40s %6d %-10s %d tile widgets, RSS %.1f MB\n", "  after it", entries, view, tileWidgets(panel),
                residentMb());
}

void scrollToEnd(MediaLibraryPanel *panel, int entries)
{
    QScrollBar *bar = panel->scrollArea()->scrollBar(Qt::Vertical);
    QElapsedTimer clock;
    FirstPaint painted(clock, panel->thumbnailView());
    qApp->installEventFilter(&painted);
    clock.start();
    bar->setValue(bar->maximum());
    const double blocked = clock.nsecsElapsed() / 1e6;
    LatenessProbe probe;
    runLoop(kEventTimeoutMs, [&] { return painted.ms >= 0; });
    runUntilQuiet(probe);
    qApp->removeEventFilter(&painted);
    std::printf("%-40s %6d %-10s blocked  %8.1f ms  then worst lateness %8.1f ms  first painted %8.1f ms\n",
                "scroll to the end", entries, "thumbnails", blocked, probe.worstMs(), painted.ms);
    waitForThumbnails();
    bar->setValue(0);
    runLoop(kDrainMs);
}

void newFiles(MediaLibraryPanel *panel, const QString &folder, int entries, const char *view, int round)
{
    QWidget *shown = panel->viewMode() == MediaLibraryPanel::ThumbnailMode
                         ? static_cast<QWidget *>(panel->thumbnailView())
                         : panel->listView()->viewport();
    QElapsedTimer clock;
    EventClock events(clock);
    events.painted = shown;
    qApp->installEventFilter(&events);
    double modelMs = -1;
    const QMetaObject::Connection inserted = QObject::connect(panel->folderModel(), &QAbstractItemModel::rowsInserted,
                                                              [&] {
                                                                  if (modelMs < 0) {
                                                                      modelMs = clock.nsecsElapsed() / 1e6;
                                                                      events.armedForPaint = true;
                                                                  }
                                                              });
    std::vector<Sample> samples;
    const QByteArray picture = tinyJpeg(round);
    for (int i = 0; i < kRepeats; ++i) {
        runLoop(100);
        events.reset();
        modelMs = -1;
        LatenessProbe probe;
        clock.start();
        writeWhole(folder + QStringLiteral("/New capture %1-%2.jpg").arg(round).arg(i), picture);
        runLoop(kEventTimeoutMs, [&] { return events.paintMs >= 0; });
        runLoop(kDrainMs / 2);
        Sample sample;
        sample.toWatcherMs = events.watcherMs;
        if (events.watcherMs >= 0 && modelMs >= 0)
            sample.watcherToModelMs = modelMs - events.watcherMs;
        if (events.watcherMs >= 0 && events.paintMs >= 0)
            sample.watcherToPaintMs = events.paintMs - events.watcherMs;
        sample.worstLateMs = probe.worstMs();
        samples.push_back(sample);
    }
    QObject::disconnect(inserted);
    qApp->removeEventFilter(&events);
    std::vector<double> toWatcher, toModel, toPaint, late;
    for (const Sample &sample : samples) {
        toWatcher.push_back(sample.toWatcherMs);
        toModel.push_back(sample.watcherToModelMs);
        toPaint.push_back(sample.watcherToPaintMs);
        late.push_back(sample.worstLateMs);
    }
    printRow("new file: written -> watcher event", entries, view, toWatcher);
    printRow("new file: watcher event -> row in model", entries, view, toModel);
    printRow("new file: watcher event -> painted", entries, view, toPaint);
    printRow("new file: worst lateness", entries, view, late);
}

void removals(MediaLibraryPanel *panel, const QString &folder, int entries, const char *view, int round)
{
    QElapsedTimer clock;
    EventClock events(clock);
    qApp->installEventFilter(&events);
    double reloadedMs = -1;
    int reloads = 0;
    const QMetaObject::Connection reloaded = QObject::connect(panel, &MediaLibraryPanel::curDirChanged, [&] {
        ++reloads;
        if (reloadedMs < 0)
            reloadedMs = clock.nsecsElapsed() / 1e6;
    });
    // A folder that is not reloaded loses the one row.
    const QMetaObject::Connection removed =
        QObject::connect(panel->folderModel(), &QAbstractItemModel::rowsRemoved, [&] {
            if (reloadedMs < 0 && panel->folderModel()->rowCount() > 0)
                reloadedMs = clock.nsecsElapsed() / 1e6;
        });
    std::vector<double> toWatcher, toReload, late, count;
    const int removalCount = entries >= kLargeFolder ? 1 : kRemovals;
    for (int i = 0; i < removalCount; ++i) {
        runLoop(100);
        events.reset();
        reloadedMs = -1;
        reloads = 0;
        const QString victim = folder + QStringLiteral("/Snapshot_%1.jpg").arg(entries / 2 + round * kRemovals + i);
        LatenessProbe probe;
        clock.start();
        QFile::remove(victim);
        runLoop(kEventTimeoutMs, [&] { return reloadedMs >= 0; });
        runLoop(kDrainMs / 2);
        toWatcher.push_back(events.watcherMs);
        toReload.push_back(reloadedMs >= 0 && events.watcherMs >= 0 ? reloadedMs - events.watcherMs : -1);
        late.push_back(probe.worstMs());
        count.push_back(reloads);
    }
    QObject::disconnect(reloaded);
    QObject::disconnect(removed);
    qApp->removeEventFilter(&events);
    printRow("removal: removed -> watcher event", entries, view, toWatcher);
    printRow("removal: watcher event -> row gone", entries, view, toReload);
    printRow("removal: worst lateness", entries, view, late);
    printRow("removal: reloads per removal", entries, view, count, "  ");
    waitForThumbnails();
}

void setMode(MediaLibraryPanel *panel, int mode)
{
    if (panel->viewMode() != mode)
        panel->changeViewMode();
}

} // namespace

int main(int argc, char *argv[])
{
    // No camera is opened: the panel's capture service stays on its virtual devices.
    qputenv("QUILLO_V4L2", "0");
    if (!TestEnvironment::prepare())
        return 1;
    QApplication app(argc, argv);
    const QList<int> sizes = argc > 1 ? BenchSupport::entryCounts(argc, argv) : kDefaultSizes;

    QTemporaryDir root(TestEnvironment::home() + QStringLiteral("/Bench-XXXXXX"));
    const QString start = root.filePath(QStringLiteral("Media Library"));
    QDir().mkpath(start);
    SettingImpl *settings = SettingImpl::getInstance();
    settings->setSavePath(start);
    settings->release();

    QString video;
    if (QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty())
        std::fprintf(stderr, "no ffmpeg command: the folders hold pictures only\n");
    else
        video = TestMedia::writeAvi(root.path(), QStringLiteral("clip.avi"), 1.0, {320, 240}, false);

    std::printf("load average before: %s\n", BenchSupport::loadAverage().trimmed().constData());
    auto *service = static_cast<MediaLibraryImpl *>(MediaLibraryImpl::getInstance(nullptr));
    MediaLibraryPanel *panel = service->panel();
    panel->show();
    runLoop(200);

    int round = 0;
    for (int entries : sizes) {
        const QString folder = makeFolder(root.path(), entries, video);
        // The first visit also brings every file into the index (on a worker); later ones only compare. In a
        // large folder the list view is measured on its first visit and a removal in the thumbnail view
        // only, which keeps the run within a minute.
        const bool large = entries >= kLargeFolder;
        setMode(panel, MediaLibraryPanel::ListMode);
        enterFolder(panel, folder, entries, "enter folder, first visit", "list");
        for (int mode : {int(MediaLibraryPanel::ListMode), int(MediaLibraryPanel::ThumbnailMode)}) {
            const char *view = mode == MediaLibraryPanel::ListMode ? "list" : "thumbnails";
            const bool full = !large || mode == MediaLibraryPanel::ThumbnailMode;
            setMode(panel, mode);
            if (full) {
                enterFolder(panel, start, entries, "leave for an empty folder", view);
                enterFolder(panel, folder, entries, "enter folder", view);
            }
            if (mode == MediaLibraryPanel::ThumbnailMode) {
                // A picture of the view over the folder, to look at beside the figures.
                Screenshot::save(panel, QStringLiteral("bench-thumbnail-view-%1").arg(entries));
                scrollToEnd(panel, entries);
            }
            newFiles(panel, folder, entries, view, round);
            if (full)
                removals(panel, folder, entries, view, round);
            ++round;
        }
    }
    std::printf("load average after: %s\n", BenchSupport::loadAverage().trimmed().constData());
    service->release();
    return 0;
}
