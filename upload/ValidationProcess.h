#pragma once

#include "AccountRecord.h"
#include "SNAccessJobListener.h"

#include <QEventLoop>
#include <QObject>
#include <QPointer>

class SNJob;
class SNService;
class ValidationAndResultDlg;

// Checks one account for a ValidationAndResultDlg and fills that service's row: run() starts the access
// job and waits for its end in a loop that keeps the window responsive. One object per check.
class ValidationProcess : public QObject, public SNAccessJobListener
{
    Q_OBJECT

public:
    explicit ValidationProcess(ValidationAndResultDlg *dialog);
    ~ValidationProcess() override;

    void run(SNService *service, const AccountRecord &account, uint serviceBit);
    void cancelJob();

    void jobConnecting(SNJob *job) override;
    void jobWorking(SNJob *job) override;
    void jobFailed(SNJob *job, int code) override;
    void jobCompleted(SNJob *job, const QMap<QString, QVariant> &result) override;

public Q_SLOTS:
    void tryTokenRequest();

private:
    void releaseJob();

    SNService *m_service = nullptr;
    AccountRecord m_account;
    QPointer<SNJob> m_job;
    QEventLoop m_loop;
    ValidationAndResultDlg *m_dialog;
    uint m_serviceBit = 0xFFFFFFFF;
    bool m_finished = false;
};
