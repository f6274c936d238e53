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
    : dialog(dialog)
{
}

ValidationProcess::~ValidationProcess()
{
    releaseJob();
}

void ValidationProcess::run(SNService *service, const AccountRecord &account, uint serviceBit)
{
    finished = false;
    this->serviceBit = serviceBit;
    this->service = service;
    this->account = account;
    if (!service) {
        // A service bit without a service handle: there is nothing to check the account with.
        jobFailed(nullptr, SN_ERR_UNREACHABLE);
        return;
    }

    SNJob *started = nullptr;
    int answer = service->startAccessJob(&this->account, &started, this);
    job = started;
    if (answer < 0) {
        if (serviceBit == SERVICE_YOUTUBE && account.userName.contains(QLatin1Char('@')))
            answer = SN_ERR_AT_IN_USER_NAME;
        jobFailed(job, answer);
        return;
    }
    if (!finished)
        loop.exec(QEventLoop::WaitForMoreEvents);
}

void ValidationProcess::cancelJob()
{
    if (job)
        job->cancel();
}

void ValidationProcess::jobConnecting(SNJob *)
{
    if (!finished)
        dialog->setConnecting(serviceBit, tr("Connecting..."));
}

void ValidationProcess::jobWorking(SNJob *)
{
    if (!finished)
        dialog->setConnecting(serviceBit, tr("Authenticating..."));
}

void ValidationProcess::jobCompleted(SNJob *, const QMap<QString, QVariant> &)
{
    if (finished)
        return;
    releaseJob();
    loop.exit(0);
    dialog->setValidated(serviceBit, tr("Validated Account!"));
    finished = true;
}

void ValidationProcess::jobFailed(SNJob *, int code)
{
    if (finished)
        return;
    releaseJob();
    loop.exit(-1);
    dialog->setFailed(serviceBit, code, UploadErrorTexts::validationRow(code));
    finished = true;
    if (code == SN_ERR_AUTHORIZATION) {
        // After the library's report has returned, so that the question does not run inside it.
        QTimer::singleShot(1, this, &ValidationProcess::tryTokenRequest);
    }
}

void ValidationProcess::tryTokenRequest()
{
    // A closed dialog asks nothing more.
    if (dialog->isCancelled())
        return;
    RequestTokenDlg::offerGrant(service, account, dialog, tr("Warning"),
                                tr("Quillo does not have permission to upload files to your account. Do you want to "
                                   "grant permission to Quillo?"));
}

void ValidationProcess::releaseJob()
{
    if (job)
        job->release();
    job = nullptr;
}
