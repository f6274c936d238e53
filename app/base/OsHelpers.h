#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QtGlobal>

class CppNotificaitonObserver;
class QWidget;

// What the program asks of the operating system beyond Qt. These functions hold no state, open no window
// and write nothing to the log.

// The frame rectangle (window frame included) of the widget's top-level window; an empty rectangle for
// no widget.
QRect windowFrameGeometry(QWidget *widget);

// The playing time of a media file in milliseconds, read from the file's headers; 0 when the file is
// missing, unreadable, not media or says nothing about its length. Fast enough for the GUI thread: it
// neither decodes nor reads the file's index.
qint64 mediaDuration(const QString &path);

// The kind of drive a folder lies on, in the codes the media library draws its icons from. Only the root of
// a volume (a mount point) is classified; any other folder, and a missing one, gives kDriveNoRootDir.
enum DriveTypeCode : quint32 {
    kDriveUnknown = 0,
    kDriveNoRootDir = 1,
    kDriveRemovable = 2,
    kDriveFixed = 3,
    kDriveRemote = 4,
    kDriveCdRom = 5,
    kDriveRamDisk = 6,
};
quint32 driveType(const QString &path);

// The name of the volume the program was started from; there is none here, so this is a null pointer.
const char *volumeName();

// Registration for named system notifications. This system posts none, so both do nothing and no
// notification is ever delivered; the third argument is reserved and passed as null.
void addNotificationObserver(CppNotificaitonObserver *observer, const QString &name, void *object);
void removeNotificationObserver(CppNotificaitonObserver *observer, const QString &name, void *object);

// What driveType looks at for one path, gathered from the mount table and sysfs.
struct DriveFacts
{
    bool exists = false;        // the path names an existing folder
    bool isVolumeRoot = false;  // the folder is where its volume is mounted
    QByteArray fileSystemType;  // "ext4", "vfat", "nfs4", ...; empty when the mount is unknown
    QString rootPath;           // the volume's mount point
    bool removableDisk = false; // the kernel marks the disk as removable media
    bool onUsbBus = false;      // the disk hangs off a USB controller
};

// The drive code for the facts alone; driveType's decision, kept apart so it can be checked case by case.
quint32 classifyDrive(const DriveFacts &facts);

// Fills removableDisk and onUsbBus for a block device node such as "/dev/sdb1" (a partition counts as its
// disk). sysClassBlock is the kernel's list of block devices; a device it does not list leaves both false.
void readBlockDeviceFacts(const QString &deviceNode, DriveFacts &facts,
                          const QString &sysClassBlock = QStringLiteral("/sys/class/block"));
