#include "PrivateMount.h"

#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>
#include <utility>

namespace {

enum class State { NotAsked, Entered, Refused };

State state = State::NotAsked;
QString refusal;

QString systemError(const char *call)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(call), QString::fromLocal8Bit(std::strerror(errno)));
}

// The thread count as the kernel sees it: the namespace covers only threads started after it.
int threadCount()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    // A /proc file reports a size of 0, so read it whole rather than up to its "end".
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("Threads:"))
            return line.mid(8).trimmed().toInt();
    }
    return -1;
}

void refuse(const QString &reason)
{
    state = State::Refused;
    refusal = reason;
}

} // namespace

void PrivateMount::enterNamespace()
{
    if (state != State::NotAsked)
        return;
    if (const int threads = threadCount(); threads != 1) {
        refuse(QStringLiteral("private mounts: %1 threads already run, and those would keep the host's mounts")
                   .arg(threads));
        return;
    }
    if (unshare(CLONE_NEWNS) != 0) {
        refuse(errno == EPERM ? QStringLiteral("private mounts need root (a mount namespace of our own)")
                              : systemError("private mounts: unshare"));
        return;
    }
    // Without this, mounts made here would propagate to the host's shared mounts.
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        refuse(systemError("private mounts: making / private"));
        return;
    }
    state = State::Entered;
}

bool PrivateMount::available()
{
    return state == State::Entered;
}

QString PrivateMount::unavailableReason()
{
    switch (state) {
    case State::NotAsked:
        return QStringLiteral("the test's main did not enter a private mount namespace "
                              "(QUILLO_TEST_MAIN_PRIVATE_MOUNTS)");
    case State::Refused:
        return refusal;
    case State::Entered:
        break;
    }
    return {};
}

bool PrivateMount::canMountAt(const QString &path)
{
    if (state == State::Refused) {
        QTest::qSkip(qPrintable(refusal), __FILE__, __LINE__);
        return false;
    }
    QString problem;
    if (state == State::NotAsked)
        problem = unavailableReason();
    else if (!QFileInfo(path).isDir())
        problem = QStringLiteral("cannot mount over %1: not a folder").arg(path);
    if (problem.isEmpty())
        return true;
    QTest::qFail(qPrintable(problem), __FILE__, __LINE__);
    return false;
}

PrivateMount PrivateMount::smallDisk(const QString &path, qint64 bytes)
{
    PrivateMount result;
    if (!canMountAt(path))
        return result;
    const QByteArray target = QFile::encodeName(path);
    const QByteArray options = "size=" + QByteArray::number(bytes);
    if (mount("tmpfs", target.constData(), "tmpfs", 0, options.constData()) != 0) {
        QTest::qFail(qPrintable(systemError("mounting a small tmpfs") + QStringLiteral(" at ") + path), __FILE__,
                     __LINE__);
        return result;
    }
    result.m_path = path;
    return result;
}

PrivateMount PrivateMount::readOnly(const QString &path)
{
    PrivateMount result;
    if (!canMountAt(path))
        return result;
    const QByteArray target = QFile::encodeName(path);
    // A bind mount takes its read-only flag only from a remount of its own.
    if (mount(target.constData(), target.constData(), nullptr, MS_BIND, nullptr) != 0) {
        QTest::qFail(qPrintable(systemError("binding") + QStringLiteral(" %1 onto itself").arg(path)), __FILE__,
                     __LINE__);
        return result;
    }
    if (mount(nullptr, target.constData(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
        const QString error = systemError("remounting read-only");
        umount2(target.constData(), MNT_DETACH);
        QTest::qFail(qPrintable(error + QStringLiteral(" at ") + path), __FILE__, __LINE__);
        return result;
    }
    result.m_path = path;
    return result;
}

PrivateMount::PrivateMount(PrivateMount &&other) noexcept
    : m_path(std::exchange(other.m_path, QString()))
{
}

PrivateMount &PrivateMount::operator=(PrivateMount &&other) noexcept
{
    if (this != &other) {
        unmount();
        m_path = std::exchange(other.m_path, QString());
    }
    return *this;
}

PrivateMount::~PrivateMount()
{
    unmount();
}

bool PrivateMount::isMounted() const
{
    return !m_path.isEmpty();
}

QString PrivateMount::path() const
{
    return m_path;
}

void PrivateMount::unmount()
{
    if (m_path.isEmpty())
        return;
    // Detached rather than refused while a file in it is still open: the test goes on and the namespace
    // ends with the process anyway.
    umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
    m_path.clear();
}
