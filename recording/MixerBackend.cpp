#include "MixerBackend.h"

#include "NullMixerBackend.h"
#include "PulseMixerBackend.h"

std::unique_ptr<MixerBackend> MixerBackend::create()
{
    auto pulse = std::make_unique<PulseMixerBackend>();
    if (pulse->connect())
        return pulse;
    return std::make_unique<NullMixerBackend>();
}
