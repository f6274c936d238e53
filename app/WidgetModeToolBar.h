#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>

class CaptureIntf;
class LumoVisionIntf;
class MainWindowIntf;
class QPropertyAnimation;
class QStateMachine;
class RecordingIntf;
class WidgetModeDocCamCtrlPanel;

namespace Ui {
class WidgetModeToolBar;
}

// The small frameless, always-on-top window that stands in for the main window in widget mode: a row of
// buttons (camera controls, record, capture, collapse/expand, back to the normal window) over a black
// container into which the main window moves the live camera view. The camera button swaps the row for
// the camera control row and back.
class WidgetModeToolBar : public QWidget
{
    Q_OBJECT

public:
    explicit WidgetModeToolBar(QWidget *parent = nullptr);
    ~WidgetModeToolBar() override;

    // The setters keep their pointer without owning it; the main window calls each once, in this order,
    // right after construction.
    void setMainWindow(MainWindowIntf *mainWindow);
    void setCaptureService(CaptureIntf *service);
    void setDocCamService(LumoVisionIntf *service);
    void setRecordingService(RecordingIntf *service);

    // The camera view is collapsed to the button row.
    bool isVisionHidden() const;
    // Neither emits clicked.
    void uncheckRecordButton();
    void uncheckShowHideButton();

public Q_SLOTS:
    // Collapses the bar to its button row, or expands it to the camera view's height, in an animation.
    void showHideVision(bool hide);
    void recordUIChangedWithStatus(uint status);
    QWidget *getVisionContainer();
    void docCamBtnClicked(bool checked);
    // The record button: stops a running recording, or counts down to a new one.
    void startRecording(bool checked);
    // The end of the count-down.
    void startStopRecording(bool go);
    void docCamCapture();
    void captureActionStatusChangedUI(uint status);
    void docCamConnectedChangedUI(const QString &name);
    void docCamDisconnectedChagnedUI();

protected:
    // The bar closes only when the main window agrees to close.
    void closeEvent(QCloseEvent *event) override;

private:
    void setupStateMachine();

    std::unique_ptr<Ui::WidgetModeToolBar> ui;
    std::unique_ptr<QStateMachine> m_machine;
    MainWindowIntf *m_mainWindow = nullptr;
    CaptureIntf *m_capture = nullptr;
    RecordingIntf *m_recording = nullptr;
    WidgetModeDocCamCtrlPanel *m_ctrlPanel = nullptr;
    LumoVisionIntf *m_docCam = nullptr;
    // A capture is being saved; the save runs a nested event loop in which the button still takes clicks.
    bool m_capturing = false;
    QPointer<QPropertyAnimation> m_sizeAnimation;
};
