#include "YouTubeProvider.h"

#include "GoogleApiError.h"
#include "NetworkJob.h"
#include "ResumeProgress.h"
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

// The service's limits on a video's text.
constexpr int kTitleLimit = 100;
constexpr int kTagsLimit = 500;
// 256 GB is the largest video the service takes.
constexpr qint64 kFileLimit = 256LL * 1000 * 1000 * 1000;
// Requests of 8 MiB, a multiple of the 256 KiB the service asks of every request but the last: a dropped
// one costs little, and a lesson's video needs few round trips.
constexpr qint64 kDefaultChunkSize = 8LL * 1024 * 1024;
constexpr qint64 kChunkUnit = 256 * 1024;
// "Education": the category a classroom recording belongs in.
const QString kCategory = QStringLiteral("27");

const QString kApi = QStringLiteral("api");

qint64 chunkSizeOf(const NetworkJob &job)
{
    bool ok = false;
    const qint64 value = job.service().parameter(QStringLiteral("chunk_size")).toLongLong(&ok);
    return ok && value > 0 ? value : kDefaultChunkSize;
}

QString withoutAngles(QString text)
{
    text.remove(QLatin1Char('<'));
    text.remove(QLatin1Char('>'));
    return text;
}

// A tag with a space counts with the quotes the service puts around it.
int tagLength(const QString &tag)
{
    return int(tag.size()) + (tag.contains(QLatin1Char(' ')) ? 2 : 0);
}

struct Session : std::enable_shared_from_this<Session>
{
    NetworkJob &job;
    QByteArray metadata;
    qint64 chunkSize;
    QUrl location;
    bool restarted = false;
    ResumeProgress progress;

    Session(NetworkJob &owner, const QByteArray &body, qint64 chunk)
        : job(owner)
        , metadata(body)
        , chunkSize(chunk)
    {
    }

    void create()
    {
        auto self = shared_from_this();
        QUrl url = job.service().endpoint(QStringLiteral("content"), QStringLiteral("/upload/youtube/v3/videos"));
        url.setQuery(QUrlQuery{{QStringLiteral("uploadType"), QStringLiteral("resumable")},
                               {QStringLiteral("part"), QStringLiteral("snippet,status")}});
        const QByteArray type = QMimeDatabase().mimeTypeForFile(job.upload().path).name().toLatin1();
        // A session that is never used makes no video: creating one twice is harmless.
        job.send(SNRequest::post(url)
                     .header("X-Upload-Content-Length", QByteArray::number(job.fileSize()))
                     .header("X-Upload-Content-Type", type)
                     .body(metadata, "application/json; charset=UTF-8"),
                 [self](const SNResponse &response) {
                     self->location = YouTubeProvider::readSessionAddress(response);
                     if (self->location.isEmpty()) {
                         self->job.failWith(response);
                         return;
                     }
                     self->sendFrom(0);
                 });
    }

    void sendFrom(qint64 offset)
    {
        auto self = shared_from_this();
        const qint64 size = job.fileSize();
        const qint64 length = qMin(chunkSize, size - offset);
        const QByteArray range =
            size == 0 ? QByteArray("bytes */0")
                      : QStringLiteral("bytes %1-%2/%3").arg(offset).arg(offset + length - 1).arg(size).toLatin1();
        SNRequest request = SNRequest::put(location).header("Content-Range", range).retryAs(SNRequest::RETRY_RESUME);
        if (length > 0)
            request.fileBody(job.upload().path, offset, length, "application/octet-stream");
        job.send(
            request, [self](const SNResponse &response) { self->onAnswer(response, true); },
            [self] { self->askOffset(); });
    }

    void askOffset()
    {
        auto self = shared_from_this();
        job.send(SNRequest::put(location)
                     .header("Content-Range", QStringLiteral("bytes */%1").arg(job.fileSize()).toLatin1())
                     .retryAs(SNRequest::RETRY_REPEAT),
                 [self](const SNResponse &response) { self->onAnswer(response, false); });
    }

    // afterChunk: the answer to a chunk, not to the question how far the server got after an interruption
    // (the engine counts those).
    void onAnswer(const SNResponse &response, bool afterChunk)
    {
        if (response.status == 308) {
            const std::optional<qint64> next = YouTubeProvider::resumeOffset(response.header("Range"), job.fileSize());
            if (!next) {
                job.failWith(response);
                return;
            }
            if (afterChunk && !progress.advance(*next)) {
                uploadLog(LogSystem::LOG_ERROR, "YouTubeProvider - the server keeps naming offset %lld, never further",
                          *next);
                job.fail(SN_ERR_PROTOCOL);
                return;
            }
            sendFrom(*next);
            return;
        }
        if (response.status == 404 && !restarted) {
            // The session expired: the video starts again in a new one, once.
            restarted = true;
            progress = ResumeProgress();
            create();
            return;
        }
        const QString id = YouTubeProvider::readVideoId(response);
        if (id.isEmpty()) {
            job.failWith(response);
            return;
        }
        QUrl watch = job.service().endpoint(QStringLiteral("watch"), QStringLiteral("/watch"));
        watch.setQuery(QUrlQuery{{QStringLiteral("v"), id}});
        job.completeUpload(id, watch.toString());
    }
};

} // namespace

YouTubeProvider::Metadata YouTubeProvider::acceptable(const QString &title, const QStringList &tags)
{
    Metadata metadata;
    metadata.title = withoutAngles(title).left(kTitleLimit);
    metadata.cut = metadata.title != title;
    int used = 0;
    for (const QString &raw : tags) {
        const QString tag = withoutAngles(raw).trimmed();
        metadata.cut = metadata.cut || tag != raw;
        if (tag.isEmpty())
            continue;
        // Tags are joined by commas.
        const int needed = tagLength(tag) + (metadata.tags.isEmpty() ? 0 : 1);
        if (used + needed > kTagsLimit) {
            metadata.cut = true;
            break;
        }
        used += needed;
        metadata.tags.append(tag);
    }
    return metadata;
}

QStringList YouTubeProvider::requiredParameters() const
{
    return {QStringLiteral("devkey")};
}

QUrl YouTubeProvider::defaultEndpoint(const QString &role) const
{
    if (role == QLatin1String("auth"))
        return QUrl(QStringLiteral("https://accounts.google.com"));
    if (role == QLatin1String("token"))
        return QUrl(QStringLiteral("https://oauth2.googleapis.com"));
    if (role == QLatin1String("watch"))
        return QUrl(QStringLiteral("https://www.youtube.com"));
    return QUrl(QStringLiteral("https://www.googleapis.com"));
}

OAuthConfig YouTubeProvider::oauthConfig(const SNServiceContext &service) const
{
    OAuthConfig config;
    config.authorizeUrl = service.endpoint(QStringLiteral("auth"), QStringLiteral("/o/oauth2/v2/auth"));
    config.tokenUrl = service.endpoint(QStringLiteral("token"), QStringLiteral("/token"));
    config.clientId = service.parameter(QStringLiteral("devkey"));
    config.clientSecret = service.parameter(QStringLiteral("client_secret"));
    // One scope covers the channel, uploads and deleting them.
    config.scope = QStringLiteral("https://www.googleapis.com/auth/youtube.force-ssl");
    // Offline access brings a refresh token; the consent prompt brings one even on a second sign-in.
    config.authorizeParameters = {{QStringLiteral("access_type"), QStringLiteral("offline")},
                                  {QStringLiteral("prompt"), QStringLiteral("consent")}};
    return config;
}

qint64 YouTubeProvider::maximumFileSize(bool) const
{
    return kFileLimit;
}

void YouTubeProvider::checkAccount(NetworkJob &job)
{
    QUrl url = job.service().endpoint(kApi, QStringLiteral("/youtube/v3/channels"));
    url.setQuery(QUrlQuery{{QStringLiteral("part"), QStringLiteral("snippet")},
                           {QStringLiteral("mine"), QStringLiteral("true")}});
    job.send(SNRequest::get(url), [&job](const SNResponse &response) {
        if (!response.isSuccess()) {
            job.failWith(response);
            return;
        }
        const Account channel = readChannel(response);
        if (channel.id.isEmpty()) {
            // A Google account without a channel cannot upload.
            uploadLog(LogSystem::LOG_WARNING, "YouTubeProvider::checkAccount - the account has no channel");
            job.fail(SN_ERR_PRIVILEGE);
            return;
        }
        job.setAccountValue(QStringLiteral("account.id"), channel.id);
        job.complete({{QStringLiteral("id"), channel.id}, {QStringLiteral("name"), channel.name}});
    });
}

void YouTubeProvider::upload(NetworkJob &job)
{
    const NetworkJob::Upload &upload = job.upload();
    // The service refuses a video without a title.
    const QString title = upload.title.trimmed().isEmpty() ? QFileInfo(upload.path).completeBaseName() : upload.title;
    const Metadata metadata = acceptable(title, upload.keywords);
    if (metadata.cut)
        uploadLog(LogSystem::LOG_WARNING,
                  "YouTubeProvider::upload - the title or tags were cut to what the service accepts");
    const QJsonObject snippet{{QStringLiteral("title"), metadata.title},
                              {QStringLiteral("description"), withoutAngles(upload.description)},
                              {QStringLiteral("tags"), QJsonArray::fromStringList(metadata.tags)},
                              {QStringLiteral("categoryId"), kCategory}};
    const QJsonObject status{{QStringLiteral("privacyStatus"), QStringLiteral("unlisted")}};
    const QByteArray body =
        QJsonDocument(QJsonObject{{QStringLiteral("snippet"), snippet}, {QStringLiteral("status"), status}})
            .toJson(QJsonDocument::Compact);
    const qint64 chunk = qMax(kChunkUnit, chunkSizeOf(job) / kChunkUnit * kChunkUnit);
    std::make_shared<Session>(job, body, chunk)->create();
}

void YouTubeProvider::remove(NetworkJob &job, const QString &path)
{
    QUrl url = job.service().endpoint(kApi, QStringLiteral("/youtube/v3/videos"));
    url.setQuery(QUrlQuery{{QStringLiteral("id"), path.section(QLatin1Char('/'), -1)}});
    job.send(SNRequest::deleteResource(url), [&job](const SNResponse &response) {
        if (response.isSuccess())
            job.complete();
        else
            job.failWith(response);
    });
}

std::optional<qint64> YouTubeProvider::resumeOffset(const QByteArray &range, qint64 fileSize)
{
    // "Range: bytes=0-n" names the last byte the server holds; without it the server holds nothing.
    if (range.isEmpty())
        return 0;
    constexpr QByteArrayView kHeld("bytes=0-");
    if (!range.startsWith(kHeld))
        return std::nullopt;
    bool ok = false;
    const qint64 last = range.mid(kHeld.size()).toLongLong(&ok);
    // A last byte before the first or past the file's end is no place to go on from.
    if (!ok || last < 0 || last >= fileSize)
        return std::nullopt;
    return last + 1;
}

SNProvider::Account YouTubeProvider::readChannel(const SNResponse &response)
{
    if (!response.isSuccess())
        return {};
    const QJsonObject channel = response.json().value(QStringLiteral("items")).toArray().first().toObject();
    const QString id = usableId(channel.value(QStringLiteral("id")).toString());
    if (id.isEmpty())
        return {};
    return {id, channel.value(QStringLiteral("snippet")).toObject().value(QStringLiteral("title")).toString()};
}

QUrl YouTubeProvider::readSessionAddress(const SNResponse &response)
{
    return answerAddress(response, "Location");
}

QString YouTubeProvider::readVideoId(const SNResponse &response)
{
    return answerId(response, QStringLiteral("id"));
}

int YouTubeProvider::failureCode(const SNResponse &response) const
{
    return GoogleApiError::code(response);
}
