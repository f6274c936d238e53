#pragma once

#include "MainWindowIntf.h"
#include "PaneLayout.h"
#include "QuilloServices.h"

#include <QList>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QSystemTrayIcon>

#include <array>
#include <memory>

class AnnotationIntf;
class CaptureIntf;
class ImageControlPanel;
class ImageWidget;
class LumoVisionIntf;
class MediaIntf;
class MediaLibraryIntf;
class PipView;
class QPropertyAnimation;
class QScreen;
class RecordingIntf;
class RecordingTray;
class SettingDialog;
class SettingIntf;
class SpotlightIntf;
class ToolsPanel;
class VideoControlPanel;
class VideoIntf;
class VisorIntf;
class WebCamIntf;
class WidgetModeToolBar;

namespace Ui {
class Quillo;
}

// The program's one main window. Its central widget holds up to three panes (document camera, web cam,
// media) and a picture-in-picture view in one of nine display modes, with the tool panel sliding in from
// the top and the media library from the left. It owns the small widget-mode bar that stands in for it,
// shows the tray icon while a recording runs, and asks the services before the program quits. Its member
// functions are kept by concern: Quillo.cpp (construction, menus, closing), QuilloLayout.cpp (display
// modes and panes), QuilloMedia.cpp (image and video), QuilloSlides.cpp (panel slides, widget and presenter
// modes), QuilloRecording.cpp (stopping a recording, its files, the tray) and QuilloCamera.cpp (cameras).
class Quillo : public MainWindowIntf
{
    Q_OBJECT

public:
    // The real services.
    explicit Quillo(QWidget *parent = nullptr);
    explicit Quillo(const QuilloServices &services, QWidget *parent = nullptr);
    ~Quillo() override;

    // What the media pane holds.
    enum MediaKind { ImageMedia = 0, VideoMedia = 1, NoMedia = 2 };

    int displayMode() const { return m_displayMode; }
    int previousDisplayMode() const { return m_previousDisplayMode; }
    int mediaKind() const { return m_mediaKind; }
    bool isWidgetMode() const { return m_widgetMode; }
    bool isPresenterMode() const { return m_presenterMode; }
    bool isToolsPanelShown() const { return m_toolsPanelShown; }
    bool isMediaLibShown() const { return m_mediaLibShown; }
    bool isImageFullScreen() const { return m_imageFullScreen; }
    bool isVideoFullScreen() const { return m_videoFullScreen; }
    bool canClose() const { return m_canClose; }

public Q_SLOTS:
    void videoObjRequestToPlay(MediaIntf *media);
    void imgRequestToShow(const QString &path);
    void showSettingPanel();
    void becomeWidgetMode() override;
    void leaveWidgetMode() override;
    void videoStatusControl(uint status);
    void startRecording() override;
    void stopRecord() override;
    void recordForceStopped(int code, const QList<QString> &files = {});
    void recordingStatusChangedUI(uint status);
    void muteUnmuteRecord(bool mute);
    void playPauseRecord(bool pause);
    void pipMove();
    void replacePipView();
    void recordingCounterCount();
    void becomeOneSplit() override;
    void becomePipSplit() override;
    void becomeDWTwoSplit() override;
    void becomeDMTwoSplit() override;
    void becomeDThreeSplit() override;
    void becomeWThreeSplit() override;
    void becomeMThreeSplit() override;
    void becomeVideoFullDisplaySplit();
    void becomeImageFullDisplaySplit();
    void leaveVideoFullDisplaySplit() override;
    void leaveImageFullDisplaySplit() override;
    void changeVideoFullScreenDisplayMode(bool fullScreen) override;
    void changeImageFullScreenDisplayMode(bool fullScreen) override;
    void showUpVisor() override;
    void showUpSpotlight() override;
    void leavePresenterMode();
    void toolPanelShow();
    void toolPanelHide();
    void mediaLibPanelShow();
    void mediaLibPanelClose();
    void mediaLibPanelResized();
    void getDocCamConnected(const QString &name);
    void getDocCamDisConntect();
    void visionZoomRatioChanged(double ratio);
    void visionRotationChanged(uint degrees);
    void visionMirrorChanged(bool mirrored);
    void raiseUpAllControlWidgets();
    void hideToolsPanelAndMediaLib();
    void curWebCamDisconnected();
    void getWebCamListChanged(const QList<QString> &names);
    void recordStopTrayTriggered(QSystemTrayIcon::ActivationReason reason);
    void getResolutionChangedToResize(int screen = 0);
    void showAboutDialog();
    void mediaShowAnimationEnd();
    void mediaHideControl();
    void noMediaDisplay();
    void videoHide();
    void videoShow();
    void actionGradeCamClicked();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QWidget *central() const;
    QWidget *docCamView() const;
    QWidget *webCamView() const;
    QWidget *videoView() const;
    QWidget *mediaLibPanel() const;
    int menuBarHeight() const;

    void computePaneRects();
    void layoutPanes();
    void applyDisplayMode();
    void showWebCamView(bool show);
    void showDocCamView(bool show);
    void reparentWebCamToPip();
    void reparentWebCamToCentral();
    void placeImageControlPanel();
    void placeVideoControlPanel();
    void placeToolsPanelTab(bool mediaLibraryOut);
    void centerToolsPanel();
    void centreMediaLibPanel();
    void placeSideTabs();
    void layoutDocCamView(const QRect &area);
    void layoutWebCamView(const QRect &area);
    void layoutImageView(const QRect &area);
    void layoutVideoView(const QRect &area);
    void layoutMediaPane();
    void setDisplayMode(int mode);
    void enterSplitMode(int mode, bool webCamShown);
    void enterFullDisplay();
    void showMediaPane();
    void switchRealFullScreen(bool fullScreen, QWidget *controlPanel, QWidget *media);

    // The display-mode change an image (7) or a video (8) makes; returns the mode before it.
    int switchToFullDisplay(int fullMode);
    void showImage(const QString &path, int modeBefore);
    void imageDecodeFailed(const QString &path);
    bool startAttachedVideo(const QString &path, int modeBefore);
    void clearImageCanvas();
    void setPlayingVideo(const QString &path);

    void slide(QPointer<QPropertyAnimation> &animation, QWidget *panel, const QPoint &end);
    void enterPresenterMode(bool visor);

    void handRecordedFiles(const QList<QString> &files);
    void handRecordedFilesInWidgetMode(const QList<QString> &files);
    // The files of a stopped recording that hold something.
    static QList<QString> recordedFilesKept(const QList<QString> &files);
    void tellWhereRecordingsAre(const QList<QString> &files);
    void followPrimaryScreen(QScreen *screen);
    bool retryDocCamReconnect();
    void showGradeCamState();
    // A notice of the settings service (SettingImpl::Notice), said once in a box over the window.
    void showSettingsNotice(int notice, const QString &folder);

    std::unique_ptr<Ui::Quillo> ui;
    VideoIntf *m_video = nullptr;
    MediaLibraryIntf *m_mediaLibrary = nullptr;
    ImageWidget *m_imageWidget = nullptr;
    AnnotationIntf *m_annotation = nullptr;
    ToolsPanel *m_toolsPanel = nullptr;
    // The drawing surfaces belong to the annotation service and may go before the window.
    QPointer<QWidget> m_docCamCanvas;
    QPointer<QWidget> m_imageCanvas;
    RecordingIntf *m_recording = nullptr;
    SettingIntf *m_settings = nullptr;
    CaptureIntf *m_capture = nullptr;
    LumoVisionIntf *m_docCam = nullptr;
    WebCamIntf *m_webCam = nullptr;
    int m_displayMode = PaneLayout::OneSplit;
    int m_previousDisplayMode = PaneLayout::OneSplit;
    int m_mediaKind = NoMedia;
    PipView *m_pipView = nullptr;
    // The sources of panes 1-3 and of the picture-in-picture pane; a mode writes only those it uses.
    std::array<int, 4> m_paneSource{};
    PaneLayout::Panes m_panes;
    QRect m_pipRect;
    VideoControlPanel *m_videoControlPanel = nullptr;
    // A window of its own; it holds the camera view in widget mode.
    std::unique_ptr<WidgetModeToolBar> m_widgetBar;
    bool m_widgetMode = false;
    RecordingTray *m_recordingTray = nullptr;
    // A stop was asked for while another dialog was open; it runs once that dialog is closed.
    bool m_stopWaitsForDialog = false;
    // One retry of a waiting stop at a time, however often the stop is asked for.
    bool m_stopRetryScheduled = false;
    SettingDialog *m_settingDialog = nullptr;
    bool m_canClose = false;
    QString m_currentVideoPath;
    VisorIntf *m_visor = nullptr;
    SpotlightIntf *m_spotlight = nullptr;
    bool m_videoFullScreen = false;
    bool m_imageFullScreen = false;
    bool m_mediaLibShown = false;
    bool m_toolsPanelShown = false;
    bool m_mediaLibShownBeforePresenter = false;
    bool m_toolsPanelShownBeforePresenter = false;
    ImageControlPanel *m_imageControlPanel = nullptr;
    ImageWidget *m_noMediaWidget = nullptr;
    bool m_presenterMode = false;

    // The video's length as last given to its control panel; a recording never closed learns its length
    // only while it plays.
    int m_videoLength = 0;
    // The document camera is lent to the grading service's page; the action's text shows it in the
    // user's language and the decision never reads the text.
    bool m_docCamLent = false;
    // One slide at a time per panel: a new one takes over from where the running one got to.
    QPointer<QPropertyAnimation> m_toolsPanelSlide;
    QPointer<QPropertyAnimation> m_mediaLibSlide;
    QPointer<QScreen> m_primaryScreen;
};
