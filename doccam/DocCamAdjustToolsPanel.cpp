#include "DocCamAdjustToolsPanel.h"

#include "LumoVisionIntf.h"
#include "SetValueSlider.h"
#include "ui_DocCamAdjustToolsPanel.h"

#include <QTimer>

namespace {
// The focus label stays about a second after the last press: five ticks of 200 ms, restarted by each press
// (also by a held button's repeats).
constexpr int kFocusLabelTickMs = 200;
constexpr int kFocusLabelTicks = 5;

int orZero(int serviceValue)
{
    // A negative answer is an error code, not a value.
    return serviceValue < 0 ? 0 : serviceValue;
}
} // namespace

DocCamAdjustToolsPanel::DocCamAdjustToolsPanel(QWidget *parent)
    : QFrame(parent)
    , ui(std::make_unique<Ui::DocCamAdjustToolsPanel>())
{
    ui->setupUi(this);
    ui->manualFocusLabel->hide();
    m_focusLabelTimer = new QTimer(this);
    connect(m_focusLabelTimer, &QTimer::timeout, this, &DocCamAdjustToolsPanel::manualFocusLabelHide);
}

DocCamAdjustToolsPanel::~DocCamAdjustToolsPanel() = default;

void DocCamAdjustToolsPanel::setDocCamService(LumoVisionIntf *service)
{
    m_service = service;
    m_brightness = orZero(service->brightness());
    m_contrast = orZero(service->contrast());
    m_exposure = orZero(service->exposure());
    m_colorEffect = orZero(service->colorEffect());
    updateUIWithActionStatus(service->actionStatus());
    showSliders();

    connect(ui->brightnessSlider, &SetValueSlider::valueChosen, this, &DocCamAdjustToolsPanel::setBrightness);
    connect(ui->contrastSlider, &SetValueSlider::valueChosen, this, &DocCamAdjustToolsPanel::setContrast);
    connect(service, &LumoVisionIntf::autoExposureChanged, this, &DocCamAdjustToolsPanel::updateAutoExposure);
    connect(service, &LumoVisionIntf::autoImageChanged, this, &DocCamAdjustToolsPanel::updateAutoImg);
    connect(service, &LumoVisionIntf::autoWhiteBalanceChanged, this, &DocCamAdjustToolsPanel::updateAutoWhiteBalance);
    connect(service, &LumoVisionIntf::brightnessChanged, this, &DocCamAdjustToolsPanel::updateBrightness);
    connect(service, &LumoVisionIntf::colorEffectChanged, this, &DocCamAdjustToolsPanel::updateColorEfc);
    connect(service, &LumoVisionIntf::contrastChanged, this, &DocCamAdjustToolsPanel::updateContrast);
    connect(service, &LumoVisionIntf::exposureChanged, this, &DocCamAdjustToolsPanel::updateExposure);
    connect(service, &LumoVisionIntf::docCamModeChanged, this, &DocCamAdjustToolsPanel::updateDocCamMode);
    connect(service, &LumoVisionIntf::actionStatusChanged, this, &DocCamAdjustToolsPanel::updateUIWithActionStatus);
    connect(ui->autoImgBtn, &QToolButton::clicked, this, &DocCamAdjustToolsPanel::setAutoImgMode);
    connect(ui->blackWhite, &QToolButton::clicked, this, &DocCamAdjustToolsPanel::setBlackAndWhite);
    connect(ui->negative, &QToolButton::clicked, this, &DocCamAdjustToolsPanel::setNegative);
    connect(ui->microScopeBtn, &QToolButton::clicked, this, &DocCamAdjustToolsPanel::setMicroScopeMode);
    connect(ui->enhanceBtn, &QToolButton::clicked, this, &DocCamAdjustToolsPanel::setEnhanceMode);
    connect(ui->incManualFocus, &QToolButton::clicked, this, &DocCamAdjustToolsPanel::incFocus);
    connect(ui->decManualFocus, &QToolButton::clicked, this, &DocCamAdjustToolsPanel::decFocus);
}

void DocCamAdjustToolsPanel::showSliders()
{
    // A handle held by the user stays under the pointer; the camera's answers to the values sent during
    // the drag would make it jump back and forth. The release sends the last value, and its report shows.
    const auto show = [](SetValueSlider *slider, int value) {
        if (!slider->isSliderDown())
            slider->setValue(value);
    };
    show(ui->brightnessSlider, m_brightness);
    show(ui->contrastSlider, m_contrast);
}

// A value the camera refuses does not stay on the slider: it goes back to the camera's own, unless the
// user still holds the handle, whose release sends again.
void DocCamAdjustToolsPanel::setBrightness(uint value)
{
    if (!m_service)
        return;
    if (m_service->setBrightness(value) >= 0)
        m_brightness = int(value);
    else
        showSliders();
}

void DocCamAdjustToolsPanel::setContrast(uint value)
{
    if (!m_service)
        return;
    if (m_service->setContrast(value) >= 0)
        m_contrast = int(value);
    else
        showSliders();
}

void DocCamAdjustToolsPanel::incBrightness()
{
    if (m_service)
        m_service->increaseBrightness();
}

void DocCamAdjustToolsPanel::decBrightness()
{
    if (m_service)
        m_service->decreaseBrightness();
}

void DocCamAdjustToolsPanel::incContrast()
{
    if (m_service)
        m_service->increaseContrast();
}

void DocCamAdjustToolsPanel::decContrast()
{
    if (m_service)
        m_service->decreaseContrast();
}

void DocCamAdjustToolsPanel::incExposure()
{
    if (m_service)
        m_service->increaseExposure();
}

void DocCamAdjustToolsPanel::decExposure()
{
    if (m_service)
        m_service->decreaseExposure();
}

void DocCamAdjustToolsPanel::incRed()
{
    if (m_service)
        m_service->increaseRed();
}

void DocCamAdjustToolsPanel::decRed()
{
    if (m_service)
        m_service->decreaseRed();
}

void DocCamAdjustToolsPanel::incBlue()
{
    if (m_service)
        m_service->increaseBlue();
}

void DocCamAdjustToolsPanel::decBlue()
{
    if (m_service)
        m_service->decreaseBlue();
}

// Automatic exposure and white balance have no control on this strip.
void DocCamAdjustToolsPanel::setAutoExposure(bool)
{
}
void DocCamAdjustToolsPanel::updateAutoExposure(bool)
{
}
void DocCamAdjustToolsPanel::setAutoWhiteBalance(bool)
{
}
void DocCamAdjustToolsPanel::updateAutoWhiteBalance(bool)
{
}

void DocCamAdjustToolsPanel::updateBrightness(int value)
{
    m_brightness = value;
    showSliders();
    repaint();
}

void DocCamAdjustToolsPanel::updateContrast(int value)
{
    m_contrast = value;
    showSliders();
    repaint();
}

void DocCamAdjustToolsPanel::updateExposure(int value)
{
    m_exposure = value;
    showSliders();
    repaint();
}

void DocCamAdjustToolsPanel::incFocus()
{
    if (m_service)
        m_service->focusFar();
    showFocusLabel(tr("Far"));
}

void DocCamAdjustToolsPanel::decFocus()
{
    if (m_service)
        m_service->focusNear();
    showFocusLabel(tr("Near"));
}

void DocCamAdjustToolsPanel::showFocusLabel(const QString &text)
{
    m_focusLabelTicks = 0;
    m_focusLabelTimer->start(kFocusLabelTickMs);
    ui->manualFocusLabel->setText(text);
    ui->manualFocusLabel->show();
}

void DocCamAdjustToolsPanel::manualFocusLabelHide()
{
    if (++m_focusLabelTicks != kFocusLabelTicks)
        return;
    ui->manualFocusLabel->hide();
    m_focusLabelTimer->stop();
}

void DocCamAdjustToolsPanel::requestColorEffect(int effect)
{
    m_colorEffect = effect;
    if (m_service)
        m_service->setColorEffect(effect);
}

void DocCamAdjustToolsPanel::requestDocCamMode(int mode)
{
    m_docCamMode = mode;
    if (m_service)
        m_service->setDocCamMode(mode);
}

// The mode buttons take back the click at once; the camera's report of the new state sets them, so a
// refused request leaves them as they were.
void DocCamAdjustToolsPanel::setNegative(bool on)
{
    ui->negative->setChecked(!on);
    requestColorEffect(on ? LumoVisionIntf::EFFECT_NEGATIVE : LumoVisionIntf::EFFECT_NORMAL);
}

void DocCamAdjustToolsPanel::setBlackAndWhite(bool on)
{
    ui->blackWhite->setChecked(!on);
    requestColorEffect(on ? LumoVisionIntf::EFFECT_BLACK_WHITE : LumoVisionIntf::EFFECT_NORMAL);
}

void DocCamAdjustToolsPanel::setMicroScopeMode(bool on)
{
    ui->microScopeBtn->setChecked(!on);
    requestDocCamMode(on ? LumoVisionIntf::MODE_MICROSCOPE : LumoVisionIntf::MODE_NORMAL);
}

void DocCamAdjustToolsPanel::setEnhanceMode(bool on)
{
    ui->enhanceBtn->setChecked(!on);
    requestDocCamMode(on ? LumoVisionIntf::MODE_ENHANCE : LumoVisionIntf::MODE_NORMAL);
}

void DocCamAdjustToolsPanel::setAutoImgMode(bool on)
{
    ui->autoImgBtn->setChecked(!on);
    if (m_service)
        m_service->setAutoImage(on);
}

void DocCamAdjustToolsPanel::setInfiniteMode(bool on)
{
    requestDocCamMode(on ? LumoVisionIntf::MODE_INFINITE : LumoVisionIntf::MODE_NORMAL);
}

void DocCamAdjustToolsPanel::setWideEngleMode(bool on)
{
    requestDocCamMode(on ? LumoVisionIntf::MODE_WIDE_ANGLE : LumoVisionIntf::MODE_NORMAL);
}

void DocCamAdjustToolsPanel::setMacroMode(bool on)
{
    requestDocCamMode(on ? LumoVisionIntf::MODE_MACRO : LumoVisionIntf::MODE_NORMAL);
}

// Each tool tip names what a click switches to.
void DocCamAdjustToolsPanel::updateColorEfc(int effect)
{
    m_colorEffect = effect;
    switch (effect) {
    case LumoVisionIntf::EFFECT_NORMAL:
        ui->blackWhite->setChecked(false);
        ui->negative->setChecked(false);
        ui->blackWhite->setToolTip(tr("Black and White"));
        ui->negative->setToolTip(tr("Negative"));
        break;
    case LumoVisionIntf::EFFECT_BLACK_WHITE:
        ui->blackWhite->setChecked(true);
        ui->negative->setChecked(false);
        ui->blackWhite->setToolTip(tr("Color"));
        ui->negative->setToolTip(tr("Negative"));
        break;
    case LumoVisionIntf::EFFECT_NEGATIVE:
        ui->blackWhite->setChecked(false);
        ui->negative->setChecked(true);
        ui->blackWhite->setToolTip(tr("Black and White"));
        ui->negative->setToolTip(tr("Normal"));
        break;
    default:
        break;
    }
}

void DocCamAdjustToolsPanel::updateDocCamMode(int mode)
{
    ui->enhanceBtn->setChecked(mode == LumoVisionIntf::MODE_ENHANCE);
    ui->microScopeBtn->setChecked(mode == LumoVisionIntf::MODE_MICROSCOPE);
}

void DocCamAdjustToolsPanel::updateAutoImg(bool automatic)
{
    ui->autoImgBtn->setChecked(automatic);
}

void DocCamAdjustToolsPanel::updateUIWithActionStatus(uint status)
{
    // The mask is 0 without a camera and FREEZE alone while the picture is frozen; any other bit means a
    // camera that takes picture settings.
    const bool adjustable = (status & ~uint(LumoVisionIntf::FREEZE)) != 0;
    ui->brightnessSlider->setEnabled(adjustable);
    ui->contrastSlider->setEnabled(adjustable);
    ui->autoImgBtn->setEnabled(status & LumoVisionIntf::AUTO_IMAGE_OFFERED);
    ui->incManualFocus->setEnabled(status & LumoVisionIntf::MANUAL_FOCUS);
    ui->decManualFocus->setEnabled(status & LumoVisionIntf::MANUAL_FOCUS);
    ui->microScopeBtn->setEnabled(status & LumoVisionIntf::MICROSCOPE_MODE_OFFERED);
    ui->enhanceBtn->setEnabled(status & LumoVisionIntf::ENHANCE_MODE_OFFERED);
    ui->negative->setEnabled(status & LumoVisionIntf::NEGATIVE_OFFERED);
    ui->blackWhite->setEnabled(status & LumoVisionIntf::BLACK_WHITE_OFFERED);
}
