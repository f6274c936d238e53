#pragma once

#include "FrameAdjust.h"

#include <QImage>
#include <QMutex>
#include <QThread>

#include <atomic>
#include <functional>

class FrameSource;

// The thread that waits for a stream's frames, decodes the newest one when a frame was asked for, applies
// the software adjustments and hands the result on. It holds at most one undelivered frame: a frame that a
// newer one overtakes before it was asked for is never decoded.
class StreamWorker : public QThread
{
public:
    using FrameHandler = std::function<void(const QImage &)>;
    using EndHandler = std::function<void(int code)>;

    StreamWorker(FrameSource *source, FrameHandler onFrame, EndHandler onEnd);
    ~StreamWorker() override;

    // Any thread. Several requests before a frame is delivered still give one frame.
    void requestFrame();
    void setAdjust(const FrameAdjust &adjust, bool frozen);
    // Ends the thread and waits for it.
    void stop();

protected:
    void run() override;

private:
    QImage nextPicture();

    FrameSource *m_source;
    FrameHandler m_onFrame;
    EndHandler m_onEnd;
    std::atomic<bool> m_requested{false};
    std::atomic<bool> m_stopping{false};
    QMutex m_adjustMutex;
    FrameAdjust m_adjust;
    bool m_frozen = false;
    QImage m_lastPicture;
    QImage m_frozenPicture;
};
