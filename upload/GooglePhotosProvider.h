#pragma once

#include "SNProvider.h"

// The photo service ("picasa"), today's photo library: Google sign-in as for the video service; a file goes
// up as bytes (in one request up to "simple_limit", else a resumable upload in requests of "chunk_size"),
// which gives an upload token; one batch creation then makes it an item in an album the program created,
// named by the application text (its id is kept with the account's grant). The id is the item's, the
// address its owner-only page. The service deletes nothing: removal fails with SN_ERR_NOT_SUPPORTED.
class GooglePhotosProvider : public SNProvider
{
public:
    QStringList requiredParameters() const override;
    QUrl defaultEndpoint(const QString &role) const override;
    OAuthConfig oauthConfig(const SNServiceContext &service) const override;
    qint64 maximumFileSize(bool isVideo) const override;
    void checkAccount(NetworkJob &job) override;
    void upload(NetworkJob &job) override;
    void remove(NetworkJob &job, const QString &path) override;
    int failureCode(const SNResponse &response) const override;
};
