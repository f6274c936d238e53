#include "MediaFileStore.h"
#include "MediaThumbnailCreator.h"
#include "TestEnvironment.h"
#include "ThreadManager.h"
#include "ThumbnailImage.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <sys/mount.h>
#include <unistd.h>

namespace {

struct Outcome
{
    QStringList reported;
    int failures = 0;
};

// Runs one creator through the thread manager, as a tile does.
Outcome runCreator(const QString &imagePath)
{
    MediaThumbnailCreator creator(MediaFileStore::getInstance());
    creator.setImagePath(imagePath);
    QSignalSpy created(&creator, &MediaThumbnailCreator::thumbnailCreated);
    QSignalSpy failed(&creator, &MediaThumbnailCreator::createThumbnailFromImageFailed);
    ThreadManager::getInstance()->addThread(&creator);
    if (!QTest::qWaitFor([&] { return creator.isFinished(); }, 10000))
        QTest::qFail("the creator did not run", __FILE__, __LINE__);
    ThreadManager::getInstance()->removeThread(&creator);
    Outcome outcome;
    for (const QList<QVariant> &signal : std::as_const(created))
        outcome.reported.append(signal.at(0).toString());
    outcome.failures = int(failed.size());
    return outcome;
}

QImage noise(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<quint32 *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = QRandomGenerator::global()->generate() | 0xff000000u;
    }
    return image;
}

QByteArray digest(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1)
                                          : QByteArray();
}

} // namespace

class TestMediaThumbnailCreator : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_media;
    MediaFileStore *m_store = nullptr;

    QString mediaFile(const QString &name) const { return m_media.filePath(name); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_media.isValid());
        m_store = MediaFileStore::getInstance();
        m_store->makeCacheFolder(m_media.path());
    }

    void thumbnailSizes_data()
    {
        QTest::addColumn<QSize>("imageSize");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QSize>("thumbnailSize");
        QTest::newRow("wide") << QSize(1000, 500) << "png" << QSize(60, 30);
        QTest::newRow("tall") << QSize(500, 1000) << "png" << QSize(30, 60);
        QTest::newRow("small, enlarged") << QSize(30, 20) << "png" << QSize(60, 40);
        QTest::newRow("exact") << QSize(60, 60) << "bmp" << QSize(60, 60);
        QTest::newRow("a sliver keeps a pixel") << QSize(2000, 10) << "png" << QSize(60, 1);
        // Large photos are decoded straight at about the thumbnail's size.
        QTest::newRow("photo") << QSize(4000, 3000) << "jpg" << QSize(60, 45);
        QTest::newRow("portrait photo") << QSize(1080, 1920) << "jpg" << QSize(33, 60);
    }
    void thumbnailSizes()
    {
        QFETCH(QSize, imageSize);
        QFETCH(QString, format);
        QFETCH(QSize, thumbnailSize);
        const QString image =
            mediaFile(QStringLiteral("%1x%2.%3").arg(imageSize.width()).arg(imageSize.height()).arg(format));
        QImage picture(imageSize, QImage::Format_RGB32);
        picture.fill(QColor(200, 40, 40));
        QVERIFY(picture.save(image));

        const Outcome outcome = runCreator(image);
        const QString thumbnail = m_store->thumbnailPath(image);
        QCOMPARE(outcome.reported, QStringList{thumbnail});
        QCOMPARE(outcome.failures, 0);
        const QImage made(thumbnail);
        QCOMPARE(made.size(), thumbnailSize);
        QCOMPARE(made.format(), QImage::Format_RGB32);
        const QColor middle = made.pixelColor(made.width() / 2, made.height() / 2);
        QVERIFY2(qAbs(middle.red() - 200) < 8 && middle.green() < 50, qPrintable(middle.name()));
    }

    void transparencyBecomesOpaque()
    {
        const QString image = mediaFile(QStringLiteral("clear.png"));
        QImage picture(120, 80, QImage::Format_ARGB32);
        picture.fill(QColor(0, 0, 255, 0));
        QVERIFY(picture.save(image));
        QCOMPARE(runCreator(image).failures, 0);
        const QImage made(m_store->thumbnailPath(image));
        QCOMPARE(made.size(), QSize(60, 40));
        QVERIFY(!made.hasAlphaChannel());
    }

    void existingThumbnailIsReportedUnopened()
    {
        // The image is not even readable: only the cached file can have answered.
        const QString image = mediaFile(QStringLiteral("changed.jpg"));
        QFile broken(image);
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("not a picture any more");
        broken.close();
        const QString thumbnail = m_store->thumbnailPath(image);
        QImage cached(7, 7, QImage::Format_RGB32);
        cached.fill(Qt::green);
        QVERIFY(cached.save(thumbnail));
        const QByteArray before = digest(thumbnail);

        const Outcome outcome = runCreator(image);
        QCOMPARE(outcome.reported, QStringList{thumbnail});
        QCOMPARE(digest(thumbnail), before);
    }

    void unreadableImages_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty path") << QString() << QByteArray();
        QTest::newRow("not an image") << "notes.jpg" << QByteArray("Lesson notes, not a picture");
        QTest::newRow("empty file") << "empty.png" << QByteArray();
        QTest::newRow("missing file") << "gone.png" << QByteArray("-");
    }
    void unreadableImages()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QString image;
        if (!name.isEmpty()) {
            image = mediaFile(name);
            if (content != "-") {
                QFile file(image);
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.write(content);
            }
        }
        const Outcome outcome = runCreator(image);
        QCOMPARE(outcome.failures, 1);
        QVERIFY(outcome.reported.isEmpty());
        if (!image.isEmpty())
            QVERIFY(!QFileInfo::exists(m_store->thumbnailPath(image)));
    }

    void missingCacheFolderWritesNothing()
    {
        // The maker makes no folder: the panel makes a folder's cache folder when it shows the folder.
        QVERIFY(QDir(m_media.path()).mkdir(QStringLiteral("unseen")));
        const QString image = mediaFile(QStringLiteral("unseen/photo.png"));
        QImage picture(100, 100, QImage::Format_RGB32);
        picture.fill(Qt::gray);
        QVERIFY(picture.save(image));
        const Outcome outcome = runCreator(image);
        QCOMPARE(outcome.reported, QStringList{m_store->thumbnailPath(image)});
        QVERIFY(!QFileInfo::exists(QFileInfo(m_store->thumbnailPath(image)).absolutePath()));
    }

    void fullDiskLeavesNoTornThumbnail()
    {
        if (geteuid() != 0)
            QSKIP("needs root to mount a small file system");
        if (unshare(CLONE_NEWNS) != 0 || mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            QSKIP("cannot make a mount namespace here");
        QVERIFY(QDir(m_media.path()).mkdir(QStringLiteral("full")));
        m_store->makeCacheFolder(mediaFile(QStringLiteral("full")));
        const QString cacheFolder = m_store->mirrorPath(mediaFile(QStringLiteral("full")));
        const QByteArray mountPoint = QFile::encodeName(cacheFolder);
        // Room for a few kilobytes only: a thumbnail of noise needs some ten.
        QCOMPARE(mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=16k"), 0);
        QFile filler(cacheFolder + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        filler.write(QByteArray(12 * 1024, 'x'));
        filler.close();

        const QString image = mediaFile(QStringLiteral("full/noise.png"));
        QVERIFY(noise(QSize(120, 120)).save(image));
        // Started from this thread, so that it writes inside the small file system.
        MediaThumbnailCreator creator(m_store);
        creator.setImagePath(image);
        QSignalSpy created(&creator, &MediaThumbnailCreator::thumbnailCreated);
        creator.start();
        QVERIFY(creator.wait(10000));
        const QStringList left = QDir(cacheFolder).entryList(QDir::Files);
        umount2(mountPoint.constData(), MNT_DETACH);

        QCOMPARE(created.size(), 1);
        QCOMPARE(left.join(' '), QStringLiteral("filler"));
    }
};

QUILLO_TEST_MAIN(TestMediaThumbnailCreator)
#include "tst_MediaThumbnailCreator.moc"
