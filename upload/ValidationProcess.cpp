#include "ValidationProcess.h"

#include "RequestTokenDlg.h"
#include "SNJob.h"
#include "SNService.h"
#include "UploadErrorCode.h"
#include "UploadErrorTexts.h"
#include "UploadServiceBit.h"
#include "ValidationAndResultDlg.h"

#include <QTimer>

ValidationProcess::ValidationProcess(ValidationAndResultDlg *dialog)
    : m_dialog(dialog)
{
}

ValidationProcess::~ValidationProcess()
{
    releaseJob();
}

void ValidationProcess::run(SNService *service, const AccountRecord &account, uint serviceBit)
{
    m_finished = false;
    m_serviceBit = serviceBit;
    m_service = service;
    m_account = account;
    if (!service) {
        // A service bit without a service handle: there is nothing to check the account with.
        jobFailed(nullptr, SN_ERR_UNREACHABLE);
        return;
    }

    SNJob *started = nullptr;
    int answer = service->startAccessJob(&m_account, &started, this);
    m_job = started;
    if (answer < 0) {
        if (serviceBit == SERVICE_YOUTUBE && account.userName.contains(QLatin1Char('@')))
            answer = SN_ERR_AT_IN_USER_NAME;
        jobFailed(m_job, answer);
        return;
    }
    if (!m_finished)
        m_loop.exec(QEventLoop::WaitForMoreEvents);
}

void ValidationProcess::cancelJob()
{
    if (m_job)
        m_job->cancel();
}

void ValidationProcess::jobConnecting(SNJob *)
{
    if (!m_finished)
        m_dialog->setConnecting(m_serviceBit, tr("Connecting..."));
}

void ValidationProcess::jobWorking(SNJob *)
{
    if (!m_finished)
        m_dialog->setConnecting(m_serviceBit, tr("Authenticating..."));
}

void ValidationProcess::jobCompleted(SNJob *, const QMap<QString, QVariant> &)
{
    if (m_finished)
        return;
    releaseJob();
    m_loop.exit(0);
    m_dialog->setValidated(m_serviceBit, tr("Validated Account!"));
    m_finished = true;
}

void ValidationProcess::jobFailed(SNJob *, int code)
{
    if (m_finished)
        return;
    releaseJob();
    m_loop.exit(-1);
    m_dialog->setFailed(m_serviceBit, code, UploadErrorTexts::validationRow(code));
    m_finished = true;
    if (code == SN_ERR_AUTHORIZATION) {
        // After the library's report has returned, so that the question does not run inside it.
        QTimer::singleShot(1, this, &ValidationProcess::tryTokenRequest);
    }
}

void ValidationProcess::tryTokenRequest()
{
    // A closed dialog asks nothing more.
    if (m_dialog->isCancelled())
        return;
    RequestTokenDlg::offerGrant(m_service, m_account, m_dialog, tr("Warning"),
                                tr("Quillo does not have permission to upload files to your account. Do you want to "
                                   "grant permission to Quillo?"));
}

void ValidationProcess::releaseJob()
{
    if (m_job)
        m_job->release();
    m_job = nullptr;
}
