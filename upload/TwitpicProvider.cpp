#include "TwitpicProvider.h"

#include "NetworkJob.h"
#include "UploadErrorCode.h"

// The engine ends a discontinued service's jobs before any operation runs; these answer the same should
// one ever be reached.

QUrl TwitpicProvider::defaultEndpoint(const QString &) const
{
    return {};
}

OAuthConfig TwitpicProvider::oauthConfig(const SNServiceContext &) const
{
    return {};
}

void TwitpicProvider::checkAccount(NetworkJob &job)
{
    job.fail(SN_ERR_UNREACHABLE);
}

void TwitpicProvider::upload(NetworkJob &job)
{
    job.fail(SN_ERR_UNREACHABLE);
}

void TwitpicProvider::remove(NetworkJob &job, const QString &)
{
    job.fail(SN_ERR_UNREACHABLE);
}
