#include "JpegFileWriter.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QTemporaryFile>
#include <QtConcurrent>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Far more same-second captures than a person or a series can make; past it the folder is not usable.
constexpr int kMaxSuffix = 9999;

QString candidate(const QString &folder, const QString &baseName, int suffix)
{
    const QString name = suffix == 0 ? baseName : QStringLiteral("%1-%2").arg(baseName).arg(suffix);
    return QDir(folder).filePath(name + QStringLiteral(".jpg"));
}

// The permissions the user's umask leaves on a new file. Read from the kernel's status of the process: setting
// the umask to learn it would change it for every other thread meanwhile.
mode_t newFileMode()
{
    constexpr mode_t kReadWriteAll = 0666;
    // The usual default, for a kernel that does not tell.
    constexpr mode_t kDefaultUmask = 022;
    mode_t mask = kDefaultUmask;
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint value = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    mask = mode_t(value);
                break;
            }
        }
    }
    return kReadWriteAll & ~mask;
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
    // The temporary file is private (0600); the picture gets what any new file of the user gets. It reaches
    // the disk before it takes its name, so that a crash never leaves an empty picture under a final name.
    if (::fchmod(file.handle(), newFileMode()) != 0 || ::fsync(file.handle()) != 0)
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
