#include "RecordingImpl.h"

#include "AVIRecordingThread.h"
#include "AviRepair.h"
#include "RecordingLog.h"
#include "SettingImpl.h"
#include "WinAVIRecordingCtrl.h"
#include "WinAudioLevelReporter.h"

#include <QDateTime>
#include <QFile>
#include <QtConcurrent>

namespace {

// How often the service looks after its capture and its microphones, from the GUI thread.
constexpr int kLevelMs = 30;        // the level meter's refresh, fast enough for a moving bar
constexpr int kStatusMs = 50;       // noticing a capture that ended by itself
constexpr int kAudioSourceMs = 500; // noticing a microphone plugged in or out
constexpr int kFrameMs = 10;        // the uncompressed retry's disk check, well inside a 40 ms frame

// The codec of the retry after a capture ended by itself: uncompressed frames need no encoder.
const QString kUncompressedCodec = QStringLiteral("DIB ");

} // namespace

RecordingImpl *RecordingImpl::getInstance()
{
    return static_cast<RecordingImpl *>(acquire(recordingMutex(), [] { return new RecordingImpl; }));
}

RecordingImpl::RecordingImpl(std::unique_ptr<WinAVIRecordingCtrl> givenCtrl,
                             std::unique_ptr<WinAudioLevelReporter> givenLevelReporter)
    : settings(SettingImpl::getInstance())
    , ctrl(givenCtrl ? std::move(givenCtrl) : std::make_unique<WinAVIRecordingCtrl>())
    , levelReporter(givenLevelReporter ? std::move(givenLevelReporter) : std::make_unique<WinAudioLevelReporter>())
{
    levelTimer.setInterval(kLevelMs);
    statusTimer.setInterval(kStatusMs);
    audioSourceTimer.setInterval(kAudioSourceMs);
    frameTimer.setInterval(kFrameMs);
    connect(&levelTimer, &QTimer::timeout, this, &RecordingImpl::reportAudioLevel);
    connect(&statusTimer, &QTimer::timeout, this, &RecordingImpl::checkRecordingStatus);
    connect(&audioSourceTimer, &QTimer::timeout, this, &RecordingImpl::checkAudioSource);
    connect(&frameTimer, &QTimer::timeout, this, &RecordingImpl::addFrame);
    audioSourceTimer.start();

    // Recordings cut short by a crash are made whole off the GUI thread; only files last written before
    // now are touched, so a recording started meanwhile is left alone.
    // Quitting waits for the pool's threads: the repair is cancelled then, and a repair cut short leaves the
    // original as it was.
    const QString folder = settings->getSavePath();
    const QDateTime now = QDateTime::currentDateTime();
    const std::shared_ptr<std::atomic<bool>> cancelled = repairCancelled;
    repair = QtConcurrent::run([folder, now, cancelled] {
        return AviRepair::repairRecordings(folder, now, [cancelled] { return cancelled->load(); });
    });
    if (QCoreApplication::instance())
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, &RecordingImpl::cancelRepair);
}

RecordingImpl::~RecordingImpl()
{
    cancelRepair();
    settings->release();
}

void RecordingImpl::cancelRepair()
{
    *repairCancelled = true;
}

QFuture<int> RecordingImpl::startUpRepair() const
{
    return repair;
}

int RecordingImpl::widthForQuality(int quality)
{
    switch (quality) {
    case 0:
        return 640;
    case 1:
        return 800;
    case 2:
        return 1024;
    default:
        return 0;
    }
}

bool RecordingImpl::getMute()
{
    return ctrl->getMute();
}

int RecordingImpl::setMute(bool mute)
{
    ctrl->setMute(mute);
    return 0;
}

uint RecordingImpl::getVolume()
{
    return ctrl->getVolume();
}

int RecordingImpl::setVolume(uint percent)
{
    ctrl->setVolume(percent);
    return 0;
}

QList<QString> RecordingImpl::audioSources()
{
    return ctrl->audioSourceList();
}

QList<QString> RecordingImpl::getOldAudioSources()
{
    return ctrl->cachedAudioSources();
}

int RecordingImpl::recordingWidth()
{
    const int quality = settings->getVideoQuality();
    settings->setVideoQuality(quality);
    return widthForQuality(quality);
}

QString RecordingImpl::recordingSource()
{
    // A muted setting records no sound stream at all.
    return settings->getMute() ? QString() : settings->getAudioSource();
}

bool RecordingImpl::doPrepareRecording()
{
    return !uncompressedRetry && ctrl->prepareRecording(recordingWidth(), 0, recordingSource());
}

void RecordingImpl::doCancelPreparedRecording()
{
    QStringList files;
    ctrl->stopRecording(&files);
}

int RecordingImpl::doStartRecording()
{
    const int width = recordingWidth();
    const QString source = recordingSource();
    bool started;
    if (uncompressedRetry) {
        // The retry's start answers true even when its first frame failed; the capture then records
        // nothing, so that counts as a failed start.
        started = ctrl->startRecording(kUncompressedCodec, width, 0, source)
                  && ctrl->errorCode() == RECORDING_THREAD_NO_ERROR;
    } else {
        started = ctrl->startRecording(width, 0, source);
    }
    if (!started) {
        recordingLog(LogSystem::LOG_NOTICE, "RecordingImpl::doStartRecording() - start recording error");
        return RECORDING_PLATFORM_FAILED;
    }
    recordingLog(LogSystem::LOG_INFO, "RecordingImpl::doStartRecording()");
    if (!uncompressedRetry)
        microphoneReported = false;
    statusTimer.start();
    frameTimer.start();
    return RECORDING_OK;
}

void RecordingImpl::addFrame()
{
    if (!uncompressedRetry) {
        frameTimer.stop();
        return;
    }
    ctrl->addFrame();
}

int RecordingImpl::stopController(QStringList *files)
{
    statusTimer.stop();
    if (AVIRecordingThread::saveFolder().isEmpty()) {
        recordingLog(LogSystem::LOG_NOTICE, "RecordingImpl::doStopRecording() - stop recording error");
        return RECORDING_PLATFORM_FAILED;
    }
    bool stopped;
    if (uncompressedRetry) {
        stopped = ctrl->stopTimerRecording(files);
        frameTimer.stop();
    } else {
        stopped = ctrl->stopRecording(files);
    }
    uncompressedRetry = false;
    if (!stopped) {
        recordingLog(LogSystem::LOG_INFO, "RecordingImpl::doStopRecording() - stop recording error");
        recordingLog(LogSystem::LOG_NOTICE, "RecordingImpl::doStopRecording() - stop recording error");
        return RECORDING_PLATFORM_FAILED;
    }
    recordingLog(LogSystem::LOG_INFO, "RecordingImpl::doStopRecording()");
    return RECORDING_OK;
}

int RecordingImpl::doStopRecording(QList<QString> *files)
{
    QStringList written;
    const int result = stopController(&written);
    if (result == RECORDING_OK || !written.isEmpty()) {
        // After a retry the recording is both attempts' files.
        if (files)
            *files = earlierFiles + written;
        earlierFiles.clear();
    }
    return result;
}

int RecordingImpl::doStopRecording(QString &fileName)
{
    QStringList written;
    const int result = stopController(&written);
    fileName = written.value(0);
    return result;
}

int RecordingImpl::doPauseRecording()
{
    if (!ctrl->togglePause()) {
        recordingLog(LogSystem::LOG_INFO, "RecordingImpl::doPauseRecording() - pause recording error");
        return RECORDING_PLATFORM_FAILED;
    }
    recordingLog(LogSystem::LOG_INFO, "RecordingImpl::doPauseRecording()");
    return 1;
}

int RecordingImpl::doResumeRecording()
{
    if (ctrl->togglePause()) {
        recordingLog(LogSystem::LOG_INFO, "RecordingImpl::doResumeRecording() - resume recording error");
        return RECORDING_PLATFORM_FAILED;
    }
    recordingLog(LogSystem::LOG_INFO, "RecordingImpl::doResumeRecording()");
    return 1;
}

void RecordingImpl::reportMicrophoneGivenUp()
{
    if (microphoneReported || !ctrl->microphoneGivenUp())
        return;
    microphoneReported = true;
    recordingLog(LogSystem::LOG_WARNING, "RecordingImpl - the microphone gives no sound, the recording goes on "
                                         "without it");
    warningBox(tr("The microphone gives no sound."), tr("The recording goes on without sound."));
}

void RecordingImpl::checkRecordingStatus()
{
    if (ctrl->isRecording()) {
        reportMicrophoneGivenUp();
        return;
    }
    const int code = ctrl->errorCode();
    statusTimer.stop();
    static const char *const endTexts[] = {
        "no error",
        nullptr,
        nullptr,
        "initialize recording failed",
        "Add frame failed",
        "Free space is not enough",
        "Use XVID codec failed",
        "Screen lost",
        "Writer failed",
    };
    if (code >= 0 && code < int(std::size(endTexts)) && endTexts[code])
        recordingLog(LogSystem::LOG_INFO, "RecordingImpl::checkRecordingStatus() - %s", endTexts[code]);

    if (code == RECORDING_THREAD_SCREEN_LOST || code == RECORDING_THREAD_WRITER_FAILED) {
        // Uncompressed frames would fail the same way: the recording ends with what was written.
        forceStopRecordingInterrupted(ctrl->failureCause());
        return;
    }

    if (code == RECORDING_THREAD_FREE_SPACE_NOT_ENOUGH || uncompressedRetry) {
        forceStopRecording();
        return;
    }
    if (code == RECORDING_THREAD_VIDEO_CODEC_FAILED) {
        QString fileName = QStringLiteral("out.avi");
        doStopRecording(fileName);
        if (!fileName.isEmpty())
            QFile::remove(fileName);
        forceStopRecordingWithError(RECORDING_CODEC_FAILED,
                                    tr("Use XVID codec failed. Please contact customer service"));
        return;
    }
    QStringList written;
    doStopRecording(&written);
    earlierFiles = written;
    uncompressedRetry = true;
    if (doStartRecording() < 0) {
        // Nothing records any more: the recording ends here, with the files of the first attempt.
        recordingLog(LogSystem::LOG_CRITICAL, "RecordingImpl::checkRecordingStatus() - the uncompressed retry "
                                              "did not start");
        forceStopRecording();
    }
}

void RecordingImpl::checkAudioSource()
{
    audioSourceTimer.stop();
    const qint64 count = ctrl->audioDeviceCount();
    if (count != lastAudioDeviceCount) {
        lastAudioDeviceCount = count;
        ctrl->audioSourceList();
        emit audioSourcesChanged(ctrl->cachedAudioSources());
    }
    audioSourceTimer.start();
}

int RecordingImpl::doStartAudioMonitor()
{
    if (audioSources().isEmpty())
        return RECORDING_AUDIO_MONITOR_FAILED;
    // The meter shows the configured microphone even when recordings are set to have no sound.
    if (!levelReporter->start(settings->getAudioSource()) || !levelReporter->run())
        return RECORDING_AUDIO_MONITOR_FAILED;
    levelTimer.start();
    return RECORDING_OK;
}

void RecordingImpl::reportAudioLevel()
{
    emit audioLevelReported(uint(levelReporter->level()));
}

void RecordingImpl::doStopAudioMonitor()
{
    levelTimer.stop();
    levelReporter->stop();
}
