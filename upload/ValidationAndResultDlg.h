#pragma once

#include "AccountRecord.h"

#include <QDialog>
#include <QMap>

#include <memory>
#include <vector>

class QLabel;
class SNService;
class ValidationProcess;

namespace Ui {
class ValidationAndResultDlg;
}

// Checks several stored accounts one after another, one status row per service, and stays on screen with
// the results until the user presses OK. The caller shows it, feeds it one account at a time with start()
// and then reads isAllValid(). Closing it (OK, Escape, the close button) cancels the check that runs and
// every later start(); it then deletes itself, but never while a start() is still on the stack.
class ValidationAndResultDlg : public QDialog
{
    Q_OBJECT

public:
    ValidationAndResultDlg(const QMap<uint, AccountRecord> &accounts, QWidget *parent);
    ~ValidationAndResultDlg() override;

    // Hides the picture and status of every service that has no account to check.
    void hideUncheckedRows();
    // Checks account with service and returns once the check has ended; does nothing once closed.
    void start(SNService *service, const AccountRecord &account, uint serviceBit);
    bool isAllValid() const { return m_allValid; }
    bool isCancelled() const { return m_cancelled; }

    void setConnecting(uint serviceBit, const QString &text);
    void setValidated(uint serviceBit, const QString &text);
    void setFailed(uint serviceBit, int code, const QString &text);

public Q_SLOTS:
    void reject() override;

protected:
    void done(int code) override;

private:
    QLabel *statusLabel(uint serviceBit) const;
    QLabel *pictureLabel(uint serviceBit) const;
    void rowFinished();

    std::unique_ptr<Ui::ValidationAndResultDlg> ui;
    ValidationProcess *m_currentProcess = nullptr;
    QMap<uint, AccountRecord> m_accounts;
    std::vector<std::unique_ptr<ValidationProcess>> m_processes;
    int m_startedCount = 0;
    // Rows that have their result; a count of this dialog's own, so that two dialogs never mix theirs.
    int m_finishedRows = 0;
    bool m_allValid = true;
    bool m_cancelled = false;
    // start() calls on the stack; the dialog may not be deleted while one waits in its process's loop.
    int m_runningStarts = 0;
    bool m_deleteWhenIdle = false;
};
