#include "ValidationProgressDlg.h"

#include "SNService.h"
#include "UploadErrorCode.h"

#include "ui_ValidationProgressDlg.h"

ValidationProgressDlg::ValidationProgressDlg(SNService *service, QWidget *parent)
    : SNJobStatusDialog(parent, OnDismiss::CancelJob, SN_ERR_CANCELLED)
    , ui(std::make_unique<Ui::ValidationProgressDlg>())
    , m_service(service)
{
    ui->setupUi(this);
}

ValidationProgressDlg::~ValidationProgressDlg() = default;

int ValidationProgressDlg::start(const AccountRecord &account)
{
    m_account = account;
    return runJob(QStringLiteral("Connecting"));
}

int ValidationProgressDlg::startJob(SNJob **job)
{
    return m_service->startAccessJob(&m_account, job, this);
}

QLabel *ValidationProgressDlg::statusLabel() const
{
    return ui->lblStatus;
}

SNJobStatusDialog::StatusTexts ValidationProgressDlg::statusTexts() const
{
    return {QStringLiteral("Authenticating"), QStringLiteral("Authenticating"),
            QStringLiteral("Authentication Failed!"), QStringLiteral("Authentication Compelete!")};
}
