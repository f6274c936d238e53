#include "DriveList.h"

#include <QSet>
#include <QStorageInfo>

namespace {

DriveList::Source &source()
{
    static DriveList::Source instance;
    return instance;
}

QList<DriveList::Mount> systemMounts()
{
    QList<DriveList::Mount> mounts;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady())
            mounts.append({volume.rootPath(), volume.fileSystemType()});
    }
    return mounts;
}

// File systems that hold no user files: the kernel's views of itself, memory-backed scratch space and the
// read-only images packages are mounted from.
bool isSystemFileSystem(const QByteArray &type)
{
    static const QSet<QByteArray> types = {
        "autofs",   "binfmt_misc", "bpf",      "cgroup",  "cgroup2",         "configfs",    "debugfs",
        "devpts",   "devtmpfs",    "efivarfs", "fusectl", "hugetlbfs",       "mqueue",      "nsfs",
        "overlay",  "proc",        "pstore",   "ramfs",   "rpc_pipefs",      "securityfs",  "selinuxfs",
        "squashfs", "sysfs",       "tmpfs",    "tracefs", "fuse.gvfsd-fuse", "fuse.portal",
    };
    return types.contains(type);
}

bool isUnder(const QString &path, const QString &folder)
{
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

// Places where the system mounts what it needs itself; /run/media is where desktops mount the user's disks.
bool isSystemPlace(const QString &path)
{
    if (isUnder(path, QStringLiteral("/run/media")))
        return false;
    static const QStringList places = {
        QStringLiteral("/boot"), QStringLiteral("/dev"),  QStringLiteral("/efi"), QStringLiteral("/etc"),
        QStringLiteral("/opt"),  QStringLiteral("/proc"), QStringLiteral("/run"), QStringLiteral("/snap"),
        QStringLiteral("/srv"),  QStringLiteral("/sys"),  QStringLiteral("/tmp"), QStringLiteral("/usr"),
        QStringLiteral("/var"),
    };
    for (const QString &place : places) {
        if (isUnder(path, place))
            return true;
    }
    return false;
}

} // namespace

QStringList DriveList::drives()
{
    return userVisible(source() ? source()() : systemMounts());
}

QStringList DriveList::userVisible(const QList<Mount> &mounts)
{
    QStringList drives{QStringLiteral("/")};
    for (const Mount &mount : mounts) {
        const QString path = mount.rootPath;
        if (path.isEmpty() || drives.contains(path) || isSystemFileSystem(mount.fileSystemType) || isSystemPlace(path))
            continue;
        drives.append(path);
    }
    return drives;
}

void DriveList::setSource(Source newSource)
{
    source() = std::move(newSource);
}
