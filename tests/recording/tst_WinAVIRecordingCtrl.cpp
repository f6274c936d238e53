#include "AVIRecordingThread.h"
#include "AviProbe.h"
#include "NullMixerBackend.h"
#include "PulseMixerBackend.h"
#include "RecordingFakes.h"
#include "SettingImpl.h"
#include "TestEnvironment.h"
#include "UsbDeviceMonitor.h"
#include "WinAVIRecordingCtrl.h"
#include "WinVolumeController.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

// The controller's rules, the volume controller over an in-memory mixer, and the camera-microphone watch
// on a real capture thread.
class TestWinAVIRecordingCtrl : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::shared_ptr<FakeMixer::State> m_mixer;
    QList<AudioInput> m_inputs;

    std::unique_ptr<WinVolumeController> makeVolume()
    {
        return std::make_unique<WinVolumeController>([this] { return std::make_unique<FakeMixer>(m_mixer); },
                                                     [this] { return m_inputs; });
    }
    static void setAudioSource(const QString &name)
    {
        SettingIntf *settings = SettingImpl::getInstance();
        settings->setAudioSource(name);
        settings->release();
    }

private Q_SLOTS:
    void init()
    {
        m_mixer = std::make_shared<FakeMixer::State>();
        m_inputs = {{"alsa_input.usb-mic", "USB Q40 Microphone"}, {"nsrc", "Null source"}};
        m_mixer->sources = {{"alsa_input.usb-mic", 65535}, {"nsrc", 40000}};
        setAudioSource(QString());
    }

    void heightForWidth_data();
    void heightForWidth();
    void cameraMicrophoneMatch_data();
    void cameraMicrophoneMatch();
    void sourceListsDiffer_data();
    void sourceListsDiffer();
    void devicePathFromUdev_data();
    void devicePathFromUdev();
    void volumeInPercent();
    void volumeFindsTheConfiguredMicrophone_data();
    void volumeFindsTheConfiguredMicrophone();
    void volumeSetsOnlyWhatAReadFound();
    void volumeLineTypes();
    void volumeWithoutSoundServer();
    void serverVolumeScale_data();
    void serverVolumeScale();
    void sourceListUsesFullNames();
    void sourceListRebuiltOnlyWhenTheCountChanges();
    void sourceIndex();
    void stopWhileIdle();
    void cameraRemovalStopsTheSoundOnly();
};

void TestWinAVIRecordingCtrl::heightForWidth_data()
{
    QTest::addColumn<QSize>("desktop");
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("even");
    QTest::addColumn<int>("height");
    QTest::newRow("1080p at 1024") << QSize(1920, 1080) << 1024 << true << 576;
    QTest::newRow("1366x768 thread mode") << QSize(1366, 768) << 1024 << true << 576;
    QTest::newRow("1366x768 timer mode") << QSize(1366, 768) << 1024 << false << 575;
    QTest::newRow("4:3 at 640") << QSize(1024, 768) << 640 << true << 480;
    QTest::newRow("no screen") << QSize() << 640 << true << 0;
}

void TestWinAVIRecordingCtrl::heightForWidth()
{
    QFETCH(QSize, desktop);
    QFETCH(int, width);
    QFETCH(bool, even);
    QFETCH(int, height);
    QCOMPARE(WinAVIRecordingCtrl::heightForWidth(desktop, width, even), height);
}

void TestWinAVIRecordingCtrl::cameraMicrophoneMatch_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("matches");
    const QString q40 = "usb#vid_6D1B&pid_0102#/devices/pci0000:00/usb1/1-2";
    QTest::newRow("Q40, id in capitals") << "Microphone (LumoVision Q40)" << q40 << true;
    QTest::newRow("q40 in small letters") << "microphone (lumovision q40)" << q40 << true;
    QTest::newRow("Q30 with c3e7") << "Q30 Mic"
                                   << "usb#vid_c3e7&pid_0001#/devices/x" << true;
    QTest::newRow("Q30 with 9b52") << "Q30 Mic"
                                   << "usb#vid_9b52&pid_0001#/devices/x" << true;
    QTest::newRow("Q30 with only 6d1b") << "Q30 Mic" << q40 << false;
    QTest::newRow("other microphone") << "Built-in Audio" << q40 << false;
    QTest::newRow("no source") << "" << q40 << false;
}

void TestWinAVIRecordingCtrl::cameraMicrophoneMatch()
{
    QFETCH(QString, source);
    QFETCH(QString, path);
    QFETCH(bool, matches);
    QCOMPARE(WinAVIRecordingCtrl::matchesCameraMicrophone(source, path), matches);
}

void TestWinAVIRecordingCtrl::sourceListsDiffer_data()
{
    QTest::addColumn<QStringList>("cached");
    QTest::addColumn<QStringList>("fresh");
    QTest::addColumn<bool>("differ");
    QTest::newRow("same") << QStringList{"Mic A", "Mic B"} << QStringList{"Mic A", "Mic B"} << false;
    QTest::newRow("fresh is a short name") << QStringList{"Mic A (USB Audio)"} << QStringList{"Mic A"} << false;
    QTest::newRow("fresh is longer") << QStringList{"Mic A"} << QStringList{"Mic A (USB Audio)"} << true;
    QTest::newRow("one swapped") << QStringList{"Mic A", "Mic B"} << QStringList{"Mic A", "Mic C"} << true;
    QTest::newRow("one added") << QStringList{"Mic A"} << QStringList{"Mic A", "Mic B"} << true;
    QTest::newRow("case differs") << QStringList{"Mic A"} << QStringList{"mic a"} << true;
    QTest::newRow("both empty") << QStringList{} << QStringList{} << false;
}

void TestWinAVIRecordingCtrl::sourceListsDiffer()
{
    QFETCH(QStringList, cached);
    QFETCH(QStringList, fresh);
    QFETCH(bool, differ);
    QCOMPARE(WinAVIRecordingCtrl::sourceListsDiffer(cached, fresh), differ);
}

void TestWinAVIRecordingCtrl::devicePathFromUdev_data()
{
    QTest::addColumn<QString>("vendor");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("product");
    QTest::addColumn<QString>("path");
    const QString devpath = "/devices/pci0000:00/0000:00:14.0/usb1/1-2";
    QTest::newRow("arrival") << "6d1b"
                             << "0102"
                             << "6d1b/102/100"
                             << "usb#vid_6d1b&pid_0102#" + devpath;
    QTest::newRow("removal with PRODUCT only") << ""
                                               << ""
                                               << "9b52/c3e7/1"
                                               << "usb#vid_9b52&pid_c3e7#" + devpath;
    QTest::newRow("short ids padded") << ""
                                      << ""
                                      << "46d/8b/0"
                                      << "usb#vid_046d&pid_008b#" + devpath;
    QTest::newRow("capitals") << "6D1B"
                              << "00AB"
                              << ""
                              << "usb#vid_6d1b&pid_00ab#" + devpath;
}

void TestWinAVIRecordingCtrl::devicePathFromUdev()
{
    QFETCH(QString, vendor);
    QFETCH(QString, model);
    QFETCH(QString, product);
    QFETCH(QString, path);
    const QString text = UsbDeviceMonitor::devicePath("/devices/pci0000:00/0000:00:14.0/usb1/1-2", vendor, model,
                                                      product);
    QCOMPARE(text, path);
}

void TestWinAVIRecordingCtrl::volumeInPercent()
{
    setAudioSource("USB Q40 Microphone");
    auto volume = makeVolume();
    WinAVIRecordingCtrl ctrl(QSharedPointer<AVIRecordingThread>::create(), volume.get());
    QCOMPARE(ctrl.getVolume(), 100u);
    ctrl.setVolume(50);
    QCOMPARE(m_mixer->sources.value("alsa_input.usb-mic"), 32767u);
    QCOMPARE(ctrl.getVolume(), 49u);
    ctrl.setVolume(0);
    QCOMPARE(ctrl.getVolume(), 0u);
    ctrl.setVolume(100);
    QCOMPARE(m_mixer->sources.value("alsa_input.usb-mic"), 65535u);
    // The other microphone was never touched.
    QCOMPARE(m_mixer->sources.value("nsrc"), 40000u);
}

void TestWinAVIRecordingCtrl::volumeFindsTheConfiguredMicrophone_data()
{
    QTest::addColumn<QString>("configured");
    QTest::addColumn<uint>("volume");
    QTest::newRow("exact") << "Null source" << 40000u;
    QTest::newRow("product name inside a longer name") << "Null source (monitor)" << 40000u;
    QTest::newRow("other letter case") << "null source" << 0u;
    QTest::newRow("absent") << "Headset" << 0u;
}

void TestWinAVIRecordingCtrl::volumeFindsTheConfiguredMicrophone()
{
    QFETCH(QString, configured);
    QFETCH(uint, volume);
    setAudioSource(configured);
    auto controller = makeVolume();
    QCOMPARE(controller->getVolume(WinVolumeController::SOURCE), volume);
}

void TestWinAVIRecordingCtrl::volumeSetsOnlyWhatAReadFound()
{
    setAudioSource("Null source");
    auto controller = makeVolume();
    controller->setVolume(1000, WinVolumeController::SOURCE);
    QCOMPARE(m_mixer->sources.value("nsrc"), 40000u);
    QCOMPARE(controller->getVolume(WinVolumeController::SOURCE), 40000u);
    controller->setVolume(1000, WinVolumeController::SOURCE);
    QCOMPARE(m_mixer->sources.value("nsrc"), 1000u);

    // After a reopen the next read finds the line again, and a set after it works.
    controller->reopenMixers();
    controller->setVolume(2000, WinVolumeController::SOURCE);
    QCOMPARE(m_mixer->sources.value("nsrc"), 1000u);
    QCOMPARE(controller->getVolume(WinVolumeController::SOURCE), 1000u);
    controller->setVolume(2000, WinVolumeController::SOURCE);
    QCOMPARE(m_mixer->sources.value("nsrc"), 2000u);

    // A newly configured microphone that is not present: reads 0, and a set must not reach the old one.
    setAudioSource("Headset");
    QCOMPARE(controller->getVolume(WinVolumeController::SOURCE), 0u);
    controller->setVolume(3000, WinVolumeController::SOURCE);
    QCOMPARE(m_mixer->sources.value("nsrc"), 2000u);
}

void TestWinAVIRecordingCtrl::volumeLineTypes()
{
    m_mixer->sinks = {{"@DEFAULT_SINK@", 30000}};
    m_mixer->sources.insert("@DEFAULT_SOURCE@", 20000);
    auto controller = makeVolume();
    QCOMPARE(controller->getVolume(WinVolumeController::SPEAKERS), 30000u);
    QCOMPARE(controller->getVolume(WinVolumeController::WAVE_IN), 20000u);
    controller->setVolume(100, WinVolumeController::SPEAKERS);
    QCOMPARE(m_mixer->sinks.value("@DEFAULT_SINK@"), 100u);
    QCOMPARE(controller->getVolume(3), 0u);
    controller->setVolume(5, 3);
    QCOMPARE(m_mixer->sinks.value("@DEFAULT_SINK@"), 100u);
    QCOMPARE(m_mixer->sources.value("@DEFAULT_SOURCE@"), 20000u);
}

void TestWinAVIRecordingCtrl::volumeWithoutSoundServer()
{
    setAudioSource("Null source");
    WinVolumeController controller([] { return std::make_unique<NullMixerBackend>(); }, [this] { return m_inputs; });
    for (int type = 0; type <= 3; ++type) {
        QCOMPARE(controller.getVolume(type), 0u);
        controller.setVolume(100, type);
    }
    QCOMPARE(controller.deviceLongNames(), (QStringList{"USB Q40 Microphone", "Null source"}));
}

void TestWinAVIRecordingCtrl::serverVolumeScale_data()
{
    QTest::addColumn<quint32>("value");
    QTest::addColumn<quint32>("server");
    QTest::newRow("silent") << 0u << 0u;
    QTest::newRow("half") << 32767u << 32767u;
    QTest::newRow("full") << 65535u << 65536u;
    QTest::newRow("one step") << 1u << 1u;
}

void TestWinAVIRecordingCtrl::serverVolumeScale()
{
    QFETCH(quint32, value);
    QFETCH(quint32, server);
    QCOMPARE(PulseMixerBackend::toServerVolume(value), server);
    QCOMPARE(PulseMixerBackend::fromServerVolume(server), value);
    // Louder than nominal still reads as full.
    QCOMPARE(PulseMixerBackend::fromServerVolume(3 * 65536), 65535u);
}

void TestWinAVIRecordingCtrl::sourceListUsesFullNames()
{
    auto volume = makeVolume();
    WinAVIRecordingCtrl ctrl(QSharedPointer<AVIRecordingThread>::create(), volume.get());
    QCOMPARE(ctrl.audioSourceList(), (QStringList{"USB Q40 Microphone", "Null source"}));
    QCOMPARE(m_mixer->opened, 1);
    // A microphone plugged in later has a name longer than a product name: its full name comes from a
    // fresh look at the devices.
    const QString longName = "Microphone (LumoVision Q30 Document Camera Audio)";
    m_inputs.append(AudioInput{"alsa_input.cam", longName});
    QCOMPARE(ctrl.audioSourceList(), (QStringList{"USB Q40 Microphone", "Null source", longName}));
    QCOMPARE(m_mixer->opened, 2);
}

void TestWinAVIRecordingCtrl::sourceListRebuiltOnlyWhenTheCountChanges()
{
    auto volume = makeVolume();
    WinAVIRecordingCtrl ctrl(QSharedPointer<AVIRecordingThread>::create(), volume.get());
    ctrl.audioSourceList();
    m_inputs[1].description = "Headset";
    QCOMPARE(ctrl.audioSourceList(), (QStringList{"USB Q40 Microphone", "Null source"}));
    m_inputs.removeLast();
    QCOMPARE(ctrl.audioSourceList(), QStringList{"USB Q40 Microphone"});
    QCOMPARE(ctrl.cachedAudioSources(), QStringList{"USB Q40 Microphone"});
}

void TestWinAVIRecordingCtrl::sourceIndex()
{
    auto volume = makeVolume();
    WinAVIRecordingCtrl ctrl(QSharedPointer<AVIRecordingThread>::create(), volume.get());
    QCOMPARE(ctrl.audioSourceIndex("null SOURCE"), 1);
    QCOMPARE(ctrl.audioSourceIndex("USB Q40 Microphone"), 0);
    QCOMPARE(ctrl.audioSourceIndex("Headset"), -2);
    QCOMPARE(ctrl.audioSourceIndex(""), -2);
    m_inputs.clear();
    QCOMPARE(ctrl.audioSourceIndex("Null source"), -2);
}

void TestWinAVIRecordingCtrl::stopWhileIdle()
{
    auto volume = makeVolume();
    auto thread = QSharedPointer<AVIRecordingThread>::create();
    WinAVIRecordingCtrl ctrl(thread, volume.get());
    QStringList files{"stale"};
    QVERIFY(ctrl.stopRecording(&files));
    QCOMPARE(ctrl.errorCode(), 2);
    QVERIFY(files.isEmpty());
    QString name;
    QVERIFY(ctrl.stopTimerRecording(name));
    QVERIFY(!ctrl.addFrame());
}

void TestWinAVIRecordingCtrl::cameraRemovalStopsTheSoundOnly()
{
    const QString folder = m_dir.filePath("removal");
    QVERIFY(QDir().mkpath(folder));
    SettingIntf *settings = SettingImpl::getInstance();
    settings->setSavePath(folder + "/");
    settings->release();
    auto volume = makeVolume();
    auto thread = QSharedPointer<AVIRecordingThread>::create();
    auto grabber = std::make_shared<FakeGrabber>(QSize(160, 90));
    auto microphone = std::make_shared<FakeAudioSource>();
    thread->setBackends({nullptr, grabber, microphone, nullptr});
    thread->setFreeSpaceQuery([](const QString &) { return qint64(1) << 40; });
    WinAVIRecordingCtrl ctrl(thread, volume.get());
    QVERIFY(ctrl.startRecording(160, 90, "USB Q40 Microphone"));
    QVERIFY(QTest::qWaitFor([&] { return grabber->grabs > 0; }, 5000));
    QTRY_COMPARE(microphone->startedDevice, 0);
    // The microphone opens before the file's streams are set up, and sound before the recording's clock
    // starts belongs to no time of it: the next grab shows the recording running.
    const int grabsAtStart = grabber->grabs;
    QVERIFY(QTest::qWaitFor([&] { return grabber->grabs > grabsAtStart; }, 5000));
    // Blocks at the sound's own pace (128 ms each), so none is ahead of the picture.
    for (int i = 0; i < 3; ++i) {
        QTest::qWait(128);
        QVERIFY(microphone->push(1000));
    }
    ctrl.deviceChanged("usb#vid_1234&pid_5678#/devices/other");
    QTest::qWait(128);
    QVERIFY(microphone->push(1000));
    ctrl.deviceChanged("usb#vid_6d1b&pid_0102#/devices/pci0000:00/usb1/1-2");
    for (int i = 0; i < 3; ++i) {
        QTest::qWait(128);
        microphone->push(2000);
    }
    const int framesBefore = grabber->grabs;
    QTest::qWait(200);
    QVERIFY2(grabber->grabs > framesBefore, "the picture goes on");
    QStringList files;
    QVERIFY(ctrl.stopRecording(&files));
    QCOMPARE(files.size(), 1);
    const QByteArray sound = AviProbe(files.first()).audioSamples();
    const auto *samples = reinterpret_cast<const qint16 *>(sound.constData());
    // A slow machine may have had silence put in for late blocks; the sound after the removal is absent.
    const qsizetype count = sound.size() / 2;
    QCOMPARE(std::count(samples, samples + count, qint16(1000)), 4 * 2048);
    QCOMPARE(std::count(samples, samples + count, qint16(2000)), 0);
}

QUILLO_TEST_MAIN(TestWinAVIRecordingCtrl)
#include "tst_WinAVIRecordingCtrl.moc"
