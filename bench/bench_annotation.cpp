// Drawing costs over a 1920 x 1080 canvas view rendered offscreen: adding a point to a long freehand
// stroke, finishing it, and rendering a view full of mixed graphics.
#include "Canvas.h"
#include "CanvasView.h"
#include "FreehandGraphic.h"
#include "LineGraphic.h"
#include "ShapeGraphic.h"
#include "TextGraphic.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QtMath>

#include <cstdio>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kStrokePoints = 2000;
constexpr int kItems = 300;
constexpr int kRenders = 20;

QPointF wavePoint(int i)
{
    return QPointF(40 + i * 0.9, 540 + 300 * qSin(i / 60.0));
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Canvas::setClipToScene(false);
    Canvas canvas;
    const int flags = CanvasView::TRANSPARENT | CanvasView::NO_SCROLL_BARS;
    CanvasView view(64, &flags);
    view.setFrameShape(QFrame::NoFrame);
    view.attachCanvas(&canvas);
    view.resize(kWidth, kHeight);
    view.show();
    QCoreApplication::processEvents();

    auto *stroke = new FreehandGraphic;
    stroke->setPen(QPen(QBrush(Qt::red), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    canvas.addItem(stroke);
    stroke->startDrawing(wavePoint(0));
    QElapsedTimer timer;
    qint64 worstPoint = 0;
    qint64 totalPoints = 0;
    for (int i = 1; i < kStrokePoints; ++i) {
        timer.start();
        stroke->continueDrawing(wavePoint(i));
        const qint64 ns = timer.nsecsElapsed();
        totalPoints += ns;
        worstPoint = qMax(worstPoint, ns);
    }
    timer.start();
    stroke->finishDrawing();
    const qint64 finishNs = timer.nsecsElapsed();

    for (int i = 0; i < kItems; ++i) {
        const QPointF at(30 + (i * 97) % (kWidth - 200), 30 + (i * 53) % (kHeight - 200));
        QGraphicsItem *item = nullptr;
        switch (i % 4) {
        case 0: {
            auto *shape = new ShapeGraphic(i % ShapeGraphic::KIND_COUNT);
            shape->setPen(QPen(Qt::blue, 3));
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
        case 2: {
            auto *freehand = new FreehandGraphic;
            freehand->setPen(QPen(Qt::black, 4));
            freehand->startDrawing(at);
            for (int k = 1; k < 60; ++k)
                freehand->continueDrawing(at + QPointF(k * 3, 20 * qSin(k / 5.0)));
            freehand->finishDrawing();
            item = freehand;
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
    }
    QImage target(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    qint64 renderTotal = 0;
    qint64 renderWorst = 0;
    for (int r = 0; r < kRenders; ++r) {
        target.fill(Qt::transparent);
        timer.start();
        {
            QPainter painter(&target);
            view.render(&painter);
        }
        const qint64 ns = timer.nsecsElapsed();
        renderTotal += ns;
        renderWorst = qMax(renderWorst, ns);
    }
    std::printf("add point to a %d-point stroke: mean %.3f ms, worst %.3f ms\n", kStrokePoints,
                totalPoints / 1e6 / (kStrokePoints - 1), worstPoint / 1e6);
    std::printf("finish the stroke (smoothing end, outline): %.3f ms\n", finishNs / 1e6);
    std::printf("render %dx%d view with %d mixed items: mean %.3f ms, worst %.3f ms (%d renders)\n", kWidth, kHeight,
                kItems + 1, renderTotal / 1e6 / kRenders, renderWorst / 1e6, kRenders);
    return 0;
}
