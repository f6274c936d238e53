#pragma once

#include "LumoVisionIntf.h"

#include <QImage>
#include <QWidget>

#include <functional>

// A document-camera service for the capture tests: its camera state, live frame and answer to a still
// request are set by the test.
class FakeLumoVision : public LumoVisionIntf
{
    Q_OBJECT

public:
    bool connected = true;
    QImage liveFrame;
    // Result of requestHQImage; when it is 0, onHQRequest runs (queued unless synchronous is set).
    int hqResult = 0;
    bool synchronous = false;
    std::function<void(FakeLumoVision *)> onHQRequest;
    int hqRequests = 0;
    int releases = 0;
    QWidget view;

    void release() override { ++releases; }
    QWidget *cameraWidget() override { return &view; }
    void showCameraWidget() override {}
    void hideCameraWidget() override {}
    QSize cameraWidgetSizeFor(const QSize &area) override { return area; }
    void resizeCameraWidget(const QSize &) override {}
    bool isDocCamConnected() override { return connected; }
    QString docCamName() override { return QStringLiteral("Fake"); }
    int autoFocus() override { return 0; }
    int zoomIn() override { return 0; }
    int zoomOut() override { return 0; }
    int zoomReset() override { return 0; }
    int toggleFreeze() override { return 0; }
    int rotate() override { return 0; }
    int toggleMirror() override { return 0; }
    int brightness() override { return 0; }
    int setBrightness(uint) override { return 0; }
    int increaseBrightness() override { return 0; }
    int decreaseBrightness() override { return 0; }
    int contrast() override { return 0; }
    int setContrast(uint) override { return 0; }
    int increaseContrast() override { return 0; }
    int decreaseContrast() override { return 0; }
    int exposure() override { return 0; }
    int isAutoExposure() override { return 1; }
    int setAutoExposure(bool) override { return 0; }
    int increaseExposure() override { return 0; }
    int decreaseExposure() override { return 0; }
    int focusFar() override { return 0; }
    int focusNear() override { return 0; }
    int colorEffect() override { return 0; }
    int setColorEffect(int) override { return 0; }
    int isAutoWhiteBalance() override { return 1; }
    int setAutoWhiteBalance(bool) override { return 0; }
    int increaseRed() override { return 0; }
    int decreaseRed() override { return 0; }
    int increaseBlue() override { return 0; }
    int decreaseBlue() override { return 0; }
    int isAutoImage() override { return 0; }
    int setAutoImage(bool) override { return 0; }
    int docCamMode() override { return 0; }
    int setDocCamMode(int) override { return 0; }
    uint actionStatus() override { return 0; }
    int grabCurrentFrame(QImage *image) override;
    int requestHQImage() override;
    void reservedOperation() override {}
    int releaseDocCam() override { return 0; }
    int reconnectDocCam() override { return 0; }

    // Common answers to a still request.
    static std::function<void(FakeLumoVision *)> deliver(const QImage &still);
    static std::function<void(FakeLumoVision *)> abort(int code);
};
