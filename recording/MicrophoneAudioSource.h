#pragma once

#include "AudioSource.h"

#include <QList>

class QThread;

// The microphone through Qt's audio input (PulseAudio here), read on a thread of its own with its own
// event loop; what arrives is handed over at once, in blocks of at most the asked length, each dated by
// its capture. The GUI thread takes no part in it. Neither the start nor the stop waits on the sound
// server without a deadline: a capture whose open or close does not end in time is left to end on its
// own thread, and hands over nothing more.
class MicrophoneAudioSource : public AudioSource
{
public:
    MicrophoneAudioSource();
    ~MicrophoneAudioSource() override;

    bool start(int device, qint64 blockBytes, RecordingClock *clock, BlockHandler handler) override;
    void stop() override;
    bool stalled() const override { return m_stalled; }

    // How long the start waits for the input to open: above the slowest open seen (about 2 s, a
    // microphone resuming from suspend); an input that takes longer is given up and the recording has no
    // sound stream.
    static constexpr int kOpenLimitMs = 2500;
    // How long the stop waits for the capture to end: the wait for sound still on its way (2.5 s) and a
    // second for the sound server to close the input.
    static constexpr int kCloseLimitMs = 3500;

private:
    // One capture's state, living on its microphone thread.
    class Capture;

    // Asks the capture to close, hand over what it still holds up to stopMs and end its thread.
    void queueClose(quint32 stopMs);
    // Gives up a capture that did not open in time: it closes and ends on its own thread.
    void abandon();
    // Leaves the running capture to end on its own thread, handing over nothing more; it is deleted once
    // that thread has ended.
    void leave();
    // Deletes the left captures whose threads have ended.
    void reap();

    QThread *m_thread = nullptr;
    Capture *m_capture = nullptr;
    RecordingClock *m_clock = nullptr;
    bool m_stalled = false;
    struct Abandoned
    {
        QThread *thread;
        Capture *capture;
    };
    QList<Abandoned> m_abandoned;
};
