#include "MicrophoneAudioSource.h"

#include "ModuleLog.h"
#include "RecordingClock.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSource>
#include <QMediaDevices>
#include <QElapsedTimer>
#include <QThread>

static ModuleLog microphoneLog("quillo/recording");

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

} // namespace

MicrophoneAudioSource::MicrophoneAudioSource()
    : m_stamper(kSampleRate * kFrameBytes)
{
}

MicrophoneAudioSource::~MicrophoneAudioSource()
{
    stop();
}

bool MicrophoneAudioSource::start(int device, qint64 blockBytes, RecordingClock *clock, BlockHandler handler)
{
    stop();
    m_blockBytes = qMax(blockBytes / kFrameBytes, qint64(1)) * kFrameBytes;
    m_clock = clock;
    m_stamper.reset();
    m_anyCaptured = false;
    m_handler = std::move(handler);
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("microphone"));
    m_context = new QObject;
    m_context->moveToThread(m_thread);
    m_thread->start(QThread::HighPriority);
    bool opened = false;
    QMetaObject::invokeMethod(
        m_context, [this, device, &opened] { opened = openOnThread(device); }, Qt::BlockingQueuedConnection);
    if (!opened)
        stop();
    return opened;
}

bool MicrophoneAudioSource::openOnThread(int device)
{
    const QList<QAudioDevice> inputs = QMediaDevices::audioInputs();
    if (inputs.isEmpty()) {
        microphoneLog(LogSystem::LOG_NOTICE, "MicrophoneAudioSource::start - no audio input");
        return false;
    }
    const QAudioDevice chosen =
        device >= 0 && device < inputs.size() ? inputs.at(device) : QMediaDevices::defaultAudioInput();
    QAudioFormat format;
    format.setSampleRate(kSampleRate);
    format.setChannelCount(kChannels);
    format.setSampleFormat(QAudioFormat::Int16);
    m_source = new QAudioSource(chosen, format, m_context);
    m_input = m_source->start();
    if (!m_input || m_source->error() != QAudio::NoError) {
        microphoneLog(LogSystem::LOG_WARNING, "MicrophoneAudioSource::start - cannot open %s",
                      qUtf8Printable(chosen.description()));
        closeOnThread(0);
        return false;
    }
    QObject::connect(m_input, &QIODevice::readyRead, m_context, [this] { readOnThread(); });
    QObject::connect(m_source, &QAudioSource::stateChanged, m_context, [this](QAudio::State state) {
        // A microphone unplugged mid-recording: the recording goes on, without its sound.
        if (state == QAudio::StoppedState && m_source && m_source->error() != QAudio::NoError)
            microphoneLog(LogSystem::LOG_WARNING, "MicrophoneAudioSource - the microphone stopped (error %d), "
                          "recording goes on without sound", int(m_source->error()));
    });
    return true;
}

void MicrophoneAudioSource::readOnThread()
{
    if (!m_input)
        return;
    // Read with room for a large block: the sound server's whole fragment must fit, or nothing is read.
    for (;;) {
        QByteArray chunk(kReadBytes, Qt::Uninitialized);
        const qint64 got = m_input->read(chunk.data(), chunk.size());
        if (got <= 0)
            break;
        m_pending.append(chunk.constData(), got);
    }
    const qint64 whole = m_pending.size() / kFrameBytes * kFrameBytes;
    if (whole == 0)
        return;
    // Sound is handed over as soon as it is read: holding a partial block back would delay it, and lose it
    // at the stop.
    const quint32 first = m_clock ? m_stamper.stamp(whole, m_clock->nowMs()) : 0;
    for (qint64 offset = 0; offset < whole; offset += m_blockBytes) {
        const quint32 stamp = m_clock ? first + quint32(offset * 1000 / kBytesPerSecond) : 0;
        m_handler(m_pending.constData() + offset, qMin(m_blockBytes, whole - offset), stamp);
    }
    m_capturedUntil = first + quint32(whole * 1000 / kBytesPerSecond);
    m_anyCaptured = true;
    m_pending.remove(0, whole);
}

void MicrophoneAudioSource::closeOnThread(quint32 stopMs)
{
    // What the device captured up to the stop still belongs to the recording, also when the source hands
    // it over only with its next block.
    readOnThread();
    if (m_clock && m_anyCaptured && m_source && m_source->error() == QAudio::NoError) {
        QElapsedTimer waited;
        waited.start();
        while (qint32(stopMs - m_capturedUntil) > kDrainSlackMs && waited.elapsed() < kDrainLimitMs) {
            QThread::msleep(10);
            readOnThread();
        }
    }
    if (m_source)
        m_source->stop();
    delete m_source;
    m_source = nullptr;
    m_input = nullptr;
    m_pending.clear();
}

void MicrophoneAudioSource::stop()
{
    if (!m_thread)
        return;
    const quint32 stopMs = m_clock ? m_clock->nowMs() : 0;
    QMetaObject::invokeMethod(m_context, [this, stopMs] { closeOnThread(stopMs); }, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    // The thread has ended, so its objects can go from here.
    delete m_context;
    m_context = nullptr;
    delete m_thread;
    m_thread = nullptr;
}
