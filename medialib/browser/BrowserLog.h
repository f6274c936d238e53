#pragma once

#include "ModuleLog.h"

// The media-library window layer logs under the media library's module, as the store does.
inline ModuleLog browserLog("quillo/mediaLibrary");
