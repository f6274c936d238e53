#include "UploadProgressBar.h"

#include "UploadProcess.h"

#include "ui_UploadProgressBar.h"

UploadProgressBar::UploadProgressBar(int serviceCount, const QString &appName, const QString &filePath,
                                     const QString &title, const QString &author, const QString &description,
                                     const QStringList &keywords, QWidget *parent)
    : QDialog(parent, Qt::Tool)
    , ui(std::make_unique<Ui::UploadProgressBar>())
    , m_serviceCount(serviceCount)
    , m_appName(appName)
    , m_filePath(filePath)
    , m_title(title)
    , m_author(author)
    , m_description(description)
    , m_keywords(keywords)
{
    ui->setupUi(this);
}

UploadProgressBar::~UploadProgressBar() = default;

void UploadProgressBar::uploadTo(SNService *service, const AccountRecord &account, uint serviceBit, bool isVideo)
{
    auto *process = new UploadProcess(service, this, serviceBit);
    m_currentProcess = process;
    UploadResult result = process->run(account, m_appName, m_filePath, m_title, m_author, m_description, m_keywords,
                                       isVideo);
    result.filePath = m_filePath;
    result.code = static_cast<int>(serviceBit);
    m_results.append(result);
}

void UploadProgressBar::updateProgress(const QString &name, const QString &serviceName, int ignored, int percent)
{
    Q_UNUSED(ignored);
    ui->SNProgressBar->setRange(0, 100);
    // The title is the user's text, shown as such inside the markup.
    ui->SNStatusLbl->setText(QStringLiteral("Uploading <b>") + name.toHtmlEscaped() + QStringLiteral("</b> to <b>")
                             + serviceName.toHtmlEscaped() + QStringLiteral("</b>"));
    ui->SNProgressBar->setValue(percent);
    const int overall = m_serviceCount > 0
                            ? static_cast<int>(double(percent + 100 * m_completedServices) / m_serviceCount)
                            : percent;
    ui->overallSNLbl->setText(QCoreApplication::translate("QDialog", "Overall Progress"));
    ui->overallSNProgressBar->setRange(0, 100);
    ui->overallSNProgressBar->setValue(overall);
    if (percent == 100) {
        ++m_completedServices;
        if (m_completedServices == m_serviceCount)
            m_completedServices = 0;
    }
}

void UploadProgressBar::reject()
{
    m_cancelled = true;
    if (m_currentProcess)
        m_currentProcess->reject();
}
