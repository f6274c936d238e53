#include "WinAVIRecordingImpl.h"

#include "AudioSource.h"
#include "MicrophoneAudioSource.h"
#include "RecordingClock.h"
#include "RecordingLog.h"
#include "ScreenGrabber.h"
#include "SteadyRecordingClock.h"
#include "VideoEncoderFactory.h"
#include "X11ScreenGrabber.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace {

// One slot of the video grid: 25 frames per second.
constexpr quint32 kFramePeriodMs = 40;
// How far a block may land from the end of the sound written so far and still follow on directly: the
// stamps' own rounding and jitter stay below it, and a sample moved by it is still heard with its picture.
// A wider gap is time the microphone delivered nothing for and is filled with silence; a wider overlap is
// time already written and is cut from the block.
constexpr qint64 kAudioSlackMs = 20;
// Sound kept while the file is set up: the 3 s count-down and well above the longest microphone open
// seen (about 2 s), bounded so that a set-up that hangs cannot fill the memory.
constexpr qint64 kEarlyAudioLimitMs = 10000;

// The files the process's recordings are writing, by absolute path.
QMutex writingMutex;
QSet<QString> writingFiles;

void noteWriting(const QString &fileName, bool writing)
{
    const QString path = QFileInfo(fileName).absoluteFilePath();
    QMutexLocker locker(&writingMutex);
    if (writing)
        writingFiles.insert(path);
    else
        writingFiles.remove(path);
}

} // namespace

bool WinAVIRecordingImpl::isBeingWritten(const QString &fileName)
{
    const QString path = QFileInfo(fileName).absoluteFilePath();
    QMutexLocker locker(&writingMutex);
    return writingFiles.contains(path);
}

WinAVIRecordingImpl::WinAVIRecordingImpl(QObject *parent)
    : QObject(parent)
    , m_silence(int(kAudioBlockBytes), '\0')
{
}

WinAVIRecordingImpl::~WinAVIRecordingImpl()
{
    stop();
}

void WinAVIRecordingImpl::setBackends(const RecordingBackends &backends)
{
    QMutexLocker locker(&m_mutex);
    m_backends = backends;
}

void WinAVIRecordingImpl::ensureBackends()
{
    if (!m_backends.clock)
        m_backends.clock = std::make_shared<SteadyRecordingClock>();
    if (!m_backends.grabber)
        m_backends.grabber = std::make_shared<X11ScreenGrabber>();
    if (!m_backends.audio)
        m_backends.audio = std::make_shared<MicrophoneAudioSource>();
    if (!m_backends.encoderFactory)
        m_backends.encoderFactory = std::shared_ptr<VideoEncoderFactory>(std::shared_ptr<void>(),
                                                                         VideoEncoderFactory::standard());
}

QString WinAVIRecordingImpl::unavailableReason()
{
    QMutexLocker locker(&m_mutex);
    ensureBackends();
    QString reason;
    return m_backends.grabber->isAvailable(&reason) ? QString() : reason;
}

void WinAVIRecordingImpl::setFileName(const QString &fileName)
{
    m_fileName = fileName;
}

QString WinAVIRecordingImpl::firstFileName() const
{
    return m_fileName.isEmpty() ? QStringLiteral("out.avi") : m_fileName;
}

QString WinAVIRecordingImpl::nextSegmentName() const
{
    const QFileInfo first(firstFileName());
    const QString name =
        QStringLiteral("%1_%2.%3").arg(first.completeBaseName()).arg(recordedFiles().size() + 1).arg(first.suffix());
    return first.dir().filePath(name);
}

AviHandle *WinAVIRecordingImpl::createFile(const QString &name)
{
    const bool withSound = m_audioDevice != kNoAudio && !m_waveFormat.isEmpty();
    AviHandle *handle = createAvi(name, int(kFramePeriodMs), withSound ? &m_waveFormat : nullptr,
                                  m_backends.encoderFactory.get());
    if (handle)
        noteWriting(name, true);
    return handle;
}

QStringList WinAVIRecordingImpl::recordedFiles() const
{
    QMutexLocker locker(&m_filesMutex);
    return m_recordedFiles;
}

bool WinAVIRecordingImpl::initialize(WId window, int width, int height, int audioDevice)
{
    Q_UNUSED(window)
    QMutexLocker locker(&m_mutex);
    if (m_active)
        return false;
    ensureBackends();
    {
        QMutexLocker files(&m_filesMutex);
        m_recordedFiles.clear();
    }
    // The screen of this moment: the one of an earlier recording may be gone or no longer the primary one.
    m_backends.grabber->selectScreen();
    m_screenSize = m_backends.grabber->screenSize();
    if (width <= 0 || height <= 0) {
        width = m_screenSize.width();
        height = m_screenSize.height();
    }
    m_width = width;
    m_height = height;
    m_audioDevice = audioDevice;
    m_tickBase = 0;
    m_frameAtResume = 0;
    m_segmentTime = 0;
    m_paused = false;
    m_writerFailed = false;
    m_failedForSpace = false;
    {
        QMutexLocker files(&m_filesMutex);
        m_failureCause.clear();
    }
    m_audioStarted = false;
    m_microphoneOpened = false;
    m_anySound = false;
    m_microphoneGivenUp = false;
    m_startMarked = false;
    m_endMarked = false;
    if (audioDevice != kNoAudio) {
        stopAudio();
        m_waveFormat = WaveFormat();
    }
    if (m_avi) {
        bool closedWell = false;
        closeCurrent(&closedWell);
        if (!closedWell)
            return false;
    }
    const QString name = firstFileName();
    {
        QMutexLocker files(&m_filesMutex);
        m_recordedFiles.append(name);
    }
    m_avi = createFile(name);
    if (!m_avi) {
        locker.unlock();
        stop();
        return false;
    }
    return true;
}

quint32 WinAVIRecordingImpl::currentSlot() const
{
    if (m_paused)
        return m_slotAtPause;
    return (m_backends.clock->nowMs() - m_tickBase) / kFramePeriodMs + m_frameAtResume;
}

quint32 WinAVIRecordingImpl::recordedMs() const
{
    const quint32 tickBase = m_tickBase;
    if (tickBase == 0)
        return m_segmentTime;
    return m_paused ? m_segmentTime.load() : m_backends.clock->nowMs() + m_segmentTime - tickBase;
}

void WinAVIRecordingImpl::pauseLocked(quint32 now)
{
    m_slotAtPause = (now - m_tickBase) / kFramePeriodMs + m_frameAtResume;
    m_segmentTime = m_segmentTime + (now - m_tickBase);
    QMutexLocker audio(&m_audioMutex);
    if (!m_runs.isEmpty() && m_runs.last().open) {
        m_runs.last().endMs = now;
        m_runs.last().open = false;
    }
    m_paused = true;
}

void WinAVIRecordingImpl::resumeLocked()
{
    m_frameAtResume = m_avi ? m_avi->videoPosition.load() : 0;
    const quint32 now = m_backends.clock->nowMs();
    m_tickBase = now;
    QMutexLocker audio(&m_audioMutex);
    m_runs.append(RecordedRun{now, 0, true, m_segmentTime});
    m_paused = false;
}

bool WinAVIRecordingImpl::togglePause()
{
    QMutexLocker locker(&m_mutex);
    if (!m_active)
        return false;
    if (m_paused)
        resumeLocked();
    else
        pauseLocked(m_backends.clock->nowMs());
    return m_paused;
}

quint32 WinAVIRecordingImpl::setUpVideo(const QString &codec)
{
    if (codec.size() > 3)
        return setAviVideoCompression(m_avi, m_width, m_height, {codec.left(4).toLatin1()});
    return setXvidCompression(m_avi, m_width, m_height);
}

void WinAVIRecordingImpl::prepareVideo(const QString &codec)
{
    // Without the mutex: until the first frame makes the recording active, nobody but this thread uses the
    // file, the grabber or the microphone, and a pause pressed meanwhile must not wait on the GUI thread for
    // the whole preparation.
    if (m_active)
        return;
    // Opened first and beside the rest, the microphone's own set-up (up to seconds for some) holds up
    // neither the encoder nor the first frames; what it captures before the start is cut.
    openMicrophone();
    m_backends.grabber->prepare();
    prepareEncoder(codec);
}

void WinAVIRecordingImpl::markStart()
{
    m_startAt = m_backends.clock->nowMs();
    m_startMarked = true;
}

void WinAVIRecordingImpl::markEnd()
{
    if (!m_backends.clock)
        return;
    m_endAt = m_backends.clock->nowMs();
    m_endMarked = true;
}

void WinAVIRecordingImpl::openMicrophone()
{
    if (m_audioStarted || m_microphoneOpener || !m_avi || m_audioDevice == kNoAudio || m_waveFormat.isEmpty())
        return;
    m_audioRunning = true;
    m_microphoneOpener.reset(QThread::create([this] {
        m_microphoneOpened = m_backends.audio->start(m_audioDevice, kAudioBlockBytes, m_backends.clock.get(),
                                                     [this](const char *data, qint64 bytes, quint32 capturedMs) {
                                                         onAudioBlock(data, bytes, capturedMs);
                                                     });
        m_microphoneOpenedAt = m_backends.clock->nowMs();
    }));
    m_microphoneOpener->setObjectName(QStringLiteral("microphone open"));
    m_microphoneOpener->start();
}

void WinAVIRecordingImpl::startMicrophone()
{
    // The microphone's answer is taken before the header is written, because the muxer cannot add the
    // sound stream later; without a microphone the recording goes on with video only. The open ends
    // within the source's own limit.
    openMicrophone();
    if (!m_microphoneOpener)
        return;
    m_microphoneOpener->wait();
    takeMicrophoneAnswer();
}

void WinAVIRecordingImpl::takeMicrophoneAnswer()
{
    m_microphoneOpener.reset();
    m_audioStarted = m_microphoneOpened;
    if (m_audioStarted)
        return;
    m_audioRunning = false;
    if (m_backends.audio->stalled())
        giveUpMicrophone("it did not open in time, recording without sound");
    else
        recordingLog(LogSystem::LOG_WARNING,
                     "WinAVIRecordingImpl::startMicrophone - no microphone, recording without sound");
    if (!m_active && m_avi) {
        m_waveFormat.channels = 0;
        m_avi->audioFormat.channels = 0;
    }
}

void WinAVIRecordingImpl::giveUpMicrophone(const char *why)
{
    m_audioRunning = false;
    if (m_microphoneGivenUp.exchange(true))
        return;
    recordingLog(LogSystem::LOG_WARNING, "WinAVIRecordingImpl - the microphone is given up: %s", why);
}

void WinAVIRecordingImpl::checkMicrophoneDelivers()
{
    if (!m_audioStarted || !m_audioRunning || m_anySound || m_microphoneGivenUp)
        return;
    if (m_backends.clock->nowMs() - m_microphoneOpenedAt < kSilentMicrophoneMs)
        return;
    // A microphone that opened but hands over nothing (one nobody feeds, a stalled one): the recording
    // goes on with silence, as after a microphone lost while recording.
    giveUpMicrophone("it delivered no sound, recording goes on with silence");
}

void WinAVIRecordingImpl::prepareEncoder(const QString &codec)
{
    if (!m_avi || m_screenSize.isEmpty())
        return;
    // Grabbed pictures are 32-bit with the screen's size, so the scaler set up here is the one they use.
    QImage sample(m_screenSize, QImage::Format_RGB32);
    sample.fill(Qt::black);
    prepareAviVideo(m_avi, m_width, m_height, codec.size() > 3 ? codec.left(4).toLatin1() : QByteArray(), sample);
}

bool WinAVIRecordingImpl::splitIfDue(const QString &codec)
{
    if (m_tickBase == 0 || recordedMs() < kSegmentMs)
        return true;
    return openNextSegment(codec);
}

bool WinAVIRecordingImpl::openNextSegment(const QString &codec)
{
    QMutexLocker locker(&m_mutex);
    if (!m_active)
        return false;
    if (!m_paused)
        pauseLocked(m_backends.clock->nowMs());
    const QString name = nextSegmentName();
    AviHandle *next = createFile(name);
    if (!next) {
        // Stays paused: nothing more is written, and the frame thread ends the recording.
        recordingLog(LogSystem::LOG_ERROR, "WinAVIRecordingImpl::openNextSegment - cannot create %s",
                     qUtf8Printable(name));
        noteWriterFailure(tr("The next file of the recording could not be created."));
        m_writerFailed = true;
        return false;
    }
    {
        QMutexLocker files(&m_filesMutex);
        m_recordedFiles.append(name);
    }
    bool closedWell = false;
    closeCurrent(&closedWell);
    {
        // Sound captured before the new file began is not carried into it.
        QMutexLocker audio(&m_audioMutex);
        m_avi = next;
        m_runs.clear();
    }
    recordingLog(LogSystem::LOG_INFO, "WinAVIRecordingImpl::openNextSegment - continuing in %s", qUtf8Printable(name));
    // The new encoder's first frames are paid for while the recording stands paused, as at the start.
    prepareEncoder(codec);
    // A failed set-up leaves the new file failed; the next frame then ends the recording.
    setUpVideo(codec);
    m_tickBase = 0;
    m_frameAtResume = 0;
    m_segmentTime = 0;
    resumeLocked();
    return true;
}

int WinAVIRecordingImpl::writeFrame(const QString &codec)
{
    if (m_writerFailed)
        return FRAME_WRITER_FAILED;
    if (m_endMarked && m_active)
        return FRAME_NOTHING_WRITTEN;
    if (m_paused)
        return FRAME_NOTHING_WRITTEN;
    if (m_active && !splitIfDue(codec))
        return FRAME_WRITER_FAILED;
    if (m_active)
        checkMicrophoneDelivers();
    // The recorded time runs from the count-down's end, or else from here: without a count-down an open
    // begun by prepareVideo is waited for first, as the rest of the preparation was, while a microphone
    // not opened by prepareVideo opens inside the recorded time.
    const bool starting = !m_active;
    if (starting && !m_startMarked && m_microphoneOpener)
        startMicrophone();
    const quint32 startMs = !starting ? 0 : m_startMarked ? m_startAt.load() : m_backends.clock->nowMs();
    const QImage picture = m_backends.grabber->grab();
    if (picture.isNull()) {
        const QString lost = m_backends.grabber->lostReason();
        if (lost.isEmpty())
            return FRAME_NOTHING_WRITTEN;
        recordingLog(LogSystem::LOG_ERROR, "WinAVIRecordingImpl::writeFrame - the screen is lost: %s",
                     qUtf8Printable(lost));
        QMutexLocker files(&m_filesMutex);
        m_failureCause = lost;
        return FRAME_SCREEN_LOST;
    }
    if (!m_avi)
        return FRAME_NOTHING_WRITTEN;
    if (!m_active) {
        QMutexLocker locker(&m_mutex);
        if (m_active)
            return FRAME_NOTHING_WRITTEN;
        startMicrophone();
        if (setUpVideo(codec) != AVIERR_OK) {
            stopAudio();
            bool closedWell = false;
            closeCurrent(&closedWell);
            if (!closedWell)
                return FRAME_NOTHING_WRITTEN;
            if (m_audioDevice != kNoAudio)
                m_waveFormat = WaveFormat();
            m_avi = createFile(firstFileName());
            return FRAME_SETUP_FAILED;
        }
        m_tickBase = startMs;
        {
            QMutexLocker audio(&m_audioMutex);
            m_runs = {RecordedRun{startMs, 0, true, 0}};
            m_active = true;
            for (const CapturedBlock &block : std::as_const(m_earlyAudio))
                placeAudioLocked(block.data.constData(), block.data.size(), block.capturedMs, block.muted);
            m_earlyAudio.clear();
            m_earlyAudioBytes = 0;
        }
    }
    quint32 tickBase;
    quint32 frameAtResume;
    {
        // A pause or resume may have come while the screen was grabbed: the frame goes only to a running
        // recording, and its slot comes from one consistent pair of base values.
        QMutexLocker locker(&m_mutex);
        if (m_paused)
            return FRAME_NOTHING_WRITTEN;
        // The first picture was taken at the start: it keeps the first slot even when the set-up took
        // longer than one.
        tickBase = starting ? m_backends.clock->nowMs() : quint32(m_tickBase);
        frameAtResume = m_frameAtResume;
    }
    const quint32 result = addAviTimedFrame(m_avi, picture, &tickBase, frameAtResume, m_backends.clock.get());
    if (result == AVIERR_OK)
        return FRAME_WRITTEN;
    if (m_avi->failed) {
        noteWriterFailure(tr("The recording could not be written."));
        m_writerFailed = true;
        return FRAME_WRITER_FAILED;
    }
    return FRAME_NOTHING_WRITTEN;
}

void WinAVIRecordingImpl::noteWriterFailure(const QString &fallback)
{
    const int error = m_avi ? m_avi->failureError.load() : 0;
    m_failedForSpace = aviErrorIsFullDisk(error);
    QMutexLocker files(&m_filesMutex);
    m_failureCause = error != 0 ? aviErrorText(error) : fallback;
}

QString WinAVIRecordingImpl::failureCause() const
{
    QMutexLocker files(&m_filesMutex);
    return m_failureCause;
}

void WinAVIRecordingImpl::sleepUntilNextSlot()
{
    if (!m_active || m_paused || !m_avi) {
        m_backends.clock->sleepFor(kFramePeriodMs);
        return;
    }
    const quint32 next = m_avi->videoPosition + 1 - m_frameAtResume;
    m_backends.clock->sleepUntil(m_tickBase + next * kFramePeriodMs);
}

void WinAVIRecordingImpl::onAudioBlock(const char *data, qint64 bytes, quint32 capturedMs)
{
    QMutexLocker locker(&m_audioMutex);
    if (!m_avi || !m_audioRunning)
        return;
    m_anySound = true;
    if (!m_active) {
        // The newest sound is the one the recording may still need: the oldest goes first.
        const qint64 limit = audioFrames(kEarlyAudioLimitMs) * m_waveFormat.blockAlign;
        m_earlyAudio.append({QByteArray(data, bytes), capturedMs, m_mute});
        m_earlyAudioBytes += bytes;
        while (m_earlyAudioBytes > limit && !m_earlyAudio.isEmpty())
            m_earlyAudioBytes -= m_earlyAudio.takeFirst().data.size();
        return;
    }
    placeAudioLocked(data, bytes, capturedMs, m_mute);
}

qint64 WinAVIRecordingImpl::audioFrames(qint64 ms) const
{
    return ms * qint64(m_waveFormat.samplesPerSec) / 1000;
}

void WinAVIRecordingImpl::placeAudioLocked(const char *data, qint64 bytes, quint32 capturedMs, bool mute)
{
    // In an AVI the sound's timing is its byte count, so each part of the block is written at the place its
    // capture time has in the file; a block may span a pause, whose part is left out.
    const qint64 blockAlign = m_waveFormat.blockAlign;
    if (!m_avi->audioStream || blockAlign <= 0)
        return;
    const qint64 frames = bytes / blockAlign;
    for (const RecordedRun &run : std::as_const(m_runs)) {
        const qint64 first = qBound(qint64(0), audioFrames(qint32(run.startMs - capturedMs)), frames);
        const qint64 last = run.open ? frames : qBound(qint64(0), audioFrames(qint32(run.endMs - capturedMs)), frames);
        if (first >= last)
            continue;
        const qint64 position = audioFrames(qint64(run.recordedMs) + qint32(capturedMs - run.startMs)) + first;
        writeAudioAtLocked(data + first * blockAlign, last - first, position, mute);
    }
}

void WinAVIRecordingImpl::writeAudioAtLocked(const char *data, qint64 frames, qint64 position, bool mute)
{
    const qint64 blockAlign = m_waveFormat.blockAlign;
    const qint64 written = qint64(m_avi->audioPosition);
    const qint64 slack = audioFrames(kAudioSlackMs);
    if (position - written > slack) {
        recordingLog(LogSystem::LOG_INFO, "WinAVIRecordingImpl - no sound for %lld ms, writing silence",
                     (position - written) * 1000 / qint64(m_waveFormat.samplesPerSec));
        if (!writeSilenceLocked(position - written))
            return;
    } else if (written - position > slack) {
        const qint64 overlap = written - position;
        if (overlap >= frames)
            return;
        data += overlap * blockAlign;
        frames -= overlap;
    }
    if (mute) {
        writeSilenceLocked(frames);
        return;
    }
    addAviAudio(m_avi, data, frames * blockAlign);
}

bool WinAVIRecordingImpl::writeSilenceLocked(qint64 frames)
{
    const qint64 blockAlign = m_waveFormat.blockAlign;
    qint64 missing = frames * blockAlign;
    while (missing > 0) {
        const qint64 part = qMin(missing, qint64(m_silence.size()) / blockAlign * blockAlign);
        if (addAviAudio(m_avi, m_silence.constData(), part) != AVIERR_OK)
            return false;
        missing -= part;
    }
    return true;
}

void WinAVIRecordingImpl::stopAudio()
{
    // An open still under way ends within the source's own limit.
    if (m_microphoneOpener) {
        m_microphoneOpener->wait();
        m_microphoneOpener.reset();
        m_audioStarted = m_microphoneOpened;
    }
    // The source hands over what it has captured while it stops, so the running flag falls only after.
    if (m_audioStarted) {
        m_backends.audio->stop();
        m_audioStarted = false;
    }
    m_audioRunning = false;
    QMutexLocker audio(&m_audioMutex);
    m_earlyAudio.clear();
    m_earlyAudioBytes = 0;
}

void WinAVIRecordingImpl::closeCurrent(bool *closedWell)
{
    QMutexLocker audio(&m_audioMutex);
    if (!m_avi) {
        *closedWell = false;
        return;
    }
    // The video and the sound both last up to the moment the segment ended; sound the microphone had not
    // delivered by then is silence.
    if (m_active && m_avi->videoStream && !m_avi->failed) {
        addAviEmptyFrame(m_avi, currentSlot());
        if (m_avi->audioStream && m_waveFormat.blockAlign > 0) {
            const qint64 missing = audioFrames(recordedMs()) - qint64(m_avi->audioPosition);
            if (missing > 0)
                writeSilenceLocked(missing);
        }
    }
    const QString fileName = m_avi->fileName;
    *closedWell = closeAvi(m_avi) == AVIERR_OK;
    m_avi = nullptr;
    noteWriting(fileName, false);
}

bool WinAVIRecordingImpl::stop()
{
    QMutexLocker locker(&m_mutex);
    // The recording ends at this call, or at the moment its stop was asked for: what the microphone hands
    // over while it stops is placed up to there.
    if (m_active && !m_paused)
        pauseLocked(m_endMarked ? m_endAt.load() : m_backends.clock->nowMs());
    m_endMarked = false;
    stopAudio();
    bool closedWell = false;
    if (m_avi)
        closeCurrent(&closedWell);
    m_waveFormat = WaveFormat();
    m_tickBase = 0;
    m_frameAtResume = 0;
    m_segmentTime = 0;
    m_slotAtPause = 0;
    m_width = 0;
    m_height = 0;
    m_audioDevice = -1;
    m_paused = false;
    m_mute = false;
    m_active = false;
    {
        QMutexLocker audio(&m_audioMutex);
        m_runs.clear();
    }
    m_fileName.clear();
    return closedWell;
}

bool WinAVIRecordingImpl::stopIfActive()
{
    return m_active ? stop() : false;
}

bool WinAVIRecordingImpl::finalize()
{
    if (!m_active) {
        stop();
        return false;
    }
    if (!stop())
        return false;
    QMutexLocker files(&m_filesMutex);
    if (m_recordedFiles.size() >= 2) {
        const QFileInfo first(m_recordedFiles.first());
        const QString renamed =
            first.dir().filePath(QStringLiteral("%1_1.%2").arg(first.completeBaseName(), first.suffix()));
        // The list must name the files as they really are, so a failed rename keeps the old name.
        if (QFile::rename(first.filePath(), renamed))
            m_recordedFiles.first() = renamed;
        else
            recordingLog(LogSystem::LOG_ERROR, "WinAVIRecordingImpl::finalize - cannot rename %s to %s",
                         qUtf8Printable(first.filePath()), qUtf8Printable(renamed));
    }
    return true;
}
