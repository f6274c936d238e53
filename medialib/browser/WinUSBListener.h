#pragma once

#include <QByteArray>
#include <QWidget>

class QSocketNotifier;

// Tells the drive list when drives come or go. A drive that is plugged in or pulled out here becomes
// visible as a change of the mount table, so the listener watches the process's mount table (the kernel
// flags it as an exceptional condition on every change) and signals once per change that alters it. It
// needs no device daemon, so it works in containers too. Each listener watches on its own: several may
// live at once and destroying one leaves the others listening. It stays a never-shown widget, the shape
// its owner creates and deletes.
class WinUSBListener : public QWidget
{
    Q_OBJECT

public:
    explicit WinUSBListener(QWidget *parent = nullptr);
    ~WinUSBListener() override;

    // False when the mount table cannot be watched here (then no signal comes).
    bool isListening() const { return m_notifier != nullptr; }

Q_SIGNALS:
    void usbDeviceChanged();

private:
    bool registerDevice();
    bool unregisterDevice();
    void mountsChanged();
    QByteArray readMountTable() const;

    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
    QByteArray m_table;
};
