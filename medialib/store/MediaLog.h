#pragma once

#include "ModuleLog.h"

// The log of the media library, shared by its file store and its index.
inline ModuleLog mediaLog("quillo/mediaLibrary");
