#pragma once

#include "LocalHttpServer.h"

#include <QHash>
#include <QSet>
#include <QString>

// The authorization server of a service, emulated on a LocalHttpServer as OAuth 2 documents it:
// - GET <authorize> checks the client, the loopback redirect and the S256 challenge, then sends the
//   browser back to the redirect with a code and the state (or error=access_denied);
// - POST <token> exchanges a code (checking redirect and PKCE verifier), refreshes (invalid_grant once
//   refresh tokens are revoked) and answers device-code polls;
// - POST <device> hands out a device code and a user code.
// Codes hold "/" and "+" by default, as real ones do, to catch encoding faults.
class OAuthServerEmulation
{
public:
    struct Paths
    {
        QString authorize = QStringLiteral("/oauth/authorize");
        QString token = QStringLiteral("/oauth/token");
        QString device = QStringLiteral("/oauth/device");
    };

    OAuthServerEmulation(LocalHttpServer &server, const QString &clientId);
    OAuthServerEmulation(LocalHttpServer &server, const QString &clientId, const Paths &paths);

    void setNextCode(const QString &code) { m_nextCode = code; }
    void denyNextAuthorization() { m_denyNext = true; }
    void setAccessTokenLifetime(int seconds) { m_lifetimeSeconds = seconds; }
    // Hands out no refresh token with new grants.
    void setIssueRefreshTokens(bool issue) { m_issueRefreshTokens = issue; }
    void revokeRefreshTokens() { m_refreshTokens.clear(); }
    void revokeAccessTokens() { m_accessTokens.clear(); }
    void approveDevice() { m_deviceState = DEVICE_APPROVED; }
    void denyDevice() { m_deviceState = DEVICE_DENIED; }
    void expireDevice() { m_deviceState = DEVICE_EXPIRED; }

    // Hands out an access and a refresh token as a grant would, for tests that start with an account.
    QPair<QString, QString> issueTokens();

    // "Authorization: Bearer <a token handed out and not revoked>"
    bool isAuthorized(const RecordedRequest &request) const;
    QString lastAccessToken() const { return m_lastAccessToken; }
    QString lastRefreshToken() const { return m_lastRefreshToken; }
    int refreshCount() const { return m_refreshCount; }
    int exchangeCount() const { return m_exchangeCount; }
    QString userCode() const { return QStringLiteral("WDJB-MJHT"); }

private:
    enum DeviceState { DEVICE_NONE, DEVICE_PENDING, DEVICE_APPROVED, DEVICE_DENIED, DEVICE_EXPIRED };
    struct IssuedCode
    {
        QString challenge;
        QString redirectUri;
    };

    HttpReply authorize(const RecordedRequest &request);
    HttpReply token(const RecordedRequest &request);
    HttpReply device(const RecordedRequest &request);
    HttpReply tokenAnswer();

    LocalHttpServer &m_server;
    QString m_clientId;
    QString m_nextCode = QStringLiteral("4/0Ab+Cd/Ef==");
    bool m_denyNext = false;
    int m_lifetimeSeconds = 3600;
    bool m_issueRefreshTokens = true;
    QHash<QString, IssuedCode> m_codes;
    QSet<QString> m_accessTokens;
    QSet<QString> m_refreshTokens;
    QString m_lastAccessToken;
    QString m_lastRefreshToken;
    int m_serial = 0;
    int m_refreshCount = 0;
    int m_exchangeCount = 0;
    DeviceState m_deviceState = DEVICE_NONE;
};
