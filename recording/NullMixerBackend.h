#pragma once

#include "MixerBackend.h"

// The mixer when no sound server answers: every device is unknown.
class NullMixerBackend : public MixerBackend
{
public:
    bool volume(Device, const QByteArray &, quint32 *) override { return false; }
    bool setVolume(Device, const QByteArray &, quint32) override { return false; }
};
