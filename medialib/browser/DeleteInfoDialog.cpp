#include "DeleteInfoDialog.h"

#include "ui_DeleteInfoDialog.h"

#include <QDir>

namespace {

bool settled(const QCheckBox *box)
{
    return box->isChecked() || !box->isEnabled();
}

void offerWhenPresent(QCheckBox *box, bool present)
{
    box->setEnabled(present);
    if (!present)
        box->setChecked(false);
}

} // namespace

DeleteInfoDialog::DeleteInfoDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint)
    , ui(std::make_unique<Ui::DeleteInfoDialog>())
{
    ui->setupUi(this);
    for (QCheckBox *box : {ui->checkBox, ui->checkBox_2, ui->checkBox_3, ui->checkBox_4})
        connect(box, &QCheckBox::clicked, this, &DeleteInfoDialog::checkStatus);
    connect(ui->okButton, &QPushButton::clicked, this, &DeleteInfoDialog::confirm);
}

DeleteInfoDialog::~DeleteInfoDialog() = default;

void DeleteInfoDialog::setCounts(const QString &name, int uploading, int nonMedia, int hidden, int uploadedBefore,
                                 int readOnly, int total)
{
    m_uploading = uploading;
    m_nonMedia = nonMedia;
    m_hidden = hidden;
    m_uploadedBefore = uploadedBefore;
    m_readOnly = readOnly;
    m_total = total;

    const QString uploadingLine = m_uploading < 2 ? tr("%1 uploading file.\n") : tr("%1 uploading files.\n");
    ui->checkBox->setText(uploadingLine.arg(m_uploading) + ui->checkBox->text());
    offerWhenPresent(ui->checkBox, m_uploading != 0);

    const QString nonMediaLine = m_nonMedia < 2 ? tr("%1 non-Media file.\n") : tr("%1 non-Media files.\n");
    const QString hiddenLine = m_hidden < 2 ? tr("%1 hidden Media file\n") : tr("%1 hidden Media files\n");
    ui->checkBox_2->setText(nonMediaLine.arg(m_nonMedia) + hiddenLine.arg(m_hidden) + ui->checkBox_2->text());
    offerWhenPresent(ui->checkBox_2, m_nonMedia != 0 || m_hidden != 0);

    ui->checkBox_3->setText(tr("%1 media files uploaded before.\n").arg(m_uploadedBefore) + ui->checkBox_3->text());
    offerWhenPresent(ui->checkBox_3, m_uploadedBefore != 0);

    const QString readOnlyLine = m_readOnly < 2 ? tr("%1 read-only file.\n") : tr("%1 read-only files.\n");
    ui->checkBox_4->setText(readOnlyLine.arg(m_readOnly) + ui->checkBox_4->text());
    offerWhenPresent(ui->checkBox_4, m_readOnly != 0);

    QString shownName = name;
    shownName.replace(QLatin1Char('/'), QDir::separator());
    const QString totalText = m_total < 2 ? QStringLiteral(" %1 file") : QStringLiteral(" %1 files");
    ui->label_4->setText(tr("\"%1\"").arg(shownName) + ui->label_4->text() + totalText.arg(m_total));

    checkStatus();
}

void DeleteInfoDialog::checkStatus()
{
    ui->okButton->setEnabled(settled(ui->checkBox) && settled(ui->checkBox_2) && settled(ui->checkBox_4));
    m_removeLinks = ui->checkBox_3->isChecked();
}

void DeleteInfoDialog::confirm()
{
    m_deleteConfirmed = ui->okButton->isEnabled();
    accept();
}
