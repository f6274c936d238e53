#pragma once

#include <QtGlobal>

#include <functional>

// The microphone: 8 kHz, 16-bit, stereo PCM delivered in blocks on a thread of the source's own.
class AudioSource
{
public:
    // Receives one block; called on the source's thread, never after stop() has returned.
    using BlockHandler = std::function<void(const char *data, qint64 bytes)>;

    virtual ~AudioSource() = default;

    // Starts capture from device index (-1 the default input; an index past the devices also means the
    // default). False when no input can be opened; then no block is delivered.
    virtual bool start(int device, qint64 blockBytes, BlockHandler handler) = 0;
    // Stops capture; returns only when no block handler runs any more.
    virtual void stop() = 0;
};
