#include "MediaLibSaveResult.h"

#include "MediaImpl.h"
#include "ui_MediaLibSaveResult.h"

#include <QDesktopServices>

MediaLibSaveResult::MediaLibSaveResult(QWidget *parent)
    : QDialog(parent, Qt::SubWindow)
    , ui(std::make_unique<Ui::MediaLibSaveResult>())
{
    ui->setupUi(this);
    connect(ui->btnDropBox, &QPushButton::clicked, this, &MediaLibSaveResult::onClickDropBox);
    connect(ui->btnSchoolTube, &QPushButton::clicked, this, &MediaLibSaveResult::onClickSchoolTube);
    connect(ui->btnYouTube, &QPushButton::clicked, this, &MediaLibSaveResult::onClickYouTube);
    connect(ui->btnFacebook, &QPushButton::clicked, this, &MediaLibSaveResult::onClickFacebook);
    connect(ui->twitpicBtn, &QPushButton::clicked, this, &MediaLibSaveResult::onClickTwitpic);
    connect(ui->btnPicasa, &QPushButton::clicked, this, &MediaLibSaveResult::onClickPicasa);
    connect(ui->closeBtn, &QPushButton::clicked, this, &QDialog::accept);
}

MediaLibSaveResult::~MediaLibSaveResult() = default;

QList<MediaLibSaveResult::Entry> MediaLibSaveResult::entries() const
{
    return {
        {MediaImpl::SERVICE_DROPBOX, ui->btnDropBox, ui->dropBoxFailed, &MediaImpl::dropboxUrl},
        {MediaImpl::SERVICE_FACEBOOK, ui->btnFacebook, ui->faceBookFailed, &MediaImpl::facebookUrl},
        {MediaImpl::SERVICE_PICASA, ui->btnPicasa, ui->picasaFailed, &MediaImpl::picasaUrl},
        {kSchoolTubeCode, ui->btnSchoolTube, ui->schoolTubeFailed, &MediaImpl::schooltubeUrl},
        {MediaImpl::SERVICE_TWITPIC, ui->twitpicBtn, ui->twitpicFailed, &MediaImpl::twitpicUrl},
        {MediaImpl::SERVICE_YOUTUBE, ui->btnYouTube, ui->youTubeFailed, &MediaImpl::youtubeUrl},
    };
}

void MediaLibSaveResult::setMedia(MediaImpl *media)
{
    m_urls.clear();
    ui->strFileLocation->setPlainText(media ? media->path() : QString());
    ui->strFailed->hide();
    for (const Entry &entry : entries()) {
        entry.link->hide();
        entry.failed->hide();
    }
    if (!media)
        return;
    for (const Entry &entry : entries()) {
        const QUrl url = (media->*entry.url)();
        if (url.isEmpty())
            continue;
        m_urls.insert(entry.code, url);
        entry.link->setToolTip(url.toString());
        entry.link->show();
    }
}

void MediaLibSaveResult::setFailedServices(const QList<uint> &codes)
{
    bool anyShown = false;
    for (uint code : codes) {
        for (const Entry &entry : entries()) {
            if (entry.code == code) {
                entry.failed->show();
                anyShown = true;
            }
        }
    }
    ui->strFailed->setVisible(anyShown);
}

void MediaLibSaveResult::openLink(uint code) const
{
    const QUrl url = m_urls.value(code);
    if (!url.isEmpty())
        QDesktopServices::openUrl(url);
}

void MediaLibSaveResult::onClickDropBox()
{
    openLink(MediaImpl::SERVICE_DROPBOX);
}

void MediaLibSaveResult::onClickSchoolTube()
{
    openLink(kSchoolTubeCode);
}

void MediaLibSaveResult::onClickYouTube()
{
    openLink(MediaImpl::SERVICE_YOUTUBE);
}

void MediaLibSaveResult::onClickFacebook()
{
    openLink(MediaImpl::SERVICE_FACEBOOK);
}

void MediaLibSaveResult::onClickTwitpic()
{
    openLink(MediaImpl::SERVICE_TWITPIC);
}

void MediaLibSaveResult::onClickPicasa()
{
    openLink(MediaImpl::SERVICE_PICASA);
}
