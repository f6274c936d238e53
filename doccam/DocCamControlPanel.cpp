#include "DocCamControlPanel.h"

#include "DocCamAdjustToolsPanel.h"
#include "LumoVisionIntf.h"
#include "ui_DocCamControlPanel.h"

#include <QPropertyAnimation>
#include <QSignalTransition>
#include <QState>
#include <QStateMachine>

namespace {
// Gap between the adjust button at the left end and the adjust panel beside it.
constexpr int kAdjustPanelGap = 5;
} // namespace

DocCamControlPanel::DocCamControlPanel(QWidget *parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::DocCamControlPanel>())
{
    m_adjustPanel = new DocCamAdjustToolsPanel(this);
    ui->setupUi(this);
    for (EnlargeToolButton *button : {ui->autoFocusBtn, ui->mirrorBtn, ui->pauseBtn, ui->resetZoomBtn, ui->zoomInBtn,
                                      ui->zoomOutBtn, ui->rotateBtn, ui->adjustBtn})
        button->saveIconSize();
    ui->labelBack->hide();
    connect(ui->adjustBtn, &QToolButton::clicked, this, &DocCamControlPanel::adjustBtnClicked);
    buildStateMachine();
}

DocCamControlPanel::~DocCamControlPanel() = default;

void DocCamControlPanel::buildStateMachine()
{
    const int stripWidth = width();
    const QPoint origin = ui->autoFocusBtn->pos();
    const QList<QWidget *> cameraButtons{ui->autoFocusBtn, ui->zoomInBtn, ui->zoomOutBtn, ui->resetZoomBtn,
                                         ui->pauseBtn,     ui->rotateBtn, ui->mirrorBtn};

    m_machine = std::make_unique<QStateMachine>();
    auto *normal = new QState(m_machine.get());
    auto *adjust = new QState(m_machine.get());
    for (QWidget *button : cameraButtons + QList<QWidget *>{ui->adjustBtn})
        normal->assignProperty(button, "pos", button->pos());
    normal->assignProperty(m_adjustPanel, "pos", QPoint(stripWidth, 0));
    m_adjustPanel->move(stripWidth, 0);

    for (QWidget *button : cameraButtons)
        adjust->assignProperty(button, "pos", QPoint(button->x() - origin.x() - stripWidth, 0));
    adjust->assignProperty(ui->adjustBtn, "pos", origin);
    adjust->assignProperty(m_adjustPanel, "pos", QPoint(origin.x() + ui->adjustBtn->width() + kAdjustPanelGap, 0));

    const QList<QWidget *> sliding = cameraButtons + QList<QWidget *>{ui->adjustBtn, m_adjustPanel};
    for (QSignalTransition *transition : {normal->addTransition(ui->adjustBtn, &QAbstractButton::clicked, adjust),
                                          adjust->addTransition(ui->adjustBtn, &QAbstractButton::clicked, normal)}) {
        for (QWidget *widget : sliding)
            transition->addAnimation(new QPropertyAnimation(widget, "pos", transition));
    }
    m_machine->setInitialState(normal);
    m_machine->start();
}

void DocCamControlPanel::setDocCamService(LumoVisionIntf *service)
{
    m_service = service;
    m_adjustPanel->setDocCamService(service);
    updateUIWithActionStatus(service->actionStatus());
    connect(ui->autoFocusBtn, &QToolButton::clicked, this, &DocCamControlPanel::autoFocusRequest);
    connect(ui->mirrorBtn, &QToolButton::clicked, this, &DocCamControlPanel::visionMirrorRequest);
    connect(ui->pauseBtn, &QToolButton::clicked, this, &DocCamControlPanel::visionPauseRequest);
    connect(ui->resetZoomBtn, &QToolButton::clicked, this, &DocCamControlPanel::zoomResetRequest);
    connect(ui->zoomInBtn, &QToolButton::clicked, this, &DocCamControlPanel::zoomInRequest);
    connect(ui->zoomOutBtn, &QToolButton::clicked, this, &DocCamControlPanel::zoomOutRequest);
    connect(ui->rotateBtn, &QToolButton::clicked, this, &DocCamControlPanel::visionRotateRequest);
    connect(service, &LumoVisionIntf::actionStatusChanged, this, &DocCamControlPanel::updateUIWithActionStatus);
    connect(service, &LumoVisionIntf::freezeStatusChanged, this, &DocCamControlPanel::pauseChangeUI);
}

void DocCamControlPanel::closeAdjustPanel()
{
    if (m_adjustOpen)
        ui->adjustBtn->click();
}

void DocCamControlPanel::adjustBtnClicked(bool open)
{
    m_adjustOpen = open;
    ui->labelBack->setVisible(open);
    // The button slides away from under the pointer and never sees the hover end.
    ui->adjustBtn->restoreIconSize();
}

void DocCamControlPanel::autoFocusRequest()
{
    if (m_service)
        m_service->autoFocus();
}

void DocCamControlPanel::zoomInRequest()
{
    if (m_service)
        m_service->zoomIn();
}

void DocCamControlPanel::zoomOutRequest()
{
    if (m_service)
        m_service->zoomOut();
}

void DocCamControlPanel::zoomResetRequest()
{
    if (m_service)
        m_service->zoomReset();
}

void DocCamControlPanel::visionPauseRequest()
{
    // The click has already toggled the button; take it back, so that only the camera's report of its
    // freeze state sets it and a refused freeze leaves it as it was.
    ui->pauseBtn->setChecked(!ui->pauseBtn->isChecked());
    if (m_service)
        m_service->toggleFreeze();
}

void DocCamControlPanel::visionRotateRequest()
{
    if (m_service)
        m_service->rotate();
}

void DocCamControlPanel::visionMirrorRequest()
{
    if (m_service)
        m_service->toggleMirror();
}

void DocCamControlPanel::updateUIWithActionStatus(uint status)
{
    ui->autoFocusBtn->setEnabled(status & LumoVisionIntf::AUTO_FOCUS);
    ui->zoomInBtn->setEnabled(status & LumoVisionIntf::ZOOM_IN);
    ui->zoomOutBtn->setEnabled(status & LumoVisionIntf::ZOOM_OUT);
    ui->resetZoomBtn->setEnabled(status & LumoVisionIntf::ZOOM_RESET);
    ui->pauseBtn->setEnabled(status & LumoVisionIntf::FREEZE);
    ui->rotateBtn->setEnabled(status & LumoVisionIntf::ROTATE);
    ui->mirrorBtn->setEnabled(status & LumoVisionIntf::MIRROR);
}

void DocCamControlPanel::pauseChangeUI(bool frozen)
{
    ui->pauseBtn->setChecked(frozen);
    if (frozen) {
        if (ui->adjustBtn->isChecked())
            ui->adjustBtn->click();
        ui->adjustBtn->setEnabled(false);
    } else {
        ui->adjustBtn->setEnabled(true);
    }
}
