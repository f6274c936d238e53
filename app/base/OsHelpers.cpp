#include "OsHelpers.h"

#include "MediaInput.h"

#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QWidget>

#include <algorithm>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libavutil/mathematics.h>
}

namespace {

qint64 toMilliseconds(int64_t value, AVRational timeBase)
{
    if (value <= 0 || timeBase.num <= 0 || timeBase.den <= 0)
        return 0;
    // Truncated like the whole milliseconds the media library stores; an overflow comes back negative.
    return std::max<int64_t>(0, av_rescale_q_rnd(value, timeBase, AVRational{1, 1000}, AV_ROUND_DOWN));
}

// FFmpeg reads a picture file as a one-frame video and gives it that frame's time (40 ms for a JPEG, 0 for a
// PNG, depending on which reader the probe picked); a still image has no playing time at all.
bool isStillImage(const AVFormatContext *format)
{
    const QByteArray reader(format->iformat->name);
    return reader == "image2" || reader.endsWith("_pipe");
}

qint64 durationFromHeaders(const AVFormatContext *format)
{
    if (isStillImage(format))
        return 0;
    if (format->duration != AV_NOPTS_VALUE && format->duration > 0)
        return toMilliseconds(format->duration, AV_TIME_BASE_Q);
    qint64 longest = 0;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream *stream = format->streams[i];
        if (stream->duration != AV_NOPTS_VALUE)
            longest = std::max(longest, toMilliseconds(stream->duration, stream->time_base));
    }
    return longest;
}

const QByteArray kRemoteFileSystems[] = {"nfs", "nfs4", "cifs", "smb", "smb3", "smbfs", "sshfs", "fuse.sshfs"};
const QByteArray kOpticalFileSystems[] = {"iso9660", "udf"};
const QByteArray kMemoryFileSystems[] = {"tmpfs", "ramfs"};

template<std::size_t N>
bool isOneOf(const QByteArray &type, const QByteArray (&types)[N])
{
    return std::find(std::begin(types), std::end(types), type) != std::end(types);
}

// Desktop automounters put sticks and cards here, and many USB sticks do not set the removable flag.
bool isAutomountFolder(const QString &mountPoint)
{
    return mountPoint.startsWith(QLatin1String("/media/")) || mountPoint.startsWith(QLatin1String("/run/media/"));
}

} // namespace

QRect windowFrameGeometry(QWidget *widget)
{
    return widget ? widget->window()->frameGeometry() : QRect();
}

qint64 mediaDuration(const QString &path)
{
    MediaInput::Options options;
    options.aviHeaderOnly = true;
    const MediaInput input(path, options);
    // No avformat_find_stream_info: it decodes packets to fill in what the headers leave out, which is
    // several times the cost of the header read and not needed for the length.
    return input.format() ? durationFromHeaders(input.format()) : 0;
}

quint32 classifyDrive(const DriveFacts &facts)
{
    if (!facts.exists || !facts.isVolumeRoot)
        return kDriveNoRootDir;
    if (facts.fileSystemType.isEmpty())
        return kDriveUnknown;
    if (isOneOf(facts.fileSystemType, kRemoteFileSystems))
        return kDriveRemote;
    if (isOneOf(facts.fileSystemType, kOpticalFileSystems))
        return kDriveCdRom;
    if (isOneOf(facts.fileSystemType, kMemoryFileSystems))
        return kDriveRamDisk;
    if (facts.removableDisk || facts.onUsbBus || isAutomountFolder(facts.rootPath))
        return kDriveRemovable;
    return kDriveFixed;
}

void readBlockDeviceFacts(const QString &deviceNode, DriveFacts &facts, const QString &sysClassBlock)
{
    // Links such as /dev/disk/by-label/x or /dev/mapper/x lead to the kernel's own node name.
    QString node = QFileInfo(deviceNode).canonicalFilePath();
    if (node.isEmpty())
        node = deviceNode;
    if (!node.startsWith(QLatin1String("/dev/")))
        return;
    const QString devicePath =
        QFileInfo(sysClassBlock + QLatin1Char('/') + QFileInfo(node).fileName()).canonicalFilePath();
    if (devicePath.isEmpty())
        return;
    // A partition's sysfs folder sits inside its disk's; only the disk says whether its media can be taken out.
    const QString diskPath = QFileInfo::exists(devicePath + QLatin1String("/partition")) ? QFileInfo(devicePath).path()
                                                                                         : devicePath;
    QFile removable(diskPath + QLatin1String("/removable"));
    facts.removableDisk = removable.open(QIODevice::ReadOnly) && removable.read(8).trimmed() == "1";
    facts.onUsbBus = devicePath.contains(QLatin1String("/usb"));
}

quint32 driveType(const QString &path)
{
    DriveFacts facts;
    const QFileInfo info(path);
    facts.exists = info.isDir();
    if (facts.exists) {
        const QString folder = info.canonicalFilePath();
        const QStorageInfo storage(folder);
        if (storage.isValid()) {
            facts.rootPath = storage.rootPath();
            facts.isVolumeRoot = folder == facts.rootPath;
            facts.fileSystemType = storage.fileSystemType();
            if (facts.isVolumeRoot)
                readBlockDeviceFacts(QString::fromLocal8Bit(storage.device()), facts);
        }
    }
    return classifyDrive(facts);
}

const char *volumeName()
{
    return nullptr;
}

void addNotificationObserver(CppNotificaitonObserver *, const QString &, void *)
{
}

void removeNotificationObserver(CppNotificaitonObserver *, const QString &, void *)
{
}
