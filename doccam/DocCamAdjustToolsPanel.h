#pragma once

#include <QFrame>

#include <memory>

class LumoVisionIntf;
class QTimer;

namespace Ui {
class DocCamAdjustToolsPanel;
}

// The picture-adjustment strip of the document camera: brightness and contrast sliders, manual focus with a
// short-lived "Near"/"Far" label, and the camera-mode buttons. Controls are enabled from the service's
// action-status mask, and the mode buttons show only what the camera confirms: a click is undone at once and
// the service's report sets the button.
class DocCamAdjustToolsPanel : public QFrame
{
    Q_OBJECT

public:
    explicit DocCamAdjustToolsPanel(QWidget *parent = nullptr);
    ~DocCamAdjustToolsPanel() override;

    // Called once by the control strip; until then no control does anything.
    void setDocCamService(LumoVisionIntf *service);

public Q_SLOTS:
    void incBrightness();
    void decBrightness();
    void updateBrightness(int value);
    void incContrast();
    void decContrast();
    void updateContrast(int value);
    void incExposure();
    void decExposure();
    void setAutoExposure(bool automatic);
    void updateAutoExposure(bool automatic);
    void updateExposure(int value);
    void incFocus();
    void decFocus();
    void incBlue();
    void decBlue();
    void incRed();
    void decRed();
    void setAutoWhiteBalance(bool automatic);
    void updateAutoWhiteBalance(bool automatic);
    void setNegative(bool on);
    void setBlackAndWhite(bool on);
    void updateColorEfc(int effect);
    void setInfiniteMode(bool on);
    void setWideEngleMode(bool on);
    void setMacroMode(bool on);
    void setMicroScopeMode(bool on);
    void setEnhanceMode(bool on);
    void setAutoImgMode(bool on);
    void updateDocCamMode(int mode);
    void updateAutoImg(bool automatic);
    void updateUIWithActionStatus(uint status);
    void manualFocusLabelHide();
    void setContrast(uint value);
    void setBrightness(uint value);

private:
    void showSliders();
    void showFocusLabel(const QString &text);
    void requestColorEffect(int effect);
    void requestDocCamMode(int mode);

    std::unique_ptr<Ui::DocCamAdjustToolsPanel> ui;
    LumoVisionIntf *m_service = nullptr;
    int m_brightness = 0;
    int m_contrast = 0;
    int m_exposure = 0;
    int m_colorEffect = 0;
    int m_docCamMode = 0;
    int m_focusLabelTicks = 0;
    QTimer *m_focusLabelTimer = nullptr;
};
