#pragma once

#include "OAuthConfig.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

// The messages of OAuth 2 as pure functions over bytes: what is sent is built here, what comes back is
// read here, and nothing here touches the network.
class OAuthProtocol
{
public:
    // The answer of a token address (code exchange, refresh, device grant).
    struct TokenAnswer
    {
        bool ok = false;
        QString accessToken;
        QString refreshToken;
        QString scope;
        // Seconds the access token lives; -1 when the answer does not say.
        qint64 expiresIn = -1;
        // The service's error name ("invalid_grant"); empty on success or when the answer is unreadable.
        QString error;
    };

    struct DeviceCode
    {
        bool ok = false;
        QString deviceCode;
        QString userCode;
        QUrl verificationUrl;
        int expiresInSeconds = 0;
        int intervalSeconds = 0;
    };

    enum PollState {
        POLL_PENDING,
        POLL_SLOW_DOWN,
        POLL_GRANTED,
        POLL_DENIED,
        POLL_EXPIRED,
        // Anything else: the answer is unreadable or names an unknown error.
        POLL_FAILED,
    };
    struct DevicePoll
    {
        PollState state = POLL_FAILED;
        TokenAnswer token;
    };

    // What the browser brought to the loopback listener.
    struct Callback
    {
        // The request's path is the redirect path.
        bool matchesPath = false;
        QString code;
        QString state;
        QString error;
    };

    // An application/x-www-form-urlencoded body. Every character outside the unreserved set is
    // percent-encoded, "+" and "/" included, so that a value survives the server's form decoding as it is.
    static QByteArray formBody(const QList<QPair<QString, QString>> &fields);
    // The other direction: "+" stands for a space, then percent-decoding.
    static QList<QPair<QString, QString>> parseForm(const QByteArray &body);

    static TokenAnswer parseTokenAnswer(int status, const QByteArray &body);
    static DeviceCode parseDeviceCode(const QByteArray &body, OAuthConfig::DeviceDialect dialect);
    static DevicePoll parseDevicePoll(int status, const QByteArray &body, OAuthConfig::DeviceDialect dialect);
    // requestTarget is the second word of an HTTP request line ("/?code=...&state=...").
    static Callback parseCallback(const QByteArray &requestTarget, const QString &redirectPath);

    // A random text of the unreserved characters, from the system's random source.
    static QString randomToken(int bytes);
    // BASE64URL(SHA-256(verifier)) without padding (RFC 7636, S256).
    static QString pkceChallenge(const QString &verifier);
    // The consent page's address with the client, redirect, scope, state and challenge.
    static QUrl authorizationUrl(const OAuthConfig &config, const QString &redirectUri, const QString &state,
                                 const QString &challenge);
};
