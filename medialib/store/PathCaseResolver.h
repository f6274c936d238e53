#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <chrono>
#include <utility>
#include <vector>

// Finds the files on disk behind a path whose letter case was lost (the keyword index keeps lower-cased
// paths, while Linux file systems tell "Photo.jpg" from "photo.jpg").
//
// Listing folders is what costs, so listings are kept from one batch of look-ups to the next. A kept
// listing is used only while its folder's stamp (device, inode, modification and change times) is the one
// it had when it was read; each folder's stamp is checked once per batch. A folder changed shortly before
// it was read is listed again in the next batch, because a second change within the same tick of the file
// system's clock would leave its stamp as it was.
class PathCaseResolver
{
public:
    // How long a folder must have been left alone before its listing is trusted in later batches: more than
    // the coarsest modification time Linux file systems keep (two seconds on FAT).
    static constexpr std::chrono::milliseconds kSettleTime{3000};
    // Bounds what is kept between batches: 300,000 names (some 20 MB) cover a library three times the
    // largest one the search is tuned for.
    static constexpr qsizetype kMaxKeptNames = 300000;

    explicit PathCaseResolver(std::chrono::nanoseconds settleTime = kSettleTime);

    // Every existing absolute path that equals path when letter case is ignored, component by component;
    // a path spelt exactly as on disk comes first. Empty when nothing matches.
    QStringList resolve(const QString &path);
    bool exists(const QString &path) { return !resolve(path).isEmpty(); }
    // Starts a new batch: the disk may have changed since the last look-up.
    void newBatch();

private:
    struct Stamp
    {
        qint64 device = 0;
        qint64 inode = 0;
        qint64 modifiedNs = 0;
        qint64 changedNs = 0;
        bool operator==(const Stamp &other) const = default;
    };
    struct Listing
    {
        Stamp stamp;
        // Kept only when the folder had settled before it was read.
        bool settled = false;
        quint64 batch = 0;
        // The entry names as the directory gives them, each ended by a NUL.
        QByteArray names;
        // Hash of each lower-cased name and the offset of the name in names, sorted.
        std::vector<std::pair<size_t, quint32>> byKey;
    };

    const QStringList &resolveFolder(const QString &folder);
    QStringList spellingsIn(const QString &folder, const QString &name);
    const Listing *listing(const QString &folder);
    bool read(const QString &folder, Listing &listing) const;

    std::chrono::nanoseconds m_settleTime;
    quint64 m_batch = 0;
    QHash<QString, Listing> m_listings;
    qsizetype m_keptNames = 0;
    // Real spellings of the folders met in this batch.
    QHash<QString, QStringList> m_folders;
};
