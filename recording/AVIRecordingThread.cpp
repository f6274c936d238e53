#include "AVIRecordingThread.h"

#include "AviRepair.h"
#include "LumoSystem.h"
#include "MessageBoxes.h"
#include "RecordingLog.h"
#include "SettingImpl.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// The first frame is tried this often in a row before the start counts as failed: the first set-up may
// fail once (and the file is then created anew) and a grab may come back empty.
constexpr int kFirstFrameAttempts = 11;

} // namespace

QSharedPointer<AVIRecordingThread> AVIRecordingThread::getInstance()
{
    static QSharedPointer<AVIRecordingThread> instance(new AVIRecordingThread);
    return instance;
}

AVIRecordingThread::AVIRecordingThread(QObject *parent)
    : QThread(parent)
    , m_freeSpace(&LumoSystem::freeSpace)
{
}

AVIRecordingThread::~AVIRecordingThread()
{
    // Deleting a running thread would end the process: here, at its end, the wait is the capture's own.
    if (!requestStopAndWait())
        wait();
}

void AVIRecordingThread::setBackends(const RecordingBackends &backends)
{
    m_writer.setBackends(backends);
}

void AVIRecordingThread::setFreeSpaceQuery(FreeSpaceQuery query)
{
    m_freeSpace = std::move(query);
}

QString AVIRecordingThread::saveFolder()
{
    SettingIntf *settings = SettingImpl::getInstance();
    QString folder = settings->getSavePath();
    if (folder.isEmpty()) {
        settings->setSavePath(QDir::homePath() + QStringLiteral("/Quillo/"));
        folder = settings->getSavePath();
    }
    settings->release();
    if (!folder.isEmpty() && !QDir(folder).exists())
        QDir::root().mkpath(folder);
    return folder;
}

QString AVIRecordingThread::outputFileName()
{
    const QString folder = saveFolder();
    if (folder.isEmpty())
        return QString();
    // A recording started in the same second as the one before it (the uncompressed retry) must not
    // overwrite that one's file: it takes the next free second.
    QDateTime time = QDateTime::currentDateTime();
    QString name;
    do {
        name = folder + QStringLiteral("Quillo-") + time.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"))
               + QStringLiteral(".avi");
        time = time.addSecs(1);
    } while (QFileInfo::exists(name));
    return name;
}

bool AVIRecordingThread::freeSpaceEnough()
{
    const qint64 free = m_freeSpace(QFileInfo(m_outputFile).absolutePath());
    return free >= kMinFreeBytes;
}

// Steps shared by both starts, with the mutex held; true when the writer's first file is open.
bool AVIRecordingThread::prepareStart(bool quiet)
{
    m_outputFile = outputFileName();
    if (!freeSpaceEnough()) {
        if (!quiet)
            MessageBoxes::warning(nullptr, tr("Warning"), tr("Not enough disk space for recording."));
        m_errorCode = RECORDING_THREAD_FREE_SPACE_NOT_ENOUGH;
        return false;
    }
    const QString reason = m_writer.unavailableReason();
    if (!reason.isEmpty()) {
        // Recording a screen that cannot be read would only give black frames.
        if (!quiet)
            MessageBoxes::warning(nullptr, tr("Warning"), reason);
        m_errorCode = RECORDING_THREAD_INITIALIZE_FAILED;
        return false;
    }
    m_writer.setFileName(m_outputFile);
    return true;
}

AVIRecordingThread::StartOutcome AVIRecordingThread::beginCapture(bool timerMode, bool quiet, const QString &codec,
                                                                  WId window, int width, int height, int audioDevice)
{
    m_running = false;
    if (isRunning()) {
        m_running = true;
        m_errorCode = RECORDING_THREAD_ALREADY_RECORDING;
        return StartOutcome::AlreadyRunning;
    }
    if (!prepareStart(quiet))
        return StartOutcome::Failed;
    if (!m_writer.initialize(window, width, height, audioDevice)) {
        m_errorCode = RECORDING_THREAD_INITIALIZE_FAILED;
        return StartOutcome::Failed;
    }
    m_running = true;
    m_errorCode = RECORDING_THREAD_NO_ERROR;
    {
        QMutexLocker cause(&m_causeMutex);
        m_failureCause.clear();
    }
    m_timerMode = timerMode;
    m_firstCodec = codec;
    m_firstFrameWritten = false;
    m_stopRequested = false;
    m_go.acquire(m_go.available());
    m_started = false;
    start(QThread::TimeCriticalPriority);
    return StartOutcome::Started;
}

bool AVIRecordingThread::prepareRecording(WId window, int width, int height, int audioDevice)
{
    QMutexLocker locker(&m_mutex);
    if (m_prepared || isRunning())
        return false;
    m_prepared = beginCapture(false, true, QString(), window, width, height, audioDevice) == StartOutcome::Started;
    return m_prepared;
}

bool AVIRecordingThread::startRecording(WId window, int width, int height, int audioDevice)
{
    QMutexLocker locker(&m_mutex);
    if (m_prepared) {
        // A prepared capture that ended by itself meanwhile reports it through the status poll.
        m_prepared = false;
        m_writer.markStart();
        m_started = true;
        m_go.release();
        return true;
    }
    const bool started = beginCapture(false, false, QString(), window, width, height, audioDevice)
                         != StartOutcome::Failed;
    if (started) {
        m_started = true;
        m_go.release();
    }
    return started;
}

bool AVIRecordingThread::startRecording(const QString &codec, WId window, int width, int height, int audioDevice)
{
    StartOutcome outcome;
    {
        QMutexLocker locker(&m_mutex);
        outcome = beginCapture(true, false, codec, window, width, height, audioDevice);
    }
    if (outcome != StartOutcome::Started)
        return outcome == StartOutcome::AlreadyRunning;
    m_started = true;
    m_go.release();
    // The frames are grabbed and encoded on the capture thread; the caller only learns how the first went.
    m_firstFrameDone.acquire();
    if (m_firstFrameWritten)
        return true;
    m_errorCode = RECORDING_THREAD_ADD_FRAME_FAILED;
    return false;
}

void AVIRecordingThread::run()
{
    // The stop flag was cleared by the start: clearing it here would lose a stop asked right after it.
    const bool timerMode = m_timerMode;
    const QString firstCodec = timerMode ? m_firstCodec : QString();
    // The encoder is opened and its first frames' costs paid here, before the first grab starts the recorded
    // time, so that the first second gets a picture in every slot. The start has returned already: the
    // window keeps answering meanwhile.
    m_writer.prepareVideo(firstCodec);
    // A prepared capture waits here for the count-down's end; a stop releases it too.
    m_go.acquire();
    const bool cancelled = !m_started;
    int result = WinAVIRecordingImpl::FRAME_NOTHING_WRITTEN;
    for (int attempt = 0; !cancelled && attempt < kFirstFrameAttempts; ++attempt) {
        result = m_writer.writeFrame(firstCodec);
        // Timer mode goes on after a failed set-up too: its later frames set up XviD with its fall-back.
        if (result == WinAVIRecordingImpl::FRAME_WRITTEN
            || (timerMode && result == WinAVIRecordingImpl::FRAME_SETUP_FAILED))
            break;
    }
    const bool started = result == WinAVIRecordingImpl::FRAME_WRITTEN
                         || (timerMode && result == WinAVIRecordingImpl::FRAME_SETUP_FAILED);
    if (timerMode) {
        m_firstFrameWritten = started;
        m_firstFrameDone.release();
    }
    if (!started && !cancelled) {
        m_stopRequested = true;
        if (!timerMode)
            m_errorCode = result == WinAVIRecordingImpl::FRAME_SETUP_FAILED ? RECORDING_THREAD_VIDEO_CODEC_FAILED
                                                                            : RECORDING_THREAD_ADD_FRAME_FAILED;
        recordingLog(LogSystem::LOG_ERROR, "AVIRecordingThread::run - first frame failed (%d)", result);
    }
    while (!m_stopRequested) {
        if (!freeSpaceEnough()) {
            endCapture(RECORDING_THREAD_FREE_SPACE_NOT_ENOUGH, tr("The free space fell below the floor."));
            break;
        }
        const int written = m_writer.writeFrame(QString());
        if (written == WinAVIRecordingImpl::FRAME_SCREEN_LOST) {
            endCapture(RECORDING_THREAD_SCREEN_LOST, m_writer.failureCause());
            break;
        }
        if (written == WinAVIRecordingImpl::FRAME_WRITER_FAILED) {
            // Going on would keep the recording "running" while nothing reaches the file.
            endCapture(m_writer.failedForSpace() ? RECORDING_THREAD_FREE_SPACE_NOT_ENOUGH
                                                 : RECORDING_THREAD_WRITER_FAILED,
                       m_writer.failureCause());
            break;
        }
        if (m_stopRequested)
            break;
        m_writer.sleepUntilNextSlot();
    }
    QMutexLocker locker(&m_mutex);
    m_writer.finalize();
    if (m_writer.failedForSpace())
        finishAfterFullDisk();
    if (cancelled) {
        // A count-down cancelled before its end recorded nothing: no empty file is left for the library.
        for (const QString &file : m_writer.recordedFiles())
            QFile::remove(file);
    }
    // A timer-mode start that failed stays "running" until its caller stops it.
    if (started || !timerMode)
        m_running = false;
}

void AVIRecordingThread::finishAfterFullDisk()
{
    // A file whose disk filled up could not write its index: it is made playable now, not at the next
    // start, so that the library plays it at once. The repair's copy needs room; without, the file is
    // finished where it lies.
    for (const QString &file : m_writer.recordedFiles()) {
        if (!AviRepair::isUnfinished(file))
            continue;
        const QFileInfo info(file);
        const bool roomForACopy = m_freeSpace(info.absolutePath()) > info.size() + kMinFreeBytes;
        if (!(roomForACopy && AviRepair::repair(file)))
            AviRepair::finishInPlace(file);
    }
}

void AVIRecordingThread::endCapture(int code, const QString &cause)
{
    recordingLog(LogSystem::LOG_ERROR, "AVIRecordingThread::run - the capture ends (%d): %s", code,
                 qUtf8Printable(cause));
    {
        QMutexLocker locker(&m_causeMutex);
        m_failureCause = cause;
    }
    m_errorCode = code;
}

QString AVIRecordingThread::failureCause() const
{
    QMutexLocker locker(&m_causeMutex);
    return m_failureCause;
}

bool AVIRecordingThread::requestStopAndWait()
{
    if (isRunning() && !m_stopRequested)
        m_writer.markEnd();
    m_stopRequested = true;
    m_go.release();
    if (wait(QDeadlineTimer(kStopLimitMs)))
        return true;
    recordingLog(LogSystem::LOG_ERROR,
                 "AVIRecordingThread - the capture did not end within %d ms, it finishes on its own", kStopLimitMs);
    return false;
}

bool AVIRecordingThread::stopRecording()
{
    {
        QMutexLocker locker(&m_mutex);
        m_prepared = false;
    }
    if (!isRunning()) {
        m_errorCode = RECORDING_THREAD_NOT_RECORDING;
        return true;
    }
    requestStopAndWait();
    m_errorCode = RECORDING_THREAD_NO_ERROR;
    return true;
}

bool AVIRecordingThread::stopNow()
{
    // A capture still ending finalizes its own files.
    const bool ended = requestStopAndWait();
    QMutexLocker locker(&m_mutex);
    if (ended)
        m_writer.finalize();
    m_running = false;
    return true;
}

bool AVIRecordingThread::addFrame()
{
    if (!freeSpaceEnough()) {
        m_errorCode = RECORDING_THREAD_FREE_SPACE_NOT_ENOUGH;
        // Ends the capture so the caller's status poll stops the recording and reports the full disk.
        requestStopAndWait();
        QMutexLocker locker(&m_mutex);
        m_running = false;
        return false;
    }
    return isRunning();
}

bool AVIRecordingThread::togglePause()
{
    m_errorCode = RECORDING_THREAD_NO_ERROR;
    return m_writer.togglePause();
}

bool AVIRecordingThread::isRecording()
{
    QMutexLocker locker(&m_mutex);
    return m_running;
}

QStringList AVIRecordingThread::recordedFiles() const
{
    return m_writer.recordedFiles();
}

QString AVIRecordingThread::outputFile() const
{
    return m_outputFile;
}

void AVIRecordingThread::setMute(bool mute)
{
    m_writer.setMute(mute);
}

bool AVIRecordingThread::getMute() const
{
    return m_writer.getMute();
}

void AVIRecordingThread::stopAudioCapture()
{
    m_writer.setAudioRunning(false);
}
