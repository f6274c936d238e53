#pragma once

#include "AccountRecord.h"
#include "SNJobStatusDialog.h"

#include <memory>

class SNService;

namespace Ui {
class ValidationProgressDlg;
}

// Checks one account against its service in a small modal box; the exit code is the outcome.
class ValidationProgressDlg : public SNJobStatusDialog
{
    Q_OBJECT

public:
    ValidationProgressDlg(SNService *service, QWidget *parent);
    ~ValidationProgressDlg() override;

    // Answers 0 when the service accepted the account, else the failure's UploadErrorCode. A check the
    // user dismisses is cancelled and answers SN_ERR_CANCELLED: it was not checked, so it must not pass.
    int start(const AccountRecord &account);

protected:
    int startJob(SNJob **job) override;
    QLabel *statusLabel() const override;
    StatusTexts statusTexts() const override;

private:
    std::unique_ptr<Ui::ValidationProgressDlg> ui;
    SNService *m_service;
    AccountRecord m_account;
};
