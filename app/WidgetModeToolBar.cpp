#include "WidgetModeToolBar.h"

#include "CaptureIntf.h"
#include "LumoVisionIntf.h"
#include "MainWindowIntf.h"
#include "RecordingIntf.h"
#include "RecordingStarter.h"
#include "WidgetModeDocCamCtrlPanel.h"
#include "ui_WidgetModeToolBar.h"

#include <QCloseEvent>
#include <QPropertyAnimation>
#include <QScopedValueRollback>
#include <QSignalTransition>
#include <QState>
#include <QStateMachine>

namespace {
// Long enough to be seen as a slide, short enough not to keep the teacher waiting.
constexpr int kSizeAnimationMs = 300;
} // namespace

WidgetModeToolBar::WidgetModeToolBar(QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , ui(std::make_unique<Ui::WidgetModeToolBar>())
    , m_machine(std::make_unique<QStateMachine>())
{
    ui->setupUi(this);
    m_ctrlPanel = new WidgetModeDocCamCtrlPanel(ui->toolsContainer);
    for (EnlargePushButton *button :
         {ui->captureBtn, ui->docCamBtn, ui->recordingBtn, ui->returnNormalModeBtn, ui->showHideBtn})
        button->saveIconSize();
    ui->labelBack->hide();
    connect(ui->docCamBtn, &QPushButton::clicked, this, &WidgetModeToolBar::docCamBtnClicked);
    connect(ui->showHideBtn, &QPushButton::clicked, this, &WidgetModeToolBar::showHideVision);
    setupStateMachine();
}

WidgetModeToolBar::~WidgetModeToolBar() = default;

// Two row layouts, assigned at once: the tool buttons, or the camera row beside the camera button with the
// other buttons pushed out past the right edge.
void WidgetModeToolBar::setupStateMachine()
{
    const int barWidth = width();
    const QPoint first = ui->docCamBtn->pos();
    QWidget *const row[] = {ui->docCamBtn, ui->line,        ui->recordingBtn,       ui->captureBtn,
                            ui->line_2,    ui->showHideBtn, ui->returnNormalModeBtn};
    QWidget *const pushedOut[] = {ui->recordingBtn, ui->captureBtn, ui->line_2, ui->showHideBtn,
                                  ui->returnNormalModeBtn};

    auto *tools = new QState(m_machine.get());
    auto *controls = new QState(m_machine.get());
    for (QWidget *widget : row)
        tools->assignProperty(widget, "pos", widget->pos());
    tools->assignProperty(m_ctrlPanel, "pos", QPoint(-barWidth, 0));
    m_ctrlPanel->move(-barWidth, 0);

    controls->assignProperty(m_ctrlPanel, "pos", QPoint(ui->line->x(), 0));
    for (QWidget *widget : pushedOut)
        controls->assignProperty(widget, "pos", QPoint(widget->x() - first.x() + barWidth, first.y()));

    tools->addTransition(ui->docCamBtn, &QAbstractButton::clicked, controls);
    controls->addTransition(ui->docCamBtn, &QAbstractButton::clicked, tools);
    m_machine->setInitialState(tools);
    m_machine->start();
}

void WidgetModeToolBar::setMainWindow(MainWindowIntf *mainWindow)
{
    m_mainWindow = mainWindow;
    connect(ui->returnNormalModeBtn, &QPushButton::clicked, mainWindow, &MainWindowIntf::leaveWidgetMode);
}

void WidgetModeToolBar::setCaptureService(CaptureIntf *service)
{
    m_capture = service;
    connect(ui->captureBtn, &QPushButton::clicked, this, &WidgetModeToolBar::docCamCapture);
    connect(service, &CaptureIntf::actionStatusChanged, this, &WidgetModeToolBar::captureActionStatusChangedUI);
}

void WidgetModeToolBar::setDocCamService(LumoVisionIntf *service)
{
    m_docCam = service;
    m_ctrlPanel->setDocCamService(service);
    const bool connected = service->isDocCamConnected();
    ui->docCamBtn->setEnabled(connected);
    ui->captureBtn->setEnabled(connected);
    connect(service, &LumoVisionIntf::docCamConnected, this, &WidgetModeToolBar::docCamConnectedChangedUI);
    connect(service, &LumoVisionIntf::docCamDisconnected, this, &WidgetModeToolBar::docCamDisconnectedChagnedUI);
}

void WidgetModeToolBar::setRecordingService(RecordingIntf *service)
{
    m_recording = service;
    connect(ui->recordingBtn, &QPushButton::clicked, this, &WidgetModeToolBar::startRecording);
    connect(service, &RecordingIntf::actionStatusChanged, this, &WidgetModeToolBar::recordUIChangedWithStatus);
}

bool WidgetModeToolBar::isVisionHidden() const
{
    // The button is the one record of the state: the window unchecks it when it expands the bar itself.
    return ui->showHideBtn->isChecked();
}

void WidgetModeToolBar::uncheckRecordButton()
{
    ui->recordingBtn->setChecked(false);
}

void WidgetModeToolBar::uncheckShowHideButton()
{
    ui->showHideBtn->setChecked(false);
}

void WidgetModeToolBar::showHideVision(bool hide)
{
    ui->showHideBtn->setChecked(hide);
    int visionHeight = 0;
    if (!hide && m_docCam && m_docCam->cameraWidget())
        visionHeight = m_docCam->cameraWidget()->height();
    // A second click during the slide takes over from where the first one got to.
    if (m_sizeAnimation)
        m_sizeAnimation->stop();
    m_sizeAnimation = new QPropertyAnimation(this, "size", this);
    m_sizeAnimation->setDuration(kSizeAnimationMs);
    m_sizeAnimation->setStartValue(size());
    m_sizeAnimation->setEndValue(QSize(width(), ui->toolsContainer->height() + visionHeight));
    m_sizeAnimation->start(QAbstractAnimation::DeleteWhenStopped);
}

void WidgetModeToolBar::recordUIChangedWithStatus(uint status)
{
    const bool recording = status & RecordingIntf::RECORDING_STATUS_RECORDING;
    ui->recordingBtn->setChecked(recording);
    // The status texts are the program's own and are not translated.
    ui->recordingBtn->setToolTip(recording ? QStringLiteral("Click to stop") : QStringLiteral("Record"));
    ui->recordingBtn->update();
}

QWidget *WidgetModeToolBar::getVisionContainer()
{
    return ui->visionContainer;
}

// The back arrow marks the camera button as the way back while the camera row is out.
void WidgetModeToolBar::docCamBtnClicked(bool checked)
{
    ui->labelBack->setVisible(checked);
}

void WidgetModeToolBar::startRecording(bool)
{
    if (!m_recording || !m_mainWindow)
        return;
    if (!(m_recording->actionStatus() & RecordingIntf::RECORDING_STATUS_IDLE)) {
        m_mainWindow->stopRecord();
        return;
    }
    auto *countDown = new RecordingStarter(this, ui->showHideBtn->isChecked(), width(), height());
    countDown->setGeometry(QRect(pos() + QPoint(0, ui->toolsContainer->height()), ui->visionContainer->size()));
    countDown->show();
    countDown->start();
    connect(countDown, &RecordingStarter::startRecording, this, &WidgetModeToolBar::startStopRecording);
    // The recording is readied during the count-down, so that its time starts when the count ends.
    m_recording->prepareRecording();
}

void WidgetModeToolBar::startStopRecording(bool go)
{
    if (!go && m_recording)
        m_recording->cancelPreparedRecording();
    if (go && m_recording && m_recording->startRecording() >= 0) {
        if (m_mainWindow)
            m_mainWindow->startRecording();
        return;
    }
    ui->recordingBtn->setChecked(false);
}

void WidgetModeToolBar::docCamCapture()
{
    if (!m_capture || m_capturing)
        return;
    const QScopedValueRollback<bool> busy(m_capturing, true);
    QString path;
    m_capture->captureVision(&path);
}

void WidgetModeToolBar::captureActionStatusChangedUI(uint status)
{
    ui->captureBtn->setEnabled(status & CaptureIntf::DOC_CAM);
}

void WidgetModeToolBar::docCamConnectedChangedUI(const QString &)
{
    ui->docCamBtn->setEnabled(true);
    ui->captureBtn->setEnabled(true);
}

void WidgetModeToolBar::docCamDisconnectedChagnedUI()
{
    if (m_docCam && m_docCam->isDocCamConnected())
        return;
    if (ui->docCamBtn->isChecked())
        ui->docCamBtn->click();
    ui->docCamBtn->setEnabled(false);
    ui->captureBtn->setEnabled(false);
}

void WidgetModeToolBar::closeEvent(QCloseEvent *event)
{
    // Closing the window runs its exit checks; the bar goes only with it.
    event->setAccepted(!m_mainWindow || m_mainWindow->close());
}
