#include "DropboxProvider.h"

#include "NetworkJob.h"
#include "ResumeProgress.h"
#include "SNErrorMap.h"
#include "SNServiceContext.h"
#include "UploadErrorCode.h"
#include "UploadLog.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <memory>

namespace {

// The service takes at most 150 MB in one request; larger files go through an upload session.
constexpr qint64 kDefaultSimpleLimit = 150LL * 1000 * 1000;
// Session requests of 8 MiB: a multiple of the 4 MiB the service asks of appended data, small enough that
// a dropped request costs little, large enough that a long video needs few round trips.
constexpr qint64 kDefaultChunkSize = 8LL * 1024 * 1024;
// An upload session holds at most 350 GB.
constexpr qint64 kSessionLimit = 350LL * 1000 * 1000 * 1000;
// Ports registered as redirect addresses with the app; the service accepts no other, not even on loopback.
const QList<quint16> kDefaultRedirectPorts = {53682, 53683, 53684};

const QString kApi = QStringLiteral("api");
const QString kContent = QStringLiteral("content");

qint64 sizeParameter(const NetworkJob &job, const char *key, qint64 fallback)
{
    bool ok = false;
    const qint64 value = job.service().parameter(QString::fromLatin1(key)).toLongLong(&ok);
    return ok && value > 0 ? value : fallback;
}

QString folderOf(const NetworkJob &job)
{
    QString folder = job.upload().appName;
    if (folder.isEmpty())
        folder = job.service().parameter(QStringLiteral("app_name"));
    // A "/" in the application text would make further folders, and the id could no longer name the copy.
    folder.replace(QLatin1Char('/'), QLatin1Char('_'));
    return folder;
}

QString targetPath(const NetworkJob &job)
{
    return QStringLiteral("/public/%1/%2").arg(folderOf(job), QFileInfo(job.upload().path).fileName());
}

QJsonObject commitOf(const NetworkJob &job)
{
    // "add" with autorename: an existing file of that name stays, the new one gets "name (1).ext".
    return {{QStringLiteral("path"), targetPath(job)},
            {QStringLiteral("mode"), QStringLiteral("add")},
            {QStringLiteral("autorename"), true},
            {QStringLiteral("mute"), false}};
}

// The ".tag" path of an error answer ("path/conflict/file", "incorrect_offset"), from its summary.
QString errorSummary(const SNResponse &response)
{
    return response.json().value(QStringLiteral("error_summary")).toString();
}

// The ".tag" of a refused session call; the finish call nests the session's error under lookup_failed.
QJsonObject sessionError(const SNResponse &response, bool committing)
{
    const QJsonObject error = response.json().value(QStringLiteral("error")).toObject();
    return committing ? error.value(QStringLiteral("lookup_failed")).toObject() : error;
}

QString errorTag(const SNResponse &response, bool committing)
{
    return sessionError(response, committing).value(QStringLiteral(".tag")).toString();
}

SNRequest rpc(const NetworkJob &job, const QString &path, const QJsonObject &argument)
{
    return SNRequest::post(job.service().endpoint(kApi, path)).jsonBody(QJsonDocument(argument));
}

SNRequest contentRequest(const NetworkJob &job, const QString &path, const QJsonObject &argument, qint64 offset,
                         qint64 length)
{
    SNRequest request = SNRequest::post(job.service().endpoint(kContent, path))
                            .header("Dropbox-API-Arg", DropboxProvider::apiArgument(argument));
    if (length > 0)
        request.fileBody(job.upload().path, offset, length, "application/octet-stream");
    else
        request.body(QByteArray(), "application/octet-stream");
    return request;
}

// After the file is there: its shared link, or the one it already has.
void finishWithLink(NetworkJob &job, const SNResponse &stored)
{
    const DropboxProvider::Stored file = DropboxProvider::readStored(stored);
    if (file.name.isEmpty()) {
        job.failWith(stored);
        return;
    }
    const QString name = file.name;
    const QString path = file.path;
    if (name != QFileInfo(job.upload().path).fileName())
        uploadLog(LogSystem::LOG_INFO, "DropboxProvider - the name was taken; the copy is %s", qUtf8Printable(name));
    // The copy is on the server whatever happens to its link: a link that cannot be had leaves the address
    // empty rather than report a stored file as failed.
    const auto linkFailed = [&job, name](const SNResponse &response) {
        uploadLog(LogSystem::LOG_WARNING, "DropboxProvider - no shared link for %s (%d %s)", qUtf8Printable(name),
                  response.status, qUtf8Printable(errorSummary(response)));
        job.completeUpload(name, QString());
    };
    job.send(rpc(job, QStringLiteral("/2/sharing/create_shared_link_with_settings"), {{QStringLiteral("path"), path}}),
             [&job, name, path, linkFailed](const SNResponse &response) {
                 if (response.isSuccess()) {
                     job.completeUpload(name, DropboxProvider::readCreatedLink(response));
                     return;
                 }
                 if (!errorSummary(response).startsWith(QLatin1String("shared_link_already_exists"))) {
                     linkFailed(response);
                     return;
                 }
                 job.send(rpc(job, QStringLiteral("/2/sharing/list_shared_links"),
                              {{QStringLiteral("path"), path}, {QStringLiteral("direct_only"), true}}),
                          [&job, name, linkFailed](const SNResponse &listed) {
                              const QString url = DropboxProvider::readListedLink(listed);
                              if (url.isEmpty())
                                  linkFailed(listed);
                              else
                                  job.completeUpload(name, url);
                          });
             });
}

// One upload session: start it empty, append the file request by request, and commit it with the last.
struct Session : std::enable_shared_from_this<Session>
{
    NetworkJob &job;
    qint64 chunkSize;
    QString sessionId;
    bool restarted = false;
    ResumeProgress progress;

    Session(NetworkJob &owner, qint64 chunk)
        : job(owner)
        , chunkSize(chunk)
    {
    }

    void start()
    {
        auto self = shared_from_this();
        // An empty session that is started twice only leaves an unused one behind, which the server forgets.
        job.send(contentRequest(job, QStringLiteral("/2/files/upload_session/start"),
                                {{QStringLiteral("close"), false}}, 0, 0),
                 [self](const SNResponse &response) {
                     self->sessionId = DropboxProvider::readSessionId(response);
                     if (self->sessionId.isEmpty()) {
                         self->job.failWith(response);
                         return;
                     }
                     self->sendFrom(0);
                 });
    }

    QJsonObject cursor(qint64 offset) const
    {
        return {{QStringLiteral("session_id"), sessionId}, {QStringLiteral("offset"), offset}};
    }

    void sendFrom(qint64 offset)
    {
        auto self = shared_from_this();
        const qint64 length = qMin(chunkSize, job.fileSize() - offset);
        if (offset + length >= job.fileSize()) {
            // The commit creates the file: never sent twice. A second one would fail on the closed session
            // after the first had stored the file.
            job.send(contentRequest(job, QStringLiteral("/2/files/upload_session/finish"),
                                    {{QStringLiteral("cursor"), cursor(offset)},
                                     {QStringLiteral("commit"), commitOf(job)}},
                                    offset, length)
                         .retryAs(SNRequest::RETRY_NEVER),
                     [self](const SNResponse &response) { self->onAnswer(response, true); });
            return;
        }
        // The same append again tells how far the server got: it answers incorrect_offset with the right one.
        job.send(
            contentRequest(job, QStringLiteral("/2/files/upload_session/append_v2"),
                           {{QStringLiteral("cursor"), cursor(offset)}, {QStringLiteral("close"), false}}, offset,
                           length)
                .retryAs(SNRequest::RETRY_RESUME),
            [self, offset, length](const SNResponse &response) {
                if (response.isSuccess()) {
                    self->progress.advance(offset + length);
                    self->sendFrom(offset + length);
                } else {
                    self->onAnswer(response, false);
                }
            },
            [self, offset] { self->sendFrom(offset); });
    }

    void onAnswer(const SNResponse &response, bool committing)
    {
        if (response.isSuccess()) {
            finishWithLink(job, response);
            return;
        }
        const std::optional<qint64> correct = DropboxProvider::correctOffset(response, committing, job.fileSize());
        if (correct) {
            if (!progress.advance(*correct)) {
                uploadLog(LogSystem::LOG_ERROR, "DropboxProvider - the server keeps naming offset %lld, never further",
                          *correct);
                job.fail(SN_ERR_PROTOCOL);
                return;
            }
            sendFrom(*correct);
            return;
        }
        const QString tag = errorTag(response, committing);
        if (response.status == 409 && (tag == QLatin1String("not_found") || tag == QLatin1String("closed"))
            && !restarted && !committing) {
            // The session expired (they last a week): the whole file goes again, once.
            restarted = true;
            progress = ResumeProgress();
            start();
            return;
        }
        job.failWith(response);
    }
};

} // namespace

QByteArray DropboxProvider::apiArgument(const QJsonObject &argument)
{
    const QString json = QString::fromUtf8(QJsonDocument(argument).toJson(QJsonDocument::Compact));
    QByteArray ascii;
    ascii.reserve(json.size());
    for (const QChar c : json) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F)
            ascii.append(char(c.unicode()));
        else
            ascii.append(QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toLatin1());
    }
    return ascii;
}

QStringList DropboxProvider::requiredParameters() const
{
    return {QStringLiteral("consumer_key")};
}

QUrl DropboxProvider::defaultEndpoint(const QString &role) const
{
    if (role == QLatin1String("auth"))
        return QUrl(QStringLiteral("https://www.dropbox.com"));
    if (role == kContent)
        return QUrl(QStringLiteral("https://content.dropboxapi.com"));
    return QUrl(QStringLiteral("https://api.dropboxapi.com"));
}

OAuthConfig DropboxProvider::oauthConfig(const SNServiceContext &service) const
{
    OAuthConfig config;
    config.authorizeUrl = service.endpoint(QStringLiteral("auth"), QStringLiteral("/oauth2/authorize"));
    config.tokenUrl = service.endpoint(QStringLiteral("token"), QStringLiteral("/oauth2/token"));
    config.clientId = service.parameter(QStringLiteral("consumer_key"));
    config.clientSecret = service.parameter(QStringLiteral("consumer_secrete"));
    config.scope = QStringLiteral("account_info.read files.content.write sharing.read sharing.write");
    // Short-lived access tokens: offline access brings the refresh token.
    config.authorizeParameters = {{QStringLiteral("token_access_type"), QStringLiteral("offline")}};
    const QString ports = service.parameter(QStringLiteral("redirect_ports"));
    if (ports.isEmpty()) {
        config.redirectPorts = kDefaultRedirectPorts;
    } else {
        for (const QString &port : ports.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            bool ok = false;
            const uint value = port.trimmed().toUInt(&ok);
            if (ok && value > 0 && value < 65536)
                config.redirectPorts.append(quint16(value));
        }
    }
    return config;
}

qint64 DropboxProvider::maximumFileSize(bool) const
{
    return kSessionLimit;
}

void DropboxProvider::checkAccount(NetworkJob &job)
{
    // A call without arguments takes no body at all: the service refuses "{}" or a content type here.
    job.send(SNRequest::post(job.service().endpoint(kApi, QStringLiteral("/2/users/get_current_account"))),
             [&job](const SNResponse &response) {
                 const Account account = readAccount(response);
                 if (account.id.isEmpty()) {
                     job.failWith(response);
                     return;
                 }
                 job.setAccountValue(QStringLiteral("account.id"), account.id);
                 job.complete({{QStringLiteral("id"), account.id}, {QStringLiteral("name"), account.name}});
             });
}

void DropboxProvider::upload(NetworkJob &job)
{
    const qint64 simpleLimit = qMin(sizeParameter(job, "simple_limit", kDefaultSimpleLimit), kDefaultSimpleLimit);
    if (job.fileSize() > simpleLimit) {
        std::make_shared<Session>(job, sizeParameter(job, "chunk_size", kDefaultChunkSize))->start();
        return;
    }
    job.send(contentRequest(job, QStringLiteral("/2/files/upload"), commitOf(job), 0, job.fileSize())
                 .retryAs(SNRequest::RETRY_NEVER),
             [&job](const SNResponse &response) { finishWithLink(job, response); });
}

void DropboxProvider::remove(NetworkJob &job, const QString &path)
{
    const QString target = path.startsWith(QLatin1Char('/')) ? path : QLatin1Char('/') + path;
    job.send(rpc(job, QStringLiteral("/2/files/delete_v2"), {{QStringLiteral("path"), target}}),
             [&job, target](const SNResponse &response) {
                 if (response.isSuccess()) {
                     job.complete();
                 } else if (response.status == 409
                            && errorSummary(response).startsWith(QLatin1String("path_lookup/not_found"))) {
                     // Removed on the server already: what the user asked for holds.
                     uploadLog(LogSystem::LOG_INFO, "DropboxProvider - %s was already gone", qUtf8Printable(target));
                     job.complete();
                 } else {
                     job.failWith(response);
                 }
             });
}

SNProvider::Account DropboxProvider::readAccount(const SNResponse &response)
{
    if (!response.isSuccess())
        return {};
    const QJsonObject me = response.json();
    const QString id = usableId(me.value(QStringLiteral("account_id")).toString());
    if (id.isEmpty())
        return {};
    return {id, me.value(QStringLiteral("name")).toObject().value(QStringLiteral("display_name")).toString()};
}

QString DropboxProvider::readSessionId(const SNResponse &response)
{
    return answerId(response, QStringLiteral("session_id"));
}

DropboxProvider::Stored DropboxProvider::readStored(const SNResponse &response)
{
    if (!response.isSuccess())
        return {};
    const QJsonObject metadata = response.json();
    const QString name = usableId(metadata.value(QStringLiteral("name")).toString());
    const QString path = metadata.value(QStringLiteral("path_lower")).toString();
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || path.isEmpty())
        return {};
    return {name, path};
}

QString DropboxProvider::readCreatedLink(const SNResponse &response)
{
    if (!response.isSuccess())
        return {};
    return webAddress(QUrl(response.json().value(QStringLiteral("url")).toString())).toString();
}

QString DropboxProvider::readListedLink(const SNResponse &response)
{
    if (!response.isSuccess())
        return {};
    const QJsonArray links = response.json().value(QStringLiteral("links")).toArray();
    return webAddress(QUrl(links.first().toObject().value(QStringLiteral("url")).toString())).toString();
}

std::optional<qint64> DropboxProvider::correctOffset(const SNResponse &response, bool committing, qint64 fileSize)
{
    const QJsonObject lookup = sessionError(response, committing);
    if (response.status != 409 || lookup.value(QStringLiteral(".tag")).toString() != QLatin1String("incorrect_offset"))
        return std::nullopt;
    const QJsonValue offset = lookup.value(QStringLiteral("correct_offset"));
    qint64 correct = -1;
    if (offset.isString()) {
        bool ok = false;
        correct = offset.toString().toLongLong(&ok);
        if (!ok)
            return std::nullopt;
    } else {
        // A number is a double in JSON: one past the file's end (or past what qint64 holds), or a fraction,
        // is no byte to go on from and is refused before it is converted.
        const double number = offset.toDouble(-1);
        if (number >= 0 && number <= double(fileSize) && number == std::floor(number))
            correct = qint64(number);
    }
    if (correct < 0 || correct > fileSize)
        return std::nullopt;
    return correct;
}

int DropboxProvider::failureCode(const SNResponse &response) const
{
    const QString summary = errorSummary(response);
    if (summary.contains(QLatin1String("missing_scope")))
        return SN_ERR_PRIVILEGE;
    if (summary.contains(QLatin1String("insufficient_space")) || summary.contains(QLatin1String("too_large")))
        return SN_ERR_FILE_TOO_LARGE;
    if (summary.contains(QLatin1String("too_many_write_operations"))
        || summary.contains(QLatin1String("too_many_requests")))
        return SN_ERR_TOO_OFTEN;
    if (summary.startsWith(QLatin1String("invalid_access_token"))
        || summary.startsWith(QLatin1String("expired_access_token")))
        return SN_ERR_AUTHORIZATION;
    return SNErrorMap::httpStatusCode(response.status);
}
