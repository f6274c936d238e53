#pragma once

#include "ModuleLog.h"

// The log of video playback, shared by the player, its widget and its service.
inline ModuleLog videoLog("quillo/video");
