#pragma once

#include "CallRecorder.h"
#include "RecordingIntf.h"

// The recording service for window tests (see CallRecorder for calls and answers). stopRecording and
// confirmExitWhileRecording fill "stopRecording.files" / "confirmExitWhileRecording.files". A test emits
// the service's signals itself; the helpers below keep answers and signals in step.
class RecordingFake : public RecordingIntf, public CallRecorder
{
    Q_OBJECT

public:
    // actionStatus answers it, and actionStatusChanged is sent.
    void setActionStatus(uint status);
    // audioSources answers them, and audioSourcesChanged is sent.
    void setAudioSources(const QList<QString> &sources);

    void release() override;
    int startRecording() override;
    int stopRecording(QList<QString> *files) override;
    int pauseRecording() override;
    int resumeRecording() override;
    bool getMute() override;
    int setMute(bool mute) override;
    uint getVolume() override;
    int setVolume(uint percent) override;
    int startAudioMonitor() override;
    void stopAudioMonitor() override;
    int confirmExitWhileRecording(QList<QString> *files) override;
    QList<QString> audioSources() override;
    uint actionStatus() override;
};
