#pragma once

#include "CallRecorder.h"
#include "LumoVisionIntf.h"

#include <QPointer>

// The document-camera service for window tests (see CallRecorder for calls and answers). Its live view is
// a plain widget of its own that show/hideCameraWidget show and hide; cameraWidgetSizeFor answers the
// area unless set; grabCurrentFrame fills "grabCurrentFrame.image". A test emits the service's signals
// itself (emit camera.hqImageCaptured(still)); the helpers below keep answers and signals in step.
class LumoVisionFake : public LumoVisionIntf, public CallRecorder
{
    Q_OBJECT

public:
    LumoVisionFake();
    ~LumoVisionFake() override;

    // isDocCamConnected and docCamName answer accordingly, and docCamConnected or docCamDisconnected is sent.
    void connectCamera(const QString &name);
    void disconnectCamera();
    // actionStatus answers it, and actionStatusChanged is sent.
    void setActionStatus(uint status);

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

private:
    // Owned here as the real service owns its view, wherever a layout put it.
    QPointer<QWidget> m_view;
};
