#include "ValidationAndResultDlg.h"

#include "UploadServiceBit.h"
#include "ValidationProcess.h"

#include "ui_ValidationAndResultDlg.h"

ValidationAndResultDlg::ValidationAndResultDlg(const QMap<uint, AccountRecord> &accounts, QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint)
    , ui(std::make_unique<Ui::ValidationAndResultDlg>())
    , m_accounts(accounts)
{
    ui->setupUi(this);
    ui->okButton->setEnabled(false);
    connect(ui->okButton, &QPushButton::clicked, this, &QWidget::close);
}

ValidationAndResultDlg::~ValidationAndResultDlg() = default;

void ValidationAndResultDlg::hideUncheckedRows()
{
    for (uint bit : {SERVICE_YOUTUBE, SERVICE_DROPBOX, SERVICE_TWITPIC, SERVICE_FACEBOOK, SERVICE_PICASA}) {
        if (!m_accounts.contains(bit)) {
            pictureLabel(bit)->hide();
            statusLabel(bit)->hide();
        }
    }
}

void ValidationAndResultDlg::start(SNService *service, const AccountRecord &account, uint serviceBit)
{
    if (m_cancelled)
        return;
    m_processes.push_back(std::make_unique<ValidationProcess>(this));
    m_currentProcess = m_processes.back().get();
    ++m_startedCount;
    ++m_runningStarts;
    m_currentProcess->run(service, account, serviceBit);
    --m_runningStarts;
    if (m_deleteWhenIdle && m_runningStarts == 0)
        deleteLater();
}

QLabel *ValidationAndResultDlg::statusLabel(uint serviceBit) const
{
    switch (serviceBit) {
    case SERVICE_YOUTUBE:
        return ui->labYouTube;
    case SERVICE_FACEBOOK:
        return ui->labFacebook;
    case SERVICE_PICASA:
        return ui->labPicasa;
    case SERVICE_TWITPIC:
        return ui->labTwitpic;
    case SERVICE_DROPBOX:
        return ui->labDropbox;
    default:
        return nullptr;
    }
}

QLabel *ValidationAndResultDlg::pictureLabel(uint serviceBit) const
{
    switch (serviceBit) {
    case SERVICE_YOUTUBE:
        return ui->youtubeLabel;
    case SERVICE_FACEBOOK:
        return ui->facebookLabel;
    case SERVICE_PICASA:
        return ui->picasaLabel;
    case SERVICE_TWITPIC:
        return ui->twitpicLabel;
    case SERVICE_DROPBOX:
        return ui->dropboxLabel;
    default:
        return nullptr;
    }
}

void ValidationAndResultDlg::setConnecting(uint serviceBit, const QString &text)
{
    if (QLabel *label = statusLabel(serviceBit))
        label->setText(text);
}

void ValidationAndResultDlg::setValidated(uint serviceBit, const QString &text)
{
    setConnecting(serviceBit, text);
    rowFinished();
}

void ValidationAndResultDlg::setFailed(uint serviceBit, int code, const QString &text)
{
    Q_UNUSED(code);
    m_allValid = false;
    setConnecting(serviceBit, text);
    rowFinished();
}

void ValidationAndResultDlg::rowFinished()
{
    ++m_finishedRows;
    if (m_finishedRows == m_accounts.size()) {
        ui->okButton->setEnabled(true);
        m_finishedRows = 0;
    }
}

void ValidationAndResultDlg::reject()
{
    m_cancelled = true;
    m_finishedRows = 0;
    for (const auto &process : m_processes)
        process->cancelJob();
    done(-1);
}

void ValidationAndResultDlg::done(int code)
{
    QDialog::done(code);
    // Not Qt::WA_DeleteOnClose: a deletion posted from inside a check's loop would run in that same loop,
    // under the start() that waits in it.
    if (m_runningStarts > 0)
        m_deleteWhenIdle = true;
    else
        deleteLater();
}
