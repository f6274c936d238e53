#include "UsbDeviceMonitor.h"

#include "RecordingLog.h"

#include <QSocketNotifier>

#include <libudev.h>

namespace {

QString udevProperty(udev_device *device, const char *name)
{
    return QString::fromLatin1(udev_device_get_property_value(device, name));
}

} // namespace

UsbDeviceMonitor::UsbDeviceMonitor(QObject *parent)
    : QObject(parent)
{
    m_udev = udev_new();
    m_monitor = m_udev ? udev_monitor_new_from_netlink(m_udev, "udev") : nullptr;
    if (!m_monitor || udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "usb", "usb_device") < 0
        || udev_monitor_enable_receiving(m_monitor) < 0) {
        recordingLog(LogSystem::LOG_NOTICE, "UsbDeviceMonitor - device events are not available here");
        return;
    }
    m_notifier = new QSocketNotifier(udev_monitor_get_fd(m_monitor), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UsbDeviceMonitor::readDevice);
}

UsbDeviceMonitor::~UsbDeviceMonitor()
{
    delete m_notifier;
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    if (m_udev)
        udev_unref(m_udev);
}

QString UsbDeviceMonitor::devicePath(const QString &devpath, const QString &vendorId, const QString &modelId,
                                     const QString &product)
{
    QString vendor = vendorId;
    QString model = modelId;
    const QStringList parts = product.split(QLatin1Char('/'));
    // Removal events often carry only PRODUCT, whose ids lack their leading zeros.
    if (vendor.isEmpty() && parts.size() >= 2)
        vendor = parts.at(0).rightJustified(4, QLatin1Char('0'));
    if (model.isEmpty() && parts.size() >= 2)
        model = parts.at(1).rightJustified(4, QLatin1Char('0'));
    return QStringLiteral("usb#vid_%1&pid_%2#%3").arg(vendor.toLower(), model.toLower(), devpath);
}

void UsbDeviceMonitor::readDevice()
{
    udev_device *device = udev_monitor_receive_device(m_monitor);
    if (!device)
        return;
    const QString action = QString::fromLatin1(udev_device_get_action(device));
    const QString path = devicePath(QString::fromLatin1(udev_device_get_devpath(device)),
                                    udevProperty(device, "ID_VENDOR_ID"), udevProperty(device, "ID_MODEL_ID"),
                                    udevProperty(device, "PRODUCT"));
    udev_device_unref(device);
    if (action == QLatin1String("add"))
        emit deviceArrived(path);
    else if (action == QLatin1String("remove"))
        emit deviceRemoved(path);
}
