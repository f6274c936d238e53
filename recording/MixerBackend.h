#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <memory>

// The sound server's volume controls, on the scale 0 to 65535 (65535 = the device's nominal full
// volume; louder settings read as 65535).
class MixerBackend
{
public:
    enum class Device { Sink, Source };

    virtual ~MixerBackend() = default;

    // False when the device is not known or the server does not answer.
    virtual bool volume(Device kind, const QByteArray &name, quint32 *value) = 0;
    virtual bool setVolume(Device kind, const QByteArray &name, quint32 value) = 0;

    // The sound server's mixer, or one that knows no device when no server answers.
    static std::unique_ptr<MixerBackend> create();
};
