#pragma once

#include <QtGlobal>

#include <functional>

class RecordingClock;

// The microphone: 8 kHz, 16-bit, stereo PCM delivered in blocks on a thread of the source's own.
class AudioSource
{
public:
    // Receives one block and the tick at which its first sample was captured (on the clock given to
    // start(); 0 without one); called on the source's thread, never after stop() has returned.
    using BlockHandler = std::function<void(const char *data, qint64 bytes, quint32 capturedMs)>;

    virtual ~AudioSource() = default;

    // Starts capture from device index (-1 the default input; an index past the devices also means the
    // default). clock stamps the blocks and must outlive the capture; it may be null when their time does
    // not matter. False when no input can be opened; then no block is delivered.
    virtual bool start(int device, qint64 blockBytes, RecordingClock *clock, BlockHandler handler) = 0;
    // Stops capture; returns only when no block handler runs any more. Sound already captured is handed
    // over before it returns.
    virtual void stop() = 0;
    // Whether the last start failed because the input did not open in time (a source nobody feeds, a
    // stalled microphone), rather than because there was none to open.
    virtual bool stalled() const { return false; }
};
