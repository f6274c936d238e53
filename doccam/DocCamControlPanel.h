#pragma once

#include <QWidget>

#include <memory>

class DocCamAdjustToolsPanel;
class LumoVisionIntf;
class QStateMachine;

namespace Ui {
class DocCamControlPanel;
}

// The document-camera strip of the tool panel: auto focus, zoom in, zoom out, reset zoom, pause, rotate,
// mirror, and "Adjust image", which slides the strip aside and brings in the adjust panel. Buttons are
// enabled from the service's action-status mask and pause follows the freeze state; while the picture is
// frozen the adjust view cannot be opened.
class DocCamControlPanel : public QWidget
{
    Q_OBJECT

public:
    explicit DocCamControlPanel(QWidget *parent = nullptr);
    ~DocCamControlPanel() override;

    // Called once by the tool panel; before it the camera buttons do nothing.
    void setDocCamService(LumoVisionIntf *service);
    // Slides the adjust view back when it is open; the tool panel calls it when the user leaves the
    // document-camera tools.
    void closeAdjustPanel();

public Q_SLOTS:
    void adjustBtnClicked(bool open);
    void autoFocusRequest();
    void zoomInRequest();
    void zoomOutRequest();
    void zoomResetRequest();
    void visionPauseRequest();
    void visionRotateRequest();
    void visionMirrorRequest();
    void updateUIWithActionStatus(uint status);
    void pauseChangeUI(bool frozen);

private:
    void buildStateMachine();

    std::unique_ptr<Ui::DocCamControlPanel> ui;
    LumoVisionIntf *m_service = nullptr;
    DocCamAdjustToolsPanel *m_adjustPanel = nullptr;
    std::unique_ptr<QStateMachine> m_machine;
    bool m_adjustOpen = false;
};
