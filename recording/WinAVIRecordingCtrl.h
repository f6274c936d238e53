#pragma once

#include <QObject>
#include <QSharedPointer>
#include <QSize>
#include <QStringList>

class AVIRecordingThread;
class UsbDeviceMonitor;
class WinVolumeController;

// The AVI engine as the recording service sees it: turns a recording size and a microphone name into the
// capture thread's terms, forwards pause, mute, volume and frame requests, lists the microphones under
// their full names, and stops the sound when the document camera that carries the chosen microphone is
// plugged in or out while recording.
class WinAVIRecordingCtrl : public QObject
{
    Q_OBJECT

public:
    // The process's capture thread and volume controller.
    explicit WinAVIRecordingCtrl(QObject *parent = nullptr);
    WinAVIRecordingCtrl(QSharedPointer<AVIRecordingThread> thread, WinVolumeController *volume,
                        QObject *parent = nullptr);
    // Stops a running capture and waits for its files.
    ~WinAVIRecordingCtrl() override;

    // Records on the capture thread. A width with a height of 0 takes the height from the screen's
    // aspect, made even.
    bool startRecording(int width, int height, const QString &audioSource);
    // Readies a recording of these terms during the count-down; the next startRecording starts it, a
    // stopRecording gives it up.
    bool prepareRecording(int width, int height, const QString &audioSource);
    // The same with the first frame in codec ("DIB " uncompressed); the height is kept as computed.
    bool startRecording(const QString &codec, int width, int height, const QString &audioSource);
    bool stopRecording(QString &fileName);
    bool stopRecording(QStringList *files);
    bool stopTimerRecording(QString &fileName);
    bool stopTimerRecording(QStringList *files);

    bool togglePause();
    bool isRecording();
    bool addFrame();
    int errorCode();
    // Why the capture ended by itself; empty otherwise.
    QString failureCause();
    // Whether the running recording's microphone was given up.
    bool microphoneGivenUp();
    void setMute(bool mute);
    bool getMute();
    void setVolume(uint percent);
    uint getVolume();
    int audioDeviceCount();
    // The microphones in device order under their full names; rebuilt only when the number of devices
    // differs from the list held.
    QStringList audioSourceList();
    // Device index of the named microphone (ignoring case); -2 (no sound) when it is not present.
    int audioSourceIndex(const QString &name);
    QStringList cachedAudioSources() const;

    // Height of a recording width wide on a desktop of that size.
    static int heightForWidth(const QSize &desktop, int width, bool even);
    // Whether the device at path is the document camera that carries the microphone named source.
    static bool matchesCameraMicrophone(const QString &source, const QString &path);
    // Whether two source lists name different devices (an entry of one contained in no entry of the other).
    static bool sourceListsDiffer(const QStringList &cached, const QStringList &fresh);

public Q_SLOTS:
    // A device arrived or left.
    void deviceChanged(const QString &path);

private:
    bool startCommon(const QString &codec, bool timerMode, int width, int height, const QString &audioSource);
    // The capture thread's terms for a recording size and a microphone name.
    int captureTerms(bool even, int width, int *height, const QString &audioSource);
    void watchDevices();
    bool removeNotification();

    QSharedPointer<AVIRecordingThread> m_thread;
    WinVolumeController *m_volume;
    QString m_audioSource;
    QStringList m_cachedSources;
    UsbDeviceMonitor *m_notification = nullptr;
};
