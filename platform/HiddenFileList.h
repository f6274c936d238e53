#pragma once

#include <QDir>
#include <QSet>
#include <QString>
#include <QStringList>

// Marks files hidden the way Linux file managers do: by listing their names, one a line, in a ".hidden"
// file in their folder. The user's own lines are kept as they are; names are only ever added.
class HiddenFileList
{
public:
    // Adds the names that are not listed yet to folder's ".hidden", replacing the file atomically. Nothing
    // is written when every name is listed already. False when the list cannot be read or written.
    static bool add(const QString &folder, const QStringList &names);
    // Adds the last component of path to its folder's list.
    static bool markHidden(const QString &path);
    // The names listed in folder's ".hidden" (empty when there is none).
    static QSet<QString> names(const QString &folder);
    // The names of folder's entries that filters lets through, less those its ".hidden" lists, unsorted.
    // Read by the directory iterator rather than the folder's entry list: the same filter, four times
    // faster over tens of thousands of names (14 against 60 ms for 20,000 here).
    static QStringList visibleNames(const QString &folder, QDir::Filters filters);
};
