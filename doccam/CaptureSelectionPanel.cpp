#include "CaptureSelectionPanel.h"

#include "CaptureImpl.h"
#include "MessageBoxes.h"
#include "ui_CaptureSeletionPanel.h"

#include <QScopedValueRollback>

namespace {
// The longest series and interval the editors allow: three days, and six hours between shots.
constexpr int kMaxTotalSeconds = 72 * 3600;
constexpr int kMaxIntervalSeconds = 6 * 3600;
constexpr int kHour = 3600;
constexpr int kMinute = 60;

QString twoDigits(int value)
{
    return value <= 9 ? QStringLiteral("0") + QString::number(value) : QString::number(value);
}
} // namespace

CaptureSelectionPanel::CaptureSelectionPanel(QWidget *parent)
    : QFrame(parent)
    , ui(std::make_unique<Ui::CaptureSeletionPanel>())
{
    ui->setupUi(this);
    ui->startStopBtn->hide();
    ui->recordingStatus->hide();
    for (EnlargeToolButton *button :
         {ui->fullScreenCaptureBtn, ui->timeLapesCaptureBtn, ui->docCamCaptureBtn, ui->startStopBtn})
        button->saveIconSize();
}

CaptureSelectionPanel::~CaptureSelectionPanel() = default;

void CaptureSelectionPanel::setCaptureService(CaptureIntf *service)
{
    m_service = service;
    updateUIWithActionStatus(service->actionStatus());
    connect(service, &CaptureIntf::timeLapseImageCaptureCompleted, this, &CaptureSelectionPanel::endOfTimeLapesCapture);
    connect(service, &CaptureIntf::timeLapseImageCaptureAborted, this,
            &CaptureSelectionPanel::interruptTimeLapesCapture);
    connect(service, &CaptureIntf::actionStatusChanged, this, &CaptureSelectionPanel::updateUIWithActionStatus);
    connect(ui->decTimeBtn, &QToolButton::clicked, this, &CaptureSelectionPanel::decTime);
    connect(ui->decIntervalBtn, &QToolButton::clicked, this, &CaptureSelectionPanel::decInterval);
    connect(ui->incIntervalBtn, &QToolButton::clicked, this, &CaptureSelectionPanel::incInterval);
    connect(ui->incTimeBtn, &QToolButton::clicked, this, &CaptureSelectionPanel::incTime);
    connect(ui->timeLapesCaptureBtn, &QToolButton::clicked, this, &CaptureSelectionPanel::startEditTimeLapes);
    connect(ui->startStopBtn, &QToolButton::clicked, this, &CaptureSelectionPanel::startStopTimeLapesCapture);
    connect(ui->docCamCaptureBtn, &QToolButton::clicked, this, &CaptureSelectionPanel::docCamCapture);
    connect(ui->fullScreenCaptureBtn, &QToolButton::clicked, this, &CaptureSelectionPanel::screenCapture);
    connect(ui->timeHour, &QPushButton::clicked, this, &CaptureSelectionPanel::setEditTimeHour);
    connect(ui->timeMin, &QPushButton::clicked, this, &CaptureSelectionPanel::setEditTimeMin);
    connect(ui->timeSec, &QPushButton::clicked, this, &CaptureSelectionPanel::setEditTimeSec);
    connect(ui->intervalHour, &QPushButton::clicked, this, &CaptureSelectionPanel::setEditIntervalHour);
    connect(ui->intervalMin, &QPushButton::clicked, this, &CaptureSelectionPanel::setEditIntervalMin);
    connect(ui->intervalSec, &QPushButton::clicked, this, &CaptureSelectionPanel::setEditIntervalSec);
    connect(service, &CaptureIntf::timeLapseCaptureProgressUpdated, this,
            &CaptureSelectionPanel::updateCaptureProgress);
}

void CaptureSelectionPanel::closeTimeLapseEditor()
{
    // A disabled button ignores the click, so only an open set-up is closed.
    if (m_timeLapseEditorOpen)
        ui->timeLapesCaptureBtn->click();
}

CaptureSelectionPanel::Editor CaptureSelectionPanel::timeEditor()
{
    return {ui->timeHour, ui->timeMin, ui->timeSec, &m_timeSeconds, kMaxTotalSeconds};
}

CaptureSelectionPanel::Editor CaptureSelectionPanel::intervalEditor()
{
    return {ui->intervalHour, ui->intervalMin, ui->intervalSec, &m_intervalSeconds, kMaxIntervalSeconds};
}

void CaptureSelectionPanel::incTime()
{
    raise(timeEditor());
}

void CaptureSelectionPanel::decTime()
{
    lower(timeEditor());
}

void CaptureSelectionPanel::incInterval()
{
    raise(intervalEditor());
}

void CaptureSelectionPanel::decInterval()
{
    lower(intervalEditor());
}

void CaptureSelectionPanel::raise(const Editor &editor)
{
    int step = 1;
    if (editor.minutes->isChecked())
        step = kMinute;
    else if (editor.hours->isChecked())
        step = kHour;
    *editor.value = qMin(*editor.value + step, editor.cap);
    sendParameters();
    redraw(editor);
}

void CaptureSelectionPanel::lower(const Editor &editor)
{
    int &value = *editor.value;
    if (editor.minutes->isChecked()) {
        if (value >= kMinute)
            value -= kMinute;
    } else if (editor.hours->isChecked()) {
        if (value >= kHour)
            value -= kHour;
    } else if (value > 0) {
        --value;
    }
    sendParameters();
    redraw(editor);
}

void CaptureSelectionPanel::sendParameters()
{
    if (m_service)
        m_service->setTimeLapseParameters(uint(m_timeSeconds), uint(m_intervalSeconds));
}

void CaptureSelectionPanel::redraw(const Editor &editor)
{
    const int value = *editor.value;
    editor.hours->setText(twoDigits(value / kHour));
    editor.minutes->setText(twoDigits((value / kMinute) % 60));
    editor.seconds->setText(twoDigits(value % kMinute));
}

void CaptureSelectionPanel::resetEditors()
{
    m_timeSeconds = 0;
    m_intervalSeconds = 0;
    redraw(timeEditor());
    redraw(intervalEditor());
}

void CaptureSelectionPanel::uncheckUnits()
{
    for (QPushButton *unit :
         {ui->timeHour, ui->timeMin, ui->timeSec, ui->intervalHour, ui->intervalMin, ui->intervalSec})
        unit->setChecked(false);
}

void CaptureSelectionPanel::chooseUnit(const Editor &editor, QPushButton *unit, bool checked)
{
    // At most one unit per editor: clicking the checked one leaves none, and the arrows count seconds.
    editor.hours->setChecked(false);
    editor.minutes->setChecked(false);
    editor.seconds->setChecked(false);
    unit->setChecked(checked);
}

void CaptureSelectionPanel::setEditTimeHour(bool checked)
{
    chooseUnit(timeEditor(), ui->timeHour, checked);
}

void CaptureSelectionPanel::setEditTimeMin(bool checked)
{
    chooseUnit(timeEditor(), ui->timeMin, checked);
}

void CaptureSelectionPanel::setEditTimeSec(bool checked)
{
    chooseUnit(timeEditor(), ui->timeSec, checked);
}

void CaptureSelectionPanel::setEditIntervalHour(bool checked)
{
    chooseUnit(intervalEditor(), ui->intervalHour, checked);
}

void CaptureSelectionPanel::setEditIntervalMin(bool checked)
{
    chooseUnit(intervalEditor(), ui->intervalMin, checked);
}

void CaptureSelectionPanel::setEditIntervalSec(bool checked)
{
    chooseUnit(intervalEditor(), ui->intervalSec, checked);
}

void CaptureSelectionPanel::captureOnce(int (CaptureIntf::*capture)(QString *))
{
    if (!m_service || m_capturing)
        return;
    const QScopedValueRollback<bool> busy(m_capturing, true);
    QString path;
    (m_service->*capture)(&path);
}

void CaptureSelectionPanel::screenCapture()
{
    captureOnce(&CaptureIntf::captureScreen);
}

void CaptureSelectionPanel::docCamCapture()
{
    if (ui->docCamCaptureBtn->isEnabled())
        captureOnce(&CaptureIntf::captureVision);
}

void CaptureSelectionPanel::doTimeLapesCapture()
{
}

void CaptureSelectionPanel::startEditTimeLapes()
{
    if (m_service)
        m_service->toggleTimeLapseSetup();
    resetEditors();
    uncheckUnits();
}

void CaptureSelectionPanel::startStopTimeLapesCapture(bool start)
{
    if (!m_service)
        return;
    if (!start) {
        m_service->stopTimeLapseCapture();
        resetEditors();
        return;
    }
    QString refusal;
    if (m_timeSeconds == 0 || m_intervalSeconds == 0)
        refusal = QStringLiteral("Time & Interval can not be 0.");
    else if (m_timeSeconds < m_intervalSeconds)
        refusal = QStringLiteral("Time can not less than interval.");
    if (!refusal.isEmpty()) {
        MessageBoxes::Request box;
        box.parent = this;
        box.text = refusal;
        MessageBoxes::exec(box);
    } else {
        ui->docCamCaptureBtn->setEnabled(false);
        ui->fullScreenCaptureBtn->setEnabled(false);
        m_service->startTimeLapseCapture();
    }
    // A start that did not happen announces no new status: without this the button would stay checked with
    // no series running.
    updateUIWithActionStatus(m_service->actionStatus());
}

void CaptureSelectionPanel::endOfTimeLapesCapture(const QList<QString> &)
{
    m_timeSeconds = 0;
    m_intervalSeconds = 0;
    uncheckUnits();
    redraw(timeEditor());
    redraw(intervalEditor());
}

void CaptureSelectionPanel::interruptTimeLapesCapture(const QList<QString> &, int)
{
}

void CaptureSelectionPanel::updateUIWithActionStatus(uint status)
{
    ui->timeLapesCaptureBtn->setEnabled(status & CaptureImpl::TIME_LAPSE);
    ui->startStopBtn->setVisible(status & (CaptureImpl::TIME_LAPSE_START_SHOWN | CaptureImpl::TIME_LAPSE_RUNNING));
    ui->startStopBtn->setEnabled(status & (CaptureImpl::TIME_LAPSE_PARAMETERS_VALID | CaptureImpl::TIME_LAPSE_RUNNING));
    ui->startStopBtn->setChecked(status & CaptureImpl::TIME_LAPSE_RUNNING);
    const bool editable = status & CaptureImpl::TIME_LAPSE_EDITORS_EDITABLE;
    for (QWidget *control : {static_cast<QWidget *>(ui->decIntervalBtn), static_cast<QWidget *>(ui->incIntervalBtn),
                             static_cast<QWidget *>(ui->incTimeBtn), static_cast<QWidget *>(ui->decTimeBtn),
                             static_cast<QWidget *>(ui->timeHour), static_cast<QWidget *>(ui->timeSec),
                             static_cast<QWidget *>(ui->timeMin), static_cast<QWidget *>(ui->intervalHour),
                             static_cast<QWidget *>(ui->intervalMin), static_cast<QWidget *>(ui->intervalSec)})
        control->setEnabled(editable);
    ui->docCamCaptureBtn->setEnabled(status & CaptureImpl::DOC_CAM);
    ui->fullScreenCaptureBtn->setEnabled(status & CaptureImpl::FULL_SCREEN);
    ui->recordingStatus->setVisible(status & CaptureImpl::TIME_LAPSE_PROGRESS_SHOWN);
    ui->timeWidget->setVisible(status & CaptureImpl::TIME_LAPSE_EDITORS_SHOWN);
    ui->intervalWidget->setVisible(status & CaptureImpl::TIME_LAPSE_EDITORS_SHOWN);
    m_timeLapseEditorOpen = !(status & CaptureImpl::DOC_CAM);
}

void CaptureSelectionPanel::updateCaptureProgress(uint shotsTaken, uint shotsPlanned)
{
    ui->recordingStatus->setText(QString::number(shotsTaken) + QStringLiteral("/ ") + QString::number(shotsPlanned));
}
