#include "PathCaseResolver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <ctime>

#include <dirent.h>
#include <sys/stat.h>

namespace {

QString joined(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

// Fixed seed: keys are compared within one process only.
size_t keyOf(QStringView lowerName)
{
    return qHash(lowerName, 0);
}

// The key of a name as read from the directory, equal to keyOf of its lower-cased decoded form. Most names
// are plain ASCII and are folded on the stack; the others go through Qt's Unicode case mapping.
size_t keyOfEntry(const char *name, size_t length)
{
    char16_t folded[NAME_MAX + 1];
    if (length <= NAME_MAX) {
        size_t i = 0;
        for (; i < length; ++i) {
            const auto c = static_cast<unsigned char>(name[i]);
            if (c >= 0x80)
                break;
            folded[i] = char16_t(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
        }
        if (i == length)
            return keyOf(QStringView(folded, qsizetype(length)));
    }
    return keyOf(QFile::decodeName(QByteArray(name, qsizetype(length))).toLower());
}

qint64 nanoseconds(const timespec &time)
{
    return qint64(time.tv_sec) * 1000000000 + time.tv_nsec;
}

} // namespace

PathCaseResolver::PathCaseResolver(std::chrono::nanoseconds settleTime)
    : m_settleTime(settleTime)
{
}

void PathCaseResolver::newBatch()
{
    ++m_batch;
    m_folders.clear();
    if (m_keptNames > kMaxKeptNames) {
        m_listings.clear();
        m_keptNames = 0;
    }
}

QStringList PathCaseResolver::resolve(const QString &path)
{
    const QString clean = QDir::cleanPath(path);
    if (!clean.startsWith(QLatin1Char('/')))
        return {};
    if (clean.size() == 1)
        return {clean};
    const qsizetype slash = clean.lastIndexOf(QLatin1Char('/'));
    const QString name = clean.mid(slash + 1);
    QStringList found;
    // Copied: resolving may add folders to the table the reference points into.
    const QStringList folders = resolveFolder(slash == 0 ? QStringLiteral("/") : clean.left(slash));
    for (const QString &folder : folders) {
        for (const QString &spelling : spellingsIn(folder, name))
            found.append(joined(folder, spelling));
    }
    return found;
}

const QStringList &PathCaseResolver::resolveFolder(const QString &folder)
{
    auto it = m_folders.constFind(folder);
    if (it != m_folders.constEnd())
        return *it;
    const QStringList found = resolve(folder);
    return *m_folders.insert(folder, found);
}

QStringList PathCaseResolver::spellingsIn(const QString &folder, const QString &name)
{
    const QString lowerName = name.toLower();
    QStringList names;
    if (const Listing *kept = listing(folder)) {
        const std::pair<size_t, quint32> first{keyOf(lowerName), 0};
        for (auto it = std::lower_bound(kept->byKey.cbegin(), kept->byKey.cend(), first);
             it != kept->byKey.cend() && it->first == first.first; ++it) {
            const QString entry = QFile::decodeName(kept->names.constData() + it->second);
            if (entry.toLower() == lowerName)
                names.append(entry);
        }
    }
    // A folder that may be entered but not listed still lets an exact spelling through.
    if (names.isEmpty() && QFileInfo::exists(joined(folder, name)))
        names.append(name);
    const qsizetype exact = names.indexOf(name);
    if (exact > 0)
        names.move(exact, 0);
    return names;
}

const PathCaseResolver::Listing *PathCaseResolver::listing(const QString &folder)
{
    auto it = m_listings.find(folder);
    if (it != m_listings.end() && it->batch == m_batch)
        return &*it;

    // The clock is read before the folder, so a change made while it is read counts as recent.
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    struct stat info
    {};
    Stamp stamp;
    const bool stamped = ::stat(QFile::encodeName(folder).constData(), &info) == 0;
    if (stamped)
        stamp = {qint64(info.st_dev), qint64(info.st_ino), nanoseconds(info.st_mtim), nanoseconds(info.st_ctim)};
    if (it != m_listings.end()) {
        if (stamped && it->settled && it->stamp == stamp) {
            it->batch = m_batch;
            return &*it;
        }
        m_keptNames -= qsizetype(it->byKey.size());
        m_listings.erase(it);
    }

    Listing fresh;
    if (!stamped || !read(folder, fresh))
        return nullptr;
    fresh.stamp = stamp;
    fresh.batch = m_batch;
    fresh.settled = std::max(stamp.modifiedNs, stamp.changedNs) + m_settleTime.count() < nanoseconds(now);
    m_keptNames += qsizetype(fresh.byKey.size());
    return &*m_listings.insert(folder, std::move(fresh));
}

bool PathCaseResolver::read(const QString &folder, Listing &listing) const
{
    // Read straight from the directory: a search may list folders of thousands of captures, and Qt's
    // iterators cost several times more per entry than the names alone.
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return false;
    while (const dirent *entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        const size_t length = std::strlen(entry->d_name);
        listing.byKey.emplace_back(keyOfEntry(entry->d_name, length), quint32(listing.names.size()));
        listing.names.append(entry->d_name, qsizetype(length) + 1);
    }
    ::closedir(dir);
    // Sorting the pairs keeps the directory's order among names of one key.
    std::sort(listing.byKey.begin(), listing.byKey.end());
    return true;
}
