#include "UploadProcess.h"

#include "SNJob.h"
#include "SNService.h"
#include "UploadErrorCode.h"
#include "UploadLog.h"
#include "UploadProgressBar.h"
#include "UploadServiceBit.h"

UploadProcess::UploadProcess(SNService *service, UploadProgressBar *progressBar, uint serviceBit)
    : service(service)
    , progressBar(progressBar)
    , serviceBit(serviceBit)
{
}

UploadProcess::~UploadProcess() = default;

UploadResult UploadProcess::run(const AccountRecord &account, const QString &appName, const QString &filePath,
                                const QString &title, const QString &author, const QString &description,
                                const QStringList &keywords, bool isVideo)
{
    result = {};
    result.filePath = filePath;
    result.code = static_cast<int>(serviceBit);
    if (progressBar->isCancelled()) {
        jobFailed(nullptr, SN_ERR_CANCELLED);
    } else {
        this->filePath = filePath;
        this->title = title;
        AccountRecord uploading = account;
        SNJob *started = nullptr;
        const QMap<QString, QString> extra;
        const int answer =
            isVideo ? service->uploadVideoFile(&uploading, appName, filePath, title, author, description, keywords,
                                               extra, &started, this)
                    : service->uploadFile(&uploading, appName, filePath, title, author, description, keywords, extra,
                                          &started, this);
        job = started;
        if (answer >= 0) {
            jobOpen = job != nullptr;
            if (jobOpen)
                loop.exec(QEventLoop::WaitForMoreEvents);
        }
    }

    const UploadResult outcome = result;
    progressBar = nullptr;
    runReturned = true;
    if (!jobOpen)
        deleteLater();
    return outcome;
}

void UploadProcess::jobConnecting(SNJob *)
{
}

void UploadProcess::jobWorking(SNJob *)
{
}

void UploadProcess::uploadProgress(SNJob *, int kilobytes, int percent)
{
    if (progressBar)
        progressBar->updateProgress(title, service->name(), kilobytes, percent);
}

void UploadProcess::uploadedCompleted(SNJob *, const QString &id, const QString &url)
{
    const QString serviceName = service->name();
    uploadLog(LogSystem::LOG_DEBUG, "UploadProcess::uploadedCompleted() : %s upload success.",
              serviceName.toLatin1().constData());
    if (!runReturned) {
        result.code = static_cast<int>(serviceBit);
        result.filePath = filePath;
        result.text2 = url;
        // The file-hosting service answers the copy's whole path; the program keeps its name.
        result.text1 = serviceBit == SERVICE_DROPBOX ? id.section(QLatin1Char('/'), -1) : id;
        result.succeeded = true;
    }
    jobEnded();
}

void UploadProcess::jobFailed(SNJob *, int errorCode)
{
    const QString serviceName = service->name();
    if (errorCode == SN_ERR_CANCELLED)
        uploadLog(LogSystem::LOG_WARNING, "Cancel %s upload job!", serviceName.toLatin1().constData());
    else
        uploadLog(LogSystem::LOG_WARNING, "UploadProcess::uploadedCompleted():%s upload Fail!",
                  serviceName.toLatin1().constData());
    if (!runReturned) {
        result.code = static_cast<int>(serviceBit);
        result.filePath = filePath.isEmpty() ? result.filePath : filePath;
        result.text1.clear();
        result.text2.clear();
        result.succeeded = false;
    }
    jobEnded();
}

void UploadProcess::jobCompleted(SNJob *, const QMap<QString, QVariant> &)
{
    jobEnded();
}

void UploadProcess::jobEnded()
{
    loop.exit(0);
    if (!jobOpen)
        return;
    jobOpen = false;
    if (job)
        job->release();
    job = nullptr;
    if (runReturned)
        deleteLater();
}

void UploadProcess::reject()
{
    loop.exit(0);
    if (job)
        job->cancel();
}
