#include "WinUSBListener.h"

#include "BrowserLog.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// The table as this process sees it: a test in a mount namespace of its own watches its own mounts.
constexpr char kMountTable[] = "/proc/self/mounts";

} // namespace

WinUSBListener::WinUSBListener(QWidget *parent)
    : QWidget(parent)
{
    registerDevice();
}

WinUSBListener::~WinUSBListener()
{
    unregisterDevice();
}

bool WinUSBListener::registerDevice()
{
    if (m_notifier)
        return true;
    m_fd = ::open(kMountTable, O_RDONLY | O_CLOEXEC);
    if (m_fd < 0) {
        browserLog(LogSystem::LOG_WARNING, "WinUSBListener - cannot watch %s: %s", kMountTable, std::strerror(errno));
        return false;
    }
    m_table = readMountTable();
    // The mount table never turns readable in a new way; a change shows as an exceptional condition.
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Exception, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &WinUSBListener::mountsChanged);
    return true;
}

bool WinUSBListener::unregisterDevice()
{
    if (!m_notifier)
        return false;
    delete m_notifier;
    m_notifier = nullptr;
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    return closed;
}

QByteArray WinUSBListener::readMountTable() const
{
    QByteArray table;
    if (::lseek(m_fd, 0, SEEK_SET) != 0)
        return table;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
        if (got > 0)
            table.append(buffer, got);
        else if (got == 0 || errno != EINTR)
            break;
    }
    return table;
}

void WinUSBListener::mountsChanged()
{
    // Reading the table again is what the kernel expects after it flagged a change; a change that undid
    // itself before we looked is no change for the drive list.
    const QByteArray table = readMountTable();
    if (table == m_table)
        return;
    m_table = table;
    emit usbDeviceChanged();
}
