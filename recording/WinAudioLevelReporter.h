#pragma once

#include "AudioGrabCallback.h"

#include <QMutex>
#include <QString>
#include <QStringList>
#include <QThread>

#include <functional>
#include <memory>

#include "AudioSource.h"

// Measures the chosen microphone for the level meter, apart from any recording: start picks the device,
// run captures (8 kHz, 16-bit) on a thread of the capture's own, stop pauses the capture, level reads the
// latest value.
class WinAudioLevelReporter
{
public:
    using InputDescriptions = std::function<QStringList()>;

    // Buffers this long (20 ms) keep the value fresh for a reader polling every 30 ms.
    static constexpr qint64 kBufferBytes = 640;
    // How long run waits for the microphone to open: a usual one opens within tens of ms; one slower (or
    // never opening) goes on opening off the caller's thread, the GUI's.
    static constexpr int kOpenAnswerMs = 200;

    // Empty arguments take the system's audio inputs and the microphone capture.
    explicit WinAudioLevelReporter(InputDescriptions inputs = {}, std::unique_ptr<AudioSource> source = {});
    ~WinAudioLevelReporter();

    // The device to capture from: the first whose description contains the wanted name or is contained in
    // it, ignoring case (an empty name takes the first device); -1 when none does.
    static int findDevice(const QString &wanted, const QStringList &descriptions);

    bool start(const QString &audioSourceName);
    bool run();
    bool stop();
    quint16 level() const;

private:
    // Waits for an open still under way (it ends within the source's own limit).
    void finishOpen();

    InputDescriptions m_inputs;
    std::unique_ptr<QThread> m_opener;
    std::unique_ptr<AudioSource> m_source;
    std::unique_ptr<AudioGrabCallback> m_callback;
    int m_device = -1;
    bool m_running = false;
    QMutex m_mutex;
};
