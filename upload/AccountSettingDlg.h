#pragma once

#include "AccountRecord.h"
#include "SNAccessJobListener.h"

#include <QDialog>
#include <QPointer>

#include <memory>

class SNService;

namespace Ui {
class AccountSettingDlg;
}

// Lets the user enter the account of one online service, checks it against the service and, when the
// check succeeds, stores it in the upload library and in the upload service's cache. It stays open while
// the check runs and after a failure, so the user can correct the entry; when the service answers that
// the program holds no grant, it offers to ask for one. No service takes a password any more: the password
// field stays hidden, holding a placeholder the library ignores.
class AccountSettingDlg : public QDialog, public SNAccessJobListener
{
    Q_OBJECT

public:
    AccountSettingDlg(uint serviceBit, SNService *service, AccountRecord *cachedAccount, QWidget *parent);
    ~AccountSettingDlg() override;

    // Fills the form from the cached account and runs the dialog; answers 2 once the account was checked
    // and stored, -1 when the user gave up.
    int prepareAndExec();
    void setServiceIcon(uint serviceBit);

    void jobConnecting(SNJob *job) override;
    void jobWorking(SNJob *job) override;
    void jobFailed(SNJob *job, int code) override;
    void jobCompleted(SNJob *job, const QMap<QString, QVariant> &result) override;

public Q_SLOTS:
    void accept() override;
    void reject() override;
    void tryToRequestToken();

private:
    void startValidation();
    // A report of a job that is not the running check (one cancelled with the dialog) changes nothing.
    bool isCurrent(SNJob *reported) const { return !reported || reported == m_job; }
    void showStatus(const QString &text);
    void releaseJob();
    void restorePlaceholderPassword();

    std::unique_ptr<Ui::AccountSettingDlg> ui;
    uint m_serviceBit;
    SNService *m_service;
    AccountRecord *m_cachedAccount;
    AccountRecord m_account;
    QPointer<SNJob> m_job;
};
