#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// What one reading of a folder found: every visible name (the folder's hidden list left out), which the
// freshness checks compare, and the entries the library shows with their types, folders first, then images,
// then videos, each group in the list's name order so that the first rows handed to the views are the first
// ones shown. Reading touches only the disk, so it may run on any thread.
class FolderListing
{
public:
    struct Entry
    {
        QString path;
        int type = 0;
    };

    // The folder's time stamp, taken before the names are read: a change during the reading moves it again.
    QDateTime stamp;
    QStringList names;
    QList<Entry> entries;

    // Reads the folder; the typed entries too when withEntries is set.
    static FolderListing read(const QString &folder, bool withEntries);
    // Every visible name of the folder, without the ones its hidden list names.
    static QStringList visibleNames(const QString &folder);
    // True when the folder holds more than count names; reads no further than that.
    static bool holdsMoreThan(const QString &folder, int count);
    // Whether a lower-case path names a file the library shows as an image, or as a video.
    static bool isImagePath(const QString &lowerPath);
    static bool isVideoPath(const QString &lowerPath);
};
