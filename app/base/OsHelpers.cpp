#include "OsHelpers.h"

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

// The containers the program meets (RIFF/AVI, ASF) announce themselves in their first bytes; letting the
// probe read further only costs time on files that are no media at all (1 MiB of random data took 45 ms
// at libavformat's default limit, 1.5 ms at this one, which is one read buffer).
constexpr unsigned kProbeBytes = 32 * 1024;

// libavformat prints its complaints about damaged files on stderr; this layer reports through its return
// values only. The level is process-wide, so it is set once; static initialisation is thread-safe.
void silenceLibavformat()
{
    static const bool silenced = [] {
        av_log_set_level(AV_LOG_QUIET);
        return true;
    }();
    Q_UNUSED(silenced);
}

// Only the named file itself is read: playlists and reference files must not make the demuxer open other
// files or addresses.
int refuseNestedOpen(AVFormatContext *, AVIOContext **, const char *, int, AVDictionary **)
{
    return AVERROR(EPERM);
}

// Owns what one duration query opens, so every exit closes it.
class DemuxerInput
{
public:
    ~DemuxerInput()
    {
        avformat_close_input(&format);
        avio_closep(&io);
    }
    AVIOContext *io = nullptr;
    AVFormatContext *format = nullptr;
};

qint64 toMilliseconds(int64_t value, AVRational timeBase)
{
    if (value <= 0 || timeBase.num <= 0 || timeBase.den <= 0)
        return 0;
    // Truncated like the whole milliseconds the media library stores; an overflow comes back negative.
    return std::max<int64_t>(0, av_rescale_q_rnd(value, timeBase, AVRational{1, 1000}, AV_ROUND_DOWN));
}

qint64 durationFromHeaders(const AVFormatContext *format)
{
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

template <std::size_t N>
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
    // Devices and pipes would block or never end; only regular files carry a playing time.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() == 0)
        return 0;
    silenceLibavformat();

    // "file:" keeps a name such as "http:x" or "pipe:0" from being taken as another protocol.
    const QByteArray url = "file:" + QFile::encodeName(info.absoluteFilePath());
    DemuxerInput input;
    AVDictionary *ioOptions = nullptr;
    av_dict_set(&ioOptions, "protocol_whitelist", "file", 0);
    const int opened = avio_open2(&input.io, url.constData(), AVIO_FLAG_READ, nullptr, &ioOptions);
    av_dict_free(&ioOptions);
    if (opened < 0)
        return 0;

    const AVInputFormat *container = nullptr;
    if (av_probe_input_buffer2(input.io, &container, url.constData(), nullptr, 0, kProbeBytes) < 0 || !container)
        return 0;
    // The AVI reader loads the whole index when it may seek (a one-hour file: 15 ms instead of 0.1 ms),
    // and the header already holds the length. Without seeking it stops at the header.
    if (qstrcmp(container->name, "avi") == 0)
        input.io->seekable = 0;

    input.format = avformat_alloc_context();
    if (!input.format)
        return 0;
    input.format->pb = input.io;
    input.format->io_open = refuseNestedOpen;
    // avformat_open_input frees the context on failure and leaves the caller's I/O context alone.
    if (avformat_open_input(&input.format, url.constData(), container, nullptr) < 0)
        return 0;
    // No avformat_find_stream_info: it decodes packets to fill in what the headers leave out, which is
    // several times the cost of the header read and not needed for the length.
    return durationFromHeaders(input.format);
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
    const QString devicePath = QFileInfo(sysClassBlock + QLatin1Char('/') + QFileInfo(node).fileName())
                                   .canonicalFilePath();
    if (devicePath.isEmpty())
        return;
    // A partition's sysfs folder sits inside its disk's; only the disk says whether its media can be taken out.
    const QString diskPath = QFileInfo::exists(devicePath + QLatin1String("/partition"))
                                 ? QFileInfo(devicePath).path()
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
