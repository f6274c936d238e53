#include "SampleServiceEmulation.h"

#include <QRegularExpression>

SampleServiceEmulation::SampleServiceEmulation(LocalHttpServer &server)
    : m_server(server)
    , m_oauth(server, QString::fromLatin1(kClientId))
{
    server.route("GET", QStringLiteral("/v1/me"), [this](const RecordedRequest &request) {
        if (!m_oauth.isAuthorized(request))
            return HttpReply::json(401, {{QStringLiteral("error"), QStringLiteral("invalid_token")}});
        return HttpReply::json(200, {{QStringLiteral("id"), QStringLiteral("user-7")},
                                     {QStringLiteral("name"), QStringLiteral("Ms Teacher")}});
    });
    server.route("POST", QStringLiteral("/v1/files"), [this](const RecordedRequest &request) {
        if (!m_oauth.isAuthorized(request))
            return HttpReply::json(401, {});
        return storeFile(request.query().queryItemValue(QStringLiteral("name")), request.body);
    });
    server.route("POST", QStringLiteral("/v1/sessions"), [this](const RecordedRequest &request) {
        if (!m_oauth.isAuthorized(request))
            return HttpReply::json(401, {});
        const QJsonObject metadata = request.json();
        const QString id = QStringLiteral("s%1").arg(++m_serial);
        m_sessions.insert(id, {metadata.value(QStringLiteral("name")).toString(),
                               metadata.value(QStringLiteral("size")).toInteger(),
                               {}});
        return HttpReply::json(200, {}).header("Location",
                                               m_server.url(QStringLiteral("/v1/sessions/") + id).toEncoded());
    });
    server.route("PUT", QStringLiteral("/v1/sessions/*"),
                 [this](const RecordedRequest &request) { return putChunk(request); });
    // A chunk cut off keeps what arrived of it, as resumable services do.
    server.onIncomplete([this](const RecordedRequest &request) {
        if (request.method != "PUT" || !request.path().startsWith(QLatin1String("/v1/sessions/")))
            return;
        auto session = m_sessions.find(request.path().mid(QStringLiteral("/v1/sessions/").size()));
        static const QRegularExpression chunk(QStringLiteral("^bytes (\\d+)-"));
        const QRegularExpressionMatch match = chunk.match(QString::fromLatin1(request.header("Content-Range")));
        if (session != m_sessions.end() && match.hasMatch() && match.captured(1).toLongLong() == session->data.size())
            session->data += request.body;
    });
    server.route("DELETE", QStringLiteral("/v1/files/*"), [this](const RecordedRequest &request) {
        if (!m_oauth.isAuthorized(request))
            return HttpReply::json(401, {});
        const QString name = request.path().mid(QStringLiteral("/v1/files/").size());
        const QString id = m_names.key(name);
        if (id.isEmpty())
            return HttpReply::json(404, {{QStringLiteral("error"), QStringLiteral("not_found")}});
        m_names.remove(id);
        m_files.remove(id);
        return HttpReply::text(204);
    });
}

HttpReply SampleServiceEmulation::storeFile(const QString &name, const QByteArray &data)
{
    const QString id = QStringLiteral("f%1").arg(++m_serial);
    m_files.insert(id, data);
    m_names.insert(id, name);
    return HttpReply::json(200, {{QStringLiteral("id"), id},
                                 {QStringLiteral("url"), m_server.url(QStringLiteral("/view/") + id).toString()}});
}

HttpReply SampleServiceEmulation::putChunk(const RecordedRequest &request)
{
    if (!m_oauth.isAuthorized(request))
        return HttpReply::json(401, {});
    const QString id = request.path().mid(QStringLiteral("/v1/sessions/").size());
    auto session = m_sessions.find(id);
    if (session == m_sessions.end())
        return HttpReply::json(404, {});
    const auto held = [&session]() {
        HttpReply reply = HttpReply::text(308);
        if (!session->data.isEmpty())
            reply.header("Range", "bytes=0-" + QByteArray::number(session->data.size() - 1));
        return reply;
    };
    static const QRegularExpression status(QStringLiteral("^bytes \\*/(\\d+)$"));
    static const QRegularExpression chunk(QStringLiteral("^bytes (\\d+)-(\\d+)/(\\d+)$"));
    const QString range = QString::fromLatin1(request.header("Content-Range"));
    if (status.match(range).hasMatch())
        return held();
    const QRegularExpressionMatch match = chunk.match(range);
    if (!match.hasMatch() || match.captured(1).toLongLong() != session->data.size())
        return HttpReply::json(400, {{QStringLiteral("error"), QStringLiteral("bad range")}});
    session->data += request.body;
    if (session->data.size() < session->size)
        return held();
    const Session done = *session;
    m_sessions.erase(session);
    return storeFile(done.name, done.data);
}
