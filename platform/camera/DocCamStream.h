#pragma once

#include "CameraParameter.h"
#include "FrameAdjust.h"

#include <QImage>
#include <QObject>

#include <memory>

class FrameSource;
class LumoDocCam;
class QImageFrameGrabber;
class StreamWorker;

// An open stream of one camera: frames on request, and the camera's controls. Lives on the GUI thread;
// capture and decoding run on its worker thread. Every frame, stop and parameter report reaches the GUI
// thread queued, never from inside the call that caused it.
class DocCamStream : public QObject
{
    Q_OBJECT

public:
    DocCamStream(LumoDocCam *camera, QImageFrameGrabber *grabber, std::unique_ptr<FrameSource> source);
    ~DocCamStream() override;

    // 0, or a negative CameraCodes value: DeviceBusy when the device is held elsewhere.
    int start();
    // Ends the stream; no callback of it follows. The stream is deleted from the event loop.
    void release();
    // Called once after a good start: the first frame is asked for, so that the owner learns that the
    // picture runs even before its view paints.
    void activate();
    // Asks for exactly one more frame; requests made before it arrives are merged into it.
    void requestNextFrame();

    int setBrightness(uint value);
    int increaseBrightness();
    int decreaseBrightness();
    int setContrast(uint value);
    int increaseContrast();
    int decreaseContrast();
    int autoFocus();
    int focusNear();
    int focusFar();
    int zoomIn();
    int zoomOut();
    int zoomReset();
    int setRotation(uint degrees);
    int setMirror(bool mirrored);
    int setFreeze(bool frozen);
    int setAutoWhiteBalance(bool automatic);
    int increaseRed();
    int decreaseRed();
    int increaseBlue();
    int decreaseBlue();
    int setAutoExposure(bool automatic);
    int increaseExposure();
    int decreaseExposure();
    int setAutoImage(bool automatic);
    int setColorEffect(int code);
    int setMode(uint modeBits);
    int setWideAngle(bool wide);

    // Layer side.
    LumoDocCam *camera() const { return m_camera; }
    bool isStreaming() const { return m_state == State::Started; }
    QImage lastFrame() const { return m_lastFrame; }
    // A frame taken now for a capture, whether or not the view paints: the device's next frame with the
    // stream's freeze and software adjustments, or the last delivered frame when none comes in time.
    QImage freshFrame();
    void setAdjust(const FrameAdjust &adjust, bool frozen);
    // Ends a started stream from the GUI thread (the device went away) and reports the code, queued.
    void endStream(int code);

private:
    enum class State { Opened, Started, Ended, Released };

    int set(CameraParameter parameter, double value);
    int step(CameraParameter parameter, double delta);
    void deliverFrame(const QImage &frame);
    void deliverEnd(int code);
    void stopWorker();

    LumoDocCam *m_camera;
    QImageFrameGrabber *m_grabber;
    std::unique_ptr<FrameSource> m_source;
    std::unique_ptr<StreamWorker> m_worker;
    State m_state = State::Opened;
    QImage m_lastFrame;
};
