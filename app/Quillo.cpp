#include "Quillo.h"
#include "ui_Quillo.h"

#include "AboutDialog.h"
#include "AnnotationIntf.h"
#include "CaptureIntf.h"
#include "PaneLayout.h"
#include "GradingServicePage.h"
#include "ImageControlPanel.h"
#include "ImageWidget.h"
#include "LumoVisionIntf.h"
#include "MediaDrop.h"
#include "MediaFileStore.h"
#include "MediaIntf.h"
#include "MediaLibraryIntf.h"
#include "MessageBoxes.h"
#include "ModuleLog.h"
#include "PipView.h"
#include "RecordingCounter.h"
#include "RecordingIntf.h"
#include "SettingDialog.h"
#include "SettingImpl.h"
#include "SettingIntf.h"
#include "SpotlightIntf.h"
#include "ToolsPanel.h"
#include "UploadAccess.h"
#include "UploadIntf.h"
#include "VideoControlPanel.h"
#include "VideoIntf.h"
#include "VisorIntf.h"
#include "WebCamIntf.h"
#include "WidgetModeToolBar.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTimer>

namespace {

ModuleLog windowLog("quillo/app");

// The panels' slides: short enough to feel immediate, long enough to show where the panel went.
constexpr int kSlideMs = 100;
// On the first start both panels stay in this long, so the user sees where they live, then slide out.
constexpr int kFirstStartPanelsMs = 5000;
// The stacking is restored once more after the window and its services have settled on the screen.
constexpr int kRaiseAgainMs = 500;
// After a change of the desktop's resolution the window maximises again once the screen has settled.
constexpr int kRemaximiseMs = 100;
// A recording is stopped only outside other modal loops (its save dialog is modal itself); until the open
// dialog closes the stop is tried again at this pace.
constexpr int kStopRetryMs = 200;
// The balloon's time on screen when a recording starts.
constexpr int kBalloonMs = 10000;
constexpr int kCounterTickMs = 1000;

// Running, not paused: the counter goes on.
constexpr uint kRecordingRunning = RecordingIntf::RECORDING_STATUS_RECORDING | RecordingIntf::RECORDING_STATUS_RUNNING;

// The status word recordingStatusChangedUI() is given carries the sound's state in this bit, set while sound
// is recorded; the recording service's own mask has no such bit.
constexpr uint kSoundOn = 16;

// The recording ended because its disk was removed: its files cannot be offered.
constexpr int kRecordingDiskRemoved = -4001;
// A service's close answers that still let the program quit.
constexpr int kCloseGranted = 0;
constexpr int kCloseGrantedAfterFailure = 1000;

const QString kNotFirstLaunchKey = QStringLiteral("NOT_FIRST_TIME_LAUNCH");
const QString kToolsPanelKey = QStringLiteral("TOOLS_PANEL_STATUS");
const QString kMediaLibKey = QStringLiteral("MEDIA_LIB_STATUS");

// The side tabs at the left edge: "Menu" brings the tool panel, "Media Library" the library panel. Over
// a library panel that is in, the "Menu" tab lies flat along the panel's top edge instead.
const QSize kSideTabSize(25, 130);
constexpr int kMenuTabTextHeight = 88;
constexpr int kMenuTabOverPanelTextHeight = 18;

// Heights are of the window's client area: the tabs sit around its middle, "Media Library" below "Menu".
int mediaLibTabY(int clientHeight)
{
    return clientHeight / 2 + 3;
}

int mediaLibPanelY(int clientHeight, int panelHeight)
{
    return (clientHeight - 1) / 2 - panelHeight / 2;
}

void centerWidgetIn(QWidget *widget, const QRect &area)
{
    if (widget)
        widget->move(PaneLayout::centeredIn(widget->size(), area));
}

} // namespace

Quillo::Quillo(QWidget *parent)
    : Quillo(QuilloServices::system(), parent)
{
}

Quillo::Quillo(const QuilloServices &services, QWidget *parent)
    : MainWindowIntf(parent)
    , ui(std::make_unique<Ui::Quillo>())
{
    ui->setupUi(this);
    // Plain: the program's own word, as the tray texts below.
    QAction *about = ui->menuHelp->addAction(QStringLiteral("About"));
    connect(about, &QAction::triggered, this, &Quillo::showAboutDialog);
    setAcceptDrops(true);

    QWidget *centralWidget = ui->centralwidget;
    m_video = services.video(centralWidget);
    m_settings = services.settings();
    // Before any other service reads the settings: what they come upon reaches the user here, on the GUI
    // thread, whichever thread came upon it.
    SettingImpl::setNoticeHandler([this](SettingImpl::Notice notice, const QString &folder) {
        QMetaObject::invokeMethod(this, [this, notice, folder] { showSettingsNotice(int(notice), folder); },
                                  Qt::QueuedConnection);
    });
    m_annotation = services.annotation();

    m_imageWidget = new ImageWidget(centralWidget);
    connect(m_imageWidget, &ImageWidget::decodeFailed, this, &Quillo::imageDecodeFailed);
    m_noMediaWidget = new ImageWidget(centralWidget);
    m_imageCanvas = m_annotation->createCanvas(m_imageWidget->width(), m_imageWidget->height(), m_imageWidget, 0, false);
    m_imageControlPanel = new ImageControlPanel(centralWidget);
    m_imageControlPanel->setMainWindow(this);
    m_imageControlPanel->hide();
    m_noMediaWidget->hide();

    m_docCam = services.docCam(centralWidget);
    if (QWidget *view = docCamView())
        m_docCamCanvas = m_annotation->createCanvas(view->width(), view->height(), view, 0, false);
    if (!m_docCam->isDocCamConnected() && m_docCamCanvas)
        m_docCamCanvas->hide();

    m_webCam = services.webCam(centralWidget);
    m_webCam->hideWebCam();
    connect(m_webCam, &WebCamIntf::currentWebCamDisconnected, this, &Quillo::curWebCamDisconnected);
    connect(m_webCam, &WebCamIntf::webCamListChanged, this, &Quillo::getWebCamListChanged);
    connect(m_docCam, &LumoVisionIntf::docCamConnected, this, &Quillo::getDocCamConnected);
    connect(m_docCam, &LumoVisionIntf::docCamDisconnected, this, &Quillo::getDocCamDisConntect);

    m_mediaLibrary = services.mediaLibrary(centralWidget);
    if (QWidget *panel = mediaLibPanel())
        panel->hide();

    m_recording = services.recording();
    m_capture = services.capture();

    m_toolsPanel = new ToolsPanel(centralWidget);
    m_toolsPanel->setMainWindow(this);
    m_toolsPanel->setDocCamService(m_docCam);
    m_toolsPanel->setCaptureService(m_capture);
    m_toolsPanel->setRecordingService(m_recording);
    m_toolsPanel->setAnnotationService(m_annotation);
    m_toolsPanel->hide();

    m_widgetBar = std::make_unique<WidgetModeToolBar>();
    m_widgetBar->setMainWindow(this);
    m_widgetBar->setCaptureService(m_capture);
    m_widgetBar->setDocCamService(m_docCam);
    m_widgetBar->setRecordingService(m_recording);
    m_widgetBar->hide();

    m_pipView = new PipView(centralWidget);
    m_pipRect = m_pipView->geometry();
    m_pipView->hide();
    connect(m_pipView, &PipView::movePressed, this, &Quillo::pipMove);

    m_videoControlPanel = new VideoControlPanel(centralWidget);
    m_videoControlPanel->setVideo(m_video);
    m_videoControlPanel->setMainWindow(this);
    m_videoControlPanel->hide();

    m_visor = services.visor(centralWidget);
    m_visor->hide();
    connect(m_visor, &VisorIntf::visorClosed, this, &Quillo::leavePresenterMode);
    m_spotlight = services.spotlight(centralWidget);
    m_spotlight->hide();
    connect(m_spotlight, &SpotlightIntf::spotlightClosed, this, &Quillo::leavePresenterMode);

    m_trayIcon = new QSystemTrayIcon(QIcon(QStringLiteral(":/Image/Tray_Record")), this);
    m_trayIcon->setToolTip(QStringLiteral("Click to stop"));
    m_trayMenu = new QMenu(this);
    m_counterAction = new QAction(RecordingCounter::text(0), this);
    m_counterAction->setEnabled(false);
    m_stopRecordAction = new QAction(QStringLiteral("Stop Record"), this);
    m_pauseAction = new QAction(QStringLiteral("Pause"), this);
    m_muteAction = new QAction(QStringLiteral("Mute"), this);
    m_pauseAction->setCheckable(true);
    m_muteAction->setCheckable(true);
    m_counterTimer = new QTimer(this);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, &Quillo::recordStopTrayTriggered);
    connect(m_counterTimer, &QTimer::timeout, this, &Quillo::recordingCounterCount);
    connect(m_stopRecordAction, &QAction::triggered, this, &Quillo::stopRecord);
    connect(m_muteAction, &QAction::triggered, this, &Quillo::muteUnmuteRecord);
    connect(m_pauseAction, &QAction::triggered, this, &Quillo::playPauseRecord);
    m_trayMenu->addAction(m_counterAction);
    m_trayMenu->addAction(m_stopRecordAction);
    m_trayMenu->addAction(m_muteAction);
    m_trayMenu->addAction(m_pauseAction);
    m_trayMenu->adjustSize();
    m_trayIcon->setContextMenu(m_trayMenu);

    m_settingDialog = new SettingDialog(m_settings, m_recording, m_video, m_webCam, this);

    ui->actionGradeCam->setEnabled(m_docCam->isDocCamConnected());

    connect(m_recording, &RecordingIntf::recordStopped, this, &Quillo::recordForceStopped);
    connect(m_video, &VideoIntf::actionStatusChanged, this, &Quillo::videoStatusControl);
    connect(m_video, &VideoIntf::progressUpdated, m_videoControlPanel, &VideoControlPanel::videoPlaybackCurrentTime);
    connect(m_video, &VideoIntf::ended, m_videoControlPanel, &VideoControlPanel::videoEnded);
    connect(m_docCam, &LumoVisionIntf::zoomRatioChanged, this, &Quillo::visionZoomRatioChanged);
    connect(m_docCam, &LumoVisionIntf::rotationChanged, this, &Quillo::visionRotationChanged);
    connect(m_docCam, &LumoVisionIntf::mirrorChanged, this, &Quillo::visionMirrorChanged);
    connect(m_mediaLibrary, &MediaLibraryIntf::playVideoRequested, this, &Quillo::videoObjRequestToPlay);
    connect(m_mediaLibrary, &MediaLibraryIntf::showImageRequested, this, &Quillo::imgRequestToShow);
    connect(m_mediaLibrary, &MediaLibraryIntf::widgetClosed, this, &Quillo::mediaLibPanelClose);
    connect(m_mediaLibrary, &MediaLibraryIntf::widgetResized, this, &Quillo::mediaLibPanelResized);
    connect(m_toolsPanel, &ToolsPanel::toolPanelClosed, this, &Quillo::toolPanelHide);
    connect(ui->mlShowHideBtn, &VerticalTextButton::clicked, this, &Quillo::mediaLibPanelShow);
    connect(ui->tpShowHideBtn, &VerticalTextButton::clicked, this, &Quillo::toolPanelShow);
    connect(ui->actionSetting, &QAction::triggered, this, &Quillo::showSettingPanel);
    // A change of the desktop's size: the primary screen's full geometry, not its available part, which
    // moves with every panel the desktop shows or hides and would stop a running recording each time.
    followPrimaryScreen(QGuiApplication::primaryScreen());
    connect(qApp, &QGuiApplication::primaryScreenChanged, this, [this](QScreen *screen) {
        followPrimaryScreen(screen);
        getResolutionChangedToResize();
    });

    becomeOneSplit();
    showMaximized();

    QWidget *libraryPanel = mediaLibPanel();
    if (!m_settings->value(kNotFirstLaunchKey).toBool()) {
        m_toolsPanel->show();
        if (libraryPanel)
            libraryPanel->show();
        toolPanelShow();
        mediaLibPanelShow();
        QTimer::singleShot(kFirstStartPanelsMs, this, &Quillo::hideToolsPanelAndMediaLib);
    } else {
        if (m_settings->value(kToolsPanelKey).toBool()) {
            m_toolsPanel->show();
            m_toolsPanelShown = true;
            ui->tpShowHideBtn->hide();
        } else {
            m_toolsPanel->move(m_toolsPanel->x(), -m_toolsPanel->height());
            m_toolsPanel->show();
            ui->tpShowHideBtn->show();
        }
        if (m_settings->value(kMediaLibKey).toBool()) {
            if (libraryPanel)
                libraryPanel->show();
            m_mediaLibShown = true;
            ui->mlShowHideBtn->hide();
            placeToolsPanelTab(false);
        } else {
            if (libraryPanel) {
                libraryPanel->move(-libraryPanel->width(), libraryPanel->y());
                libraryPanel->show();
            }
            ui->mlShowHideBtn->show();
            placeToolsPanelTab(true);
        }
    }
    QTimer::singleShot(kRaiseAgainMs, this, &Quillo::raiseUpAllControlWidgets);
}

Quillo::~Quillo()
{
    // The widgets that point at services go first, while every service still exists; then the services
    // are given back. The camera view leaves the bar before the bar goes, without any layout.
    SettingImpl::setNoticeHandler({});
    if (QWidget *view = docCamView(); view && m_widgetBar && view->parentWidget() == m_widgetBar->getVisionContainer())
        view->setParent(central());
    m_widgetBar.reset();
    delete m_settingDialog;
    delete m_toolsPanel;
    delete m_imageWidget;
    delete m_videoControlPanel;
    delete m_video;
    m_settings->release();
    m_annotation->release();
    m_docCam->release();
    m_webCam->release();
    m_mediaLibrary->release();
    m_recording->release();
    m_capture->release();
    m_visor->release();
    m_spotlight->release();
}

QWidget *Quillo::central() const
{
    return ui->centralwidget;
}

QWidget *Quillo::docCamView() const
{
    return m_docCam ? m_docCam->cameraWidget() : nullptr;
}

QWidget *Quillo::webCamView() const
{
    return m_webCam ? m_webCam->webCamWidget() : nullptr;
}

QWidget *Quillo::videoView() const
{
    return m_video ? m_video->videoWidget() : nullptr;
}

QWidget *Quillo::mediaLibPanel() const
{
    return m_mediaLibrary ? m_mediaLibrary->widget() : nullptr;
}

int Quillo::menuBarHeight() const
{
    return ui->menuBar->isVisible() ? ui->menuBar->height() : 0;
}

// ---- Display modes and pane layout

void Quillo::computePaneRects()
{
    m_panes = PaneLayout::computePaneRects(m_displayMode, size(), central()->size(), m_panes);
}

void Quillo::setDisplayMode(int mode)
{
    m_displayMode = mode;
    const std::array<int, 4> sources = PaneLayout::paneSources(mode);
    for (std::size_t pane = 0; pane < sources.size(); ++pane) {
        if (sources[pane] != PaneLayout::NoSource)
            m_paneSource[pane] = sources[pane];
    }
}

void Quillo::layoutDocCamView(const QRect &area)
{
    QWidget *view = docCamView();
    if (!view)
        return;
    const QSize fitted = m_docCam->cameraWidgetSizeFor(area.size());
    m_docCam->resizeCameraWidget(fitted);
    if (m_docCamCanvas)
        m_docCamCanvas->resize(fitted);
    centerWidgetIn(view, area);
    if (m_docCamCanvas)
        m_docCamCanvas->move(0, 0);
}

void Quillo::layoutWebCamView(const QRect &area)
{
    QWidget *view = webCamView();
    if (!view)
        return;
    m_webCam->resizeWebCamWidget(m_webCam->webCamWidgetSizeFor(area.size()));
    centerWidgetIn(view, area);
}

void Quillo::layoutImageView(const QRect &area)
{
    const QSize fitted = m_imageWidget->sizeFor(area.width(), area.height());
    m_imageWidget->resize(fitted);
    if (m_imageCanvas)
        m_imageCanvas->resize(fitted);
    centerWidgetIn(m_imageWidget, area);
    if (m_imageCanvas)
        m_imageCanvas->move(0, 0);
}

void Quillo::layoutVideoView(const QRect &area)
{
    QWidget *view = videoView();
    if (!view)
        return;
    m_video->resizeVideo(m_video->videoSize(area.size()));
    centerWidgetIn(view, area);
}

void Quillo::layoutMediaPane()
{
    m_noMediaWidget->setGeometry(PaneLayout::noMediaRect(m_displayMode, m_panes, m_videoControlPanel->height()));
    const QRect area = PaneLayout::mediaArea(m_displayMode, m_panes, menuBarHeight(), m_videoControlPanel->height());
    layoutImageView(area);
    layoutVideoView(area);
}

void Quillo::layoutPanes()
{
    if (m_widgetMode) {
        QWidget *container = m_widgetBar->getVisionContainer();
        layoutDocCamView(QRect(QPoint(0, 0), container->size()));
        if (QWidget *view = docCamView()) {
            const PaneLayout::WidgetModeGeometry geometry =
                PaneLayout::widgetModeGeometry(m_widgetBar->width(), view->size());
            container->resize(geometry.container);
            m_widgetBar->resize(geometry.toolBar);
            view->move(geometry.view);
        }
        return;
    }
    if (m_videoFullScreen) {
        layoutVideoView(PaneLayout::fullScreenMediaArea(central()->size(), m_videoControlPanel->height()));
        // The window reaches the screen's size only after the switch, under a window manager well after it:
        // the bar follows the video to its last row each time and stays above it, being the way back.
        const QWidget *video = videoView();
        m_videoControlPanel->setGeometry(PaneLayout::fullScreenPanelRect(
            central()->size(), video ? video->geometry() : QRect(), m_videoControlPanel->height()));
        raiseUpAllControlWidgets();
        return;
    }
    if (m_imageFullScreen) {
        layoutImageView(PaneLayout::fullScreenMediaArea(central()->size(), m_imageControlPanel->height()));
        return;
    }

    const std::array<int, 4> used = PaneLayout::paneSources(m_displayMode);
    for (int pane = 1; pane <= 3; ++pane) {
        if (used[pane - 1] == PaneLayout::NoSource)
            continue;
        const QRect rect = m_panes.pane(pane);
        switch (m_paneSource[pane - 1]) {
        case PaneLayout::DocCamSource:
            layoutDocCamView(rect);
            break;
        case PaneLayout::WebCamSource:
            layoutWebCamView(rect);
            break;
        case PaneLayout::MediaSource:
            if (m_displayMode >= PaneLayout::DMTwoSplit && m_displayMode <= PaneLayout::MThreeSplit)
                layoutMediaPane();
            break;
        default:
            break;
        }
    }
    if (m_displayMode == PaneLayout::PipSplit && m_paneSource[3] == PaneLayout::WebCamSource) {
        layoutWebCamView(m_pipRect);
        if (QWidget *view = webCamView()) {
            m_pipView->resize(view->size());
            m_pipView->centerView(view);
        }
    }
    if (m_displayMode == PaneLayout::PipSplit || m_displayMode == PaneLayout::ImageFullDisplay
        || m_displayMode == PaneLayout::VideoFullDisplay)
        layoutMediaPane();
    placeVideoControlPanel();
    placeImageControlPanel();
    update();
}

void Quillo::placeImageControlPanel()
{
    if (PaneLayout::placesImageControlPanel(m_displayMode))
        m_imageControlPanel->setGeometry(PaneLayout::controlPanelRect(m_displayMode, m_panes, menuBarHeight(),
                                                                      m_imageControlPanel->height()));
}

void Quillo::placeVideoControlPanel()
{
    if (PaneLayout::placesVideoControlPanel(m_displayMode))
        m_videoControlPanel->setGeometry(PaneLayout::controlPanelRect(m_displayMode, m_panes, menuBarHeight(),
                                                                      m_videoControlPanel->height()));
}

void Quillo::showWebCamView(bool show)
{
    if (!show) {
        m_webCam->hideWebCam();
        return;
    }
    if (QWidget *view = webCamView(); view && view->isHidden())
        m_webCam->showWebCam();
}

void Quillo::showDocCamView(bool show)
{
    if (!show) {
        m_docCam->hideCameraWidget();
        return;
    }
    if (QWidget *view = docCamView(); view && view->isHidden())
        m_docCam->showCameraWidget();
}

void Quillo::reparentWebCamToPip()
{
    QWidget *view = webCamView();
    if (!view || view->parentWidget() == m_pipView)
        return;
    const bool shown = !view->isHidden();
    view->setParent(m_pipView);
    view->setVisible(shown);
}

void Quillo::reparentWebCamToCentral()
{
    QWidget *view = webCamView();
    if (!view || view->parentWidget() == central())
        return;
    const bool shown = !view->isHidden();
    view->setParent(central());
    view->setVisible(shown);
}

void Quillo::enterSplitMode(int mode, bool webCamShown)
{
    reparentWebCamToCentral();
    setDisplayMode(mode);
    computePaneRects();
    if (PaneLayout::mediaPane(mode) != 0) {
        showMediaPane();
        layoutPanes();
    } else {
        layoutPanes();
        noMediaDisplay();
    }
    showWebCamView(webCamShown);
    showDocCamView(true);
    m_pipView->hide();
    raiseUpAllControlWidgets();
    emit splitModeChange(mode);
}

void Quillo::becomeOneSplit()
{
    enterSplitMode(PaneLayout::OneSplit, false);
}

void Quillo::becomePipSplit()
{
    setDisplayMode(PaneLayout::PipSplit);
    computePaneRects();
    reparentWebCamToPip();
    noMediaDisplay();
    showWebCamView(true);
    showDocCamView(true);
    layoutPanes();
    m_pipView->move(central()->width() - m_pipView->width(), 0);
    m_pipView->show();
    replacePipView();
    raiseUpAllControlWidgets();
    emit splitModeChange(PaneLayout::PipSplit);
}

void Quillo::becomeDWTwoSplit()
{
    enterSplitMode(PaneLayout::DWTwoSplit, true);
}

void Quillo::becomeDMTwoSplit()
{
    enterSplitMode(PaneLayout::DMTwoSplit, false);
}

void Quillo::becomeDThreeSplit()
{
    enterSplitMode(PaneLayout::DThreeSplit, true);
}

void Quillo::becomeWThreeSplit()
{
    enterSplitMode(PaneLayout::WThreeSplit, true);
}

void Quillo::becomeMThreeSplit()
{
    enterSplitMode(PaneLayout::MThreeSplit, true);
}

void Quillo::enterFullDisplay()
{
    reparentWebCamToCentral();
    setDisplayMode(m_displayMode);
    computePaneRects();
    layoutPanes();
    showWebCamView(false);
    showDocCamView(false);
    m_pipView->hide();
    // Announced before the pane is filled: an empty pane leaves full display again at once, and the
    // panels must end up hearing that it was left.
    emit isFullDisplayMode(true);
    const int mode = m_displayMode;
    showMediaPane();
    if (m_displayMode == mode)
        raiseUpAllControlWidgets();
}

void Quillo::becomeVideoFullDisplaySplit()
{
    enterFullDisplay();
}

void Quillo::becomeImageFullDisplaySplit()
{
    enterFullDisplay();
}

void Quillo::applyDisplayMode()
{
    if (m_imageFullScreen || m_videoFullScreen)
        return;
    // Indexed by display mode.
    static constexpr std::array<void (Quillo::*)(), 9> kEnter{
        &Quillo::becomeOneSplit,    &Quillo::becomePipSplit,    &Quillo::becomeDWTwoSplit,
        &Quillo::becomeDMTwoSplit,  &Quillo::becomeDThreeSplit, &Quillo::becomeWThreeSplit,
        &Quillo::becomeMThreeSplit, &Quillo::becomeImageFullDisplaySplit, &Quillo::becomeVideoFullDisplaySplit};
    if (m_displayMode < 0 || m_displayMode >= int(kEnter.size()))
        return;
    (this->*kEnter[m_displayMode])();
    raiseUpAllControlWidgets();
}

void Quillo::leaveImageFullDisplaySplit()
{
    if (m_imageFullScreen)
        m_imageControlPanel->clickFullScreenButton();
    m_displayMode = m_previousDisplayMode;
    applyDisplayMode();
    emit isFullDisplayMode(false);
}

void Quillo::leaveVideoFullDisplaySplit()
{
    if (m_videoFullScreen)
        m_videoControlPanel->clickFullScreenButton();
    m_video->stop();
    m_displayMode = m_previousDisplayMode;
    applyDisplayMode();
    emit isFullDisplayMode(false);
}

void Quillo::raiseUpAllControlWidgets()
{
    QWidget *video = videoView();
    if (m_videoFullScreen) {
        m_videoControlPanel->raise();
        if (video)
            video->stackUnder(m_videoControlPanel);
        return;
    }
    if (m_imageFullScreen) {
        m_imageControlPanel->raise();
        m_imageWidget->stackUnder(m_imageControlPanel);
        return;
    }
    QWidget *docCam = docCamView();
    QWidget *webCam = webCamView();
    // Top first.
    QList<QWidget *> order{m_spotlight->widget(), m_visor->widget(), mediaLibPanel(), m_toolsPanel,
                           ui->mlShowHideBtn,     ui->tpShowHideBtn};
    if (m_displayMode == PaneLayout::PipSplit) {
        m_pipView->raiseMoveButton();
        order << m_pipView;
        switch (m_paneSource[0]) {
        case PaneLayout::DocCamSource:
            order << docCam << webCam << m_noMediaWidget << m_imageControlPanel << m_imageWidget
                  << m_videoControlPanel << video;
            break;
        case PaneLayout::WebCamSource:
            order << webCam << m_noMediaWidget << m_imageControlPanel << m_imageWidget << m_videoControlPanel << video
                  << docCam;
            break;
        case PaneLayout::MediaSource:
            order << m_noMediaWidget << m_imageControlPanel << m_imageWidget << m_videoControlPanel << video << docCam
                  << webCam;
            break;
        default:
            break;
        }
    } else {
        order << m_noMediaWidget << m_videoControlPanel << video << docCam << webCam << m_imageControlPanel
              << m_imageWidget << m_pipView;
    }
    for (auto it = order.crbegin(); it != order.crend(); ++it) {
        if (*it && (*it)->parentWidget() == central())
            (*it)->raise();
    }
}

void Quillo::pipMove()
{
    m_pipView->nextCorner();
    replacePipView();
}

void Quillo::replacePipView()
{
    m_pipView->move(PaneLayout::pipCorner(m_pipView->cornerIndex, central()->size(), m_pipView->size()));
}

void Quillo::visionZoomRatioChanged(double ratio)
{
    if (m_docCamCanvas)
        m_annotation->setCanvasScale(m_docCamCanvas, ratio);
}

void Quillo::visionRotationChanged(uint degrees)
{
    if (m_docCamCanvas)
        m_annotation->setCanvasRotation(m_docCamCanvas, degrees);
    layoutPanes();
}

void Quillo::visionMirrorChanged(bool mirrored)
{
    if (m_docCamCanvas)
        m_annotation->setCanvasMirrored(m_docCamCanvas, mirrored);
}

void Quillo::getWebCamListChanged(const QList<QString> &)
{
    layoutPanes();
}

void Quillo::curWebCamDisconnected()
{
    layoutPanes();
}

void Quillo::mediaLibPanelResized()
{
    QWidget *panel = mediaLibPanel();
    if (panel && panel->x() < 0)
        placeToolsPanelTab(true);
}

void Quillo::mediaShowAnimationEnd()
{
    placeToolsPanelTab(false);
}

void Quillo::placeToolsPanelTab(bool mediaLibraryOut)
{
    VerticalTextButton *tab = ui->tpShowHideBtn;
    QWidget *panel = mediaLibPanel();
    const bool vertical = mediaLibraryOut || !panel;
    const QRect place = PaneLayout::toolsPanelTabRect(vertical, height(), panel ? panel->geometry() : QRect());
    tab->setGeometry(place);
    tab->setVertical(vertical);
    tab->setTextRect(QRect(0, 0, place.width(), vertical ? kMenuTabTextHeight : kMenuTabOverPanelTextHeight));
    tab->update();
}

void Quillo::centerToolsPanel()
{
    m_toolsPanel->move((width() - m_toolsPanel->width()) / 2, m_toolsPanel->y());
}

void Quillo::centreMediaLibPanel()
{
    if (QWidget *panel = mediaLibPanel())
        panel->move(panel->x(), mediaLibPanelY(height(), panel->height()));
}

void Quillo::placeSideTabs()
{
    VerticalTextButton *menuTab = ui->tpShowHideBtn;
    menuTab->resize(kSideTabSize);
    menuTab->setText(tr("Menu"));
    menuTab->setVertical(true);
    menuTab->setTextRect(QRect(0, 0, kSideTabSize.width(), kMenuTabTextHeight));
    VerticalTextButton *libraryTab = ui->mlShowHideBtn;
    libraryTab->resize(kSideTabSize);
    libraryTab->setText(tr("Media Library"));
    libraryTab->setVertical(true);
    libraryTab->setTextRect(QRect(QPoint(0, 0), kSideTabSize));
    menuTab->move(PaneLayout::toolsPanelTabRect(true, height(), QRect()).topLeft());
    libraryTab->move(0, mediaLibTabY(height()));
    QWidget *panel = mediaLibPanel();
    placeToolsPanelTab(!panel || panel->x() < 0 || panel->isHidden());
}

void Quillo::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        if (m_imageFullScreen)
            m_imageControlPanel->clickFullScreenButton();
        if (m_videoFullScreen)
            m_videoControlPanel->clickFullScreenButton();
    }
    event->accept();
}

void Quillo::moveEvent(QMoveEvent *event)
{
    MainWindowIntf::moveEvent(event);
    emit quilloMoved(frameGeometry().topLeft());
}

void Quillo::paintEvent(QPaintEvent *event)
{
    MainWindowIntf::paintEvent(event);
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
}

void Quillo::resizeEvent(QResizeEvent *event)
{
    MainWindowIntf::resizeEvent(event);
    m_spotlight->resize(central()->size());
    m_visor->resize(central()->size());
    computePaneRects();
    centerToolsPanel();
    centreMediaLibPanel();
    layoutPanes();
    applyDisplayMode();
    placeSideTabs();
}

// ---- Images and videos

void Quillo::clearImageCanvas()
{
    if (m_imageCanvas)
        m_annotation->clearCanvas(m_imageCanvas, true, true);
}

void Quillo::setPlayingVideo(const QString &path)
{
    MediaFileStore::getInstance()->setPlayingVideo(path);
}

void Quillo::showMediaPane()
{
    m_noMediaWidget->hide();
    switch (m_mediaKind) {
    case ImageMedia:
        if (m_video->actionStatus() & VideoIntf::ACTION_NOT_STOPPED) {
            m_video->stop();
            setPlayingVideo(QString());
        }
        videoHide();
        m_imageWidget->show();
        m_imageControlPanel->show();
        break;
    case VideoMedia: {
        QWidget *view = videoView();
        if (m_video->videoPath() != m_currentVideoPath || (view && view->isHidden())) {
            m_imageWidget->hide();
            m_imageControlPanel->hide();
            m_video->showVideo();
            m_videoControlPanel->showPanel();
        }
        break;
    }
    default:
        videoHide();
        m_imageWidget->hide();
        m_noMediaWidget->show();
        if (m_displayMode == PaneLayout::ImageFullDisplay)
            leaveImageFullDisplaySplit();
        else if (m_displayMode == PaneLayout::VideoFullDisplay)
            leaveVideoFullDisplaySplit();
        break;
    }
}

void Quillo::videoHide()
{
    QWidget *view = videoView();
    if ((!view || view->isHidden()) && m_videoControlPanel->isHidden())
        return;
    setPlayingVideo(QString());
    m_currentVideoPath = m_video->videoPath();
    m_video->attachVideo(QString());
    m_video->hideVideo();
    m_videoControlPanel->hide();
}

void Quillo::noMediaDisplay()
{
    videoHide();
    m_video->attachVideo(QString());
    m_imageWidget->clear();
    m_currentVideoPath.clear();
    m_imageWidget->hide();
    m_imageControlPanel->hide();
    m_noMediaWidget->hide();
    m_mediaKind = NoMedia;
}

int Quillo::switchToFullDisplay(int fullMode)
{
    const int before = m_displayMode;
    if (before == PaneLayout::OneSplit || before == PaneLayout::PipSplit || before == PaneLayout::DWTwoSplit) {
        m_previousDisplayMode = before;
        m_displayMode = fullMode;
        m_toolsPanel->returnToMainMenu();
    } else if (before == PaneLayout::ImageFullDisplay || before == PaneLayout::VideoFullDisplay) {
        m_displayMode = fullMode;
    }
    return before;
}

void Quillo::showImage(const QString &path, int modeBefore)
{
    m_mediaKind = ImageMedia;
    if (m_imageWidget->setImage(path) < 0) {
        // Nothing is on screen: the media library may rename or delete the file again.
        m_imageWidget->clear();
        m_displayMode = modeBefore;
        m_mediaKind = NoMedia;
    }
}

void Quillo::imageDecodeFailed(const QString &path)
{
    // The header was sound, so the window went on as for a picture shown; it goes back as for a file
    // refused at once, the full display it entered announced as left.
    if (m_mediaKind != ImageMedia || path != m_imageWidget->path())
        return;
    m_imageWidget->clear();
    m_mediaKind = NoMedia;
    if (m_displayMode == PaneLayout::ImageFullDisplay)
        leaveImageFullDisplaySplit();
    else
        applyDisplayMode();
}

bool Quillo::startAttachedVideo(const QString &path, int modeBefore)
{
    setPlayingVideo(path);
    if (m_video->start() < 0) {
        setPlayingVideo(QString());
        m_mediaKind = NoMedia;
        m_displayMode = modeBefore;
        return false;
    }
    m_mediaKind = VideoMedia;
    m_videoLength = m_video->getTotalVideoLengthInSeconds();
    m_videoControlPanel->setVideoLength(m_videoLength);
    m_videoControlPanel->setVolumeSliderValue(m_video->getVolume());
    return true;
}

void Quillo::imgRequestToShow(const QString &path)
{
    if (m_displayMode == PaneLayout::ImageFullDisplay)
        leaveImageFullDisplaySplit();
    clearImageCanvas();
    if (m_video->actionStatus() & VideoIntf::ACTION_PLAYING)
        m_video->pause();
    const int before = switchToFullDisplay(PaneLayout::ImageFullDisplay);
    showImage(path, before);
    layoutPanes();
    applyDisplayMode();
}

void Quillo::videoObjRequestToPlay(MediaIntf *media)
{
    if (!media)
        return;
    if (m_displayMode == PaneLayout::VideoFullDisplay)
        leaveVideoFullDisplaySplit();
    clearImageCanvas();
    const int before = switchToFullDisplay(PaneLayout::VideoFullDisplay);
    const QString path = media->path();
    if (m_video->attachVideo(path) >= 0)
        startAttachedVideo(path, before);
    applyDisplayMode();
    layoutPanes();
}

void Quillo::dragEnterEvent(QDragEnterEvent *event)
{
    if (QWidget *panel = mediaLibPanel();
        panel && MediaDrop::overMediaLibrary(event->position().toPoint(), panel->geometry(), menuBarHeight(),
                                             panel->isVisible()))
        return;
    if (MediaDrop::classify(event->mimeData()->urls()).kind != MediaDrop::Kind::None)
        event->acceptProposedAction();
}

void Quillo::dropEvent(QDropEvent *event)
{
    const MediaDrop::Drop drop = MediaDrop::classify(event->mimeData()->urls());
    if (drop.kind == MediaDrop::Kind::None)
        return;
    if (m_displayMode == PaneLayout::VideoFullDisplay)
        leaveVideoFullDisplaySplit();
    if (m_displayMode == PaneLayout::ImageFullDisplay)
        leaveImageFullDisplaySplit();
    const int before = m_displayMode;
    if (drop.kind == MediaDrop::Kind::Image) {
        switchToFullDisplay(PaneLayout::ImageFullDisplay);
        showImage(drop.path, before);
    } else {
        switchToFullDisplay(PaneLayout::VideoFullDisplay);
        if (m_video->attachVideo(drop.path) >= 0)
            startAttachedVideo(drop.path, before);
    }
    clearImageCanvas();
    layoutPanes();
    applyDisplayMode();
    event->acceptProposedAction();
}

void Quillo::changeImageFullScreenDisplayMode(bool fullScreen)
{
    m_imageFullScreen = fullScreen;
    switchRealFullScreen(fullScreen, m_imageControlPanel, m_imageWidget);
    // The drawing over the picture comes back with it.
    if (!fullScreen && m_imageCanvas)
        m_imageCanvas->show();
}

void Quillo::changeVideoFullScreenDisplayMode(bool fullScreen)
{
    m_videoFullScreen = fullScreen;
    switchRealFullScreen(fullScreen, m_videoControlPanel, videoView());
}

void Quillo::switchRealFullScreen(bool fullScreen, QWidget *controlPanel, QWidget *media)
{
    QWidget *panel = mediaLibPanel();
    if (fullScreen) {
        ui->menuBar->hide();
        m_toolsPanel->annoStateExited();
        controlPanel->hide();
        m_toolsPanel->hide();
        ui->tpShowHideBtn->hide();
        ui->mlShowHideBtn->hide();
        if (panel)
            panel->hide();
        m_docCam->hideCameraWidget();
        m_webCam->hideWebCam();
        if (media)
            media->raise();
        showFullScreen();
        controlPanel->setGeometry(PaneLayout::fullScreenPanelRect(central()->size(), media ? media->geometry() : QRect(),
                                                                  controlPanel->height()));
        controlPanel->show();
        return;
    }
    ui->menuBar->show();
    m_toolsPanel->show();
    if (m_toolsPanel->y() < 0)
        ui->tpShowHideBtn->show();
    if (panel && panel->x() < 0)
        ui->mlShowHideBtn->show();
    if (panel)
        panel->show();
    showMaximized();
    applyDisplayMode();
}

void Quillo::videoStatusControl(uint status)
{
    if (status & VideoIntf::ACTION_PLAYING)
        m_videoControlPanel->setPlayPauseChecked(true);
    if (status & VideoIntf::ACTION_PAUSED)
        m_videoControlPanel->setPlayPauseChecked(false);
    if (status & VideoIntf::ACTION_STOPPED)
        m_videoControlPanel->setPlayPauseChecked(false);
    // A recording that was never closed learns its length only once it plays; the service reports its
    // status again after it found out.
    if (m_mediaKind == VideoMedia) {
        const int length = m_video->getTotalVideoLengthInSeconds();
        if (length != m_videoLength) {
            m_videoLength = length;
            m_videoControlPanel->setVideoLength(length);
        }
    }
}

void Quillo::mediaHideControl()
{
    switch (m_mediaKind) {
    case ImageMedia:
        videoHide();
        m_noMediaWidget->hide();
        break;
    case VideoMedia:
        m_imageWidget->hide();
        m_imageControlPanel->hide();
        m_noMediaWidget->hide();
        break;
    default:
        videoHide();
        m_imageWidget->hide();
        m_imageControlPanel->hide();
        m_noMediaWidget->show();
        break;
    }
}

void Quillo::videoShow()
{
    const auto nothingToShow = [this] {
        m_noMediaWidget->show();
        m_imageControlPanel->show();
        m_mediaKind = NoMedia;
        if (m_displayMode == PaneLayout::VideoFullDisplay)
            leaveVideoFullDisplaySplit();
    };
    if (!QFileInfo(m_currentVideoPath).isFile()) {
        nothingToShow();
        return;
    }
    if (m_video->attachVideo(m_currentVideoPath) < 0)
        return;
    setPlayingVideo(m_currentVideoPath);
    if (m_video->start() < 0) {
        m_currentVideoPath.clear();
        setPlayingVideo(QString());
        nothingToShow();
        return;
    }
    m_videoLength = m_video->getTotalVideoLengthInSeconds();
    m_videoControlPanel->setVideoLength(m_videoLength);
    m_videoControlPanel->setVolumeSliderValue(m_video->getVolume());
    m_videoControlPanel->showPanel();
    m_video->showVideo();
}

// ---- Panel slides, widget mode, presenter mode

void Quillo::slide(QPointer<QPropertyAnimation> &animation, QWidget *panel, const QPoint &end)
{
    if (animation)
        animation->stop();
    animation = new QPropertyAnimation(panel, "pos");
    animation->setDuration(kSlideMs);
    animation->setStartValue(panel->pos());
    animation->setEndValue(end);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void Quillo::toolPanelShow()
{
    m_toolsPanelShown = true;
    slide(m_toolsPanelSlide, m_toolsPanel, QPoint(m_toolsPanel->x(), 0));
    ui->tpShowHideBtn->hide();
    layoutPanes();
    applyDisplayMode();
}

void Quillo::toolPanelHide()
{
    m_toolsPanelShown = false;
    slide(m_toolsPanelSlide, m_toolsPanel, QPoint(m_toolsPanel->x(), -m_toolsPanel->height()));
    ui->tpShowHideBtn->show();
    QWidget *panel = mediaLibPanel();
    placeToolsPanelTab(!panel || panel->x() < 0);
}

void Quillo::mediaLibPanelShow()
{
    QWidget *panel = mediaLibPanel();
    m_mediaLibShown = true;
    if (!panel)
        return;
    // A show cut short by another slide still lays the tab over the panel before that slide takes over.
    const bool showRunning = m_mediaLibSlide && m_mediaLibSlide->endValue().toPoint().x() == 0;
    if (showRunning)
        mediaShowAnimationEnd();
    slide(m_mediaLibSlide, panel, QPoint(0, panel->y()));
    ui->mlShowHideBtn->hide();
    connect(m_mediaLibSlide, &QAbstractAnimation::finished, this, &Quillo::mediaShowAnimationEnd);
}

void Quillo::mediaLibPanelClose()
{
    QWidget *panel = mediaLibPanel();
    m_mediaLibShown = false;
    if (!panel)
        return;
    if (m_mediaLibSlide && m_mediaLibSlide->endValue().toPoint().x() == 0)
        mediaShowAnimationEnd();
    slide(m_mediaLibSlide, panel, QPoint(-panel->width(), panel->y()));
    ui->mlShowHideBtn->show();
    placeToolsPanelTab(true);
}

void Quillo::hideToolsPanelAndMediaLib()
{
    toolPanelHide();
    mediaLibPanelClose();
    layoutPanes();
    applyDisplayMode();
}

void Quillo::becomeWidgetMode()
{
    hide();
    m_webCam->hideWebCam();
    m_widgetMode = true;
    const int barWidth = m_widgetBar->width();
    QWidget *container = m_widgetBar->getVisionContainer();
    container->resize(barWidth, barWidth);
    QWidget *view = docCamView();
    if (view) {
        view->setParent(container);
        view->move(0, 0);
        m_docCam->resizeCameraWidget(m_docCam->cameraWidgetSizeFor(QSize(barWidth, barWidth)));
    }
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    m_widgetBar->move(available.x() + available.width() - barWidth, available.y());
    m_widgetBar->uncheckShowHideButton();
    layoutPanes();
    m_widgetBar->resize(barWidth, (view ? view->height() : 0) + PaneLayout::kWidgetModeButtonRowHeight);
    m_docCam->showCameraWidget();
    m_widgetBar->show();
}

void Quillo::leaveWidgetMode()
{
    m_widgetMode = false;
    if (QWidget *view = docCamView())
        view->setParent(central());
    m_widgetBar->hide();
    show();
    applyDisplayMode();
    layoutPanes();
}

void Quillo::enterPresenterMode(bool visor)
{
    // Re-entering from the other effect keeps the layout from before presenter mode.
    if (!m_presenterMode) {
        m_mediaLibShownBeforePresenter = m_mediaLibShown;
        m_toolsPanelShownBeforePresenter = m_toolsPanelShown;
    }
    m_presenterMode = true;
    if (m_toolsPanelShown)
        toolPanelHide();
    if (m_mediaLibShown)
        mediaLibPanelClose();
    if (visor)
        m_spotlight->hide();
    else
        m_visor->hide();
    const QSize size = central()->size();
    if (visor) {
        m_visor->resize(size);
        if (QWidget *widget = m_visor->widget())
            widget->move(0, 0);
        m_visor->show();
    } else {
        m_spotlight->resize(size);
        if (QWidget *widget = m_spotlight->widget())
            widget->move(0, 0);
        m_spotlight->show();
    }
}

void Quillo::showUpVisor()
{
    enterPresenterMode(true);
}

void Quillo::showUpSpotlight()
{
    enterPresenterMode(false);
}

void Quillo::leavePresenterMode()
{
    m_presenterMode = false;
    if (m_mediaLibShownBeforePresenter)
        mediaLibPanelShow();
    if (m_toolsPanelShownBeforePresenter)
        toolPanelShow();
}

// ---- Recording

void Quillo::restartCounter()
{
    m_counterTimer->start(kCounterTickMs);
}

void Quillo::resetCounter()
{
    m_recordingSeconds = 0;
    m_counterAction->setText(RecordingCounter::text(0));
}

void Quillo::startRecording()
{
    m_muteAction->setChecked(false);
    m_pauseAction->setChecked(false);
    m_trayIcon->setVisible(true);
    m_trayIcon->showMessage(QStringLiteral("Hint"), QStringLiteral("Stop or Pause record here."),
                            QSystemTrayIcon::Information, kBalloonMs);
    restartCounter();
}

void Quillo::recordingCounterCount()
{
    ++m_recordingSeconds;
    m_counterAction->setText(RecordingCounter::text(m_recordingSeconds));
}

void Quillo::stopRecord()
{
    if (!(m_recording->actionStatus() & RecordingIntf::RECORDING_STATUS_RECORDING))
        return;
    // The stop holds the GUI thread until the file is closed and then opens the modal save dialog: never
    // from inside another modal loop.
    if (QApplication::activeModalWidget()) {
        if (!m_stopRetryScheduled) {
            m_stopRetryScheduled = true;
            QTimer::singleShot(kStopRetryMs, this, [this] {
                m_stopRetryScheduled = false;
                stopRecord();
            });
        }
        if (!m_stopWaitsForDialog) {
            // Said once per stop asked for, so that the user knows the click was heard.
            m_stopWaitsForDialog = true;
            MessageBoxes::Request box;
            box.parent = QApplication::activeModalWidget();
            box.icon = QMessageBox::Information;
            box.text = tr("The recording stops when the open dialog is closed.");
            MessageBoxes::exec(box);
        }
        return;
    }
    m_stopWaitsForDialog = false;
    m_trayIcon->hide();
    m_counterTimer->stop();
    QList<QString> files;
    const int result = m_recording->stopRecording(&files);
    if (result < 0) {
        const uint status = m_recording->actionStatus();
        windowLog(LogSystem::LOG_ERROR, "Quillo::stopRecord() - stop failed with %d, status now %u", result, status);
        if (status & RecordingIntf::RECORDING_STATUS_RECORDING) {
            // Still recording: the user keeps the controls to stop it.
            m_trayIcon->show();
            if (status == kRecordingRunning)
                restartCounter();
            m_toolsPanel->recordUIChangedWithStatus(status);
            m_widgetBar->recordUIChangedWithStatus(status);
        }
        return;
    }
    if (!files.isEmpty())
        handRecordedFiles(files);
    resetCounter();
}

void Quillo::handRecordedFiles(const QList<QString> &files)
{
    if (m_widgetMode)
        handRecordedFilesInWidgetMode(files);
    else
        m_mediaLibrary->processRecordedFiles(files);
}

void Quillo::handRecordedFilesInWidgetMode(const QList<QString> &files)
{
    m_widgetBar->uncheckRecordButton();
    const bool wasExpanded = !m_widgetBar->isVisionHidden();
    if (wasExpanded)
        m_widgetBar->showHideVision(true);
    m_mediaLibrary->processRecordedFiles(files);
    if (wasExpanded)
        m_widgetBar->showHideVision(false);
}

void Quillo::recordForceStopped(int code, const QList<QString> &files)
{
    m_trayIcon->hide();
    m_counterTimer->stop();
    resetCounter();
    if (code == kRecordingDiskRemoved)
        return;
    const QList<QString> existing = recordedFilesKept(files);
    if (!existing.isEmpty())
        handRecordedFiles(existing);
}

QList<QString> Quillo::recordedFilesKept(const QList<QString> &files)
{
    // A vanished file costs only itself: the others are still offered for saving. An empty file holds no
    // recording.
    QList<QString> kept;
    for (const QString &file : files) {
        const QFileInfo info(file);
        if (info.isFile() && info.size() > 0)
            kept << file;
        else
            windowLog(LogSystem::LOG_WARNING, "Quillo::recordedFilesKept() - recorded file %s is gone or empty",
                      qUtf8Printable(file));
    }
    return kept;
}

void Quillo::tellWhereRecordingsAre(const QList<QString> &files)
{
    QStringList paths;
    for (const QString &file : files)
        paths << QDir::toNativeSeparators(file);
    MessageBoxes::Request box;
    box.parent = this;
    box.icon = QMessageBox::Information;
    box.text = tr("The recording stopped for the exit is kept in:\n%1").arg(paths.join(QLatin1Char('\n')));
    MessageBoxes::exec(box);
}

void Quillo::playPauseRecord(bool pause)
{
    if (pause) {
        m_counterTimer->stop();
        m_recording->pauseRecording();
    } else {
        restartCounter();
        m_recording->resumeRecording();
    }
}

void Quillo::muteUnmuteRecord(bool mute)
{
    m_recording->setMute(mute);
}

void Quillo::recordStopTrayTriggered(QSystemTrayIcon::ActivationReason reason)
{
    m_trayMenu->adjustSize();
    if (reason == QSystemTrayIcon::Trigger)
        m_trayMenu->popup(QCursor::pos());
}

void Quillo::followPrimaryScreen(QScreen *screen)
{
    if (m_primaryScreen)
        disconnect(m_primaryScreen, &QScreen::geometryChanged, this, nullptr);
    m_primaryScreen = screen;
    if (screen)
        connect(screen, &QScreen::geometryChanged, this, [this] { getResolutionChangedToResize(); });
}

void Quillo::getResolutionChangedToResize(int)
{
    if (m_widgetMode) {
        stopRecord();
        return;
    }
    showNormal();
    QTimer::singleShot(kRemaximiseMs, this, [this] {
        if (!m_widgetMode)
            showMaximized();
    });
    stopRecord();
}

void Quillo::recordingStatusChangedUI(uint status)
{
    m_pauseAction->setChecked(!(status & RecordingIntf::RECORDING_STATUS_RUNNING));
    m_muteAction->setChecked(!(status & kSoundOn));
}

// ---- Camera connection, grading service, menus, closing

void Quillo::getDocCamConnected(const QString &)
{
    if (m_docCamCanvas)
        m_docCamCanvas->show();
    ui->actionGradeCam->setEnabled(true);
    layoutPanes();
}

void Quillo::getDocCamDisConntect()
{
    if (m_docCamCanvas) {
        m_docCamCanvas->hide();
        m_annotation->clearCanvas(m_docCamCanvas, true, true);
    }
    ui->actionGradeCam->setEnabled(false);
    m_docCamLent = false;
    showGradeCamState();
    if (!m_widgetMode)
        layoutPanes();
}

void Quillo::showGradeCamState()
{
    ui->actionGradeCam->setText(m_docCamLent ? tr("Reconnect") : tr("GradeCam"));
}

void Quillo::actionGradeCamClicked()
{
    if (!m_docCamLent) {
        if (!gradingServiceSetUp(this))
            return;
        MessageBoxes::Request request;
        request.text = tr("The DocCam will be disconnected from\n Quillo while we take you to the Lumo\n "
                          "Gradecam Insight login page. Are you\n sure you want to proceed?");
        request.buttons = QMessageBox::Cancel | QMessageBox::Yes;
        if (MessageBoxes::exec(request) != QMessageBox::Yes || m_docCam->releaseDocCam() < 0)
            return;
        m_docCamLent = openGradingServiceLoginPage(this) || !retryDocCamReconnect();
    } else {
        if (!retryDocCamReconnect())
            return;
        m_docCamLent = false;
    }
    showGradeCamState();
}

bool Quillo::retryDocCamReconnect()
{
    while (m_docCam->reconnectDocCam() < 0) {
        MessageBoxes::Request request;
        request.text = tr("Quillo can not reconnect to the DocCam.\n Make sure you are logged out of \n Gradecam.");
        request.buttons = QMessageBox::Cancel | QMessageBox::Retry;
        if (MessageBoxes::exec(request) != QMessageBox::Retry)
            return false;
    }
    return true;
}

void Quillo::showSettingsNotice(int notice, const QString &folder)
{
    MessageBoxes::Request box;
    box.parent = this;
    box.icon = QMessageBox::Warning;
    if (notice == int(SettingImpl::Notice::MediaFolderMissing))
        box.text = tr("The media folder cannot be found:\n%1\n\nCaptures and recordings go to\n%2\nuntil it is back.")
                       .arg(QDir::toNativeSeparators(folder), QDir::toNativeSeparators(SettingImpl::defaultMediaFolder()));
    else
        box.text = tr("Quillo cannot write to its data folder:\n%1\n\nChanged settings, upload schedules and the "
                      "information of new captures are not kept until it can.")
                       .arg(QDir::toNativeSeparators(folder));
    MessageBoxes::exec(box);
}

void Quillo::showSettingPanel()
{
    const QString saveFolder = m_settings->getSavePath();
    m_settingDialog->exec();
    if (m_settings->getSavePath() != saveFolder)
        m_mediaLibrary->showSaveFolder();
}

void Quillo::showAboutDialog()
{
    AboutDialog dialog(this);
    dialog.exec();
}

void Quillo::closeEvent(QCloseEvent *event)
{
    m_canClose = false;
    QList<QString> stopped;
    const int recording = m_recording->confirmExitWhileRecording(&stopped);
    if (recording < 0) {
        event->ignore();
        return;
    }
    // The tray and the counter are reset at once; the files of a recording the check stopped are offered
    // once the other checks decided: for saving when the window stays, by their place when it goes.
    recordForceStopped(recording, {});
    const QList<QString> recorded = recordedFilesKept(stopped);
    const auto refuse = [this, event, &recorded] {
        event->ignore();
        if (!recorded.isEmpty())
            handRecordedFiles(recorded);
    };
    const int capture = m_capture->confirmExit();
    if (capture < 0) {
        refuse();
        return;
    }
    bool granted = (recording == kCloseGranted || recording == kCloseGrantedAfterFailure) && capture == kCloseGranted;
    if (UploadIntf *upload = UploadAccess::service()) {
        const int uploads = upload->confirmExit();
        if (uploads < 0) {
            refuse();
            return;
        }
        granted = granted && (uploads == kCloseGranted || uploads == kCloseGrantedAfterFailure);
        upload->release();
    }
    m_canClose = granted;
    if (!m_canClose) {
        refuse();
        return;
    }
    if (!recorded.isEmpty())
        tellWhereRecordingsAre(recorded);
    if (m_presenterMode)
        leavePresenterMode();
    m_settings->setValue(kNotFirstLaunchKey, true);
    m_settings->setValue(kToolsPanelKey, m_toolsPanelShown);
    m_settings->setValue(kMediaLibKey, m_mediaLibShown);
    event->accept();
    QCoreApplication::quit();
}
