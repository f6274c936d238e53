#pragma once

#include "MixerBackend.h"

#include <QByteArray>
#include <QList>
#include <QRecursiveMutex>
#include <QStringList>

#include <functional>
#include <memory>

// An audio capture device as the recording indexes it: the sound server's name and its description.
struct AudioInput
{
    QByteArray id;
    QString description;
};

// Reads and sets the volume of the microphone chosen for recording (and of the speakers and the default
// input) through the sound server's mixer, and keeps the capture devices' descriptions ("long names").
// Devices are listed in the order recordings address them by index.
class WinVolumeController
{
public:
    using MixerFactory = std::function<std::unique_ptr<MixerBackend>()>;
    using InputList = std::function<QList<AudioInput>()>;

    // Line types of getVolume and setVolume.
    enum LineType { SPEAKERS = 0, WAVE_IN = 1, SOURCE = 2 };
    // A capture device's product name is at most this long; its description may be longer.
    static constexpr int kProductNameLength = 31;

    // The process's one controller, made on first use (after the application object exists).
    static WinVolumeController *instance();

    // Empty arguments take the sound server's mixer and Qt's list of audio inputs.
    explicit WinVolumeController(MixerFactory mixers = {}, InputList inputs = {});

    void reopenMixers();
    QStringList deviceLongNames() const;
    // 0 to 65535; 0 when the line or its volume cannot be read.
    uint getVolume(int type);
    // Changes a line only after a read of the same type has found it.
    void setVolume(uint value, int type);

    // The capture devices now present: how many, and their short product names.
    int deviceCount() const;
    QStringList productNames() const;

private:
    void openMixers();
    bool lookUpSource(const QString &configured);

    MixerFactory m_mixerFactory;
    InputList m_inputs;
    std::unique_ptr<MixerBackend> m_mixer;
    bool m_speakersKnown = false;
    bool m_waveInKnown = false;
    bool m_sourceKnown = false;
    QByteArray m_sourceId;
    QString m_resolvedSource;
    QStringList m_longNames;
    mutable QRecursiveMutex m_mutex;
};
