#pragma once

#include "ModuleLog.h"

// The log of the recording engine: its service, capture thread, grabbers, encoders, writer and repair.
inline ModuleLog recordingLog("quillo/recording");
