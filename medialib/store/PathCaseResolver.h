#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// Finds the files on disk behind a path whose letter case was lost (the keyword index keeps lower-cased
// paths, while Linux file systems tell "Photo.jpg" from "photo.jpg"). Each folder is listed once per
// resolver, so one resolver serves a whole batch of look-ups; make a new one when the disk may have changed.
class PathCaseResolver
{
public:
    // Every existing absolute path that equals path when letter case is ignored, component by component;
    // a path spelt exactly as on disk comes first. Empty when nothing matches.
    QStringList resolve(const QString &path);
    bool exists(const QString &path) { return !resolve(path).isEmpty(); }

private:
    void resolveFrom(const QString &base, const QStringList &parts, int index, QStringList &found);
    const QHash<QString, QStringList> &listing(const QString &folder);

    // Folder -> lower-cased entry name -> the entry names as spelt on disk.
    QHash<QString, QHash<QString, QStringList>> m_listings;
};
