#pragma once

#include "AudioCaptureStamper.h"
#include "AudioSource.h"

#include <QByteArray>

class QAudioSource;
class QIODevice;
class QObject;
class QThread;

// The microphone through Qt's audio input (PulseAudio here), read on a thread of its own with its own
// event loop; what arrives is handed over at once, in blocks of at most the asked length, each dated by
// its capture. The GUI thread takes no part in it.
class MicrophoneAudioSource : public AudioSource
{
public:
    MicrophoneAudioSource();
    ~MicrophoneAudioSource() override;

    bool start(int device, qint64 blockBytes, RecordingClock *clock, BlockHandler handler) override;
    void stop() override;

private:
    bool openOnThread(int device);
    void readOnThread();
    void closeOnThread(quint32 stopMs);

    QThread *m_thread = nullptr;
    QObject *m_context = nullptr;
    QAudioSource *m_source = nullptr;
    QIODevice *m_input = nullptr;
    // Bytes short of one whole sample frame, kept for the next read.
    QByteArray m_pending;
    qint64 m_blockBytes = 0;
    RecordingClock *m_clock = nullptr;
    AudioCaptureStamper m_stamper;
    // The tick up to which sound has been handed over.
    quint32 m_capturedUntil = 0;
    bool m_anyCaptured = false;
    BlockHandler m_handler;
};
