#pragma once

#include "ModuleLog.h"

// The one log of the upload area. Tokens, codes and secrets never go into it.
inline ModuleLog uploadLog("quillo/upload");
