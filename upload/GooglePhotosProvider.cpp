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
            const QJsonArray albums = response.json().value(QStringLiteral("albums")).toArray();
            for (const QJsonValue &value : albums) {
                const QJsonObject found = value.toObject();
                if (found.value(QStringLiteral("title")).toString() == title
                    && !found.value(QStringLiteral("id")).toString().isEmpty()) {
                    self->album = found.value(QStringLiteral("id")).toString();
                    self->job.setAccountValue(albumKey(title), self->album);
                    self->sendBytes();
                    return;
                }
            }
            const QString next = response.json().value(QStringLiteral("nextPageToken")).toString();
            if (!next.isEmpty() && lists + 1 < kMaxAlbumLists)
                self->findAlbum(next, lists + 1);
            else
                self->createAlbum();
        });
    }

    void createAlbum()
    {
        const QString title = job.upload().appName;
        auto self = shared_from_this();
        job.send(SNRequest::post(job.service().endpoint(kApi, QStringLiteral("/v1/albums")))
                     .jsonBody(QJsonDocument(QJsonObject{{QStringLiteral("album"), QJsonObject{{QStringLiteral("title"), title}}}}))
                     .retryAs(SNRequest::RETRY_NEVER),
                 [self, title](const SNResponse &response) {
                     self->album = response.json().value(QStringLiteral("id")).toString();
                     if (!response.isSuccess() || self->album.isEmpty()) {
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
                     self->sessionUrl = QUrl::fromEncoded(response.header("X-Goog-Upload-URL"));
                     if (!response.isSuccess() || !self->sessionUrl.isValid() || self->sessionUrl.isEmpty()) {
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
        job.send(request,
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
        job.send(SNRequest::post(sessionUrl).header("X-Goog-Upload-Command", "query"), [self](const SNResponse &response) {
            const QByteArray status = response.header("X-Goog-Upload-Status");
            if (response.isSuccess() && status == "final") {
                self->onBytes(response);
                return;
            }
            bool ok = false;
            const qint64 received = response.header("X-Goog-Upload-Size-Received").toLongLong(&ok);
            if (!response.isSuccess() || status != "active" || !ok || received < 0 || received > self->job.fileSize()) {
                self->onAnswer(response, false);
                return;
            }
            self->sendFrom(received);
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
        const QString token = QString::fromUtf8(response.body).trimmed();
        if (!response.isSuccess() || token.isEmpty()) {
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
        const QJsonObject batch{{QStringLiteral("albumId"), album}, {QStringLiteral("newMediaItems"), QJsonArray{item}}};
        NetworkJob &owner = job;
        job.send(SNRequest::post(job.service().endpoint(kApi, QStringLiteral("/v1/mediaItems:batchCreate")))
                     .jsonBody(QJsonDocument(batch))
                     .retryAs(SNRequest::RETRY_NEVER),
                 [&owner](const SNResponse &created) {
                     const QJsonObject result =
                         created.json().value(QStringLiteral("newMediaItemResults")).toArray().first().toObject();
                     const QJsonObject status = result.value(QStringLiteral("status")).toObject();
                     const QJsonObject mediaItem = result.value(QStringLiteral("mediaItem")).toObject();
                     const QString id = mediaItem.value(QStringLiteral("id")).toString();
                     if (!created.isSuccess()) {
                         owner.failWith(created);
                     } else if (status.value(QStringLiteral("code")).toInt() != 0 || id.isEmpty()) {
                         uploadLog(LogSystem::LOG_ERROR, "GooglePhotosProvider::upload - the item was refused: %s",
                                   qUtf8Printable(status.value(QStringLiteral("message")).toString()));
                         owner.fail(itemCode(status.value(QStringLiteral("code")).toInt()));
                     } else {
                         owner.completeUpload(id, mediaItem.value(QStringLiteral("productUrl")).toString());
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

int GooglePhotosProvider::failureCode(const SNResponse &response) const
{
    return GoogleApiError::code(response);
}
