#include "WinVolumeController.h"

#include "SettingImpl.h"

#include <QAudioDevice>
#include <QMediaDevices>

namespace {

// The server's own names for its default devices.
const QByteArray kDefaultSink = QByteArrayLiteral("@DEFAULT_SINK@");
const QByteArray kDefaultSource = QByteArrayLiteral("@DEFAULT_SOURCE@");

QList<AudioInput> systemInputs()
{
    QList<AudioInput> inputs;
    const QList<QAudioDevice> devices = QMediaDevices::audioInputs();
    for (const QAudioDevice &device : devices)
        inputs.append({device.id(), device.description()});
    return inputs;
}

} // namespace

WinVolumeController *WinVolumeController::instance()
{
    static WinVolumeController controller;
    return &controller;
}

WinVolumeController::WinVolumeController(MixerFactory mixers, InputList inputs)
    : m_mixerFactory(mixers ? std::move(mixers) : MixerFactory(&MixerBackend::create))
    , m_inputs(inputs ? std::move(inputs) : InputList(&systemInputs))
{
    QMutexLocker locker(&m_mutex);
    openMixers();
}

void WinVolumeController::openMixers()
{
    m_longNames.clear();
    for (const AudioInput &input : m_inputs())
        m_longNames.append(input.description);
    m_mixer = m_mixerFactory();
    m_speakersKnown = m_waveInKnown = m_sourceKnown = false;
}

void WinVolumeController::reopenMixers()
{
    QMutexLocker locker(&m_mutex);
    openMixers();
}

QStringList WinVolumeController::deviceLongNames() const
{
    QMutexLocker locker(&m_mutex);
    return m_longNames;
}

int WinVolumeController::deviceCount() const
{
    return int(m_inputs().size());
}

QStringList WinVolumeController::productNames() const
{
    QStringList names;
    for (const AudioInput &input : m_inputs())
        names.append(input.description.left(kProductNameLength));
    return names;
}

// Finds the configured microphone: the first device whose product name occurs in the configured name.
bool WinVolumeController::lookUpSource(const QString &configured)
{
    const QList<AudioInput> inputs = m_inputs();
    for (const AudioInput &input : inputs) {
        if (!configured.contains(input.description.left(kProductNameLength), Qt::CaseSensitive))
            continue;
        quint32 value = 0;
        if (!m_mixer->volume(MixerBackend::Device::Source, input.id, &value))
            break;
        m_sourceId = input.id;
        m_sourceKnown = true;
        m_resolvedSource = configured;
        return true;
    }
    // A set must not reach the microphone that was configured before.
    m_sourceKnown = false;
    m_resolvedSource = configured;
    return false;
}

uint WinVolumeController::getVolume(int type)
{
    QMutexLocker locker(&m_mutex);
    quint32 value = 0;
    switch (type) {
    case SPEAKERS:
        m_speakersKnown = m_mixer->volume(MixerBackend::Device::Sink, kDefaultSink, &value) || m_speakersKnown;
        return value;
    case WAVE_IN:
        m_waveInKnown = m_mixer->volume(MixerBackend::Device::Source, kDefaultSource, &value) || m_waveInKnown;
        return value;
    case SOURCE: {
        SettingIntf *settings = SettingImpl::getInstance();
        const QString configured = settings->getAudioSource();
        settings->release();
        if ((configured != m_resolvedSource || !m_sourceKnown) && !lookUpSource(configured))
            return 0;
        return m_mixer->volume(MixerBackend::Device::Source, m_sourceId, &value) ? value : 0;
    }
    default:
        return 0;
    }
}

void WinVolumeController::setVolume(uint value, int type)
{
    QMutexLocker locker(&m_mutex);
    if (type == SPEAKERS && m_speakersKnown)
        m_mixer->setVolume(MixerBackend::Device::Sink, kDefaultSink, value);
    else if (type == WAVE_IN && m_waveInKnown)
        m_mixer->setVolume(MixerBackend::Device::Source, kDefaultSource, value);
    else if (type == SOURCE && m_sourceKnown)
        m_mixer->setVolume(MixerBackend::Device::Source, m_sourceId, value);
}
