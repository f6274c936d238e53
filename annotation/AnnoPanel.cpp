#include "AnnoPanel.h"

#include "AnnotationImpl.h"
#include "CanvasEditor.h"
#include "CanvasView.h"
#include "FreehandPanel.h"
#include "LinePanel.h"
#include "ShapePanel.h"
#include "TextPanel.h"
#include "ui_AnnoPanel.h"

#include <QPropertyAnimation>
#include <QShortcut>
#include <QSignalTransition>
#include <QState>
#include <QStateMachine>
#include <QTimerEvent>

namespace {
// How often a tool state looks whether its slide has ended; well under the 250 ms slide, so the buttons
// that slid out are hidden soon after they left the strip.
constexpr int kSlidePollMs = 100;
// The separator and the option panel stand this far right of the line button's place.
constexpr int kOptionPanelOffset = 12;
} // namespace

AnnoPanel::AnnoPanel(QWidget *parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::AnnoPanel>())
{
    ui->setupUi(this);
    for (EnlargeToolButton *button : {ui->freehandBtn, ui->lineBtn, ui->shapeBtn, ui->textBtn, ui->deleteBtn,
                                      ui->undoBtn, ui->redoBtn, ui->deleteAllBtn})
        button->saveIconSize();
    ui->labelBack->hide();
    connect(ui->freehandBtn, &QToolButton::clicked, this, &AnnoPanel::switchToFreehand);
    connect(ui->lineBtn, &QToolButton::clicked, this, &AnnoPanel::switchToLine);
    connect(ui->shapeBtn, &QToolButton::clicked, this, &AnnoPanel::switchToShape);
    connect(ui->textBtn, &QToolButton::clicked, this, &AnnoPanel::switchToText);
    connect(ui->deleteBtn, &QToolButton::clicked, this, &AnnoPanel::deleteGraphic);
    connect(ui->deleteAllBtn, &QToolButton::clicked, this, &AnnoPanel::clearCanvas);
    connect(ui->undoBtn, &QToolButton::clicked, this, &AnnoPanel::undoCanvas);
    connect(ui->redoBtn, &QToolButton::clicked, this, &AnnoPanel::redoCanvas);
    m_freehandPanel = new FreehandPanel(this);
    m_linePanel = new LinePanel(this);
    m_shapePanel = new ShapePanel(this);
    m_textPanel = new TextPanel(this);
    buildStateMachine();
    ui->undoBtn->setEnabled(false);
    ui->redoBtn->setEnabled(false);
    if (AnnotationIntf *service = AnnotationImpl::getInstance())
        service->setStateListener(this);

    const struct
    {
        QKeySequence keys;
        void (AnnoPanel::*slot)();
    } shortcuts[] = {
        {QKeySequence::Undo, &AnnoPanel::undoCanvas},
        {QKeySequence::Redo, &AnnoPanel::redoCanvas},
        {QKeySequence::Delete, &AnnoPanel::deleteGraphic},
        {QKeySequence(tr("Ctrl+K")), &AnnoPanel::clearCanvas},
    };
    for (const auto &shortcut : shortcuts) {
        connect(new QShortcut(shortcut.keys, this), &QShortcut::activated, this, [this, slot = shortcut.slot] {
            if (shortcutsApply())
                (this->*slot)();
        });
    }
}

// A shortcut stands for a button of this strip and edits the surface the presenter last drew on. It acts
// only while both are in sight: Qt counts the strip as visible when it is slid out of its tool panel (or
// the panel out of the window), and a surface too when its place lies outside its parent's.
bool AnnoPanel::shortcutsApply() const
{
    const auto inSight = [](const QWidget *widget) {
        return widget && widget->isVisible() && !widget->visibleRegion().isEmpty();
    };
    if (!inSight(this))
        return false;
    auto *service = static_cast<AnnotationImpl *>(AnnotationImpl::getInstance());
    return service && service->editor() && inSight(service->editor()->currentView());
}

AnnoPanel::~AnnoPanel()
{
    // The service outlives the strip; it must not call a destroyed listener.
    AnnotationImpl::forgetStateListener(this);
}

void AnnoPanel::buildStateMachine()
{
    const int stripWidth = width();
    const QPoint origin = ui->freehandBtn->pos();
    const int leftOut = -ui->redoBtn->geometry().right();
    const int optionX = ui->lineBtn->x() + kOptionPanelOffset;
    const QList<EnlargeToolButton *> toolButtons{ui->freehandBtn, ui->lineBtn, ui->shapeBtn, ui->textBtn};
    const QList<QWidget *> tools(toolButtons.cbegin(), toolButtons.cend());
    const QList<QWidget *> options{m_freehandPanel, m_linePanel, m_shapePanel, m_textPanel};
    const QList<QWidget *> edits{ui->deleteBtn, ui->deleteAllBtn, ui->undoBtn, ui->redoBtn};
    const auto slideRight = [&](QWidget *widget) { return QPoint(widget->x() - origin.x() + stripWidth, origin.y()); };
    m_slideThreshold = slideRight(ui->redoBtn).x();

    m_machine = std::make_unique<QStateMachine>();
    auto *normal = new QState(m_machine.get());
    for (QWidget *button : tools + edits)
        normal->assignProperty(button, "pos", button->pos());
    for (QWidget *widget : options + QList<QWidget *>{ui->separator}) {
        normal->assignProperty(widget, "pos", QPoint(leftOut, 0));
        widget->move(leftOut, 0);
    }
    connect(normal, &QState::entered, this, &AnnoPanel::normalStateEntered);

    void (AnnoPanel::*const entered[])() = {&AnnoPanel::freehandStateEntered, &AnnoPanel::lineStateEntered,
                                            &AnnoPanel::shapeStateEntered, &AnnoPanel::textStateEntered};
    for (int tool = 0; tool < tools.size(); ++tool) {
        auto *state = new QState(m_machine.get());
        for (int other = 0; other < tools.size(); ++other) {
            QWidget *button = tools.at(other);
            QPoint to = origin;
            if (other < tool)
                to = QPoint(button->x() - origin.x() + leftOut, origin.y());
            else if (other > tool)
                to = slideRight(button);
            state->assignProperty(button, "pos", to);
        }
        for (QWidget *button : edits)
            state->assignProperty(button, "pos", slideRight(button));
        state->assignProperty(ui->separator, "pos", QPoint(optionX, 0));
        state->assignProperty(options.at(tool), "pos", QPoint(optionX + ui->separator->width(), 0));
        connect(state, &QState::entered, this, entered[tool]);
        connect(state, &QState::exited, this, &AnnoPanel::stateExited);

        const QList<QWidget *> sliding = tools + edits + QList<QWidget *>{ui->separator, options.at(tool)};
        for (QSignalTransition *transition :
             {normal->addTransition(toolButtons.at(tool), &QAbstractButton::clicked, state),
              state->addTransition(toolButtons.at(tool), &QAbstractButton::clicked, normal)}) {
            for (QWidget *widget : sliding)
                transition->addAnimation(new QPropertyAnimation(widget, "pos", transition));
        }
    }
    m_machine->setInitialState(normal);
    m_machine->start();
}

void AnnoPanel::clickCurrentToolButton()
{
    switch (m_toolState) {
    case FREEHAND:
        ui->freehandBtn->click();
        break;
    case LINE:
        ui->lineBtn->click();
        break;
    case SHAPE:
        ui->shapeBtn->click();
        break;
    case TEXT:
        ui->textBtn->click();
        break;
    case NORMAL:
        break;
    }
}

void AnnoPanel::updateUndoState(bool canUndo)
{
    ui->undoBtn->setEnabled(canUndo);
}

void AnnoPanel::updateRedoState(bool canRedo)
{
    ui->redoBtn->setEnabled(canRedo);
}

void AnnoPanel::switchToSelect()
{
    if (AnnotationIntf *service = AnnotationImpl::getInstance())
        service->switchToSelect();
}

void AnnoPanel::switchToFreehand()
{
    if (AnnotationIntf *service = AnnotationImpl::getInstance())
        service->switchToFreehand();
}

// The line, shape and text buttons move away from under the pointer, so they never see the hover end.
void AnnoPanel::switchToLine()
{
    ui->lineBtn->restoreIconSize();
    if (AnnotationIntf *service = AnnotationImpl::getInstance())
        service->switchToLine();
}

void AnnoPanel::switchToShape()
{
    ui->shapeBtn->restoreIconSize();
    if (AnnotationIntf *service = AnnotationImpl::getInstance())
        service->switchToShape();
}

void AnnoPanel::switchToText()
{
    ui->textBtn->restoreIconSize();
    if (AnnotationIntf *service = AnnotationImpl::getInstance())
        service->switchToText();
}

void AnnoPanel::deleteGraphic()
{
    if (AnnotationIntf *service = AnnotationImpl::getInstance())
        service->deleteGraphic();
}

void AnnoPanel::clearCanvas()
{
    // Every surface at once, as one step that can be undone, leaving the views where they are.
    if (AnnotationIntf *service = AnnotationImpl::getInstance())
        service->clearCanvas(nullptr, false, false);
}

void AnnoPanel::undoCanvas()
{
    if (AnnotationIntf *service = AnnotationImpl::getInstance())
        service->undo();
}

void AnnoPanel::redoCanvas()
{
    if (AnnotationIntf *service = AnnotationImpl::getInstance())
        service->redo();
}

void AnnoPanel::normalStateEntered()
{
    m_toolState = NORMAL;
    switchToSelect();
}

void AnnoPanel::freehandStateEntered()
{
    toolStateEntered(FREEHAND);
}

void AnnoPanel::lineStateEntered()
{
    toolStateEntered(LINE);
}

void AnnoPanel::shapeStateEntered()
{
    toolStateEntered(SHAPE);
}

void AnnoPanel::textStateEntered()
{
    toolStateEntered(TEXT);
}

void AnnoPanel::toolStateEntered(ToolState state)
{
    m_toolState = state;
    const QList<QWidget *> toolsToTheRight{ui->lineBtn, ui->shapeBtn, ui->textBtn};
    m_pendingHide = toolsToTheRight.mid(state - FREEHAND);
    m_pendingHide << ui->deleteBtn << ui->undoBtn << ui->redoBtn;
    m_pollTimerId = startTimer(kSlidePollMs);
    ui->labelBack->show();
}

void AnnoPanel::stateExited()
{
    // A slide cut short never reaches its end: its poll would run for ever.
    if (m_pollTimerId) {
        killTimer(m_pollTimerId);
        m_pollTimerId = 0;
    }
    for (QWidget *widget : std::as_const(m_pendingHide))
        widget->show();
    m_pendingHide.clear();
    ui->labelBack->hide();
}

void AnnoPanel::timerEvent(QTimerEvent *event)
{
    if (m_pollTimerId == 0 || event->timerId() != m_pollTimerId) {
        QWidget::timerEvent(event);
        return;
    }
    if (ui->redoBtn->x() < m_slideThreshold)
        return;
    killTimer(m_pollTimerId);
    m_pollTimerId = 0;
    for (QWidget *widget : std::as_const(m_pendingHide))
        widget->hide();
}
