#include "RequestTokenDlg.h"

#include "MessageBoxes.h"
#include "SNService.h"

#include "ui_RequestTokenDlg.h"

#include <QDesktopServices>
#include <QUrl>

RequestTokenDlg::RequestTokenDlg(SNService *service, QWidget *parent)
    : SNJobStatusDialog(parent, OnDismiss::CancelJob, 0)
    , ui(std::make_unique<Ui::RequestTokenDlg>())
    , m_service(service)
{
    ui->setupUi(this);
}

RequestTokenDlg::~RequestTokenDlg() = default;

int RequestTokenDlg::start(const AccountRecord &account)
{
    m_account = account;
    return runJob(QStringLiteral("Connecting"));
}

void RequestTokenDlg::requestFor(SNService *service, const AccountRecord &account, QWidget *parent)
{
    RequestTokenDlg dialog(service, parent);
    placeOver(&dialog, parent);
    dialog.start(account);
}

void RequestTokenDlg::offerGrant(SNService *service, const AccountRecord &account, QWidget *parent,
                                 const QString &title, const QString &question)
{
    if (!service)
        return;
    MessageBoxes::Request request;
    request.parent = parent;
    request.title = title;
    request.icon = QMessageBox::Warning;
    request.text = question;
    request.buttons = QMessageBox::Yes | QMessageBox::No;
    if (MessageBoxes::exec(request) == QMessageBox::Yes)
        requestFor(service, account, parent);
}

int RequestTokenDlg::startJob(SNJob **job)
{
    return m_service->requestToken(&m_account, job, this);
}

QLabel *RequestTokenDlg::statusLabel() const
{
    return ui->lblStatus;
}

SNJobStatusDialog::StatusTexts RequestTokenDlg::statusTexts() const
{
    return {QStringLiteral("Connecting..."), QStringLiteral("Requset token..."),
            QStringLiteral("Requset token Failed!"), QStringLiteral("Requset token Compelete!")};
}

int RequestTokenDlg::completionExitCode(const QMap<QString, QVariant> &result)
{
    const auto redirect = result.constFind(QStringLiteral("redirect"));
    if (redirect != result.constEnd())
        QDesktopServices::openUrl(QUrl::fromUserInput(redirect->toString()));
    return 0;
}
