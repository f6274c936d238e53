#include "RemoveProgressDlg.h"

#include "SNService.h"
#include "UploadServiceBit.h"

#include "ui_RemoveProgressDlg.h"

RemoveProgressDlg::RemoveProgressDlg(SNService *service, QWidget *parent)
    : SNJobStatusDialog(parent, OnDismiss::LetJobFinish, 0)
    , ui(std::make_unique<Ui::RemoveProgressDlg>())
    , m_service(service)
{
    ui->setupUi(this);
}

RemoveProgressDlg::~RemoveProgressDlg() = default;

bool RemoveProgressDlg::removeFile(const QString &folderName, const QString &fileId)
{
    m_folderName = folderName;
    m_fileId = fileId;
    return runJob(QStringLiteral("Connecting")) >= 0;
}

int RemoveProgressDlg::startJob(SNJob **job)
{
    // The file-hosting service keeps the program's copies under its public folder.
    const QString path = m_service->name() == uploadServiceName(SERVICE_DROPBOX)
                             ? QStringLiteral("public/") + m_folderName + QLatin1Char('/') + m_fileId
                             : m_fileId;
    return m_service->removeFile(path, job, this);
}

QLabel *RemoveProgressDlg::statusLabel() const
{
    return ui->lblStatus;
}

SNJobStatusDialog::StatusTexts RemoveProgressDlg::statusTexts() const
{
    return {QStringLiteral("Connecting"),
            QCoreApplication::translate("QDialog", "Remove uploaded file from ") + m_service->name(),
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
