#include "Quillo.h"
#include "ui_Quillo.h"

#include "AnnotationIntf.h"
#include "ImageControlPanel.h"
#include "ImageWidget.h"
#include "LumoVisionIntf.h"
#include "MediaDrop.h"
#include "MediaFileStore.h"
#include "MediaIntf.h"
#include "ToolsPanel.h"
#include "VideoControlPanel.h"
#include "VideoIntf.h"
#include "WebCamIntf.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>

// Quillo's media pane: the image and the video it shows, their full displays and full screens, and the
// files dropped on the window.

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
    if (QWidget *panel = mediaLibPanel(); panel
                                          && MediaDrop::overMediaLibrary(event->position().toPoint(), panel->geometry(),
                                                                         menuBarHeight(), panel->isVisible()))
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
        controlPanel->setGeometry(PaneLayout::fullScreenPanelRect(
            central()->size(), media ? media->geometry() : QRect(), controlPanel->height()));
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
