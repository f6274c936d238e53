#pragma once

#include "MediaIntf.h"
#include "UploadServiceBit.h"

#include <QDateTime>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QUrl>

// One entry of the media library with its descriptive texts, file facts and per-service upload state.
// Created and used on the GUI thread only; the counts are plain integers.
class MediaImpl : public MediaIntf
{
public:
    enum MediaType { TYPE_UNKNOWN = -1, TYPE_FOLDER = 0, TYPE_IMAGE = 1, TYPE_VIDEO = 2, TYPE_OTHER = 3 };
    using UploadServiceBit = ::UploadServiceBit;
    using enum ::UploadServiceBit;
    enum MediaUploadStatus { STATUS_CHOSEN = 0, STATUS_QUEUED = 1, STATUS_NONE = 2, STATUS_UPLOADED = 3 };
    static constexpr int kLockFailed = -2000;

    explicit MediaImpl(const QString &path);
    ~MediaImpl() override;
    MediaImpl(const MediaImpl &) = delete;
    MediaImpl &operator=(const MediaImpl &) = delete;

    void addRef() override;
    void release() override;
    int lockFile() override;
    void unlockFile() override;
    QString path() const override;

    // The type of an entry by the rule the whole library uses: an existing folder, else by name.
    static int mediaTypeForPath(const QString &path);

    void setPath(const QString &path);
    // Computed from the path on first demand, then kept even when the path changes.
    int mediaType();
    void setType(int type);
    QString title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }
    QString author() const { return m_author; }
    void setAuthor(const QString &author) { m_author = author; }
    QString description() const { return m_description; }
    void setDescription(const QString &description) { m_description = description; }
    QStringList keywords() const { return m_keywords; }
    // Takes a comma-separated text; keeps each trimmed, non-empty keyword once, in the order given.
    void setKeywords(const QString &text);
    QDateTime lastModified() const { return m_lastModified; }
    void setLastModified(const QDateTime &time) { m_lastModified = time; }
    qint64 size() const { return m_size; }
    void setSize(qint64 size) { m_size = size; }
    qint64 duration() const { return m_duration; }
    void setDuration(qint64 duration) { m_duration = duration; }
    uint uploadServiceMask() const { return m_uploadServiceMask; }
    void setUploadServiceMask(uint mask) { m_uploadServiceMask = mask; }
    QDateTime uploadTime() const { return m_uploadTime; }
    void setUploadTime(const QDateTime &time) { m_uploadTime = time; }

    QUrl youtubeUrl() const { return m_youtubeUrl; }
    void setYoutubeUrl(const QUrl &url) { m_youtubeUrl = url; }
    QUrl facebookUrl() const { return m_facebookUrl; }
    void setFacebookUrl(const QUrl &url) { m_facebookUrl = url; }
    QUrl picasaUrl() const { return m_picasaUrl; }
    void setPicasaUrl(const QUrl &url) { m_picasaUrl = url; }
    QUrl twitpicUrl() const { return m_twitpicUrl; }
    void setTwitpicUrl(const QUrl &url) { m_twitpicUrl = url; }
    QUrl dropboxUrl() const { return m_dropboxUrl; }
    void setDropboxUrl(const QUrl &url) { m_dropboxUrl = url; }
    QUrl schooltubeUrl() const { return m_schooltubeUrl; }
    void setSchooltubeUrl(const QUrl &url) { m_schooltubeUrl = url; }

    QString youtubeID() const { return m_youtubeID; }
    void setYoutubeID(const QString &id) { m_youtubeID = id; }
    QString facebookID() const { return m_facebookID; }
    void setFacebookID(const QString &id) { m_facebookID = id; }
    QString picasaID() const { return m_picasaID; }
    void setPicasaID(const QString &id) { m_picasaID = id; }
    QString twitpicID() const { return m_twitpicID; }
    void setTwitpicID(const QString &id) { m_twitpicID = id; }
    QString dropboxID() const { return m_dropboxID; }
    void setDropboxID(const QString &id) { m_dropboxID = id; }
    QString schooltubeID() const { return m_schooltubeID; }
    void setSchooltubeID(const QString &id) { m_schooltubeID = id; }

    // The status of one service bit; 0 for a value that is not a service bit.
    int uploadStatus(uint service) const;
    // Stores the status unchecked; a value that is not a service bit changes nothing.
    void setUploadStatus(uint service, int status);
    // 1 when any service is queued, else 3 when any is uploaded, else 0 when any is chosen, else 2.
    int overallUploadStatus() const;

    int refCount() const { return m_refCount; }
    int lockCount() const { return m_lockCount; }
    bool isFileOpen() const { return m_file.isOpen(); }

private:
    int *statusField(uint service);

    QString m_path;
    int m_type = TYPE_UNKNOWN;
    QString m_description;
    QString m_title;
    QString m_author;
    QStringList m_keywords;
    QDateTime m_lastModified;
    qint64 m_size = 0;
    qint64 m_duration = 0;
    int m_refCount = 1;
    uint m_uploadServiceMask = 0;
    QUrl m_facebookUrl, m_picasaUrl, m_dropboxUrl, m_schooltubeUrl, m_youtubeUrl, m_twitpicUrl;
    QString m_facebookID, m_picasaID, m_dropboxID, m_schooltubeID, m_twitpicID, m_youtubeID;
    int m_lockCount = 0;
    QFile m_file;
    QDateTime m_uploadTime;
    int m_facebookStatus = STATUS_NONE;
    int m_dropboxStatus = STATUS_NONE;
    int m_twitpicStatus = STATUS_NONE;
    int m_youtubeStatus = STATUS_NONE;
    int m_picasaStatus = STATUS_NONE;
};
