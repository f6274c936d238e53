#include "AccountSettingDlg.h"

#include "RequestTokenDlg.h"
#include "SNJob.h"
#include "SNService.h"
#include "UploadErrorCode.h"
#include "UploadErrorTexts.h"
#include "UploadServiceBit.h"

#include "ui_AccountSettingDlg.h"

#include <QTimer>

namespace {

// What the password field holds for every service: the library takes no password, but the form's check
// wants both fields filled.
const QString kPlaceholderPassword = QStringLiteral("password");

QFont labelFont()
{
    QFont font(QStringLiteral("Calibri"), 12);
    font.setBold(false);
    return font;
}

} // namespace

AccountSettingDlg::AccountSettingDlg(uint serviceBit, SNService *service, AccountRecord *cachedAccount, QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint)
    , ui(std::make_unique<Ui::AccountSettingDlg>())
    , m_serviceBit(serviceBit)
    , m_service(service)
    , m_cachedAccount(cachedAccount)
{
    ui->setupUi(this);
    if (cachedAccount)
        m_account = *cachedAccount;

    QPalette warning = ui->warnigLabel->palette();
    warning.setColor(QPalette::WindowText, Qt::red);
    ui->warnigLabel->setPalette(warning);
    ui->warnigLabel->setFont(labelFont());
    ui->warnigLabel->hide();
    ui->labelUR->setFont(labelFont());
    ui->labelPR->setFont(labelFont());
    ui->pwdEdit->setEchoMode(QLineEdit::Password);
    restorePlaceholderPassword();
    ui->pwdEdit->setEnabled(false);
    ui->pwdEdit->hide();
    ui->labelPR->hide();
    ui->label_2->hide();

    connect(ui->okButton, &QPushButton::clicked, this, &AccountSettingDlg::accept);
    connect(ui->cancelButton, &QPushButton::clicked, this, &AccountSettingDlg::reject);
}

AccountSettingDlg::~AccountSettingDlg()
{
    releaseJob();
}

int AccountSettingDlg::prepareAndExec()
{
    ui->usernameEdit->setText(m_account.userName);
    setServiceIcon(m_serviceBit);
    adjustSize();
    return exec();
}

void AccountSettingDlg::setServiceIcon(uint serviceBit)
{
    QString path;
    switch (serviceBit) {
    case SERVICE_YOUTUBE:
        path = QStringLiteral(":/Image/pics/MediaLib/youtube.png");
        break;
    case SERVICE_FACEBOOK:
        path = QStringLiteral(":/Image/pics/MediaLib/facebook.png");
        break;
    case SERVICE_PICASA:
        path = QStringLiteral(":/Image/pics/MediaLib/picasa.png");
        break;
    case SERVICE_TWITPIC:
        path = QStringLiteral(":/Image/pics/MediaLib/twitpic.png");
        break;
    case SERVICE_DROPBOX:
        path = QStringLiteral(":/Image/pics/MediaLib/dropbox.png");
        break;
    default:
        break;
    }
    // Pictures larger than the box keep their shape within 120 x 120.
    const QPixmap picture(path);
    ui->socialNetowrkIcon->setPixmap(picture.isNull()
                                         ? picture
                                         : picture.scaled(120, 120, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void AccountSettingDlg::accept()
{
    ui->okButton->setEnabled(false);
    m_account.userName = ui->usernameEdit->text();
    m_account.password = ui->pwdEdit->text();
    ui->labelUR->setText(QStringLiteral(" "));
    ui->labelPR->setText(QStringLiteral(" "));
    ui->warnigLabel->hide();
    if (!m_account.userName.isEmpty() && !m_account.password.isEmpty()) {
        startValidation();
        return;
    }
    const QString mark = QStringLiteral("<font color='red'>*</font>");
    ui->labelUR->setText(mark);
    ui->labelPR->setText(mark);
    showStatus(tr("* is required."));
    ui->pwdEdit->clear();
    ui->usernameEdit->setFocus();
    ui->usernameEdit->selectAll();
    ui->okButton->setEnabled(true);
    restorePlaceholderPassword();
}

void AccountSettingDlg::reject()
{
    if (m_job) {
        // Released as well: the dialog goes and nobody waits for the cancelled check's report.
        m_job->cancel();
        releaseJob();
    }
    done(-1);
}

void AccountSettingDlg::startValidation()
{
    jobConnecting(m_job);
    SNJob *started = nullptr;
    const int answer = m_service->startAccessJob(&m_account, &started, this);
    m_job = started;
    if (answer < 0)
        jobFailed(m_job, answer);
}

void AccountSettingDlg::jobConnecting(SNJob *reported)
{
    if (!isCurrent(reported))
        return;
    showStatus(tr("Connecting..."));
    jobWorking(reported);
}

void AccountSettingDlg::jobWorking(SNJob *reported)
{
    if (isCurrent(reported))
        showStatus(tr("Authenticating..."));
}

void AccountSettingDlg::jobCompleted(SNJob *reported, const QMap<QString, QVariant> &)
{
    if (!isCurrent(reported))
        return;
    ui->okButton->setEnabled(true);
    ui->warnigLabel->hide();
    const AccountRecord stored = m_service->storedAccount();
    if (m_cachedAccount)
        *m_cachedAccount = m_account;
    if (stored.userName.isEmpty()) {
        m_service->addAccount(m_account);
    } else if (m_service->replaceAccount(stored, m_account, 0) == SN_ERR_SET_PASSWORD_ONLY) {
        m_service->setPassword(stored, m_account.password);
    }
    releaseJob();
    done(2);
}

void AccountSettingDlg::jobFailed(SNJob *reported, int code)
{
    if (!isCurrent(reported))
        return;
    ui->okButton->setEnabled(true);
    showStatus(UploadErrorTexts::accountDialog(code, m_serviceBit, m_account.userName));
    ui->usernameEdit->setFocus();
    ui->usernameEdit->selectAll();
    releaseJob();
    if (code == SN_ERR_AUTHORIZATION) {
        // After the library's report has returned, so that the question does not run inside it.
        QTimer::singleShot(1, this, &AccountSettingDlg::tryToRequestToken);
    }
}

void AccountSettingDlg::tryToRequestToken()
{
    // Closed in the meantime: nothing more to ask.
    if (!isVisible())
        return;
    RequestTokenDlg::offerGrant(m_service, m_account, this, tr("Warning"),
                                tr("Quillo does not have permission to upload files to your account. Do you want to "
                                   "grant permission to Quillo?"));
}

void AccountSettingDlg::showStatus(const QString &text)
{
    ui->warnigLabel->setText(text);
    ui->warnigLabel->setMinimumHeight(0);
    ui->warnigLabel->show();
    // The fixed-size layout sizes the dialog by the label's plain size hint, which knows nothing of the
    // width the label wraps in beside the service's picture: a failure text of several lines would be cut.
    // So the label is given the height its text needs at the width it really gets.
    layout()->activate();
    ui->warnigLabel->setMinimumHeight(ui->warnigLabel->heightForWidth(ui->warnigLabel->width()));
    layout()->activate();
}

void AccountSettingDlg::releaseJob()
{
    if (m_job)
        m_job->release();
    m_job = nullptr;
}

void AccountSettingDlg::restorePlaceholderPassword()
{
    ui->pwdEdit->setText(kPlaceholderPassword);
}
