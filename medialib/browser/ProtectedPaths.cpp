#include "ProtectedPaths.h"

#include <QFileInfo>

namespace {

// Whether the path is the entry or one of the folders above it, letter case aside. A mere leading piece of
// the entry's name ("/a/TimeLapse1" of "/a/timelapse10") is another folder and does not count.
bool covers(const QString &entry, const QString &path)
{
    if (!entry.startsWith(path, Qt::CaseInsensitive))
        return false;
    return entry.size() == path.size() || path.endsWith(QLatin1Char('/')) || entry.at(path.size()) == QLatin1Char('/');
}

} // namespace

QString ProtectedPaths::folderOf(const QString &path)
{
    const QFileInfo info(path);
    return (info.isDir() ? info.absoluteFilePath() : info.absolutePath()).toLower();
}

void ProtectedPaths::append(const QString &path)
{
    const QString lower = path.toLower();
    if (!m_paths.contains(lower))
        m_paths.append(lower);
}

void ProtectedPaths::remove(const QString &path)
{
    m_paths.removeAll(path.toLower());
}

bool ProtectedPaths::contains(const QString &path) const
{
    return m_paths.contains(path.toLower());
}

bool ProtectedPaths::isProtected(const QString &path) const
{
    for (const QString &entry : m_paths) {
        if (covers(entry, path))
            return true;
    }
    return false;
}
