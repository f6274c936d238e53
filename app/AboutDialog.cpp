#include "AboutDialog.h"

#include "ui_AboutDialog.h"

AboutDialog::AboutDialog(QWidget *parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::AboutDialog>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    ui->versionLabel->setText(versionText());
}

AboutDialog::~AboutDialog() = default;

QString AboutDialog::versionText()
{
    return tr("Version %1").arg(QStringLiteral(QUILLO_VERSION));
}
