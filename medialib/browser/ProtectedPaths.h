#pragma once

#include <QString>
#include <QStringList>

// The paths that must not be deleted, moved or renamed while something writes into them (the folders of a
// running time-lapse series). Letter case is ignored throughout, so entries are held in lower case.
class ProtectedPaths
{
public:
    // The folder that a file being written protects: the path itself when it names a folder, else the
    // folder holding it; absolute and in lower case.
    static QString folderOf(const QString &path);

    // Adds the path unless it is held already.
    void append(const QString &path);
    void remove(const QString &path);
    bool contains(const QString &path) const;
    bool isEmpty() const { return m_paths.isEmpty(); }
    QStringList paths() const { return m_paths; }
    // True when the path names an entry or a folder above one: removing or moving either would take the
    // entry with it. A file or folder inside an entry is not covered.
    bool isProtected(const QString &path) const;

private:
    QStringList m_paths;
};
