#pragma once

#include <QDateTime>
#include <QString>

class SNService;

// What the scheduled jobs and their manager need from the upload service: the library's handle of each
// service, the clock they are armed by, and the four reports the media library listens to. The upload
// service is the one host in the program; tests give a scripted one.
class ScheduleHost
{
public:
    virtual ~ScheduleHost() = default;

    // The handle of one service bit; null for anything else.
    virtual SNService *serviceHandle(uint serviceBit) const = 0;
    // The wall clock the jobs compare their start times with.
    virtual QDateTime currentDateTime() const = 0;

    virtual void emitUploadSucceeded(uint service, const QString &path, const QString &id, const QString &url) = 0;
    virtual void emitUploadFailed(uint service, const QString &path) = 0;
    virtual void emitUploadCancelled(uint service, const QString &path) = 0;
    virtual void emitUploadRetryTriggered(uint service, const QString &path) = 0;
};
