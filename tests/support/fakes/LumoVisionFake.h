#pragma once

#include "CallRecorder.h"
#include "LumoVisionIntf.h"

#include <QImage>
#include <QPointer>

#include <functional>

// The document-camera service for window and service tests (see CallRecorder for calls and answers). Its
// live view is a plain widget of its own that show/hideCameraWidget show and hide; cameraWidgetSizeFor
// answers the area unless set; grabCurrentFrame fills "grabCurrentFrame.image". A test emits the service's
// signals itself (emit camera.hqImageCaptured(still)); the helpers below keep answers and signals in step.
class LumoVisionFake : public LumoVisionIntf, public CallRecorder
{
    Q_OBJECT

public:
    LumoVisionFake();
    ~LumoVisionFake() override;

    // isDocCamConnected and docCamName answer accordingly, grabCurrentFrame fails as the service's does
    // without a camera (-1000), and docCamConnected or docCamDisconnected is sent.
    void connectCamera(const QString &name);
    void disconnectCamera();
    // The same without the signal: a camera lost while the service waits for it, before it hears of it.
    void setConnected(bool connected, const QString &name = QString());
    // actionStatus answers it, and actionStatusChanged is sent.
    void setActionStatus(uint status);
    // What grabCurrentFrame fills in, when the test needs no other answer of it.
    void setLiveFrame(const QImage &frame);

    // What the camera does after a still request it took (requestHQImage answering 0 or more): in the event
    // loop, as the service delivers later, or before requestHQImage returns.
    enum class StillDelivery { Later, BeforeReturn };
    using StillFollowUp = std::function<void(LumoVisionFake *camera)>;
    void setStillFollowUp(StillFollowUp followUp, StillDelivery delivery = StillDelivery::Later);
    // The follow-up that sends the still.
    static StillFollowUp deliver(const QImage &still);

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
    StillFollowUp m_stillFollowUp;
    StillDelivery m_stillDelivery = StillDelivery::Later;
};
