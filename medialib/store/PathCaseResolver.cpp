#include "PathCaseResolver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>

#include <dirent.h>

namespace {

QString joined(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

} // namespace

QStringList PathCaseResolver::resolve(const QString &path)
{
    QStringList found;
    const QString clean = QDir::cleanPath(path);
    if (!clean.startsWith(QLatin1Char('/')))
        return found;
    resolveFrom(QStringLiteral("/"), clean.split(QLatin1Char('/'), Qt::SkipEmptyParts), 0, found);
    return found;
}

void PathCaseResolver::resolveFrom(const QString &base, const QStringList &parts, int index, QStringList &found)
{
    if (index == parts.size()) {
        found.append(base);
        return;
    }
    const QString &part = parts.at(index);
    QStringList names = listing(base).value(part.toLower());
    // A folder that may be entered but not listed still lets an exact spelling through.
    if (names.isEmpty() && QFileInfo::exists(joined(base, part)))
        names.append(part);
    const qsizetype exact = names.indexOf(part);
    if (exact > 0)
        names.move(exact, 0);
    for (const QString &name : std::as_const(names))
        resolveFrom(joined(base, name), parts, index + 1, found);
}

const QHash<QString, QStringList> &PathCaseResolver::listing(const QString &folder)
{
    auto it = m_listings.find(folder);
    if (it != m_listings.end())
        return *it;
    QHash<QString, QStringList> names;
    // Read straight from the directory: a search may list folders of thousands of captures, and Qt's
    // iterators cost several times more per entry than the names alone.
    if (DIR *dir = ::opendir(QFile::encodeName(folder).constData())) {
        while (const dirent *entry = ::readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
                continue;
            const QString name = QFile::decodeName(entry->d_name);
            names[name.toLower()].append(name);
        }
        ::closedir(dir);
    }
    return *m_listings.insert(folder, names);
}
