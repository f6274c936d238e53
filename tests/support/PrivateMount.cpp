#include "PrivateMount.h"

#include <QFile>

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

PrivateMount::PrivateMount()
{
    if (geteuid() != 0)
        m_whyNot = QStringLiteral("needs root to mount a small file system");
    else if (unshare(CLONE_NEWNS) != 0 || ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        m_whyNot = QStringLiteral("cannot make a mount namespace here");
}

PrivateMount::~PrivateMount()
{
    unmount();
}

bool PrivateMount::mount(const QString &folder, const QByteArray &options)
{
    if (!available() || !m_mountPoint.isEmpty())
        return false;
    const QByteArray point = QFile::encodeName(folder);
    if (::mount("tmpfs", point.constData(), "tmpfs", 0, options.constData()) != 0)
        return false;
    m_mountPoint = point;
    return true;
}

bool PrivateMount::unmount()
{
    if (m_mountPoint.isEmpty())
        return false;
    const bool done = umount2(m_mountPoint.constData(), MNT_DETACH) == 0;
    m_mountPoint.clear();
    return done;
}
