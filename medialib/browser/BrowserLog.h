#pragma once

#include "MediaLog.h"

// The media-library window layer logs under the media library's module: it is the store's log.
inline constexpr ModuleLog &browserLog = mediaLog;
