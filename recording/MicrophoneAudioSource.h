#pragma once

#include "AudioSource.h"

#include <QByteArray>

class QAudioSource;
class QIODevice;
class QObject;
class QThread;

// The microphone through Qt's audio input (PulseAudio here), read on a thread of its own with its own
// event loop and cut into fixed blocks there; the GUI thread takes no part in it.
class MicrophoneAudioSource : public AudioSource
{
public:
    MicrophoneAudioSource();
    ~MicrophoneAudioSource() override;

    bool start(int device, qint64 blockBytes, BlockHandler handler) override;
    void stop() override;

private:
    bool openOnThread(int device);
    void readOnThread();
    void closeOnThread();

    QThread *m_thread = nullptr;
    QObject *m_context = nullptr;
    QAudioSource *m_source = nullptr;
    QIODevice *m_input = nullptr;
    QByteArray m_pending;
    qint64 m_blockBytes = 0;
    BlockHandler m_handler;
};
