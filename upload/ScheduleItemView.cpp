#include "ScheduleItemView.h"

#include "ui_ScheduleItemView.h"

#include "UploadErrorTexts.h"
#include "UploadServiceBit.h"

#include <QIcon>
#include <QPixmap>

#include <array>

namespace {

struct ServiceBadge
{
    uint bit;
    const char *resource;
};

constexpr std::array<ServiceBadge, 5> kBadges{{
    {SERVICE_YOUTUBE, ":/Image/pics/MediaLib/youtubeSmall.png"},
    {SERVICE_FACEBOOK, ":/Image/pics/MediaLib/facebookSmall.png"},
    {SERVICE_PICASA, ":/Image/pics/MediaLib/picasaSmall.png"},
    {SERVICE_TWITPIC, ":/Image/pics/MediaLib/twitpicSmall.png"},
    {SERVICE_DROPBOX, ":/Image/pics/MediaLib/dropboxSmall.png"},
}};

// Loaded by the first row and kept for the run. Images rather than pixmaps: they may outlive the
// application object.
const std::array<QImage, 5> &badgeImages()
{
    static const std::array<QImage, 5> images = [] {
        std::array<QImage, 5> loaded;
        for (size_t i = 0; i < kBadges.size(); ++i)
            loaded[i] = QImage(QString::fromLatin1(kBadges[i].resource));
        return loaded;
    }();
    return images;
}

} // namespace

ScheduleItemView::ScheduleItemView(QWidget *parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::ScheduleItemView>())
{
    ui->setupUi(this);
    badgeImages();
    ui->btnInvisible->hide();
    connect(ui->btnCancelRetry, &QPushButton::clicked, this, &ScheduleItemView::emitCancelRetryPressed);
}

ScheduleItemView::~ScheduleItemView() = default;

void ScheduleItemView::emitCancelRetryPressed()
{
    Q_EMIT cancelRetryPressed(this);
}

void ScheduleItemView::setTitle(const QString &title)
{
    ui->title->setText(title);
}

void ScheduleItemView::showProgressBar(bool show)
{
    ui->uploadProgress->setVisible(show);
    ui->link->setVisible(!show);
}

void ScheduleItemView::setServiceIcon(uint serviceBit)
{
    for (size_t i = 0; i < kBadges.size(); ++i) {
        if (kBadges[i].bit == serviceBit) {
            ui->socialIcon->setPixmap(QPixmap::fromImage(badgeImages()[i]));
            return;
        }
    }
}

void ScheduleItemView::setState(int state)
{
    static const char *const kStateTexts[] = {"Queued", "Uploading", "Canceled", "Failed", "Succeeded"};
    if (state >= 1 && state <= 5)
        ui->statusIcon->setText(QString::fromLatin1(kStateTexts[state - 1]));
}

void ScheduleItemView::setLink(const QString &url)
{
    if (url.isEmpty())
        ui->link->setText(QString());
    else
        ui->link->setText(tr("Please click <a href=\"%1\">%2</a>").arg(url, tr("here")));
}

void ScheduleItemView::setErrorText(int code)
{
    const std::optional<QString> text = UploadErrorTexts::managerRow(code);
    if (!text)
        return;
    ui->btnCancelRetry->setEnabled(true);
    ui->link->setText(*text);
}

void ScheduleItemView::setScheduleTime(int state, const QDateTime &time)
{
    if (state > 1)
        return;
    ui->link->setText(tr("It will upload at ") + time.toString(QStringLiteral("<b>hh:mm </b><i>dd/MM/yyyy</i>")));
}

void ScheduleItemView::setCancelMode(bool cancel)
{
    m_cancelMode = cancel;
    if (cancel) {
        ui->btnCancelRetry->setIcon(QIcon(QStringLiteral(":/Image/pics/close.png")));
        ui->btnCancelRetry->setToolTip(tr("Click to cancel"));
    } else {
        ui->btnCancelRetry->setIcon(QIcon(QStringLiteral(":/Image/pics/MediaLib/retry.png")));
        ui->btnCancelRetry->setToolTip(tr("Click to retry"));
    }
}

void ScheduleItemView::showCancelRetryButton(bool show)
{
    ui->btnCancelRetry->setVisible(show);
    ui->btnInvisible->setVisible(!show);
}

void ScheduleItemView::setProgress(int value)
{
    ui->uploadProgress->setValue(value);
    // At 100 the copy is on the service; what is left cannot be cancelled.
    ui->btnCancelRetry->setEnabled(value != 100);
}

void ScheduleItemView::setThumbnail(const QImage &image)
{
    ui->thumbnail->setPixmap(QPixmap::fromImage(image));
}

QString ScheduleItemView::titleText() const
{
    return ui->title->text();
}

QString ScheduleItemView::lineText() const
{
    return ui->link->text();
}

QString ScheduleItemView::stateText() const
{
    return ui->statusIcon->text();
}

bool ScheduleItemView::isProgressShown() const
{
    return !ui->uploadProgress->isHidden();
}

int ScheduleItemView::progress() const
{
    return ui->uploadProgress->value();
}

bool ScheduleItemView::isButtonShown() const
{
    return !ui->btnCancelRetry->isHidden();
}

bool ScheduleItemView::isButtonEnabled() const
{
    return ui->btnCancelRetry->isEnabled();
}

bool ScheduleItemView::isInCancelMode() const
{
    return m_cancelMode;
}

QString ScheduleItemView::buttonToolTip() const
{
    return ui->btnCancelRetry->toolTip();
}

QImage ScheduleItemView::thumbnailImage() const
{
    return ui->thumbnail->pixmap().toImage();
}
