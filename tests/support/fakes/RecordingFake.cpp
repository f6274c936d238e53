#include "RecordingFake.h"

void RecordingFake::setActionStatus(uint status)
{
    provideAnswer(QStringLiteral("actionStatus"), status);
    emit actionStatusChanged(status);
}

void RecordingFake::setAudioSources(const QList<QString> &sources)
{
    provideAnswer(QStringLiteral("audioSources"), sources);
    emit audioSourcesChanged(sources);
}

void RecordingFake::release()
{
    record("release");
}
int RecordingFake::startRecording()
{
    return respond<int>("startRecording");
}

int RecordingFake::stopRecording(QList<QString> *files)
{
    const int result = respond<int>("stopRecording");
    if (files)
        *files = answer<QList<QString>>("stopRecording.files");
    return result;
}

int RecordingFake::pauseRecording()
{
    return respond<int>("pauseRecording");
}
int RecordingFake::resumeRecording()
{
    return respond<int>("resumeRecording");
}
bool RecordingFake::getMute()
{
    return respond<bool>("getMute");
}
int RecordingFake::setMute(bool mute)
{
    return respond<int>("setMute", {mute});
}
uint RecordingFake::getVolume()
{
    return respond<uint>("getVolume");
}
int RecordingFake::setVolume(uint percent)
{
    return respond<int>("setVolume", {percent});
}
int RecordingFake::startAudioMonitor()
{
    return respond<int>("startAudioMonitor");
}
void RecordingFake::stopAudioMonitor()
{
    record("stopAudioMonitor");
}

int RecordingFake::confirmExitWhileRecording(QList<QString> *files)
{
    const int result = respond<int>("confirmExitWhileRecording");
    if (files)
        *files = answer<QList<QString>>("confirmExitWhileRecording.files");
    return result;
}

QList<QString> RecordingFake::audioSources()
{
    return respond<QList<QString>>("audioSources");
}
uint RecordingFake::actionStatus()
{
    return respond<uint>("actionStatus");
}
