#include "UploadNowOrReschedule.h"

#include "ui_UploadNowOrReschedule.h"

UploadNowOrReschedule::UploadNowOrReschedule(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
    , ui(std::make_unique<Ui::UploadNowOrReschedule>())
{
    ui->setupUi(this);
    // Hours and minutes are enough to pick an upload time; the seconds stay as prepare() set them.
    ui->timeEdit->setDisplayFormat(QStringLiteral("hh:mm AP"));
}

UploadNowOrReschedule::~UploadNowOrReschedule() = default;

void UploadNowOrReschedule::prepare(const QDateTime &now)
{
    ui->timeEdit->setTime(now.time());
    ui->dateEdit->setDate(now.date());
    ui->dateEdit->setMinimumDate(now.date());
    adjustSize();
    setFixedSize(size());
}

QDateTime UploadNowOrReschedule::chosenDateTime() const
{
    return QDateTime(ui->dateEdit->date(), ui->timeEdit->time());
}

QTimeEdit *UploadNowOrReschedule::timeEdit() const
{
    return ui->timeEdit;
}

QDateEdit *UploadNowOrReschedule::dateEdit() const
{
    return ui->dateEdit;
}
