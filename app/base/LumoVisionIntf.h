#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

class QWidget;

// The document-camera service: the one open document camera, its live view, its controls and its
// full-quality stills. Operations return 0 (or the camera's own non-negative result) on success and a
// negative code on failure:
//   -1000 no camera is open (or an unknown mode), -2000 stills not supported, -2002 value out of range,
//   -2004 the picture is frozen, -2005 a reconnect found no usable camera.
// New state reaches callers through the signals, not through the results. Counted: the holder gives it back
// with release().
class LumoVisionIntf : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~LumoVisionIntf() override = default;

    // Bits of actionStatus(): which controls the open camera offers. 0 without a camera; while frozen,
    // actionStatusChanged carries FREEZE alone.
    enum DocCamActionStatus : uint {
        AUTO_FOCUS = 0x01,
        ZOOM_IN = 0x02,
        ZOOM_OUT = 0x04,
        ZOOM_RESET = 0x08,
        FREEZE = 0x10,
        ROTATE = 0x20,
        MIRROR = 0x40,
        EXPOSURE_ADJUSTABLE = 0x400,
        MANUAL_EXPOSURE = 0x800,
        WHITE_BALANCE_ADJUSTABLE = 0x1000,
        MANUAL_WHITE_BALANCE = 0x2000,
        MANUAL_FOCUS = 0x4000,
        BLACK_WHITE_OFFERED = 0x10000,
        NEGATIVE_OFFERED = 0x20000,
        AUTO_IMAGE_OFFERED = 0x40000,
        ENHANCE_MODE_OFFERED = 0x100000,
        WIDE_ANGLE_MODE_OFFERED = 0x200000,
        MICROSCOPE_MODE_OFFERED = 0x400000,
        INFINITE_MODE_OFFERED = 0x800000,
        MACRO_MODE_OFFERED = 0x1000000,
    };
    // colorEffect() / setColorEffect().
    enum DocCamColorEffect : int { EFFECT_NORMAL = 0, EFFECT_BLACK_WHITE = 1, EFFECT_NEGATIVE = 2 };
    // docCamMode() / setDocCamMode().
    enum DocCamMode : int {
        MODE_NORMAL = 0,
        MODE_ENHANCE = 1,
        MODE_WIDE_ANGLE = 2,
        MODE_MICROSCOPE = 3,
        MODE_INFINITE = 4,
        MODE_MACRO = 5,
    };

    virtual void release() = 0;

    // The live view; null only once every holder has released the service.
    virtual QWidget *cameraWidget() = 0;
    virtual void showCameraWidget() = 0;
    virtual void hideCameraWidget() = 0;
    // The camera's picture (turned as it is shown) fitted into the area with its aspect ratio kept; the
    // area itself without a camera.
    virtual QSize cameraWidgetSizeFor(const QSize &area) = 0;
    virtual void resizeCameraWidget(const QSize &size) = 0;
    // A camera is open and its live view holds a picture.
    virtual bool isDocCamConnected() = 0;
    virtual QString docCamName() = 0;

    virtual int autoFocus() = 0;
    virtual int zoomIn() = 0;
    virtual int zoomOut() = 0;
    virtual int zoomReset() = 0;
    virtual int toggleFreeze() = 0;
    // Turns the picture by a further 90 degrees.
    virtual int rotate() = 0;
    virtual int toggleMirror() = 0;

    // Brightness and contrast run from 0 to 100.
    virtual int brightness() = 0;
    virtual int setBrightness(uint value) = 0;
    virtual int increaseBrightness() = 0;
    virtual int decreaseBrightness() = 0;
    virtual int contrast() = 0;
    virtual int setContrast(uint value) = 0;
    virtual int increaseContrast() = 0;
    virtual int decreaseContrast() = 0;

    virtual int exposure() = 0;
    // 1 automatic, 0 manual.
    virtual int isAutoExposure() = 0;
    virtual int setAutoExposure(bool automatic) = 0;
    virtual int increaseExposure() = 0;
    virtual int decreaseExposure() = 0;

    virtual int focusFar() = 0;
    virtual int focusNear() = 0;

    virtual int colorEffect() = 0;
    virtual int setColorEffect(int effect) = 0;

    // 1 automatic, 0 manual.
    virtual int isAutoWhiteBalance() = 0;
    virtual int setAutoWhiteBalance(bool automatic) = 0;
    virtual int increaseRed() = 0;
    virtual int decreaseRed() = 0;
    virtual int increaseBlue() = 0;
    virtual int decreaseBlue() = 0;

    // 1 automatic, 0 manual.
    virtual int isAutoImage() = 0;
    virtual int setAutoImage(bool automatic) = 0;
    virtual int docCamMode() = 0;
    virtual int setDocCamMode(int mode) = 0;

    virtual uint actionStatus() = 0;

    // A copy of the current live frame.
    virtual int grabCurrentFrame(QImage *image) = 0;
    // Asks for one full-quality still. When accepted (0), exactly one of hqImageCaptured or
    // hqImageCaptureAborted follows, the latter at the latest after 10 seconds (-1) or when the camera
    // closes (-1000).
    virtual int requestHQImage() = 0;

    virtual void reservedOperation() = 0;

    // Lets go of the camera for another program, and takes it back.
    virtual int releaseDocCam() = 0;
    virtual int reconnectDocCam() = 0;

Q_SIGNALS:
    void docCamConnected(const QString &name);
    void docCamDisconnected();
    void actionStatusChanged(uint status);
    void hqImageCaptured(const QImage &image);
    void hqImageCaptureAborted(int code);
    void freezeStatusChanged(bool frozen);
    void brightnessChanged(int value);
    void contrastChanged(int value);
    void zoomRatioChanged(double ratio);
    void rotationChanged(uint degrees);
    void mirrorChanged(bool mirrored);
    void exposureChanged(int value);
    void autoExposureChanged(bool automatic);
    void autoWhiteBalanceChanged(bool automatic);
    void autoImageChanged(bool automatic);
    void colorEffectChanged(int effect);
    void docCamModeChanged(int mode);
};
