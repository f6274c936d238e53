#pragma once

#include <QImage>

// Where a stream's frames come from: a device, or the built-in virtual camera. open and close run on the
// GUI thread; waitForFrame and takeFrame on the stream's worker thread; wake on any thread.
class FrameSource
{
public:
    virtual ~FrameSource() = default;

    // Prepares the device for streaming. 0, or a negative CameraCodes value (DeviceBusy when another
    // stream or application holds the device).
    virtual int open() = 0;
    virtual void close() = 0;
    // Waits at most timeoutMs for the device to produce a frame. 1 when a newer frame is held, 0 when the
    // wait ended without one (time-out or wake), a negative CameraCodes value when the stream has ended.
    virtual int waitForFrame(int timeoutMs) = 0;
    // Ends a running waitForFrame early; a wake that comes before the wait ends the next wait at once.
    virtual void wake() = 0;
    // Turns the newest frame into a picture; a null image when it cannot be decoded.
    virtual QImage takeFrame() = 0;
};
