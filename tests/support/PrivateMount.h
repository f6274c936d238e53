#pragma once

#include <QByteArray>
#include <QString>

// A small tmpfs mounted for one test, in a mount namespace of the test's own so that the host never sees
// it (the test's /proc/self/mounts does). Needs root; a test skips when available() is false:
//     PrivateMount disk;
//     if (!disk.available())
//         QSKIP(qPrintable(disk.whyNot()));
//     QVERIFY(disk.mount(folder, "size=64k"));
// The file system is taken away again when the object goes.
class PrivateMount
{
public:
    PrivateMount();
    ~PrivateMount();
    PrivateMount(const PrivateMount &) = delete;
    PrivateMount &operator=(const PrivateMount &) = delete;

    bool available() const { return m_whyNot.isEmpty(); }
    QString whyNot() const { return m_whyNot; }
    // Mounts a tmpfs with these options (such as "size=64k") on an existing folder.
    bool mount(const QString &folder, const QByteArray &options);
    // Takes it away before the object goes.
    bool unmount();

private:
    QString m_whyNot;
    QByteArray m_mountPoint;
};
