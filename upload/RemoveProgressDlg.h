#pragma once

#include "SNJobStatusDialog.h"

#include <memory>

class SNService;

namespace Ui {
class RemoveProgressDlg;
}

// Removes an uploaded copy from one service in a small modal box. A removal cannot be cancelled: closing
// the box lets the job run to its end, and its reports are dropped.
class RemoveProgressDlg : public SNJobStatusDialog
{
    Q_OBJECT

public:
    RemoveProgressDlg(SNService *service, QWidget *parent);
    ~RemoveProgressDlg() override;

    // folderName is the application's folder on the file-hosting service, fileId what the service gave the
    // copy at upload. False after a failure; true after the removal, and when the user closed the box.
    bool removeFile(const QString &folderName, const QString &fileId);

protected:
    int startJob(SNJob **job) override;
    QLabel *statusLabel() const override;
    StatusTexts statusTexts() const override;
    int failureExitCode(int code) const override;
    int completionExitCode(const QMap<QString, QVariant> &result) override;

private:
    std::unique_ptr<Ui::RemoveProgressDlg> ui;
    SNService *m_service;
    QString m_folderName;
    QString m_fileId;
};
