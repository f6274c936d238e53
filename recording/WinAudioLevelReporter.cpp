#include "WinAudioLevelReporter.h"

#include "MicrophoneAudioSource.h"
#include "RecordingLog.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSemaphore>

#include <atomic>

namespace {

QStringList systemInputDescriptions()
{
    QStringList names;
    const QList<QAudioDevice> devices = QMediaDevices::audioInputs();
    for (const QAudioDevice &device : devices)
        names.append(device.description());
    return names;
}

} // namespace

WinAudioLevelReporter::WinAudioLevelReporter(InputDescriptions inputs, std::unique_ptr<AudioSource> source)
    : m_inputs(inputs ? std::move(inputs) : InputDescriptions(&systemInputDescriptions))
    , m_source(source ? std::move(source) : std::make_unique<MicrophoneAudioSource>())
{
}

WinAudioLevelReporter::~WinAudioLevelReporter()
{
    QMutexLocker locker(&m_mutex);
    finishOpen();
    m_source->stop();
}

void WinAudioLevelReporter::finishOpen()
{
    if (!m_opener)
        return;
    m_opener->wait();
    m_opener.reset();
}

int WinAudioLevelReporter::findDevice(const QString &wanted, const QStringList &descriptions)
{
    for (int i = 0; i < descriptions.size(); ++i) {
        const QString &name = descriptions.at(i);
        if (name.contains(wanted, Qt::CaseInsensitive) || wanted.contains(name, Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

bool WinAudioLevelReporter::start(const QString &audioSourceName)
{
    QMutexLocker locker(&m_mutex);
    finishOpen();
    m_source->stop();
    m_running = false;
    const int device = findDevice(audioSourceName, m_inputs());
    if (device < 0) {
        recordingLog(LogSystem::LOG_NOTICE, "WinAudioLevelReporter::start - no audio input matches %s",
                     qUtf8Printable(audioSourceName));
        return false;
    }
    m_device = device;
    m_callback = std::make_unique<AudioGrabCallback>();
    return true;
}

bool WinAudioLevelReporter::run()
{
    QMutexLocker locker(&m_mutex);
    if (!m_callback)
        return false;
    if (m_running)
        return true;
    finishOpen();
    AudioGrabCallback *callback = m_callback.get();
    auto answered = std::make_shared<QSemaphore>();
    auto opened = std::make_shared<std::atomic<bool>>(false);
    m_opener.reset(QThread::create([source = m_source.get(), device = m_device, callback, answered, opened] {
        // The meter shows the latest level, whenever it was captured: the blocks need no time.
        *opened = source->start(device, kBufferBytes, nullptr, [callback](const char *data, qint64 bytes, quint32) {
            callback->bufferCB(data, bytes);
        });
        if (!*opened)
            recordingLog(LogSystem::LOG_WARNING, "WinAudioLevelReporter::run - the microphone cannot be opened");
        answered->release();
    }));
    m_opener->start();
    if (answered->tryAcquire(1, kOpenAnswerMs) && !*opened) {
        finishOpen();
        return false;
    }
    m_running = true;
    return true;
}

bool WinAudioLevelReporter::stop()
{
    QMutexLocker locker(&m_mutex);
    if (!m_callback)
        return false;
    finishOpen();
    m_source->stop();
    m_running = false;
    return true;
}

quint16 WinAudioLevelReporter::level() const
{
    return m_callback ? m_callback->level() : 0;
}
