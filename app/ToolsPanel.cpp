#include "ToolsPanel.h"

#include "AnnoPanel.h"
#include "AnnotationIntf.h"
#include "CaptureSelectionPanel.h"
#include "DocCamControlPanel.h"
#include "GradingServicePage.h"
#include "LumoVisionIntf.h"
#include "MainWindowIntf.h"
#include "MessageBoxes.h"
#include "OsHelpers.h"
#include "PresenterPanel.h"
#include "RecordingIntf.h"
#include "RecordingStarter.h"
#include "SplitScreenPanel.h"
#include "ui_ToolsPanel.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QSignalTransition>
#include <QState>
#include <QStateMachine>
#include <QStyleOptionFrame>

#include <algorithm>

namespace {

// Where a state puts a widget, in the terms of the panel's layout rule (see setupStateMachine).
enum class Place {
    Stay,           // assigns nothing: the widget keeps where it is
    Form,           // its own place in the form, as the main buttons show it
    LeftOut,        // beyond the left edge
    RightOut,       // beyond the right edge
    Home,           // the first place, where the home button stands
    Function,       // the second place, where the function's own button stands
    HomeSeparator,  // the separator between those two
    StripSeparator, // the separator before the strip
    Strip,          // where a strip slides in
    Arrow,          // the back arrow in the corner of the function's button
};

// The main state and the five function states.
constexpr int kStateCount = 6;

// Room each side of a label before its button widens, so that it does not touch its neighbour's; the form's
// widths leave the tightest English label ("Split screen") a little more.
constexpr int kLabelMargin = 2;

} // namespace

ToolsPanel::ToolsPanel(QWidget *parent)
    : QFrame(parent)
    , ui(std::make_unique<Ui::ToolsPanel>())
    , m_machine(std::make_unique<QStateMachine>())
{
    ui->setupUi(this);
    setAttribute(Qt::WA_MouseTracking);
    for (EnlargeToolButton *button : {ui->captureBtn, ui->annoBtn, ui->presenterBtn, ui->docCamBtn, ui->recordBtn,
                                      ui->splitBtn, ui->widgetModeBtn, ui->mainMenuBtn, ui->gradeCamBtn})
        button->saveIconSize();
    ui->labelBack->hide();
    fitButtonsToTexts();

    m_annoPanel = new AnnoPanel(this);
    m_docCamPanel = new DocCamControlPanel(this);
    m_capturePanel = new CaptureSelectionPanel(this);
    m_splitPanel = new SplitScreenPanel(this);
    m_presenterPanel = new PresenterPanel(this);

    setupStateMachine();

    connect(ui->annoBtn, &QToolButton::clicked, this, &ToolsPanel::annoBtnClicked);
    connect(ui->docCamBtn, &QToolButton::clicked, this, &ToolsPanel::docCamBtnClicked);
    connect(ui->captureBtn, &QToolButton::clicked, this, &ToolsPanel::captureBtnClicked);
    connect(ui->splitBtn, &QToolButton::clicked, this, &ToolsPanel::splitBtnClicked);
    connect(ui->presenterBtn, &QToolButton::clicked, this, &ToolsPanel::presenterBtnClicked);
    connect(ui->closeBtn, &QToolButton::clicked, this, &ToolsPanel::closeBtnClicked);
    connect(ui->mainMenuBtn, &QToolButton::clicked, this, &ToolsPanel::homeBtnClicked);
    connect(ui->gradeCamBtn, &QToolButton::clicked, this, &ToolsPanel::gradeCamBtnClicked);

    ui->closeBtn->raise();
    setCursor(Qt::ArrowCursor);
}

ToolsPanel::~ToolsPanel() = default;

// The form's widths hold the English labels; a longer language's label widens its button instead of being
// cut, and whatever stands to its right moves along, the panel growing with it. The home button waits just
// beyond the left edge.
void ToolsPanel::fitButtonsToTexts()
{
    QList<QWidget *> row;
    for (QWidget *widget : findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (widget->x() >= 0)
            row << widget;
    }
    std::sort(row.begin(), row.end(), [](QWidget *a, QWidget *b) { return a->x() < b->x(); });
    int growth = 0;
    for (QWidget *widget : row) {
        widget->move(widget->x() + growth, widget->y());
        if (auto *button = qobject_cast<EnlargeToolButton *>(widget)) {
            const int wider = button->textWidth() + 2 * kLabelMargin - button->width();
            if (wider > 0) {
                button->resize(button->width() + wider, button->height());
                growth += wider;
            }
        }
    }
    resize(width() + growth, height());

    EnlargeToolButton *home = ui->mainMenuBtn;
    const int gap = -home->width() - home->x();
    home->resize(std::max(home->width(), home->textWidth() + 2 * kLabelMargin), home->height());
    home->move(-home->width() - gap, home->y());
}

// Every state assigns "pos" from the form's geometry and the panel's width W, by one rule: a widget sent off
// to the left goes to its x - (W + x0), one sent off to the right to its x + (W - x0), both at y 5, x0 being
// the x of the first button. In a function state the home button takes the first place, the function's
// own button the second, line_5 the separator between them, a further line the separator before the strip,
// and the strip stands beyond that separator. Two lines take another line's place: line_4 off to the right
// goes to line_3's, line_2 off to the left to line's.
void ToolsPanel::setupStateMachine()
{
    const int panelWidth = width();
    // The home and the function places are as wide as the widest button that stands there.
    const QPoint home = ui->docCamBtn->pos();
    const int homeWidth = std::max(ui->docCamBtn->width(), ui->mainMenuBtn->width());
    const QPoint homeSeparator(ui->line->x() + homeWidth - ui->docCamBtn->width(), ui->line->y());
    const QPoint function(homeSeparator.x() + ui->annoBtn->x() - ui->line->x(), ui->annoBtn->y());
    int functionWidth = 0;
    for (const QWidget *button : {ui->annoBtn, ui->docCamBtn, ui->captureBtn, ui->splitBtn, ui->presenterBtn})
        functionWidth = std::max(functionWidth, button->width());
    const QPoint stripSeparator(
        function.x() + functionWidth + ui->line_4->x() - ui->annoBtn->x() - ui->annoBtn->width(), ui->line_4->y());
    const QPoint strip(stripSeparator.x() + function.x() - homeSeparator.x(), 0);
    const QPoint arrow = ui->labelBack->pos() + (function - home);
    const int outY = home.y();
    const int leftShift = -(panelWidth + home.x());
    const int rightShift = panelWidth - home.x();

    QWidget *const strips[] = {m_annoPanel, m_docCamPanel, m_capturePanel, m_splitPanel, m_presenterPanel};

    // The states' order in the table below: main, annotation, doc-cam, capture, split, presenter.
    using P = Place;
    const struct Row
    {
        QWidget *widget;
        // Whose form x decides where the widget goes when it is sent out of sight.
        QWidget *leftAs;
        QWidget *rightAs;
        Place places[kStateCount];
    } rows[] = {
        {ui->mainMenuBtn, ui->mainMenuBtn, ui->mainMenuBtn, {P::Form, P::Home, P::Home, P::Home, P::Home, P::Home}},
        {ui->docCamBtn,
         ui->docCamBtn,
         ui->docCamBtn,
         {P::Form, P::LeftOut, P::Function, P::LeftOut, P::LeftOut, P::LeftOut}},
        {ui->line,
         ui->line,
         ui->line,
         {P::Form, P::LeftOut, P::HomeSeparator, P::StripSeparator, P::LeftOut, P::StripSeparator}},
        {ui->annoBtn,
         ui->annoBtn,
         ui->annoBtn,
         {P::Form, P::Function, P::RightOut, P::LeftOut, P::LeftOut, P::LeftOut}},
        {ui->line_4,
         ui->line_4,
         ui->line_3,
         {P::Form, P::RightOut, P::RightOut, P::RightOut, P::RightOut, P::RightOut}},
        {ui->presenterBtn,
         ui->presenterBtn,
         ui->presenterBtn,
         {P::Form, P::RightOut, P::RightOut, P::RightOut, P::RightOut, P::Function}},
        {ui->line_2,
         ui->line,
         ui->line_2,
         {P::Form, P::StripSeparator, P::StripSeparator, P::LeftOut, P::StripSeparator, P::LeftOut}},
        {ui->recordBtn,
         ui->recordBtn,
         ui->recordBtn,
         {P::Form, P::RightOut, P::RightOut, P::LeftOut, P::LeftOut, P::LeftOut}},
        {ui->captureBtn,
         ui->captureBtn,
         ui->captureBtn,
         {P::Form, P::RightOut, P::RightOut, P::Function, P::LeftOut, P::RightOut}},
        {ui->splitBtn,
         ui->splitBtn,
         ui->splitBtn,
         {P::Form, P::RightOut, P::RightOut, P::RightOut, P::Function, P::RightOut}},
        {ui->line_3,
         ui->line_3,
         ui->line_3,
         {P::Form, P::RightOut, P::RightOut, P::RightOut, P::RightOut, P::RightOut}},
        {ui->widgetModeBtn,
         ui->widgetModeBtn,
         ui->widgetModeBtn,
         {P::Form, P::RightOut, P::RightOut, P::RightOut, P::RightOut, P::RightOut}},
        {ui->gradeCamBtn,
         ui->gradeCamBtn,
         ui->gradeCamBtn,
         {P::Form, P::RightOut, P::RightOut, P::RightOut, P::RightOut, P::RightOut}},
        {ui->line_5,
         ui->line_5,
         ui->line_5,
         {P::Form, P::HomeSeparator, P::HomeSeparator, P::HomeSeparator, P::HomeSeparator, P::HomeSeparator}},
        {ui->labelBack, ui->labelBack, ui->labelBack, {P::Form, P::Arrow, P::Arrow, P::Arrow, P::Arrow, P::Arrow}},
        {m_annoPanel, nullptr, nullptr, {P::LeftOut, P::Strip, P::Stay, P::Stay, P::Stay, P::Stay}},
        {m_docCamPanel, nullptr, nullptr, {P::LeftOut, P::Stay, P::Strip, P::Stay, P::Stay, P::Stay}},
        {m_capturePanel, nullptr, nullptr, {P::LeftOut, P::Stay, P::Stay, P::Strip, P::Stay, P::Stay}},
        {m_splitPanel, nullptr, nullptr, {P::LeftOut, P::Stay, P::Stay, P::Stay, P::Strip, P::Stay}},
        {m_presenterPanel, nullptr, nullptr, {P::LeftOut, P::Stay, P::Stay, P::Stay, P::Stay, P::Strip}},
    };

    const auto position = [&](const Row &row, Place place) -> QPoint {
        switch (place) {
        case P::Form:
            return row.widget->pos();
        case P::LeftOut:
            // A strip waits one panel width to the left.
            return row.leftAs ? QPoint(row.leftAs->x() + leftShift, outY) : QPoint(-panelWidth, 0);
        case P::RightOut:
            return QPoint(row.rightAs->x() + rightShift, outY);
        case P::Home:
            return home;
        case P::Function:
            return function;
        case P::HomeSeparator:
            return homeSeparator;
        case P::StripSeparator:
            return stripSeparator;
        case P::Strip:
            return strip;
        case P::Arrow:
            return arrow;
        case P::Stay:
            break;
        }
        return {};
    };

    QState *states[kStateCount];
    for (QState *&state : states)
        state = new QState(m_machine.get());
    for (const Row &row : rows) {
        for (int i = 0; i < kStateCount; ++i) {
            if (row.places[i] != P::Stay)
                states[i]->assignProperty(row.widget, "pos", position(row, row.places[i]));
        }
    }
    for (int i = 0; i < kStateCount; ++i)
        states[i]->assignProperty(ui->labelBack, "visible", i != 0);
    for (QWidget *widget : strips)
        widget->move(-panelWidth, 0);

    QState *const main = states[0];
    connect(states[1], &QState::exited, this, &ToolsPanel::annoStateExited);
    connect(states[2], &QState::exited, this, &ToolsPanel::docCamStateExited);
    addFunctionState(main, states[1], ui->annoBtn);
    addFunctionState(main, states[2], ui->docCamBtn);
    addFunctionState(main, states[3], ui->captureBtn);
    addFunctionState(main, states[4], ui->splitBtn);
    addFunctionState(main, states[5], ui->presenterBtn);

    m_machine->setInitialState(main);
    m_machine->start();
}

// The three ways between the main state and one function state: in and out by the function's button, out
// by the home button.
void ToolsPanel::addFunctionState(QState *main, QState *function, QAbstractButton *button)
{
    addSlideAnimations(main->addTransition(button, &QAbstractButton::clicked, function));
    addSlideAnimations(function->addTransition(button, &QAbstractButton::clicked, main));
    addSlideAnimations(function->addTransition(ui->mainMenuBtn, &QAbstractButton::clicked, main));
}

// Every widget but the grading button and the back arrow slides, for the animation's default 250 ms with
// linear easing; those two take their new place at once.
void ToolsPanel::addSlideAnimations(QAbstractTransition *transition)
{
    QWidget *const sliding[] = {ui->docCamBtn,  ui->line,        ui->annoBtn,       ui->line_2,  ui->recordBtn,
                                ui->captureBtn, ui->splitBtn,    ui->presenterBtn,  ui->line_3,  ui->line_4,
                                ui->line_5,     ui->mainMenuBtn, ui->widgetModeBtn, m_annoPanel, m_docCamPanel,
                                m_capturePanel, m_splitPanel,    m_presenterPanel};
    for (QWidget *widget : sliding)
        transition->addAnimation(new QPropertyAnimation(widget, "pos", transition));
}

void ToolsPanel::setMainWindow(MainWindowIntf *mainWindow)
{
    m_mainWindow = mainWindow;
    m_splitPanel->setMainWindow(mainWindow);
    m_presenterPanel->setMainWindow(mainWindow);
    connect(ui->widgetModeBtn, &QToolButton::clicked, mainWindow, &MainWindowIntf::becomeWidgetMode);
    connect(mainWindow, &MainWindowIntf::isFullDisplayMode, this, &ToolsPanel::fullDisplayChangedUI);
}

void ToolsPanel::setDocCamService(LumoVisionIntf *service)
{
    m_docCam = service;
    m_docCamPanel->setDocCamService(service);
    if (!service->isDocCamConnected()) {
        ui->docCamBtn->setEnabled(false);
        ui->gradeCamBtn->setEnabled(false);
    }
    connect(service, &LumoVisionIntf::docCamConnected, this, &ToolsPanel::enableDocCamTools);
    connect(service, &LumoVisionIntf::docCamDisconnected, this, &ToolsPanel::disableDocCamTools);
}

void ToolsPanel::setCaptureService(CaptureIntf *service)
{
    m_capturePanel->setCaptureService(service);
}

void ToolsPanel::setRecordingService(RecordingIntf *service)
{
    m_recording = service;
    connect(ui->recordBtn, &QToolButton::clicked, this, &ToolsPanel::startStopRecording);
    connect(service, &RecordingIntf::actionStatusChanged, this, &ToolsPanel::recordUIChangedWithStatus);
}

void ToolsPanel::setAnnotationService(AnnotationIntf *service)
{
    m_annotation = service;
}

void ToolsPanel::returnToMainMenu()
{
    ui->mainMenuBtn->click();
}

void ToolsPanel::annoStateExited()
{
    m_annoPanel->clickCurrentToolButton();
}

// The function buttons slide away from under the pointer and never see the hover end.
void ToolsPanel::annoBtnClicked(bool checked)
{
    ui->labelBack->setVisible(checked);
    ui->annoBtn->restoreIconSize();
}

void ToolsPanel::docCamBtnClicked(bool checked)
{
    ui->labelBack->setVisible(checked);
    ui->docCamBtn->restoreIconSize();
}

void ToolsPanel::captureBtnClicked(bool checked)
{
    ui->labelBack->setVisible(checked);
    if (!checked)
        m_capturePanel->closeTimeLapseEditor();
    ui->captureBtn->restoreIconSize();
}

void ToolsPanel::splitBtnClicked(bool checked)
{
    ui->labelBack->setVisible(checked);
    ui->splitBtn->restoreIconSize();
}

void ToolsPanel::presenterBtnClicked(bool checked)
{
    ui->labelBack->setVisible(checked);
    ui->presenterBtn->restoreIconSize();
}

void ToolsPanel::docCamStateExited()
{
    m_docCamPanel->closeAdjustPanel();
}

void ToolsPanel::disableDocCamTools()
{
    if (m_docCam && m_docCam->isDocCamConnected())
        return;
    if (ui->docCamBtn->isChecked())
        ui->docCamBtn->click();
    ui->docCamBtn->setEnabled(false);
    ui->gradeCamBtn->setEnabled(false);
}

void ToolsPanel::enableDocCamTools(const QString &)
{
    ui->docCamBtn->setEnabled(true);
    ui->gradeCamBtn->setEnabled(true);
}

void ToolsPanel::closeBtnClicked()
{
    emit toolPanelClosed();
}

void ToolsPanel::fullDisplayChangedUI(bool full)
{
    ui->widgetModeBtn->setEnabled(!full);
    ui->splitBtn->setEnabled(!full);
    ui->docCamBtn->setEnabled(!full && m_docCam && m_docCam->isDocCamConnected());
}

void ToolsPanel::homeBtnClicked()
{
    ui->docCamBtn->setChecked(false);
}

void ToolsPanel::gradeCamBtnClicked()
{
    if (!m_docCam)
        return;
    if (!m_docCamLent) {
        if (!gradingServiceSetUp(this))
            return;
        const QString question = tr("The DocCam will be disconnected from\n Quillo while we take you to the Lumo\n "
                                    "Gradecam Insight login page. Are you\n sure you want to proceed?");
        if (ask(question, QMessageBox::No | QMessageBox::Ok) != QMessageBox::Ok || m_docCam->releaseDocCam() < 0)
            return;
        // A page that did not open leaves the user nothing to do with the camera: it is taken back, and stays
        // lent only when that fails too, for the button to take it back later.
        m_docCamLent = openGradingServiceLoginPage(this) || !tryReconnectDocCam();
    } else {
        if (!tryReconnectDocCam())
            return;
        m_docCamLent = false;
    }
    showGradeCamState();
}

bool ToolsPanel::tryReconnectDocCam()
{
    while (m_docCam->reconnectDocCam() < 0) {
        const QString question =
            tr("Quillo can not reconnect to the DocCam.\n Make sure you are logged out of \n Gradecam.");
        if (ask(question, QMessageBox::Retry | QMessageBox::Cancel) != QMessageBox::Retry)
            return false;
    }
    return true;
}

QMessageBox::StandardButton ToolsPanel::ask(const QString &question, QMessageBox::StandardButtons buttons)
{
    MessageBoxes::Request request;
    request.parent = this;
    // The title is the program's own and is not translated.
    request.title = QStringLiteral("Warning");
    request.icon = QMessageBox::Question;
    request.text = question;
    request.buttons = buttons;
    return MessageBoxes::exec(request);
}

void ToolsPanel::showGradeCamState()
{
    ui->gradeCamBtn->setText(m_docCamLent ? tr("Reconnect") : tr("GradeCam"));
}

void ToolsPanel::startStopRecording(bool checked)
{
    if (!m_recording || !m_mainWindow)
        return;
    if (!checked) {
        m_mainWindow->stopRecord();
        return;
    }
    // A running or paused recording leaves the button checked until the next status redraws it.
    if (!(m_recording->actionStatus() & RecordingIntf::RECORDING_STATUS_IDLE))
        return;
    auto *countDown = new RecordingStarter(m_mainWindow, false, -1, -1);
    connect(m_mainWindow, &MainWindowIntf::quilloMoved, countDown, &RecordingStarter::quilloMoved);
    countDown->setGeometry(windowFrameGeometry(m_mainWindow));
    countDown->show();
    countDown->start();
    connect(countDown, &RecordingStarter::startRecording, this, &ToolsPanel::startRecording);
    // The recording is readied during the count-down, so that its time starts when the count ends.
    m_recording->prepareRecording();
}

void ToolsPanel::startRecording(bool go)
{
    if (!go && m_recording)
        m_recording->cancelPreparedRecording();
    if (go && m_recording && m_recording->startRecording() >= 0) {
        if (m_mainWindow)
            m_mainWindow->startRecording();
        return;
    }
    ui->recordBtn->setChecked(false);
}

void ToolsPanel::clearAll()
{
    if (m_annotation)
        m_annotation->clearCanvas(nullptr, false, false);
}

void ToolsPanel::recordUIChangedWithStatus(uint status)
{
    const bool recording = status & RecordingIntf::RECORDING_STATUS_RECORDING;
    ui->recordBtn->setChecked(recording);
    // The status texts are the program's own and are not translated.
    ui->recordBtn->setText(recording ? QStringLiteral("Click to stop") : QStringLiteral("Record"));
    ui->recordBtn->update();
}

// A custom frame: the style sheet's border, rounded corners and gradient are drawn by the style's frame
// primitive, which a plain QFrame does not ask for.
void ToolsPanel::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setClipRegion(event->region());
    QStyleOptionFrame option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_Frame, &option, &painter, this);
}
