#include "V4l2Backend.h"

#include "CameraDeviceSink.h"
#include "CameraLog.h"
#include "V4l2DocCam.h"
#include "V4l2Io.h"
#include "V4l2Support.h"
#include "V4l2SystemIo.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSocketNotifier>

#include <cstring>
#include <fcntl.h>
#include <libudev.h>
#include <linux/videodev2.h>

namespace {

QList<V4l2Support::FormatOffer> formatOffers(V4l2Io *io, int fd)
{
    QList<V4l2Support::FormatOffer> offers;
    v4l2_fmtdesc description = {};
    description.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    for (description.index = 0; io->ioctl(fd, VIDIOC_ENUM_FMT, &description) == 0; ++description.index) {
        v4l2_frmsizeenum size = {};
        size.pixel_format = description.pixelformat;
        for (size.index = 0; io->ioctl(fd, VIDIOC_ENUM_FRAMESIZES, &size) == 0; ++size.index) {
            if (size.type != V4L2_FRMSIZE_TYPE_DISCRETE)
                break;
            v4l2_frmivalenum interval = {};
            interval.pixel_format = description.pixelformat;
            interval.width = size.discrete.width;
            interval.height = size.discrete.height;
            int fastest = 0;
            for (interval.index = 0; io->ioctl(fd, VIDIOC_ENUM_FRAMEINTERVALS, &interval) == 0; ++interval.index) {
                if (interval.type == V4L2_FRMIVAL_TYPE_DISCRETE && interval.discrete.numerator > 0)
                    fastest = qMax(fastest, int(interval.discrete.denominator / interval.discrete.numerator));
            }
            offers.append({description.pixelformat, int(size.discrete.width), int(size.discrete.height), fastest});
        }
    }
    return offers;
}

} // namespace

V4l2Backend::V4l2Backend(CameraDeviceSink *sink, V4l2Io *io, const QString &deviceFolder, const QString &sysfsRoot)
    : m_sink(sink)
    , m_io(io ? io : V4l2SystemIo::instance())
    , m_deviceFolder(deviceFolder)
    , m_sysfsRoot(sysfsRoot)
{
}

V4l2Backend::~V4l2Backend()
{
    for (V4l2DocCam *camera : std::as_const(m_cameras))
        camera->release();
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    if (m_udev)
        udev_unref(m_udev);
}

void V4l2Backend::start()
{
    m_udev = udev_new();
    if (m_udev)
        m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (m_monitor && udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "video4linux", nullptr) >= 0
        && udev_monitor_enable_receiving(m_monitor) >= 0) {
        m_notifier = new QSocketNotifier(udev_monitor_get_fd(m_monitor), QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &V4l2Backend::readUdev);
    } else {
        cameraLog(LogSystem::LOG_NOTICE, "V4l2Backend::start - no udev monitor, watching %s instead",
                  qUtf8Printable(m_deviceFolder));
        m_watcher = new QFileSystemWatcher({m_deviceFolder}, this);
        connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &V4l2Backend::rescan);
    }
    rescan();
}

void V4l2Backend::rescan()
{
    const QStringList nodes = QDir(m_deviceFolder).entryList({QStringLiteral("video*")}, QDir::System, QDir::Name);
    QList<QByteArray> present;
    for (const QString &node : nodes)
        present.append(QFile::encodeName(m_deviceFolder + QLatin1Char('/') + node));
    const QList<QByteArray> known = m_cameras.keys();
    for (const QByteArray &path : known) {
        if (!present.contains(path))
            lose(path);
    }
    for (const QByteArray &path : std::as_const(present)) {
        if (!m_cameras.contains(path))
            probe(path);
    }
}

void V4l2Backend::readUdev()
{
    udev_device *device = udev_monitor_receive_device(m_monitor);
    if (!device)
        return;
    const char *action = udev_device_get_action(device);
    const char *node = udev_device_get_devnode(device);
    if (action && node) {
        if (std::strcmp(action, "add") == 0)
            probe(node);
        else if (std::strcmp(action, "remove") == 0)
            lose(node);
    }
    udev_device_unref(device);
}

void V4l2Backend::probe(const QByteArray &path)
{
    if (m_cameras.contains(path))
        return;
    const int fd = m_io->open(path, O_RDWR | O_NONBLOCK);
    if (fd < 0)
        return;
    v4l2_capability capability = {};
    const bool queried = m_io->ioctl(fd, VIDIOC_QUERYCAP, &capability) == 0;
    const quint32 caps = capability.capabilities & V4L2_CAP_DEVICE_CAPS ? capability.device_caps
                                                                        : capability.capabilities;
    // Metadata and output nodes of the same camera are not pictures.
    const bool capture = queried && (caps & V4L2_CAP_VIDEO_CAPTURE) && (caps & V4L2_CAP_STREAMING);
    const DocCamFormat format = capture ? V4l2Support::chooseFormat(formatOffers(m_io, fd)) : DocCamFormat();
    if (format.width <= 0) {
        m_io->close(fd);
        return;
    }
    const V4l2Support::UsbInfo usb = V4l2Support::readUsbInfo(m_sysfsRoot,
                                                              QFileInfo(QFile::decodeName(path)).fileName());
    CameraIdentity identity;
    identity.name = QString::fromUtf8(reinterpret_cast<const char *>(capability.card)).trimmed();
    identity.vendorId = usb.vendorId;
    identity.productId = usb.productId;
    identity.locationId = QString::fromUtf8(reinterpret_cast<const char *>(capability.bus_info));
    identity.format = format;
    identity.external = usb.external;
    auto *camera = new V4l2DocCam(m_io, path, fd, identity);
    m_cameras.insert(path, camera);
    m_sink->deviceAttached(camera, CameraDeviceSink::Origin::Device);
}

void V4l2Backend::lose(const QByteArray &path)
{
    V4l2DocCam *camera = m_cameras.take(path);
    if (!camera)
        return;
    camera->detach();
    m_sink->deviceDetached(camera);
    camera->release();
}
