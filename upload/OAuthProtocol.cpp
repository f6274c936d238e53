#include "OAuthProtocol.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QUrlQuery>

#include <algorithm>

namespace {

// Graph's device login answers its pending states as errors with these subcodes.
constexpr int kGraphPending = 1349174;
constexpr int kGraphSlowDown = 1349172;
constexpr int kGraphExpired = 1349152;

QString text(const QJsonObject &object, const char *key)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isString())
        return value.toString();
    if (value.isDouble())
        return QString::number(value.toInteger());
    return {};
}

qint64 number(const QJsonObject &object, const char *key, qint64 fallback)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isDouble())
        return value.toInteger(fallback);
    if (value.isString()) {
        bool ok = false;
        const qint64 parsed = value.toString().toLongLong(&ok);
        return ok ? parsed : fallback;
    }
    return fallback;
}

QString base64Url(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

} // namespace

QByteArray OAuthProtocol::formBody(const QList<QPair<QString, QString>> &fields)
{
    QByteArray body;
    for (const auto &[name, value] : fields) {
        if (!body.isEmpty())
            body += '&';
        body += QUrl::toPercentEncoding(name) + '=' + QUrl::toPercentEncoding(value);
    }
    return body;
}

QList<QPair<QString, QString>> OAuthProtocol::parseForm(const QByteArray &body)
{
    QList<QPair<QString, QString>> fields;
    const QList<QByteArray> pairs = body.split('&');
    for (QByteArray pair : pairs) {
        if (pair.isEmpty())
            continue;
        pair.replace('+', ' ');
        const qsizetype equals = pair.indexOf('=');
        const QByteArray name = equals < 0 ? pair : pair.left(equals);
        const QByteArray value = equals < 0 ? QByteArray() : pair.mid(equals + 1);
        fields.append({QString::fromUtf8(QByteArray::fromPercentEncoding(name)),
                       QString::fromUtf8(QByteArray::fromPercentEncoding(value))});
    }
    return fields;
}

OAuthProtocol::TokenAnswer OAuthProtocol::parseTokenAnswer(int status, const QByteArray &body)
{
    TokenAnswer answer;
    const QJsonObject object = QJsonDocument::fromJson(body).object();
    const QJsonValue error = object.value(QLatin1String("error"));
    if (error.isString())
        answer.error = error.toString();
    else if (error.isObject())
        answer.error = text(error.toObject(), "type");
    if (status < 200 || status >= 300 || !answer.error.isEmpty())
        return answer;
    answer.accessToken = text(object, "access_token");
    answer.refreshToken = text(object, "refresh_token");
    answer.scope = text(object, "scope");
    answer.expiresIn = number(object, "expires_in", -1);
    answer.ok = !answer.accessToken.isEmpty();
    return answer;
}

OAuthProtocol::DeviceCode OAuthProtocol::parseDeviceCode(const QByteArray &body, OAuthConfig::DeviceDialect dialect)
{
    DeviceCode answer;
    const QJsonObject object = QJsonDocument::fromJson(body).object();
    answer.deviceCode = text(object, dialect == OAuthConfig::DEVICE_GRAPH ? "code" : "device_code");
    answer.userCode = text(object, "user_code");
    QString address = text(object, "verification_uri");
    if (address.isEmpty())
        address = text(object, "verification_url");
    answer.verificationUrl = QUrl(address, QUrl::StrictMode);
    answer.expiresInSeconds = static_cast<int>(qBound(qint64(0), number(object, "expires_in", 0), qint64(24 * 3600)));
    // RFC 8628 says 5 seconds when the service does not say.
    answer.intervalSeconds = static_cast<int>(qBound(qint64(1), number(object, "interval", 5), qint64(3600)));
    const QString scheme = answer.verificationUrl.scheme();
    // The address is shown to the user and opened in the browser: it must be one a browser can go to.
    answer.ok = !answer.deviceCode.isEmpty() && !answer.userCode.isEmpty() && answer.expiresInSeconds > 0
                && answer.verificationUrl.isValid() && !answer.verificationUrl.host().isEmpty()
                && (scheme == QLatin1String("https") || scheme == QLatin1String("http"));
    return answer;
}

OAuthProtocol::DevicePoll OAuthProtocol::parseDevicePoll(int status, const QByteArray &body,
                                                         OAuthConfig::DeviceDialect dialect)
{
    DevicePoll poll;
    const QJsonObject object = QJsonDocument::fromJson(body).object();
    if (dialect == OAuthConfig::DEVICE_GRAPH && object.value(QLatin1String("error")).isObject()) {
        const QJsonObject error = object.value(QLatin1String("error")).toObject();
        switch (number(error, "error_subcode", 0)) {
        case kGraphPending:
            poll.state = POLL_PENDING;
            break;
        case kGraphSlowDown:
            poll.state = POLL_SLOW_DOWN;
            break;
        case kGraphExpired:
            poll.state = POLL_EXPIRED;
            break;
        default:
            poll.state = POLL_FAILED;
        }
        return poll;
    }
    poll.token = parseTokenAnswer(status, body);
    if (poll.token.ok) {
        poll.state = POLL_GRANTED;
        return poll;
    }
    const QString error = poll.token.error;
    if (error == QLatin1String("authorization_pending"))
        poll.state = POLL_PENDING;
    else if (error == QLatin1String("slow_down"))
        poll.state = POLL_SLOW_DOWN;
    else if (error == QLatin1String("access_denied"))
        poll.state = POLL_DENIED;
    else if (error == QLatin1String("expired_token"))
        poll.state = POLL_EXPIRED;
    else
        poll.state = POLL_FAILED;
    return poll;
}

OAuthProtocol::Callback OAuthProtocol::parseCallback(const QByteArray &requestTarget, const QString &redirectPath)
{
    Callback callback;
    // A request target is visible ASCII only (a browser percent-encodes the rest); the address parser would
    // silently drop some other bytes and hand on a code the service never gave.
    const bool visibleAscii = std::all_of(requestTarget.begin(), requestTarget.end(),
                                          [](char c) { return c > 0x20 && c < 0x7f; });
    if (!visibleAscii)
        return callback;
    const QUrl url(QString::fromLatin1(requestTarget), QUrl::StrictMode);
    if (!url.isValid() || !url.isRelative() || url.path() != redirectPath)
        return callback;
    callback.matchesPath = true;
    for (const auto &[name, value] : parseForm(url.query(QUrl::FullyEncoded).toLatin1())) {
        if (name == QLatin1String("code"))
            callback.code = value;
        else if (name == QLatin1String("state"))
            callback.state = value;
        else if (name == QLatin1String("error"))
            callback.error = value;
    }
    return callback;
}

QString OAuthProtocol::randomToken(int bytes)
{
    QByteArray random(bytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(random.data()), bytes / 4);
    return base64Url(random.left(bytes / 4 * 4));
}

QString OAuthProtocol::pkceChallenge(const QString &verifier)
{
    return base64Url(QCryptographicHash::hash(verifier.toLatin1(), QCryptographicHash::Sha256));
}

QUrl OAuthProtocol::authorizationUrl(const OAuthConfig &config, const QString &redirectUri, const QString &state,
                                     const QString &challenge)
{
    QList<QPair<QString, QString>> fields{
        {QStringLiteral("response_type"), QStringLiteral("code")},
        {QStringLiteral("client_id"), config.clientId},
        {QStringLiteral("redirect_uri"), redirectUri},
        {QStringLiteral("state"), state},
        {QStringLiteral("code_challenge"), challenge},
        {QStringLiteral("code_challenge_method"), QStringLiteral("S256")},
    };
    if (!config.scope.isEmpty())
        fields.append({QStringLiteral("scope"), config.scope});
    fields.append(config.authorizeParameters);
    QUrl url = config.authorizeUrl;
    QByteArray query = url.query(QUrl::FullyEncoded).toLatin1();
    if (!query.isEmpty())
        query += '&';
    url.setQuery(QString::fromLatin1(query + formBody(fields)), QUrl::StrictMode);
    return url;
}
