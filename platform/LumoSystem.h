#pragma once

#include <QString>

// System queries the services share.
class LumoSystem
{
public:
    // Free bytes available to this user on the volume that holds path. A path that does not exist yet (a
    // folder about to be created) is answered for the nearest existing parent. -1 when no volume is found.
    static qint64 freeSpace(const QString &path);
};
