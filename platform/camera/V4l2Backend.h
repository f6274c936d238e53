#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>

class CameraDeviceSink;
class QFileSystemWatcher;
class QSocketNotifier;
class V4l2DocCam;
class V4l2Io;
struct udev;
struct udev_monitor;

// Finds the V4L2 capture devices and follows them being plugged in and out: through a udev monitor read
// on the GUI thread, or, where udev is not available, by watching the device folder.
class V4l2Backend : public QObject
{
    Q_OBJECT

public:
    explicit V4l2Backend(CameraDeviceSink *sink, V4l2Io *io = nullptr,
                         const QString &deviceFolder = QStringLiteral("/dev"),
                         const QString &sysfsRoot = QStringLiteral("/sys"));
    ~V4l2Backend() override;

    void start();

private:
    void rescan();
    void readUdev();
    void probe(const QByteArray &path);
    void lose(const QByteArray &path);

    CameraDeviceSink *m_sink;
    V4l2Io *m_io;
    QString m_deviceFolder;
    QString m_sysfsRoot;
    QHash<QByteArray, V4l2DocCam *> m_cameras;
    udev *m_udev = nullptr;
    udev_monitor *m_monitor = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    QFileSystemWatcher *m_watcher = nullptr;
};
