#include "WidgetModeDocCamCtrlPanel.h"

#include "LumoVisionIntf.h"
#include "ui_WidgetModeDocCamCtrlPanel.h"

WidgetModeDocCamCtrlPanel::WidgetModeDocCamCtrlPanel(QWidget *parent)
    : QFrame(parent)
    , ui(std::make_unique<Ui::WidgetModeDocCamCtrlPanel>())
{
    ui->setupUi(this);
    for (EnlargePushButton *button :
         {ui->focusBtn, ui->zoomInBtn, ui->zoomOutBtn, ui->zoomResetBtn, ui->pauseBtn, ui->rotateBtn, ui->mirrorBtn})
        button->saveIconSize();
}

WidgetModeDocCamCtrlPanel::~WidgetModeDocCamCtrlPanel() = default;

void WidgetModeDocCamCtrlPanel::setDocCamService(LumoVisionIntf *service)
{
    m_service = service;
    actionStatusChangeUI(service->actionStatus());
    const struct
    {
        QPushButton *button;
        void (WidgetModeDocCamCtrlPanel::*request)();
    } requests[] = {
        {ui->focusBtn, &WidgetModeDocCamCtrlPanel::autoFocusRequest},
        {ui->zoomInBtn, &WidgetModeDocCamCtrlPanel::zoomInRequest},
        {ui->zoomOutBtn, &WidgetModeDocCamCtrlPanel::zoomOutRequest},
        {ui->zoomResetBtn, &WidgetModeDocCamCtrlPanel::zoomResetRequest},
        {ui->pauseBtn, &WidgetModeDocCamCtrlPanel::visionPauseRequest},
        {ui->rotateBtn, &WidgetModeDocCamCtrlPanel::visionRotateRequest},
        {ui->mirrorBtn, &WidgetModeDocCamCtrlPanel::visionMirrorRequest},
    };
    for (const auto &request : requests)
        connect(request.button, &QPushButton::clicked, this, request.request);
    connect(service, &LumoVisionIntf::actionStatusChanged, this, &WidgetModeDocCamCtrlPanel::actionStatusChangeUI);
    connect(service, &LumoVisionIntf::freezeStatusChanged, this, &WidgetModeDocCamCtrlPanel::freezeStatusChangeUI);
}

void WidgetModeDocCamCtrlPanel::autoFocusRequest()
{
    if (m_service)
        m_service->autoFocus();
}

void WidgetModeDocCamCtrlPanel::zoomInRequest()
{
    if (m_service)
        m_service->zoomIn();
}

void WidgetModeDocCamCtrlPanel::zoomOutRequest()
{
    if (m_service)
        m_service->zoomOut();
}

void WidgetModeDocCamCtrlPanel::zoomResetRequest()
{
    if (m_service)
        m_service->zoomReset();
}

void WidgetModeDocCamCtrlPanel::visionPauseRequest()
{
    // The click has already toggled the button; take it back, so that only the camera's report of its
    // freeze state sets it and a refused freeze leaves it as it was.
    ui->pauseBtn->setChecked(!ui->pauseBtn->isChecked());
    if (m_service)
        m_service->toggleFreeze();
}

void WidgetModeDocCamCtrlPanel::visionRotateRequest()
{
    if (m_service)
        m_service->rotate();
}

void WidgetModeDocCamCtrlPanel::visionMirrorRequest()
{
    if (m_service)
        m_service->toggleMirror();
}

void WidgetModeDocCamCtrlPanel::actionStatusChangeUI(uint status)
{
    ui->focusBtn->setEnabled(status & LumoVisionIntf::AUTO_FOCUS);
    ui->zoomInBtn->setEnabled(status & LumoVisionIntf::ZOOM_IN);
    ui->zoomOutBtn->setEnabled(status & LumoVisionIntf::ZOOM_OUT);
    ui->zoomResetBtn->setEnabled(status & LumoVisionIntf::ZOOM_RESET);
    ui->pauseBtn->setEnabled(status & LumoVisionIntf::FREEZE);
    ui->rotateBtn->setEnabled(status & LumoVisionIntf::ROTATE);
    ui->mirrorBtn->setEnabled(status & LumoVisionIntf::MIRROR);
}

void WidgetModeDocCamCtrlPanel::freezeStatusChangeUI(bool frozen)
{
    ui->pauseBtn->setChecked(frozen);
}
