#include "Quillo.h"
#include "ui_Quillo.h"

#include "AboutDialog.h"
#include "AnnotationIntf.h"
#include "CaptureIntf.h"
#include "ImageControlPanel.h"
#include "ImageWidget.h"
#include "LumoVisionIntf.h"
#include "MediaLibraryIntf.h"
#include "MessageBoxes.h"
#include "PipView.h"
#include "RecordingIntf.h"
#include "RecordingTray.h"
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
#include <QDir>
#include <QScreen>
#include <QTimer>

// Quillo's construction, its services' wiring, the dialogs of its menus and the checks before it closes.
// The other concerns of the window are in the Quillo*.cpp files beside this one.

namespace {

// On the first start both panels stay in this long, so the user sees where they live, then slide out.
constexpr int kFirstStartPanelsMs = 5000;
// The stacking is restored once more after the window and its services have settled on the screen.
constexpr int kRaiseAgainMs = 500;
// After a change of the desktop's resolution the window maximises again once the screen has settled.
constexpr int kRemaximiseMs = 100;

// A service's close answers that still let the program quit.
constexpr int kCloseGranted = 0;
constexpr int kCloseGrantedAfterFailure = 1000;

const QString kNotFirstLaunchKey = QStringLiteral("NOT_FIRST_TIME_LAUNCH");
const QString kToolsPanelKey = QStringLiteral("TOOLS_PANEL_STATUS");
const QString kMediaLibKey = QStringLiteral("MEDIA_LIB_STATUS");

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
    // Plain: the program's own word, as the tray's texts.
    QAction *about = ui->menuHelp->addAction(QStringLiteral("About"));
    connect(about, &QAction::triggered, this, &Quillo::showAboutDialog);
    setAcceptDrops(true);

    QWidget *centralWidget = ui->centralwidget;
    m_video = services.video(centralWidget);
    m_settings = services.settings();
    // Before any other service reads the settings: what they come upon reaches the user here, on the GUI
    // thread, whichever thread came upon it.
    SettingImpl::setNoticeHandler([this](SettingImpl::Notice notice, const QString &folder) {
        QMetaObject::invokeMethod(
            this, [this, notice, folder] { showSettingsNotice(int(notice), folder); }, Qt::QueuedConnection);
    });
    m_annotation = services.annotation();

    m_imageWidget = new ImageWidget(centralWidget);
    connect(m_imageWidget, &ImageWidget::decodeFailed, this, &Quillo::imageDecodeFailed);
    m_noMediaWidget = new ImageWidget(centralWidget);
    m_imageCanvas = m_annotation->createCanvas(m_imageWidget->width(), m_imageWidget->height(), m_imageWidget, 0,
                                               false);
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

    m_recordingTray = new RecordingTray(this);
    connect(m_recordingTray, &RecordingTray::stopRequested, this, &Quillo::stopRecord);
    connect(m_recordingTray, &RecordingTray::muteRequested, this, &Quillo::muteUnmuteRecord);
    connect(m_recordingTray, &RecordingTray::pauseRequested, this, &Quillo::playPauseRecord);

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

void Quillo::moveEvent(QMoveEvent *event)
{
    MainWindowIntf::moveEvent(event);
    emit quilloMoved(frameGeometry().topLeft());
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

void Quillo::showSettingsNotice(int notice, const QString &folder)
{
    MessageBoxes::Request box;
    box.parent = this;
    box.icon = QMessageBox::Warning;
    if (notice == int(SettingImpl::Notice::MediaFolderMissing))
        box.text = tr("The media folder cannot be found:\n%1\n\nCaptures and recordings go to\n%2\nuntil it is back.")
                       .arg(QDir::toNativeSeparators(folder),
                            QDir::toNativeSeparators(SettingImpl::defaultMediaFolder()));
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
