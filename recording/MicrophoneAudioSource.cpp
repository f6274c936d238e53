#include "MicrophoneAudioSource.h"

#include "AudioCaptureStamper.h"
#include "RecordingClock.h"
#include "RecordingLog.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSource>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QMutex>
#include <QSemaphore>
#include <QThread>
#include <QTimer>

#include <atomic>

namespace {

// The recording's sound: 8 kHz stereo 16-bit, as the AVI files declare it.
constexpr int kSampleRate = 8000;
constexpr int kChannels = 2;
constexpr int kFrameBytes = kChannels * 2;
constexpr qint64 kBytesPerSecond = kSampleRate * kFrameBytes;
// Room for one read: ten seconds, well above the largest block a source was seen to deliver (2 s).
constexpr qint64 kReadBytes = 10 * kBytesPerSecond;
// At the stop, how long to wait for sound captured before it that the source has not handed over yet: a
// source delivering 2 s blocks holds up to that much; a usual microphone has it within tens of ms.
constexpr qint64 kDrainLimitMs = 2500;
// Sound this close to the stop counts as all of it: the capture latency of a usual microphone.
constexpr qint32 kDrainSlackMs = 20;
// How often the input is read besides its own signal. The audio input signals only at the period of the
// sound server's fragment, which for a source delivering large blocks is as long as a block and not in step
// with it: a block then waited up to that long before it was read, and was lost with the program. Read this
// often, sound waits no longer than a usual microphone's fragment before it is handed over and written.
constexpr int kPollMs = 20;
// A large block may reach the input in pieces some milliseconds apart, on a loaded machine some tens of
// milliseconds. Dated each by its own arrival, the first piece would seem to end a block's length too late,
// break the running count and be overwritten by the next. Sound is held while more of it keeps arriving, for
// at most this long (a few reads), and dated by its last piece: what a kill can lose of sound already here
// stays this short, and the level meter still follows the sound ten times a second.
constexpr qint64 kSettleMs = 100;

} // namespace

class MicrophoneAudioSource::Capture : public QObject
{
public:
    Capture(qint64 blockBytes, RecordingClock *clock, BlockHandler handler)
        : m_blockBytes(blockBytes)
        , m_clock(clock)
        , m_stamper(kBytesPerSecond)
        , m_handler(std::move(handler))
    {
    }

    bool open(int device);
    void close(quint32 stopMs);
    // From then on no block is handed over; returns once no handler call runs any more.
    void silence()
    {
        QMutexLocker locker(&m_handlerMutex);
        m_silenced = true;
    }

    QSemaphore opened;
    std::atomic<bool> openedWell{false};
    QSemaphore closed;

private:
    // Reads what has arrived; hands it over once no more arrives with it, or at once with handOver.
    void read(bool handOver = false);

    QAudioSource *m_source = nullptr;
    QIODevice *m_input = nullptr;
    QTimer *m_poll = nullptr;
    // Sound read but not yet handed over, and bytes short of one whole sample frame.
    QByteArray m_pending;
    // When the sound held in m_pending began arriving, and when its last piece came.
    QElapsedTimer m_pendingSince;
    quint32 m_lastArrivalMs = 0;
    qint64 m_blockBytes = 0;
    RecordingClock *m_clock = nullptr;
    AudioCaptureStamper m_stamper;
    // The tick up to which sound has been handed over.
    quint32 m_capturedUntil = 0;
    bool m_anyCaptured = false;
    QMutex m_handlerMutex;
    bool m_silenced = false;
    BlockHandler m_handler;
};

bool MicrophoneAudioSource::Capture::open(int device)
{
    const QList<QAudioDevice> inputs = QMediaDevices::audioInputs();
    if (inputs.isEmpty()) {
        recordingLog(LogSystem::LOG_NOTICE, "MicrophoneAudioSource::start - no audio input");
        return false;
    }
    const QAudioDevice chosen = device >= 0 && device < inputs.size() ? inputs.at(device)
                                                                      : QMediaDevices::defaultAudioInput();
    QAudioFormat format;
    format.setSampleRate(kSampleRate);
    format.setChannelCount(kChannels);
    format.setSampleFormat(QAudioFormat::Int16);
    m_source = new QAudioSource(chosen, format, this);
    m_input = m_source->start();
    if (!m_input || m_source->error() != QAudio::NoError) {
        recordingLog(LogSystem::LOG_WARNING, "MicrophoneAudioSource::start - cannot open %s",
                     qUtf8Printable(chosen.description()));
        close(0);
        return false;
    }
    QObject::connect(m_input, &QIODevice::readyRead, this, [this] { read(); });
    m_poll = new QTimer(this);
    QObject::connect(m_poll, &QTimer::timeout, this, [this] { read(); });
    m_poll->start(kPollMs);
    QObject::connect(m_source, &QAudioSource::stateChanged, this, [this](QAudio::State state) {
        // A microphone unplugged mid-recording: the recording goes on, without its sound.
        if (state == QAudio::StoppedState && m_source && m_source->error() != QAudio::NoError)
            recordingLog(LogSystem::LOG_WARNING,
                         "MicrophoneAudioSource - the microphone stopped (error %d), "
                         "recording goes on without sound",
                         int(m_source->error()));
    });
    return true;
}

void MicrophoneAudioSource::Capture::read(bool handOver)
{
    if (!m_input)
        return;
    // Read with room for a large block: the sound server's whole fragment must fit, or nothing is read.
    bool arrived = false;
    for (;;) {
        QByteArray chunk(kReadBytes, Qt::Uninitialized);
        const qint64 got = m_input->read(chunk.data(), chunk.size());
        if (got <= 0)
            break;
        m_pending.append(chunk.constData(), got);
        arrived = true;
    }
    if (arrived) {
        m_lastArrivalMs = m_clock ? m_clock->nowMs() : 0;
        if (!m_pendingSince.isValid())
            m_pendingSince.start();
    }
    const qint64 whole = m_pending.size() / kFrameBytes * kFrameBytes;
    if (whole == 0)
        return;
    if (arrived && !handOver && m_pendingSince.elapsed() < kSettleMs)
        return;
    m_pendingSince.invalidate();
    const quint32 first = m_clock ? m_stamper.stamp(whole, m_lastArrivalMs) : 0;
    {
        QMutexLocker locker(&m_handlerMutex);
        for (qint64 offset = 0; !m_silenced && offset < whole; offset += m_blockBytes) {
            const quint32 stamp = m_clock ? first + quint32(offset * 1000 / kBytesPerSecond) : 0;
            m_handler(m_pending.constData() + offset, qMin(m_blockBytes, whole - offset), stamp);
        }
    }
    m_capturedUntil = first + quint32(whole * 1000 / kBytesPerSecond);
    m_anyCaptured = true;
    m_pending.remove(0, whole);
}

void MicrophoneAudioSource::Capture::close(quint32 stopMs)
{
    // What the device captured up to the stop still belongs to the recording, also when the source hands
    // it over only with its next block.
    read(true);
    if (m_clock && m_anyCaptured && m_source && m_source->error() == QAudio::NoError) {
        QElapsedTimer waited;
        waited.start();
        while (qint32(stopMs - m_capturedUntil) > kDrainSlackMs && waited.elapsed() < kDrainLimitMs) {
            QThread::msleep(10);
            read(true);
        }
    }
    delete m_poll;
    m_poll = nullptr;
    if (m_source)
        m_source->stop();
    delete m_source;
    m_source = nullptr;
    m_input = nullptr;
    m_pending.clear();
}

MicrophoneAudioSource::MicrophoneAudioSource() = default;

MicrophoneAudioSource::~MicrophoneAudioSource()
{
    stop();
    reap();
    // A capture still stuck in the sound server when the program ends is left to the end of the process:
    // deleting its thread while it runs would end the process at once.
}

bool MicrophoneAudioSource::start(int device, qint64 blockBytes, RecordingClock *clock, BlockHandler handler)
{
    stop();
    reap();
    m_clock = clock;
    m_stalled = false;
    blockBytes = qMax(blockBytes / kFrameBytes, qint64(1)) * kFrameBytes;
    m_capture = new Capture(blockBytes, clock, std::move(handler));
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("microphone"));
    m_capture->moveToThread(m_thread);
    m_thread->start(QThread::HighPriority);
    Capture *capture = m_capture;
    QMetaObject::invokeMethod(capture, [capture, device] {
        capture->openedWell = capture->open(device);
        capture->opened.release();
    });
    if (!capture->opened.tryAcquire(1, kOpenLimitMs)) {
        // A source that never finishes opening (one nobody feeds, a stalled USB or Bluetooth microphone)
        // would otherwise hold the recording without limit.
        recordingLog(LogSystem::LOG_WARNING,
                     "MicrophoneAudioSource::start - the microphone did not open within %d ms, given up", kOpenLimitMs);
        abandon();
        m_stalled = true;
        return false;
    }
    if (!capture->openedWell) {
        stop();
        return false;
    }
    return true;
}

void MicrophoneAudioSource::queueClose(quint32 stopMs)
{
    Capture *capture = m_capture;
    QMetaObject::invokeMethod(capture, [capture, stopMs] {
        capture->close(stopMs);
        capture->closed.release();
        // The close is the capture's last step: its thread ends with it.
        QThread::currentThread()->quit();
    });
}

void MicrophoneAudioSource::stop()
{
    if (!m_thread)
        return;
    // The stop tick is taken here: sound captured up to it is still handed over.
    queueClose(m_clock ? m_clock->nowMs() : 0);
    const QDeadlineTimer deadline(kCloseLimitMs);
    if (m_capture->closed.tryAcquire(1, int(deadline.remainingTime())) && m_thread->wait(deadline)) {
        delete m_capture;
        m_capture = nullptr;
        delete m_thread;
        m_thread = nullptr;
        return;
    }
    recordingLog(LogSystem::LOG_WARNING,
                 "MicrophoneAudioSource::stop - the microphone did not close within %d ms, left to close on its own",
                 kCloseLimitMs);
    leave();
}

void MicrophoneAudioSource::abandon()
{
    queueClose(0);
    leave();
}

void MicrophoneAudioSource::leave()
{
    m_capture->silence();
    m_abandoned.append({m_thread, m_capture});
    m_thread = nullptr;
    m_capture = nullptr;
}

void MicrophoneAudioSource::reap()
{
    for (auto it = m_abandoned.begin(); it != m_abandoned.end();) {
        if (!it->thread->isFinished()) {
            ++it;
            continue;
        }
        delete it->capture;
        delete it->thread;
        it = m_abandoned.erase(it);
    }
}
