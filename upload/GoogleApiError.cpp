#include "GoogleApiError.h"

#include "SNErrorMap.h"
#include "SNResponse.h"
#include "UploadErrorCode.h"

#include <QJsonArray>
#include <QJsonObject>

int GoogleApiError::code(const SNResponse &response)
{
    const QJsonObject error = response.json().value(QStringLiteral("error")).toObject();
    const QJsonArray errors = error.value(QStringLiteral("errors")).toArray();
    const QString reason = errors.first().toObject().value(QStringLiteral("reason")).toString();
    if (reason == QLatin1String("quotaExceeded") || reason == QLatin1String("rateLimitExceeded")
        || reason == QLatin1String("userRateLimitExceeded"))
        return SN_ERR_TOO_OFTEN;
    if (reason == QLatin1String("insufficientPermissions") || reason == QLatin1String("forbidden")
        || reason == QLatin1String("youtubeSignupRequired"))
        return SN_ERR_PRIVILEGE;
    // The account may not upload videos this long.
    if (reason == QLatin1String("uploadLimitExceeded"))
        return SN_ERR_FILE_TOO_LONG;
    return SNErrorMap::httpStatusCode(response.status);
}
