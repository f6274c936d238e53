#pragma once

#include "ModuleLog.h"

// The log of the camera library: its device manager, streams, V4L2 back end and sleep watch.
inline ModuleLog cameraLog("quillo/camera");
