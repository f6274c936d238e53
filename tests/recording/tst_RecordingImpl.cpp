#include "AVIRecordingThread.h"
#include "AviProbe.h"
#include "AviRepair.h"
#include "MessageBoxScript.h"
#include "PrivateMount.h"
#include "RecordingFakes.h"
#include "RecordingImpl.h"
#include "SettingImpl.h"
#include "TestEnvironment.h"
#include "TestMedia.h"
#include "WinVolumeController.h"

#include <QDir>
#include <QScreen>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtTest>

#include <memory>

// The recording service end to end over the real controller and capture thread, with a fake screen,
// microphone and free-space query.
class TestRecordingImpl : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_folder;
    int m_folders = 0;
    QList<AudioInput> m_inputs;
    std::shared_ptr<FakeMixer::State> m_mixer;
    std::unique_ptr<WinVolumeController> m_volume;
    QSharedPointer<AVIRecordingThread> m_thread;
    std::shared_ptr<FakeGrabber> m_grabber;
    std::shared_ptr<FakeAudioSource> m_microphone;
    FakeAudioSource *m_meterMicrophone = nullptr;
    std::atomic<qint64> m_free{qint64(1) << 40};
    RecordingImpl *m_service = nullptr;

    void makeService(std::shared_ptr<VideoEncoderFactory> factory = nullptr)
    {
        m_thread = QSharedPointer<AVIRecordingThread>::create();
        m_thread->setBackends({nullptr, m_grabber, m_microphone, std::move(factory)});
        m_thread->setFreeSpaceQuery([this](const QString &) { return m_free.load(); });
        auto meterMicrophone = std::make_unique<FakeAudioSource>();
        m_meterMicrophone = meterMicrophone.get();
        auto reporter = std::make_unique<WinAudioLevelReporter>(
            [this] {
                QStringList names;
                for (const AudioInput &input : std::as_const(m_inputs))
                    names.append(input.description);
                return names;
            },
            std::move(meterMicrophone));
        m_service = new RecordingImpl(std::make_unique<WinAVIRecordingCtrl>(m_thread, m_volume.get()),
                                      std::move(reporter));
    }
    static void set(const QString &key, const QVariant &value)
    {
        SettingIntf *settings = SettingImpl::getInstance();
        settings->setValue(key, value);
        settings->release();
    }
    bool waitForFrames(int frames = 3)
    {
        return QTest::qWaitFor([&] { return m_grabber->grabs >= frames; }, 5000);
    }
    QStringList aviFiles() const
    {
        const QStringList names = QDir(m_folder).entryList({"*.avi"}, QDir::Files, QDir::Name);
        QStringList paths;
        for (const QString &name : names)
            paths.append(QDir(m_folder).filePath(name));
        return paths;
    }
    static int videoFrames(const QString &file)
    {
        return AviProbe(file).stream("video").value("nb_read_frames").toString().toInt();
    }

private Q_SLOTS:
    void init()
    {
        m_folder = m_dir.filePath(QString::number(++m_folders));
        QVERIFY(QDir().mkpath(m_folder));
        set("savePath", m_folder + "/");
        set("recording/videoQuality", 7);
        set("recording/mute", false);
        set("recording/audioSource", "USB Microphone");
        m_inputs = {{"nsrc", "Null source"}, {"usb-mic", "USB Microphone"}};
        m_mixer = std::make_shared<FakeMixer::State>();
        m_volume = std::make_unique<WinVolumeController>([this] { return std::make_unique<FakeMixer>(m_mixer); },
                                                         [this] { return m_inputs; });
        m_grabber = std::make_shared<FakeGrabber>(QSize(160, 90));
        m_microphone = std::make_shared<FakeAudioSource>();
        m_free = qint64(1) << 40;
    }
    void cleanup()
    {
        if (m_service)
            m_service->release();
        m_service = nullptr;
        m_thread.reset();
        m_volume.reset();
    }

    void recordingSize_data();
    void recordingSize();
    void muteSettingRecordsNoSound();
    void pauseAndResume();
    void fullDiskEndsWithoutRetry();
    void captureEndingByItselfIsInterrupted_data();
    void captureEndingByItselfIsInterrupted();
    void codecFailureLeavesNoFile();
    void endedCaptureIsRetriedUncompressed_data();
    void endedCaptureIsRetriedUncompressed();
    void retryThatCannotStartEndsTheRecording();
    void writeErrorOnAFullDisk();
    void levelMonitor();
    void noMicrophone();
    void sourcePoll();
    void startUpRepairsOnlyOldOwnRecordings();
    void quittingCancelsTheStartUpRepair();
};

void TestRecordingImpl::recordingSize_data()
{
    QTest::addColumn<int>("quality");
    QTest::addColumn<QSize>("size");
    // The height follows the desktop's aspect; the fake screen the writer grabs is 160 × 90.
    const QSize desktop = QGuiApplication::primaryScreen()->geometry().size();
    QTest::newRow("0") << 0 << QSize(640, WinAVIRecordingCtrl::heightForWidth(desktop, 640, true));
    QTest::newRow("1") << 1 << QSize(800, WinAVIRecordingCtrl::heightForWidth(desktop, 800, true));
    QTest::newRow("2") << 2 << QSize(1024, WinAVIRecordingCtrl::heightForWidth(desktop, 1024, true));
    QTest::newRow("7: the screen's own size") << 7 << QSize(160, 90);
}

void TestRecordingImpl::recordingSize()
{
    QFETCH(int, quality);
    QFETCH(QSize, size);
    set("recording/videoQuality", quality);
    makeService();
    QCOMPARE(m_service->startRecording(), 0);
    QVERIFY(waitForFrames());
    QList<QString> files;
    QCOMPARE(m_service->stopRecording(&files), 0);
    QCOMPARE(files.size(), 1);
    const QJsonObject video = AviProbe(files.first()).stream("video");
    QCOMPARE(QSize(video.value("width").toInt(), video.value("height").toInt()), size);
    QVERIFY(QFileInfo(files.first()).fileName().startsWith("Quillo-"));
}

void TestRecordingImpl::muteSettingRecordsNoSound()
{
    set("recording/mute", true);
    makeService();
    QCOMPARE(m_service->startRecording(), 0);
    QVERIFY(waitForFrames());
    // The meter still listens to the configured microphone.
    QCOMPARE(m_meterMicrophone->startedDevice, 1);
    QCOMPARE(m_microphone->startedDevice, -100);
    QList<QString> files;
    QCOMPARE(m_service->stopRecording(&files), 0);
    const AviProbe probe(files.first());
    QVERIFY(probe.readable());
    QVERIFY(probe.stream("audio").isEmpty());

    // Without the setting the recording has the microphone's sound.
    set("recording/mute", false);
    QCOMPARE(m_service->startRecording(), 0);
    QVERIFY(waitForFrames(m_grabber->grabs + 3));
    QTRY_COMPARE(m_microphone->startedDevice, 1);
    QCOMPARE(m_service->stopRecording(&files), 0);
    QVERIFY(!AviProbe(files.first()).stream("audio").isEmpty());
}

void TestRecordingImpl::pauseAndResume()
{
    makeService();
    QCOMPARE(m_service->startRecording(), 0);
    QVERIFY(waitForFrames());
    QCOMPARE(m_service->pauseRecording(), 0);
    QCOMPARE(m_service->actionStatus(), 10u);
    // The writer itself pauses: no picture is taken while paused (one grab may have been under way).
    const int atPause = m_grabber->grabs;
    QTest::qWait(300);
    QVERIFY2(m_grabber->grabs <= atPause + 1, qPrintable(QString::number(m_grabber->grabs - atPause)));
    QCOMPARE(m_service->resumeRecording(), 0);
    QCOMPARE(m_service->actionStatus(), 6u);
    QVERIFY(waitForFrames(m_grabber->grabs + 3));
    m_service->setMute(true);
    QVERIFY(m_service->getMute());
    QList<QString> files;
    QCOMPARE(m_service->stopRecording(&files), 0);
}

void TestRecordingImpl::fullDiskEndsWithoutRetry()
{
    MessageBoxScript boxes;
    makeService();
    QSignalSpy stopped(m_service, &RecordingIntf::recordStopped);
    QCOMPARE(m_service->startRecording(), 0);
    QVERIFY(waitForFrames());
    m_free = 1000;
    QTRY_COMPARE(stopped.size(), 1);
    QCOMPARE(stopped.first().at(0).toInt(), -4000);
    QCOMPARE(boxes.lastText(), QStringLiteral("Not enough disk space!"));
    QCOMPARE(stopped.first().at(1).value<QList<QString>>(), QList<QString>(aviFiles()));
    QCOMPARE(aviFiles().size(), 1);
    QVERIFY(videoFrames(aviFiles().first()) > 0);
    QCOMPARE(m_service->actionStatus(), 1u);
}

void TestRecordingImpl::captureEndingByItselfIsInterrupted_data()
{
    QTest::addColumn<QString>("cause");
    QTest::addColumn<bool>("stopUnderWay");
    QTest::newRow("screen unplugged") << "screen" << false;
    QTest::newRow("encoder fails") << "encoder" << false;
    QTest::newRow("screen unplugged while a stop is under way") << "screen" << true;
}

// A capture that ends for another reason than a full disk (the recorded screen unplugged, a failing writer)
// ends the recording with the files written so far and the cause, without the uncompressed retry.
void TestRecordingImpl::captureEndingByItselfIsInterrupted()
{
    QFETCH(QString, cause);
    QFETCH(bool, stopUnderWay);
    MessageBoxScript boxes;
    if (cause == QLatin1String("screen")) {
        m_grabber->loseAfter = 6;
        makeService();
    } else {
        makeService(std::make_shared<FailingEncoderFactory>(6));
    }
    QSignalSpy stopped(m_service, &RecordingIntf::recordStopped);
    QCOMPARE(m_service->startRecording(), 0);
    if (stopUnderWay) {
        // The window stops the recording (the desktop changed) before the service noticed the end itself.
        while (m_thread->isRecording())
            QThread::msleep(5);
        QList<QString> files;
        QCOMPARE(m_service->stopRecording(&files), 0);
        QCOMPARE(files, QList<QString>(aviFiles()));
        QTest::qWait(200);
        QCOMPARE(stopped.size(), 0);
        QCOMPARE(boxes.shown().size(), 0);
        QCOMPARE(m_service->actionStatus(), 1u);
        return;
    }
    QTRY_COMPARE(stopped.size(), 1);
    QCOMPARE(stopped.first().at(0).toInt(), -4000);
    QCOMPARE(stopped.first().at(1).value<QList<QString>>(), QList<QString>(aviFiles()));
    QCOMPARE(aviFiles().size(), 1);
    QVERIFY(videoFrames(aviFiles().first()) > 0);
    QCOMPARE(boxes.lastText(), QStringLiteral("Recording interrupted."));
    const QString informative = boxes.shown().last().informativeText;
    if (cause == QLatin1String("screen"))
        QCOMPARE(informative, QStringLiteral("The recorded screen was disconnected."));
    else
        QVERIFY(!informative.isEmpty() && informative != QStringLiteral("Not enough disk space!"));
    QCOMPARE(m_service->actionStatus(), 1u);
    // Nothing is refused afterwards: the next recording takes the screen of its own start.
    m_grabber->loseAfter = -1;
    if (cause == QLatin1String("screen")) {
        QCOMPARE(m_service->startRecording(), 0);
        QVERIFY(waitForFrames(m_grabber->grabs + 3));
        QList<QString> files;
        QCOMPARE(m_service->stopRecording(&files), 0);
    }
}

void TestRecordingImpl::codecFailureLeavesNoFile()
{
    MessageBoxScript boxes;
    makeService(std::make_shared<LimitedEncoderFactory>(QByteArrayList{"XVID", "DIB "}));
    QSignalSpy stopped(m_service, &RecordingIntf::recordStopped);
    QCOMPARE(m_service->startRecording(), 0);
    QTRY_COMPARE(stopped.size(), 1);
    QCOMPARE(stopped.first().at(0).toInt(), -5000);
    QVERIFY(stopped.first().at(1).value<QList<QString>>().isEmpty());
    QCOMPARE(boxes.lastText(), QStringLiteral("Recording interrupted."));
    QCOMPARE(boxes.shown().last().informativeText,
             QStringLiteral("Use XVID codec failed. Please contact customer service"));
    QVERIFY(aviFiles().isEmpty());
    QCOMPARE(m_service->actionStatus(), 1u);
}

void TestRecordingImpl::endedCaptureIsRetriedUncompressed_data()
{
    QTest::addColumn<bool>("diskFills");
    QTest::newRow("stopped by the user") << false;
    QTest::newRow("disk fills during the retry") << true;
}

void TestRecordingImpl::endedCaptureIsRetriedUncompressed()
{
    QFETCH(bool, diskFills);
    MessageBoxScript boxes;
    // The first attempt cannot grab its first frame (every try of it fails); afterwards the screen works.
    std::atomic<int> calls{0};
    m_grabber->fail = true;
    m_grabber->onGrab = [&] {
        // A grab takes time, as a real one does.
        QThread::msleep(10);
        if (++calls > 11)
            m_grabber->fail = false;
    };
    makeService();
    QSignalSpy stopped(m_service, &RecordingIntf::recordStopped);
    QSignalSpy status(m_service, &RecordingIntf::actionStatusChanged);
    QCOMPARE(m_service->startRecording(), 0);
    QTRY_COMPARE(aviFiles().size(), 2);
    QVERIFY(waitForFrames(3));
    QCOMPARE(m_service->actionStatus(), 6u);
    QList<QString> files;
    if (diskFills) {
        m_free = 1000;
        QTRY_COMPARE(stopped.size(), 1);
        QCOMPARE(stopped.first().at(0).toInt(), -4000);
        files = stopped.first().at(1).value<QList<QString>>();
    } else {
        QCOMPARE(m_service->stopRecording(&files), 0);
        QVERIFY(stopped.isEmpty());
    }
    // Both attempts belong to the recording, the first one first.
    QCOMPARE(files, QList<QString>(aviFiles()));
    const AviProbe retry(files.last());
    QCOMPARE(retry.stream("video").value("codec_name").toString(), QStringLiteral("rawvideo"));
    QVERIFY(videoFrames(files.last()) > 0);
    QCOMPARE(m_service->actionStatus(), 1u);
    QCOMPARE(status.last().at(0).toUInt(), 1u);
}

void TestRecordingImpl::retryThatCannotStartEndsTheRecording()
{
    MessageBoxScript boxes;
    m_grabber->fail = true;
    m_grabber->onGrab = [] { QThread::msleep(10); };
    makeService();
    QSignalSpy stopped(m_service, &RecordingIntf::recordStopped);
    QCOMPARE(m_service->startRecording(), 0);
    QTRY_COMPARE(stopped.size(), 1);
    QCOMPARE(m_service->actionStatus(), 1u);
    const QList<QString> files = stopped.first().at(1).value<QList<QString>>();
    QCOMPARE(stopped.first().at(0).toInt(), -4000);
    QVERIFY(!files.isEmpty());
    QCOMPARE(files.first(), aviFiles().first());
    // Idle again for good: a new recording can start.
    m_grabber->fail = false;
    QCOMPARE(m_service->startRecording(), 0);
    QList<QString> next;
    QCOMPARE(m_service->stopRecording(&next), 0);
}

void TestRecordingImpl::writeErrorOnAFullDisk()
{
    QTemporaryDir small;
    const PrivateMount disk = PrivateMount::smallDisk(small.path(), 6 * 1024 * 1024);
    if (!disk.isMounted())
        return;
    m_folder = small.path();
    set("savePath", m_folder + "/");
    // Uncompressed 640 × 480 frames fill the disk within a few frames; the floors are passed (the query says
    // there is room), so the writes themselves fail.
    set("recording/videoQuality", 0);
    MessageBoxScript boxes;
    makeService(std::make_shared<LimitedEncoderFactory>(QByteArrayList{"XVID"}));
    QSignalSpy stopped(m_service, &RecordingIntf::recordStopped);
    QCOMPARE(m_service->startRecording(), 0);
    QTRY_COMPARE(stopped.size(), 1);
    const QList<QString> files = stopped.first().at(1).value<QList<QString>>();
    QCOMPARE(stopped.first().at(0).toInt(), -4000);
    // No uncompressed retry was poured onto the failing disk.
    QCOMPARE(QList<QString>(aviFiles()), files);
    QCOMPARE(files.size(), 1);
    QVERIFY(videoFrames(files.first()) > 0);
    QCOMPARE(m_service->actionStatus(), 1u);
    m_service->release();
    m_service = nullptr;
}

void TestRecordingImpl::levelMonitor()
{
    makeService();
    QSignalSpy levels(m_service, &RecordingIntf::audioLevelReported);
    QCOMPARE(m_service->startAudioMonitor(), 0);
    QCOMPARE(m_meterMicrophone->startedDevice, 1);
    QVERIFY(m_meterMicrophone->push(10000, 640));
    QTRY_VERIFY(!levels.isEmpty() && levels.last().at(0).toUInt() == 66u);
    m_service->stopAudioMonitor();
    QVERIFY(!m_meterMicrophone->push(10000, 640));
    levels.clear();
    QTest::qWait(100);
    QVERIFY(levels.isEmpty());
}

void TestRecordingImpl::noMicrophone()
{
    m_inputs.clear();
    makeService();
    QSignalSpy levels(m_service, &RecordingIntf::audioLevelReported);
    QCOMPARE(m_service->startAudioMonitor(), -2001);
    // The recording goes on without sound.
    QCOMPARE(m_service->startRecording(), 0);
    QVERIFY(waitForFrames());
    QList<QString> files;
    QCOMPARE(m_service->stopRecording(&files), 0);
    QVERIFY(AviProbe(files.first()).stream("audio").isEmpty());
    QTest::qWait(100);
    QVERIFY(levels.isEmpty());
}

void TestRecordingImpl::sourcePoll()
{
    makeService();
    QSignalSpy sources(m_service, &RecordingIntf::audioSourcesChanged);
    QTRY_COMPARE_WITH_TIMEOUT(sources.size(), 1, 2000);
    QCOMPARE(sources.first().at(0).value<QList<QString>>(), (QList<QString>{"Null source", "USB Microphone"}));
    m_inputs.append(AudioInput{"cam", "Camera Microphone"});
    QTRY_COMPARE_WITH_TIMEOUT(sources.size(), 2, 1000);
    QCOMPARE(sources.last().at(0).value<QList<QString>>().last(), QStringLiteral("Camera Microphone"));
    QCOMPARE(m_service->audioSources().size(), 3);
    QCOMPARE(m_service->getOldAudioSources().size(), 3);
}

void TestRecordingImpl::startUpRepairsOnlyOldOwnRecordings()
{
    const QString own = TestMedia::writeUnfinishedAvi(m_folder, "Quillo-2012-09-28_14-05-09.avi", 1.0);
    QVERIFY(!own.isEmpty());
    const QString continuation = m_folder + "/Quillo-2012-09-28_14-05-09_2.avi";
    const QString foreign = m_folder + "/holiday.avi";
    const QString fresh = m_folder + "/Quillo-2030-01-01_00-00-00.avi";
    for (const QString &copy : {continuation, foreign, fresh})
        QVERIFY(QFile::copy(own, copy));
    // A file written after the service started may be a recording running now.
    QFile future(fresh);
    QVERIFY(future.open(QIODevice::ReadWrite));
    QVERIFY(future.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    future.close();
    // A file named like a recording that is not an AVI at all is someone else's: it is never rewritten.
    const QString playlist = m_folder + "/Quillo-2012-09-28_15-00-00.avi";
    const QByteArray playlistText = "#EXTM3U\n/etc/hostname\n";
    {
        QFile file(playlist);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(playlistText);
    }
    QVERIFY(!AviRepair::isUnfinished(playlist));
    makeService();
    QVERIFY(m_service->startUpRepair().isValid());
    QTRY_VERIFY_WITH_TIMEOUT(!AviRepair::isUnfinished(own) && !AviRepair::isUnfinished(continuation), 10000);
    QVERIFY(AviRepair::isUnfinished(foreign));
    QVERIFY(AviRepair::isUnfinished(fresh));
    m_service->startUpRepair().waitForFinished();
    QFile file(playlist);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), playlistText);
}

// Quitting cancels the start-up repair instead of waiting for it; a repair cut short leaves the files as
// they were.
void TestRecordingImpl::quittingCancelsTheStartUpRepair()
{
    QStringList recordings;
    for (int i = 0; i < 3; ++i) {
        recordings.append(TestMedia::writeUnfinishedAvi(m_folder,
                                                        QStringLiteral("Quillo-2012-09-28_14-05-1%1.avi").arg(i), 1.0));
        QVERIFY(!recordings.last().isEmpty());
    }
    QList<QByteArray> before;
    for (const QString &recording : std::as_const(recordings)) {
        QFile file(recording);
        QVERIFY(file.open(QIODevice::ReadOnly));
        before.append(file.readAll());
    }
    // The pool's threads are all busy, so the repair has not begun when the application quits. A blocking
    // task may still wait in the queue when this test ends (a pool thread was busy with something else, and
    // the repair was run here by the wait for its result): the semaphore is shared so that it outlives them.
    auto blocker = std::make_shared<QSemaphore>();
    QThreadPool *pool = QThreadPool::globalInstance();
    const int threads = pool->maxThreadCount();
    for (int i = 0; i < threads; ++i)
        pool->start([blocker] { blocker->acquire(); });
    makeService();
    QVERIFY(QMetaObject::invokeMethod(QCoreApplication::instance(), "aboutToQuit", Qt::DirectConnection));
    blocker->release(threads);
    QCOMPARE(m_service->startUpRepair().result(), 0);
    for (qsizetype i = 0; i < recordings.size(); ++i) {
        QFile file(recordings.at(i));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before.at(i));
    }
}

QUILLO_TEST_MAIN_PRIVATE_MOUNTS(TestRecordingImpl)
#include "tst_RecordingImpl.moc"
