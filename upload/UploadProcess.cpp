#include "UploadProcess.h"

#include "SNJob.h"
#include "SNService.h"
#include "UploadErrorCode.h"
#include "UploadLog.h"
#include "UploadProgressBar.h"
#include "UploadServiceBit.h"

UploadProcess::UploadProcess(SNService *service, UploadProgressBar *progressBar, uint serviceBit)
    : m_service(service)
    , m_progressBar(progressBar)
    , m_serviceBit(serviceBit)
{
}

UploadProcess::~UploadProcess() = default;

UploadResult UploadProcess::run(const AccountRecord &account, const QString &appName, const QString &filePath,
                                const QString &title, const QString &author, const QString &description,
                                const QStringList &keywords, bool isVideo)
{
    // Path and service whatever happens; the rest only from the service's reports.
    m_result = {};
    m_result.filePath = filePath;
    m_result.code = static_cast<int>(m_serviceBit);
    if (m_progressBar->isCancelled()) {
        jobFailed(nullptr, SN_ERR_CANCELLED);
    } else {
        m_title = title;
        AccountRecord uploading = account;
        SNJob *started = nullptr;
        const QMap<QString, QString> extra;
        const int answer = isVideo ? m_service->uploadVideoFile(&uploading, appName, filePath, title, author,
                                                                description, keywords, extra, &started, this)
                                   : m_service->uploadFile(&uploading, appName, filePath, title, author, description,
                                                           keywords, extra, &started, this);
        m_job = started;
        if (answer >= 0 && m_job) {
            m_jobOpen = true;
            // A job freed without its end report (the library shutting down) ends the wait all the same.
            connect(m_job, &QObject::destroyed, this, [this] {
                m_job = nullptr;
                jobEnded();
            });
            m_loop.exec(QEventLoop::WaitForMoreEvents);
        }
    }

    const UploadResult outcome = m_result;
    m_progressBar = nullptr;
    m_runReturned = true;
    if (!m_jobOpen)
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
    if (m_progressBar)
        m_progressBar->updateProgress(m_title, m_service->name(), kilobytes, percent);
}

void UploadProcess::uploadedCompleted(SNJob *, const QString &id, const QString &url)
{
    const QString serviceName = m_service->name();
    uploadLog(LogSystem::LOG_DEBUG, "UploadProcess::uploadedCompleted() : %s upload success.",
              serviceName.toLatin1().constData());
    if (!m_runReturned) {
        m_result.text2 = url;
        // The file-hosting service answers the copy's whole path; the program keeps its name.
        m_result.text1 = m_serviceBit == SERVICE_DROPBOX ? id.section(QLatin1Char('/'), -1) : id;
        m_result.succeeded = true;
    }
    jobEnded();
}

void UploadProcess::jobFailed(SNJob *, int errorCode)
{
    const QString serviceName = m_service->name();
    if (errorCode == SN_ERR_CANCELLED)
        uploadLog(LogSystem::LOG_WARNING, "Cancel %s upload job!", serviceName.toLatin1().constData());
    else
        uploadLog(LogSystem::LOG_WARNING, "UploadProcess::uploadedCompleted():%s upload Fail!",
                  serviceName.toLatin1().constData());
    if (!m_runReturned) {
        m_result.text1.clear();
        m_result.text2.clear();
        m_result.succeeded = false;
    }
    jobEnded();
}

void UploadProcess::jobCompleted(SNJob *, const QMap<QString, QVariant> &)
{
    jobEnded();
}

void UploadProcess::jobEnded()
{
    m_loop.exit(0);
    if (!m_jobOpen)
        return;
    m_jobOpen = false;
    if (m_job) {
        disconnect(m_job, nullptr, this, nullptr);
        m_job->release();
    }
    m_job = nullptr;
    if (m_runReturned)
        deleteLater();
}

void UploadProcess::reject()
{
    m_loop.exit(0);
    if (m_job)
        m_job->cancel();
}
