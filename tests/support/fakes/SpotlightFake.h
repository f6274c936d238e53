#pragma once

#include "EffectFake.h"
#include "SpotlightIntf.h"

// The spotlight service for window tests; pressClose emits spotlightClosed.
using SpotlightFake = EffectFake<SpotlightIntf, &SpotlightIntf::spotlightClosed>;
