#pragma once

#include <QString>

// Whether a folder is the root of a drive as the media library lists drives: the file system's root or
// the place where a volume is mounted. Drive roots get no context menu and cannot be renamed, and show
// their whole path as their name.
bool isDriveRoot(const QString &path);

// A drive root's name as shown: its whole path in the platform's separators.
QString driveRootName(const QString &path);
