#pragma once

#include <QString>

// A mount that only this test process sees: a small tmpfs (a full disk after a few megabytes) or a read-only
// bind mount (writes refused even for root), undone when the object goes.
//
// The mounts live in a mount namespace of the test process's own, which it enters in main before the
// application object and before any thread exists: a namespace made later would cover only the calling thread
// and the threads it starts afterwards, so a pool or capture thread started earlier would still write to the real
// disk. Opt in with QUILLO_TEST_MAIN_PRIVATE_MOUNTS (or TestEnvironment::prepare(display, Mounts::Private));
// /proc/self/mounts then shows the test's own view, and nothing is ever mounted on the host.
//
// Where the namespace cannot be made (not root), the helper skips the current test with the reason; when a
// mount fails, it fails the test with the reason. Either way an unmounted object comes back:
//     QTemporaryDir small;
//     const PrivateMount disk = PrivateMount::smallDisk(small.path(), 6 * 1024 * 1024);
//     if (!disk.isMounted())
//         return;
class PrivateMount
{
public:
    // A tmpfs of `bytes` over the existing folder `path`; writes past that size fail with ENOSPC.
    static PrivateMount smallDisk(const QString &path, qint64 bytes);
    // The existing folder `path` bound onto itself read-only; writes in it fail with EROFS.
    static PrivateMount readOnly(const QString &path);

    // Whether this process has its mount namespace; when not, why.
    static bool available();
    static QString unavailableReason();

    PrivateMount(PrivateMount &&other) noexcept;
    PrivateMount &operator=(PrivateMount &&other) noexcept;
    PrivateMount(const PrivateMount &) = delete;
    PrivateMount &operator=(const PrivateMount &) = delete;
    ~PrivateMount();

    bool isMounted() const;
    QString path() const;
    // Detaches the mount now (at the latest the destructor does); the folder underneath shows again.
    void unmount();

private:
    friend class TestEnvironment;
    // Called by TestEnvironment::prepare while the process still runs a single thread.
    static void enterNamespace();

    PrivateMount() = default;
    // Skips or fails the current test when no mount can be made at `path`; true when one can.
    static bool canMountAt(const QString &path);

    QString m_path;
};
