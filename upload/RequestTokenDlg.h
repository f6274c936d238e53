#pragma once

#include "AccountRecord.h"
#include "SNJobStatusDialog.h"

#include <memory>

class SNService;

namespace Ui {
class RequestTokenDlg;
}

// Asks the upload library for a grant to upload to an account and opens the service's permission page
// (the completion's "redirect") in the browser. After granting there the user repeats what failed.
// Dismissing the box cancels the request.
class RequestTokenDlg : public SNJobStatusDialog
{
    Q_OBJECT

public:
    RequestTokenDlg(SNService *service, QWidget *parent);
    ~RequestTokenDlg() override;

    // Runs the request for account; answers 0 after completion (and after a dismissal), the failure's
    // UploadErrorCode otherwise.
    int start(const AccountRecord &account);

    // Creates the box over parent, runs it for account and deletes it; what the account dialog, the
    // account validation and the upload service do once the user agreed to grant permission.
    static void requestFor(SNService *service, const AccountRecord &account, QWidget *parent);
    // Asks the user (title and question in the caller's words) whether to grant permission, and on Yes runs
    // the request. Nothing is asked without a service.
    static void offerGrant(SNService *service, const AccountRecord &account, QWidget *parent, const QString &title,
                           const QString &question);

protected:
    int startJob(SNJob **job) override;
    QLabel *statusLabel() const override;
    StatusTexts statusTexts() const override;
    int completionExitCode(const QMap<QString, QVariant> &result) override;

private:
    std::unique_ptr<Ui::RequestTokenDlg> ui;
    SNService *m_service;
    AccountRecord m_account;
};
