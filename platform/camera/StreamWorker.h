#pragma once

#include "FrameAdjust.h"

#include <QImage>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>

#include <atomic>
#include <functional>
#include <memory>

class FrameSource;

// The thread of one stream. It prepares the device (format, buffers, streaming on), waits for frames,
// decodes the newest one when a frame was asked for, applies the software adjustments and hands the result
// on; at the end it stops and closes the device. None of these device calls runs on the GUI thread, where a
// stalled driver would freeze the window. It holds at most one undelivered frame: a frame that a newer one
// overtakes before it was asked for is never decoded.
class StreamWorker : public QThread
{
public:
    using FrameHandler = std::function<void(const QImage &)>;
    using EndHandler = std::function<void(int code)>;

    // The handlers run on the worker thread, never after retire() returned.
    StreamWorker(std::unique_ptr<FrameSource> source, FrameHandler onFrame, EndHandler onEnd);
    ~StreamWorker() override;

    // Starts the thread and waits at most timeoutMs for the device's set-up: 0, or its negative CameraCodes
    // value. A set-up still running at the deadline has stalled and counts as a DeviceError; the thread
    // then closes whatever it opened once the driver answers.
    int startStreaming(int timeoutMs);
    // Any thread. Several requests before a frame is delivered still give one frame.
    void requestFrame();
    void setAdjust(const FrameAdjust &adjust, bool frozen);
    // Any thread but the worker's: waits at most timeoutMs for the device's next frame, adjusted (and
    // frozen) as the view's frames are, without handing it to the frame handler. Null on time-out or stop.
    QImage takeFreshPicture(int timeoutMs);
    // GUI thread. Ends the stream without waiting for the device: no handler runs after this returns, the
    // thread tears the device down on its own and the worker deletes itself from the event loop once the
    // thread has finished. The caller gives up its pointer.
    void retire();
    // Waits at most timeoutMs for a retired worker's thread to finish its tear-down; for the end of the
    // process and for tests.
    static bool waitForRetired(int timeoutMs);

protected:
    void run() override;

private:
    QImage nextPicture();
    bool captureWanted();
    void deliverCapture(const QImage &picture);
    void setupFinished(int result);
    // Runs a handler unless the worker was retired; retire() waits for a handler under way.
    template<typename Call>
    void callHandler(Call call);

    std::unique_ptr<FrameSource> m_source;
    FrameHandler m_onFrame;
    EndHandler m_onEnd;
    std::atomic<bool> m_requested{false};
    std::atomic<bool> m_stopping{false};
    QMutex m_adjustMutex;
    FrameAdjust m_adjust;
    bool m_frozen = false;
    QImage m_lastPicture;
    QImage m_frozenPicture;

    // The thread has torn the device down; guarded by the retired workers' lock.
    bool m_runEnded = false;

    // Guards the handlers against retire().
    QMutex m_handlerMutex;
    bool m_retired = false;

    // The set-up's result, handed to startStreaming().
    QMutex m_setupMutex;
    QWaitCondition m_setupDone;
    bool m_setupFinished = false;
    int m_setupResult = 0;

    // Captures waiting for a fresh picture, and the picture they get.
    QMutex m_captureMutex;
    QWaitCondition m_captureReady;
    int m_captureWaiters = 0;
    quint64 m_captureRound = 0;
    QImage m_capturePicture;
};
