#include "RemoveProgressDlg.h"

#include "SNService.h"
#include "UploadServiceBit.h"

#include "ui_RemoveProgressDlg.h"

RemoveProgressDlg::RemoveProgressDlg(SNService *service, QWidget *parent)
    : SNJobStatusDialog(parent, OnDismiss::LetJobFinish, 0)
    , ui(std::make_unique<Ui::RemoveProgressDlg>())
    , service(service)
{
    ui->setupUi(this);
}

RemoveProgressDlg::~RemoveProgressDlg() = default;

bool RemoveProgressDlg::removeFile(const QString &folderName, const QString &fileId)
{
    this->folderName = folderName;
    this->fileId = fileId;
    return runJob(QStringLiteral("Connecting")) >= 0;
}

int RemoveProgressDlg::startJob(SNJob **job)
{
    // The file-hosting service keeps the program's copies under its public folder.
    const QString path = service->name() == uploadServiceName(SERVICE_DROPBOX)
                             ? QStringLiteral("public/") + folderName + QLatin1Char('/') + fileId
                             : fileId;
    return service->removeFile(path, job, this);
}

QLabel *RemoveProgressDlg::statusLabel() const
{
    return ui->lblStatus;
}

SNJobStatusDialog::StatusTexts RemoveProgressDlg::statusTexts() const
{
    return {QStringLiteral("Connecting"),
            QCoreApplication::translate("QDialog", "Remove uploaded file from ") + service->name(),
            QStringLiteral("Remove file fail!"), QStringLiteral("Remove file Compelete!")};
}

int RemoveProgressDlg::failureExitCode(int) const
{
    return -1;
}

int RemoveProgressDlg::completionExitCode(const QMap<QString, QVariant> &)
{
    return 1;
}
