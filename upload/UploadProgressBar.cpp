#include "UploadProgressBar.h"

#include "UploadProcess.h"

#include "ui_UploadProgressBar.h"

UploadProgressBar::UploadProgressBar(int serviceCount, const QString &appName, const QString &filePath,
                                     const QString &title, const QString &author, const QString &description,
                                     const QStringList &keywords, QWidget *parent)
    : QDialog(parent, Qt::Tool)
    , ui(std::make_unique<Ui::UploadProgressBar>())
    , serviceCount(serviceCount)
    , appName(appName)
    , filePath(filePath)
    , title(title)
    , author(author)
    , description(description)
    , keywords(keywords)
{
    ui->setupUi(this);
}

UploadProgressBar::~UploadProgressBar() = default;

void UploadProgressBar::uploadTo(SNService *service, const AccountRecord &account, uint serviceBit, bool isVideo)
{
    auto *process = new UploadProcess(service, this, serviceBit);
    currentProcess = process;
    UploadResult result = process->run(account, appName, filePath, title, author, description, keywords, isVideo);
    result.filePath = filePath;
    result.code = static_cast<int>(serviceBit);
    m_results.append(result);
}

void UploadProgressBar::updateProgress(const QString &name, const QString &serviceName, int ignored, int percent)
{
    Q_UNUSED(ignored);
    ui->SNProgressBar->setRange(0, 100);
    // The title is the user's text, shown as such inside the markup.
    ui->SNStatusLbl->setText(QStringLiteral("Uploading <b>") + name.toHtmlEscaped() + QStringLiteral("</b> to <b>") +
                             serviceName.toHtmlEscaped() + QStringLiteral("</b>"));
    ui->SNProgressBar->setValue(percent);
    const int overall =
        serviceCount > 0 ? static_cast<int>(double(percent + 100 * completedServices) / serviceCount) : percent;
    ui->overallSNLbl->setText(QCoreApplication::translate("QDialog", "Overall Progress"));
    ui->overallSNProgressBar->setRange(0, 100);
    ui->overallSNProgressBar->setValue(overall);
    if (percent == 100) {
        ++completedServices;
        if (completedServices == serviceCount)
            completedServices = 0;
    }
}

void UploadProgressBar::reject()
{
    cancelled = true;
    if (currentProcess)
        currentProcess->reject();
}
