#include "MediaImpl.h"

#include <QFileInfo>

namespace {

const QStringList kImageSuffixes = {QStringLiteral(".jpg"),  QStringLiteral(".jpeg"), QStringLiteral(".jpe"),
                                    QStringLiteral(".jfif"), QStringLiteral(".png"),  QStringLiteral(".bmp"),
                                    QStringLiteral(".tiff"), QStringLiteral(".tif")};
const QStringList kVideoSuffixes = {QStringLiteral(".avi"), QStringLiteral(".wmv")};

bool endsWithAny(const QString &path, const QStringList &suffixes)
{
    for (const QString &suffix : suffixes) {
        if (path.endsWith(suffix, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace

MediaImpl::MediaImpl(const QString &path)
    : m_path(path)
{
}

MediaImpl::~MediaImpl() = default;

void MediaImpl::addRef()
{
    ++m_refCount;
}

void MediaImpl::release()
{
    if (--m_refCount == 0)
        delete this;
}

int MediaImpl::lockFile()
{
    if (m_lockCount >= 1) {
        ++m_lockCount;
        return 1;
    }
    m_file.setFileName(m_path);
    // ExistingOnly: a file that vanished must not be brought back as an empty one by the lock.
    if (!m_file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        return kLockFailed;
    m_lockCount = 1;
    return 1;
}

void MediaImpl::unlockFile()
{
    if (m_lockCount > 0)
        --m_lockCount;
    if (m_lockCount == 0)
        m_file.close();
}

QString MediaImpl::path() const
{
    return m_path;
}

int MediaImpl::mediaTypeForPath(const QString &path)
{
    if (QFileInfo(path).isDir())
        return TYPE_FOLDER;
    if (endsWithAny(path, kImageSuffixes))
        return TYPE_IMAGE;
    if (endsWithAny(path, kVideoSuffixes))
        return TYPE_VIDEO;
    return TYPE_OTHER;
}

void MediaImpl::setPath(const QString &path)
{
    m_path = path;
}

int MediaImpl::mediaType()
{
    if (m_type == TYPE_UNKNOWN)
        m_type = mediaTypeForPath(m_path);
    return m_type;
}

void MediaImpl::setType(int type)
{
    m_type = type;
}

void MediaImpl::setKeywords(const QString &text)
{
    m_keywords.clear();
    const QStringList pieces = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString &piece : pieces) {
        const QString keyword = piece.trimmed();
        if (!keyword.isEmpty() && !m_keywords.contains(keyword))
            m_keywords.append(keyword);
    }
}

int *MediaImpl::statusField(uint service)
{
    switch (service) {
    case SERVICE_YOUTUBE:
        return &m_youtubeStatus;
    case SERVICE_FACEBOOK:
        return &m_facebookStatus;
    case SERVICE_PICASA:
        return &m_picasaStatus;
    case SERVICE_TWITPIC:
        return &m_twitpicStatus;
    case SERVICE_DROPBOX:
        return &m_dropboxStatus;
    default:
        return nullptr;
    }
}

int MediaImpl::uploadStatus(uint service) const
{
    const int *field = const_cast<MediaImpl *>(this)->statusField(service);
    return field ? *field : 0;
}

void MediaImpl::setUploadStatus(uint service, int status)
{
    if (int *field = statusField(service))
        *field = status;
}

int MediaImpl::overallUploadStatus() const
{
    const int statuses[] = {m_youtubeStatus, m_facebookStatus, m_picasaStatus, m_twitpicStatus, m_dropboxStatus};
    for (int wanted : {STATUS_QUEUED, STATUS_UPLOADED, STATUS_CHOSEN}) {
        for (int status : statuses) {
            if (status == wanted)
                return wanted;
        }
    }
    return STATUS_NONE;
}
