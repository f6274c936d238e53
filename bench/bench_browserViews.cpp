// Measures the media library's two views over folders of 1,000 and 10,000 pictures: entering the folder (the
// list model filled row by row and sorted, the thumbnail view given one tile per entry and laid out), one new
// file appearing, one removal, sorting by each column, and scrolling the thumbnail view. Each step reports how
// long it held the GUI thread and how late a 5 ms timer then ran while the queued work (painting, the image
// thumbnails coming back from their threads) drained.
//     bin/bench_browserViews [entries...]
#include "BenchSupport.h"
#include "MediaFileStore.h"
#include "MediaImpl.h"
#include "MediaLibScrollArea.h"
#include "MediaLibSortFilterModel.h"
#include "MediaLibTableModel.h"
#include "MediaLibTableView.h"
#include "MediaLibThumbnailView.h"
#include "MediaThumbnailObj.h"
#include "TestEnvironment.h"
#include "ThreadManager.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

// The tick whose lateness stands for the event loop's.
constexpr int kTickMs = 5;
// How long the loop is watched after a step: long enough for a window of thumbnails to come back.
constexpr int kDrainMs = 400;

struct Figures
{
    double blockedMs = 0;
    double worstLateMs = 0;
};

// Runs step on the GUI thread, then keeps the loop running for kDrainMs with a ticking timer.
Figures measure(const std::function<void()> &step)
{
    Figures figures;
    QElapsedTimer clock;
    clock.start();
    step();
    figures.blockedMs = clock.nsecsElapsed() / 1e6;
    QElapsedTimer tick;
    tick.start();
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        figures.worstLateMs = std::max(figures.worstLateMs, tick.nsecsElapsed() / 1e6 - kTickMs);
        tick.restart();
    });
    timer.start(kTickMs);
    QElapsedTimer drain;
    drain.start();
    while (drain.elapsed() < kDrainMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, kTickMs);
    return figures;
}

void report(const char *what, int entries, const Figures &figures)
{
    std::printf("%-44s %6d entries: blocked %8.1f ms, then worst lateness %6.1f ms\n", what, entries, figures.blockedMs,
                figures.worstLateMs);
}

QString makeFolder(const QString &root, int entries)
{
    const QString folder = root + QStringLiteral("/f%1").arg(entries);
    QDir().mkpath(folder);
    QImage picture(64, 48, QImage::Format_RGB32);
    for (int i = 0; i < entries; ++i) {
        picture.fill(QColor::fromHsv(i % 360, 150, 200));
        picture.save(folder + QStringLiteral("/Snapshot_%1.png").arg(i));
    }
    MediaFileStore::getInstance()->makeCacheFolder(folder);
    return folder;
}

void fillRow(MediaLibTableModel &model, const QString &path)
{
    const int row = model.rowCount();
    model.insertRows(row, 1);
    model.setData(model.index(row, 0), path);
    model.setData(model.index(row, 1), MediaImpl::mediaTypeForPath(path));
    model.setData(model.index(row, 2), QDateTime());
    model.setData(model.index(row, 3), qint64(-1));
    model.setData(model.index(row, 5), qint64(0));
}

void run(const QString &root, int entries)
{
    const QString folder = makeFolder(root, entries);
    const QStringList names = QDir(folder).entryList(QDir::Files, QDir::Name);

    MediaLibTableView list;
    list.resize(600, 440);
    list.show();
    MediaLibScrollArea area;
    area.setScrollBarVisible(false, Qt::Horizontal);
    MediaLibThumbnailView thumbnails(nullptr);
    area.setWidget(&thumbnails);
    QObject::connect(&area, &MediaLibScrollArea::scrollBarValueChanged, &thumbnails,
                     qOverload<int, Qt::Orientation>(&MediaLibThumbnailView::setOffset));
    QObject::connect(&thumbnails, &MediaLibThumbnailView::uiRangeChanged, &area,
                     &MediaLibScrollArea::setScrollBarRange);
    area.resize(420, 440);
    area.show();

    MediaLibTableModel model(nullptr);
    report("list: enter (fill model, sort, show)", entries, measure([&] {
               for (const QString &name : names)
                   fillRow(model, folder + QLatin1Char('/') + name);
               list.setModel(&model);
               list.changeCurDir(folder);
           }));
    report("thumbnails: enter (tiles, order, layout)", entries, measure([&] {
               thumbnails.clearThumbnails();
               for (MediaImpl *record : model.mediaList())
                   thumbnails.addThumbnail(record);
               thumbnails.changeCurDir(folder);
               thumbnails.changeOrderFromSortModel(list.sortModel());
               thumbnails.layoutThumbnails();
           }));
    QElapsedTimer all;
    all.start();
    while (ThreadManager::getInstance()->isRunning() && all.elapsed() < 600000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    std::printf("%-44s %6d entries: %8.1f ms more\n", "thumbnails: all image thumbnails made", entries,
                double(all.elapsed()));

    report("thumbnails: scroll one page", entries,
           measure([&] { area.setScrollBarValue(area.scrollBar(Qt::Vertical)->value() + 440, Qt::Vertical); }));
    report("thumbnails: scroll to the end", entries,
           measure([&] { area.setScrollBarValue(area.scrollBar(Qt::Vertical)->maximum(), Qt::Vertical); }));

    const QString added = folder + QStringLiteral("/New capture.png");
    QImage(64, 48, QImage::Format_RGB32).save(added);
    report("one new file (row, tile)", entries, measure([&] {
               fillRow(model, added);
               thumbnails.addThumbnail(model.mediaList().constLast());
           }));

    const QString removed = model.mediaList().at(entries / 2)->path();
    report("one removal (row, tile, order, layout)", entries, measure([&] {
               list.removeMediaRow(removed);
               thumbnails.removeThumbnail(removed);
               thumbnails.changeOrderFromSortModel(list.sortModel());
               thumbnails.layoutThumbnails();
           }));

    const char *columns[] = {"name", "type", "date", "size", "info", "duration"};
    for (int column = 0; column < 6; ++column) {
        const QByteArray what = QByteArray("sort by ") + columns[column] + " (list and tile order)";
        report(what.constData(), entries, measure([&] {
                   list.sortByColumn(column, Qt::DescendingOrder);
                   thumbnails.changeOrderFromSortModel(list.sortModel());
                   thumbnails.layoutThumbnails();
               }));
    }
    thumbnails.clearThumbnails();
    thumbnails.setParent(nullptr);
}

} // namespace

int main(int argc, char *argv[])
{
    if (!TestEnvironment::prepare())
        return 1;
    QApplication app(argc, argv);
    const QList<int> sizes = BenchSupport::entryCounts(argc, argv);
    QTemporaryDir root(TestEnvironment::home() + QStringLiteral("/Bench-XXXXXX"));
    for (int entries : sizes)
        run(root.path(), entries);
    return 0;
}
