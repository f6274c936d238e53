#include "GooglePhotosProvider.h"

#include "GoogleApiError.h"
#include "NetworkJob.h"
#include "OAuthProtocol.h"
#include "SNServiceContext.h"
#include "UploadErrorCode.h"
#include "UploadLog.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMimeDatabase>
#include <QUrlQuery>

#include <memory>

namespace {

// The service's limits: photos up to 200 MB, videos up to 20 GB, descriptions of 1,000 characters.
constexpr qint64 kPhotoLimit = 200LL * 1000 * 1000;
constexpr qint64 kVideoLimit = 20LL * 1000 * 1000 * 1000;
constexpr int kDescriptionLimit = 1000;
// Files up to 16 MiB go in one request (a whole photo); larger ones, videos mostly, resumably in requests of
// 8 MiB, so that a dropped connection costs little.
constexpr qint64 kDefaultSimpleLimit = 16LL * 1024 * 1024;
constexpr qint64 kDefaultChunkSize = 8LL * 1024 * 1024;

const QString kApi = QStringLiteral("api");
// The most the album list gives at once; a library with more of the program's albums than fit in a few
// such lists was not made by this program's single album per application text.
constexpr int kAlbumsPerList = 50;
constexpr int kMaxAlbumLists = 10;

qint64 sizeParameter(const NetworkJob &job, const char *key, qint64 fallback)
{
    bool ok = false;
    const qint64 value = job.service().parameter(QString::fromLatin1(key)).toLongLong(&ok);
    return ok && value > 0 ? value : fallback;
}

QString albumKey(const QString &title)
{
    return QStringLiteral("album.") + title;
}

QByteArray mimeType(const NetworkJob &job)
{
    return QMimeDatabase().mimeTypeForFile(job.upload().path).name().toLatin1();
}

// The code of one item's status in a batch answer (a google.rpc code).
int itemCode(int rpcCode)
{
    switch (rpcCode) {
    case 7: // PERMISSION_DENIED
        return SN_ERR_PRIVILEGE;
    case 8: // RESOURCE_EXHAUSTED
        return SN_ERR_TOO_OFTEN;
    case 16: // UNAUTHENTICATED
        return SN_ERR_AUTHORIZATION;
    default:
        return SN_ERR_PROTOCOL;
    }
}

struct Transfer : std::enable_shared_from_this<Transfer>
{
    NetworkJob &job;
    QString album;
    QUrl sessionUrl;
    qint64 chunkSize = kDefaultChunkSize;
    bool restarted = false;

    explicit Transfer(NetworkJob &owner)
        : job(owner)
    {
    }

    void start()
    {
        const QString title = job.upload().appName;
        album = job.accountValue(albumKey(title));
        if (!album.isEmpty()) {
            sendBytes();
            return;
        }
        findAlbum(QString(), 0);
    }

    // The account may have lost the album's id (signed in again under another label, an older account
    // file) while the album is still there: the program's own albums are looked through before a second
    // one of the same name is made.
    void findAlbum(const QString &pageToken, int lists)
    {
        auto self = shared_from_this();
        QList<QPair<QString, QString>> fields{{QStringLiteral("pageSize"), QString::number(kAlbumsPerList)},
                                              {QStringLiteral("excludeNonAppCreatedData"), QStringLiteral("true")}};
        if (!pageToken.isEmpty())
            fields.append({QStringLiteral("pageToken"), pageToken});
        QUrl url = job.service().endpoint(kApi, QStringLiteral("/v1/albums"));
        // Every reserved character of the service's page token encoded.
        url.setQuery(QString::fromLatin1(OAuthProtocol::formBody(fields)), QUrl::StrictMode);
        job.send(SNRequest::get(url), [self, lists](const SNResponse &response) {
            if (!response.isSuccess()) {
                self->job.failWith(response);
                return;
            }
            const QString title = self->job.upload().appName;
            const GooglePhotosProvider::AlbumList list = GooglePhotosProvider::readAlbumList(response, title);
            if (!list.albumId.isEmpty()) {
                self->album = list.albumId;
                self->job.setAccountValue(albumKey(title), self->album);
                self->sendBytes();
                return;
            }
            if (!list.nextPageToken.isEmpty() && lists + 1 < kMaxAlbumLists)
                self->findAlbum(list.nextPageToken, lists + 1);
            else
                self->createAlbum();
        });
    }

    void createAlbum()
    {
        const QString title = job.upload().appName;
        auto self = shared_from_this();
        job.send(SNRequest::post(job.service().endpoint(kApi, QStringLiteral("/v1/albums")))
                     .jsonBody(QJsonDocument(QJsonObject{
                         {QStringLiteral("album"), QJsonObject{{QStringLiteral("title"), title}}}}))
                     .retryAs(SNRequest::RETRY_NEVER),
                 [self, title](const SNResponse &response) {
                     self->album = GooglePhotosProvider::readCreatedAlbumId(response);
                     if (self->album.isEmpty()) {
                         self->job.failWith(response);
                         return;
                     }
                     self->job.setAccountValue(albumKey(title), self->album);
                     self->sendBytes();
                 });
    }

    void sendBytes()
    {
        auto self = shared_from_this();
        const QUrl uploads = job.service().endpoint(QStringLiteral("content"), QStringLiteral("/v1/uploads"));
        if (job.fileSize() <= sizeParameter(job, "simple_limit", kDefaultSimpleLimit)) {
            // An upload token that is never used makes nothing: sending the bytes again is harmless.
            job.send(SNRequest::post(uploads)
                         .header("X-Goog-Upload-Content-Type", mimeType(job))
                         .header("X-Goog-Upload-Protocol", "raw")
                         .fileBody(job.upload().path, 0, job.fileSize(), "application/octet-stream"),
                     [self](const SNResponse &response) { self->onBytes(response); });
            return;
        }
        chunkSize = sizeParameter(job, "chunk_size", kDefaultChunkSize);
        job.send(SNRequest::post(uploads)
                     .header("X-Goog-Upload-Command", "start")
                     .header("X-Goog-Upload-Content-Type", mimeType(job))
                     .header("X-Goog-Upload-Protocol", "resumable")
                     .header("X-Goog-Upload-Raw-Size", QByteArray::number(job.fileSize())),
                 [self](const SNResponse &response) {
                     self->sessionUrl = GooglePhotosProvider::readSessionAddress(response);
                     if (self->sessionUrl.isEmpty()) {
                         self->job.failWith(response);
                         return;
                     }
                     self->sendFrom(0);
                 });
    }

    void sendFrom(qint64 offset)
    {
        auto self = shared_from_this();
        const qint64 length = qMin(chunkSize, job.fileSize() - offset);
        const bool last = offset + length >= job.fileSize();
        SNRequest request = SNRequest::post(sessionUrl)
                                .header("X-Goog-Upload-Command", last ? "upload, finalize" : "upload")
                                .header("X-Goog-Upload-Offset", QByteArray::number(offset))
                                .retryAs(SNRequest::RETRY_RESUME);
        if (length > 0)
            request.fileBody(job.upload().path, offset, length, "application/octet-stream");
        job.send(
            request,
            [self, offset, length, last](const SNResponse &response) {
                if (response.isSuccess() && !last)
                    self->sendFrom(offset + length);
                else
                    self->onAnswer(response, last);
            },
            [self] { self->query(); });
    }

    void query()
    {
        auto self = shared_from_this();
        job.send(SNRequest::post(sessionUrl).header("X-Goog-Upload-Command", "query"),
                 [self](const SNResponse &response) {
                     const GooglePhotosProvider::UploadStatus status =
                         GooglePhotosProvider::readUploadStatus(response, self->job.fileSize());
                     switch (status.state) {
                     case GooglePhotosProvider::UploadStatus::FINAL:
                         self->onBytes(response);
                         return;
                     case GooglePhotosProvider::UploadStatus::ACTIVE:
                         self->sendFrom(status.received);
                         return;
                     case GooglePhotosProvider::UploadStatus::REFUSED:
                         self->onAnswer(response, false);
                         return;
                     }
                 });
    }

    void onAnswer(const SNResponse &response, bool last)
    {
        if (response.isSuccess() && last) {
            onBytes(response);
            return;
        }
        if ((response.status == 404 || response.status == 410) && !restarted) {
            // The upload session expired: the bytes go again in a new one, once.
            restarted = true;
            sendBytes();
            return;
        }
        job.failWith(response);
    }

    void onBytes(const SNResponse &response)
    {
        const QString token = GooglePhotosProvider::readUploadToken(response);
        if (token.isEmpty()) {
            job.failWith(response);
            return;
        }
        QString description = job.upload().description;
        if (description.size() > kDescriptionLimit) {
            uploadLog(LogSystem::LOG_WARNING, "GooglePhotosProvider::upload - the description was cut to %d characters",
                      kDescriptionLimit);
            description.truncate(kDescriptionLimit);
        }
        const QJsonObject item{{QStringLiteral("description"), description},
                               {QStringLiteral("simpleMediaItem"),
                                QJsonObject{{QStringLiteral("uploadToken"), token},
                                            {QStringLiteral("fileName"), QFileInfo(job.upload().path).fileName()}}}};
        const QJsonObject batch{{QStringLiteral("albumId"), album},
                                {QStringLiteral("newMediaItems"), QJsonArray{item}}};
        NetworkJob &owner = job;
        job.send(SNRequest::post(job.service().endpoint(kApi, QStringLiteral("/v1/mediaItems:batchCreate")))
                     .jsonBody(QJsonDocument(batch))
                     .retryAs(SNRequest::RETRY_NEVER),
                 [&owner](const SNResponse &created) {
                     const GooglePhotosProvider::CreatedItem createdItem =
                         GooglePhotosProvider::readCreatedItem(created);
                     if (!created.isSuccess()) {
                         owner.failWith(created);
                     } else if (createdItem.id.isEmpty()) {
                         uploadLog(LogSystem::LOG_ERROR, "GooglePhotosProvider::upload - the item was refused: %s",
                                   qUtf8Printable(createdItem.message));
                         owner.fail(createdItem.failure);
                     } else {
                         owner.completeUpload(createdItem.id, createdItem.address);
                     }
                 });
    }
};

} // namespace

QStringList GooglePhotosProvider::requiredParameters() const
{
    return {QStringLiteral("devkey")};
}

QUrl GooglePhotosProvider::defaultEndpoint(const QString &role) const
{
    if (role == QLatin1String("auth"))
        return QUrl(QStringLiteral("https://accounts.google.com"));
    if (role == QLatin1String("token"))
        return QUrl(QStringLiteral("https://oauth2.googleapis.com"));
    return QUrl(QStringLiteral("https://photoslibrary.googleapis.com"));
}

OAuthConfig GooglePhotosProvider::oauthConfig(const SNServiceContext &service) const
{
    OAuthConfig config;
    config.authorizeUrl = service.endpoint(QStringLiteral("auth"), QStringLiteral("/o/oauth2/v2/auth"));
    config.tokenUrl = service.endpoint(QStringLiteral("token"), QStringLiteral("/token"));
    config.clientId = service.parameter(QStringLiteral("devkey"));
    config.clientSecret = service.parameter(QStringLiteral("client_secret"));
    // Adding to the library, and reading and editing what the program made (its album) is all it needs.
    config.scope = QStringLiteral("https://www.googleapis.com/auth/photoslibrary.appendonly "
                                  "https://www.googleapis.com/auth/photoslibrary.readonly.appcreateddata "
                                  "https://www.googleapis.com/auth/photoslibrary.edit.appcreateddata");
    config.authorizeParameters = {{QStringLiteral("access_type"), QStringLiteral("offline")},
                                  {QStringLiteral("prompt"), QStringLiteral("consent")}};
    return config;
}

qint64 GooglePhotosProvider::maximumFileSize(bool isVideo) const
{
    return isVideo ? kVideoLimit : kPhotoLimit;
}

void GooglePhotosProvider::checkAccount(NetworkJob &job)
{
    // The library has no profile call: reading the program's own albums shows the grant works.
    QUrl url = job.service().endpoint(kApi, QStringLiteral("/v1/albums"));
    url.setQuery(QUrlQuery{{QStringLiteral("pageSize"), QStringLiteral("1")},
                           {QStringLiteral("excludeNonAppCreatedData"), QStringLiteral("true")}});
    job.send(SNRequest::get(url), [&job](const SNResponse &response) {
        if (!response.isSuccess()) {
            job.failWith(response);
            return;
        }
        job.complete({{QStringLiteral("name"), job.accountLabel()}});
    });
}

void GooglePhotosProvider::upload(NetworkJob &job)
{
    std::make_shared<Transfer>(job)->start();
}

void GooglePhotosProvider::remove(NetworkJob &job, const QString &path)
{
    uploadLog(LogSystem::LOG_WARNING, "GooglePhotosProvider::remove - the service cannot delete %s; remove it by hand",
              qUtf8Printable(path));
    job.fail(SN_ERR_NOT_SUPPORTED);
}

GooglePhotosProvider::AlbumList GooglePhotosProvider::readAlbumList(const SNResponse &response, const QString &title)
{
    if (!response.isSuccess())
        return {};
    const QJsonObject list = response.json();
    for (const QJsonValue &value : list.value(QStringLiteral("albums")).toArray()) {
        const QJsonObject found = value.toObject();
        const QString id = usableId(found.value(QStringLiteral("id")).toString());
        if (found.value(QStringLiteral("title")).toString() == title && !id.isEmpty())
            return {id, QString()};
    }
    return {QString(), list.value(QStringLiteral("nextPageToken")).toString()};
}

QString GooglePhotosProvider::readCreatedAlbumId(const SNResponse &response)
{
    return answerId(response, QStringLiteral("id"));
}

QUrl GooglePhotosProvider::readSessionAddress(const SNResponse &response)
{
    return answerAddress(response, "X-Goog-Upload-URL");
}

GooglePhotosProvider::UploadStatus GooglePhotosProvider::readUploadStatus(const SNResponse &response, qint64 fileSize)
{
    const QByteArray status = response.header("X-Goog-Upload-Status");
    if (!response.isSuccess())
        return {};
    if (status == "final")
        return {UploadStatus::FINAL, 0};
    bool ok = false;
    const qint64 received = response.header("X-Goog-Upload-Size-Received").toLongLong(&ok);
    if (status != "active" || !ok || received < 0 || received > fileSize)
        return {};
    return {UploadStatus::ACTIVE, received};
}

QString GooglePhotosProvider::readUploadToken(const SNResponse &response)
{
    return response.isSuccess() ? usableId(QString::fromUtf8(response.body).trimmed()) : QString();
}

GooglePhotosProvider::CreatedItem GooglePhotosProvider::readCreatedItem(const SNResponse &response)
{
    const QJsonObject result =
        response.json().value(QStringLiteral("newMediaItemResults")).toArray().first().toObject();
    const QJsonObject status = result.value(QStringLiteral("status")).toObject();
    const QJsonObject mediaItem = result.value(QStringLiteral("mediaItem")).toObject();
    const QString id = usableId(mediaItem.value(QStringLiteral("id")).toString());
    const int code = status.value(QStringLiteral("code")).toInt();
    CreatedItem item;
    item.message = status.value(QStringLiteral("message")).toString();
    if (!response.isSuccess() || code != 0 || id.isEmpty()) {
        item.failure = itemCode(code);
        return item;
    }
    item.id = id;
    item.address = webAddress(QUrl(mediaItem.value(QStringLiteral("productUrl")).toString())).toString();
    return item;
}

int GooglePhotosProvider::failureCode(const SNResponse &response) const
{
    return GoogleApiError::code(response);
}
