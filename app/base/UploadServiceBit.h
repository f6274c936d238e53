#pragma once

#include <QLatin1StringView>
#include <QString>

#include <array>

// The online services, one bit each; a set of services is the OR of their bits. Stored in media information
// files and in the schedule file, so the values never change.
enum UploadServiceBit : uint {
    SERVICE_YOUTUBE = 1,  // video sharing
    SERVICE_FACEBOOK = 2, // social network
    SERVICE_PICASA = 4,   // photo service
    SERVICE_TWITPIC = 8,  // picture posting
    SERVICE_DROPBOX = 16, // file hosting
};

// Each service bit with the name the upload library knows the service by, in the order the upload service
// keeps its service handles.
struct UploadServiceName
{
    UploadServiceBit bit;
    QLatin1StringView name;
};

inline constexpr std::array<UploadServiceName, 5> kUploadServiceNames{{
    {SERVICE_YOUTUBE, QLatin1StringView("youtube")},
    {SERVICE_PICASA, QLatin1StringView("picasa")},
    {SERVICE_FACEBOOK, QLatin1StringView("facebook")},
    {SERVICE_TWITPIC, QLatin1StringView("twitpic")},
    {SERVICE_DROPBOX, QLatin1StringView("dropboxOAuth")},
}};

// The library's name of a service bit; empty for anything that is not one bit of the table.
inline QString uploadServiceName(uint bit)
{
    for (const UploadServiceName &entry : kUploadServiceNames) {
        if (entry.bit == bit)
            return entry.name.toString();
    }
    return {};
}

// The bit of a library service name; 0 for an unknown name.
inline uint uploadServiceBit(const QString &name)
{
    for (const UploadServiceName &entry : kUploadServiceNames) {
        if (entry.name == name)
            return entry.bit;
    }
    return 0;
}
