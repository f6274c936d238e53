#pragma once

#include <QDateTime>
#include <QMap>
#include <QString>

// A service's permission for one account, as the account store keeps it (params "grant.*"). Never logged.
struct OAuthGrant
{
    QString accessToken;
    QString refreshToken;
    // When the access token stops working, in UTC; invalid when the service did not say.
    QDateTime expiresAt;
    QString scope;
    // The client the grant was issued to: a grant of another client is of no use and is ignored.
    QString clientId;

    bool isEmpty() const { return accessToken.isEmpty() && refreshToken.isEmpty(); }

    static OAuthGrant fromParams(const QMap<QString, QString> &params);
    // Writes the grant's keys into params, leaving the others as they are.
    void writeTo(QMap<QString, QString> &params) const;
    // params without any grant key.
    static QMap<QString, QString> withoutGrant(const QMap<QString, QString> &params);
};
