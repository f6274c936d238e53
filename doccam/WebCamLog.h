#pragma once

#include "ModuleLog.h"

// The log of the web camera, shared by its service and its view.
inline ModuleLog webCamLog("quillo/webCam");
