#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// The drives the media library lists as "My Computer": the root file system, then the volumes a user works
// with (disks and sticks mounted under /media, /run/media or /mnt, other disks, network shares), in the order
// of the mount table. The system's own mounts (kernel file systems, /boot, /proc, /run, ...) are left out.
class DriveList
{
public:
    struct Mount
    {
        QString rootPath;
        QByteArray fileSystemType;
    };
    using Source = std::function<QList<Mount>()>;

    // The root paths of the listed drives, the root file system first.
    static QStringList drives();
    // The listed drives among mounts.
    static QStringList userVisible(const QList<Mount> &mounts);
    // Where drives() reads the mount table; an empty source restores the system's.
    static void setSource(Source source);
};
