#include "MessageBoxScript.h"
#include "TestEnvironment.h"
#include "TestMedia.h"
#include "VideoImpl.h"
#include "VideoWidget.h"

#include <QBuffer>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>

class TestVideoImpl : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_avi, m_unfinished;
    QWidget m_parent;

private Q_SLOTS:
    void initTestCase()
    {
        m_avi = TestMedia::writeAvi(m_dir.path(), QStringLiteral("clip.avi"), 2, QSize(320, 240), true);
        m_unfinished = TestMedia::writeUnfinishedAvi(m_dir.path(), QStringLiteral("open.avi"), 3, QSize(160, 120));
        QVERIFY(!m_avi.isEmpty() && !m_unfinished.isEmpty());
    }

    void emptyOrMissingPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("masks");
        QTest::newRow("empty") << QString() << 1;
        QTest::newRow("missing") << QStringLiteral("/nonexistent/clip.avi") << 0;
    }
    void emptyOrMissingPath()
    {
        QFETCH(QString, path);
        QFETCH(int, masks);
        MessageBoxScript boxes;
        std::unique_ptr<VideoImpl> video(VideoImpl::create(&m_parent));
        QSignalSpy status(video.get(), &VideoIntf::actionStatusChanged);
        QCOMPARE(video->attachVideo(path), -1000);
        QCOMPARE(status.size(), masks);
        if (masks)
            QCOMPARE(status.last().at(0).toUInt(), 0u);
        QCOMPARE(video->actionStatus(), 0u);
        QCOMPARE(boxes.shown().size(), 0);
    }

    void operationsWithoutFile_data()
    {
        QTest::addColumn<int>("operation");
        QTest::addColumn<int>("code");
        QTest::newRow("start") << 0 << -2000;
        QTest::newRow("pause") << 1 << -2000;
        QTest::newRow("resume") << 2 << -2000;
        QTest::newRow("stop") << 3 << -2000;
        QTest::newRow("moveTo") << 4 << -2000;
        QTest::newRow("length") << 5 << -2000;
    }
    void operationsWithoutFile()
    {
        QFETCH(int, operation);
        QFETCH(int, code);
        VideoImpl video(&m_parent);
        const std::function<int()> calls[] = {
            [&] { return video.start(); },   [&] { return video.pause(); },
            [&] { return video.resume(); },  [&] { return video.stop(); },
            [&] { return video.moveTo(0); }, [&] { return video.getTotalVideoLengthInSeconds(); },
        };
        QCOMPARE(calls[operation](), code);
    }

    // The widget has a Qt parent and is also deleted by the service: whichever goes first, the other does not
    // delete it again, and no frame reaches a widget that is gone.
    void theWidgetMayGoWithItsParentFirst()
    {
        auto *parent = new QWidget;
        std::unique_ptr<VideoImpl> video(VideoImpl::create(parent));
        QCOMPARE(video->attachVideo(m_avi), 0);
        QCOMPARE(video->start(), 0);
        QTest::qWait(200);
        delete parent;
        QVERIFY(!video->videoWidget());
        // Playback goes on for a while without a widget to show it.
        QTest::qWait(300);
        video->showVideo();
        video->resizeVideo(QSize(100, 100));
        QCOMPARE(video->videoSize(QSize(50, 50)), QSize(50, 50));
        QCOMPARE(video->attachVideo(m_avi), 0);
        video.reset();

        // The service going first takes its widget away from the parent.
        QWidget keeper;
        video.reset(VideoImpl::create(&keeper));
        QCOMPARE(video->attachVideo(m_avi), 0);
        const QPointer<QWidget> widget(video->videoWidget());
        video.reset();
        QVERIFY(!widget);
    }

    void unplayableFileWarnsOnce_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        // What a start answers afterwards: refused, or nothing to play for a file of no video kind.
        QTest::addColumn<int>("startAnswer");
        QTest::newRow("noise named .wmv") << "broken.wmv" << QByteArray(2048, '\x11') << -2001;
        QTest::newRow("empty .avi") << "empty.avi" << QByteArray() << -2001;
        QTest::newRow("text named .avi") << "text.avi" << QByteArray("just some words\n") << -2001;
        QByteArray picture;
        QBuffer buffer(&picture);
        buffer.open(QIODevice::WriteOnly);
        QImage(32, 32, QImage::Format_RGB32).save(&buffer, "PNG");
        QTest::newRow("a picture") << "picture.png" << picture << -2000;
    }

    void unplayableFileWarnsOnce()
    {
        // A file the player cannot play is refused after its box, so the caller does not go on to play it.
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(int, startAnswer);
        const QString path = m_dir.filePath(name);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        MessageBoxScript boxes;
        VideoImpl video(&m_parent);
        QSignalSpy status(&video, &VideoIntf::actionStatusChanged);
        QCOMPARE(video.attachVideo(path), -2001);
        QCoreApplication::processEvents();
        QCOMPARE(boxes.shown().size(), 1);
        QCOMPARE(boxes.shown().first().title, QStringLiteral("Can't Play Video!"));
        QCOMPARE(boxes.shown().first().text, QStringLiteral("This video file is invaild"));
        QCOMPARE(boxes.shown().first().icon, QMessageBox::Warning);
        QCOMPARE(status.last().at(0).toUInt(), 0u);
        QCOMPARE(video.start(), startAnswer);
        QCOMPARE(video.actionStatus(), 0u);
    }

    void playbackAndRefusals()
    {
        VideoImpl video(&m_parent);
        QSignalSpy status(&video, &VideoIntf::actionStatusChanged);
        QSignalSpy progress(&video, &VideoIntf::progressUpdated);
        QSignalSpy ended(&video, &VideoIntf::ended);
        QCOMPARE(video.attachVideo(m_avi), 0);
        QCOMPARE(status.last().at(0).toUInt(), 33u);
        QCOMPARE(video.getTotalVideoLengthInSeconds(), 2);
        QCOMPARE(video.videoSize(QSize(1000, 500)), QSize(666, 500));
        QCOMPARE(video.stop(), -2003);
        QCOMPARE(video.pause(), -2003);
        QCOMPARE(video.resume(), -2003);

        QCOMPARE(video.start(), 0);
        QCOMPARE(status.last().at(0).toUInt(), 58u);
        QCOMPARE(video.start(), -2003);
        QTRY_VERIFY_WITH_TIMEOUT(!progress.isEmpty(), 2000);

        // Refusals while playing leave it playing.
        QCOMPARE(video.moveTo(-1), -3000);
        QCOMPARE(video.moveTo(3), -3000);
        QCOMPARE(video.setVolume(101), -4000);
        QCOMPARE(video.actionStatus(), 58u);

        QCOMPARE(video.pause(), 0);
        QCOMPARE(status.last().at(0).toUInt(), 60u);
        QCOMPARE(video.pause(), -2003);
        QCOMPARE(video.start(), -2003);
        QCOMPARE(video.moveTo(1), 0);
        QCOMPARE(video.resume(), 0);
        QCOMPARE(status.last().at(0).toUInt(), 58u);
        QTRY_VERIFY_WITH_TIMEOUT(video.mediaService()->position() >= 1000, 2000);

        status.clear();
        progress.clear();
        QList<QString> order;
        connect(&video, &VideoIntf::actionStatusChanged, this,
                [&order](uint mask) { order << QStringLiteral("status %1").arg(mask); });
        connect(&video, &VideoIntf::progressUpdated, this,
                [&order](uint s) { order << QStringLiteral("progress %1").arg(s); });
        connect(&video, &VideoIntf::ended, this, [&order] { order << QStringLiteral("ended"); });
        QCOMPARE(video.stop(), 0);
        QCOMPARE(order, (QList<QString>{"status 33", "status 33", "progress 0", "ended", "progress 0"}));
        QCOMPARE(ended.size(), 1);
        QCOMPARE(video.stop(), -2003);

        // Played to its end, the video stops, rewinds and reports the end by itself. Playing takes the video's
        // two seconds at the least, and several times that in a sanitized build on a loaded machine.
        QCOMPARE(video.start(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 2, 15000);
        QCOMPARE(video.actionStatus(), 33u);
    }

    void volumeInPercent_data()
    {
        QTest::addColumn<uint>("percent");
        QTest::addColumn<long>("serviceVolume");
        QTest::newRow("silent") << 0u << -10000L;
        QTest::newRow("full") << 100u << 0L;
        QTest::newRow("37") << 37u << -6300L;
    }
    void volumeInPercent()
    {
        QFETCH(uint, percent);
        QFETCH(long, serviceVolume);
        VideoImpl video(&m_parent);
        QCOMPARE(video.attachVideo(m_avi), 0);
        QCOMPARE(video.setVolume(percent), 0);
        QCOMPARE(video.mediaService()->getVolume(), serviceVolume);
        QCOMPARE(video.getVolume(), int(percent));
    }

    void sizesAndSeconds()
    {
        VideoImpl video(&m_parent);
        QCOMPARE(video.videoSize(QSize(300, 200)), QSize(300, 200));
        QSignalSpy progress(&video, &VideoIntf::progressUpdated);
        video.positionChanged(1999);
        QCOMPARE(progress.last().at(0).toUInt(), 1u);
        const QString longer = TestMedia::writeAvi(m_dir.path(), QStringLiteral("long.avi"), 59.9, QSize(64, 48),
                                                   false);
        QCOMPARE(video.attachVideo(longer), 0);
        QCOMPARE(video.getTotalVideoLengthInSeconds(), 59);
        // Without sound the service has no volume to set; the call still succeeds.
        QCOMPARE(video.setVolume(50), 0);
    }

    void unfinishedRecordingSeeks()
    {
        VideoImpl video(&m_parent);
        QSignalSpy status(&video, &VideoIntf::actionStatusChanged);
        QCOMPARE(video.attachVideo(m_unfinished), 0);
        QTRY_COMPARE_WITH_TIMEOUT(video.getTotalVideoLengthInSeconds(), 3, 5000);
        QCOMPARE(video.start(), 0);
        QCOMPARE(video.moveTo(2), 0);
        QTRY_VERIFY_WITH_TIMEOUT(video.mediaService()->position() >= 2000, 3000);
    }

    void releasedVideoStartsAgain()
    {
        VideoImpl video(&m_parent);
        QCOMPARE(video.attachVideo(m_avi), 0);
        video.releaseVideo();
        QVERIFY(!video.mediaService());
        QCOMPARE(video.stop(), -2000);
        QCOMPARE(video.start(), 0);
        QCOMPARE(video.actionStatus(), 58u);
    }
};

QUILLO_TEST_MAIN(TestVideoImpl)
#include "tst_VideoImpl.moc"
