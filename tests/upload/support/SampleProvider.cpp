#include "SampleProvider.h"

#include "NetworkJob.h"
#include "SNServiceContext.h"

#include <QFileInfo>
#include <QJsonObject>
#include <QUrlQuery>

#include <memory>

namespace {

constexpr qint64 kDefaultSimpleLimit = 1024 * 1024;
constexpr qint64 kDefaultChunkSize = 256 * 1024;

qint64 sizeParameter(const NetworkJob &job, const char *key, qint64 fallback)
{
    bool ok = false;
    const qint64 value = job.service().parameter(QString::fromLatin1(key)).toLongLong(&ok);
    return ok && value > 0 ? value : fallback;
}

// One resumable upload: the session's address and how to go on from any point.
struct Session : std::enable_shared_from_this<Session>
{
    NetworkJob &job;
    QUrl location;
    qint64 chunkSize;
    bool restarted = false;

    Session(NetworkJob &owner, qint64 chunk)
        : job(owner)
        , chunkSize(chunk)
    {
    }

    void create()
    {
        auto self = shared_from_this();
        const QJsonObject metadata{{QStringLiteral("name"), QFileInfo(job.upload().path).fileName()},
                                   {QStringLiteral("size"), job.fileSize()}};
        job.send(SNRequest::post(job.service().endpoint(QStringLiteral("content"), QStringLiteral("/v1/sessions")))
                     .jsonBody(QJsonDocument(metadata))
                     .retryAs(SNRequest::RETRY_NEVER),
                 [self](const SNResponse &response) {
                     self->location = QUrl(QString::fromLatin1(response.header("Location")));
                     if (!response.isSuccess() || !self->location.isValid()) {
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
        job.send(
            SNRequest::put(location)
                .header("Content-Range",
                        QStringLiteral("bytes %1-%2/%3").arg(offset).arg(offset + length - 1).arg(size).toLatin1())
                .fileBody(job.upload().path, offset, length, "application/octet-stream")
                .retryAs(SNRequest::RETRY_RESUME),
            [self](const SNResponse &response) { self->onAnswer(response); }, [self] { self->askOffset(); });
    }

    void askOffset()
    {
        auto self = shared_from_this();
        job.send(SNRequest::put(location)
                     .header("Content-Range", QStringLiteral("bytes */%1").arg(job.fileSize()).toLatin1())
                     .retryAs(SNRequest::RETRY_REPEAT),
                 [self](const SNResponse &response) { self->onAnswer(response); });
    }

    void onAnswer(const SNResponse &response)
    {
        if (response.status == 308) {
            // "Range: bytes=0-n" names the last byte the server holds; no Range means nothing yet.
            const QByteArray range = response.header("Range");
            qint64 next = 0;
            if (!range.isEmpty()) {
                bool ok = false;
                next = range.mid(range.indexOf('-') + 1).toLongLong(&ok) + 1;
                if (!range.startsWith("bytes=0-") || !ok) {
                    job.failWith(response);
                    return;
                }
            }
            sendFrom(next);
            return;
        }
        if (response.status == 404 && !restarted) {
            restarted = true;
            create();
            return;
        }
        finish(job, response);
    }

    static void finish(NetworkJob &job, const SNResponse &response)
    {
        const QJsonObject answer = response.json();
        const QString id = answer.value(QStringLiteral("id")).toString();
        if (!response.isSuccess() || id.isEmpty()) {
            job.failWith(response);
            return;
        }
        job.completeUpload(id, answer.value(QStringLiteral("url")).toString());
    }
};

} // namespace

QStringList SampleProvider::requiredParameters() const
{
    return {QStringLiteral("client_id")};
}

QUrl SampleProvider::defaultEndpoint(const QString &role) const
{
    return QUrl(QStringLiteral("https://%1.sample.invalid").arg(role));
}

OAuthConfig SampleProvider::oauthConfig(const SNServiceContext &service) const
{
    OAuthConfig config;
    config.flow = service.parameter(QStringLiteral("flow")) == QLatin1String("device")
                      ? OAuthConfig::FLOW_DEVICE
                      : OAuthConfig::FLOW_AUTHORIZATION_CODE;
    config.authorizeUrl = service.endpoint(QStringLiteral("auth"), QStringLiteral("/oauth/authorize"));
    config.deviceCodeUrl = service.endpoint(QStringLiteral("auth"), QStringLiteral("/oauth/device"));
    config.tokenUrl = service.endpoint(QStringLiteral("token"), QStringLiteral("/oauth/token"));
    config.clientId = service.parameter(QStringLiteral("client_id"));
    config.scope = QStringLiteral("files.write");
    config.authorizeParameters = {{QStringLiteral("access_type"), QStringLiteral("offline")}};
    return config;
}

void SampleProvider::checkAccount(NetworkJob &job)
{
    job.send(SNRequest::get(job.service().endpoint(QStringLiteral("api"), QStringLiteral("/v1/me"))),
             [&job](const SNResponse &response) {
                 const QJsonObject me = response.json();
                 const QString id = me.value(QStringLiteral("id")).toString();
                 if (!response.isSuccess() || id.isEmpty()) {
                     job.failWith(response);
                     return;
                 }
                 job.setAccountValue(QStringLiteral("account.id"), id);
                 job.complete({{QStringLiteral("id"), id}, {QStringLiteral("name"), me.value(QStringLiteral("name"))}});
             });
}

void SampleProvider::upload(NetworkJob &job)
{
    if (job.fileSize() > sizeParameter(job, "simple_limit", kDefaultSimpleLimit)) {
        std::make_shared<Session>(job, sizeParameter(job, "chunk_size", kDefaultChunkSize))->create();
        return;
    }
    QUrl url = job.service().endpoint(QStringLiteral("content"), QStringLiteral("/v1/files"));
    url.setQuery(QUrlQuery{{QStringLiteral("name"), QFileInfo(job.upload().path).fileName()}});
    job.send(SNRequest::post(url)
                 .fileBody(job.upload().path, 0, job.fileSize(), "application/octet-stream")
                 .retryAs(SNRequest::RETRY_NEVER),
             [&job](const SNResponse &response) { Session::finish(job, response); });
}

void SampleProvider::remove(NetworkJob &job, const QString &path)
{
    job.send(SNRequest::deleteResource(job.service().endpoint(QStringLiteral("api"),
                                                              QStringLiteral("/v1/files/") + path)),
             [&job](const SNResponse &response) {
                 if (response.status == 204 || response.status == 200)
                     job.complete();
                 else
                     job.failWith(response);
             });
}
