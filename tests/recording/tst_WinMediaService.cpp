#include "FrameGrabCallback.h"
#include "MediaFileProbe.h"
#include "TestEnvironment.h"
#include "TestMedia.h"
#include "WinMediaService.h"

#include <QElapsedTimer>
#include <QMediaPlayer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtConcurrent>

#include <memory>

#include <sys/stat.h>

using MS = WinMediaService;

class TestWinMediaService : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_avi, m_aviSilent, m_wmv, m_unfinished;

    QString fixture(const QString &name) const
    {
        if (name == QLatin1String("avi"))
            return m_avi;
        if (name == QLatin1String("wmv"))
            return m_wmv;
        return m_aviSilent;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_avi = TestMedia::writeAvi(m_dir.path(), QStringLiteral("clip.avi"), 2, QSize(320, 240), true);
        m_aviSilent = TestMedia::writeAvi(m_dir.path(), QStringLiteral("silent.AVI"), 2, QSize(160, 120), false);
        m_wmv = TestMedia::writeWmv(m_dir.path(), QStringLiteral("clip.wmv"), 2, QSize(320, 240), true);
        m_unfinished = TestMedia::writeUnfinishedAvi(m_dir.path(), QStringLiteral("unfinished.avi"), 3,
                                                     QSize(320, 240));
        QVERIFY(!m_avi.isEmpty() && !m_aviSilent.isEmpty() && !m_wmv.isEmpty() && !m_unfinished.isEmpty());
    }

    // Before any player of this process: the first loading is the one that takes the time.
    void frameworkIsLoadedOffTheGuiThreadOnce()
    {
        auto gone = std::make_unique<QObject>();
        bool goneCalled = false;
        MS::whenFrameworkLoaded(gone.get(), [&goneCalled] { goneCalled = true; });
        gone.reset();
        QObject context;
        QThread *calledOn = nullptr;
        MS::whenFrameworkLoaded(&context, [&calledOn] { calledOn = QThread::currentThread(); });
        QVERIFY(!calledOn);
        QTRY_VERIFY_WITH_TIMEOUT(calledOn, 30000);
        QCOMPARE(calledOn, QThread::currentThread());
        bool again = false;
        MS::whenFrameworkLoaded(&context, [&again] { again = true; });
        QVERIFY(again);
        QCoreApplication::processEvents();
        QVERIFY(!goneCalled);
    }

    void playerStatusMapping_data()
    {
        QTest::addColumn<QMediaPlayer::MediaStatus>("player");
        QTest::addColumn<int>("expected");
        QTest::newRow("no media") << QMediaPlayer::NoMedia << 1;
        QTest::newRow("loading") << QMediaPlayer::LoadingMedia << 2;
        QTest::newRow("loaded") << QMediaPlayer::LoadedMedia << 3;
        QTest::newRow("stalled") << QMediaPlayer::StalledMedia << 5;
        QTest::newRow("buffering") << QMediaPlayer::BufferingMedia << 5;
        QTest::newRow("buffered") << QMediaPlayer::BufferedMedia << 5;
        QTest::newRow("end") << QMediaPlayer::EndOfMedia << 7;
        QTest::newRow("invalid") << QMediaPlayer::InvalidMedia << 8;
    }
    void playerStatusMapping()
    {
        QFETCH(QMediaPlayer::MediaStatus, player);
        QFETCH(int, expected);
        QCOMPARE(int(MS::statusFromPlayer(player)), expected);
    }

    void playerStateMapping_data()
    {
        QTest::addColumn<QMediaPlayer::PlaybackState>("player");
        QTest::addColumn<int>("expected");
        QTest::newRow("stopped") << QMediaPlayer::StoppedState << 0;
        QTest::newRow("paused") << QMediaPlayer::PausedState << 1;
        QTest::newRow("playing") << QMediaPlayer::PlayingState << 2;
    }
    void playerStateMapping()
    {
        QFETCH(QMediaPlayer::PlaybackState, player);
        QFETCH(int, expected);
        QCOMPARE(int(MS::stateFromPlayer(player)), expected);
    }

    void volumeGain_data()
    {
        QTest::addColumn<long>("volume");
        QTest::addColumn<float>("gain");
        QTest::newRow("full") << 0L << 1.0f;
        QTest::newRow("-20 dB") << -2000L << 0.1f;
        QTest::newRow("-40 dB") << -4000L << 0.01f;
        QTest::newRow("silent") << -10000L << 0.0f;
        QTest::newRow("below silent") << -20000L << 0.0f;
        QTest::newRow("above full") << 500L << 1.0f;
    }
    void volumeGain()
    {
        QFETCH(long, volume);
        QFETCH(float, gain);
        QCOMPARE(MS::gainFromVolume(volume), gain);
    }

    void mediaTypeBySuffix_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("type");
        QTest::newRow("avi") << "a.avi" << 1;
        QTest::newRow("AVI") << "a.AVI" << 1;
        QTest::newRow("Avi") << "a.Avi" << 1;
        QTest::newRow("wmv") << "a.wmv" << 2;
        QTest::newRow("WMV") << "b.WMV" << 2;
        QTest::newRow("mpg") << "a.mpg" << 0;
        QTest::newRow("avi inside") << "a.avi.txt" << 0;
    }
    void mediaTypeBySuffix()
    {
        QFETCH(QString, name);
        QFETCH(int, type);
        QCOMPARE(MS::mediaTypeOf(name), type);
    }

    // The thumbnail maker reads the status right after setMedia: it must be final at once.
    void openGivesStatusAndSizeSynchronously_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("type");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("audio");
        QTest::newRow("avi") << "avi" << 1 << QSize(320, 240) << true;
        QTest::newRow("avi without sound") << "silent" << 1 << QSize(160, 120) << false;
        QTest::newRow("wmv") << "wmv" << 2 << QSize(320, 240) << true;
    }
    void openGivesStatusAndSizeSynchronously()
    {
        QFETCH(QString, file);
        QFETCH(int, type);
        QFETCH(QSize, size);
        QFETCH(bool, audio);
        MS media;
        QSignalSpy statuses(&media, &MS::mediaStatusChanged);
        QSignalSpy positions(&media, &MS::positionChanged);
        QVERIFY(media.setMedia(fixture(file)));
        QCOMPARE(media.mediaStatus(), MS::STATUS_LOADED);
        QCOMPARE(media.mediaState(), MS::STATE_STOPPED);
        QCOMPARE(media.mediaType(), type);
        QCOMPARE(QSize(media.videoWidth(), media.videoHeight()), size);
        QVERIFY(qAbs(media.duration() - 2000) <= 100);
        QVERIFY(media.isSeekable());
        QCOMPARE(media.position(), 0);
        QCOMPARE(positions.takeLast().at(0).toLongLong(), 0);
        // Closing the (absent) previous media reports "no media" first.
        QCOMPARE(statuses.last().at(0).value<MS::MEDIA_STATUS>(), MS::STATUS_LOADED);
        QCOMPARE(statuses.at(statuses.size() - 2).at(0).value<MS::MEDIA_STATUS>(), MS::STATUS_LOADING);
        QCOMPARE(media.setVolume(-2500), audio);
        QCOMPARE(media.getVolume(), audio ? -2500L : 0L);
        QVERIFY(!media.setPosition(media.duration() + 1));
        QVERIFY(media.setPosition(media.duration()));
        QVERIFY(!media.setPosition(-1));
    }

    void refusedFilesLeaveCurrentMedia_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing") << QStringLiteral("/nonexistent/clip.avi");
        QTest::newRow("wrong suffix") << QStringLiteral("clip.mpg");
        QTest::newRow("folder") << QStringLiteral("folder.avi");
    }
    void refusedFilesLeaveCurrentMedia()
    {
        QFETCH(QString, path);
        QDir(m_dir.path()).mkdir(QStringLiteral("folder.avi"));
        if (!path.startsWith(QLatin1Char('/')))
            path = m_dir.filePath(path);
        if (path.endsWith(QLatin1String(".mpg")))
            QVERIFY(QFile::copy(m_avi, path) || QFile::exists(path));
        MS media;
        QVERIFY(media.setMedia(m_avi));
        QSignalSpy changes(&media, &MS::mediaChanged);
        QVERIFY(!media.setMedia(path));
        QCOMPARE(changes.size(), 0);
        QCOMPARE(media.mediaPath(), m_avi);
        QCOMPARE(media.mediaStatus(), MS::STATUS_LOADED);
    }

    // A file named like a video that is a playlist must not make the probe open what it lists: a listed
    // clip would be played in its place, and a listed named pipe would block the window for good.
    void playlistsOpenNothingTheyList()
    {
        const QString clip = m_dir.filePath(QStringLiteral("listed.avi"));
        QVERIFY(QFile::copy(m_avi, clip));
        const QString pipe = m_dir.filePath(QStringLiteral("pipe.avi"));
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        const auto playlist = [this](const QString &name, const QString &entry) {
            const QString path = m_dir.filePath(name);
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly))
                return QString();
            file.write("#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:2.0,\n" + QFile::encodeName(entry)
                       + "\n#EXT-X-ENDLIST\n");
            return path;
        };
        const QString listingClip = playlist(QStringLiteral("list.avi"), clip);
        const QString listingPipe = playlist(QStringLiteral("piped.avi"), pipe);

        MS media;
        QVERIFY(!media.setMedia(listingClip));
        QCOMPARE(media.mediaStatus(), MS::STATUS_INVALID);
        QCOMPARE(MediaFileProbe::scanDuration(listingClip), qint64(-1));
        QVERIFY(!MediaFileProbe::probe(pipe).playable);

        // Probed off the test's thread, so that a probe stuck in the pipe fails the test instead of hanging it.
        QFuture<bool> probe = QtConcurrent::run([listingPipe] { return MediaFileProbe::probe(listingPipe).playable; });
        const bool finished = QTest::qWaitFor([&] { return probe.isFinished(); }, 5000);
        if (!finished) {
            QFile writer(pipe);
            if (writer.open(QIODevice::WriteOnly))
                writer.close();
            probe.waitForFinished();
        }
        QVERIFY2(finished, "the probe blocked on a named pipe listed in the file");
        QVERIFY(!probe.result());
    }

    void invalidFileIsStatusEight()
    {
        const QString path = m_dir.filePath(QStringLiteral("garbage.avi"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
        file.close();
        MS media;
        QSignalSpy statuses(&media, &MS::mediaStatusChanged);
        QVERIFY(!media.setMedia(path));
        QCOMPARE(media.mediaStatus(), MS::STATUS_INVALID);
        QCOMPARE(statuses.last().at(0).value<MS::MEDIA_STATUS>(), MS::STATUS_INVALID);
        QVERIFY(!media.play());
        QVERIFY(!media.setVolume(0));
    }

    void playPauseSeekStopAndEnd_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("avi") << "avi";
        QTest::newRow("wmv") << "wmv";
    }
    void playPauseSeekStopAndEnd()
    {
        QFETCH(QString, file);
        MS media;
        FrameGrabCallback frames;
        frames.setFpsHint(0);
        QElapsedTimer sinceOpen;
        sinceOpen.start();
        QVERIFY(media.setMedia(fixture(file)));
        QVERIFY(media.setGrabberCallback(&frames));
        QSignalSpy statuses(&media, &MS::mediaStatusChanged);
        QSignalSpy states(&media, &MS::mediaStateChanged);
        QSignalSpy positions(&media, &MS::positionChanged);

        QVERIFY(media.play());
        QCOMPARE(statuses.takeFirst().at(0).value<MS::MEDIA_STATUS>(), MS::STATUS_BUFFERING);
        QCOMPARE(states.takeFirst().at(0).value<MS::MEDIA_STATE>(), MS::STATE_PLAYING);
        QTRY_VERIFY_WITH_TIMEOUT(frames.hasFrame(), 5000);
        qInfo("open to first frame: %lld ms", sinceOpen.elapsed());
        QCOMPARE(frames.frame().size(), QSize(320, 240));

        // Seeks are honoured once the player can seek, also when asked for earlier.
        QVERIFY(media.setPosition(1000));
        QTRY_VERIFY_WITH_TIMEOUT(media.position() >= 1000 && media.position() <= 1400, 3000);

        QVERIFY(media.pause());
        QCOMPARE(media.mediaState(), MS::STATE_PAUSED);
        const qint64 pausedAt = media.position();
        positions.clear();
        QTest::qWait(300);
        QVERIFY2(qAbs(media.position() - pausedAt) <= 100,
                 qPrintable(QStringLiteral("%1 -> %2").arg(pausedAt).arg(media.position())));
        QCOMPARE(positions.size(), 0); // positions are reported only while playing

        QVERIFY(media.play());
        QTRY_VERIFY_WITH_TIMEOUT(positions.size() >= 2, 2000);

        statuses.clear();
        states.clear();
        positions.clear();
        QVERIFY(media.stop());
        QCOMPARE(media.mediaState(), MS::STATE_STOPPED);
        QCOMPARE(media.mediaStatus(), MS::STATUS_END_OF_MEDIA);
        QCOMPARE(media.position(), 0);
        QCOMPARE(statuses.size(), 2);
        QCOMPARE(statuses.at(0).at(0).value<MS::MEDIA_STATUS>(), MS::STATUS_LOADED);
        QCOMPARE(statuses.at(1).at(0).value<MS::MEDIA_STATUS>(), MS::STATUS_END_OF_MEDIA);
        QCOMPARE(positions.last().at(0).toLongLong(), 0);

        // Played again from the start, it runs to the end, where it stops and rewinds by itself.
        statuses.clear();
        QElapsedTimer played;
        played.start();
        QVERIFY(media.play());
        QTRY_VERIFY_WITH_TIMEOUT(media.mediaState() == MS::STATE_STOPPED, 6000);
        QVERIFY2(played.elapsed() >= 1800, qPrintable(QString::number(played.elapsed())));
        QCOMPARE(statuses.last().at(0).value<MS::MEDIA_STATUS>(), MS::STATUS_END_OF_MEDIA);
        QCOMPARE(media.position(), 0);

        QElapsedTimer release;
        release.start();
        media.releaseMedia();
        qInfo("release: %lld ms", release.elapsed());
        QCOMPARE(media.mediaStatus(), MS::STATUS_NO_MEDIA);
        QCOMPARE(media.mediaPath(), QString());
        QVERIFY(!media.isSeekable());
    }

    void stoppedMediaShowsNoFrames()
    {
        MS media;
        FrameGrabCallback frames;
        frames.setFpsHint(0);
        QVERIFY(media.setMedia(m_avi));
        QVERIFY(media.setGrabberCallback(&frames));
        QTest::qWait(400);
        frames.waitForConversions();
        QVERIFY(!frames.hasFrame());
    }

    void unfinishedRecordingHasLengthAndSeeks()
    {
        MS media;
        QSignalSpy durations(&media, &MS::durationChanged);
        QVERIFY(media.setMedia(m_unfinished));
        QCOMPARE(media.mediaStatus(), MS::STATUS_LOADED);
        QTRY_VERIFY_WITH_TIMEOUT(media.duration() > 0, 5000);
        QVERIFY2(qAbs(media.duration() - 3000) <= 100, qPrintable(QString::number(media.duration())));
        QCOMPARE(durations.size(), 1);
        QVERIFY(media.play());
        QVERIFY(media.setPosition(2000));
        QTRY_VERIFY_WITH_TIMEOUT(media.position() >= 2000 && media.position() < 2500, 3000);
    }

    void releaseDuringLengthScan()
    {
        MS media;
        QVERIFY(media.setMedia(m_unfinished));
        media.releaseMedia();
        QVERIFY(media.setMedia(m_avi));
        QTest::qWait(200);
        QVERIFY(qAbs(media.duration() - 2000) <= 100);
    }

    void videoCutAfterItsHeaderFailsInsteadOfPlayingForEver_data()
    {
        // Bytes kept after the "movi" tag that opens the frame list.
        QTest::addColumn<int>("extra");
        QTest::newRow("frame list opened, no whole frame") << 36;
        QTest::newRow("cut inside the first frames") << 3000;
    }
    void videoCutAfterItsHeaderFailsInsteadOfPlayingForEver()
    {
        QFETCH(int, extra);
        QFile whole(m_aviSilent);
        QVERIFY(whole.open(QIODevice::ReadOnly));
        const QByteArray bytes = whole.readAll();
        // The header whole, and not one whole frame.
        const qsizetype frames = bytes.indexOf("movi") + 4;
        QVERIFY(frames > 100);
        const QString path = m_dir.filePath(QStringLiteral("cut.avi"));
        QFile cut(path);
        QVERIFY(cut.open(QIODevice::WriteOnly));
        QCOMPARE(cut.write(bytes.left(frames + extra)), frames + extra);
        cut.close();

        MS media;
        FrameGrabCallback shown;
        shown.setFpsHint(0);
        if (!media.setMedia(path))
            QSKIP("this build refuses the cut file up front; nothing can hang");
        QVERIFY(media.setGrabberCallback(&shown));
        media.setStallTimeout(1000);
        QSignalSpy statuses(&media, &MS::mediaStatusChanged);
        QElapsedTimer sincePlay;
        sincePlay.start();
        QVERIFY(media.play());

        // A pause in between does not count towards the wait.
        QTest::qWait(400);
        QVERIFY(media.pause());
        QTest::qWait(1000);
        QCOMPARE(media.mediaStatus(), MS::STATUS_BUFFERING);
        QVERIFY(media.play());

        QTRY_COMPARE_WITH_TIMEOUT(media.mediaStatus(), MS::STATUS_INVALID, 5000);
        // 1 s of playing after the 1 s pause; with the pause counted it would fail about 0.5 s sooner.
        QVERIFY2(sincePlay.elapsed() >= 1900, qPrintable(QString::number(sincePlay.elapsed())));
        QCOMPARE(media.mediaState(), MS::STATE_STOPPED);
        QCOMPARE(statuses.last().at(0).value<MS::MEDIA_STATUS>(), MS::STATUS_INVALID);
        QVERIFY(!shown.hasFrame());
        // Kept, failed, until other media are set.
        QCOMPARE(media.mediaPath(), path);
        QVERIFY(!media.play());
    }

    void videoThatStopsMovingAfterAPictureEnds()
    {
        // The pipeline underneath stops moving once a picture is on the screen, as a file whose decoding
        // hangs does, without an end or an error ever coming: the player beneath is paused behind the
        // service's back.
        MS media;
        FrameGrabCallback shown;
        shown.setFpsHint(0);
        QVERIFY(media.setMedia(m_aviSilent));
        QVERIFY(media.setGrabberCallback(&shown));
        media.setStallTimeout(1000);
        auto *player = media.findChild<QMediaPlayer *>();
        QVERIFY(player);
        QSignalSpy statuses(&media, &MS::mediaStatusChanged);
        QVERIFY(media.play());
        QTRY_VERIFY_WITH_TIMEOUT(shown.hasFrame(), 5000);
        player->pause();
        QCOMPARE(media.mediaState(), MS::STATE_PLAYING);

        // Taken as the end of the file, not as a failure: the picture shown stays valid.
        QTRY_COMPARE_WITH_TIMEOUT(media.mediaStatus(), MS::STATUS_END_OF_MEDIA, 5000);
        QCOMPARE(media.mediaState(), MS::STATE_STOPPED);
        QVERIFY(!statuses.contains(QList<QVariant>{QVariant::fromValue(MS::STATUS_INVALID)}));
        QCOMPARE(media.mediaPath(), m_aviSilent);
        QVERIFY(media.play());
    }

    void soundIsOptional()
    {
        // With a sound server the sound goes to it; without one the same calls must still play silently.
        qInfo("PulseAudio for this run: %s", qEnvironmentVariableIsSet("QUILLO_TEST_PULSE") ? "yes" : "no");
        MS media;
        QVERIFY(media.setMedia(m_avi));
        QVERIFY(media.setVolume(-10000));
        QVERIFY(media.play());
        QTRY_VERIFY_WITH_TIMEOUT(media.position() >= 500, 3000);
        QCOMPARE(media.mediaStatus(), MS::STATUS_BUFFERING);
    }
};

QUILLO_TEST_MAIN(TestWinMediaService)
#include "tst_WinMediaService.moc"
