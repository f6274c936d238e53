#include "MediaFileProbe.h"
#include "MediaFileStore.h"
#include "MediaImpl.h"
#include "TestEnvironment.h"
#include "TestMedia.h"
#include "VideoThumbnailGenerator.h"
#include "WinMediaService.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>

namespace {

// A red picture for the first switchAt seconds, then blue: a thumbnail's colour tells which part of the
// video it came from. With a 440 Hz tone as sound.
QString writeTwoColourVideo(const QString &dir, const QString &name, double seconds, double switchAt,
                            const QStringList &codecs)
{
    const QString target = QDir(dir).absoluteFilePath(name);
    const QString pictures = QStringLiteral("color=c=red:s=320x240:r=25:d=%1[a];color=c=blue:s=320x240:r=25:d=%2[b];"
                                            "[a][b]concat=n=2:v=1:a=0[out0]")
                                 .arg(switchAt)
                                 .arg(seconds - switchAt);
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 QStringList{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin"),
                             QStringLiteral("-y"), QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                             pictures, QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                             QStringLiteral("sine=frequency=440:sample_rate=44100:duration=%1").arg(seconds)}
                     + codecs + QStringList{QStringLiteral("-shortest"), target});
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0) {
        QTest::qFail(qPrintable(QStringLiteral("ffmpeg could not write %1: %2")
                                    .arg(target, QString::fromLocal8Bit(ffmpeg.readAllStandardError()))),
                     __FILE__, __LINE__);
        return {};
    }
    return target;
}

const QStringList kAviCodecs{QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-vtag"),
                             QStringLiteral("XVID"), QStringLiteral("-c:a"),  QStringLiteral("pcm_s16le")};
const QStringList kWmvCodecs{QStringLiteral("-c:v"), QStringLiteral("wmv2"), QStringLiteral("-c:a"),
                             QStringLiteral("wmav2")};

// A copy of an AVI whose pictures are noise to the decoder: the file opens, the sound is fine, no frame
// ever comes.
QString garble(const QString &source, const QString &target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    QByteArray data = in.readAll();
    const qsizetype movi = data.indexOf("movi");
    const qsizetype index = data.indexOf("idx1");
    for (qsizetype at = movi + 4; at + 8 <= index;) {
        const quint32 size = qFromLittleEndian<quint32>(data.constData() + at + 4);
        if (data.mid(at + 2, 2) == "dc")
            data.replace(at + 8, size, QByteArray(size, '\x55'));
        at += 8 + size + (size & 1);
    }
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly) || out.write(data) != data.size())
        return {};
    return target;
}

QColor centreColour(const QString &path)
{
    const QImage image(path);
    return image.isNull() ? QColor() : image.pixelColor(image.width() / 2, image.height() / 2);
}

bool isBlue(const QColor &colour)
{
    return colour.blue() > 180 && colour.red() < 80;
}

bool isRed(const QColor &colour)
{
    return colour.red() > 180 && colour.blue() < 80;
}

qint64 storedDuration(const QString &path)
{
    auto *record = new MediaImpl(path);
    MediaFileStore::getInstance()->readInfo(record);
    const qint64 duration = record->duration();
    record->release();
    return duration;
}

} // namespace

class TestVideoThumbnailGenerator : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    MediaFileStore *m_store = nullptr;
    QString m_avi, m_wmv, m_short, m_unfinished, m_garbled, m_junk;

    QStringList fixtures() const { return {m_avi, m_wmv, m_short, m_unfinished, m_garbled, m_junk}; }
    QString thumbnail(const QString &video) const { return m_store->thumbnailPath(video); }

private Q_SLOTS:
    void initTestCase()
    {
        // The sound server of the test run, when there is one: a player would send the sound there.
        if (qEnvironmentVariableIsSet("QUILLO_TEST_PULSE_SERVER"))
            qputenv("PULSE_SERVER", qgetenv("QUILLO_TEST_PULSE_SERVER"));
        QVERIFY(m_dir.isValid());
        m_store = MediaFileStore::getInstance();
        m_store->makeCacheFolder(m_dir.path());
        m_avi = writeTwoColourVideo(m_dir.path(), QStringLiteral("Lesson.avi"), 4, 2.5, kAviCodecs);
        m_wmv = writeTwoColourVideo(m_dir.path(), QStringLiteral("Lesson.wmv"), 4, 2.5, kWmvCodecs);
        m_short = writeTwoColourVideo(m_dir.path(), QStringLiteral("Short.avi"), 2, 1, kAviCodecs);
        m_unfinished = TestMedia::writeUnfinishedAvi(m_dir.path(), QStringLiteral("Unclosed.avi"), 3.5);
        QVERIFY(!m_avi.isEmpty() && !m_wmv.isEmpty() && !m_short.isEmpty() && !m_unfinished.isEmpty());
        m_garbled = garble(m_avi, m_dir.filePath(QStringLiteral("Garbled.avi")));
        QVERIFY(!m_garbled.isEmpty());
        m_junk = m_dir.filePath(QStringLiteral("Junk.avi"));
        QFile junk(m_junk);
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(20000, '\x17'));
    }

    void cleanup()
    {
        for (const QString &video : fixtures()) {
            QFile::remove(thumbnail(video));
            QFile::remove(m_store->infoFilePath(video));
        }
        QCOMPARE(m_store->thumbnailingVideo(), QString());
    }

    void frameFromThreeSecondsInWithoutSound_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("avi") << "avi";
        QTest::newRow("wmv") << "wmv";
    }
    void frameFromThreeSecondsInWithoutSound()
    {
        QFETCH(QString, kind);
        const QString video = kind == QLatin1String("avi") ? m_avi : m_wmv;
        VideoThumbnailGenerator generator;
        QSignalSpy complete(&generator, &VideoThumbnailGenerator::createThumbnailComplete);
        generator.createThumbnails({video});
        QCOMPARE(generator.currentVideo(), video);
        QCOMPARE(m_store->thumbnailingVideo(), video);
        // The files have sound; none of it may reach a sound device.
        const QMediaPlayer *player = generator.findChild<QMediaPlayer *>();
        QVERIFY(player);
        QCOMPARE(player->audioOutput(), nullptr);

        QTRY_COMPARE_WITH_TIMEOUT(complete.size(), 1, 15000);
        QCOMPARE(m_store->thumbnailingVideo(), QString());
        QCOMPARE(generator.currentVideo(), QString());
        const QImage made(thumbnail(video));
        QCOMPARE(made.size(), QSize(60, 45));
        // Red until 2.5 s: a frame shown before the seek took effect was not taken.
        QVERIFY2(isBlue(centreColour(thumbnail(video))), qPrintable(centreColour(thumbnail(video)).name()));
        const qint64 length = MediaFileProbe::probe(video).durationMs;
        QVERIFY(length > 3900);
        QCOMPARE(storedDuration(video), length);
    }

    void soundGoesOutUnlessTurnedOff()
    {
        // The control for the check above: the same service plays the same file with sound by default.
        if (QMediaDevices::defaultAudioOutput().isNull())
            QSKIP("no sound device here (scripts/test.sh starts a sound server)");
        WinMediaService media;
        QVERIFY(media.setMedia(m_avi));
        QVERIFY(media.findChild<QMediaPlayer *>()->audioOutput());
        media.setAudioOutputEnabled(false);
        QVERIFY(media.setMedia(m_avi));
        QCOMPARE(media.findChild<QMediaPlayer *>()->audioOutput(), nullptr);
    }

    void shortVideoIsTakenFromItsFirstFrames()
    {
        // Two seconds long, it cannot be sought to 3 s: red for its first second, then blue.
        VideoThumbnailGenerator generator;
        QSignalSpy complete(&generator, &VideoThumbnailGenerator::createThumbnailComplete);
        generator.createThumbnails({m_short});
        QTRY_COMPARE_WITH_TIMEOUT(complete.size(), 1, 15000);
        QVERIFY2(isRed(centreColour(thumbnail(m_short))), qPrintable(centreColour(thumbnail(m_short)).name()));
    }

    void neverClosedRecordingGetsItsRealLength()
    {
        // Its length is not in the file's headers; it becomes known while the video plays (read from the
        // whole file), and that, not a made-up 1 ms, is what is stored.
        VideoThumbnailGenerator generator;
        QSignalSpy complete(&generator, &VideoThumbnailGenerator::createThumbnailComplete);
        generator.createThumbnails({m_unfinished});
        QTRY_COMPARE_WITH_TIMEOUT(complete.size(), 1, 15000);
        QCOMPARE(QImage(thumbnail(m_unfinished)).size(), QSize(60, 45));
        const qint64 stored = storedDuration(m_unfinished);
        QVERIFY2(qAbs(stored - 3500) <= 100, qPrintable(QString::number(stored)));
    }

    void storedLengthIsKept()
    {
        auto *record = new MediaImpl(m_avi);
        record->setDuration(123456);
        m_store->writeInfo(record);
        record->release();
        VideoThumbnailGenerator generator;
        QSignalSpy complete(&generator, &VideoThumbnailGenerator::createThumbnailComplete);
        generator.createThumbnails({m_avi});
        QTRY_COMPARE_WITH_TIMEOUT(complete.size(), 1, 15000);
        QCOMPARE(storedDuration(m_avi), 123456);
    }

    void videosWithAThumbnailOrGoneAreNotPlayed()
    {
        QImage cached(6, 6, QImage::Format_RGB32);
        cached.fill(Qt::green);
        QVERIFY(cached.save(thumbnail(m_avi)));
        VideoThumbnailGenerator generator;
        QSignalSpy complete(&generator, &VideoThumbnailGenerator::createThumbnailComplete);
        generator.createThumbnails({m_avi, m_dir.filePath(QStringLiteral("Gone.avi")), m_avi});
        QCOMPARE(generator.currentVideo(), QString());
        QVERIFY(generator.queuedVideos().isEmpty());
        QCOMPARE(m_store->thumbnailingVideo(), QString());
        QTest::qWait(200);
        QCOMPARE(complete.size(), 0);
        QCOMPARE(QImage(thumbnail(m_avi)).size(), QSize(6, 6));
    }

    void undecodableAndFramelessVideosAreGotOver()
    {
        // Junk is refused by the service's probe and skipped at once; the garbled video opens but never gives
        // a frame, and ends without a thumbnail; the video after them is still made.
        VideoThumbnailGenerator generator;
        QSignalSpy complete(&generator, &VideoThumbnailGenerator::createThumbnailComplete);
        generator.createThumbnails({m_junk, m_garbled, m_avi});
        QCOMPARE(generator.currentVideo(), m_garbled);
        QTRY_COMPARE_WITH_TIMEOUT(complete.size(), 2, 2 * VideoThumbnailGenerator::kGiveUpMs + 5000);
        QVERIFY(!QFileInfo::exists(thumbnail(m_junk)));
        QVERIFY(!QFileInfo::exists(thumbnail(m_garbled)));
        QVERIFY(QFileInfo::exists(thumbnail(m_avi)));
        QCOMPARE(generator.currentVideo(), QString());
        // Nothing goes on once the work is done.
        QTest::qWait(300);
        QCOMPARE(complete.size(), 2);
    }

    void emptyListLeavesTheWorkAsItIs()
    {
        VideoThumbnailGenerator generator;
        QSignalSpy complete(&generator, &VideoThumbnailGenerator::createThumbnailComplete);
        generator.createThumbnails({m_avi, m_wmv});
        generator.createThumbnails({});
        QCOMPARE(generator.currentVideo(), m_avi);
        QCOMPARE(generator.queuedVideos(), QStringList{m_wmv});
        QTRY_COMPARE_WITH_TIMEOUT(complete.size(), 2, 30000);
        QVERIFY(QFileInfo::exists(thumbnail(m_avi)) && QFileInfo::exists(thumbnail(m_wmv)));
    }

    void newListReplacesTheQueue()
    {
        VideoThumbnailGenerator generator;
        QSignalSpy complete(&generator, &VideoThumbnailGenerator::createThumbnailComplete);
        generator.createThumbnails({m_avi, m_wmv});
        // The video in progress is still wanted: it goes on, and only the rest of the new list follows.
        generator.createThumbnails({m_short, m_avi});
        QCOMPARE(generator.currentVideo(), m_avi);
        QCOMPARE(generator.queuedVideos(), QStringList{m_short});
        // No longer wanted: it is dropped for the new list's first video.
        generator.createThumbnails({m_wmv});
        QCOMPARE(generator.currentVideo(), m_wmv);
        QCOMPARE(m_store->thumbnailingVideo(), m_wmv);
        QTRY_COMPARE_WITH_TIMEOUT(complete.size(), 1, 15000);
        QVERIFY(QFileInfo::exists(thumbnail(m_wmv)));
        QVERIFY(!QFileInfo::exists(thumbnail(m_avi)));
        QVERIFY(!QFileInfo::exists(thumbnail(m_short)));
    }

    void destroyedGeneratorLeavesNothingBusy()
    {
        auto generator = std::make_unique<VideoThumbnailGenerator>();
        generator->createThumbnails({m_unfinished});
        QCOMPARE(m_store->thumbnailingVideo(), m_unfinished);
        generator.reset();
        QCOMPARE(m_store->thumbnailingVideo(), QString());
        // Its length was not found yet; nothing made up is stored in its place.
        QCOMPARE(storedDuration(m_unfinished), 0);
    }
};

QUILLO_TEST_MAIN(TestVideoThumbnailGenerator)
#include "tst_VideoThumbnailGenerator.moc"
