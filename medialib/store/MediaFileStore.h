#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <utility>

class MediaImpl;

// The companions the program keeps for each media file outside the media folder (an XML information file
// and a PNG thumbnail, in a hidden cache tree that mirrors the file's absolute path), the three paths that
// are busy (the image shown full-size, the video playing, the video being thumbnailed), and the guarded
// removal and renaming of media files with their companions and keyword-index rows. One process-wide
// store, used on the GUI thread; the thumbnail threads call only thumbnailPath and hasThumbnail.
class MediaFileStore
{
public:
    // Called with after false when a rename is about to start, and with after true when it is over
    // (refresh as the caller asked on success, false on failure).
    using RenameHook = void (*)(void *context, bool after, bool refresh);

    static MediaFileStore *getInstance();
    // The cache root: "Lumo" in the per-user application data folder.
    static QString cacheRootPath();

    QString mirrorPath(const QString &mediaPath) const;
    QString infoFilePath(const QString &mediaPath) const;
    QString thumbnailPath(const QString &mediaPath) const;
    bool hasInfoFile(const QString &mediaPath) const;
    bool hasThumbnail(const QString &mediaPath) const;
    // Makes sure the mirror folder of path exists; creating it marks the cache root hidden.
    void makeCacheFolder(const QString &path);

    // Replaces the record's information file atomically, then its rows in the keyword index. False, with
    // the old file and rows left as they were, when the file cannot be written (no mirror folder, a name too
    // long for an information file, a full or read-only disk).
    bool writeInfo(MediaImpl *record);
    // Fills the record from its information file; a missing or broken file leaves what it could not give.
    void readInfo(MediaImpl *record);
    // Every media file that still exists and has an information file, with the keywords it gives: what a
    // new keyword index is built from.
    QList<std::pair<QString, QStringList>> storedKeywords();
    // A 100 x 100 thumbnail of an image record, aspect ratio ignored.
    void makeImageThumbnail(MediaImpl *record);

    void setShowingImage(const QString &path) { m_showingImage = path; }
    QString showingImage() const { return m_showingImage; }
    void setPlayingVideo(const QString &path) { m_playingVideo = path; }
    QString playingVideo() const { return m_playingVideo; }
    void setThumbnailingVideo(const QString &path) { m_thumbnailingVideo = path; }
    QString thumbnailingVideo() const { return m_thumbnailingVideo; }
    void setRenameHook(RenameHook hook, void *context);

    // Deletes the file, then its information file, thumbnail and index rows. Busy files and files in the
    // upload queue are refused with a message; a file already gone just loses its companions.
    void removeMediaFile(MediaImpl *record);
    // Asks the upload service to withdraw every online copy the file's information names. Always true.
    bool removeOnlineCopies(const QString &mediaPath);
    // removeMediaFile, and with removeOnline the online copies, withdrawn only once the file is gone.
    void removeMediaFileAndLinks(MediaImpl *record, bool removeOnline);
    // Renames the entry to newName (a bare name; a file keeps its suffix) with its companions and index
    // rows, and updates the record's path. Refusals and failures are told in a message and change nothing.
    void renameMediaFile(MediaImpl *record, const QString &newName, bool refresh);
    static bool isValidFileName(const QString &name);
    // Whether two paths name one existing file (a folder link, "..", a doubled slash, a second hard link,
    // or another letter case where the file system ignores it): one device and inode, not one text.
    static bool isSameFile(const QString &a, const QString &b);

private:
    MediaFileStore();

    // Why a file may not be removed or renamed now: it is shown or playing, or being thumbnailed. Empty
    // when it is free.
    QString busyReason(MediaImpl *record) const;
    static bool isQueued(const QString &mediaPath);
    QMap<uint, QString> uploadedIds(const QString &mediaPath);
    // The keywords of the file's information file (none without one).
    QStringList keywordsOf(const QString &mediaPath);
    void removeCompanions(const QString &mediaPath);
    void callRenameHook(bool after, bool refresh);

    RenameHook m_renameHook = nullptr;
    void *m_renameHookContext = nullptr;
    QString m_showingImage;
    QString m_playingVideo;
    QString m_thumbnailingVideo;
    QString m_cacheRoot;
};
