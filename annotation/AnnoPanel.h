#pragma once

#include "UpdateAnnoStateIntf.h"

#include <QList>
#include <QWidget>

#include <memory>

class FreehandPanel;
class LinePanel;
class QStateMachine;
class ShapePanel;
class TextPanel;

namespace Ui {
class AnnoPanel;
}

// The annotation strip of the tool panel: the freehand, line, shape and text tools and the delete, delete
// all, undo and redo buttons. Choosing a tool slides the other buttons out, moves the tool's button to the
// left end with a back arrow and slides the tool's option panel in beside it; a second click on that button
// slides everything back and leaves the select tool active. Every action goes to the annotation service,
// which tells the strip when undo and redo become available.
class AnnoPanel : public QWidget, public UpdateAnnoStateIntf
{
    Q_OBJECT

public:
    explicit AnnoPanel(QWidget *parent = nullptr);
    ~AnnoPanel() override;

    // Clicks the button of the current tool, which slides the strip back and selects the select tool; does
    // nothing while no tool is chosen. The tool panel calls it when the user leaves annotation.
    void clickCurrentToolButton();

    void updateUndoState(bool canUndo) override;
    void updateRedoState(bool canRedo) override;

public Q_SLOTS:
    void switchToSelect();
    void switchToFreehand();
    void switchToLine();
    void switchToShape();
    void switchToText();
    void deleteGraphic();
    void clearCanvas();
    void undoCanvas();
    void redoCanvas();
    void normalStateEntered();
    void freehandStateEntered();
    void lineStateEntered();
    void shapeStateEntered();
    void textStateEntered();
    void stateExited();

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    // The tool states, numbered as the current tool.
    enum ToolState { NORMAL = 0, FREEHAND = 1, LINE = 2, SHAPE = 3, TEXT = 4 };

    void buildStateMachine();
    bool shortcutsApply() const;
    void toolStateEntered(ToolState state);

    std::unique_ptr<Ui::AnnoPanel> ui;
    FreehandPanel *m_freehandPanel = nullptr;
    LinePanel *m_linePanel = nullptr;
    ShapePanel *m_shapePanel = nullptr;
    TextPanel *m_textPanel = nullptr;
    std::unique_ptr<QStateMachine> m_machine;
    // The x that the redo button reaches in every tool state: once there, the slide is over.
    int m_slideThreshold = 0;
    int m_pollTimerId = 0;
    // Buttons slid out to the right, hidden once the slide is over and shown again when the state is left.
    QList<QWidget *> m_pendingHide;
    ToolState m_toolState = NORMAL;
};
