#pragma once

#include <QMap>
#include <QString>
#include <QVariant>

class SNJob;

// Receives the reports of one job of the upload library, always on the GUI thread and never from inside
// the call that started the job. A job ends with exactly one of jobFailed and jobCompleted (upload jobs:
// jobFailed or uploadedCompleted). Implementations should also be QObjects: the library then stops
// reporting to one that has been destroyed.
class SNAccessJobListener
{
public:
    virtual ~SNAccessJobListener() = default;

    virtual void jobConnecting(SNJob *job) = 0;
    virtual void jobWorking(SNJob *job) = 0;
    // A negative UploadErrorCode; a cancelled job ends here with SN_ERR_CANCELLED.
    virtual void jobFailed(SNJob *job, int code) = 0;
    // A token request's map holds "redirect", the address of the permission page.
    virtual void jobCompleted(SNJob *job, const QMap<QString, QVariant> &result) = 0;
};
