#include "CaptureImpl.h"
#include "DialogWatchdog.h"
#include "JpegFileWriter.h"
#include "LumoVisionFake.h"
#include "MessageBoxScript.h"
#include "ModalAnswerer.h"
#include "SettingImpl.h"
#include "TestEnvironment.h"

#include <QImageReader>
#include <QLabel>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTextDocumentFragment>
#include <QtTest>

#include <climits>
#include <memory>
#include <sys/stat.h>

namespace {

QImage filled(int width, int height, QRgb colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

const QImage kLive = filled(320, 240, qRgb(200, 30, 30));
const QImage kStill = filled(640, 480, qRgb(30, 30, 200));

QSize jpegSize(const QString &path)
{
    QImageReader reader(path);
    return reader.format() == "jpeg" ? reader.size() : QSize();
}

QList<QString> signalPaths(const QSignalSpy &spy)
{
    QList<QString> paths;
    for (const QList<QVariant> &arguments : spy)
        paths.append(arguments.at(0).toString());
    return paths;
}

// Reads and closes the next result dialog of a time-lapse series.
class ResultDialog
{
public:
    void arm()
    {
        text.clear();
        m_answerer = std::make_unique<ModalAnswerer>([this](QWidget *modal) {
            if (auto *label = modal->findChild<QLabel *>(QStringLiteral("resultText")))
                text = label->text();
            ModalAnswerer::clickButton(QStringLiteral("OK"))(modal);
        });
    }
    bool shown() const { return m_answerer && m_answerer->answered(); }
    QString text;

private:
    std::unique_ptr<ModalAnswerer> m_answerer;
};

} // namespace

class TestCaptureImpl : public QObject
{
    Q_OBJECT

private:
    LumoVisionFake *m_camera = nullptr;
    CaptureImpl *m_service = nullptr;
    std::unique_ptr<QTemporaryDir> m_media;
    QString m_folder;
    qint64 m_freeSpace = 0;
    bool m_writable = true;
    int m_sounds = 0;

    void create()
    {
        CaptureEnvironment environment = CaptureEnvironment::system();
        environment.cameraService = [this] { return m_camera; };
        environment.freeSpace = [this](const QString &) { return m_freeSpace; };
        environment.isWritable = [this](const QString &) { return m_writable; };
        environment.playSound = [this](const QString &) { ++m_sounds; };
        // A series second lasts 5 ms, so that a series of several shots takes a fraction of a second.
        environment.msPerSecond = 5;
        CaptureImpl::setEnvironment(environment);
        m_service = static_cast<CaptureImpl *>(CaptureImpl::getInstance());
    }

    QStringList jpegs(const QString &folder = QString()) const
    {
        return QDir(folder.isEmpty() ? m_folder : folder).entryList({QStringLiteral("*.jpg")}, QDir::Files);
    }

    QString seriesFolder() const
    {
        const QStringList dirs = QDir(m_folder).entryList({QStringLiteral("Quillo-Time-Lapse_*")}, QDir::Dirs);
        return dirs.isEmpty() ? QString() : m_folder + dirs.last() + QLatin1Char('/');
    }

    // Starts a series of total seconds at the interval; the result dialog of its end is read into result.
    int startSeries(uint total, uint interval, ResultDialog &result)
    {
        m_service->toggleTimeLapseSetup();
        m_service->setTimeLapseParameters(total, interval);
        result.arm();
        return m_service->startTimeLapseCapture();
    }

private Q_SLOTS:
    void init()
    {
        m_media = std::make_unique<QTemporaryDir>();
        m_folder = m_media->path() + QStringLiteral("/Media/");
        SettingIntf *settings = SettingImpl::getInstance();
        settings->setSavePath(m_folder);
        settings->release();
        QDir().mkpath(m_folder);
        m_camera = new LumoVisionFake;
        m_camera->setConnected(true, QStringLiteral("Fake"));
        m_camera->setLiveFrame(kLive);
        m_freeSpace = qint64(1) << 30;
        m_writable = true;
        m_sounds = 0;
        create();
    }

    void cleanup()
    {
        if (m_service)
            m_service->release();
        m_service = nullptr;
        delete m_camera;
        m_camera = nullptr;
    }

    void desktopGrabWorksWithoutCamera()
    {
        m_service->release();
        m_camera->setConnected(false);
        create();
        QCOMPARE(m_service->actionStatus(), 1u);
        QSignalSpy grabs(m_service, &CaptureIntf::fullScreenImageCaptured);
        QString path;
        QCOMPARE(m_service->captureVision(&path), -1000);
        QCOMPARE(m_service->captureScreen(&path), 0);
        QCOMPARE(signalPaths(grabs), QList<QString>{path});
        QVERIFY(path.startsWith(m_folder + QStringLiteral("Quillo-")));
        QVERIFY(QRegularExpression(QStringLiteral("Quillo-\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d\\.jpg$"))
                    .match(path)
                    .hasMatch());
        QCOMPARE(jpegSize(path), CaptureImpl::grabDesktop(CaptureEnvironment::system().grabScreen).size());
        QCOMPARE(m_sounds, 1);
    }

    // A session that cannot grab a screen (Wayland gives null pictures) gets a failure, not a black picture.
    void anUngrabbableScreenIsNotSavedAsACapture()
    {
        m_service->release();
        CaptureEnvironment environment = CaptureEnvironment::system();
        environment.cameraService = [this] { return m_camera; };
        environment.playSound = [this](const QString &) { ++m_sounds; };
        environment.grabScreen = [](QScreen *) { return QPixmap(); };
        CaptureImpl::setEnvironment(environment);
        m_service = static_cast<CaptureImpl *>(CaptureImpl::getInstance());
        QSignalSpy grabs(m_service, &CaptureIntf::fullScreenImageCaptured);
        QString path;
        QCOMPARE(m_service->captureScreen(&path), -1);
        QVERIFY(path.startsWith(m_folder + QStringLiteral("Quillo-")));
        QVERIFY(!QFile::exists(path));
        QCOMPARE(grabs.count(), 0);
        QCOMPARE(m_sounds, 0);
        QCOMPARE(jpegs(), QStringList());
    }

    // Captures are readable as the user's other new files are, whatever the umask.
    void capturesGetTheModeOfTheUsersNewFiles_data()
    {
        QTest::addColumn<int>("umask");
        QTest::addColumn<int>("mode");
        QTest::newRow("022") << 022 << 0644;
        QTest::newRow("027") << 027 << 0640;
        QTest::newRow("002") << 002 << 0664;
    }
    void capturesGetTheModeOfTheUsersNewFiles()
    {
        QFETCH(int, umask);
        QFETCH(int, mode);
        m_camera->setAnswer(QStringLiteral("requestHQImage"), -2000);
        const mode_t previous = ::umask(mode_t(umask));
        QString screen;
        QString snapshot;
        const int screenResult = m_service->captureScreen(&screen);
        const int snapshotResult = m_service->captureVision(&snapshot);
        ::umask(previous);
        QCOMPARE(screenResult, 0);
        QCOMPARE(snapshotResult, 0);
        for (const QString &path : {screen, snapshot}) {
            struct stat info = {};
            QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
            QCOMPARE(int(info.st_mode & 0777), mode);
        }
    }

    void snapshotTakesTheStillOrTheLiveFrame_data()
    {
        QTest::addColumn<int>("requestResult");
        QTest::addColumn<int>("still"); // 0 delivered, 1 null still, 2 aborted, 3 never answered here
        QTest::addColumn<bool>("cameraLostMeanwhile");
        QTest::addColumn<int>("code");
        QTest::addColumn<QSize>("saved");
        QTest::addColumn<bool>("dialogShown");
        QTest::newRow("still") << 0 << 0 << false << 0 << kStill.size() << true;
        QTest::newRow("stills not supported") << -2000 << 0 << false << 0 << kLive.size() << false;
        QTest::newRow("frozen") << -2004 << 0 << false << 0 << kLive.size() << false;
        QTest::newRow("null still") << 0 << 1 << false << 0 << kLive.size() << true;
        QTest::newRow("timed out") << 0 << 2 << false << 0 << kLive.size() << true;
        QTest::newRow("saved still, camera gone") << 0 << 0 << true << 0 << kStill.size() << true;
        QTest::newRow("no still, camera gone") << 0 << 2 << true << -1000 << QSize() << true;
    }
    void snapshotTakesTheStillOrTheLiveFrame()
    {
        QFETCH(int, requestResult);
        QFETCH(int, still);
        QFETCH(bool, cameraLostMeanwhile);
        QFETCH(int, code);
        QFETCH(QSize, saved);
        QFETCH(bool, dialogShown);
        m_camera->setAnswer(QStringLiteral("requestHQImage"), requestResult);
        uint statusDuringDialog = 99;
        m_camera->setStillFollowUp([&](LumoVisionFake *camera) {
            statusDuringDialog = m_service->actionStatus();
            if (cameraLostMeanwhile)
                camera->setConnected(false);
            if (still == 0)
                Q_EMIT camera->hqImageCaptured(kStill);
            else if (still == 1)
                Q_EMIT camera->hqImageCaptured(QImage());
            else
                Q_EMIT camera->hqImageCaptureAborted(-1);
        });
        QSignalSpy status(m_service, &CaptureIntf::actionStatusChanged);
        QSignalSpy snapshots(m_service, &CaptureIntf::docCamImageCaptured);
        QString path;
        QCOMPARE(m_service->captureVision(&path), code);
        QCOMPARE(jpegs().size(), saved.isValid() ? 1 : 0);
        if (saved.isValid()) {
            QCOMPARE(jpegSize(path), saved);
            QCOMPARE(signalPaths(snapshots), QList<QString>{path});
            QCOMPARE(m_sounds, 1);
        } else {
            QCOMPARE(snapshots.count(), 0);
        }
        if (dialogShown) {
            QCOMPARE(statusDuringDialog, 0u);
            QCOMPARE(status.first().at(0).toUInt(), 0u);
            QCOMPARE(status.last().at(0).toUInt(), cameraLostMeanwhile ? 1u : 7u);
        } else {
            QCOMPARE(status.count(), 0);
        }
        QCOMPARE(m_service->actionStatus(), cameraLostMeanwhile ? 1u : 7u);
    }

    void stillDeliveredBeforeTheRequestReturns()
    {
        m_camera->setStillFollowUp(LumoVisionFake::deliver(kStill), LumoVisionFake::StillDelivery::BeforeReturn);
        QSignalSpy snapshots(m_service, &CaptureIntf::docCamImageCaptured);
        QString path;
        QCOMPARE(m_service->captureVision(&path), 0);
        QCOMPARE(jpegSize(path), kStill.size());
        QCOMPARE(snapshots.count(), 1);
        QCOMPARE(jpegs().size(), 1);
    }

    void stillNobodyWaitsForIsSavedOnlyWithItsAnnouncement()
    {
        QSignalSpy snapshots(m_service, &CaptureIntf::docCamImageCaptured);
        Q_EMIT m_camera->hqImageCaptured(QImage());
        QCOMPARE(jpegs().size(), 0);
        // A still after a time-out (the live frame already saved) or sent by the camera on its own.
        Q_EMIT m_camera->hqImageCaptured(kStill);
        QCOMPARE(jpegs().size(), 1);
        QCOMPARE(signalPaths(snapshots), QList<QString>{m_folder + jpegs().first()});
        QCOMPARE(m_sounds, 1);
    }

    void saveChecksRefuseWithAWarning_data()
    {
        QTest::addColumn<qint64>("freeSpace");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("warning");
        QTest::newRow("2 MiB free") << qint64(2097152) << true << QString();
        QTest::newRow("one byte short of 2 MiB") << qint64(2097151) << true << "Not enough disk space!";
        QTest::newRow("free space unknown") << qint64(-1) << true << "Not enough disk space!";
        QTest::newRow("not writable") << qint64(1) << false
                                      << "Permission Denied! You do not have access to the directory.";
    }
    void saveChecksRefuseWithAWarning()
    {
        QFETCH(qint64, freeSpace);
        QFETCH(bool, writable);
        QFETCH(QString, warning);
        m_freeSpace = freeSpace;
        m_writable = writable;
        m_camera->setAnswer(QStringLiteral("requestHQImage"), -2000);
        MessageBoxScript boxes;
        QSignalSpy grabs(m_service, &CaptureIntf::fullScreenImageCaptured);
        QSignalSpy snapshots(m_service, &CaptureIntf::docCamImageCaptured);
        QString screenPath;
        QString visionPath;
        const int screen = m_service->captureScreen(&screenPath);
        const int vision = m_service->captureVision(&visionPath);
        // The grab's path is filled in even when it is not saved.
        QVERIFY(screenPath.startsWith(m_folder + QStringLiteral("Quillo-")));
        if (warning.isEmpty()) {
            QCOMPARE(screen, 0);
            QCOMPARE(vision, 0);
            QCOMPARE(jpegs().size(), 2);
            QCOMPARE(boxes.shown().size(), 0);
            return;
        }
        QCOMPARE(screen, -1);
        QCOMPARE(vision, -1000);
        QCOMPARE(jpegs().size(), 0);
        QCOMPARE(grabs.count() + snapshots.count() + m_sounds, 0);
        QCOMPARE(boxes.shown().size(), 2);
        QCOMPARE(boxes.shown().first().text, warning);
        QCOMPARE(boxes.shown().first().title, QStringLiteral("Warning"));
        QVERIFY(boxes.shown().first().fromService);
        if (!writable)
            QCOMPARE(boxes.shown().first().informativeText,
                     QStringLiteral("You do not have permission to write to %1.").arg(m_folder));
    }

    void anUncreatableFolderFallsBackToTheDocumentsFolder()
    {
        SettingIntf *settings = SettingImpl::getInstance();
        // A folder below a file can never be created.
        QFile blocker(m_media->path() + QStringLiteral("/file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        settings->setValue(QStringLiteral("savePath"), blocker.fileName() + QStringLiteral("/Media/"));
        QString path;
        QCOMPARE(m_service->captureScreen(&path), 0);
        const QString fallback = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                                 + QStringLiteral("/Quillo/Media Library/");
        QCOMPARE(QFileInfo(path).absolutePath() + QLatin1Char('/'), fallback);
        QCOMPARE(settings->getSavePath(), fallback);
        settings->release();
    }

    void capturesWithinOneSecondNeverReplaceAFile()
    {
        m_camera->setAnswer(QStringLiteral("requestHQImage"), -2000);
        // A file of the user's already under the names the next captures would take.
        const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
        const QString users = m_folder + QStringLiteral("Quillo-%1.jpg").arg(stamp);
        QFile file(users);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("mine");
        file.close();
        QSet<QString> paths;
        for (int i = 0; i < 4; ++i) {
            QString path;
            QCOMPARE(i % 2 ? m_service->captureScreen(&path) : m_service->captureVision(&path), 0);
            QVERIFY(QFileInfo(path).size() > 4);
            paths.insert(path);
        }
        QCOMPARE(paths.size(), 4);
        QVERIFY(!paths.contains(users));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("mine"));
        QCOMPARE(jpegs().size(), 5);
        // Nothing half-written is left behind.
        QCOMPARE(QDir(m_folder).entryList(QDir::Files | QDir::Hidden).size(), 5);
    }

    void argumentsAndRunningSeriesAreRefused()
    {
        QCOMPARE(m_service->captureScreen(nullptr), -2000);
        QCOMPARE(m_service->captureVision(nullptr), -2000);
        uint total = 1;
        QCOMPARE(m_service->getTimeLapseParameters(&total, nullptr), -2000);
        QCOMPARE(m_service->stopTimeLapseCapture(), -2002);
        ResultDialog result;
        QCOMPARE(startSeries(1000, 100, result), 0);
        QString path;
        QCOMPARE(m_service->captureScreen(&path), -2001);
        QCOMPARE(m_service->captureVision(&path), -2001);
        QCOMPARE(m_service->toggleTimeLapseSetup(), -2001);
        QCOMPARE(m_service->setTimeLapseParameters(10, 1), -2001);
        QCOMPARE(m_service->startTimeLapseCapture(), -2001);
        QCOMPARE(m_service->stopTimeLapseCapture(), 0);
        QTRY_VERIFY(result.shown());
    }

    void theSoundIsCopiedForTheServicesLifetime()
    {
        const QString copy = QStandardPaths::writableLocation(QStandardPaths::TempLocation)
                             + QStringLiteral("/quilloCaptureSound.wav");
        QCOMPARE(m_service->soundPath(), copy);
        QFile sound(copy);
        QVERIFY(sound.open(QIODevice::ReadOnly));
        QCOMPARE(sound.read(4), QByteArray("RIFF"));
        sound.close();
        m_service->release();
        m_service = nullptr;
        QVERIFY(!QFile::exists(copy));
    }

    // ----- time-lapse -----

    void seriesTakesItsShotsAndEnds_data()
    {
        QTest::addColumn<uint>("total");
        QTest::addColumn<uint>("interval");
        QTest::addColumn<int>("shots");
        QTest::newRow("60 s every 10 s") << 60u << 10u << 7;
        QTest::newRow("65 s every 10 s") << 65u << 10u << 7;
        QTest::newRow("interval equals time") << 10u << 10u << 2;
    }
    void seriesTakesItsShotsAndEnds()
    {
        QFETCH(uint, total);
        QFETCH(uint, interval);
        QFETCH(int, shots);
        QSignalSpy status(m_service, &CaptureIntf::actionStatusChanged);
        QSignalSpy each(m_service, &CaptureIntf::oneTimeLapseImageCaptured);
        QSignalSpy progress(m_service, &CaptureIntf::timeLapseCaptureProgressUpdated);
        QSignalSpy completed(m_service, &CaptureIntf::timeLapseImageCaptureCompleted);
        ResultDialog result;
        QCOMPARE(startSeries(total, interval, result), 0);
        QCOMPARE(m_service->actionStatus(), 0x188u);
        QTRY_COMPARE(completed.count(), 1);
        QVERIFY(result.shown());
        const QString folder = seriesFolder();
        QVERIFY(QRegularExpression(QStringLiteral("Quillo-Time-Lapse_\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d/$"))
                    .match(folder)
                    .hasMatch());
        QList<QString> expected;
        for (int i = 1; i <= shots; ++i)
            expected.append(folder + QString::number(i) + QStringLiteral(".jpg"));
        QCOMPARE(completed.first().at(0).value<QList<QString>>(), expected);
        QCOMPARE(signalPaths(each), expected);
        QCOMPARE(progress.last().at(0).toUInt(), uint(shots));
        QCOMPARE(progress.last().at(1).toUInt(), uint(shots));
        QCOMPARE(jpegSize(expected.last()), kLive.size());
        QVERIFY(result.text.startsWith(QStringLiteral("<B>Time Lapse Capture Completed</B><br><br>")));
        QVERIFY(result.text.contains(QStringLiteral("%1 images have been captured in").arg(shots)));
        QCOMPARE(status.last().at(0).toUInt(), 7u);
        QCOMPARE(m_sounds, 0);
    }

    void parametersAreCheckedBeforeAStart_data()
    {
        QTest::addColumn<uint>("total");
        QTest::addColumn<uint>("interval");
        QTest::addColumn<bool>("valid");
        QTest::newRow("valid") << 60u << 10u << true;
        QTest::newRow("interval 0") << 60u << 0u << false;
        QTest::newRow("interval above time") << 5u << 10u << false;
        QTest::newRow("interval too long for a timer") << UINT_MAX << uint(INT_MAX / 1000) + 1 << false;
        QTest::newRow("longest timer interval") << UINT_MAX << uint(INT_MAX / 1000) << true;
        QTest::newRow("shot count overflows") << UINT_MAX << 1u << false;
        QTest::newRow("largest shot count") << UINT_MAX - 1 << 1u << true;
    }
    void parametersAreCheckedBeforeAStart()
    {
        QFETCH(uint, total);
        QFETCH(uint, interval);
        QFETCH(bool, valid);
        QCOMPARE(m_service->toggleTimeLapseSetup(), 0);
        QCOMPARE(m_service->actionStatus(), 0x3Cu);
        QSignalSpy status(m_service, &CaptureIntf::actionStatusChanged);
        QCOMPARE(m_service->setTimeLapseParameters(total, interval), 0);
        QCOMPARE(m_service->setTimeLapseParameters(total, interval), 0);
        QCOMPARE(status.count(), valid ? 1 : 0);
        QCOMPARE(m_service->actionStatus(), valid ? 0x7Cu : 0x3Cu);
        uint readTotal = 0;
        uint readInterval = 0;
        QCOMPARE(m_service->getTimeLapseParameters(&readTotal, &readInterval), 0);
        QCOMPARE(readTotal, total);
        QCOMPARE(readInterval, interval);
        if (!valid)
            QCOMPARE(m_service->startTimeLapseCapture(), -2000);
        QCOMPARE(m_service->toggleTimeLapseSetup(), 0);
        QCOMPARE(m_service->actionStatus(), 7u);
    }

    void seriesEndsEarly_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("reason");
        QTest::addColumn<bool>("filesKept");
        QTest::addColumn<QString>("text");
        QTest::newRow("user stop") << "stop" << 1000 << true << "3 images have been captured in";
        QTest::newRow("camera lost") << "camera" << -1000 << true << "3 images have been captured in";
        QTest::newRow("folder removed") << "folder" << -1 << false << "Can't save image to destination folder.";
        QTest::newRow("disk full") << "disk" << -1 << true << "3 images have been captured in";
    }
    void seriesEndsEarly()
    {
        QFETCH(QString, how);
        QFETCH(int, reason);
        QFETCH(bool, filesKept);
        QFETCH(QString, text);
        DialogWatchdog watchdog;
        MessageBoxScript boxes;
        QSignalSpy each(m_service, &CaptureIntf::oneTimeLapseImageCaptured);
        QSignalSpy aborted(m_service, &CaptureIntf::timeLapseImageCaptureAborted);
        ResultDialog result;
        // 100 shots 5 ms apart: the series is stopped long before its end.
        QCOMPARE(startSeries(1000, 10, result), 0);
        QTRY_VERIFY(each.count() >= 3);
        m_service->stopTimeLapseCapture();
        // Stopped at once to know the count; a fresh series is then ended the way the row says.
        QTRY_VERIFY(result.shown());
        QCOMPARE(aborted.count(), 1);
        QCOMPARE(aborted.first().at(1).toInt(), 1000);
        if (how == QLatin1String("folder")) {
            // Shots far apart (10 s), so that only the folder watch can notice the removal in time.
            aborted.clear();
            each.clear();
            QCOMPARE(startSeries(100000, 2000, result), 0);
            QCOMPARE(each.count(), 1);
            QVERIFY(QDir(seriesFolder()).removeRecursively());
            QTRY_COMPARE_WITH_TIMEOUT(aborted.count(), 1, 2000);
            QCOMPARE(each.count(), 1);
        } else if (how != QLatin1String("stop")) {
            aborted.clear();
            each.clear();
            QCOMPARE(startSeries(1000, 10, result), 0);
            QTRY_VERIFY(each.count() >= 3);
            if (how == QLatin1String("camera")) {
                m_camera->disconnectCamera();
            } else {
                m_freeSpace = 0;
            }
            QTRY_COMPARE(aborted.count(), 1);
        }
        QTRY_VERIFY(result.shown());
        const QList<QString> files = aborted.first().at(0).value<QList<QString>>();
        QCOMPARE(aborted.first().at(1).toInt(), reason);
        QCOMPARE(files, filesKept ? signalPaths(each) : QList<QString>());
        for (const QString &file : files)
            QVERIFY(QFile::exists(file));
        if (how == QLatin1String("stop") || how == QLatin1String("camera") || how == QLatin1String("disk"))
            QVERIFY(result.text.contains(QStringLiteral("%1 images have been captured in").arg(files.size())));
        else
            QVERIFY(result.text.contains(text));
        QCOMPARE(m_service->actionStatus(), how == QLatin1String("camera") ? 1u : 7u);
        if (how == QLatin1String("disk"))
            QCOMPARE(boxes.lastText(), QStringLiteral("Not enough disk space!"));
        // Nothing more is shot after the end.
        const int shots = each.count();
        QTest::qWait(50);
        QCOMPARE(each.count(), shots);
    }

    void freezeAndReconnectKeepTheRunningSeriesStoppable()
    {
        ResultDialog result;
        QCOMPARE(startSeries(1000, 10, result), 0);
        Q_EMIT m_camera->freezeStatusChanged(true);
        QCOMPARE(m_service->actionStatus(), 0x188u);
        Q_EMIT m_camera->freezeStatusChanged(false);
        Q_EMIT m_camera->docCamConnected(QStringLiteral("Fake"));
        QCOMPARE(m_service->actionStatus(), 0x188u);
        QCOMPARE(m_service->stopTimeLapseCapture(), 0);
        QTRY_VERIFY(result.shown());
        // Without a series a freeze leaves only the grab.
        Q_EMIT m_camera->freezeStatusChanged(true);
        QCOMPARE(m_service->actionStatus(), 1u);
        Q_EMIT m_camera->freezeStatusChanged(false);
        QCOMPARE(m_service->actionStatus(), 7u);
    }

    void seriesStartedInTheSameSecondGetTheirOwnFolders()
    {
        QSet<QString> folders;
        for (int i = 0; i < 3; ++i) {
            ResultDialog result;
            QSignalSpy aborted(m_service, &CaptureIntf::timeLapseImageCaptureAborted);
            QCOMPARE(startSeries(1000, 100, result), 0);
            QCOMPARE(m_service->stopTimeLapseCapture(), 0);
            QTRY_VERIFY(result.shown());
            const QList<QString> files = aborted.first().at(0).value<QList<QString>>();
            QCOMPARE(files.size(), 1);
            folders.insert(QFileInfo(files.first()).absolutePath());
        }
        QCOMPARE(folders.size(), 3);
    }

    void resultLinkOpensTheSeriesFolder()
    {
        SettingIntf *settings = SettingImpl::getInstance();
        m_folder = m_media->path() + QStringLiteral("/Tom's <media> & #1/");
        QVERIFY(QDir().mkpath(m_folder));
        settings->setSavePath(m_folder);
        settings->release();
        ResultDialog result;
        QCOMPARE(startSeries(1, 1, result), 0);
        QTRY_VERIFY(result.shown());
        const QRegularExpressionMatch link =
            QRegularExpression(QStringLiteral("<a href=\"([^\"]*)\">([^<]*)</a>")).match(result.text);
        QVERIFY2(link.hasMatch(), qPrintable(result.text));
        const QUrl url(QTextDocumentFragment::fromHtml(link.captured(1)).toPlainText());
        QVERIFY(url.isLocalFile());
        QCOMPARE(url.toLocalFile(), seriesFolder());
        QCOMPARE(QTextDocumentFragment::fromHtml(link.captured(2)).toPlainText(), seriesFolder());
        QVERIFY(result.text.contains(QStringLiteral("2 images have been captured in")));
    }

    void exitIsQuestionedWhileASeriesRuns_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("code");
        QTest::newRow("yes") << int(QMessageBox::Yes) << 0;
        QTest::newRow("no") << int(QMessageBox::No) << -3000;
        QTest::newRow("closed") << int(QMessageBox::NoButton) << -3000;
    }
    void exitIsQuestionedWhileASeriesRuns()
    {
        QFETCH(int, answer);
        QFETCH(int, code);
        MessageBoxScript boxes;
        QCOMPARE(m_service->confirmExit(), 0);
        QCOMPARE(boxes.shown().size(), 0);
        QSignalSpy each(m_service, &CaptureIntf::oneTimeLapseImageCaptured);
        QSignalSpy aborted(m_service, &CaptureIntf::timeLapseImageCaptureAborted);
        ResultDialog result;
        QCOMPARE(startSeries(1000, 10, result), 0);
        boxes.answerNext(QMessageBox::StandardButton(answer));
        QCOMPARE(m_service->confirmExit(), code);
        QCOMPARE(boxes.shown().size(), 1);
        QCOMPARE(boxes.shown().first().text, QStringLiteral("Do you really want to exit Quillo?"));
        QCOMPARE(boxes.shown().first().informativeText, QStringLiteral("Time Lapse Capture is on going!"));
        QCOMPARE(boxes.shown().first().defaultButton, QMessageBox::No);
        const int shots = each.count();
        if (code == 0) {
            QCOMPARE(m_service->actionStatus(), 7u);
            QTest::qWait(50);
            QCOMPARE(each.count(), shots);
            QCOMPARE(aborted.count(), 0);
            QCOMPARE(m_service->stopTimeLapseCapture(), -2002);
        } else {
            QTRY_VERIFY(each.count() > shots);
            QCOMPARE(m_service->stopTimeLapseCapture(), 0);
            QTRY_VERIFY(result.shown());
        }
    }
};

QUILLO_TEST_MAIN(TestCaptureImpl)
#include "tst_CaptureImpl.moc"
