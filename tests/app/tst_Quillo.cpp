#include "AnnotationFake.h"
#include "CaptureFake.h"
#include "DialogWatchdog.h"
#include "FormChild.h"
#include "GradingServicePage.h"
#include "ImageControlPanel.h"
#include "LumoVisionFake.h"
#include "MediaFake.h"
#include "MediaFileStore.h"
#include "MediaLibraryFake.h"
#include "MessageBoxScript.h"
#include "ModalAnswerer.h"
#include "PaneLayout.h"
#include "PipView.h"
#include "Quillo.h"
#include "RecordingFake.h"
#include "RecordingTray.h"
#include "Screenshot.h"
#include "SettingImpl.h"
#include "SpotlightFake.h"
#include "TestEnvironment.h"
#include "TestMedia.h"
#include "ToolsPanel.h"
#include "UploadFake.h"
#include "VideoControlPanel.h"
#include "VideoFake.h"
#include "VisorFake.h"
#include "WebCamFake.h"
#include "WidgetModeToolBar.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <QScopeGuard>

#include <memory>
#include <optional>
#include <thread>

namespace {

// The recording service's status values: idle, running, paused.
constexpr uint kIdle = RecordingIntf::RECORDING_STATUS_IDLE;
constexpr uint kRunning = RecordingIntf::RECORDING_STATUS_RECORDING | RecordingIntf::RECORDING_STATUS_RUNNING;
constexpr uint kPaused = RecordingIntf::RECORDING_STATUS_RECORDING | RecordingIntf::RECORDING_STATUS_PAUSED;
// Long enough for a 100 ms slide on a loaded machine.
constexpr int kSlideWaitMs = 2000;

// Fakes whose views take the size they are given, as the real services' views do, with a 4:3 camera and a
// 16:9 web cam.
class CameraFake : public LumoVisionFake
{
public:
    CameraFake()
    {
        setAnswerFunction(QStringLiteral("cameraWidgetSizeFor"), [](const QVariantList &args) {
            return QVariant(QSize(4, 3).scaled(args.value(0).toSize(), Qt::KeepAspectRatio));
        });
    }
    void resizeCameraWidget(const QSize &size) override
    {
        LumoVisionFake::resizeCameraWidget(size);
        cameraWidget()->resize(size);
    }
};

class WebCamSizedFake : public WebCamFake
{
public:
    // Its own behaviour rather than an answer: not every test lays the web cam out.
    QSize webCamWidgetSizeFor(const QSize &area) override
    {
        WebCamFake::webCamWidgetSizeFor(area);
        return QSize(16, 9).scaled(area, Qt::KeepAspectRatio);
    }
    void resizeWebCamWidget(const QSize &size) override
    {
        WebCamFake::resizeWebCamWidget(size);
        webCamWidget()->resize(size);
    }
};

class VideoSizedFake : public VideoFake
{
public:
    void resizeVideo(const QSize &size) override
    {
        VideoFake::resizeVideo(size);
        videoWidget()->resize(size);
    }
};

// The media library, which can look at the window while it saves a recording.
class LibraryFake : public MediaLibraryFake
{
public:
    using MediaLibraryFake::MediaLibraryFake;
    void processRecordedFiles(QList<QString> files) override
    {
        MediaLibraryFake::processRecordedFiles(files);
        if (whileSaving)
            whileSaving();
    }
    std::function<void()> whileSaving;
};

// What the settings hold before the window is built.
struct SavedPanels
{
    bool notFirst = false;
    bool toolsPanel = false;
    bool mediaLib = false;
};

void writeSettings(const SavedPanels &saved)
{
    SettingImpl *settings = SettingImpl::getInstance();
    settings->setValue(QStringLiteral("NOT_FIRST_TIME_LAUNCH"), saved.notFirst);
    settings->setValue(QStringLiteral("TOOLS_PANEL_STATUS"), saved.toolsPanel);
    settings->setValue(QStringLiteral("MEDIA_LIB_STATUS"), saved.mediaLib);
    settings->release();
}

QString settingsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + QStringLiteral("/Settings.ini");
}

// The image pane: of the two image widgets, the one holding the drawing surface.
QWidget *imagePane(QWidget *central)
{
    for (QWidget *widget : central->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (QByteArray(widget->metaObject()->className()) == "ImageWidget"
            && widget->findChild<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            return widget;
    }
    return nullptr;
}

// The window over fake services, the way main builds it. The services' views live on the central widget
// as the real ones do. By default it is a later start with both panels in, sized like a small classroom
// screen.
struct Rig
{
    // Ends any dialog a test leaves open, after everything else here is gone.
    DialogWatchdog watchdog;
    CameraFake camera;
    WebCamSizedFake webCam;
    AnnotationFake annotation;
    RecordingFake recording;
    CaptureFake capture;
    // Made by the window's providers, on its central widget.
    VideoSizedFake *video = nullptr;
    std::unique_ptr<LibraryFake> library;
    std::unique_ptr<VisorFake> visor;
    std::unique_ptr<SpotlightFake> spotlight;
    std::unique_ptr<Quillo> window;

    explicit Rig(const SavedPanels &saved = {true, true, true}, bool cameraConnected = true)
    {
        QFile::remove(settingsFile());
        writeSettings(saved);
        camera.setAnswer(QStringLiteral("isDocCamConnected"), cameraConnected);
        recording.setActionStatus(kIdle);
        capture.setActionStatus(7u);
        video = nullptr;

        QuilloServices services;
        services.video = [this](QWidget *parent) {
            video = new VideoSizedFake;
            video->videoWidget()->setParent(parent);
            return video;
        };
        services.settings = []() -> SettingIntf * { return SettingImpl::getInstance(); };
        services.annotation = [this]() -> AnnotationIntf * { return &annotation; };
        services.docCam = [this](QWidget *parent) -> LumoVisionIntf * {
            camera.cameraWidget()->setParent(parent);
            return &camera;
        };
        services.webCam = [this](QWidget *parent) -> WebCamIntf * {
            webCam.webCamWidget()->setParent(parent);
            return &webCam;
        };
        services.mediaLibrary = [this](QWidget *parent) -> MediaLibraryIntf * {
            library = std::make_unique<LibraryFake>(parent);
            library->widget()->resize(300, 500);
            return library.get();
        };
        services.recording = [this]() -> RecordingIntf * { return &recording; };
        services.capture = [this]() -> CaptureIntf * { return &capture; };
        services.visor = [this](QWidget *parent) -> VisorIntf * {
            visor = std::make_unique<VisorFake>(parent);
            return visor.get();
        };
        services.spotlight = [this](QWidget *parent) -> SpotlightIntf * {
            spotlight = std::make_unique<SpotlightFake>(parent);
            return spotlight.get();
        };
        window = std::make_unique<Quillo>(services);
        window->resize(1200, 800);
        // The panels' state machines and the window's first layout run from the event loop.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    ~Rig() { window.reset(); }

    QWidget *central() const { return window->centralWidget(); }
    QWidget *tab(const char *name) const { return formChild<QWidget>(*window, name); }
    QAction *gradeCamAction() const { return formChild<QAction>(*window, "actionGradeCam"); }
    ToolsPanel *toolsPanel() const { return central()->findChild<ToolsPanel *>(QString(), Qt::FindDirectChildrenOnly); }
    QWidget *libraryPanel() const { return library->widget(); }
    ImageControlPanel *imagePanel() const { return central()->findChild<ImageControlPanel *>(); }
    VideoControlPanel *videoPanel() const { return central()->findChild<VideoControlPanel *>(); }
    PipView *pip() const { return central()->findChild<PipView *>(); }
    QMenuBar *menuBar() const { return window->menuBar(); }
    QSystemTrayIcon *tray() const { return window->findChild<QSystemTrayIcon *>(); }
    QMenu *trayMenu() const { return tray()->contextMenu(); }
    QAction *trayAction(int index) const { return trayMenu()->actions().at(index); }
    QTimer *counterTimer() const { return window->findChild<RecordingTray *>()->findChild<QTimer *>(); }
    WidgetModeToolBar *bar() const
    {
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (auto *found = qobject_cast<WidgetModeToolBar *>(top))
                return found;
        }
        return nullptr;
    }
    QAbstractButton *toolsRecordButton() const { return formChild<QAbstractButton>(*toolsPanel(), "recordBtn"); }
    QAbstractButton *barRecordButton() const { return formChild<QAbstractButton>(*bar(), "recordingBtn"); }

    // A file that exists, in the test's home.
    static QString existingFile(const QString &name)
    {
        const QString path = TestEnvironment::home() + QStringLiteral("/") + name;
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write("x");
        return path;
    }
};

std::unique_ptr<QMimeData> urlsData(const QList<QUrl> &urls)
{
    auto data = std::make_unique<QMimeData>();
    data->setUrls(urls);
    return data;
}

// A picture the image widget can load.
QString writeImage(const QString &name)
{
    const QString path = TestEnvironment::home() + QStringLiteral("/") + name;
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    image.save(path, "PNG");
    return path;
}

} // namespace

class TestQuillo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();

    void constructsHiddenPartsAndTray();
    void firstStartShowsBothPanelsThenPutsThemAway();
    void laterStartRestoresThePanels_data();
    void laterStartRestoresThePanels();
    void cameraConnectionRunsTheWindowFirst();
    void cameraLossClearsItsDrawingAndGradeState();
    void gradingWithoutAnAddressKeepsTheCamera();

    void splitModesPlaceTheirSources_data();
    void splitModesPlaceTheirSources();
    void controlPanelsSitAtTheMediaPanesFoot();
    void webCamViewIsShownOnlyWhenHidden();
    void pipCornersTurnAndAreKept();
    void sideTabsFollowTheClientHeight();

    void dropsOfOneImageOrVideo_data();
    void dropsOfOneImageOrVideo();
    void dragOverTheLibraryPanelIsLeftToIt();
    void imageRequestWhileAVideoPlays();
    void anImageThatDoesNotLoad();
    void aPictureWhoseDataIsBrokenGoesBack_data();
    void aPictureWhoseDataIsBrokenGoesBack();
    void aVideoThatDoesNotPlayLeavesFullDisplay_data();
    void aVideoThatDoesNotPlayLeavesFullDisplay();
    void aRecordingLearnsItsLengthWhilePlaying();
    void realFullScreenOnAndOff();
    void videoFullScreenKeepsItsBar();

    void slidesEndInOrOut();
    void presenterModeRemembersThePanels();
    void widgetModeMovesTheCameraIntoTheBar();
    void aDestroyedWindowTakesItsBarAlong();

    void recordingShowsTrayAndCounts();
    void stopRecord_data();
    void stopRecord();
    void forcedStopHandsOnTheFilesThatExist_data();
    void forcedStopHandsOnTheFilesThatExist();
    void handingFilesOverInWidgetModeCollapsesTheBar_data();
    void handingFilesOverInWidgetModeCollapsesTheBar();
    void pauseStopsTheCounterAndResumeRestartsIt();
    void aClickOnTheTrayIconOpensItsMenu();
    void noStopInsideAnotherDialog();
    void menusOpenTheirDialogs();
    void anotherSaveFolderIsShownInTheLibrary();
    void aDesktopResizeStopsTheRecording();

    void closeAsksTheServicesInOrder_data();
    void closeAsksTheServicesInOrder();
    void closeInPresenterModeSavesTheLayoutFromBefore();
    void aRecordingStoppedByTheCloseIsOfferedOrShown_data();
    void aRecordingStoppedByTheCloseIsOfferedOrShown();

    void settingsNoticesAreSaidOnceInTheWindow();
    void anUnwritableDataFolderIsSaidInTheWindow();
};

void TestQuillo::cleanup()
{
    MediaFileStore::getInstance()->setShowingImage(QString());
    MediaFileStore::getInstance()->setPlayingVideo(QString());
}

void TestQuillo::constructsHiddenPartsAndTray()
{
    Rig rig;
    QCOMPARE(rig.window->objectName(), QStringLiteral("Quillo"));
    QCOMPARE(rig.window->windowTitle(), QStringLiteral("Quillo"));
    QVERIFY(rig.window->isVisible());
    QCOMPARE(rig.window->displayMode(), int(PaneLayout::OneSplit));
    QVERIFY(rig.pip()->isHidden());
    QVERIFY(rig.videoPanel()->isHidden());
    QVERIFY(rig.imagePanel()->isHidden());
    QVERIFY(rig.webCam.webCamWidget()->isHidden());
    QVERIFY(rig.visor->widget()->isHidden());
    QVERIFY(rig.spotlight->widget()->isHidden());
    QVERIFY(rig.bar() && rig.bar()->isHidden());
    QVERIFY(!rig.bar()->parent());

    QVERIFY(!rig.tray()->isVisible());
    QStringList texts;
    for (QAction *action : rig.trayMenu()->actions())
        texts << action->text();
    QCOMPARE(texts, QStringList({"Recording 00:00:00", "Stop Record", "Mute", "Pause"}));
    QVERIFY(!rig.trayAction(0)->isEnabled());
    QVERIFY(rig.trayAction(2)->isCheckable() && rig.trayAction(3)->isCheckable());
    QVERIFY(!rig.counterTimer()->isActive());

    QStringList menus;
    for (QAction *action : rig.menuBar()->actions())
        menus << action->text();
    QCOMPARE(menus, QStringList({"Quillo", "Help"}));
    QVERIFY(rig.gradeCamAction()->isEnabled());
}

void TestQuillo::firstStartShowsBothPanelsThenPutsThemAway()
{
    Rig rig(SavedPanels{false, true, true});
    QVERIFY(rig.window->isToolsPanelShown());
    QVERIFY(rig.window->isMediaLibShown());
    QVERIFY(rig.toolsPanel()->isVisible());
    QVERIFY(rig.libraryPanel()->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(rig.toolsPanel()->y(), 0, kSlideWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(rig.libraryPanel()->x(), 0, kSlideWaitMs);

    // The five-second timer's target.
    QMetaObject::invokeMethod(rig.window.get(), "hideToolsPanelAndMediaLib");
    QVERIFY(!rig.window->isToolsPanelShown());
    QVERIFY(!rig.window->isMediaLibShown());
    QTRY_COMPARE_WITH_TIMEOUT(rig.toolsPanel()->y(), -rig.toolsPanel()->height(), kSlideWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(rig.libraryPanel()->x(), -rig.libraryPanel()->width(), kSlideWaitMs);
    QVERIFY(rig.tab("tpShowHideBtn")->isVisible());
    QVERIFY(rig.tab("mlShowHideBtn")->isVisible());
}

void TestQuillo::laterStartRestoresThePanels_data()
{
    QTest::addColumn<bool>("toolsIn");
    QTest::addColumn<bool>("libraryIn");
    QTest::newRow("both in") << true << true;
    QTest::newRow("tools out") << false << true;
    QTest::newRow("library out") << true << false;
    QTest::newRow("both out") << false << false;
}

void TestQuillo::laterStartRestoresThePanels()
{
    QFETCH(bool, toolsIn);
    QFETCH(bool, libraryIn);
    Rig rig(SavedPanels{true, toolsIn, libraryIn});
    QCOMPARE(rig.window->isToolsPanelShown(), toolsIn);
    QCOMPARE(rig.window->isMediaLibShown(), libraryIn);
    QVERIFY(rig.toolsPanel()->isVisible());
    QVERIFY(rig.libraryPanel()->isVisible());
    QCOMPARE(rig.toolsPanel()->y(), toolsIn ? 0 : -rig.toolsPanel()->height());
    if (!libraryIn)
        QCOMPARE(rig.libraryPanel()->x(), -rig.libraryPanel()->width());
    QCOMPARE(rig.tab("tpShowHideBtn")->isVisible(), !toolsIn);
    QCOMPARE(rig.tab("mlShowHideBtn")->isVisible(), !libraryIn);
    // Over a library panel that is in, the menu tab lies flat on the panel's top edge.
    const QRect menuTab = rig.tab("tpShowHideBtn")->geometry();
    if (libraryIn)
        QCOMPARE(menuTab,
                 QRect(rig.libraryPanel()->x(), rig.libraryPanel()->y() - 17, rig.libraryPanel()->width(), 30));
    else
        QCOMPARE(menuTab.size(), QSize(25, 130));
}

void TestQuillo::cameraConnectionRunsTheWindowFirst()
{
    Rig rig({true, true, true}, false);
    QAbstractButton *panelButton = formChild<QAbstractButton>(*rig.toolsPanel(), "docCamBtn");
    QAbstractButton *barButton = formChild<QAbstractButton>(*rig.bar(), "docCamBtn");
    QVERIFY(!rig.gradeCamAction()->isEnabled());
    QWidget *canvas = rig.camera.cameraWidget()->findChild<QWidget *>();
    QVERIFY(canvas && canvas->isHidden());
    QVERIFY(!panelButton->isEnabled());

    // The window lays out the panes inside its slot; what the panels show at that moment tells whether
    // theirs ran yet.
    std::optional<bool> panelEnabledDuringWindowSlot;
    std::optional<bool> barEnabledDuringWindowSlot;
    rig.camera.setAnswerFunction(QStringLiteral("cameraWidgetSizeFor"), [&](const QVariantList &args) {
        if (!panelEnabledDuringWindowSlot) {
            panelEnabledDuringWindowSlot = panelButton->isEnabled();
            barEnabledDuringWindowSlot = barButton->isEnabled();
        }
        return QVariant(args.value(0).toSize());
    });
    rig.camera.connectCamera(QStringLiteral("Desk camera"));
    QCOMPARE(panelEnabledDuringWindowSlot, std::optional<bool>(false));
    QCOMPARE(barEnabledDuringWindowSlot, std::optional<bool>(false));
    QVERIFY(panelButton->isEnabled());
    QVERIFY(barButton->isEnabled());
    QVERIFY(rig.gradeCamAction()->isEnabled());
    QVERIFY(!canvas->isHidden());
}

void TestQuillo::cameraLossClearsItsDrawingAndGradeState()
{
    Rig rig;
    MessageBoxScript script;
    setGradingServiceLoginPage(QUrl(QStringLiteral("https://grading.test.invalid/login")));
    script.answerNext(QMessageBox::Yes);
    QMetaObject::invokeMethod(rig.window.get(), "actionGradeCamClicked");
    QCOMPARE(rig.camera.count(QStringLiteral("releaseDocCam")), 1);
    QCOMPARE(TestEnvironment::openedUrls().size(), 1);
    TestEnvironment::clearOpenedUrls();
    QCOMPARE(rig.gradeCamAction()->text(), QStringLiteral("Reconnect"));

    QWidget *canvas = rig.camera.cameraWidget()->findChild<QWidget *>();
    rig.annotation.clearCalls();
    rig.camera.disconnectCamera();
    QVERIFY(canvas->isHidden());
    QCOMPARE(rig.annotation.count(QStringLiteral("clearCanvas")), 1);
    QCOMPARE(rig.annotation.lastArgs(QStringLiteral("clearCanvas")),
             QVariantList({QVariant::fromValue(canvas), true, true}));
    QVERIFY(!rig.gradeCamAction()->isEnabled());
    QCOMPARE(rig.gradeCamAction()->text(), QStringLiteral("GradeCam"));
}

void TestQuillo::gradingWithoutAnAddressKeepsTheCamera()
{
    Rig rig;
    MessageBoxScript script;
    setGradingServiceLoginPage(QUrl());
    TestEnvironment::clearOpenedUrls();
    QMetaObject::invokeMethod(rig.window.get(), "actionGradeCamClicked");
    QCOMPARE(script.shown().size(), 1);
    QCOMPARE(script.lastText(), QStringLiteral("The grading service is not set up in this build."));
    QCOMPARE(rig.camera.count(QStringLiteral("releaseDocCam")), 0);
    QVERIFY(TestEnvironment::openedUrls().isEmpty());
    QCOMPARE(rig.gradeCamAction()->text(), QStringLiteral("GradeCam"));
}

void TestQuillo::splitModesPlaceTheirSources_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("webCamShown");
    QTest::addColumn<bool>("noMediaShown");
    QTest::newRow("one view") << "becomeOneSplit" << 0 << false << false;
    QTest::newRow("picture in picture") << "becomePipSplit" << 1 << true << false;
    QTest::newRow("doc cam and web cam") << "becomeDWTwoSplit" << 2 << true << false;
    QTest::newRow("doc cam and media") << "becomeDMTwoSplit" << 3 << false << true;
    QTest::newRow("doc cam large") << "becomeDThreeSplit" << 4 << true << true;
    QTest::newRow("web cam large") << "becomeWThreeSplit" << 5 << true << true;
    QTest::newRow("media large") << "becomeMThreeSplit" << 6 << true << true;
}

void TestQuillo::splitModesPlaceTheirSources()
{
    QFETCH(QString, slot);
    QFETCH(int, mode);
    QFETCH(bool, webCamShown);
    QFETCH(bool, noMediaShown);
    Rig rig;
    QSignalSpy modes(rig.window.get(), &MainWindowIntf::splitModeChange);
    QVERIFY(QMetaObject::invokeMethod(rig.window.get(), slot.toLatin1().constData()));
    QCOMPARE(modes.count(), 1);
    QCOMPARE(modes.first().first().toInt(), mode);
    QCOMPARE(rig.window->displayMode(), mode);

    const int menuBar = rig.menuBar()->height();
    const PaneLayout::Panes panes = PaneLayout::computePaneRects(mode, rig.window->size(), rig.central()->size());
    const std::array<int, 4> sources = PaneLayout::paneSources(mode);
    QWidget *camera = rig.camera.cameraWidget();
    QWidget *webCam = rig.webCam.webCamWidget();
    for (int pane = 1; pane <= 3; ++pane) {
        const QRect rect = panes.pane(pane);
        switch (sources[pane - 1]) {
        case PaneLayout::DocCamSource:
            QCOMPARE(camera->geometry().center(), rect.center());
            QCOMPARE(camera->size(), QSize(4, 3).scaled(rect.size(), Qt::KeepAspectRatio));
            break;
        case PaneLayout::WebCamSource:
            QCOMPARE(webCam->geometry().center(), rect.center());
            break;
        default:
            break;
        }
    }
    QVERIFY(!camera->isHidden());
    QCOMPARE(!webCam->isHidden(), webCamShown);
    QCOMPARE(rig.pip()->isVisible(), mode == PaneLayout::PipSplit);
    QWidget *noMedia = nullptr;
    for (auto *widget : rig.central()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (QByteArray(widget->metaObject()->className()) == "ImageWidget" && widget->isVisible())
            noMedia = widget;
    }
    QCOMPARE(noMedia != nullptr, noMediaShown);
    if (noMedia)
        QCOMPARE(noMedia->geometry(), PaneLayout::noMediaRect(mode, panes, rig.videoPanel()->height()));
    Q_UNUSED(menuBar);
}

void TestQuillo::controlPanelsSitAtTheMediaPanesFoot()
{
    Rig rig;
    const QString picture = writeImage(QStringLiteral("panel.png"));
    rig.window->becomeDThreeSplit();
    rig.window->imgRequestToShow(picture);
    QCOMPARE(rig.window->displayMode(), int(PaneLayout::DThreeSplit));
    QVERIFY(rig.imagePanel()->isVisible());
    const PaneLayout::Panes panes = PaneLayout::computePaneRects(PaneLayout::DThreeSplit, rig.window->size(),
                                                                 rig.central()->size());
    const QRect place = PaneLayout::controlPanelRect(PaneLayout::DThreeSplit, panes, rig.menuBar()->height(),
                                                     rig.imagePanel()->height());
    QCOMPARE(rig.imagePanel()->geometry(), place);
    QCOMPARE(rig.videoPanel()->geometry(), place);
    // The picture is fitted into the pane above the panel.
    QWidget *image = imagePane(rig.central());
    QVERIFY(image && image->isVisible());
    QVERIFY(panes.pane3.contains(image->geometry()));
    QVERIFY(image->geometry().bottom() < place.top());
}

void TestQuillo::webCamViewIsShownOnlyWhenHidden()
{
    Rig rig;
    rig.window->becomeDWTwoSplit();
    QCOMPARE(rig.webCam.count(QStringLiteral("showWebCam")), 1);
    // Entering a mode again (each resize does) does not reopen a shown web cam.
    rig.window->becomeDWTwoSplit();
    QCOMPARE(rig.webCam.count(QStringLiteral("showWebCam")), 1);
    rig.webCam.clearCalls();
    rig.window->becomeOneSplit();
    rig.window->becomeOneSplit();
    QCOMPARE(rig.webCam.count(QStringLiteral("hideWebCam")), 2);
}

void TestQuillo::pipCornersTurnAndAreKept()
{
    Rig rig;
    rig.window->becomePipSplit();
    PipView *pip = rig.pip();
    QWidget *webCam = rig.webCam.webCamWidget();
    QCOMPARE(webCam->parentWidget(), pip);
    // The web cam's 16:9 picture fitted into 350 x 350.
    QCOMPARE(pip->size(), QSize(350, 196));
    const QSize central = rig.central()->size();
    QCOMPARE(pip->pos(), QPoint(central.width() - 350, 0));
    QAbstractButton *move = formChild<QAbstractButton>(*pip, "btnMove");
    QCOMPARE(move->geometry().bottomRight(), pip->rect().bottomRight());

    const QList<QPoint> corners{{central.width() - 350, central.height() - 196},
                                {0, central.height() - 196},
                                {0, 0},
                                {central.width() - 350, 0}};
    for (const QPoint &corner : corners) {
        move->click();
        QCOMPARE(pip->pos(), corner);
    }
    move->click();
    rig.window->becomeOneSplit();
    QCOMPARE(webCam->parentWidget(), rig.central());
    QVERIFY(pip->isHidden());
    rig.window->becomePipSplit();
    QCOMPARE(pip->pos(), corners.first());
}

void TestQuillo::sideTabsFollowTheClientHeight()
{
    Rig rig({true, false, false});
    rig.window->resize(1200, 701);
    QCOMPARE(rig.tab("tpShowHideBtn")->geometry(), QRect(0, 271, 25, 130));
    QCOMPARE(rig.tab("mlShowHideBtn")->geometry(), QRect(0, 353, 25, 130));
    QCOMPARE(rig.libraryPanel()->y(), 350 - rig.libraryPanel()->height() / 2);
    QCOMPARE(rig.toolsPanel()->x(), (1200 - rig.toolsPanel()->width()) / 2);
}

void TestQuillo::dropsOfOneImageOrVideo_data()
{
    QTest::addColumn<int>("startMode");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("previousMode");
    QTest::newRow("upper-case image in one view") << 0 << QStringList{"Board.JPG"} << true << 7 << 0;
    QTest::newRow("tiff in doc cam and web cam") << 2 << QStringList{"x.tiff"} << true << 7 << 2;
    QTest::newRow("video in picture in picture") << 1 << QStringList{"Clip.AVI"} << true << 8 << 1;
    QTest::newRow("image in web cam large") << 5 << QStringList{"x.png"} << true << 5 << 0;
    QTest::newRow("two files") << 0 << QStringList{"a.png", "b.png"} << false << 0 << 0;
    QTest::newRow("another kind") << 0 << QStringList{"x.gif"} << false << 0 << 0;
}

void TestQuillo::dropsOfOneImageOrVideo()
{
    QFETCH(int, startMode);
    QFETCH(QStringList, names);
    QFETCH(bool, accepted);
    QFETCH(int, mode);
    QFETCH(int, previousMode);
    Rig rig({true, false, false});
    const std::array<const char *, 7> modeSlots{"becomeOneSplit",   "becomePipSplit",    "becomeDWTwoSplit",
                                                "becomeDMTwoSplit", "becomeDThreeSplit", "becomeWThreeSplit",
                                                "becomeMThreeSplit"};
    QMetaObject::invokeMethod(rig.window.get(), modeSlots[startMode]);
    QList<QUrl> urls;
    for (const QString &name : names)
        urls << QUrl::fromLocalFile(name.endsWith(QLatin1String(".AVI")) ? Rig::existingFile(name) : writeImage(name));
    const std::unique_ptr<QMimeData> data = urlsData(urls);
    const QPoint at(rig.window->width() / 2, rig.window->height() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(rig.window.get(), &enter);
    QCOMPARE(enter.isAccepted(), accepted);
    QDropEvent drop(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(rig.window.get(), &drop);
    QCOMPARE(rig.window->displayMode(), mode);
    if (accepted && startMode <= 2)
        QCOMPARE(rig.window->previousDisplayMode(), previousMode);
    QCOMPARE(rig.window->mediaKind(), accepted ? (names.first().endsWith(QLatin1String(".AVI")) ? 1 : 0) : 2);
}

void TestQuillo::dragOverTheLibraryPanelIsLeftToIt()
{
    Rig rig;
    QWidget *panel = rig.libraryPanel();
    QTRY_COMPARE_WITH_TIMEOUT(panel->x(), 0, kSlideWaitMs);
    const std::unique_ptr<QMimeData> data = urlsData({QUrl::fromLocalFile(writeImage(QStringLiteral("over.png")))});
    const QPoint overPanel = panel->geometry().center() + QPoint(0, rig.menuBar()->height());
    QDragEnterEvent enter(overPanel, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(rig.window.get(), &enter);
    QVERIFY(!enter.isAccepted());
    const QPoint beside(panel->geometry().right() + 50, panel->geometry().center().y());
    QDragEnterEvent enterBeside(beside, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(rig.window.get(), &enterBeside);
    QVERIFY(enterBeside.isAccepted());
}

void TestQuillo::imageRequestWhileAVideoPlays()
{
    Rig rig;
    const QString clip = Rig::existingFile(QStringLiteral("clip.avi"));
    rig.video->setAnswer(QStringLiteral("attachVideo"), 0);
    rig.video->setAnswer(QStringLiteral("start"), 0);
    rig.video->setAnswer(QStringLiteral("videoPath"), clip);
    auto *media = new MediaFake(clip);
    rig.window->videoObjRequestToPlay(media);
    media->release();
    QCOMPARE(rig.window->displayMode(), int(PaneLayout::VideoFullDisplay));
    QCOMPARE(rig.window->previousDisplayMode(), int(PaneLayout::OneSplit));
    QCOMPARE(MediaFileStore::getInstance()->playingVideo(), clip);

    rig.video->setAnswer(QStringLiteral("actionStatus"), VideoIntf::ACTION_PLAYING | VideoIntf::ACTION_NOT_STOPPED);
    rig.video->clearCalls();
    rig.window->imgRequestToShow(writeImage(QStringLiteral("slide.png")));
    QCOMPARE(rig.window->displayMode(), int(PaneLayout::ImageFullDisplay));
    QCOMPARE(rig.window->previousDisplayMode(), int(PaneLayout::OneSplit));
    QCOMPARE(rig.window->mediaKind(), 0);
    const QStringList calls = rig.video->callNames();
    QVERIFY(calls.indexOf(QStringLiteral("pause")) >= 0);
    QVERIFY(calls.indexOf(QStringLiteral("stop")) > calls.indexOf(QStringLiteral("pause")));
    QVERIFY(rig.video->videoWidget()->isHidden());
    QVERIFY(MediaFileStore::getInstance()->playingVideo().isEmpty());

    // Closing full display goes back to where it started.
    formChild<QAbstractButton>(*rig.imagePanel(), "closeBtn")->click();
    QCOMPARE(rig.window->displayMode(), int(PaneLayout::OneSplit));
    QCOMPARE(rig.window->mediaKind(), 2);
    QVERIFY(MediaFileStore::getInstance()->showingImage().isEmpty());
}

void TestQuillo::anImageThatDoesNotLoad()
{
    Rig rig;
    MessageBoxScript script;
    const QString broken = Rig::existingFile(QStringLiteral(".png"));
    rig.window->imgRequestToShow(broken);
    QCOMPARE(script.shown().size(), 1);
    QCOMPARE(script.shown().first().text, QStringLiteral("Invalid format."));
    QCOMPARE(rig.window->displayMode(), int(PaneLayout::OneSplit));
    QCOMPARE(rig.window->mediaKind(), 2);
    // A file not on screen can be renamed and deleted again.
    QVERIFY(MediaFileStore::getInstance()->showingImage().isEmpty());
}

void TestQuillo::aPictureWhoseDataIsBrokenGoesBack_data()
{
    QTest::addColumn<int>("startMode");
    QTest::newRow("full display from one split") << int(PaneLayout::OneSplit);
    QTest::newRow("in the media pane of two") << int(PaneLayout::DMTwoSplit);
}

// The header reads, so the window goes on as for a picture; the decode then fails and the window goes back
// as for a file refused at once, with every button the full display disabled given back.
void TestQuillo::aPictureWhoseDataIsBrokenGoesBack()
{
    QFETCH(int, startMode);
    Rig rig;
    MessageBoxScript script;
    if (startMode == PaneLayout::DMTwoSplit)
        rig.window->becomeDMTwoSplit();
    const QString broken = TestMedia::writeFile(TestEnvironment::home() + QStringLiteral("/cut.png"),
                                                TestMedia::cutPng(QSize(1600, 1200)));
    QSignalSpy full(rig.window.get(), &MainWindowIntf::isFullDisplayMode);
    rig.window->imgRequestToShow(broken);
    QCOMPARE(rig.window->mediaKind(), 0);
    QTRY_COMPARE(rig.window->mediaKind(), 2);
    QCOMPARE(script.shown().size(), 1);
    QCOMPARE(script.shown().first().text, QStringLiteral("Invalid format."));
    QCOMPARE(rig.window->displayMode(), startMode);
    QVERIFY(MediaFileStore::getInstance()->showingImage().isEmpty());
    if (!full.isEmpty())
        QCOMPARE(full.last().first().toBool(), false);
    for (const char *button : {"splitBtn", "widgetModeBtn", "docCamBtn"})
        QVERIFY2(formChild<QAbstractButton>(*rig.toolsPanel(), button)->isEnabled(), button);
    QWidget *noMedia = nullptr;
    for (QWidget *widget : rig.central()->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (QByteArray(widget->metaObject()->className()) == "ImageWidget" && widget != imagePane(rig.central()))
            noMedia = widget;
    }
    QVERIFY(noMedia);
    QCOMPARE(noMedia->isVisible(), startMode == PaneLayout::DMTwoSplit);
    QVERIFY(!imagePane(rig.central())->isVisible());
    QVERIFY(!Screenshot::save(rig.window.get(), QStringLiteral("broken-picture-%1").arg(startMode)).isEmpty());
}

void TestQuillo::aVideoThatDoesNotPlayLeavesFullDisplay_data()
{
    QTest::addColumn<int>("attached");
    QTest::addColumn<int>("started");
    QTest::addColumn<QList<bool>>("announced");
    QTest::newRow("cannot attach") << -1 << 0 << QList<bool>{true, false};
    QTest::newRow("cannot start") << 0 << -1 << QList<bool>{};
}

void TestQuillo::aVideoThatDoesNotPlayLeavesFullDisplay()
{
    QFETCH(int, attached);
    QFETCH(int, started);
    QFETCH(QList<bool>, announced);
    Rig rig;
    const QString clip = Rig::existingFile(QStringLiteral("stuck.avi"));
    rig.video->setAnswer(QStringLiteral("attachVideo"), attached);
    // A clip that cannot be attached is never started; 0 is what the fake answers otherwise.
    if (started != 0)
        rig.video->setAnswer(QStringLiteral("start"), started);
    QSignalSpy full(rig.window.get(), &MainWindowIntf::isFullDisplayMode);
    auto *media = new MediaFake(clip);
    rig.window->videoObjRequestToPlay(media);
    media->release();
    QCOMPARE(rig.window->displayMode(), int(PaneLayout::OneSplit));
    QCOMPARE(rig.window->mediaKind(), 2);
    QVERIFY(MediaFileStore::getInstance()->playingVideo().isEmpty());
    QList<bool> heard;
    for (const QList<QVariant> &signal : full)
        heard << signal.first().toBool();
    // Whatever was announced on the way, the panels last hear that full display is over.
    QCOMPARE(heard, announced);
    QVERIFY(formChild<QAbstractButton>(*rig.toolsPanel(), "splitBtn")->isEnabled());
}

void TestQuillo::aRecordingLearnsItsLengthWhilePlaying()
{
    Rig rig;
    const QString clip = Rig::existingFile(QStringLiteral("unclosed.avi"));
    rig.video->setAnswer(QStringLiteral("attachVideo"), 0);
    rig.video->setAnswer(QStringLiteral("start"), 0);
    rig.video->setAnswer(QStringLiteral("getTotalVideoLengthInSeconds"), 0);
    auto *media = new MediaFake(clip);
    rig.window->videoObjRequestToPlay(media);
    media->release();
    QSlider *jog = formChild<QSlider>(*rig.videoPanel(), "jogSlider");
    QCOMPARE(jog->maximum(), 0);
    rig.video->setAnswer(QStringLiteral("getTotalVideoLengthInSeconds"), 95);
    rig.video->setActionStatus(VideoIntf::ACTION_PLAYING | VideoIntf::ACTION_NOT_STOPPED);
    QCOMPARE(jog->maximum(), 95);
}

void TestQuillo::realFullScreenOnAndOff()
{
    Rig rig;
    rig.window->imgRequestToShow(writeImage(QStringLiteral("full.png")));
    QAbstractButton *fullScreen = formChild<QAbstractButton>(*rig.imagePanel(), "fullScreenBtn");
    fullScreen->click();
    QVERIFY(rig.window->isImageFullScreen());
    QVERIFY(rig.menuBar()->isHidden());
    QVERIFY(rig.toolsPanel()->isHidden());
    QVERIFY(rig.libraryPanel()->isHidden());
    QVERIFY(rig.tab("tpShowHideBtn")->isHidden() && rig.tab("mlShowHideBtn")->isHidden());
    QVERIFY(rig.window->windowState() & Qt::WindowFullScreen);
    QWidget *image = imagePane(rig.central());
    QVERIFY(image && image->isVisible());
    QCOMPARE(rig.imagePanel()->y(), image->y() + image->height() - 1);
    QCOMPARE(rig.imagePanel()->width(), rig.central()->width());

    QSignalSpy modes(rig.window.get(), &MainWindowIntf::splitModeChange);
    QTest::keyClick(rig.window.get(), Qt::Key_Escape);
    QVERIFY(!rig.window->isImageFullScreen());
    QVERIFY(!fullScreen->isChecked());
    QVERIFY(!rig.menuBar()->isHidden());
    QVERIFY(rig.toolsPanel()->isVisible());
    QVERIFY(!(rig.window->windowState() & Qt::WindowFullScreen));
    QCOMPARE(rig.window->displayMode(), int(PaneLayout::ImageFullDisplay));
}

// The window reaches the screen's size after the switch, as under a window manager: the bar must follow
// the video there, stay above it, and take the user back out with a click on its button.
void TestQuillo::videoFullScreenKeepsItsBar()
{
    Rig rig;
    rig.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.window.get()));
    const QString clip = Rig::existingFile(QStringLiteral("lesson.avi"));
    rig.video->setAnswer(QStringLiteral("attachVideo"), 0);
    rig.video->setAnswer(QStringLiteral("start"), 0);
    rig.video->setAnswer(QStringLiteral("getTotalVideoLengthInSeconds"), 60);
    auto *media = new MediaFake(clip);
    rig.window->videoObjRequestToPlay(media);
    media->release();
    QWidget *view = rig.video->videoWidget();
    VideoControlPanel *panel = rig.videoPanel();
    QVERIFY(view->isVisible() && panel->isVisible());
    auto *fullScreen = formChild<QAbstractButton>(*panel, "fullScreenBtn");
    const QSize screen = rig.window->screen()->geometry().size();

    QTest::mouseClick(fullScreen, Qt::LeftButton);
    QVERIFY(rig.window->isVideoFullScreen());
    QTRY_COMPARE(rig.window->size(), screen);
    QCoreApplication::processEvents();
    QCOMPARE(panel->geometry(), QRect(0, view->y() + view->height() - 1, rig.central()->width(), panel->height()));
    QVERIFY(rig.central()->rect().contains(panel->geometry()));
    QVERIFY(panel->isVisible());
    // Nothing lies over the button: a click on its middle reaches it.
    const QPoint middle = fullScreen->mapTo(rig.central(), fullScreen->rect().center());
    QCOMPARE(rig.central()->childAt(middle), fullScreen);
    QVERIFY(!Screenshot::save(rig.window.get(), QStringLiteral("video-full-screen")).isEmpty());

    QTest::mouseClick(rig.central()->childAt(middle), Qt::LeftButton);
    QVERIFY(!rig.window->isVideoFullScreen());
    QVERIFY(!fullScreen->isChecked());
    QVERIFY(!(rig.window->windowState() & Qt::WindowFullScreen));
    QVERIFY(rig.menuBar()->isVisible());
    QCOMPARE(rig.window->displayMode(), int(PaneLayout::VideoFullDisplay));
    QVERIFY(panel->isVisible());
}

void TestQuillo::slidesEndInOrOut()
{
    Rig rig({true, false, true});
    QTRY_COMPARE_WITH_TIMEOUT(rig.libraryPanel()->x(), 0, kSlideWaitMs);
    rig.tab("tpShowHideBtn")->metaObject()->invokeMethod(rig.tab("tpShowHideBtn"), "clicked");
    QVERIFY(rig.window->isToolsPanelShown());
    QVERIFY(rig.tab("tpShowHideBtn")->isHidden());
    QTRY_COMPARE_WITH_TIMEOUT(rig.toolsPanel()->y(), 0, kSlideWaitMs);

    emit rig.toolsPanel()->toolPanelClosed();
    QVERIFY(!rig.window->isToolsPanelShown());
    QVERIFY(rig.tab("tpShowHideBtn")->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(rig.toolsPanel()->y(), -rig.toolsPanel()->height(), kSlideWaitMs);

    // A show cut short by a close still ends where the close says, with the tab laid vertically.
    emit rig.library->widgetClosed();
    rig.window->mediaLibPanelShow();
    emit rig.library->widgetClosed();
    QVERIFY(!rig.window->isMediaLibShown());
    QTRY_COMPARE_WITH_TIMEOUT(rig.libraryPanel()->x(), -rig.libraryPanel()->width(), kSlideWaitMs);
    QTest::qWait(300);
    QCOMPARE(rig.libraryPanel()->x(), -rig.libraryPanel()->width());
    QCOMPARE(rig.tab("tpShowHideBtn")->size(), QSize(25, 130));
    QVERIFY(rig.tab("mlShowHideBtn")->isVisible());
}

void TestQuillo::presenterModeRemembersThePanels()
{
    Rig rig({true, true, true});
    rig.window->showUpVisor();
    QVERIFY(rig.window->isPresenterMode());
    QVERIFY(!rig.window->isToolsPanelShown() && !rig.window->isMediaLibShown());
    QVERIFY(rig.visor->widget()->isVisible());
    QCOMPARE(rig.visor->lastArgs(QStringLiteral("resize")), QVariantList{rig.central()->size()});
    QCOMPARE(rig.visor->widget()->pos(), QPoint(0, 0));

    // Switching to the other effect keeps the layout from before presenter mode.
    rig.window->showUpSpotlight();
    QVERIFY(rig.visor->widget()->isHidden());
    QVERIFY(rig.spotlight->widget()->isVisible());
    rig.spotlight->pressClose();
    QVERIFY(!rig.window->isPresenterMode());
    QVERIFY(rig.window->isToolsPanelShown());
    QVERIFY(rig.window->isMediaLibShown());
    QTRY_COMPARE_WITH_TIMEOUT(rig.toolsPanel()->y(), 0, kSlideWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(rig.libraryPanel()->x(), 0, kSlideWaitMs);
}

void TestQuillo::widgetModeMovesTheCameraIntoTheBar()
{
    Rig rig;
    QWidget *camera = rig.camera.cameraWidget();
    WidgetModeToolBar *bar = rig.bar();
    formChild<QAbstractButton>(*rig.toolsPanel(), "widgetModeBtn")->click();
    QVERIFY(rig.window->isWidgetMode());
    QVERIFY(!rig.window->isVisible());
    QVERIFY(bar->isVisible());
    QWidget *container = bar->getVisionContainer();
    QCOMPARE(camera->parentWidget(), container);
    QVERIFY(!camera->isHidden());
    QCOMPARE(camera->size(), QSize(350, 262));
    QCOMPARE(bar->size(), QSize(350, 262 + 50));
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    QCOMPARE(bar->pos(), QPoint(available.right() - 350 + 1, available.top()));

    formChild<QAbstractButton>(*bar, "returnNormalModeBtn")->click();
    QVERIFY(!rig.window->isWidgetMode());
    QVERIFY(rig.window->isVisible());
    QVERIFY(bar->isHidden());
    QCOMPARE(camera->parentWidget(), rig.central());
}

void TestQuillo::aDestroyedWindowTakesItsBarAlong()
{
    Rig rig;
    QPointer<WidgetModeToolBar> bar = rig.bar();
    rig.window->becomeWidgetMode();
    QCOMPARE(rig.camera.cameraWidget()->parentWidget(), bar->getVisionContainer());
    rig.window.reset();
    QVERIFY(bar.isNull());
    // The camera view went back to the window and with it.
    QVERIFY(!rig.camera.cameraWidget());
    QCOMPARE(rig.recording.count(QStringLiteral("release")), 1);
    QCOMPARE(rig.camera.count(QStringLiteral("release")), 1);
}

void TestQuillo::recordingShowsTrayAndCounts()
{
    Rig rig;
    rig.trayAction(2)->setChecked(true);
    rig.window->startRecording();
    QVERIFY(rig.tray()->isVisible());
    QVERIFY(!rig.trayAction(2)->isChecked() && !rig.trayAction(3)->isChecked());
    QVERIFY(rig.counterTimer()->isActive());
    QCOMPARE(rig.counterTimer()->interval(), 1000);
    for (int second = 0; second < 3723; ++second)
        rig.window->recordingCounterCount();
    QCOMPARE(rig.trayAction(0)->text(), QStringLiteral("Recording 01:02:03"));
}

void TestQuillo::stopRecord_data()
{
    QTest::addColumn<uint>("status");
    QTest::addColumn<int>("result");
    QTest::addColumn<uint>("statusAfter");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<bool>("stopAsked");
    QTest::addColumn<bool>("handedOn");
    QTest::addColumn<bool>("trayShown");
    QTest::addColumn<bool>("counting");
    QTest::addColumn<bool>("recordChecked");
    QTest::newRow("nothing records") << kIdle << 0 << kIdle << QStringList() << false << false << true << true << false;
    QTest::newRow("stopped with a file") << kRunning << 0 << kIdle << QStringList{"one.avi"} << true << true << false
                                         << false << false;
    QTest::newRow("stopped without files")
        << kRunning << 0 << kIdle << QStringList() << true << false << false << false << false;
    QTest::newRow("failed, still running")
        << kRunning << -1 << kRunning << QStringList() << true << false << true << true << true;
    QTest::newRow("failed, still paused")
        << kPaused << -1 << kPaused << QStringList() << true << false << true << false << true;
    QTest::newRow("failed, then ended") << kRunning << -1 << kIdle << QStringList() << true << false << false << false
                                        << false;
}

void TestQuillo::stopRecord()
{
    QFETCH(uint, status);
    QFETCH(int, result);
    QFETCH(uint, statusAfter);
    QFETCH(QStringList, files);
    QFETCH(bool, stopAsked);
    QFETCH(bool, handedOn);
    QFETCH(bool, trayShown);
    QFETCH(bool, counting);
    QFETCH(bool, recordChecked);
    Rig rig;
    rig.recording.setActionStatus(status);
    rig.window->startRecording();
    rig.window->recordingCounterCount();
    QStringList paths;
    for (const QString &file : files)
        paths << Rig::existingFile(file);
    // Only a row that asks the service to stop sets what the stop answers.
    if (stopAsked) {
        rig.recording.setAnswer(QStringLiteral("stopRecording.files"), paths);
        // As the service does, a stop that changes the status reports it before it returns.
        rig.recording.setAnswerFunction(QStringLiteral("stopRecording"), [&](const QVariantList &) {
            if (statusAfter != status)
                rig.recording.setActionStatus(statusAfter);
            return QVariant(result);
        });
    }

    // The user stops through the tool panel's record button, which unchecks it.
    if (rig.toolsRecordButton()->isChecked())
        rig.toolsRecordButton()->click();
    else
        rig.window->stopRecord();
    QCOMPARE(rig.recording.count(QStringLiteral("stopRecording")), stopAsked ? 1 : 0);
    QCOMPARE(rig.library->count(QStringLiteral("processRecordedFiles")), handedOn ? 1 : 0);
    if (handedOn)
        QCOMPARE(rig.library->lastArgs(QStringLiteral("processRecordedFiles")), QVariantList{paths});
    QCOMPARE(rig.tray()->isVisible(), trayShown);
    QCOMPARE(rig.counterTimer()->isActive(), counting);
    QCOMPARE(rig.toolsRecordButton()->isChecked(), recordChecked);
    QCOMPARE(rig.barRecordButton()->isChecked(), recordChecked);
    const bool reset = stopAsked && result >= 0;
    QCOMPARE(rig.trayAction(0)->text(),
             reset ? QStringLiteral("Recording 00:00:00") : QStringLiteral("Recording 00:00:01"));
}

void TestQuillo::forcedStopHandsOnTheFilesThatExist_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("missing");
    QTest::addColumn<QStringList>("handedOn");
    QTest::newRow("disk removed") << -4001 << QStringList{"a.avi"} << QStringList() << QStringList();
    QTest::newRow("disk full, all there")
        << -4000 << QStringList{"a.avi", "b.avi"} << QStringList() << QStringList{"a.avi", "b.avi"};
    QTest::newRow("disk full, second gone")
        << -4000 << QStringList{"a.avi"} << QStringList{"b.avi"} << QStringList{"a.avi"};
    QTest::newRow("disk full, all gone") << -4000 << QStringList() << QStringList{"a.avi"} << QStringList();
    QTest::newRow("close check") << 0 << QStringList() << QStringList() << QStringList();
}

void TestQuillo::forcedStopHandsOnTheFilesThatExist()
{
    QFETCH(int, code);
    QFETCH(QStringList, present);
    QFETCH(QStringList, missing);
    QFETCH(QStringList, handedOn);
    Rig rig;
    rig.window->startRecording();
    rig.window->recordingCounterCount();
    QList<QString> files;
    for (const QString &name : present)
        files << Rig::existingFile(name);
    for (const QString &name : missing) {
        files << TestEnvironment::home() + QStringLiteral("/") + name;
        QFile::remove(files.last());
    }
    emit rig.recording.recordStopped(code, files);
    QVERIFY(!rig.tray()->isVisible());
    QVERIFY(!rig.counterTimer()->isActive());
    QCOMPARE(rig.trayAction(0)->text(), QStringLiteral("Recording 00:00:00"));
    QStringList expected;
    for (const QString &name : handedOn)
        expected << TestEnvironment::home() + QStringLiteral("/") + name;
    QCOMPARE(rig.library->count(QStringLiteral("processRecordedFiles")), expected.isEmpty() ? 0 : 1);
    if (!expected.isEmpty())
        QCOMPARE(rig.library->lastArgs(QStringLiteral("processRecordedFiles")), QVariantList{expected});
}

void TestQuillo::handingFilesOverInWidgetModeCollapsesTheBar_data()
{
    QTest::addColumn<bool>("collapsed");
    // Collapsed by its button, then back to normal mode and into widget mode again, which expands the bar.
    QTest::addColumn<bool>("reentered");
    QTest::newRow("expanded") << false << false;
    QTest::newRow("collapsed") << true << false;
    QTest::newRow("collapsed, then widget mode again") << false << true;
}

void TestQuillo::handingFilesOverInWidgetModeCollapsesTheBar()
{
    QFETCH(bool, collapsed);
    QFETCH(bool, reentered);
    Rig rig;
    rig.window->becomeWidgetMode();
    WidgetModeToolBar *bar = rig.bar();
    if (collapsed)
        bar->showHideVision(true);
    if (reentered) {
        formChild<QAbstractButton>(*bar, "showHideBtn")->click();
        QVERIFY(bar->isVisionHidden());
        rig.window->leaveWidgetMode();
        rig.window->becomeWidgetMode();
        QVERIFY(!bar->isVisionHidden());
    }
    std::optional<bool> hiddenWhileSaving;
    rig.library->whileSaving = [&] { hiddenWhileSaving = bar->isVisionHidden(); };
    const QString file = Rig::existingFile(QStringLiteral("widget.avi"));
    emit rig.recording.recordStopped(-4000, {file});
    QCOMPARE(rig.library->count(QStringLiteral("processRecordedFiles")), 1);
    QCOMPARE(bar->isVisionHidden(), collapsed);
    QCOMPARE(hiddenWhileSaving, std::optional<bool>(true));
    QVERIFY(!rig.barRecordButton()->isChecked());
}

void TestQuillo::pauseStopsTheCounterAndResumeRestartsIt()
{
    Rig rig;
    rig.window->startRecording();
    rig.trayAction(3)->trigger();
    QVERIFY(!rig.counterTimer()->isActive());
    QCOMPARE(rig.recording.count(QStringLiteral("pauseRecording")), 1);
    rig.trayAction(3)->trigger();
    QVERIFY(rig.counterTimer()->isActive());
    QCOMPARE(rig.recording.count(QStringLiteral("resumeRecording")), 1);
    rig.trayAction(2)->trigger();
    QCOMPARE(rig.recording.lastArgs(QStringLiteral("setMute")), QVariantList{true});
}

void TestQuillo::aClickOnTheTrayIconOpensItsMenu()
{
    Rig rig;
    rig.window->startRecording();
    emit rig.tray()->activated(QSystemTrayIcon::DoubleClick);
    QVERIFY(!rig.trayMenu()->isVisible());
    emit rig.tray()->activated(QSystemTrayIcon::Trigger);
    QVERIFY(rig.trayMenu()->isVisible());
    rig.trayMenu()->hide();
}

void TestQuillo::noStopInsideAnotherDialog()
{
    Rig rig;
    rig.recording.setActionStatus(kRunning);
    rig.window->startRecording();
    // The tray's menu works while another dialog is open; the stop waits until that dialog is closed, and the
    // user is told so once, however often the stop is asked for.
    MessageBoxScript script;
    QDialog other(rig.window.get());
    int callsWhileOpen = -1;
    QTimer::singleShot(0, &other, [&] {
        rig.trayAction(1)->trigger();
        rig.trayAction(1)->trigger();
        QTest::qWait(500);
        callsWhileOpen = rig.recording.count(QStringLiteral("stopRecording"));
        other.reject();
    });
    other.exec();
    QCOMPARE(callsWhileOpen, 0);
    QCOMPARE(script.shown().size(), 1);
    QCOMPARE(script.lastText(), QStringLiteral("The recording stops when the open dialog is closed."));
    QCOMPARE(script.shown().first().parent, &other);
    QTRY_COMPARE(rig.recording.count(QStringLiteral("stopRecording")), 1);
    QVERIFY(!rig.tray()->isVisible());
}

void TestQuillo::menusOpenTheirDialogs()
{
    Rig rig;
    QString title;
    ModalAnswerer about([&](QWidget *modal) {
        title = modal->windowTitle();
        qobject_cast<QDialog *>(modal)->reject();
    });
    rig.menuBar()->actions().at(1)->menu()->actions().first()->trigger();
    QVERIFY(about.answered());
    QCOMPARE(title, QStringLiteral("About Quillo"));

    QString settingsClass;
    ModalAnswerer settings([&](QWidget *modal) {
        settingsClass = QString::fromLatin1(modal->metaObject()->className());
        qobject_cast<QDialog *>(modal)->reject();
    });
    formChild<QAction>(*rig.window, "actionSetting")->trigger();
    QVERIFY(settings.answered());
    QCOMPARE(settingsClass, QStringLiteral("SettingDialog"));
}

// The library follows a save folder changed in the settings, and only a change.
void TestQuillo::anotherSaveFolderIsShownInTheLibrary()
{
    Rig rig;
    const QString other = TestEnvironment::home() + QStringLiteral("/Other captures");
    QVERIFY(QDir().mkpath(other));
    const auto openSettings = [&rig](const std::function<void()> &inside) {
        ModalAnswerer answerer([&inside](QWidget *modal) {
            inside();
            qobject_cast<QDialog *>(modal)->reject();
        });
        formChild<QAction>(*rig.window, "actionSetting")->trigger();
        QVERIFY(answerer.answered());
    };
    openSettings([] {});
    QCOMPARE(rig.library->count(QStringLiteral("showSaveFolder")), 0);
    openSettings([&other] {
        SettingImpl *settings = SettingImpl::getInstance();
        settings->setSavePath(other);
        settings->release();
    });
    QCOMPARE(rig.library->count(QStringLiteral("showSaveFolder")), 1);
}

void TestQuillo::aDesktopResizeStopsTheRecording()
{
    Rig rig;
    rig.recording.setActionStatus(kRunning);
    rig.window->getResolutionChangedToResize();
    QCOMPARE(rig.recording.count(QStringLiteral("stopRecording")), 1);

    // In widget mode the window stays hidden behind the bar.
    rig.recording.setActionStatus(kRunning);
    rig.window->becomeWidgetMode();
    rig.window->getResolutionChangedToResize();
    QTest::qWait(200);
    QVERIFY(!rig.window->isVisible());
    QCOMPARE(rig.recording.count(QStringLiteral("stopRecording")), 2);
}

void TestQuillo::closeAsksTheServicesInOrder_data()
{
    QTest::addColumn<int>("recording");
    QTest::addColumn<int>("capture");
    QTest::addColumn<int>("upload");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("captureAsked");
    QTest::addColumn<bool>("uploadAsked");
    QTest::newRow("nothing running") << 0 << 0 << 0 << true << true << true;
    QTest::newRow("recording kept") << -3000 << 0 << 0 << false << false << false;
    QTest::newRow("time lapse kept") << 0 << -3000 << 0 << false << true << false;
    QTest::newRow("stop failed, uploads scheduled") << 1000 << 0 << 1000 << true << true << true;
    QTest::newRow("uploads kept") << 0 << 0 << -1 << false << true << true;
    QTest::newRow("capture answers oddly") << 0 << 5 << 0 << false << true << true;
}

void TestQuillo::closeAsksTheServicesInOrder()
{
    QFETCH(int, recording);
    QFETCH(int, capture);
    QFETCH(int, upload);
    QFETCH(bool, closes);
    QFETCH(bool, captureAsked);
    QFETCH(bool, uploadAsked);
    Rig rig({true, true, false});
    UploadFake uploads;
    rig.recording.setAnswer(QStringLiteral("confirmExitWhileRecording"), recording);
    if (captureAsked)
        rig.capture.setAnswer(QStringLiteral("confirmExit"), capture);
    if (uploadAsked)
        uploads.setAnswer(QStringLiteral("confirmExit"), upload);
    rig.window->startRecording();
    QFile::remove(settingsFile());

    QCloseEvent event;
    QApplication::sendEvent(rig.window.get(), &event);
    QCOMPARE(event.isAccepted(), closes);
    QCOMPARE(rig.window->canClose(), closes);
    QCOMPARE(rig.capture.count(QStringLiteral("confirmExit")), captureAsked ? 1 : 0);
    QCOMPARE(uploads.count(QStringLiteral("confirmExit")), uploadAsked ? 1 : 0);
    // A stopped recording's files stay where they were written; the tray is reset once the recording
    // service agreed.
    QCOMPARE(rig.library->count(QStringLiteral("processRecordedFiles")), 0);
    QCOMPARE(rig.tray()->isVisible(), recording < 0);

    QSettings saved(settingsFile(), QSettings::IniFormat);
    QCOMPARE(saved.contains(QStringLiteral("NOT_FIRST_TIME_LAUNCH")), closes);
    if (closes) {
        QCOMPARE(saved.value(QStringLiteral("NOT_FIRST_TIME_LAUNCH")).toBool(), true);
        QCOMPARE(saved.value(QStringLiteral("TOOLS_PANEL_STATUS")).toBool(), true);
        QCOMPARE(saved.value(QStringLiteral("MEDIA_LIB_STATUS")).toBool(), false);
    }
}

void TestQuillo::closeInPresenterModeSavesTheLayoutFromBefore()
{
    Rig rig({true, true, true});
    rig.window->showUpSpotlight();
    QCloseEvent event;
    QApplication::sendEvent(rig.window.get(), &event);
    QVERIFY(event.isAccepted());
    QSettings saved(settingsFile(), QSettings::IniFormat);
    QCOMPARE(saved.value(QStringLiteral("TOOLS_PANEL_STATUS")).toBool(), true);
    QCOMPARE(saved.value(QStringLiteral("MEDIA_LIB_STATUS")).toBool(), true);
}

void TestQuillo::aRecordingStoppedByTheCloseIsOfferedOrShown_data()
{
    QTest::addColumn<int>("capture");
    QTest::addColumn<int>("upload");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("offered");
    QTest::addColumn<bool>("told");
    QTest::newRow("the exit goes on") << 0 << 0 << QByteArray("avi") << true << false << true;
    QTest::newRow("time lapse kept") << -3000 << 0 << QByteArray("avi") << false << true << false;
    QTest::newRow("uploads kept") << 0 << -1 << QByteArray("avi") << false << true << false;
    QTest::newRow("capture answers oddly") << 5 << 0 << QByteArray("avi") << false << true << false;
    QTest::newRow("an empty file holds no recording") << -3000 << 0 << QByteArray() << false << false << false;
}

// The check stopped the recording; its file is the user's: offered for saving when the window stays, and its
// place said when the program goes.
void TestQuillo::aRecordingStoppedByTheCloseIsOfferedOrShown()
{
    QFETCH(int, capture);
    QFETCH(int, upload);
    QFETCH(QByteArray, content);
    QFETCH(bool, closes);
    QFETCH(bool, offered);
    QFETCH(bool, told);
    Rig rig;
    MessageBoxScript script;
    UploadFake uploads;
    const QString recorded = TestMedia::writeFile(TestEnvironment::home() + QStringLiteral("/closing.avi"), content);
    rig.recording.setAnswer(QStringLiteral("confirmExitWhileRecording"), 0);
    rig.recording.setAnswer(QStringLiteral("confirmExitWhileRecording.files"), QList<QString>{recorded});
    rig.capture.setAnswer(QStringLiteral("confirmExit"), capture);
    // A time lapse kept ends the close before the uploads are asked.
    if (capture != -3000)
        uploads.setAnswer(QStringLiteral("confirmExit"), upload);
    rig.window->startRecording();

    QCloseEvent event;
    QApplication::sendEvent(rig.window.get(), &event);
    QCOMPARE(event.isAccepted(), closes);
    QCOMPARE(rig.library->count(QStringLiteral("processRecordedFiles")), offered ? 1 : 0);
    if (offered)
        QCOMPARE(rig.library->lastArgs(QStringLiteral("processRecordedFiles")), QVariantList{QStringList{recorded}});
    QCOMPARE(script.shown().size(), told ? 1 : 0);
    if (told)
        QVERIFY2(script.lastText().contains(recorded), qPrintable(script.lastText()));
    QVERIFY(!rig.tray()->isVisible());
}

// The settings service comes upon a missing media folder on any thread; the window says it once, over
// itself, and again only after the folder was back and went again.
void TestQuillo::settingsNoticesAreSaidOnceInTheWindow()
{
    Rig rig;
    const QString stick = TestEnvironment::home() + QStringLiteral("/stick");
    QDir(stick).removeRecursively();
    SettingImpl *settings = SettingImpl::getInstance();
    const auto release = qScopeGuard([settings] { settings->release(); });
    QVERIFY(settings->setSavePath(stick));
    QString text;
    QWidget *parent = nullptr;
    ModalAnswerer answerer([&](QWidget *modal) {
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            text = box->text();
            parent = box->parentWidget();
            QVERIFY(!Screenshot::save(box, QStringLiteral("media-folder-missing")).isEmpty());
            box->accept();
        }
    });
    QString used;
    std::thread capture([&] { used = settings->getSavePath(); });
    capture.join();
    QCOMPARE(used, SettingImpl::defaultMediaFolder());
    QTRY_VERIFY(answerer.answered());
    QVERIFY2(text.contains(stick) && text.contains(QDir::toNativeSeparators(SettingImpl::defaultMediaFolder())),
             qPrintable(text));
    QCOMPARE(parent, rig.window.get());

    MessageBoxScript script;
    settings->getSavePath();
    QTest::qWait(50);
    QVERIFY(script.shown().isEmpty());
    QVERIFY(QDir().mkpath(stick));
    QCOMPARE(settings->getSavePath(), stick + QStringLiteral("/"));
    QVERIFY(QDir(stick).removeRecursively());
    settings->getSavePath();
    QTRY_COMPARE(script.shown().size(), 1);
    QCOMPARE(settings->value(QStringLiteral("savePath")).toString(), stick);
}

// A data folder that cannot be made (a file stands in its path): the window names it once.
void TestQuillo::anUnwritableDataFolderIsSaidInTheWindow()
{
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    const auto restore = qScopeGuard([dataHome] { qputenv("XDG_DATA_HOME", dataHome); });
    const QString blocker = TestEnvironment::home() + QStringLiteral("/not-a-folder");
    QFile(blocker).open(QIODevice::WriteOnly);
    qputenv("XDG_DATA_HOME", QFile::encodeName(blocker + QStringLiteral("/data")));
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    MessageBoxScript script;
    Rig rig;
    QTRY_COMPARE(script.shown().size(), 1);
    QVERIFY2(script.lastText().contains(QDir::toNativeSeparators(folder)), qPrintable(script.lastText()));
    QCOMPARE(script.shown().first().parent, rig.window.get());
    // Closing writes the panels' state, which fails again without a second box.
    QCloseEvent event;
    QApplication::sendEvent(rig.window.get(), &event);
    QTest::qWait(50);
    QCOMPARE(script.shown().size(), 1);
}

QUILLO_TEST_MAIN(TestQuillo)
#include "tst_Quillo.moc"
