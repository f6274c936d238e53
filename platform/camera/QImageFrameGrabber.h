#pragma once

class CameraImage;
class DocCamStream;

// The sink of one stream's live frames. Both calls arrive on the GUI thread, never from inside the call
// that caused them: one oneFrameFetched per DocCamStream::requestNextFrame (a null image only when the
// stream's owner clears a view itself), and streamStopped once when the stream ends on its own
// (CameraCodes::DeviceGone when the device was unplugged).
class QImageFrameGrabber
{
public:
    virtual ~QImageFrameGrabber() = default;
    virtual void oneFrameFetched(DocCamStream *stream, const CameraImage &image) = 0;
    virtual void streamStopped(DocCamStream *stream, int code) = 0;
};
