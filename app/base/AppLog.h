#pragma once

#include "ModuleLog.h"

// The log of the application itself: start-up, the settings and the window. Here, below the window's library,
// because the settings service logs under it as well.
inline ModuleLog appLog("quillo/app");
