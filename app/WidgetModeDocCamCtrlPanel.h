#pragma once

#include <QFrame>

#include <memory>

class LumoVisionIntf;

namespace Ui {
class WidgetModeDocCamCtrlPanel;
}

// The widget-mode bar's camera row: auto focus, zoom in, zoom out, zoom reset, freeze, rotate and mirror.
// Each button is enabled by its bit of the camera's action status; the freeze button shows the frozen
// picture as checked.
class WidgetModeDocCamCtrlPanel : public QFrame
{
    Q_OBJECT

public:
    explicit WidgetModeDocCamCtrlPanel(QWidget *parent = nullptr);
    ~WidgetModeDocCamCtrlPanel() override;

    // Takes the camera's current status and connects the buttons; before it the buttons do nothing.
    void setDocCamService(LumoVisionIntf *service);

public Q_SLOTS:
    void autoFocusRequest();
    void zoomInRequest();
    void zoomOutRequest();
    void zoomResetRequest();
    void visionPauseRequest();
    void visionRotateRequest();
    void visionMirrorRequest();
    void actionStatusChangeUI(uint status);
    void freezeStatusChangeUI(bool frozen);

private:
    std::unique_ptr<Ui::WidgetModeDocCamCtrlPanel> ui;
    LumoVisionIntf *m_service = nullptr;
};
