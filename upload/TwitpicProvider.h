#pragma once

#include "SNProvider.h"

// The picture-posting service ("twitpic") has taken no uploads since it closed. Its name, stored accounts
// and icons stay, so that old settings and upload lists still read; every job fails as unreachable before
// anything is sent, and the callers show their own texts.
class TwitpicProvider : public SNProvider
{
public:
    bool isDiscontinued() const override { return true; }
    QUrl defaultEndpoint(const QString &role) const override;
    OAuthConfig oauthConfig(const SNServiceContext &service) const override;
    void checkAccount(NetworkJob &job) override;
    void upload(NetworkJob &job) override;
    void remove(NetworkJob &job, const QString &path) override;
};
