#pragma once

#include "CameraCapabilities.h"
#include "CameraIdentity.h"
#include "CameraParameters.h"
#include "DocCamFormat.h"
#include "FrameAdjust.h"

#include <QList>
#include <QObject>

#include <memory>

class DocCamParametersListener;
class DocCamStream;
class FrameSource;
class QImage;
class QImageFrameGrabber;
class QImageHQImageGrabber;

// One attached camera, counted: whoever keeps the pointer beyond a callback retains it and releases it
// when done. Lives on the GUI thread. The backend behind it (a V4L2 device or the virtual camera) fills
// in the device side; the parameter cache, the software controls and the queued reports are common.
class LumoDocCam : public QObject
{
    Q_OBJECT

public:
    enum class FocusAction { Auto, Near, Far };

    void retain();
    void release();

    QString name() const;
    uint vendorId() const;
    uint productId() const;
    QString locationId() const;
    // The capture format before any rotation.
    DocCamFormat format() const;

    // Both open a stream of the given format whose frames go to the grabber; the stream is written to
    // *stream. 0, or a negative CameraCodes value. The two reserved arguments are not used.
    int openStream(int reserved, const DocCamFormat &format, QImageFrameGrabber *grabber, DocCamStream **stream,
                   void *reservedPointer);
    int openDocCamStream(int reserved, const DocCamFormat &format, QImageFrameGrabber *grabber, DocCamStream **stream,
                         void *reservedPointer);
    // The last frame the running stream delivered. NoFrame when there is none.
    int copyCurrentFrame(QImage *image, int reserved) const;

    void addHQImageGrabber(QImageHQImageGrabber *grabber);
    void removeHQImageGrabber(QImageHQImageGrabber *grabber);
    bool supportsHQImage() const;
    // Asks for one full-quality still, which reaches the HQ grabbers later. 0, or a negative code.
    virtual int requestHQImage();

    void addParametersListener(DocCamParametersListener *listener);
    void removeParametersListener(DocCamParametersListener *listener);

    int getBrightness(uint *value) const;
    int getContrast(uint *value) const;
    int getZoomRatio(double *ratio) const;
    int getRotation(uint *degrees) const;
    int getMirror(bool *mirrored) const;
    int getFreeze(bool *frozen) const;
    int getAutoWhiteBalance(bool *automatic) const;
    int getAutoExposure(bool *automatic) const;
    int getExposure(int *value) const;
    int getAutoImage(bool *automatic) const;
    int getColorEffect(int *code) const;
    int getMode(uint *modeBits) const;
    int getWideAngle(bool *wide) const;

    uint controlCapabilities() const;
    bool supportsManualFocus() const;
    bool canSetExposureMode() const;
    bool canAdjustExposure() const;
    bool canSetWhiteBalance() const;
    bool canAdjustColorGains() const;
    uint supportedColorEffects() const;
    bool supportsAutoImage() const;
    uint supportedModes() const;
    bool supportsWideAngle() const;

    // Layer side.
    bool isExternal() const;
    CameraParameters parameters() const { return m_parameters; }
    // Sets one parameter (through the stream's setters): validated, written to the device where it has
    // the control, otherwise applied in software; reported to the listeners in either case.
    virtual int setParameter(CameraParameter parameter, double value);
    int stepParameter(CameraParameter parameter, double delta);
    virtual int focus(FocusAction action);
    DocCamStream *streamingStream() const { return m_streaming; }
    void streamStarted(DocCamStream *stream);
    void streamEnded(DocCamStream *stream);
    // The device went away: a running stream ends with CameraCodes::DeviceGone.
    void detach();
    // A change the device made on its own, reported like a set.
    void parameterChangedOnDevice(CameraParameter parameter, double value);

protected:
    LumoDocCam(const CameraIdentity &identity, const CameraCapabilities &capabilities);
    ~LumoDocCam() override;

    virtual std::unique_ptr<FrameSource> createSource(const DocCamFormat &format) = 0;
    // Whether the device itself has the control; otherwise the layer applies it in software.
    virtual bool hasDeviceControl(CameraParameter parameter) const;
    // Writes a validated value to the device and gives back the value the device took.
    virtual int writeDeviceControl(CameraParameter parameter, double value, double *actual);
    virtual int runDeviceFocus(FocusAction action);
    // Whether a stream may be opened now: 0, or the negative code openStream then returns.
    virtual int openCheck() const;
    FrameAdjust softwareAdjust() const;

    void setCapabilities(const CameraCapabilities &capabilities) { m_capabilities = capabilities; }
    void setInitialParameters(const CameraParameters &parameters) { m_parameters = parameters; }
    CameraCapabilities capabilities() const { return m_capabilities; }
    // Queued deliveries to the listeners and grabbers, on the GUI thread.
    void reportParameter(CameraParameter parameter, double value);
    void reportTuning(bool started);
    void reportButton(uint button);
    void reportCapabilitiesLimited();
    void deliverHQImage(int code, const QImage &image);

private:
    int validate(CameraParameter parameter, double value) const;
    void updateStreamAdjust();
    int openAnyStream(const DocCamFormat &format, QImageFrameGrabber *grabber, DocCamStream **stream);
    template<typename Call>
    void postToListeners(Call call);

    int m_references = 1;
    CameraIdentity m_identity;
    CameraCapabilities m_capabilities;
    CameraParameters m_parameters;
    QList<DocCamParametersListener *> m_listeners;
    QList<QImageHQImageGrabber *> m_hqGrabbers;
    DocCamStream *m_streaming = nullptr;
};
