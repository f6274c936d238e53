#pragma once

#include <QString>
#include <QUrl>

// What a provider sees of its service: its name, its parameters and its addresses.
class SNServiceContext
{
public:
    virtual ~SNServiceContext() = default;

    virtual QString name() const = 0;
    // A value given through SNService::setParameter; empty when none was.
    virtual QString parameter(const QString &key) const = 0;
    // The base address of a role ("auth", "token", "api", "content", ...) with path appended to its path.
    // Tests and the demo point roles elsewhere (SocialNetworkManager::setEndpoint, Settings.ini).
    virtual QUrl endpoint(const QString &role, const QString &path = QString()) const = 0;
};
