#include "GooglePhotosServiceEmulation.h"

#include <QJsonArray>
#include <QUrlQuery>

namespace {

OAuthServerEmulation::Paths oauthPaths()
{
    OAuthServerEmulation::Paths paths;
    paths.authorize = QStringLiteral("/o/oauth2/v2/auth");
    paths.token = QStringLiteral("/token");
    return paths;
}

HttpReply unauthorized()
{
    return HttpReply::json(401, {{QStringLiteral("error"),
                                  QJsonObject{{QStringLiteral("code"), 401},
                                              {QStringLiteral("status"), QStringLiteral("UNAUTHENTICATED")}}}});
}

} // namespace

GooglePhotosServiceEmulation::GooglePhotosServiceEmulation(LocalHttpServer &server)
    : m_server(server)
    , m_oauth(server, QString::fromLatin1(kClientId), oauthPaths())
{
    server.route("GET", QStringLiteral("/v1/albums"), [this](const RecordedRequest &request) {
        if (!m_oauth.isAuthorized(request))
            return unauthorized();
        const QUrlQuery query = request.query();
        // 20 albums a page unless asked otherwise, 50 at most.
        const int size = qBound(1,
                                query.hasQueryItem(QStringLiteral("pageSize"))
                                    ? query.queryItemValue(QStringLiteral("pageSize")).toInt()
                                    : 20,
                                50);
        const int from = query.queryItemValue(QStringLiteral("pageToken")).toInt();
        QJsonArray albums;
        for (int i = from; i < m_albumOrder.size() && i < from + size; ++i)
            albums.append(QJsonObject{{QStringLiteral("id"), m_albumOrder.at(i)},
                                      {QStringLiteral("title"), m_albums.value(m_albumOrder.at(i))}});
        QJsonObject answer{{QStringLiteral("albums"), albums}};
        if (from + size < m_albumOrder.size())
            answer.insert(QStringLiteral("nextPageToken"), QString::number(from + size));
        return HttpReply::json(200, answer);
    });
    server.route("POST", QStringLiteral("/v1/albums"), [this](const RecordedRequest &request) {
        if (!m_oauth.isAuthorized(request))
            return unauthorized();
        const QString title =
            request.json().value(QStringLiteral("album")).toObject().value(QStringLiteral("title")).toString();
        const QString id = addAlbum(title);
        return HttpReply::json(200, {{QStringLiteral("id"), id}, {QStringLiteral("title"), title}});
    });
    server.route("POST", QStringLiteral("/v1/uploads"),
                 [this](const RecordedRequest &request) { return uploads(request); });
    server.route("POST", QStringLiteral("/v1/uploads/session/*"),
                 [this](const RecordedRequest &request) { return session(request); });
    server.onIncomplete([this](const RecordedRequest &request) {
        auto found = m_sessions.find(request.path().section(QLatin1Char('/'), -1));
        if (found != m_sessions.end() && request.header("X-Goog-Upload-Offset").toLongLong() == found->data.size())
            found->data += request.body;
    });
    server.route("POST", QStringLiteral("/v1/mediaItems:batchCreate"),
                 [this](const RecordedRequest &request) { return batchCreate(request); });
}

QString GooglePhotosServiceEmulation::addAlbum(const QString &title)
{
    const QString id = QStringLiteral("AF1Qip_album%1").arg(++m_serial);
    m_albums.insert(id, title);
    m_albumOrder.append(id);
    return id;
}

QString GooglePhotosServiceEmulation::newToken(const QByteArray &data)
{
    const QString token = QStringLiteral("CAIS+token/%1").arg(++m_serial);
    m_tokens.insert(token, data);
    return token;
}

HttpReply GooglePhotosServiceEmulation::uploads(const RecordedRequest &request)
{
    if (!m_oauth.isAuthorized(request))
        return unauthorized();
    if (request.header("X-Goog-Upload-Protocol") == "raw")
        return HttpReply::text(200, newToken(request.body).toUtf8());
    if (request.header("X-Goog-Upload-Protocol") != "resumable" || request.header("X-Goog-Upload-Command") != "start")
        return HttpReply::text(400, "bad upload request");
    const QString id = QStringLiteral("s%1").arg(++m_serial);
    m_sessions.insert(id, {request.header("X-Goog-Upload-Raw-Size").toLongLong(), {}, {}});
    return HttpReply::text(200)
        .header("X-Goog-Upload-Status", "active")
        .header("X-Goog-Upload-URL", m_server.url(QStringLiteral("/v1/uploads/session/") + id).toEncoded());
}

HttpReply GooglePhotosServiceEmulation::session(const RecordedRequest &request)
{
    auto found = m_sessions.find(request.path().section(QLatin1Char('/'), -1));
    if (found == m_sessions.end())
        return HttpReply::text(404);
    const QByteArray command = request.header("X-Goog-Upload-Command");
    const auto state = [&found]() {
        if (!found->token.isEmpty())
            return HttpReply::text(200, found->token.toUtf8()).header("X-Goog-Upload-Status", "final");
        return HttpReply::text(200)
            .header("X-Goog-Upload-Status", "active")
            .header("X-Goog-Upload-Size-Received", QByteArray::number(found->data.size()));
    };
    if (command == "query")
        return state();
    if (!found->token.isEmpty())
        return state();
    if (request.header("X-Goog-Upload-Offset").toLongLong() != found->data.size())
        return HttpReply::text(400, "bad offset");
    found->data += request.body;
    if (command == "upload")
        return state();
    if (command != "upload, finalize" || found->data.size() != found->size)
        return HttpReply::text(400, "bad finalize");
    found->token = newToken(found->data);
    return state();
}

HttpReply GooglePhotosServiceEmulation::batchCreate(const RecordedRequest &request)
{
    if (!m_oauth.isAuthorized(request))
        return unauthorized();
    const QJsonObject body = request.json();
    const QString album = body.value(QStringLiteral("albumId")).toString();
    if (!m_albums.contains(album))
        return HttpReply::json(400, {{QStringLiteral("error"), QJsonObject{{QStringLiteral("code"), 400}}}});
    QJsonArray results;
    for (const QJsonValue &value : body.value(QStringLiteral("newMediaItems")).toArray()) {
        const QJsonObject item = value.toObject();
        const QJsonObject simple = item.value(QStringLiteral("simpleMediaItem")).toObject();
        const QString token = simple.value(QStringLiteral("uploadToken")).toString();
        const QString description = item.value(QStringLiteral("description")).toString();
        if (m_refuseCode != 0 || !m_tokens.contains(token) || description.size() > 1000) {
            const int code = m_refuseCode != 0 ? m_refuseCode : 3;
            results.append(QJsonObject{{QStringLiteral("uploadToken"), token},
                                       {QStringLiteral("status"),
                                        QJsonObject{{QStringLiteral("code"), code},
                                                    {QStringLiteral("message"), m_refuseMessage}}}});
            m_refuseCode = 0;
            continue;
        }
        const QString id = QStringLiteral("AGj1epU_item%1").arg(++m_serial);
        m_items.insert(id,
                       {m_tokens.take(token), album, description, simple.value(QStringLiteral("fileName")).toString()});
        results.append(QJsonObject{
            {QStringLiteral("uploadToken"), token},
            {QStringLiteral("status"), QJsonObject{{QStringLiteral("message"), QStringLiteral("Success")}}},
            {QStringLiteral("mediaItem"),
             QJsonObject{{QStringLiteral("id"), id},
                         {QStringLiteral("productUrl"), m_server.url(QStringLiteral("/lr/photo/") + id).toString()}}}});
    }
    return HttpReply::json(200, {{QStringLiteral("newMediaItemResults"), results}});
}
