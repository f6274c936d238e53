#pragma once

#include "CameraThrottleController.h"
#include "CameraWidget.h"
#include "CameraWidgetDelegate.h"
#include "CountedService.h"
#include "CppNotificaitonObserver.h"
#include "LumoVisionIntf.h"
#include "LumoVisionStatus.h"
#include "RequestedSetting.h"

#include <QPointer>
#include <QTimer>

#include <memory>

class DocCamStream;
class LumoDocCam;
class LumoVisionConnection;
class MinaroHQImageGrabber;
class MinaroParametersListener;
class QDialog;

// The document-camera service over the camera layer: its connection opens the first usable document camera
// into the live view the service owns; the service caches the camera's parameters, forwards the controls to
// its stream and announces every change through the signals of LumoVisionIntf. Everything runs on the GUI thread; one
// process-wide recursive lock guards every operation, also while the tuning dialog and the capture service's
// dialog run nested event loops in which the camera's reports re-enter.
class LumoVisionImpl : public LumoVisionIntf,
                       public CameraWidgetDelegate,
                       public CameraThrottleController,
                       public CppNotificaitonObserver,
                       public CountedService<LumoVisionImpl>
{
    Q_OBJECT

public:
    // The counted service; the parent is the live view's parent and counts only on the first call.
    static LumoVisionIntf *getInstance(QWidget *parent);

    // Waits of the service, shortened by tests.
    struct Timings
    {
        int hqTimeoutMs = 10000;  // how long a full-quality still may take before the request is aborted
        int selectRetryMs = 2000; // how often a camera held by another program is tried again
    };
    // Applies to a service created later.
    static void setTimings(const Timings &timings);

    // LumoVisionIntf
    void release() override;
    QWidget *cameraWidget() override;
    void showCameraWidget() override;
    void hideCameraWidget() override;
    QSize cameraWidgetSizeFor(const QSize &area) override;
    void resizeCameraWidget(const QSize &size) override;
    bool isDocCamConnected() override;
    QString docCamName() override;
    int autoFocus() override;
    int zoomIn() override;
    int zoomOut() override;
    int zoomReset() override;
    int toggleFreeze() override;
    int rotate() override;
    int toggleMirror() override;
    int brightness() override;
    int setBrightness(uint value) override;
    int increaseBrightness() override;
    int decreaseBrightness() override;
    int contrast() override;
    int setContrast(uint value) override;
    int increaseContrast() override;
    int decreaseContrast() override;
    int exposure() override;
    int isAutoExposure() override;
    int setAutoExposure(bool automatic) override;
    int increaseExposure() override;
    int decreaseExposure() override;
    int focusFar() override;
    int focusNear() override;
    int colorEffect() override;
    int setColorEffect(int effect) override;
    int isAutoWhiteBalance() override;
    int setAutoWhiteBalance(bool automatic) override;
    int increaseRed() override;
    int decreaseRed() override;
    int increaseBlue() override;
    int decreaseBlue() override;
    int isAutoImage() override;
    int setAutoImage(bool automatic) override;
    int docCamMode() override;
    int setDocCamMode(int mode) override;
    uint actionStatus() override;
    int grabCurrentFrame(QImage *image) override;
    int requestHQImage() override;
    void reservedOperation() override;
    int releaseDocCam() override;
    int reconnectDocCam() override;

    // Device reports, handed to the connection as the device manager hands them to it.
    void docCamArrived(LumoDocCam *camera);
    void docCamRemoved(LumoDocCam *camera);

    // Called by the full-quality still adapter.
    virtual void hqImageArrived(const QImage &image);

    // CameraWidgetDelegate, CameraThrottleController, CppNotificaitonObserver
    void firstFrameArrived(CameraWidget *widget) override;
    void requestNextFrame(CameraWidget *widget) override;
    void notificationReceived(const QString &name) override;

    // Called by the parameters adapter with the camera's reports.
    virtual void brightnessValueChanged(uint value);
    virtual void contrastValueChanged(uint value);
    virtual void zoomRatioValueChanged(double ratio);
    // Shares its name with the signal it emits; the signal is reached as LumoVisionIntf::rotationChanged.
    virtual void rotationChanged(uint degrees);
    virtual void mirrorValueChanged(bool mirrored);
    virtual void freezeValueChanged(bool frozen);
    virtual void autoWhiteBalanceValueChanged(bool automatic);
    virtual void autoExposureValueChanged(bool automatic);
    virtual void exposureValueChanged(int value);
    virtual void autoImageValueChanged(bool automatic);
    virtual void colorEffectValueChanged(int code);
    virtual void modeValueChanged(uint modeBits);
    virtual void wideAngleValueChanged(bool wide);
    virtual void buttonEventReceived(uint button);
    virtual void capabilitiesLimited(LumoDocCam *camera);
    virtual void parameterTuningProcessStarted(LumoDocCam *camera);
    virtual void parameterTuningProcessEnded(LumoDocCam *camera);

public Q_SLOTS:
    void hqTimeOut();
    void triggerCaptureVision();

private:
    explicit LumoVisionImpl(QWidget *parent);
    ~LumoVisionImpl() override;

    void cameraOpened(LumoDocCam *camera);
    void cameraClosing(LumoDocCam *camera);
    void readParameters();
    void buildActionStatus();
    LumoVisionStatus::Settings statusSettings() const;
    void deriveWhiteBalanceBits();
    // actionStatusChanged with the mask, or with the freeze control alone while the picture is frozen.
    void emitActionStatus();
    // -1000 without an open stream, else what the stream's operation returns.
    int callStream(int (DocCamStream::*operation)());
    // -1000 without a camera, else the cached value.
    int cachedValue(int value);
    void runTuningDialog();
    void updateMode();
    // Steps a setting from what was asked last (or, with nothing outstanding, from the camera's value).
    template<typename T>
    int stepSetting(RequestedSetting<T> *setting, T reported, T (*next)(T), int (DocCamStream::*set)(T));

    // Guarded: the parent given to getInstance may delete the view before the last release.
    QPointer<CameraWidget> m_cameraWidget;
    bool m_hqPending = false;
    QTimer m_hqTimer;
    uint m_actionStatus = 0;
    MinaroHQImageGrabber *m_hqGrabber = nullptr;
    MinaroParametersListener *m_parametersListener = nullptr;
    QPointer<QDialog> m_tuningDialog;

    uint m_brightness = 0;
    uint m_contrast = 0;
    double m_zoomRatio = 1.0;
    uint m_rotation = 0;
    bool m_mirror = false;
    bool m_frozen = false;
    bool m_autoWhiteBalance = true;
    bool m_autoExposure = true;
    int m_exposure = 0;
    bool m_autoImage = false;
    int m_colorEffect = EFFECT_BLACK_WHITE;
    uint m_modeBits = 4;
    bool m_wideAngle = false;
    int m_mode = MODE_NORMAL;
    RequestedSetting<uint> m_askedRotation;
    RequestedSetting<bool> m_askedMirror;
    RequestedSetting<bool> m_askedFreeze;

    bool m_capabilitiesLimitedHandled = false;
    // Made after the view and the adapters and gone before them: closing reaches them through its signals.
    std::unique_ptr<LumoVisionConnection> m_connection;
};
