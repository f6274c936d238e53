#include "OAuthClient.h"

#include "BoundedAnswer.h"
#include "OAuthGrant.h"
#include "OAuthLoopbackListener.h"
#include "OAuthProtocol.h"
#include "SNAccountStore.h"
#include "SNErrorMap.h"
#include "SocialNetworkManager.h"
#include "UploadErrorCode.h"
#include "UploadLog.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>

namespace {

// Token answers are a few hundred bytes; a longer one is not a token answer.
constexpr qint64 kMaxAnswerBytes = 64 * 1024;
// RFC 8628: a "slow_down" answer adds this to the polling interval.
constexpr int kSlowDownStepMs = 5000;
// 32 random bytes give a 43-character verifier, the shortest RFC 7636 allows, with 256 bits of chance.
constexpr int kVerifierBytes = 32;
constexpr int kStateBytes = 24;

QString key(const QString &service, const QString &label)
{
    return service + QLatin1Char('\n') + label;
}

} // namespace

struct OAuthClient::Authorization
{
    QString service;
    QString label;
    OAuthConfig config;
    // Owned by the client; it deletes itself once finished.
    QPointer<OAuthLoopbackListener> listener;
    QString verifier;
    QString redirectUri;
    QTimer deadline;
    QTimer pollTimer;
    QString deviceCode;
    int pollIntervalMs = 0;
    QNetworkReply *reply = nullptr;
};

OAuthClient::OAuthClient(SocialNetworkManager *manager)
    : QObject(manager)
    , m_manager(manager)
{
}

OAuthClient::~OAuthClient()
{
    shutdown();
}

void OAuthClient::shutdown()
{
    const QStringList ids = m_authorizations.keys();
    for (const QString &id : ids)
        finishAuthorization(id);
    const auto refreshes = std::exchange(m_refreshes, {});
    for (const Refresh &refresh : refreshes) {
        if (refresh.reply)
            refresh.reply->abort();
    }
}

QNetworkReply *OAuthClient::postForm(const QUrl &url, const QList<QPair<QString, QString>> &fields,
                                     ReplyHandler handler)
{
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
    request.setRawHeader("Accept", "application/json");
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(m_manager->timings().interactiveStallMs);
    QNetworkReply *reply = m_manager->network()->post(request, OAuthProtocol::formBody(fields));
    auto *answer = new BoundedAnswer(reply, kMaxAnswerBytes, m_manager->timings().answerDeadlineMs);
    connect(reply, &QNetworkReply::finished, this, [reply, answer, url, handler = std::move(handler)] {
        reply->deleteLater();
        // An answer cut off at a bound has a status but no usable body: it counts as no answer.
        if (answer->failure() != BoundedAnswer::WITHIN_BOUNDS) {
            const bool tooLong = answer->failure() == BoundedAnswer::TOO_LONG;
            uploadLog(LogSystem::LOG_ERROR, "OAuthClient - the answer of %s %s", qUtf8Printable(url.host()),
                      tooLong ? "is too long; the connection is dropped" : "did not end in time");
            handler(0, {}, tooLong ? SN_ERR_DISCONNECTED : SN_ERR_TIMED_OUT);
            return;
        }
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const int transport = status != 0 ? 0 : SNErrorMap::transportCode(reply->error());
        handler(status, answer->body(), transport);
    });
    return reply;
}

void OAuthClient::authorize(const QString &service, const QString &label, const OAuthConfig &config, PageReady ready)
{
    // One request per service at a time: the user is at one consent page, and a service that takes only
    // registered redirect ports needs the port of the request before.
    const QStringList pending = m_authorizations.keys();
    for (const QString &other : pending) {
        if (m_authorizations.value(other)->service == service)
            finishAuthorization(other);
    }
    const QString id = key(service, label);
    auto authorization = std::make_shared<Authorization>();
    authorization->service = service;
    authorization->label = label;
    authorization->config = config;
    authorization->listener = new OAuthLoopbackListener(this);
    authorization->deadline.setSingleShot(true);
    connect(&authorization->deadline, &QTimer::timeout, this, [this, id] {
        uploadLog(LogSystem::LOG_NOTICE, "OAuthClient::authorize - no grant came back in time");
        finishAuthorization(id);
    });
    authorization->deadline.start(m_manager->timings().grantWaitMs);
    m_authorizations.insert(id, authorization);
    if (config.flow == OAuthConfig::FLOW_DEVICE)
        startDeviceFlow(*authorization, std::move(ready));
    else
        startCodeFlow(*authorization, std::move(ready));
}

void OAuthClient::startCodeFlow(Authorization &authorization, PageReady ready)
{
    const QString id = key(authorization.service, authorization.label);
    if (!authorization.listener->listen(authorization.config.redirectPorts)) {
        uploadLog(LogSystem::LOG_ERROR, "OAuthClient::authorize - no loopback port free for %s",
                  qUtf8Printable(authorization.service));
        finishAuthorization(id);
        ready(SN_ERR_CANNOT_CONNECT, {});
        return;
    }
    authorization.verifier = OAuthProtocol::randomToken(kVerifierBytes);
    const QString state = OAuthProtocol::randomToken(kStateBytes);
    authorization.redirectUri = authorization.listener->address(authorization.config.redirectPath).toString();
    authorization.listener->expectCallback(authorization.config.redirectPath, state);
    connect(authorization.listener, &OAuthLoopbackListener::callbackReceived, this,
            [this, id](const QString &code, const QString &error) {
                if (code.isEmpty()) {
                    uploadLog(LogSystem::LOG_NOTICE, "OAuthClient::authorize - permission not given (%s)",
                              qUtf8Printable(error.left(64)));
                    finishAuthorization(id);
                    return;
                }
                exchangeCode(id, code);
            });
    ready(0, OAuthProtocol::authorizationUrl(authorization.config, authorization.redirectUri, state,
                                             OAuthProtocol::pkceChallenge(authorization.verifier)));
}

void OAuthClient::exchangeCode(const QString &id, const QString &code)
{
    const auto found = m_authorizations.value(id);
    if (!found)
        return;
    Authorization &authorization = *found;
    QList<QPair<QString, QString>> fields{
        {QStringLiteral("grant_type"), QStringLiteral("authorization_code")},
        {QStringLiteral("code"), code},
        {QStringLiteral("redirect_uri"), authorization.redirectUri},
        {QStringLiteral("client_id"), authorization.config.clientId},
        {QStringLiteral("code_verifier"), authorization.verifier},
    };
    if (!authorization.config.clientSecret.isEmpty())
        fields.append({QStringLiteral("client_secret"), authorization.config.clientSecret});
    authorization.reply =
        postForm(authorization.config.tokenUrl, fields, [this, id](int status, const QByteArray &body, int) {
            const auto current = m_authorizations.value(id);
            if (!current)
                return;
            current->reply = nullptr;
            const OAuthProtocol::TokenAnswer answer = OAuthProtocol::parseTokenAnswer(status, body);
            if (answer.ok) {
                storeGrant(current->service, current->label, current->config.clientId, answer.accessToken,
                           answer.refreshToken, answer.scope, answer.expiresIn);
            } else {
                uploadLog(LogSystem::LOG_ERROR, "OAuthClient::exchangeCode - %s refused the code: status %d %s",
                          qUtf8Printable(current->service), status, qUtf8Printable(answer.error.left(64)));
            }
            finishAuthorization(id);
        });
}

void OAuthClient::startDeviceFlow(Authorization &authorization, PageReady ready)
{
    const QString id = key(authorization.service, authorization.label);
    const OAuthConfig &config = authorization.config;
    QList<QPair<QString, QString>> fields;
    if (config.deviceDialect == OAuthConfig::DEVICE_GRAPH)
        fields.append({QStringLiteral("access_token"), config.clientAccessToken});
    else
        fields.append({QStringLiteral("client_id"), config.clientId});
    if (!config.scope.isEmpty())
        fields.append({QStringLiteral("scope"), config.scope});
    authorization.reply = postForm(
        config.deviceCodeUrl, fields,
        [this, id, ready = std::move(ready)](int status, const QByteArray &body, int transport) {
            const auto current = m_authorizations.value(id);
            if (!current)
                return;
            current->reply = nullptr;
            const OAuthProtocol::DeviceCode device = OAuthProtocol::parseDeviceCode(body,
                                                                                    current->config.deviceDialect);
            int code = 0;
            if (transport != 0)
                code = transport;
            else if (status < 200 || status >= 300)
                code = SNErrorMap::httpStatusCode(status);
            else if (!device.ok)
                code = SN_ERR_PROTOCOL;
            else if (!current->listener->listen({}))
                code = SN_ERR_CANNOT_CONNECT;
            if (code != 0) {
                uploadLog(LogSystem::LOG_ERROR, "OAuthClient::authorize - device login of %s failed: status %d",
                          qUtf8Printable(current->service), status);
                finishAuthorization(id);
                ready(code, {});
                return;
            }
            const QString link = device.verificationUrl.toString(QUrl::FullyEncoded).toHtmlEscaped();
            current->listener->servePage(
                QStringLiteral("/"),
                QStringLiteral(
                    "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Quillo</title></head>"
                    "<body style=\"font-family: sans-serif; font-size: 16pt; margin: 3em;\">"
                    "<p>%1</p><p><a href=\"%2\">%2</a></p><p style=\"font-size: 32pt; letter-spacing: 0.2em;\">"
                    "<b>%3</b></p><p>%4</p></body></html>")
                    .arg(QCoreApplication::translate("OAuthClient", "Open this page and enter the code below:"), link,
                         device.userCode.toHtmlEscaped(),
                         QCoreApplication::translate("OAuthClient", "Then return to Quillo and press OK.")));
            current->deviceCode = device.deviceCode;
            const int devicePollMs = m_manager->timings().devicePollMs;
            current->pollIntervalMs = devicePollMs >= 0 ? devicePollMs : device.intervalSeconds * 1000;
            const int lifetimeMs = qMin(m_manager->timings().grantWaitMs, device.expiresInSeconds * 1000);
            current->deadline.start(lifetimeMs);
            current->pollTimer.setSingleShot(true);
            connect(&current->pollTimer, &QTimer::timeout, this, [this, id] { pollDevice(id); });
            current->pollTimer.start(current->pollIntervalMs);
            ready(0, current->listener->address(QStringLiteral("/")));
        });
}

void OAuthClient::pollDevice(const QString &id)
{
    const auto found = m_authorizations.value(id);
    if (!found)
        return;
    const OAuthConfig &config = found->config;
    QList<QPair<QString, QString>> fields;
    QUrl url;
    if (config.deviceDialect == OAuthConfig::DEVICE_GRAPH) {
        url = config.devicePollUrl;
        fields = {{QStringLiteral("access_token"), config.clientAccessToken},
                  {QStringLiteral("code"), found->deviceCode}};
    } else {
        url = config.tokenUrl;
        fields = {{QStringLiteral("grant_type"), QStringLiteral("urn:ietf:params:oauth:grant-type:device_code")},
                  {QStringLiteral("device_code"), found->deviceCode},
                  {QStringLiteral("client_id"), config.clientId}};
        if (!config.clientSecret.isEmpty())
            fields.append({QStringLiteral("client_secret"), config.clientSecret});
    }
    found->reply = postForm(url, fields, [this, id](int status, const QByteArray &body, int transport) {
        const auto current = m_authorizations.value(id);
        if (!current)
            return;
        current->reply = nullptr;
        const OAuthProtocol::DevicePoll poll = OAuthProtocol::parseDevicePoll(status, body,
                                                                              current->config.deviceDialect);
        switch (poll.state) {
        case OAuthProtocol::POLL_GRANTED:
            storeGrant(current->service, current->label, current->config.clientId, poll.token.accessToken,
                       poll.token.refreshToken, poll.token.scope, poll.token.expiresIn);
            finishAuthorization(id);
            return;
        case OAuthProtocol::POLL_SLOW_DOWN:
            current->pollIntervalMs += kSlowDownStepMs;
            break;
        case OAuthProtocol::POLL_PENDING:
            break;
        case OAuthProtocol::POLL_FAILED:
            // A dropped poll is tried again at the next turn; an answer we cannot read ends the login.
            if (transport != 0)
                break;
            Q_FALLTHROUGH();
        case OAuthProtocol::POLL_DENIED:
        case OAuthProtocol::POLL_EXPIRED:
            uploadLog(LogSystem::LOG_NOTICE, "OAuthClient::pollDevice - device login of %s ended without a grant",
                      qUtf8Printable(current->service));
            finishAuthorization(id);
            return;
        }
        current->pollTimer.start(current->pollIntervalMs);
    });
}

void OAuthClient::storeGrant(const QString &service, const QString &label, const QString &clientId,
                             const QString &accessToken, const QString &refreshToken, const QString &scope,
                             qint64 expiresIn)
{
    SNAccountStore *store = m_manager->accountStore();
    if (!store)
        return;
    OAuthGrant grant;
    grant.accessToken = accessToken;
    grant.refreshToken = refreshToken;
    grant.scope = scope;
    grant.clientId = clientId;
    if (expiresIn >= 0)
        grant.expiresAt = QDateTime::currentDateTimeUtc().addSecs(expiresIn);
    // A new grant may come from another account of the service: what was learnt about the old one goes.
    QMap<QString, QString> params;
    grant.writeTo(params);
    store->setParams(service, label, params);
    uploadLog(LogSystem::LOG_NOTICE, "OAuthClient - %s granted permission", qUtf8Printable(service));
}

void OAuthClient::finishAuthorization(const QString &id)
{
    const auto authorization = m_authorizations.take(id);
    if (!authorization)
        return;
    if (authorization->reply)
        authorization->reply->abort();
    if (authorization->listener)
        authorization->listener->finish();
}

void OAuthClient::refresh(const QString &service, const QString &label, const OAuthConfig &config, Done done)
{
    const QString id = key(service, label);
    auto running = m_refreshes.find(id);
    if (running != m_refreshes.end()) {
        running->waiting.append(std::move(done));
        return;
    }
    SNAccountStore *store = m_manager->accountStore();
    const OAuthGrant grant = OAuthGrant::fromParams(store ? store->params(service, label) : QMap<QString, QString>());
    if (grant.refreshToken.isEmpty()) {
        done(SN_ERR_AUTHORIZATION);
        return;
    }
    Refresh &refresh = m_refreshes[id];
    refresh.waiting.append(std::move(done));
    QList<QPair<QString, QString>> fields{
        {QStringLiteral("grant_type"), QStringLiteral("refresh_token")},
        {QStringLiteral("refresh_token"), grant.refreshToken},
        {QStringLiteral("client_id"), config.clientId},
    };
    if (!config.clientSecret.isEmpty())
        fields.append({QStringLiteral("client_secret"), config.clientSecret});
    refresh.reply = postForm(
        config.tokenUrl, fields, [this, id, service, label](int status, const QByteArray &body, int transport) {
            if (!m_refreshes.contains(id))
                return;
            m_refreshes[id].reply = nullptr;
            SNAccountStore *accountStore = m_manager->accountStore();
            const OAuthProtocol::TokenAnswer answer = OAuthProtocol::parseTokenAnswer(status, body);
            QMap<QString, QString> params = accountStore ? accountStore->params(service, label)
                                                         : QMap<QString, QString>();
            OAuthGrant storedGrant = OAuthGrant::fromParams(params);
            if (transport != 0) {
                finishRefresh(id, transport);
            } else if (storedGrant.isEmpty()) {
                // The account went while the renewal was under way: a token stored now would come back as a
                // pending grant nobody asked for.
                uploadLog(LogSystem::LOG_NOTICE, "OAuthClient::refresh - the %s account is gone; the answer is dropped",
                          qUtf8Printable(service));
                finishRefresh(id, SN_ERR_AUTHORIZATION);
            } else if (answer.ok) {
                storedGrant.accessToken = answer.accessToken;
                if (!answer.refreshToken.isEmpty())
                    storedGrant.refreshToken = answer.refreshToken;
                if (!answer.scope.isEmpty())
                    storedGrant.scope = answer.scope;
                storedGrant.expiresAt = answer.expiresIn >= 0
                                            ? QDateTime::currentDateTimeUtc().addSecs(answer.expiresIn)
                                            : QDateTime();
                storedGrant.writeTo(params);
                accountStore->setParams(service, label, params);
                finishRefresh(id, 0);
            } else if (answer.error == QLatin1String("invalid_grant")) {
                // Only this refusal says the permission itself is gone; a 400 or 401 for anything else (a rotated
                // client secret, a malformed request, a proxy) fails the renewal and keeps the grant.
                uploadLog(LogSystem::LOG_NOTICE, "OAuthClient::refresh - %s no longer accepts the grant; it is removed",
                          qUtf8Printable(service));
                accountStore->setParams(service, label, OAuthGrant::withoutGrant(params));
                finishRefresh(id, SN_ERR_AUTHORIZATION);
            } else {
                uploadLog(LogSystem::LOG_ERROR, "OAuthClient::refresh - %s answered status %d %s",
                          qUtf8Printable(service), status, qUtf8Printable(answer.error.left(64)));
                // The grant is kept, so the refusal is not "no permission" (which would ask for a new one).
                const bool refused = status == 400 || status == 401;
                finishRefresh(id, refused ? SN_ERR_PROTOCOL : SNErrorMap::httpStatusCode(status));
            }
        });
}

void OAuthClient::finishRefresh(const QString &id, int code)
{
    const Refresh refresh = m_refreshes.take(id);
    for (const Done &done : refresh.waiting)
        done(code);
}
