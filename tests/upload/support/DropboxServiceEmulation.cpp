#include "DropboxServiceEmulation.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

namespace {

OAuthServerEmulation::Paths oauthPaths()
{
    OAuthServerEmulation::Paths paths;
    paths.authorize = QStringLiteral("/oauth2/authorize");
    paths.token = QStringLiteral("/oauth2/token");
    return paths;
}

// The header's argument; a header with bytes outside ASCII is refused, as the service does.
std::optional<QJsonObject> argumentOf(const RecordedRequest &request)
{
    const QByteArray raw = request.header("Dropbox-API-Arg");
    for (const char c : raw) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return std::nullopt;
    }
    const QJsonDocument document = QJsonDocument::fromJson(raw);
    if (!document.isObject())
        return std::nullopt;
    return document.object();
}

} // namespace

DropboxServiceEmulation::DropboxServiceEmulation(LocalHttpServer &server)
    : m_server(server)
    , m_oauth(server, QString::fromLatin1(kClientId), oauthPaths())
{
    const auto on = [this, &server](const char *path, std::function<HttpReply(const RecordedRequest &)> handler) {
        server.route("POST", QString::fromLatin1(path), [this, handler](const RecordedRequest &request) {
            if (const auto refused = refuse(request))
                return *refused;
            return handler(request);
        });
    };
    on("/2/users/get_current_account", [](const RecordedRequest &request) {
        if (!request.body.isEmpty() || !request.header("Content-Type").isEmpty())
            return HttpReply::text(400,
                                   "Error in call to API function \"users/get_current_account\": no body expected");
        return HttpReply::json(200, {{QStringLiteral("account_id"), QString::fromLatin1(kAccountId)},
                                     {QStringLiteral("name"),
                                      QJsonObject{{QStringLiteral("display_name"), QStringLiteral("Ms Teacher")}}}});
    });
    on("/2/files/upload", [this](const RecordedRequest &request) { return upload(request); });
    on("/2/files/upload_session/start", [this](const RecordedRequest &request) { return sessionStart(request); });
    on("/2/files/upload_session/append_v2",
       [this](const RecordedRequest &request) { return sessionAppend(request, false); });
    on("/2/files/upload_session/finish",
       [this](const RecordedRequest &request) { return sessionAppend(request, true); });
    on("/2/sharing/create_shared_link_with_settings",
       [this](const RecordedRequest &request) { return createLink(request); });
    on("/2/sharing/list_shared_links", [this](const RecordedRequest &request) { return listLinks(request); });
    on("/2/files/delete_v2", [this](const RecordedRequest &request) { return remove(request); });
}

void DropboxServiceEmulation::putFile(const QString &path, const QByteArray &data)
{
    m_files.insert(path.toLower(), {path, data});
}

std::optional<HttpReply> DropboxServiceEmulation::refuse(const RecordedRequest &request) const
{
    if (!m_oauth.isAuthorized(request))
        return error(401, QStringLiteral("expired_access_token/"),
                     {{QStringLiteral(".tag"), QStringLiteral("expired_access_token")}});
    if (m_failStatus != 0)
        return error(m_failStatus, m_failSummary, {});
    return std::nullopt;
}

HttpReply DropboxServiceEmulation::error(int status, const QString &summary, const QJsonObject &detail)
{
    return HttpReply::json(status, {{QStringLiteral("error_summary"), summary}, {QStringLiteral("error"), detail}});
}

QJsonObject DropboxServiceEmulation::metadata(const QString &key) const
{
    const Stored stored = m_files.value(key);
    return {{QStringLiteral(".tag"), QStringLiteral("file")},
            {QStringLiteral("name"), QFileInfo(stored.displayPath).fileName()},
            {QStringLiteral("path_lower"), key},
            {QStringLiteral("path_display"), stored.displayPath},
            {QStringLiteral("id"), QStringLiteral("id:a4ayc_80_OEAAAAAAAAA%1").arg(qHash(key))},
            {QStringLiteral("size"), stored.data.size()}};
}

HttpReply DropboxServiceEmulation::commit(const QJsonObject &commitInfo, const QByteArray &data)
{
    QString path = commitInfo.value(QStringLiteral("path")).toString();
    if (!path.startsWith(QLatin1Char('/'))
        || commitInfo.value(QStringLiteral("mode")).toString() != QLatin1String("add"))
        return error(400, QStringLiteral("path/malformed_path/"), {});
    if (m_files.contains(path.toLower())) {
        if (!commitInfo.value(QStringLiteral("autorename")).toBool())
            return error(409, QStringLiteral("path/conflict/file/"), {});
        const QFileInfo info(path);
        const QString stem = path.left(path.size() - info.fileName().size()) + info.completeBaseName();
        const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
        for (int n = 1; m_files.contains(path.toLower()); ++n)
            path = QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(suffix);
    }
    putFile(path, data);
    return HttpReply::json(200, metadata(path.toLower()));
}

HttpReply DropboxServiceEmulation::upload(const RecordedRequest &request)
{
    const auto argument = argumentOf(request);
    if (!argument)
        return HttpReply::text(400,
                               "Error in call to API function \"files/upload\": bad HTTP header \"Dropbox-API-Arg\"");
    return commit(*argument, request.body);
}

HttpReply DropboxServiceEmulation::sessionStart(const RecordedRequest &request)
{
    const QString id = QStringLiteral("AAAAAAAAAA_session%1").arg(++m_serial);
    m_sessions.insert(id, request.body);
    return HttpReply::json(200, {{QStringLiteral("session_id"), id}});
}

HttpReply DropboxServiceEmulation::sessionAppend(const RecordedRequest &request, bool finishing)
{
    const auto argument = argumentOf(request);
    if (!argument)
        return HttpReply::text(400, "bad HTTP header \"Dropbox-API-Arg\"");
    const QJsonObject cursor = argument->value(QStringLiteral("cursor")).toObject();
    const QString id = cursor.value(QStringLiteral("session_id")).toString();
    const qint64 offset = cursor.value(QStringLiteral("offset")).toVariant().toLongLong();
    const auto lookupError = [finishing](const QString &summary, const QJsonObject &detail) {
        if (!finishing)
            return error(409, summary, detail);
        return error(409, QStringLiteral("lookup_failed/") + summary,
                     {{QStringLiteral(".tag"), QStringLiteral("lookup_failed")},
                      {QStringLiteral("lookup_failed"), detail}});
    };
    if (!m_sessions.contains(id))
        return lookupError(QStringLiteral("not_found/"), {{QStringLiteral(".tag"), QStringLiteral("not_found")}});
    QByteArray &data = m_sessions[id];
    if (offset != data.size()) {
        return lookupError(QStringLiteral("incorrect_offset/"),
                           {{QStringLiteral(".tag"), QStringLiteral("incorrect_offset")},
                            {QStringLiteral("correct_offset"), data.size()}});
    }
    data.append(request.body);
    if (!finishing)
        return HttpReply::text(200, "null").header("Content-Type", "application/json");
    const QByteArray whole = m_sessions.take(id);
    return commit(argument->value(QStringLiteral("commit")).toObject(), whole);
}

HttpReply DropboxServiceEmulation::createLink(const RecordedRequest &request)
{
    const QString key = request.json().value(QStringLiteral("path")).toString().toLower();
    if (!m_files.contains(key))
        return error(409, QStringLiteral("path/not_found/"), {});
    if (m_links.contains(key))
        return error(409, QStringLiteral("shared_link_already_exists/"),
                     {{QStringLiteral(".tag"), QStringLiteral("shared_link_already_exists")}});
    const QString url = m_server.url(QStringLiteral("/s/link%1/").arg(++m_serial)).toString()
                        + QString::fromLatin1(QUrl::toPercentEncoding(QFileInfo(key).fileName()));
    m_links.insert(key, url);
    return HttpReply::json(200, {{QStringLiteral(".tag"), QStringLiteral("file")},
                                 {QStringLiteral("url"), url},
                                 {QStringLiteral("path_lower"), key}});
}

HttpReply DropboxServiceEmulation::listLinks(const RecordedRequest &request)
{
    const QString key = request.json().value(QStringLiteral("path")).toString().toLower();
    QJsonArray links;
    if (m_links.contains(key))
        links.append(QJsonObject{{QStringLiteral("url"), m_links.value(key)}, {QStringLiteral("path_lower"), key}});
    return HttpReply::json(200, {{QStringLiteral("links"), links}, {QStringLiteral("has_more"), false}});
}

HttpReply DropboxServiceEmulation::remove(const RecordedRequest &request)
{
    const QString key = request.json().value(QStringLiteral("path")).toString().toLower();
    if (!m_files.contains(key))
        return error(409, QStringLiteral("path_lookup/not_found/"), {});
    const QJsonObject removed = metadata(key);
    m_files.remove(key);
    m_links.remove(key);
    return HttpReply::json(200, {{QStringLiteral("metadata"), removed}});
}
