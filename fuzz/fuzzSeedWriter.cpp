// Writes the seeds of the fuzz targets whose files Quillo writes itself, with Quillo's own writers, so the
// seeds are what users' folders hold: information files and annotation documents.
// Usage: fuzzSeedWriter <fuzz/corpus folder>
#include "AnnotationXmlWriter.h"
#include "Canvas.h"
#include "FreehandGraphic.h"
#include "HiliterGraphic.h"
#include "LineGraphic.h"
#include "MediaImpl.h"
#include "MediaInfoFile.h"
#include "ShapeGraphic.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

bool save(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

QByteArray infoFile(const QString &path, void (*fill)(MediaImpl &))
{
    MediaImpl record(path);
    fill(record);
    return MediaInfoFile::toXml(record);
}

template<typename T>
T *drawn(T *graphic, const QList<QPointF> &points)
{
    graphic->startDrawing(points.first());
    for (int i = 1; i < points.size(); ++i)
        graphic->continueDrawing(points.at(i));
    graphic->finishDrawing();
    return graphic;
}

QByteArray document(void (*fill)(Canvas &))
{
    Canvas canvas;
    fill(canvas);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    AnnotationXmlWriter writer(&buffer);
    canvas.writeXml(writer);
    writer.writeEndDocument();
    return bytes;
}

void add(Canvas &canvas, QGraphicsItem *item)
{
    item->setZValue(canvas.nextZMax());
    canvas.addItem(item);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzzSeedWriter <fuzz/corpus folder>\n");
        return 2;
    }
    const QDir corpus(QString::fromLocal8Bit(argv[1]));
    const QString info = corpus.filePath(QStringLiteral("MediaInfoFile/"));
    const QString annotation = corpus.filePath(QStringLiteral("AnnotationDocument/"));
    QDir().mkpath(info);
    QDir().mkpath(annotation);
    bool ok = true;

    ok &= save(info + QStringLiteral("new-picture.mnfo"), infoFile(QStringLiteral("/m/a.jpg"), [](MediaImpl &) {}));
    ok &= save(info + QStringLiteral("described-video.mnfo"), infoFile(QStringLiteral("/m/b.avi"), [](MediaImpl &r) {
        r.setTitle(QStringLiteral("Photosynthesis <part 1> & \"light\""));
        r.setAuthor(QStringLiteral("Zoë Müller"));
        r.setDescription(QStringLiteral("Two lines,\nwith a comma and a tab\there"));
        r.setKeywords(QStringLiteral("biology, leaves , 50%,[draft], a_b"));
        r.setDuration(734250);
    }));
    ok &= save(info + QStringLiteral("uploaded-video.mnfo"), infoFile(QStringLiteral("/m/c.wmv"), [](MediaImpl &r) {
        r.setTitle(QStringLiteral("Lab"));
        r.setYoutubeUrl(QUrl(QStringLiteral("https://example.com/watch?v=abc&t=1")));
        r.setYoutubeID(QStringLiteral("abc"));
        r.setDropboxUrl(QUrl(QStringLiteral("https://example.com/s/x y/clip.wmv")));
        r.setUploadStatus(MediaImpl::SERVICE_YOUTUBE, MediaImpl::STATUS_UPLOADED);
        r.setUploadStatus(MediaImpl::SERVICE_DROPBOX, MediaImpl::STATUS_QUEUED);
        r.setUploadStatus(MediaImpl::SERVICE_FACEBOOK, MediaImpl::STATUS_CHOSEN);
    }));
    ok &= save(info + QStringLiteral("folder.mnfo"), infoFile(QStringLiteral("/m/d"), [](MediaImpl &r) {
        r.setType(MediaImpl::TYPE_FOLDER);
        r.setTitle(QStringLiteral("文件夹"));
    }));

    ok &= save(annotation + QStringLiteral("empty.xml"), document([](Canvas &) {}));
    ok &= save(annotation + QStringLiteral("strokes.xml"), document([](Canvas &canvas) {
        auto *stroke = drawn(new FreehandGraphic, {{10, 10}, {60, 40}, {120, 20}, {180, 90}});
        stroke->setPen(QPen(Qt::blue, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        add(canvas, stroke);
        auto *hiliter = drawn(new HiliterGraphic, {{200, 200}, {260, 220}, {320, 210}});
        hiliter->mirror();
        hiliter->rotateTo(-45);
        add(canvas, hiliter);
    }));
    ok &= save(annotation + QStringLiteral("lines.xml"), document([](Canvas &canvas) {
        auto *line = drawn(new LineGraphic, {{30, 300}, {230, 350}});
        line->setPen(QPen(Qt::red, 3, Qt::DashLine, Qt::RoundCap, Qt::RoundJoin));
        line->setStartAnchor(1);
        line->setEndAnchor(2);
        line->rotateTo(20);
        line->scaleTo(0.5);
        add(canvas, line);
    }));
    ok &= save(annotation + QStringLiteral("shapes.xml"), document([](Canvas &canvas) {
        canvas.setBackgroundBrush(QColor(255, 255, 240));
        for (int kind : {int(ShapeGraphic::RECTANGLE), int(ShapeGraphic::STAR), 14, int(ShapeGraphic::ROUNDED_RECTANGLE)}) {
            auto *shape = drawn(new ShapeGraphic(ShapeGraphic::ShapeKind(kind)), {{400, 100}, {520, 220}});
            shape->setPen(QPen(Qt::black, 2));
            shape->setBrush(kind % 2 ? QBrush(Qt::cyan) : QBrush());
            shape->flip();
            shape->rotateTo(75);
            shape->setPos(12 * kind, 34);
            shape->setOpacity(0.5);
            add(canvas, shape);
        }
    }));
    return ok ? 0 : 1;
}
