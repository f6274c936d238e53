#pragma once

#include "EffectFake.h"
#include "VisorIntf.h"

// The visor service for window tests; pressClose emits visorClosed.
using VisorFake = EffectFake<VisorIntf, &VisorIntf::visorClosed>;
