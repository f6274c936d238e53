#include "FacebookServiceEmulation.h"

#include <QJsonArray>
#include <QRegularExpression>

namespace {

HttpReply graphError(int code, const QString &message, int subcode = 0)
{
    QJsonObject error{{QStringLiteral("message"), message},
                      {QStringLiteral("type"), QStringLiteral("OAuthException")},
                      {QStringLiteral("code"), code}};
    if (subcode != 0)
        error.insert(QStringLiteral("error_subcode"), subcode);
    return HttpReply::json(400, {{QStringLiteral("error"), error}});
}

QString queryValue(const RecordedRequest &request, const char *name)
{
    return request.query().queryItemValue(QString::fromLatin1(name), QUrl::FullyDecoded);
}

struct Part
{
    QString name;
    QString fileName;
    QByteArray data;
};

// A multipart/form-data body, split as a server reads it.
QList<Part> partsOf(const RecordedRequest &request)
{
    static const QRegularExpression boundaryParameter(QStringLiteral("boundary=\"?([^\";]+)"));
    const QRegularExpressionMatch match = boundaryParameter.match(QString::fromLatin1(request.header("Content-Type")));
    if (!match.hasMatch())
        return {};
    const QByteArray delimiter = "--" + match.captured(1).toLatin1();
    QList<Part> parts;
    qsizetype at = request.body.indexOf(delimiter);
    while (at >= 0) {
        const qsizetype start = at + delimiter.size();
        if (request.body.mid(start, 2) == "--")
            break;
        const qsizetype headersEnd = request.body.indexOf("\r\n\r\n", start);
        const qsizetype next = request.body.indexOf("\r\n" + delimiter, headersEnd);
        if (headersEnd < 0 || next < 0)
            return {};
        const QString headers = QString::fromUtf8(request.body.mid(start, headersEnd - start));
        static const QRegularExpression name(QStringLiteral("name=\"([^\"]*)\""));
        static const QRegularExpression fileName(QStringLiteral("filename=\"([^\"]*)\""));
        parts.append({name.match(headers).captured(1), fileName.match(headers).captured(1),
                      request.body.mid(headersEnd + 4, next - headersEnd - 4)});
        at = next + 2;
    }
    return parts;
}

} // namespace

FacebookServiceEmulation::FacebookServiceEmulation(LocalHttpServer &server)
    : m_server(server)
{
    server.route("POST", QStringLiteral("/*"), [this](const RecordedRequest &request) { return post(request); });
    server.route("GET", QStringLiteral("/*"), [this](const RecordedRequest &request) { return get(request); });
    const QString client = QString::fromLatin1(kAppId) + QLatin1Char('|') + QString::fromLatin1(kClientToken);
    server.route("POST", QStringLiteral("/device/login"), [this, client](const RecordedRequest &request) {
        if (request.formValue(QStringLiteral("access_token")) != client)
            return graphError(190, QStringLiteral("Invalid OAuth access token."));
        return HttpReply::json(200, {{QStringLiteral("code"), QStringLiteral("device-code-1")},
                                     {QStringLiteral("user_code"), userCode()},
                                     {QStringLiteral("verification_uri"),
                                      m_server.url(QStringLiteral("/device")).toString()},
                                     {QStringLiteral("expires_in"), 420},
                                     {QStringLiteral("interval"), 5}});
    });
    server.route("POST", QStringLiteral("/device/login_status"), [this, client](const RecordedRequest &request) {
        if (request.formValue(QStringLiteral("access_token")) != client
            || request.formValue(QStringLiteral("code")) != QLatin1String("device-code-1"))
            return graphError(100, QStringLiteral("Invalid parameter"));
        if (!m_approved)
            return graphError(31, QStringLiteral("User request pending"), 1349174);
        return HttpReply::json(200, {{QStringLiteral("access_token"), issueUserToken()},
                                     {QStringLiteral("expires_in"), 5183944}});
    });
    server.route("GET", QStringLiteral("/me/accounts"),
                 [this](const RecordedRequest &request) { return accounts(request); });
    server.onIncomplete([this](const RecordedRequest &request) {
        auto session = m_sessions.find(request.path().mid(1));
        if (request.method == "POST" && session != m_sessions.end()
            && request.header("file_offset").toLongLong() == session->data.size())
            session->data += request.body;
    });
}

FacebookServiceEmulation::Page FacebookServiceEmulation::classPage()
{
    return {QStringLiteral("104729385610"),
            QStringLiteral("Ms Teacher's Class"),
            QStringLiteral("page-token-1"),
            {QStringLiteral("ANALYZE"), QStringLiteral("MODERATE"), QStringLiteral("CREATE_CONTENT"),
             QStringLiteral("MANAGE")}};
}

QString FacebookServiceEmulation::issueUserToken()
{
    const QString token = QStringLiteral("EAAuser%1").arg(++m_serial);
    m_userTokens.insert(token);
    return token;
}

bool FacebookServiceEmulation::isUser(const RecordedRequest &request) const
{
    const QByteArray header = request.header("Authorization");
    const qsizetype space = header.indexOf(' ');
    return space > 0 && m_userTokens.contains(QString::fromLatin1(header.mid(space + 1)));
}

const FacebookServiceEmulation::Page *FacebookServiceEmulation::pageOf(const QString &id, const QString &token) const
{
    for (const Page &page : m_pages) {
        if (page.id == id && page.token == token)
            return &page;
    }
    return nullptr;
}

HttpReply FacebookServiceEmulation::accounts(const RecordedRequest &request) const
{
    if (!isUser(request))
        return graphError(190, QStringLiteral("Error validating access token"));
    const int after = queryValue(request, "after").toInt();
    QJsonArray data;
    for (int i = after; i < m_pages.size() && i < after + m_perList; ++i) {
        const Page &page = m_pages.at(i);
        data.append(QJsonObject{{QStringLiteral("id"), page.id},
                                {QStringLiteral("name"), page.name},
                                {QStringLiteral("access_token"), page.token},
                                {QStringLiteral("tasks"), QJsonArray::fromStringList(page.tasks)}});
    }
    QJsonObject paging;
    if (after + m_perList < m_pages.size()) {
        QUrl next = m_server.url(QStringLiteral("/me/accounts"));
        next.setQuery(QStringLiteral("after=%1").arg(after + m_perList));
        paging.insert(QStringLiteral("next"), next.toString());
    }
    return HttpReply::json(200, {{QStringLiteral("data"), data}, {QStringLiteral("paging"), paging}});
}

HttpReply FacebookServiceEmulation::post(const RecordedRequest &request)
{
    const QString path = request.path();
    static const QRegularExpression edge(QStringLiteral("^/([^/]+)/(photos|videos|uploads)$"));
    const QRegularExpressionMatch match = edge.match(path);
    if (path.startsWith(QLatin1String("/upload:")))
        return sessionBytes(request, path.mid(1));
    if (!match.hasMatch())
        return graphError(803, QStringLiteral("Unknown path components"));
    if (match.captured(2) == QLatin1String("photos"))
        return photoPost(request, match.captured(1));
    if (match.captured(2) == QLatin1String("videos"))
        return videoPost(request, match.captured(1));
    if (!isUser(request))
        return graphError(190, QStringLiteral("Error validating access token"));
    if (match.captured(1) != QLatin1String(kAppId))
        return graphError(100, QStringLiteral("Unknown app"));
    const QString id = QStringLiteral("upload:MTphdHRhY2htZW50%1").arg(++m_serial);
    m_sessions.insert(id, {queryValue(request, "file_length").toLongLong(), queryValue(request, "file_name"), {}});
    return HttpReply::json(200, {{QStringLiteral("id"), id}});
}

HttpReply FacebookServiceEmulation::sessionBytes(const RecordedRequest &request, const QString &id)
{
    if (!isUser(request) || !request.header("Authorization").startsWith("OAuth "))
        return graphError(190, QStringLiteral("Error validating access token"));
    auto session = m_sessions.find(id);
    if (session == m_sessions.end())
        return graphError(100, QStringLiteral("Invalid upload session"));
    if (request.header("file_offset").toLongLong() != session->data.size())
        return graphError(100, QStringLiteral("Invalid file offset"));
    session->data += request.body;
    if (session->data.size() != session->length)
        return graphError(100, QStringLiteral("Partial upload"));
    const QString handle = QStringLiteral("4:%1").arg(id.mid(7));
    m_handles.insert(handle, id);
    return HttpReply::json(200, {{QStringLiteral("h"), handle}});
}

HttpReply FacebookServiceEmulation::photoPost(const RecordedRequest &request, const QString &pageId)
{
    Post post;
    QString token;
    bool hasSource = false;
    const QList<Part> parts = partsOf(request);
    for (const Part &part : parts) {
        if (part.name == QLatin1String("access_token"))
            token = QString::fromUtf8(part.data);
        else if (part.name == QLatin1String("caption"))
            post.text = QString::fromUtf8(part.data);
        else if (part.name == QLatin1String("source"))
            hasSource = true, post.data = part.data, post.fileName = part.fileName;
    }
    if (!pageOf(pageId, token))
        return graphError(200, QStringLiteral("Requires pages_manage_posts permission"));
    if (!hasSource)
        return graphError(324, QStringLiteral("Requires upload file"));
    post.pageId = pageId;
    const QString id = QStringLiteral("9%1").arg(++m_serial, 11, 10, QLatin1Char('0'));
    m_photos.insert(id, post);
    return HttpReply::json(200,
                           {{QStringLiteral("id"), id}, {QStringLiteral("post_id"), pageId + QLatin1Char('_') + id}});
}

HttpReply FacebookServiceEmulation::videoPost(const RecordedRequest &request, const QString &pageId)
{
    if (!pageOf(pageId, request.formValue(QStringLiteral("access_token"))))
        return graphError(200, QStringLiteral("Requires publish_video permission"));
    const QString session = m_handles.value(request.formValue(QStringLiteral("fbuploader_video_file_chunk")));
    if (session.isEmpty())
        return graphError(100, QStringLiteral("Invalid file handle"));
    const Session &uploaded = m_sessions.value(session);
    const QString id = QStringLiteral("8%1").arg(++m_serial, 11, 10, QLatin1Char('0'));
    m_videos.insert(id, {pageId, uploaded.fileName, request.formValue(QStringLiteral("description")),
                         request.formValue(QStringLiteral("title")), uploaded.data});
    return HttpReply::json(200, {{QStringLiteral("id"), id}});
}

HttpReply FacebookServiceEmulation::get(const RecordedRequest &request) const
{
    const QString id = request.path().mid(1);
    if (id.startsWith(QLatin1String("upload:"))) {
        if (!isUser(request) || !m_sessions.contains(id))
            return graphError(190, QStringLiteral("Error validating access token"));
        return HttpReply::json(200,
                               {{QStringLiteral("id"), id},
                                {QStringLiteral("file_offset"), QString::number(m_sessions.value(id).data.size())}});
    }
    const QString token = queryValue(request, "access_token");
    const QString field = queryValue(request, "fields");
    if (m_photos.contains(id) && pageOf(m_photos.value(id).pageId, token) && field == QLatin1String("link"))
        return HttpReply::json(200, {{QStringLiteral("link"),
                                      QStringLiteral("https://www.facebook.test/photo.php?fbid=") + id},
                                     {QStringLiteral("id"), id}});
    if (m_videos.contains(id) && pageOf(m_videos.value(id).pageId, token) && field == QLatin1String("permalink_url"))
        return HttpReply::json(200, {{QStringLiteral("permalink_url"),
                                      QStringLiteral("/%1/videos/%2/").arg(m_videos.value(id).pageId, id)},
                                     {QStringLiteral("id"), id}});
    return graphError(100, QStringLiteral("Unsupported get request"));
}
