#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;
struct udev;
struct udev_monitor;

// Reports USB devices arriving and leaving, as told by the kernel through udev. Each report carries a
// device path text that names the device's vendor and product ids ("usb#vid_xxxx&pid_xxxx#/devices/...").
class UsbDeviceMonitor : public QObject
{
    Q_OBJECT

public:
    explicit UsbDeviceMonitor(QObject *parent = nullptr);
    ~UsbDeviceMonitor() override;

    // False when udev cannot be listened to here (no reports will come).
    bool isListening() const { return m_notifier != nullptr; }

    // The path text of a device from its udev properties: the vendor and product ids (ID_VENDOR_ID,
    // ID_MODEL_ID, or the first two parts of PRODUCT, "vendor/product/release" in hex) and its devpath.
    static QString devicePath(const QString &devpath, const QString &vendorId, const QString &modelId,
                              const QString &product);

Q_SIGNALS:
    void deviceArrived(const QString &path);
    void deviceRemoved(const QString &path);

private:
    void readDevice();

    udev *m_udev = nullptr;
    udev_monitor *m_monitor = nullptr;
    QSocketNotifier *m_notifier = nullptr;
};
