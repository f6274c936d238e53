#include "LumoSystem.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

qint64 LumoSystem::freeSpace(const QString &path)
{
    if (path.isEmpty())
        return -1;
    QString existing = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    while (!QFileInfo::exists(existing)) {
        const QString parent = QFileInfo(existing).absolutePath();
        if (parent == existing)
            return -1;
        existing = parent;
    }
    const QStorageInfo storage(existing);
    if (!storage.isValid() || !storage.isReady())
        return -1;
    return storage.bytesAvailable();
}
