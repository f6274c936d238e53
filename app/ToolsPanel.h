#pragma once

#include <QFrame>
#include <QMessageBox>

#include <memory>

class AnnoPanel;
class AnnotationIntf;
class CaptureIntf;
class CaptureSelectionPanel;
class DocCamControlPanel;
class LumoVisionIntf;
class MainWindowIntf;
class PresenterPanel;
class QAbstractButton;
class QAbstractTransition;
class QState;
class QStateMachine;
class QWidget;
class RecordingIntf;
class SplitScreenPanel;

namespace Ui {
class ToolsPanel;
}

// The main window's strip of large tool buttons. Five of them slide their function's strip into the
// frame in place of the buttons (annotation, document camera, capture, split screen, presenter); record,
// widget mode, the grading service and close act at once. The record button counts down before it starts
// a recording and mirrors the recording service's status; the grading button lends the document camera to
// the grading service's login page in the browser and takes it back.
class ToolsPanel : public QFrame
{
    Q_OBJECT

public:
    explicit ToolsPanel(QWidget *parent = nullptr);
    ~ToolsPanel() override;

    // The setters keep their pointer without owning it; the main window calls each once, in this order,
    // right after construction.
    void setMainWindow(MainWindowIntf *mainWindow);
    void setDocCamService(LumoVisionIntf *service);
    void setCaptureService(CaptureIntf *service);
    void setRecordingService(RecordingIntf *service);
    void setAnnotationService(AnnotationIntf *service);

    // Back to the main buttons, as a click on the home button does; the main window calls it before it
    // shows a picture or a video in full display.
    void returnToMainMenu();

Q_SIGNALS:
    void toolPanelClosed();

public Q_SLOTS:
    void annoStateExited();
    void annoBtnClicked(bool checked);
    void docCamBtnClicked(bool checked);
    void captureBtnClicked(bool checked);
    void splitBtnClicked(bool checked);
    void presenterBtnClicked(bool checked);
    void docCamStateExited();
    void disableDocCamTools();
    void enableDocCamTools(const QString &name);
    void closeBtnClicked();
    void fullDisplayChangedUI(bool full);
    void homeBtnClicked();
    void gradeCamBtnClicked();
    void startStopRecording(bool checked);
    void startRecording(bool go);
    void clearAll();
    void recordUIChangedWithStatus(uint status);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void fitButtonsToTexts();
    void setupStateMachine();
    void addFunctionState(QState *main, QState *function, QAbstractButton *button);
    void addSlideAnimations(QAbstractTransition *transition);
    bool tryReconnectDocCam();
    QMessageBox::StandardButton ask(const QString &question, QMessageBox::StandardButtons buttons);
    void showGradeCamState();

    std::unique_ptr<Ui::ToolsPanel> ui;
    MainWindowIntf *m_mainWindow = nullptr;
    std::unique_ptr<QStateMachine> m_machine;
    AnnoPanel *m_annoPanel = nullptr;
    DocCamControlPanel *m_docCamPanel = nullptr;
    CaptureSelectionPanel *m_capturePanel = nullptr;
    RecordingIntf *m_recording = nullptr;
    AnnotationIntf *m_annotation = nullptr;
    LumoVisionIntf *m_docCam = nullptr;
    SplitScreenPanel *m_splitPanel = nullptr;
    PresenterPanel *m_presenterPanel = nullptr;
    // The document camera has been lent to the grading service's page and not taken back yet. The
    // button's text shows it, in the user's language; the decision never reads the text.
    bool m_docCamLent = false;
};
