#include "CaptureEnvironment.h"

#include "LumoSystem.h"
#include "LumoVisionImpl.h"

#include <QFileInfo>
#include <QScreen>

CaptureEnvironment CaptureEnvironment::system()
{
    CaptureEnvironment environment;
    environment.cameraService = [] { return LumoVisionImpl::getInstance(nullptr); };
    environment.freeSpace = &LumoSystem::freeSpace;
    environment.isWritable = [](const QString &folder) { return QFileInfo(folder).isWritable(); };
    environment.grabScreen = [](QScreen *screen) { return screen->grabWindow(0); };
    return environment;
}
