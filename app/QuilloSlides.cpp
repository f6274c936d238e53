#include "Quillo.h"
#include "ui_Quillo.h"

#include "LumoVisionIntf.h"
#include "SpotlightIntf.h"
#include "ToolsPanel.h"
#include "VisorIntf.h"
#include "WebCamIntf.h"
#include "WidgetModeToolBar.h"

#include <QGuiApplication>
#include <QPropertyAnimation>
#include <QScreen>

// Quillo's panel slides, its widget mode and its presenter mode.

namespace {

// The panels' slides: short enough to feel immediate, long enough to show where the panel went.
constexpr int kSlideMs = 100;

} // namespace

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
