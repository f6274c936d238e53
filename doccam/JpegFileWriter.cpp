#include "JpegFileWriter.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QTemporaryFile>
#include <QtConcurrent>

namespace {

// Far more same-second captures than a person or a series can make; past it the folder is not usable.
constexpr int kMaxSuffix = 9999;

QString candidate(const QString &folder, const QString &baseName, int suffix)
{
    const QString name = suffix == 0 ? baseName : QStringLiteral("%1-%2").arg(baseName).arg(suffix);
    return QDir(folder).filePath(name + QStringLiteral(".jpg"));
}

} // namespace

QString JpegFileWriter::firstFreeName(const QString &folder, const QString &baseName)
{
    for (int suffix = 0; suffix <= kMaxSuffix; ++suffix) {
        const QString path = candidate(folder, baseName, suffix);
        if (!QFileInfo::exists(path))
            return path;
    }
    return QString();
}

QString JpegFileWriter::writeNow(const QImage &image, const QString &folder, const QString &baseName)
{
    if (image.isNull())
        return QString();
    QTemporaryFile file(QDir(folder).filePath(QStringLiteral(".quillo-XXXXXX.part")));
    if (!file.open() || !image.save(&file, "JPG", kQuality) || !file.flush())
        return QString();
    file.close();
    // QFile::rename never replaces an existing file, so a name taken meanwhile moves on to the next one.
    for (int suffix = 0; suffix <= kMaxSuffix; ++suffix) {
        const QString path = candidate(folder, baseName, suffix);
        if (QFileInfo::exists(path))
            continue;
        if (file.rename(path)) {
            file.setAutoRemove(false);
            return path;
        }
        if (!QFileInfo::exists(path))
            return QString();
    }
    return QString();
}

QString JpegFileWriter::write(const QImage &image, const QString &folder, const QString &baseName)
{
    if (image.isNull())
        return QString();
    QFutureWatcher<QString> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcher<QString>::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(QtConcurrent::run([image, folder, baseName] { return writeNow(image, folder, baseName); }));
    if (!watcher.isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return watcher.result();
}
