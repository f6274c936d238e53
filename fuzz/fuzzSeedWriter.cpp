// Writes the seeds of the fuzz targets whose files Quillo writes itself, with Quillo's own writers, so the
// seeds are what users' folders hold: information files, annotation documents, schedule files, settings
// files and the messages a second start sends the running one.
// Usage: fuzzSeedWriter <fuzz/corpus folder>
#include "AnnotationXmlWriter.h"
#include "Canvas.h"
#include "FreehandGraphic.h"
#include "HiliterGraphic.h"
#include "LineGraphic.h"
#include "MediaImpl.h"
#include "MediaInfoFile.h"
#include "ScheduleFile.h"
#include "ScheduleItem.h"
#include "SettingImpl.h"
#include "ShapeGraphic.h"
#include "UploadServiceBit.h"

#include <QApplication>
#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTime>

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

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The schedule file the upload service saves with these jobs.
QByteArray schedule(const QString &folder, const QList<ScheduleItem *> &items)
{
    ScheduleFile file(folder);
    file.save(items);
    const QByteArray bytes = contents(file.path());
    qDeleteAll(items);
    return bytes;
}

// The settings file after these writes through the settings service, in a folder of its own.
QByteArray settingsFile(void (*fill)(SettingIntf *))
{
    QFile::remove(SettingImpl::settingsFilePath());
    SettingIntf *settings = SettingImpl::getInstance();
    fill(settings);
    settings->release();
    return contents(SettingImpl::settingsFilePath());
}

// A second start's message as the running copy receives it, after the fuzz target's first byte: the size
// of the pieces it arrives in.
QByteArray instanceMessage(char pieceSize, const QString &text)
{
    QByteArray packet(1, pieceSize);
    const QByteArray payload = text.toUtf8();
    QByteArray header;
    QDataStream out(&header, QIODevice::WriteOnly);
    out << quint32(payload.size());
    return packet + header + payload;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The settings service writes into the user's folders: here, folders of this run.
    QTemporaryDir home;
    for (const char *variable : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
        qputenv(variable, home.path().toLocal8Bit());
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
                   for (int kind : {int(ShapeGraphic::RECTANGLE), int(ShapeGraphic::STAR), 14,
                                    int(ShapeGraphic::ROUNDED_RECTANGLE)}) {
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

    const QString schedules = corpus.filePath(QStringLiteral("ScheduleFile/"));
    const QString settings = corpus.filePath(QStringLiteral("SettingsIni/"));
    const QString messages = corpus.filePath(QStringLiteral("InstanceMessage/"));
    QDir().mkpath(schedules);
    QDir().mkpath(settings);
    QDir().mkpath(messages);
    const QDateTime start(QDate(2026, 3, 14), QTime(9, 30), Qt::LocalTime);
    ok &= save(schedules + QStringLiteral("one-picture.dat"),
               schedule(home.path(), {
                                         new ScheduleItem(nullptr, QStringLiteral("/m/a.jpg"), SERVICE_DROPBOX, false,
                                                          start, QStringLiteral("Leaf"), QString(), QString(), {}),
                                     }));
    ok &= save(schedules + QStringLiteral("three-jobs.dat"),
               schedule(home.path(),
                        {
                            new ScheduleItem(nullptr, QStringLiteral("/m/b.avi"), SERVICE_YOUTUBE, true,
                                             start.addDays(40), QStringLiteral("Photosynthesis <part 1>"),
                                             QStringLiteral("Zoë Müller"), QStringLiteral("Two lines,\nand more"),
                                             {QStringLiteral("biology"), QStringLiteral("leaves")}),
                            new ScheduleItem(nullptr, QStringLiteral("/m/c.wmv"), SERVICE_FACEBOOK, true,
                                             QDateTime(QDate(2025, 12, 31), QTime(23, 59, 59, 999), Qt::UTC),
                                             QStringLiteral("文件夹"), QString(), QString(), {QString()}),
                            new ScheduleItem(nullptr, QStringLiteral("/m/d.png"), SERVICE_PICASA, false, QDateTime(),
                                             QString(), QString(), QString(), {}),
                        }));

    ok &= save(settings + QStringLiteral("typed-settings.ini"), settingsFile([](SettingIntf *s) {
                   s->setSavePath(QStringLiteral("/home/teacher/Quillo/Media Library/"));
                   s->setAudioSource(QStringLiteral("USB Audio [hw:1,0]"));
                   s->setVideoQuality(1);
                   s->setMute(true);
                   s->setElapsedTimeTotalTime(3600);
                   s->setElapsedTimePeriod(5);
               }));
    ok &= save(settings + QStringLiteral("every-key.ini"), settingsFile([](SettingIntf *s) {
                   s->setSavePath(QStringLiteral("/tmp/Klasse 7b, Physik/"));
                   s->setValue(QStringLiteral("language"), QStringLiteral("eng"));
                   s->setValue(QStringLiteral("logs/logLevel"), 5);
                   s->setValue(QStringLiteral("logs/logFilesLocation"), QStringLiteral("/home/teacher/Quillo/logs"));
                   s->setValue(QStringLiteral("logs/logFilesExpiryDate"), 30);
                   s->setValue(QStringLiteral("NOT_FIRST_TIME_LAUNCH"), true);
                   s->setValue(QStringLiteral("TOOLS_PANEL_STATUS"), false);
                   s->setValue(QStringLiteral("MEDIA_LIB_STATUS"), true);
                   s->setValue(QStringLiteral("medialibrary/mode"), 1);
                   s->setValue(QStringLiteral("medialibrary/width"), 420);
                   s->setValue(QStringLiteral("medialibrary/height"), 600);
                   s->setValue(QStringLiteral("webCam/LastWebCamVID"), 0x046d);
                   s->setValue(QStringLiteral("webCam/LastWebCamPID"), 0x0825);
                   s->setValue(QStringLiteral("webCam/LastWebCamLocationID"), QStringLiteral("usb-0000:00:14.0-2"));
                   s->setValue(QStringLiteral("Upload Time"), QTime(14, 45));
               }));

    ok &= save(messages + QStringLiteral("activate-at-once"), instanceMessage(0, QStringLiteral("Is app exist?")));
    ok &= save(messages + QStringLiteral("activate-in-pieces"), instanceMessage(3, QStringLiteral("Is app exist?")));
    ok &= save(messages + QStringLiteral("utf8-byte-by-byte"), instanceMessage(1, QStringLiteral("Zoë 文件")));
    ok &= save(messages + QStringLiteral("empty"), instanceMessage(2, QString()));
    return ok ? 0 : 1;
}
