#include "RecordingCommonImpl.h"

#include "LumoSystem.h"
#include "MessageBoxes.h"
#include "RecordingLog.h"
#include "SettingImpl.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QWidget>

QRecursiveMutex &RecordingCommonImpl::recordingMutex()
{
    static QRecursiveMutex mutex;
    return mutex;
}

RecordingCommonImpl::RecordingCommonImpl(QObject *parent)
    : RecordingIntf(parent)
    , freeSpace(&LumoSystem::freeSpace)
{
    connect(this, &RecordingCommonImpl::emitRecordStoppedOnMain, this, &RecordingCommonImpl::emitRecordStopped);
    connect(this, &RecordingCommonImpl::emitRecordStoppedWithErrorOnMain, this,
            &RecordingCommonImpl::emitRecordStoppedWithError);
    connect(this, &RecordingCommonImpl::emitRecordInterruptedOnMain, this, &RecordingCommonImpl::emitRecordInterrupted);
}

RecordingCommonImpl::~RecordingCommonImpl() = default;

void RecordingCommonImpl::setFreeSpaceQuery(FreeSpaceQuery query)
{
    freeSpace = std::move(query);
}

QMessageBox::StandardButton RecordingCommonImpl::warningBox(const QString &text, const QString &informativeText,
                                                            QMessageBox::StandardButtons buttons,
                                                            QMessageBox::StandardButton defaultButton)
{
    // A box of the service's own, kept off whatever window happens to be active.
    MessageBoxes::Request request;
    request.fromService = true;
    request.title = tr("Warning");
    request.icon = QMessageBox::Warning;
    request.text = text;
    request.informativeText = informativeText;
    request.buttons = buttons;
    request.defaultButton = defaultButton;
    return MessageBoxes::exec(request);
}

void RecordingCommonImpl::release()
{
    if (releaseReference(recordingMutex()))
        delete this;
}

void RecordingCommonImpl::addRef()
{
    addReference(recordingMutex());
}

void RecordingCommonImpl::setStatus(uint newStatus)
{
    status = newStatus;
    emit actionStatusChanged(status);
}

void RecordingCommonImpl::enterIdle()
{
    recording = false;
    paused = false;
    if (recordingHoldsMonitor) {
        recordingHoldsMonitor = false;
        stopAudioMonitor();
    }
    setStatus(RECORDING_STATUS_IDLE);
}

void RecordingCommonImpl::prepareRecording()
{
    QMutexLocker locker(&recordingMutex());
    if (recording || prepared)
        return;
    prepared = doPrepareRecording();
}

void RecordingCommonImpl::cancelPreparedRecording()
{
    QMutexLocker locker(&recordingMutex());
    if (recording || !prepared)
        return;
    prepared = false;
    doCancelPreparedRecording();
}

int RecordingCommonImpl::startRecording()
{
    QMutexLocker locker(&recordingMutex());
    if (recording)
        return RECORDING_ALREADY_RECORDING;
    // A start refused before the engine takes over gives up what the count-down readied.
    auto cancelPrepared = qScopeGuard([this] { cancelPreparedRecording(); });
    SettingIntf *settings = SettingImpl::getInstance();
    const QString folder = settings->getSavePath();
    settings->release();
    if (!QDir(folder).exists() && !QDir().mkpath(folder))
        recordingLog(LogSystem::LOG_NOTICE, "RecordingCommonImpl::startRecording() - Dir %s can't not be created",
                     qUtf8Printable(folder));
    if (!QDir(folder).exists())
        return RECORDING_NO_SPACE;
    if (!QFileInfo(folder).isWritable()) {
        recordingLog(LogSystem::LOG_CRITICAL, "RecordingCommonImpl::startRecording - Permission Denied");
        warningBox(tr("Permission Denied! You do not have access to the directory."),
                   tr("You do not have permission to write to %1.").arg(QDir::toNativeSeparators(folder)));
        return RECORDING_FOLDER_NOT_WRITABLE;
    }
    if (freeSpace(folder) <= kStartFreeBytesFloor) {
        recordingLog(LogSystem::LOG_CRITICAL, "RecordingCommonImpl::startRecording - Not enough disk space!");
        warningBox(tr("Not enough disk space!"), tr("Cannot start recording!"));
        return RECORDING_NO_SPACE;
    }
    cancelPrepared.dismiss();
    prepared = false;
    const int result = doStartRecording();
    if (result < 0)
        return result;
    recording = true;
    paused = false;
    // Without a microphone the recording still runs; it then holds no monitor user to give back.
    recordingHoldsMonitor = startAudioMonitor() >= 0;
    setStatus(RECORDING_STATUS_RECORDING | RECORDING_STATUS_RUNNING);
    return RECORDING_OK;
}

int RecordingCommonImpl::stopRecording(QList<QString> *files)
{
    QMutexLocker locker(&recordingMutex());
    if (!recording)
        return RECORDING_NOT_RECORDING;
    const int result = doStopRecording(files);
    if (result < 0)
        return result;
    enterIdle();
    return RECORDING_OK;
}

int RecordingCommonImpl::pauseRecording()
{
    QMutexLocker locker(&recordingMutex());
    if (!recording)
        return RECORDING_NOT_RECORDING;
    if (paused)
        return RECORDING_ALREADY_PAUSED;
    const int result = doPauseRecording();
    if (result < 0)
        return result;
    paused = true;
    setStatus(RECORDING_STATUS_RECORDING | RECORDING_STATUS_PAUSED);
    return RECORDING_OK;
}

int RecordingCommonImpl::resumeRecording()
{
    QMutexLocker locker(&recordingMutex());
    if (!recording)
        return RECORDING_NOT_RECORDING;
    if (!paused)
        return RECORDING_NOT_PAUSED;
    const int result = doResumeRecording();
    if (result < 0)
        return result;
    paused = false;
    setStatus(RECORDING_STATUS_RECORDING | RECORDING_STATUS_RUNNING);
    return RECORDING_OK;
}

int RecordingCommonImpl::startAudioMonitor()
{
    QMutexLocker locker(&recordingMutex());
    if (audioMonitorUsers == 0) {
        const int result = doStartAudioMonitor();
        if (result < 0)
            return result;
    }
    ++audioMonitorUsers;
    return RECORDING_OK;
}

void RecordingCommonImpl::stopAudioMonitor()
{
    QMutexLocker locker(&recordingMutex());
    if (audioMonitorUsers <= 0)
        return;
    if (--audioMonitorUsers == 0)
        doStopAudioMonitor();
}

int RecordingCommonImpl::confirmExitWhileRecording(QList<QString> *files)
{
    if (!recording)
        return RECORDING_OK;
    const QMessageBox::StandardButton answer = warningBox(tr("Do you really want to exit Quillo?"),
                                                          tr("Recording in progress"),
                                                          QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return RECORDING_EXIT_REFUSED;
    const int result = doStopRecording(files);
    QMutexLocker locker(&recordingMutex());
    enterIdle();
    if (result < 0) {
        if (files)
            files->clear();
        return RECORDING_EXIT_STOP_FAILED;
    }
    return RECORDING_OK;
}

uint RecordingCommonImpl::actionStatus()
{
    return status;
}

void RecordingCommonImpl::forceStopRecording()
{
    QMutexLocker locker(&recordingMutex());
    QList<QString> files;
    if (stopRecording(&files) < 0 && recording) {
        // The capture has ended whatever the stop answered; showing it as running would leave the user
        // with a recording that can neither record nor be stopped.
        recordingLog(LogSystem::LOG_CRITICAL, "RecordingCommonImpl::forceStopRecording - the stop failed");
        enterIdle();
    }
    emit emitRecordStoppedOnMain(files);
}

void RecordingCommonImpl::forceStopRecordingWithError(int code, const QString &text)
{
    QMutexLocker locker(&recordingMutex());
    QList<QString> files;
    if (stopRecording(&files) < 0 && recording) {
        recordingLog(LogSystem::LOG_CRITICAL, "RecordingCommonImpl::forceStopRecordingWithError - the stop failed");
        enterIdle();
    }
    emit emitRecordStoppedWithErrorOnMain(code, text, files);
}

void RecordingCommonImpl::forceStopRecordingInterrupted(const QString &cause)
{
    QMutexLocker locker(&recordingMutex());
    if (!recording)
        return;
    QList<QString> files;
    if (stopRecording(&files) < 0 && recording) {
        recordingLog(LogSystem::LOG_CRITICAL, "RecordingCommonImpl::forceStopRecordingInterrupted - the stop failed");
        enterIdle();
    }
    emit emitRecordInterruptedOnMain(cause, files);
}

void RecordingCommonImpl::emitRecordInterrupted(QString cause, QList<QString> files)
{
    QMutexLocker locker(&recordingMutex());
    warningBox(tr("Recording interrupted."), cause);
    emit recordStopped(RECORDING_NO_SPACE, files);
}

void RecordingCommonImpl::emitRecordStopped(QList<QString> files)
{
    QMutexLocker locker(&recordingMutex());
    const bool removed = files.isEmpty() || !QFileInfo(files.first()).isFile();
    warningBox(removed ? tr("Destination disk removed!") : tr("Not enough disk space!"), tr("Recording interrupted."));
    if (removed)
        emit recordStopped(RECORDING_DESTINATION_REMOVED, QList<QString>());
    else
        emit recordStopped(RECORDING_NO_SPACE, files);
}

void RecordingCommonImpl::emitRecordStoppedWithError(int code, QString text, QList<QString> files)
{
    warningBox(tr("Recording interrupted."), text);
    // What was written before the error is the user's: the window offers it for saving. A file the engine
    // named but never wrote, or that holds nothing, is no recording to offer.
    QList<QString> kept;
    for (const QString &file : files) {
        if (QFileInfo(file).size() > 0)
            kept << file;
    }
    emit recordStopped(code, kept);
}
