#include "CppNotificaitonObserver.h"
#include "OsHelpers.h"
#include "TestEnvironment.h"
#include "TestMedia.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QWidget>

#include <sys/stat.h>

namespace {

QString writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class CountingObserver : public CppNotificaitonObserver
{
public:
    void notificationReceived(const QString &) override { ++received; }
    int received = 0;
};

} // namespace

class TestOsHelpers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void mediaDurationOfGeneratedFiles_data();
    void mediaDurationOfGeneratedFiles();
    void mediaDurationOfUnreadableFiles_data();
    void mediaDurationOfUnreadableFiles();
    void stillImagesHaveNoPlayingTime_data();
    void stillImagesHaveNoPlayingTime();
    void classifyDrive_data();
    void classifyDrive();
    void readBlockDeviceFacts_data();
    void readBlockDeviceFacts();
    void driveTypeOfRealFolders_data();
    void driveTypeOfRealFolders();
    void windowFrameGeometryIsTheTopLevels();
    void notificationsAndVolumeNameAreInert();

private:
    QTemporaryDir m_dir;
    QString m_avi;
    QString m_wmv;
};

void TestOsHelpers::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_avi = TestMedia::writeAvi(m_dir.path(), QStringLiteral("clip.avi"), 2.0);
    QVERIFY(!m_avi.isEmpty());
    m_wmv = TestMedia::writeWmv(m_dir.path(), QStringLiteral("clip.wmv"), 2.5);
    QVERIFY(!m_wmv.isEmpty());
}

void TestOsHelpers::mediaDurationOfGeneratedFiles_data()
{
    QTest::addColumn<QString>("container");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("withAudio");
    QTest::addColumn<qint64>("expected");
    QTest::addColumn<qint64>("tolerance");

    // AVI headers count whole frames of 40 ms, so the length is exact.
    QTest::newRow("avi 2 s with audio") << "avi" << 2.0 << QSize(320, 240) << true << qint64(2000) << qint64(0);
    QTest::newRow("avi 1.36 s video only") << "avi" << 1.36 << QSize(160, 120) << false << qint64(1360) << qint64(0);
    QTest::newRow("avi 90 s") << "avi" << 90.0 << QSize(32, 32) << false << qint64(90000) << qint64(0);
    // ASF rounds to its packets and audio frames.
    QTest::newRow("wmv 2.5 s with audio") << "wmv" << 2.5 << QSize(320, 240) << true << qint64(2500) << qint64(100);
    QTest::newRow("wmv 1 s video only") << "wmv" << 1.0 << QSize(160, 120) << false << qint64(1000) << qint64(100);
    QTest::newRow("wmv 90 s") << "wmv" << 90.0 << QSize(32, 32) << true << qint64(90000) << qint64(100);
}

void TestOsHelpers::mediaDurationOfGeneratedFiles()
{
    QFETCH(QString, container);
    QFETCH(double, seconds);
    QFETCH(QSize, size);
    QFETCH(bool, withAudio);
    QFETCH(qint64, expected);
    QFETCH(qint64, tolerance);

    // The name looks like a protocol prefix: it must still be read as a plain file.
    const QString name = QStringLiteral("pipe:%1.%2").arg(QTest::currentDataTag(), container);
    const QString path = container == QLatin1String("avi")
                             ? TestMedia::writeAvi(m_dir.path(), name, seconds, size, withAudio)
                             : TestMedia::writeWmv(m_dir.path(), name, seconds, size, withAudio);
    QVERIFY(!path.isEmpty());
    const qint64 duration = mediaDuration(path);
    QVERIFY2(qAbs(duration - expected) <= tolerance, qPrintable(QString::number(duration)));
}

void TestOsHelpers::mediaDurationOfUnreadableFiles_data()
{
    QTest::addColumn<QString>("path");

    const QDir dir(m_dir.path());
    const QByteArray avi = readAll(m_avi);
    const QByteArray wmv = readAll(m_wmv);
    QVERIFY(!avi.isEmpty() && !wmv.isEmpty());
    // The AVI header list ends where the frames ("movi") begin; the ASF header object gives its size at 16.
    const qsizetype aviHeaderEnd = avi.indexOf("movi");
    QVERIFY(aviHeaderEnd > 100);
    const qsizetype wmvHeaderEnd = qFromLittleEndian<quint64>(wmv.constData() + 16);
    QVERIFY(wmvHeaderEnd > 100 && wmvHeaderEnd < wmv.size());

    QByteArray noise(256 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + (i >> 5)) & 0xff);

    QTest::newRow("missing") << dir.filePath(QStringLiteral("missing.avi"));
    QTest::newRow("empty") << writeFile(dir.filePath(QStringLiteral("empty.avi")), {});
    QTest::newRow("text") << writeFile(dir.filePath(QStringLiteral("notes.avi")), "not a video at all\n");
    QTest::newRow("noise") << writeFile(dir.filePath(QStringLiteral("noise.wmv")), noise);
    QTest::newRow("avi cut in its RIFF header") << writeFile(dir.filePath(QStringLiteral("cut12.avi")), avi.left(12));
    QTest::newRow("avi cut inside its header list")
        << writeFile(dir.filePath(QStringLiteral("cuthdr.avi")), avi.left(aviHeaderEnd / 2));
    QTest::newRow("avi cut just before its frames")
        << writeFile(dir.filePath(QStringLiteral("cutmovi.avi")), avi.left(aviHeaderEnd - 8));
    QTest::newRow("wmv cut in its first object") << writeFile(dir.filePath(QStringLiteral("cut20.wmv")), wmv.left(20));
    QTest::newRow("wmv cut inside its header")
        << writeFile(dir.filePath(QStringLiteral("cuthdr.wmv")), wmv.left(wmvHeaderEnd / 2));
    QTest::newRow("folder") << m_dir.path();

    // A reader that opened a pipe would wait for a writer for ever.
    const QString fifo = dir.filePath(QStringLiteral("fifo.avi"));
    QVERIFY(mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    QTest::newRow("named pipe") << fifo;
}

void TestOsHelpers::mediaDurationOfUnreadableFiles()
{
    QFETCH(QString, path);
    QVERIFY(!path.isEmpty());
    QCOMPARE(mediaDuration(path), qint64(0));
}

void TestOsHelpers::stillImagesHaveNoPlayingTime_data()
{
    QTest::addColumn<QByteArray>("format");

    QTest::newRow("jpeg") << QByteArray("JPG");
    QTest::newRow("png") << QByteArray("PNG");
    QTest::newRow("bmp") << QByteArray("BMP");
}

void TestOsHelpers::stillImagesHaveNoPlayingTime()
{
    QFETCH(QByteArray, format);

    // A busy picture, as a camera takes: its file is larger than the first bytes probed, which is where the
    // image reader is chosen by the name instead.
    QImage image(640, 480, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb((x * 7 + y * 13) & 0xff, (x * x + y) & 0xff, (x ^ y) & 0xff));
    }
    const QString path = QDir(m_dir.path()).filePath(QStringLiteral("still.") + QString::fromLatin1(format).toLower());
    QVERIFY(image.save(path, format.constData()));
    QCOMPARE(mediaDuration(path), qint64(0));
}

void TestOsHelpers::classifyDrive_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<bool>("isVolumeRoot");
    QTest::addColumn<QByteArray>("fileSystemType");
    QTest::addColumn<QString>("rootPath");
    QTest::addColumn<bool>("removableDisk");
    QTest::addColumn<bool>("onUsbBus");
    QTest::addColumn<quint32>("expected");

    const QString mnt = QStringLiteral("/mnt/data");
    QTest::newRow("missing folder") << false << false << QByteArray() << QString() << false << false << 1u;
    QTest::newRow("deeper folder on a fixed disk")
        << true << false << QByteArray("ext4") << "/" << false << false << 1u;
    QTest::newRow("deeper folder on a stick")
        << true << false << QByteArray("vfat") << "/media/u/S" << true << true << 1u;
    QTest::newRow("root of unknown mount") << true << true << QByteArray() << mnt << false << false << 0u;
    QTest::newRow("fixed ext4") << true << true << QByteArray("ext4") << "/" << false << false << 3u;
    QTest::newRow("fixed btrfs") << true << true << QByteArray("btrfs") << mnt << false << false << 3u;
    QTest::newRow("removable flag") << true << true << QByteArray("vfat") << mnt << true << false << 2u;
    QTest::newRow("usb stick without flag") << true << true << QByteArray("exfat") << mnt << false << true << 2u;
    QTest::newRow("automounted under /media")
        << true << true << QByteArray("vfat") << "/media/u/STICK" << false << false << 2u;
    QTest::newRow("automounted under /run/media")
        << true << true << QByteArray("ntfs") << "/run/media/u/X" << false << false << 2u;
    QTest::newRow("/mediafiles is not /media")
        << true << true << QByteArray("ext4") << "/mediafiles" << false << false << 3u;
    QTest::newRow("nfs") << true << true << QByteArray("nfs") << mnt << false << false << 4u;
    QTest::newRow("nfs4") << true << true << QByteArray("nfs4") << mnt << false << false << 4u;
    QTest::newRow("cifs") << true << true << QByteArray("cifs") << mnt << false << false << 4u;
    QTest::newRow("smb3") << true << true << QByteArray("smb3") << mnt << false << false << 4u;
    QTest::newRow("sshfs") << true << true << QByteArray("fuse.sshfs") << mnt << false << false << 4u;
    QTest::newRow("other fuse is local") << true << true << QByteArray("fuse.exfat") << mnt << false << false << 3u;
    QTest::newRow("cd") << true << true << QByteArray("iso9660") << "/media/u/CD" << true << false << 5u;
    QTest::newRow("usb dvd") << true << true << QByteArray("udf") << mnt << true << true << 5u;
    QTest::newRow("tmpfs") << true << true << QByteArray("tmpfs") << "/dev/shm" << false << false << 6u;
    QTest::newRow("ramfs") << true << true << QByteArray("ramfs") << mnt << false << false << 6u;
}

void TestOsHelpers::classifyDrive()
{
    QFETCH(bool, exists);
    QFETCH(bool, isVolumeRoot);
    QFETCH(QByteArray, fileSystemType);
    QFETCH(QString, rootPath);
    QFETCH(bool, removableDisk);
    QFETCH(bool, onUsbBus);
    QFETCH(quint32, expected);

    DriveFacts facts;
    facts.exists = exists;
    facts.isVolumeRoot = isVolumeRoot;
    facts.fileSystemType = fileSystemType;
    facts.rootPath = rootPath;
    facts.removableDisk = removableDisk;
    facts.onUsbBus = onUsbBus;
    QCOMPARE(::classifyDrive(facts), expected);
}

void TestOsHelpers::readBlockDeviceFacts_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<bool>("removableDisk");
    QTest::addColumn<bool>("onUsbBus");

    QTest::newRow("usb stick partition, flag 0") << "/dev/sdb1" << false << true;
    QTest::newRow("usb stick whole disk") << "/dev/sdb" << false << true;
    QTest::newRow("sata partition") << "/dev/sda1" << false << false;
    QTest::newRow("card reader partition takes its disk's flag") << "/dev/mmcblk0p1" << true << false;
    QTest::newRow("not a device node") << "tmpfs" << false << false;
    QTest::newRow("device the kernel does not list") << "/dev/sdz9" << false << false;
}

void TestOsHelpers::readBlockDeviceFacts()
{
    QFETCH(QString, device);
    QFETCH(bool, removableDisk);
    QFETCH(bool, onUsbBus);

    // A small copy of the kernel's layout: disks hold their partitions, /sys/class/block links to both.
    QTemporaryDir sys;
    QVERIFY(sys.isValid());
    const QDir root(sys.path());
    struct Disk
    {
        const char *folder;
        const char *name;
        const char *partition;
        const char *removable;
    };
    const Disk disks[] = {
        {"devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0/block", "sdb", "sdb1", "0"},
        {"devices/pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0/block", "sda", "sda1", "0"},
        {"devices/pci0000:00/0000:00:1e.6/mmc_host/mmc0/mmc0:0001/block", "mmcblk0", "mmcblk0p1", "1"},
    };
    QVERIFY(root.mkpath(QStringLiteral("class/block")));
    for (const Disk &disk : disks) {
        const QString diskPath = root.filePath(QStringLiteral("%1/%2").arg(disk.folder, disk.name));
        const QString partitionPath = diskPath + QLatin1Char('/') + QLatin1String(disk.partition);
        QVERIFY(root.mkpath(partitionPath));
        QVERIFY(!writeFile(diskPath + QLatin1String("/removable"), QByteArray(disk.removable) + '\n').isEmpty());
        QVERIFY(!writeFile(partitionPath + QLatin1String("/partition"), "1\n").isEmpty());
        QVERIFY(QFile::link(diskPath, root.filePath(QStringLiteral("class/block/") + QLatin1String(disk.name))));
        QVERIFY(QFile::link(partitionPath,
                            root.filePath(QStringLiteral("class/block/") + QLatin1String(disk.partition))));
    }

    DriveFacts facts;
    ::readBlockDeviceFacts(device, facts, root.filePath(QStringLiteral("class/block")));
    QCOMPARE(facts.removableDisk, removableDisk);
    QCOMPARE(facts.onUsbBus, onUsbBus);
}

void TestOsHelpers::driveTypeOfRealFolders_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("isMountPoint");

    QTest::newRow("root") << "/" << true;
    QTest::newRow("root written twice") << "//" << true;
    QTest::newRow("folder inside a volume") << m_dir.path() << false;
    QTest::newRow("same with trailing slash") << m_dir.path() + QLatin1Char('/') << false;
    QTest::newRow("missing folder") << m_dir.path() + QLatin1String("/missing") << false;
    QTest::newRow("file") << m_avi << false;
}

void TestOsHelpers::driveTypeOfRealFolders()
{
    QFETCH(QString, path);
    QFETCH(bool, isMountPoint);

    const quint32 type = driveType(path);
    if (isMountPoint)
        QVERIFY2(type >= kDriveRemovable && type <= kDriveRamDisk, qPrintable(QString::number(type)));
    else
        QCOMPARE(type, quint32(kDriveNoRootDir));
}

void TestOsHelpers::windowFrameGeometryIsTheTopLevels()
{
    QWidget window;
    window.setGeometry(120, 80, 300, 200);
    auto *child = new QWidget(&window);
    child->setGeometry(10, 10, 50, 50);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QCOMPARE(windowFrameGeometry(child), window.frameGeometry());
    QCOMPARE(windowFrameGeometry(&window), window.frameGeometry());
    QCOMPARE(windowFrameGeometry(nullptr), QRect());
}

void TestOsHelpers::notificationsAndVolumeNameAreInert()
{
    CountingObserver observer;
    for (const QString &name : {QStringLiteral("LMDocCamInUseNotification"), QStringLiteral("LMNoDoCamNotification")}) {
        addNotificationObserver(&observer, name, nullptr);
        addNotificationObserver(&observer, name, nullptr);
        removeNotificationObserver(&observer, name, nullptr);
    }
    removeNotificationObserver(nullptr, QString(), nullptr);
    QCoreApplication::processEvents();
    QCOMPARE(observer.received, 0);

    QVERIFY(volumeName() == nullptr);
    QCOMPARE(QStringLiteral("/Volumes/") + QString::fromUtf8(volumeName()), QStringLiteral("/Volumes/"));
}

QUILLO_TEST_MAIN(TestOsHelpers)
#include "tst_OsHelpers.moc"
