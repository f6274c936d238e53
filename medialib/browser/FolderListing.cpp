#include "FolderListing.h"

#include "HiddenFileList.h"
#include "MediaImpl.h"
#include "MediaLibSortFilterModel.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace {

const QStringList kImagePatterns = {QStringLiteral("*.jpg"),  QStringLiteral("*.jpeg"), QStringLiteral("*.jpe"),
                                    QStringLiteral("*.jfif"), QStringLiteral("*.png"),  QStringLiteral("*.bmp"),
                                    QStringLiteral("*.tiff"), QStringLiteral("*.tif")};
const QStringList kVideoPatterns = {QStringLiteral("*.avi"), QStringLiteral("*.wmv")};

bool endsWithPattern(const QString &lowerPath, const QStringList &patterns)
{
    for (const QString &pattern : patterns) {
        if (lowerPath.endsWith(QStringView(pattern).mid(1)))
            return true;
    }
    return false;
}

} // namespace

bool FolderListing::isImagePath(const QString &lowerPath)
{
    return endsWithPattern(lowerPath, kImagePatterns);
}

bool FolderListing::isVideoPath(const QString &lowerPath)
{
    return endsWithPattern(lowerPath, kVideoPatterns);
}

QStringList FolderListing::visibleNames(const QString &folder)
{
    return HiddenFileList::visibleNames(folder, QDir::AllEntries | QDir::NoDotAndDotDot);
}

bool FolderListing::holdsMoreThan(const QString &folder, int count)
{
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (int seen = 0; it.hasNext(); ++seen) {
        if (seen == count)
            return true;
        it.next();
    }
    return false;
}

FolderListing FolderListing::read(const QString &folder, bool withEntries)
{
    FolderListing listing;
    listing.stamp = QFileInfo(folder).lastModified();
    if (!withEntries) {
        listing.names = visibleNames(folder);
        return listing;
    }
    // One pass: the kinds come with the directory entries, so only links are looked up. Folders (links to
    // folders too) and files that exist count, as the listing filters Dirs and Files have them.
    const QSet<QString> hidden = HiddenFileList::names(folder);
    QStringList folders, images, videos;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (hidden.contains(name))
            continue;
        listing.names.append(name);
        const QFileInfo info = it.fileInfo();
        if (info.isDir()) {
            folders.append(name);
        } else if (info.isFile()) {
            const QString lower = name.toLower();
            if (isImagePath(lower))
                images.append(name);
            else if (isVideoPath(lower))
                videos.append(name);
        }
    }
    const QDir dir(folder);
    const auto add = [&](QStringList &names, int type) {
        std::sort(names.begin(), names.end(), MediaLibSortFilterModel::nameLessThan);
        for (const QString &name : std::as_const(names))
            listing.entries.append({dir.absoluteFilePath(name), type});
    };
    add(folders, MediaImpl::TYPE_FOLDER);
    add(images, MediaImpl::TYPE_IMAGE);
    add(videos, MediaImpl::TYPE_VIDEO);
    return listing;
}
