#include "OAuthGrant.h"

namespace {

const QString kPrefix = QStringLiteral("grant.");
const QString kAccess = QStringLiteral("grant.access_token");
const QString kRefresh = QStringLiteral("grant.refresh_token");
const QString kExpires = QStringLiteral("grant.expires_at");
const QString kScope = QStringLiteral("grant.scope");
const QString kClient = QStringLiteral("grant.client_id");

} // namespace

OAuthGrant OAuthGrant::fromParams(const QMap<QString, QString> &params)
{
    OAuthGrant grant;
    grant.accessToken = params.value(kAccess);
    grant.refreshToken = params.value(kRefresh);
    grant.expiresAt = QDateTime::fromString(params.value(kExpires), Qt::ISODate);
    grant.scope = params.value(kScope);
    grant.clientId = params.value(kClient);
    return grant;
}

void OAuthGrant::writeTo(QMap<QString, QString> &params) const
{
    params = withoutGrant(params);
    const auto put = [&params](const QString &key, const QString &value) {
        if (!value.isEmpty())
            params.insert(key, value);
    };
    put(kAccess, accessToken);
    put(kRefresh, refreshToken);
    put(kExpires, expiresAt.isValid() ? expiresAt.toUTC().toString(Qt::ISODate) : QString());
    put(kScope, scope);
    put(kClient, clientId);
}

QMap<QString, QString> OAuthGrant::withoutGrant(const QMap<QString, QString> &params)
{
    QMap<QString, QString> rest;
    for (auto it = params.cbegin(); it != params.cend(); ++it) {
        if (!it.key().startsWith(kPrefix))
            rest.insert(it.key(), it.value());
    }
    return rest;
}
