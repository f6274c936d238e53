// Drawing costs over a 1920 x 1080 canvas view shown offscreen:
//  - adding a point to a freehand stroke, with the repaint of the view it causes, when the stroke holds
//    20 points and when it holds 20,000 (medians over a run of moves; their ratio);
//  - finishing the long stroke, with its arrow end;
//  - repainting the whole view full of mixed graphics (every shape kind, lines, strokes, highlighters,
//    pictures, texts), frame by frame after one warm-up frame, worst and median.
// Times are this thread's CPU time, which other programs on a shared machine change little; the wall
// time of the worst frame is printed beside it with the load average.
// Instruction counts of the moves, which a loaded machine does not change at all:
//   valgrind --tool=callgrind --collect-atstart=no build/bin/bench_annotation 1
// writes one file per stroke length and one per frame of the full view; callgrind_annotate shows each
// file's total, so a frame that does more work than the others stands out.
// Usage: bench_annotation [frames, default 100]
#include "BenchSupport.h"
#include "Canvas.h"
#include "CanvasView.h"
#include "FreehandGraphic.h"
#include "HiliterGraphic.h"
#include "ImageGraphic.h"
#include "LineGraphic.h"
#include "ShapeGraphic.h"
#include "TextGraphic.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QtMath>

#include <valgrind/callgrind.h>

#include <algorithm>
#include <cstdio>
#include <ctime>

#include <sys/resource.h>
#include <vector>

using BenchSupport::loadAverage;
using BenchSupport::PaintCounter;

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kShortStroke = 20;
constexpr int kLongStroke = 20000;
// Moves timed at each length: enough for a steady median, few enough that the stroke barely grows.
constexpr int kTimedMoves = 101;
constexpr int kItems = 300;

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// This thread's CPU split into user and system time, and its page faults: a frame that waits for the
// kernel to find memory shows as system time, one that redraws more than it should as user time.
struct ThreadUsage
{
    double userMs = 0;
    double systemMs = 0;
    long faults = 0;

    static ThreadUsage now()
    {
        rusage usage{};
        getrusage(RUSAGE_THREAD, &usage);
        return {usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3,
                usage.ru_stime.tv_sec * 1e3 + usage.ru_stime.tv_usec / 1e3, usage.ru_minflt + usage.ru_majflt};
    }
    ThreadUsage operator-(const ThreadUsage &other) const
    {
        return {userMs - other.userMs, systemMs - other.systemMs, faults - other.faults};
    }
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// A hand going round and round over the middle of the screen, the circles slowly widening and narrowing;
// successive points are 1.5 to 4.5 units apart, so none is dropped as too close.
QPointF scribblePoint(int i)
{
    const double radius = 300 + 150 * qSin(i / 2000.0);
    return QPointF(kWidth / 2 + radius * qCos(i / 100.0), kHeight / 2 + radius * qSin(i / 100.0));
}

// Runs the event loop until the view has painted once more (the scene gathers its changes in a queued
// call, which then asks the viewport for a paint).
void waitForPaint(PaintCounter &counter)
{
    const int before = counter.paints;
    for (int pass = 0; pass < 4 && counter.paints == before; ++pass)
        QCoreApplication::processEvents();
}

// Median CPU time of one move with its repaint, once the stroke holds `points` points.
double timeMoves(Canvas &canvas, PaintCounter &counter, int points, int *paints)
{
    auto *stroke = new FreehandGraphic;
    stroke->setPen(QPen(QBrush(Qt::red), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    stroke->setEndAnchor(ANCHOR_ARROW);
    canvas.addItem(stroke);
    stroke->startDrawing(scribblePoint(0));
    for (int i = 1; i < points; ++i)
        stroke->continueDrawing(scribblePoint(i));
    waitForPaint(counter);
    const int paintsBefore = counter.paints;
    std::vector<double> costs;
    for (int i = points; i < points + kTimedMoves; ++i) {
        const double start = threadCpuMs();
        CALLGRIND_TOGGLE_COLLECT;
        stroke->continueDrawing(scribblePoint(i));
        waitForPaint(counter);
        CALLGRIND_TOGGLE_COLLECT;
        costs.push_back(threadCpuMs() - start);
    }
    // Under callgrind started with --collect-atstart=no, one file per stroke length with the moves' instructions.
    CALLGRIND_DUMP_STATS_AT(qPrintable(QStringLiteral("moves at %1 points").arg(points)));
    *paints = counter.paints - paintsBefore;
    if (points == kLongStroke) {
        // With its arrow, as drawn: the decoration joins the outline of this long, tangled stroke.
        const double start = threadCpuMs();
        stroke->finishDrawing();
        std::printf("finish the %d-point stroke with an arrow end (smoothing end, outline, decoration): %.2f ms CPU; "
                    "load average %s\n",
                    points, threadCpuMs() - start, loadAverage().constData());
    }
    delete stroke;
    waitForPaint(counter);
    return median(costs);
}

QPixmap testPicture()
{
    QPixmap picture(320, 200);
    QPainter painter(&picture);
    QLinearGradient gradient(0, 0, 320, 200);
    gradient.setColorAt(0, Qt::darkBlue);
    gradient.setColorAt(1, Qt::yellow);
    painter.fillRect(picture.rect(), gradient);
    painter.setPen(Qt::white);
    painter.drawText(picture.rect(), Qt::AlignCenter, QStringLiteral("picture"));
    return picture;
}

const char *const kKindNames[] = {"shapes", "lines", "strokes", "highlighters", "pictures", "texts"};
constexpr int kKinds = 6;

void fillCanvas(Canvas &canvas, QList<QGraphicsItem *> (&byKind)[kKinds])
{
    const QPixmap picture = testPicture();
    for (int i = 0; i < kItems; ++i) {
        const QPointF at(30 + (i * 97) % (kWidth - 400), 30 + (i * 53) % (kHeight - 300));
        QGraphicsItem *item = nullptr;
        switch (i % kKinds) {
        case 0: {
            auto *shape = new ShapeGraphic((i / 6) % ShapeGraphic::KIND_COUNT);
            shape->setPen(QPen(Qt::blue, 3));
            shape->setBrush(QColor(0, 160, 0, 90));
            shape->startDrawing(at);
            shape->continueDrawing(at + QPointF(120, 80));
            shape->finishDrawing();
            item = shape;
            break;
        }
        case 1: {
            auto *line = new LineGraphic;
            line->setPen(QPen(Qt::darkGreen, 4));
            line->setEndAnchor(ANCHOR_ARROW);
            line->startDrawing(at);
            line->continueDrawing(at + QPointF(150, 40));
            line->finishDrawing();
            item = line;
            break;
        }
        case 2:
        case 3: {
            auto *stroke = i % 6 == 2 ? new FreehandGraphic : new HiliterGraphic;
            stroke->setPen(i % 6 == 2 ? QPen(Qt::black, 4) : QPen(Qt::yellow, 20));
            stroke->startDrawing(at);
            for (int k = 1; k < 60; ++k)
                stroke->continueDrawing(at + QPointF(k * 3, 20 * qSin(k / 5.0)));
            stroke->finishDrawing();
            item = stroke;
            break;
        }
        case 4: {
            auto *image = new ImageGraphic(picture);
            image->setPos(at);
            item = image;
            break;
        }
        default: {
            auto *text = new TextGraphic(QStringLiteral("Label %1").arg(i));
            text->setPos(at);
            item = text;
            break;
        }
        }
        item->setZValue(canvas.nextZMax());
        canvas.addItem(item);
        byKind[i % kKinds] << item;
    }
}

double medianFrame(CanvasView &view, int frames)
{
    std::vector<double> cpu;
    view.viewport()->repaint();
    for (int frame = 0; frame < frames; ++frame) {
        const double start = threadCpuMs();
        view.viewport()->repaint();
        cpu.push_back(threadCpuMs() - start);
    }
    return median(cpu);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int frames = argc > 1 ? qMax(1, QByteArray(argv[1]).toInt()) : 100;
    std::printf("load average %s\n", loadAverage().constData());
    Canvas::setClipToScene(false);
    Canvas canvas;
    canvas.setSceneRect(0, 0, kWidth, kHeight);
    const int flags = CanvasView::TRANSPARENT | CanvasView::NO_SCROLL_BARS;
    CanvasView view(64, &flags);
    view.setFrameShape(QFrame::NoFrame);
    view.attachCanvas(&canvas);
    view.resize(kWidth, kHeight);
    view.show();
    PaintCounter counter;
    view.viewport()->installEventFilter(&counter);
    QCoreApplication::processEvents();

    int shortPaints = 0;
    int longPaints = 0;
    const double shortMove = timeMoves(canvas, counter, kShortStroke, &shortPaints);
    const double longMove = timeMoves(canvas, counter, kLongStroke, &longPaints);
    std::printf("add a point with its repaint, median CPU over %d moves: %.3f ms at %d points (%d paints), %.3f ms at "
                "%d points (%d paints); ratio %.2f\n",
                kTimedMoves, shortMove, kShortStroke, shortPaints, longMove, kLongStroke, longPaints,
                longMove / shortMove);

    QList<QGraphicsItem *> byKind[kKinds];
    fillCanvas(canvas, byKind);
    std::vector<double> cpu;
    double worstWall = 0;
    int worstFrame = 0;
    ThreadUsage worstUsage;
    // The goal's frame time, one frame of a 60 Hz screen.
    constexpr double kFrameBudgetMs = 16;
    int overBudget = 0;
    for (int frame = 0; frame <= frames; ++frame) {
        QElapsedTimer wall;
        wall.start();
        const ThreadUsage before = ThreadUsage::now();
        const double start = threadCpuMs();
        CALLGRIND_TOGGLE_COLLECT;
        view.viewport()->repaint();
        CALLGRIND_TOGGLE_COLLECT;
        CALLGRIND_DUMP_STATS_AT(qPrintable(QStringLiteral("view frame %1").arg(frame)));
        const double spent = threadCpuMs() - start;
        const ThreadUsage used = ThreadUsage::now() - before;
        // The first frame fills the items' caches.
        if (frame == 0) {
            std::printf("repaint the %dx%d view with %d items: first frame %.2f ms CPU\n", kWidth, kHeight, kItems,
                        spent);
            continue;
        }
        if (cpu.empty() || spent > *std::max_element(cpu.begin(), cpu.end())) {
            worstFrame = frame;
            worstUsage = used;
        }
        overBudget += spent > kFrameBudgetMs ? 1 : 0;
        cpu.push_back(spent);
        worstWall = qMax(worstWall, wall.nsecsElapsed() / 1e6);
    }
    std::printf("  then over %d frames: median %.2f ms CPU, worst %.2f ms CPU, worst %.2f ms wall; load average %s\n",
                frames, median(cpu), *std::max_element(cpu.begin(), cpu.end()), worstWall, loadAverage().constData());
    std::printf("  worst frame %d: user %.2f ms, system %.2f ms, %ld page faults; %d frames over %.0f ms CPU\n",
                worstFrame, worstUsage.userMs, worstUsage.systemMs, worstUsage.faults, overBudget, kFrameBudgetMs);
    // Where the time goes: the same view with one kind of item shown at a time.
    QStringList shares;
    for (int kind = 0; kind < kKinds; ++kind) {
        for (int other = 0; other < kKinds; ++other)
            for (QGraphicsItem *item : std::as_const(byKind[other]))
                item->setVisible(other == kind);
        shares << QStringLiteral("%1 %2").arg(QLatin1String(kKindNames[kind])).arg(medianFrame(view, 20), 0, 'f', 2);
    }
    for (QGraphicsItem *item : std::as_const(byKind[0]))
        item->setVisible(false);
    shares << QStringLiteral("none %1").arg(medianFrame(view, 20), 0, 'f', 2);
    std::printf("  median CPU ms per frame with %d items of one kind shown: %s\n", kItems / kKinds,
                qPrintable(shares.join(QStringLiteral(", "))));
    return 0;
}
