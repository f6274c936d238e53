#include "Quillo.h"
#include "ui_Quillo.h"

#include "ImageControlPanel.h"
#include "ImageWidget.h"
#include "LumoVisionIntf.h"
#include "MediaLibraryIntf.h"
#include "PipView.h"
#include "SpotlightIntf.h"
#include "ToolsPanel.h"
#include "VideoControlPanel.h"
#include "VideoIntf.h"
#include "VisorIntf.h"
#include "WebCamIntf.h"
#include "WidgetModeToolBar.h"

#include <QPainter>

#include <algorithm>

// Quillo's display modes: which view goes into which pane, the panes' geometry, the stacking of the central
// widget's children and the side tabs.

namespace {

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
            const PaneLayout::WidgetModeGeometry geometry = PaneLayout::widgetModeGeometry(m_widgetBar->width(),
                                                                                           view->size());
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
    static constexpr std::array<void (Quillo::*)(), 9> kEnter{&Quillo::becomeOneSplit,
                                                              &Quillo::becomePipSplit,
                                                              &Quillo::becomeDWTwoSplit,
                                                              &Quillo::becomeDMTwoSplit,
                                                              &Quillo::becomeDThreeSplit,
                                                              &Quillo::becomeWThreeSplit,
                                                              &Quillo::becomeMThreeSplit,
                                                              &Quillo::becomeImageFullDisplaySplit,
                                                              &Quillo::becomeVideoFullDisplaySplit};
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
    QList<QWidget *> order{m_spotlight->widget(), m_visor->widget(), mediaLibPanel(),
                           m_toolsPanel,          ui->mlShowHideBtn, ui->tpShowHideBtn};
    if (m_displayMode == PaneLayout::PipSplit) {
        m_pipView->raiseMoveButton();
        order << m_pipView;
        switch (m_paneSource[0]) {
        case PaneLayout::DocCamSource:
            order << docCam << webCam << m_noMediaWidget << m_imageControlPanel << m_imageWidget << m_videoControlPanel
                  << video;
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
    // A strip wider than the window (long translated labels on a narrow screen) keeps its first tools in
    // sight rather than losing both ends.
    m_toolsPanel->move(std::max(0, (width() - m_toolsPanel->width()) / 2), m_toolsPanel->y());
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
