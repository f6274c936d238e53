#include "PrivateMount.h"
#include "TestEnvironment.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace {

struct MountEntry
{
    QByteArray type;
    QByteArrayList options;
};

// The entry for `path` in a mount table as /proc/<pid>/mounts lists it, the last (topmost) one when stacked.
std::optional<MountEntry> mountAt(const QString &table, const QString &path)
{
    QFile file(table);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    std::optional<MountEntry> found;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QByteArrayList fields = line.split(' ');
        if (fields.size() >= 4 && fields.at(1) == QFile::encodeName(path))
            found = MountEntry{fields.at(2), fields.at(3).split(',')};
    }
    return found;
}

// Writes into `folder` until the first refusal; returns its errno (0 when `limit` bytes all went in).
int writeUntilRefused(const QString &folder, qint64 limit, qint64 *written)
{
    *written = 0;
    const int fd = ::open(QFile::encodeName(folder + QStringLiteral("/fill")).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    const QByteArray chunk(64 * 1024, 'x');
    int error = 0;
    while (*written < limit) {
        const ssize_t n = ::write(fd, chunk.constData(), size_t(chunk.size()));
        if (n < 0) {
            error = errno;
            break;
        }
        *written += n;
    }
    ::close(fd);
    return error;
}

// The kernel's name of a process's mount namespace, such as "mnt:[4026531841]".
QByteArray namespaceOf(const QString &process)
{
    char target[64] = {};
    const ssize_t n = ::readlink(QFile::encodeName(process + QStringLiteral("ns/mnt")).constData(), target,
                                 sizeof target - 1);
    return n > 0 ? QByteArray(target, n) : QByteArray();
}

} // namespace

class TestPrivateMount : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writesAreRefusedInTheMount_data()
    {
        QTest::addColumn<bool>("smallDisk");
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<QByteArray>("option");
        QTest::addColumn<int>("refusal");
        QTest::newRow("small disk") << true << QByteArray("tmpfs") << QByteArray("size=1024k") << ENOSPC;
        QTest::newRow("read-only folder") << false << QByteArray() << QByteArray("ro") << EROFS;
    }
    void writesAreRefusedInTheMount()
    {
        QFETCH(bool, smallDisk);
        QFETCH(QByteArray, type);
        QFETCH(QByteArray, option);
        QFETCH(int, refusal);
        QTemporaryDir folder;
        QVERIFY(QFile(folder.filePath(QStringLiteral("before"))).open(QIODevice::WriteOnly));
        PrivateMount mount = smallDisk ? PrivateMount::smallDisk(folder.path(), 1024 * 1024)
                                       : PrivateMount::readOnly(folder.path());
        if (!mount.isMounted())
            return;
        QCOMPARE(mount.path(), folder.path());

        const std::optional<MountEntry> entry = mountAt(QStringLiteral("/proc/self/mounts"), folder.path());
        QVERIFY(entry);
        if (!type.isEmpty())
            QCOMPARE(entry->type, type);
        QVERIFY2(entry->options.contains(option), entry->options.join(',').constData());
        // The folder's own content shows through a bind mount only.
        QCOMPARE(QFile::exists(folder.filePath(QStringLiteral("before"))), !smallDisk);

        const qint64 limit = 4 * 1024 * 1024;
        qint64 written = 0;
        QCOMPARE(writeUntilRefused(folder.path(), limit, &written), refusal);
        QVERIFY(written <= 1024 * 1024);

        mount.unmount();
        QVERIFY(!mount.isMounted());
        QVERIFY(!mountAt(QStringLiteral("/proc/self/mounts"), folder.path()));
        QVERIFY(QFile::exists(folder.filePath(QStringLiteral("before"))));
        QCOMPARE(writeUntilRefused(folder.path(), 64 * 1024, &written), 0);
    }

    // The point of entering the namespace in main: threads started since, the pool's among them, write into
    // the mount, not onto the real disk underneath.
    void laterThreadsWriteIntoTheMount()
    {
        QTemporaryDir folder;
        const PrivateMount disk = PrivateMount::smallDisk(folder.path(), 1024 * 1024);
        if (!disk.isMounted())
            return;
        qint64 threadWritten = 0;
        int threadRefusal = 0;
        std::thread writer([&] { threadRefusal = writeUntilRefused(folder.path(), 4 * 1024 * 1024, &threadWritten); });
        writer.join();
        QCOMPARE(threadRefusal, ENOSPC);
        QVERIFY(threadWritten <= 1024 * 1024);

        std::atomic<int> poolRefusal = -1;
        QThreadPool::globalInstance()->start([&] {
            qint64 written = 0;
            poolRefusal = writeUntilRefused(folder.path(), 4 * 1024 * 1024, &written);
        });
        QVERIFY(QThreadPool::globalInstance()->waitForDone(10000));
        QCOMPARE(poolRefusal.load(), ENOSPC);
    }

    void theHostDoesNotSeeTheMount()
    {
        QTemporaryDir folder;
        const PrivateMount disk = PrivateMount::smallDisk(folder.path(), 1024 * 1024);
        if (!disk.isMounted())
            return;
        // The process that started the test (ctest, a shell) stands outside the namespace.
        const QString parent = QStringLiteral("/proc/%1/").arg(getppid());
        QVERIFY(mountAt(QStringLiteral("/proc/self/mounts"), folder.path()));
        QVERIFY(QFile::exists(parent + QStringLiteral("mounts")));
        QVERIFY(!mountAt(parent + QStringLiteral("mounts"), folder.path()));
        const QByteArray own = namespaceOf(QStringLiteral("/proc/self/"));
        QVERIFY(own.startsWith("mnt:["));
        QVERIFY(own != namespaceOf(parent));
    }
};

QUILLO_TEST_MAIN_PRIVATE_MOUNTS(TestPrivateMount)
#include "tst_PrivateMount.moc"
