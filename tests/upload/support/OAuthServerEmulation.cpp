#include "OAuthServerEmulation.h"

#include <QCryptographicHash>

namespace {

HttpReply oauthError(const QString &error)
{
    return HttpReply::json(400, {{QStringLiteral("error"), error}});
}

} // namespace

OAuthServerEmulation::OAuthServerEmulation(LocalHttpServer &server, const QString &clientId)
    : OAuthServerEmulation(server, clientId, Paths())
{
}

OAuthServerEmulation::OAuthServerEmulation(LocalHttpServer &server, const QString &clientId, const Paths &paths)
    : m_server(server)
    , m_clientId(clientId)
{
    server.route("GET", paths.authorize, [this](const RecordedRequest &request) { return authorize(request); });
    server.route("POST", paths.token, [this](const RecordedRequest &request) { return token(request); });
    server.route("POST", paths.device, [this](const RecordedRequest &request) { return device(request); });
}

bool OAuthServerEmulation::isAuthorized(const RecordedRequest &request) const
{
    const QByteArray header = request.header("Authorization");
    return header.startsWith("Bearer ") && m_accessTokens.contains(QString::fromLatin1(header.mid(7)));
}

HttpReply OAuthServerEmulation::authorize(const RecordedRequest &request)
{
    const QUrlQuery query = request.query();
    const auto value = [&query](const char *name) {
        return query.queryItemValue(QString::fromLatin1(name), QUrl::FullyDecoded);
    };
    const QUrl redirect(value("redirect_uri"));
    if (value("response_type") != QLatin1String("code") || value("client_id") != m_clientId
        || redirect.host() != QLatin1String("127.0.0.1") || redirect.scheme() != QLatin1String("http")
        || value("code_challenge_method") != QLatin1String("S256") || value("code_challenge").isEmpty()
        || value("state").isEmpty())
        return HttpReply::text(400, "bad authorization request");
    QByteArray back;
    if (m_denyNext) {
        m_denyNext = false;
        back = "error=access_denied";
    } else {
        m_codes.insert(m_nextCode, {value("code_challenge"), value("redirect_uri")});
        back = "code=" + QUrl::toPercentEncoding(m_nextCode);
    }
    back += "&state=" + QUrl::toPercentEncoding(value("state"));
    QUrl location = redirect;
    location.setQuery(QString::fromLatin1(back), QUrl::StrictMode);
    return HttpReply::text(302).header("Location", location.toEncoded());
}

QPair<QString, QString> OAuthServerEmulation::issueTokens()
{
    tokenAnswer();
    return {m_lastAccessToken, m_issueRefreshTokens ? m_lastRefreshToken : QString()};
}

HttpReply OAuthServerEmulation::tokenAnswer()
{
    ++m_serial;
    m_lastAccessToken = QStringLiteral("at-%1").arg(m_serial);
    m_accessTokens.insert(m_lastAccessToken);
    QJsonObject answer{{QStringLiteral("access_token"), m_lastAccessToken},
                       {QStringLiteral("token_type"), QStringLiteral("Bearer")},
                       {QStringLiteral("expires_in"), m_lifetimeSeconds}};
    if (m_issueRefreshTokens) {
        m_lastRefreshToken = QStringLiteral("rt/%1+x").arg(m_serial);
        m_refreshTokens.insert(m_lastRefreshToken);
        answer.insert(QStringLiteral("refresh_token"), m_lastRefreshToken);
    }
    return HttpReply::json(200, answer);
}

HttpReply OAuthServerEmulation::token(const RecordedRequest &request)
{
    const QString grantType = request.formValue(QStringLiteral("grant_type"));
    if (request.formValue(QStringLiteral("client_id")) != m_clientId)
        return HttpReply::json(401, {{QStringLiteral("error"), QStringLiteral("invalid_client")}});
    if (grantType == QLatin1String("authorization_code")) {
        const QString code = request.formValue(QStringLiteral("code"));
        const auto issued = m_codes.constFind(code);
        if (issued == m_codes.cend())
            return oauthError(QStringLiteral("invalid_grant"));
        const QString verifier = request.formValue(QStringLiteral("code_verifier"));
        const QString challenge =
            QString::fromLatin1(QCryptographicHash::hash(verifier.toLatin1(), QCryptographicHash::Sha256)
                                    .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
        const bool valid = challenge == issued->challenge
                           && request.formValue(QStringLiteral("redirect_uri")) == issued->redirectUri;
        m_codes.remove(code);
        if (!valid)
            return oauthError(QStringLiteral("invalid_grant"));
        ++m_exchangeCount;
        return tokenAnswer();
    }
    if (grantType == QLatin1String("refresh_token")) {
        ++m_refreshCount;
        if (!m_refreshTokens.contains(request.formValue(QStringLiteral("refresh_token"))))
            return oauthError(QStringLiteral("invalid_grant"));
        ++m_serial;
        m_lastAccessToken = QStringLiteral("at-%1").arg(m_serial);
        m_accessTokens.insert(m_lastAccessToken);
        return HttpReply::json(200, {{QStringLiteral("access_token"), m_lastAccessToken},
                                     {QStringLiteral("expires_in"), m_lifetimeSeconds}});
    }
    if (grantType == QLatin1String("urn:ietf:params:oauth:grant-type:device_code")) {
        if (request.formValue(QStringLiteral("device_code")) != QLatin1String("device-1"))
            return oauthError(QStringLiteral("invalid_grant"));
        switch (m_deviceState) {
        case DEVICE_PENDING:
            return oauthError(QStringLiteral("authorization_pending"));
        case DEVICE_APPROVED:
            m_deviceState = DEVICE_NONE;
            return tokenAnswer();
        case DEVICE_DENIED:
            return oauthError(QStringLiteral("access_denied"));
        default:
            return oauthError(QStringLiteral("expired_token"));
        }
    }
    return oauthError(QStringLiteral("unsupported_grant_type"));
}

HttpReply OAuthServerEmulation::device(const RecordedRequest &request)
{
    if (request.formValue(QStringLiteral("client_id")) != m_clientId)
        return HttpReply::json(401, {{QStringLiteral("error"), QStringLiteral("invalid_client")}});
    m_deviceState = DEVICE_PENDING;
    return HttpReply::json(200,
                           {{QStringLiteral("device_code"), QStringLiteral("device-1")},
                            {QStringLiteral("user_code"), userCode()},
                            {QStringLiteral("verification_uri"), m_server.url(QStringLiteral("/device")).toString()},
                            {QStringLiteral("expires_in"), 600},
                            {QStringLiteral("interval"), 1}});
}
