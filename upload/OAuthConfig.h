#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

// How a service hands out grants: the addresses, the client and what is asked for. A provider fills it
// from its parameters and endpoints; the OAuth client does the rest.
struct OAuthConfig
{
    enum Flow {
        // The browser opens the service's consent page, which sends the user back to a listener of ours on
        // 127.0.0.1 with a code (PKCE, S256); the code is exchanged at the token address.
        FLOW_AUTHORIZATION_CODE,
        // The service gives a short user code; a page of ours shows it with the service's address where the
        // user enters it, while the client polls for the grant.
        FLOW_DEVICE,
    };
    enum DeviceDialect {
        // RFC 8628: device_code, then the token address with the device-code grant type.
        DEVICE_RFC8628,
        // The social network's device login: code, then a login-status address answering error subcodes.
        DEVICE_GRAPH,
    };

    Flow flow = FLOW_AUTHORIZATION_CODE;
    QUrl authorizeUrl;
    QUrl tokenUrl;
    QUrl deviceCodeUrl;
    // DEVICE_GRAPH polls here; DEVICE_RFC8628 polls the token address.
    QUrl devicePollUrl;
    DeviceDialect deviceDialect = DEVICE_RFC8628;
    QString clientId;
    // Sent with code exchanges and refreshes when not empty (desktop clients of some services have one).
    QString clientSecret;
    // DEVICE_GRAPH identifies the client by this token instead of client_id ("app id|client token").
    QString clientAccessToken;
    QString scope;
    // Further parameters of the consent page, in order (offline access, consent prompt).
    QList<QPair<QString, QString>> authorizeParameters;
    // Ports the listener may take, tried in order, for services that accept only registered redirect
    // addresses; empty means any free port.
    QList<quint16> redirectPorts;
    QString redirectPath = QStringLiteral("/");
};
