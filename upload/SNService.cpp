#include "SNService.h"

#include "UploadServiceBit.h"

SNService::~SNService() = default;

bool SNService::refusesUserName(const QString &serviceName, const QString &userName)
{
    return uploadServiceBit(serviceName) == SERVICE_YOUTUBE && userName.contains(QLatin1Char('@'));
}
