#include "YouTubeServiceEmulation.h"

#include <QJsonArray>
#include <QRegularExpression>

namespace {

OAuthServerEmulation::Paths oauthPaths()
{
    OAuthServerEmulation::Paths paths;
    paths.authorize = QStringLiteral("/o/oauth2/v2/auth");
    paths.token = QStringLiteral("/token");
    return paths;
}

HttpReply googleError(int status, const QString &reason)
{
    const QJsonObject detail{{QStringLiteral("reason"), reason}};
    return HttpReply::json(status,
                           {{QStringLiteral("error"), QJsonObject{{QStringLiteral("code"), status},
                                                                  {QStringLiteral("errors"), QJsonArray{detail}}}}});
}

const QString kSessionPath = QStringLiteral("/upload/youtube/v3/videos");

} // namespace

YouTubeServiceEmulation::YouTubeServiceEmulation(LocalHttpServer &server)
    : m_server(server)
    , m_oauth(server, QString::fromLatin1(kClientId), oauthPaths())
{
    server.route("GET", QStringLiteral("/youtube/v3/channels"), [this](const RecordedRequest &request) {
        if (!m_oauth.isAuthorized(request))
            return googleError(401, QStringLiteral("authError"));
        QJsonArray items;
        if (m_hasChannel)
            items.append(QJsonObject{{QStringLiteral("id"), QString::fromLatin1(kChannelId)},
                                     {QStringLiteral("snippet"),
                                      QJsonObject{{QStringLiteral("title"), QStringLiteral("Ms Teacher")}}}});
        return HttpReply::json(200, {{QStringLiteral("items"), items}});
    });
    server.route("POST", kSessionPath, [this](const RecordedRequest &request) {
        if (!m_oauth.isAuthorized(request))
            return googleError(401, QStringLiteral("authError"));
        if (request.query().queryItemValue(QStringLiteral("uploadType")) != QLatin1String("resumable"))
            return googleError(400, QStringLiteral("badRequest"));
        const QJsonObject metadata = request.json();
        const QString title =
            metadata.value(QStringLiteral("snippet")).toObject().value(QStringLiteral("title")).toString();
        if (title.isEmpty() || title.size() > 100 || title.contains(QLatin1Char('<'))
            || title.contains(QLatin1Char('>')))
            return googleError(400, QStringLiteral("invalidTitle"));
        const QString id = QStringLiteral("u%1").arg(++m_serial);
        m_sessions.insert(id, {metadata, request.header("X-Upload-Content-Length").toLongLong(), {}, {}});
        QUrl location = m_server.url(kSessionPath);
        location.setQuery(QStringLiteral("uploadType=resumable&upload_id=") + id);
        return HttpReply::json(200, {}).header("Location", location.toEncoded());
    });
    server.route("PUT", kSessionPath, [this](const RecordedRequest &request) { return putChunk(request); });
    server.onIncomplete([this](const RecordedRequest &request) {
        if (request.method != "PUT")
            return;
        auto session = m_sessions.find(request.query().queryItemValue(QStringLiteral("upload_id")));
        static const QRegularExpression chunk(QStringLiteral("^bytes (\\d+)-"));
        const QRegularExpressionMatch match = chunk.match(QString::fromLatin1(request.header("Content-Range")));
        if (session != m_sessions.end() && match.hasMatch() && match.captured(1).toLongLong() == session->data.size())
            session->data += request.body;
    });
    server.route("DELETE", QStringLiteral("/youtube/v3/videos"), [this](const RecordedRequest &request) {
        if (!m_oauth.isAuthorized(request))
            return googleError(401, QStringLiteral("authError"));
        const QString id = request.query().queryItemValue(QStringLiteral("id"));
        if (!m_videos.remove(id))
            return googleError(404, QStringLiteral("videoNotFound"));
        m_metadata.remove(id);
        return HttpReply::text(204);
    });
}

HttpReply YouTubeServiceEmulation::putChunk(const RecordedRequest &request)
{
    if (!m_oauth.isAuthorized(request))
        return googleError(401, QStringLiteral("authError"));
    auto session = m_sessions.find(request.query().queryItemValue(QStringLiteral("upload_id")));
    if (session == m_sessions.end())
        return googleError(404, QStringLiteral("notFound"));
    const auto held = [&session]() {
        HttpReply reply = HttpReply::text(308);
        if (!session->data.isEmpty())
            reply.header("Range", "bytes=0-" + QByteArray::number(session->data.size() - 1));
        return reply;
    };
    static const QRegularExpression status(QStringLiteral("^bytes \\*/(\\d+)$"));
    static const QRegularExpression chunk(QStringLiteral("^bytes (\\d+)-(\\d+)/(\\d+)$"));
    const QString range = QString::fromLatin1(request.header("Content-Range"));
    // A finished session answers with its video, whatever is asked: the answer to the last request may
    // have been lost.
    if (session->done.isEmpty()) {
        if (!status.match(range).hasMatch()) {
            const QRegularExpressionMatch match = chunk.match(range);
            if (!match.hasMatch() || match.captured(1).toLongLong() != session->data.size())
                return googleError(400, QStringLiteral("badContentRange"));
            session->data += request.body;
        }
        if (session->data.size() < session->size)
            return held();
        session->done = QStringLiteral("dQw4w9WgXc%1").arg(++m_serial);
        m_videos.insert(session->done, session->data);
        m_metadata.insert(session->done, session->metadata);
    }
    return HttpReply::json(200, {{QStringLiteral("kind"), QStringLiteral("youtube#video")},
                                 {QStringLiteral("id"), session->done}});
}
