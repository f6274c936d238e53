#include "MicrophoneAudioSource.h"

#include "ModuleLog.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSource>
#include <QMediaDevices>
#include <QThread>

static ModuleLog microphoneLog("quillo/recording");

namespace {

// The recording's sound: 8 kHz stereo 16-bit, as the AVI files declare it.
constexpr int kSampleRate = 8000;
constexpr int kChannels = 2;

} // namespace

MicrophoneAudioSource::MicrophoneAudioSource() = default;

MicrophoneAudioSource::~MicrophoneAudioSource()
{
    stop();
}

bool MicrophoneAudioSource::start(int device, qint64 blockBytes, BlockHandler handler)
{
    stop();
    m_blockBytes = blockBytes;
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
        closeOnThread();
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
    m_pending.append(m_input->readAll());
    qsizetype offset = 0;
    while (m_pending.size() - offset >= m_blockBytes) {
        m_handler(m_pending.constData() + offset, m_blockBytes);
        offset += m_blockBytes;
    }
    m_pending.remove(0, offset);
}

void MicrophoneAudioSource::closeOnThread()
{
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
    QMetaObject::invokeMethod(m_context, [this] { closeOnThread(); }, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    // The thread has ended, so its objects can go from here.
    delete m_context;
    m_context = nullptr;
    delete m_thread;
    m_thread = nullptr;
}
