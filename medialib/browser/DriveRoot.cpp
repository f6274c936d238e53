#include "DriveRoot.h"

#include "OsHelpers.h"

#include <QDir>
#include <QFileInfo>

bool isDriveRoot(const QString &path)
{
    if (path.isEmpty())
        return false;
    if (QDir(path).isRoot())
        return true;
    // Any volume root counts, also one whose kind cannot be told (driveType's 0).
    return driveType(path) != kDriveNoRootDir;
}

QString driveRootName(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}
