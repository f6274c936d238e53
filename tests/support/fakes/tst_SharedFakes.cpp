#include "AnnotationFake.h"
#include "CaptureFake.h"
#include "LumoVisionFake.h"
#include "MainWindowFake.h"
#include "MediaFake.h"
#include "MediaLibraryFake.h"
#include "RecordingFake.h"
#include "SpotlightFake.h"
#include "TestEnvironment.h"
#include "UpdateAnnoStateIntf.h"
#include "UploadAccess.h"
#include "UploadFake.h"
#include "VideoFake.h"
#include "VisorFake.h"
#include "WebCamFake.h"

#include <QSignalSpy>
#include <QWidget>

#include <memory>
#include <thread>
#include <vector>

namespace {

class StateListener : public UpdateAnnoStateIntf
{
public:
    QList<bool> undo;
    QList<bool> redo;

    void updateUndoState(bool canUndo) override { undo.append(canUndo); }
    void updateRedoState(bool canRedo) override { redo.append(canRedo); }
};

} // namespace

class TestSharedFakes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void recordsCallsAndAnswersAsSet();
    void answerFunctionsSeeArgumentsAndMayEmit();
    void outParametersAreFilledFromTheirAnswers();
    void callsFromManyThreadsAreAllRecorded();
    void answersNobodyAskedForFailTheTest();
    void stillFollowUpComesLaterOrBeforeTheReturn();
    void helpersKeepAnswersAndSignalsInStep();
    void viewsAreOwnedLikeTheServicesOwnThem();
    void annotationListenerIsToldOnRequest();
    void uploadFakeIsBoundWhileItLives();
    void mediaFakeCountsReferences();
    void mediaLibraryFakeHandsOutRecordsAndKeepsItsPanel();
    void effectFakesCloseLikeTheShades();
    void windowFakeRefusesToCloseWhenTold();
};

void TestSharedFakes::recordsCallsAndAnswersAsSet()
{
    LumoVisionFake camera;
    QCOMPARE(camera.zoomIn(), 0);
    QCOMPARE(camera.isDocCamConnected(), false);
    QCOMPARE(camera.cameraWidgetSizeFor(QSize(640, 480)), QSize(640, 480));

    camera.setAnswer(QStringLiteral("zoomIn"), -2004);
    camera.setAnswer(QStringLiteral("cameraWidgetSizeFor"), QSize(400, 300));
    QCOMPARE(camera.zoomIn(), -2004);
    QCOMPARE(camera.cameraWidgetSizeFor(QSize(640, 480)), QSize(400, 300));
    // A setter is only recorded: the getter answers what the test set.
    QCOMPARE(camera.setBrightness(40), 0);
    QCOMPARE(camera.brightness(), 0);

    QCOMPARE(camera.callNames(), QStringList({"zoomIn", "isDocCamConnected", "cameraWidgetSizeFor", "zoomIn",
                                              "cameraWidgetSizeFor", "setBrightness", "brightness"}));
    QCOMPARE(camera.count(QStringLiteral("zoomIn")), 2);
    QCOMPARE(camera.lastArgs(QStringLiteral("setBrightness")), QVariantList{40u});
    QCOMPARE(camera.lastArgs(QStringLiteral("cameraWidgetSizeFor")), QVariantList{QSize(640, 480)});
    QVERIFY(camera.lastArgs(QStringLiteral("zoomOut")).isEmpty());

    camera.clearCalls();
    QVERIFY(camera.calls().isEmpty());
    QCOMPARE(camera.zoomIn(), -2004);
}

void TestSharedFakes::answerFunctionsSeeArgumentsAndMayEmit()
{
    UploadFake upload;
    upload.setAnswerFunction(QStringLiteral("account"), [](const QVariantList &args) {
        AccountRecord record;
        if (args.value(0).toUInt() == 4)
            record.userName = QStringLiteral("teacher");
        return QVariant::fromValue(record);
    });
    QCOMPARE(upload.account(4).userName, QStringLiteral("teacher"));
    QVERIFY(upload.account(2).userName.isEmpty());

    // A still delivered from within the request, as a synchronous camera would: the function may call back
    // into the fake without locking it up.
    LumoVisionFake camera;
    QSignalSpy stills(&camera, &LumoVisionIntf::hqImageCaptured);
    QImage still(8, 8, QImage::Format_RGB32);
    still.fill(Qt::green);
    camera.setAnswerFunction(QStringLiteral("requestHQImage"), [&camera, still](const QVariantList &) {
        emit camera.hqImageCaptured(still);
        return QVariant(camera.isDocCamConnected() ? 0 : -1000);
    });
    QCOMPARE(camera.requestHQImage(), -1000);
    QCOMPARE(stills.count(), 1);
    QCOMPARE(stills.first().first().value<QImage>(), still);

    // A plain answer set later replaces the function.
    camera.setAnswer(QStringLiteral("requestHQImage"), 0);
    QCOMPARE(camera.requestHQImage(), 0);
    QCOMPARE(stills.count(), 1);
}

void TestSharedFakes::outParametersAreFilledFromTheirAnswers()
{
    CaptureFake capture;
    capture.setAnswer(QStringLiteral("captureScreen.path"), QStringLiteral("/media/shot.jpg"));
    capture.setAnswer(QStringLiteral("captureScreen"), -1);
    capture.setAnswer(QStringLiteral("getTimeLapseParameters.totalTime"), 600u);
    capture.setAnswer(QStringLiteral("getTimeLapseParameters.interval"), 10u);
    QString path;
    QCOMPARE(capture.captureScreen(&path), -1);
    QCOMPARE(path, QStringLiteral("/media/shot.jpg"));
    uint total = 1;
    uint interval = 1;
    QCOMPARE(capture.getTimeLapseParameters(&total, &interval), 0);
    QCOMPARE(total, 600u);
    QCOMPARE(interval, 10u);
    // Nothing set: the out-parameter is emptied, as the real service fills it on every call.
    path = QStringLiteral("stale");
    capture.captureVision(&path);
    QVERIFY(path.isEmpty());

    RecordingFake recording;
    recording.setAnswer(QStringLiteral("stopRecording.files"), QStringList{"/m/a.avi", "/m/b.avi"});
    QList<QString> files;
    QCOMPARE(recording.stopRecording(&files), 0);
    QCOMPARE(files, QList<QString>({"/m/a.avi", "/m/b.avi"}));

    LumoVisionFake camera;
    QImage frame(4, 3, QImage::Format_RGB32);
    frame.fill(Qt::blue);
    camera.setAnswer(QStringLiteral("grabCurrentFrame.image"), frame);
    QImage grabbed;
    QCOMPARE(camera.grabCurrentFrame(&grabbed), 0);
    QCOMPARE(grabbed, frame);

    UploadFake upload;
    UploadResult done;
    done.code = 2;
    done.succeeded = true;
    done.text1 = QStringLiteral("id-7");
    upload.setAnswer(QStringLiteral("uploadImageNow.results"), QVariant::fromValue(QList<UploadResult>{done}));
    QList<UploadResult> results;
    QCOMPARE(upload.uploadImageNow(2, QStringLiteral("/m/a.jpg"), QStringLiteral("Title"), {}, {}, QStringList{"tag"},
                                   results),
             0);
    QCOMPARE(results.size(), 1);
    QCOMPARE(results.first().text1, QStringLiteral("id-7"));
    QCOMPARE(upload.lastArgs(QStringLiteral("uploadImageNow")).value(5).toStringList(), QStringList{"tag"});
}

void TestSharedFakes::callsFromManyThreadsAreAllRecorded()
{
    constexpr int kThreads = 4;
    constexpr int kCallsEach = 500;
    VideoFake video;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&video] {
            for (int i = 0; i < kCallsEach; ++i)
                video.moveTo(i);
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    QCOMPARE(video.count(QStringLiteral("moveTo")), kThreads * kCallsEach);
}

void TestSharedFakes::answersNobodyAskedForFailTheTest()
{
    auto camera = std::make_unique<LumoVisionFake>();
    camera->setAnswer(QStringLiteral("zoomIn"), -2004);
    camera->setAnswer(QStringLiteral("zomOut"), -2004);
    camera->setAnswerFunction(QStringLiteral("brightnes"), [](const QVariantList &) { return 40; });
    camera->setAnswer(QStringLiteral("grabCurrentFrame.image"), QImage(4, 3, QImage::Format_RGB32));
    // What the helpers set keeps the fake in step with their signal: nothing need ask for it.
    camera->connectCamera(QStringLiteral("Desk camera"));
    camera->setActionStatus(3);
    camera->setLiveFrame(QImage(4, 3, QImage::Format_RGB32));
    QCOMPARE(camera->zoomIn(), -2004);
    QCOMPARE(camera->zoomOut(), 0);
    QCOMPARE(camera->brightness(), 0);
    QCOMPARE(camera->unusedAnswers(), QStringList({"brightnes", "grabCurrentFrame.image", "zomOut"}));
    QImage frame;
    camera->grabCurrentFrame(&frame);
    QCOMPARE(camera->unusedAnswers(), QStringList({"brightnes", "zomOut"}));

    QEXPECT_FAIL("", "the fake names the answers nobody asked for", Continue);
    camera.reset();
}

void TestSharedFakes::stillFollowUpComesLaterOrBeforeTheReturn()
{
    LumoVisionFake camera;
    QSignalSpy stills(&camera, &LumoVisionIntf::hqImageCaptured);
    QImage still(8, 8, QImage::Format_RGB32);
    still.fill(Qt::green);
    camera.setStillFollowUp(LumoVisionFake::deliver(still));
    QCOMPARE(camera.requestHQImage(), 0);
    QCOMPARE(stills.count(), 0);
    QTRY_COMPARE(stills.count(), 1);
    QCOMPARE(stills.first().first().value<QImage>(), still);

    camera.setStillFollowUp(LumoVisionFake::deliver(still), LumoVisionFake::StillDelivery::BeforeReturn);
    QCOMPARE(camera.requestHQImage(), 0);
    QCOMPARE(stills.count(), 2);

    // A refused request is followed by nothing.
    camera.setAnswer(QStringLiteral("requestHQImage"), -2004);
    QCOMPARE(camera.requestHQImage(), -2004);
    QTest::qWait(0);
    QCOMPARE(stills.count(), 2);

    // Without a camera a frame fails as the service's does.
    camera.disconnectCamera();
    QImage frame;
    QCOMPARE(camera.grabCurrentFrame(&frame), -1000);
}

void TestSharedFakes::helpersKeepAnswersAndSignalsInStep()
{
    LumoVisionFake camera;
    QSignalSpy connected(&camera, &LumoVisionIntf::docCamConnected);
    QSignalSpy disconnected(&camera, &LumoVisionIntf::docCamDisconnected);
    camera.connectCamera(QStringLiteral("Desk camera"));
    QCOMPARE(connected.count(), 1);
    QVERIFY(camera.isDocCamConnected());
    QCOMPARE(camera.docCamName(), QStringLiteral("Desk camera"));
    camera.disconnectCamera();
    QCOMPARE(disconnected.count(), 1);
    QVERIFY(!camera.isDocCamConnected());

    CaptureFake capture;
    RecordingFake recording;
    VideoFake video;
    QSignalSpy cameraStatus(&camera, &LumoVisionIntf::actionStatusChanged);
    QSignalSpy captureStatus(&capture, &CaptureIntf::actionStatusChanged);
    QSignalSpy recordingStatus(&recording, &RecordingIntf::actionStatusChanged);
    QSignalSpy videoStatus(&video, &VideoIntf::actionStatusChanged);
    camera.setActionStatus(LumoVisionIntf::FREEZE);
    capture.setActionStatus(0x080);
    recording.setActionStatus(2 | 4);
    video.setActionStatus(2 | 8 | 16);
    QCOMPARE(camera.actionStatus(), uint(LumoVisionIntf::FREEZE));
    QCOMPARE(cameraStatus.takeFirst().first().toUInt(), uint(LumoVisionIntf::FREEZE));
    QCOMPARE(capture.actionStatus(), 0x080u);
    QCOMPARE(captureStatus.takeFirst().first().toUInt(), 0x080u);
    QCOMPARE(recording.actionStatus(), 6u);
    QCOMPARE(recordingStatus.takeFirst().first().toUInt(), 6u);
    QCOMPARE(video.actionStatus(), 26u);
    QCOMPARE(videoStatus.takeFirst().first().toUInt(), 26u);

    WebCamFake webCams;
    QSignalSpy listChanged(&webCams, &WebCamIntf::webCamListChanged);
    webCams.setWebCamList({QStringLiteral("Front"), QStringLiteral("Back")});
    QCOMPARE(webCams.webCamCount(), 2);
    QCOMPARE(webCams.getWebCamList(), QList<QString>({"Front", "Back"}));
    QCOMPARE(listChanged.count(), 1);

    QSignalSpy sourcesChanged(&recording, &RecordingIntf::audioSourcesChanged);
    recording.setAudioSources({QStringLiteral("Microphone")});
    QCOMPARE(recording.audioSources(), QList<QString>{"Microphone"});
    QCOMPARE(sourcesChanged.count(), 1);
}

void TestSharedFakes::viewsAreOwnedLikeTheServicesOwnThem()
{
    QPointer<QWidget> cameraView;
    {
        LumoVisionFake camera;
        QWidget window;
        cameraView = camera.cameraWidget();
        QVERIFY(cameraView);
        cameraView->setParent(&window);
        window.show();
        camera.showCameraWidget();
        QVERIFY(cameraView->isVisible());
        camera.hideCameraWidget();
        QVERIFY(!cameraView->isVisible());
        QCOMPARE(camera.cameraWidget(), cameraView.data());
    }
    QVERIFY(!cameraView);

    WebCamFake webCams;
    auto *dialog = new QWidget;
    QWidget *aux = webCams.auxWebCamWidget(dialog);
    QCOMPARE(aux->parentWidget(), dialog);
    QCOMPARE(webCams.auxWebCamWidget(dialog), aux);
    QCOMPARE(webCams.count(QStringLiteral("auxWebCamWidget")), 2);
    QPointer<QWidget> watched(aux);
    webCams.closeAuxWebCam();
    QVERIFY(!watched);
    // The dialog deletes a second preview before the service hears of it.
    watched = webCams.auxWebCamWidget(dialog);
    delete dialog;
    QVERIFY(!watched);
    webCams.closeAuxWebCam();

    AnnotationFake annotation;
    QWidget stage;
    QWidget *canvas = annotation.createCanvas(320, 200, &stage, 128, true);
    QCOMPARE(canvas->parentWidget(), &stage);
    QCOMPARE(canvas->size(), QSize(320, 200));
    QCOMPARE(annotation.lastArgs(QStringLiteral("createCanvas")),
             QVariantList({320, 200, QVariant::fromValue(&stage), 128, true}));
    watched = canvas;
    annotation.destroyCanvas(canvas);
    QVERIFY(!watched);
    annotation.setAnswer(QStringLiteral("createCanvas"), false);
    QCOMPARE(annotation.createCanvas(320, 200, &stage, 0, false), nullptr);
}

void TestSharedFakes::annotationListenerIsToldOnRequest()
{
    AnnotationFake annotation;
    StateListener listener;
    annotation.notifyUndoState(true); // nobody listens yet
    annotation.setStateListener(&listener);
    QCOMPARE(annotation.stateListener(), &listener);
    annotation.notifyUndoState(true);
    annotation.notifyRedoState(false);
    annotation.notifyUndoState(false);
    QCOMPARE(listener.undo, QList<bool>({true, false}));
    QCOMPARE(listener.redo, QList<bool>{false});
    annotation.setStateListener(nullptr);
    annotation.notifyRedoState(true);
    QCOMPARE(listener.redo.size(), 1);
}

void TestSharedFakes::uploadFakeIsBoundWhileItLives()
{
    QVERIFY(!UploadAccess::service());
    {
        UploadFake upload;
        QCOMPARE(UploadAccess::service(), &upload);
        QSignalSpy succeeded(&upload, &UploadIntf::uploadSucceeded);
        emit UploadAccess::service()->uploadSucceeded(2, QStringLiteral("/m/a.jpg"), QStringLiteral("id"),
                                                      QStringLiteral("https://example.org/a"));
        QCOMPARE(succeeded.count(), 1);
        UploadAccess::service()->removeUploadedFiles({{2, QStringLiteral("id")}});
        const auto removed =
            upload.lastArgs(QStringLiteral("removeUploadedFiles")).first().value<QMap<uint, QString>>();
        QCOMPARE(removed.value(2), QStringLiteral("id"));
    }
    QVERIFY(!UploadAccess::service());

    // A fake outliving the one bound after it leaves that binding alone.
    UploadFake first;
    auto second = std::make_unique<UploadFake>();
    UploadFake *secondPointer = second.get();
    QCOMPARE(UploadAccess::service(), secondPointer);
    UploadAccess::setProvider([&first] { return &first; });
    second.reset();
    QCOMPARE(UploadAccess::service(), &first);
}

void TestSharedFakes::mediaFakeCountsReferences()
{
    const int before = MediaFake::alive();
    auto *media = new MediaFake(QStringLiteral("/m/a.jpg"));
    QCOMPARE(MediaFake::alive(), before + 1);
    QCOMPARE(media->path(), QStringLiteral("/m/a.jpg"));
    QCOMPARE(media->lockFile(), 1);
    media->setAnswer(QStringLiteral("lockFile"), -2000);
    QCOMPARE(media->lockFile(), -2000);
    media->addRef();
    QCOMPARE(media->refCount(), 2);
    media->release();
    QCOMPARE(media->count(QStringLiteral("release")), 1);
    QCOMPARE(MediaFake::alive(), before + 1);
    media->release();
    QCOMPARE(MediaFake::alive(), before);
}

void TestSharedFakes::mediaLibraryFakeHandsOutRecordsAndKeepsItsPanel()
{
    const int before = MediaFake::alive();
    QPointer<QWidget> panel;
    {
        QWidget centralArea;
        MediaLibraryFake library(&centralArea);
        panel = library.widget();
        QCOMPARE(panel->parentWidget(), &centralArea);

        MediaIntf *media = library.getMedia(QStringLiteral("/m/b.avi"));
        QCOMPARE(media->path(), QStringLiteral("/m/b.avi"));
        QCOMPARE(MediaFake::alive(), before + 1);
        media->release();
        QCOMPARE(MediaFake::alive(), before);

        library.processRecordedFiles({QStringLiteral("/m/r_1.avi"), QStringLiteral("/m/r_2.avi")});
        QCOMPARE(library.lastArgs(QStringLiteral("processRecordedFiles")),
                 QVariantList{QStringList({"/m/r_1.avi", "/m/r_2.avi"})});
        QCOMPARE(library.callNames(), QStringList({"widget", "getMedia", "processRecordedFiles"}));
    }
    QVERIFY(!panel);
}

namespace {

template<class Fake, class Intf>
void closesLikeAShade(void (Intf::*closedSignal)())
{
    QWidget centralArea;
    centralArea.show();
    Fake effect(&centralArea);
    QSignalSpy closed(&effect, closedSignal);
    QPointer<QWidget> shade = effect.widget();
    QCOMPARE(shade->parentWidget(), &centralArea);
    effect.resize(QSize(300, 200));
    effect.show();
    QVERIFY(shade->isVisible());
    effect.hide();
    QVERIFY(!shade->isVisible());
    QCOMPARE(closed.count(), 0);
    effect.show();
    effect.pressClose();
    QVERIFY(!shade->isVisible());
    QCOMPARE(closed.count(), 1);
    effect.release();
    QCOMPARE(effect.callNames(), QStringList({"widget", "resize", "show", "hide", "show", "release"}));
    QCOMPARE(effect.lastArgs(QStringLiteral("resize")), QVariantList{QSize(300, 200)});
}

} // namespace

void TestSharedFakes::effectFakesCloseLikeTheShades()
{
    closesLikeAShade<VisorFake>(&VisorIntf::visorClosed);
    closesLikeAShade<SpotlightFake>(&SpotlightIntf::spotlightClosed);

    // The parent may delete the widget first, as the main window's does at exit.
    auto centralArea = std::make_unique<QWidget>();
    VisorFake visor(centralArea.get());
    centralArea.reset();
    QCOMPARE(visor.widget(), nullptr);
    visor.show();
    visor.pressClose();
}

void TestSharedFakes::windowFakeRefusesToCloseWhenTold()
{
    MainWindowFake window;
    window.show();
    window.setAnswer(QStringLiteral("closeEvent"), false);
    QVERIFY(!window.close());
    QVERIFY(window.isVisible());
    window.setAnswer(QStringLiteral("closeEvent"), true);
    QVERIFY(window.close());
    QVERIFY(!window.isVisible());
    QCOMPARE(window.count(QStringLiteral("closeEvent")), 2);
}

QUILLO_TEST_MAIN(TestSharedFakes)
#include "tst_SharedFakes.moc"
