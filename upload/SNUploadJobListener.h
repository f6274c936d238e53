#pragma once

#include "SNAccessJobListener.h"

// Receives the reports of an upload job: progress, then uploadedCompleted or jobFailed.
class SNUploadJobListener : public SNAccessJobListener
{
public:
    virtual void uploadedCompleted(SNJob *job, const QString &id, const QString &url) = 0;
    // percent only rises and reaches 100 exactly once, just before uploadedCompleted; a job that fails never
    // reports 100. kilobytes is the amount of the file the service has taken so far.
    virtual void uploadProgress(SNJob *job, int kilobytes, int percent) = 0;
};
