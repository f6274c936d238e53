#include "CameraWidget.h"
#include "DialogWatchdog.h"
#include "FormChild.h"
#include "ModalAnswerer.h"
#include "RecordingFake.h"
#include "RecordingImpl.h"
#include "Screenshot.h"
#include "SettingDialog.h"
#include "SettingImpl.h"
#include "TestEnvironment.h"
#include "UploadFake.h"
#include "VideoFake.h"
#include "VirtualDocCam.h"
#include "WebCamImpl.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest>

#include <memory>

namespace {

// Longer than several 30 ms level reports, short enough to keep the test quick.
constexpr int kQuietMs = 300;

VirtualDocCam *makeCamera(const QString &name, int width, int height, const QString &port)
{
    VirtualCameraProfile profile;
    profile.identity = CameraIdentity{
        name, 0x1d6b, 0x0104, port, DocCamFormat{VirtualCameraProfile::PixelFormatRgb32, width, height, 30}, true};
    return new VirtualDocCam(profile);
}

bool hasPicture(CameraWidget *view)
{
    return !view->frame().getQImage().isNull();
}

// Camera views that are windows of their own on the desktop, but for the service's main view, which has no
// main window to sit in here.
int strayViews(WebCamIntf *webCam)
{
    int count = 0;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<CameraWidget *>(widget) && widget != webCam->webCamWidget())
            ++count;
    }
    return count;
}

} // namespace

// The dialog with the real web-cam service over virtual cameras, and with the real recording service over
// the sound server the test command starts.
class TestSettingDialogDevices : public QObject
{
    Q_OBJECT

private:
    SettingIntf *m_settings = nullptr;
    std::unique_ptr<VideoFake> m_video;
    std::unique_ptr<DialogWatchdog> m_watchdog;

private Q_SLOTS:
    void init()
    {
        QFile::remove(SettingImpl::settingsFilePath());
        m_settings = SettingImpl::getInstance();
        m_video = std::make_unique<VideoFake>();
        m_watchdog = std::make_unique<DialogWatchdog>();
    }

    void cleanup()
    {
        m_watchdog.reset();
        m_video.reset();
        m_settings->release();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The preview keeps the camera's shape, centred in the black preview area, and never becomes a window
    // of its own: not after a choice, a removal, or a Save the accounts check refused.
    void previewFitsTheCamera()
    {
        WebCamImpl *webCam = WebCamImpl::getInstance(nullptr);
        RecordingFake recording;
        recording.setAnswer(QStringLiteral("actionStatus"), 1u);
        UploadFake upload;
        upload.setAnswerFunction(QStringLiteral("checkAccountName"), [](const QVariantList &args) {
            return QVariant(args.value(1).value<AccountRecord>().userName.contains(QLatin1Char('@')) ? -1001 : 0);
        });
        QList<VirtualDocCam *> cameras{makeCamera(QStringLiteral("Classroom Camera"), 640, 480, QStringLiteral("p1")),
                                       makeCamera(QStringLiteral("Document Stand"), 1280, 720, QStringLiteral("p2"))};
        for (VirtualDocCam *camera : std::as_const(cameras))
            webCam->webCamArrived(camera);

        {
            SettingDialog dialog(m_settings, &recording, m_video.get(), webCam);
            auto *tabs = formChild<QTabWidget>(dialog, "tabWidget");
            auto *area = formChild<QWidget>(dialog, "webCamWidget");
            auto *selector = formChild<QComboBox>(dialog, "webCamSelector");
            auto *youtubeUser = formChild<QLineEdit>(dialog, "youtubeUser");
            auto *save = formChild<QPushButton>(dialog, "okBtn");
            tabs->setCurrentIndex(1);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));

            const QList<CameraWidget *> views = area->findChildren<CameraWidget *>();
            QCOMPARE(views.size(), 1);
            CameraWidget *preview = views.first();
            QCOMPARE(selector->currentText(), QStringLiteral("Classroom Camera"));
            // 4:3 in 331 x 300.
            QCOMPARE(preview->geometry(), QRect(0, 26, 331, 248));
            QTRY_VERIFY(hasPicture(preview));
            QVERIFY(!Screenshot::save(&dialog, QStringLiteral("webcam-tab")).isEmpty());

            youtubeUser->setText(QStringLiteral("teacher@school"));
            save->click();
            QVERIFY(dialog.isVisible());
            QCOMPARE(area->findChildren<CameraWidget *>(), views);

            // 16:9 in 331 x 300.
            selector->setCurrentIndex(1);
            emit selector->activated(1);
            QCOMPARE(webCam->currentAuxWebCamIndex(), 1);
            QCOMPARE(preview->geometry(), QRect(0, 57, 331, 186));
            QCOMPARE(strayViews(webCam), 0);

            // The previewed camera goes: the service shows the other one, fitted again.
            webCam->webCamRemoved(cameras.last());
            QCOMPARE(webCam->currentAuxWebCamIndex(), 0);
            QTRY_COMPARE(preview->geometry(), QRect(0, 26, 331, 248));
            QCOMPARE(selector->count(), 1);
            QCOMPARE(strayViews(webCam), 0);

            youtubeUser->setText(QStringLiteral("teacher.school"));
            save->click();
            QVERIFY(!dialog.isVisible());
            QCOMPARE(webCam->currentWebCamIndex(), 0);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(area->findChildren<CameraWidget *>().isEmpty());
            QCOMPARE(strayViews(webCam), 0);
        }
        webCam->release();
        for (VirtualDocCam *camera : std::as_const(cameras))
            camera->release();
    }

    // The real, counted level monitor runs only while the dialog is shown, and opening and closing the dialog
    // leaves the microphone's volume where it was.
    void microphoneMonitorFollowsTheDialog()
    {
        if (qEnvironmentVariableIsEmpty("QUILLO_TEST_PULSE"))
            QSKIP("needs the sound server of the test script");
        RecordingImpl *recording = RecordingImpl::getInstance();
        QTRY_VERIFY(!recording->audioSources().isEmpty());
        QSignalSpy levels(recording, &RecordingIntf::audioLevelReported);
        WebCamImpl *webCam = WebCamImpl::getInstance(nullptr);
        // The stored microphone is gone: the dialog takes the first one in its place.
        m_settings->setAudioSource(QStringLiteral("Unplugged Headset"));
        {
            SettingDialog dialog(m_settings, recording, m_video.get(), webCam);
            QCOMPARE(m_settings->getAudioSource(), recording->audioSources().first());
            // Half volume reads back as 49 %: set again, that would be one step lower.
            recording->setVolume(50);
            const uint volume = recording->getVolume();
            QTest::qWait(kQuietMs);
            QCOMPARE(levels.size(), 0);

            for (const QString &how : {QStringLiteral("Cancel"), QStringLiteral("Escape"), QStringLiteral("Save")}) {
                int reportsWhileShown = 0;
                ModalAnswerer answerer([&](QWidget *modal) {
                    QTRY_VERIFY(levels.size() >= 3);
                    reportsWhileShown = int(levels.size());
                    if (how == QLatin1String("Escape"))
                        QTest::keyClick(modal, Qt::Key_Escape);
                    else
                        formChild<QPushButton>(*modal, how == QLatin1String("Save") ? "okBtn" : "cancelBtn")->click();
                });
                QCOMPARE(dialog.exec(), 0);
                QVERIFY2(reportsWhileShown >= 3, qPrintable(how));
                // A report already on its way may still arrive; after that the meter is silent.
                QTest::qWait(kQuietMs);
                levels.clear();
                QTest::qWait(kQuietMs);
                QVERIFY2(levels.isEmpty(), qPrintable(how));
                QCOMPARE(recording->getVolume(), volume);
            }
        }
        webCam->release();
        recording->release();
    }
};

int main(int argc, char *argv[])
{
    if (!TestEnvironment::prepare())
        return TestEnvironment::kSkipExitCode;
    // The test's own runtime folder hides the sound server; its address is given before anything asks for it.
    if (!qEnvironmentVariableIsEmpty("QUILLO_TEST_PULSE"))
        qputenv("PULSE_SERVER", qgetenv("QUILLO_TEST_PULSE_SERVER"));
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestEnvironment::catchOpenedUrls();
    TestSettingDialogDevices test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SettingDialogDevices.moc"
