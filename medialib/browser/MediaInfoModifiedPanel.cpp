#include "MediaInfoModifiedPanel.h"

#include "BrowserLog.h"
#include "MediaFileStore.h"
#include "MediaImpl.h"
#include "MessageBoxes.h"
#include "SettingImpl.h"
#include "UploadAccess.h"
#include "UploadIntf.h"
#include "ui_MediaInfoModifiedPanel.h"

#include <QCalendarWidget>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSignalBlocker>

namespace {

// Folder path plus file name stay within this many characters, the limit the whole media library keeps.
constexpr int kMaxPathLength = 240;
const QString kFirstPartSuffix = QStringLiteral("_1");
// What UploadIntf::checkVideoUploadInputs answers when the title is missing.
constexpr int kTitleMissing = -2000;

// The upload service for one call; null, with the reason logged, when none is bound.
UploadIntf *uploadService(const char *purpose)
{
    UploadIntf *upload = UploadAccess::service();
    if (!upload)
        browserLog(LogSystem::LOG_WARNING, "MediaInfoModifiedPanel - no upload service bound: %s", purpose);
    return upload;
}

} // namespace

MediaInfoModifiedPanel::MediaInfoModifiedPanel(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint)
    , ui(std::make_unique<Ui::MediaInfoModifiedPanel>())
    , m_titlePrefix(tr("Save/Publish"))
{
    ui->setupUi(this);
    ui->uploadDateEdit->calendarWidget()->setStyleSheet(QStringLiteral("QWidget{color: black;}"));
    // The form's two outer buttons trade roles: the left one saves and is the default, the right one cancels.
    ui->cancelBtn->setText(tr("Save"));
    ui->cancelBtn->setDefault(true);
    ui->pushButton_save->setText(tr("Cancel"));
    ui->pushButton_save->setDefault(false);
    // Delete is reached only on purpose: a click leaves the focus where it was, and Return on it (once the
    // user has tabbed there) still goes to Save, so a reused dialog never trashes the next file by one key.
    ui->pushButton_trashCan->setAutoDefault(false);
    ui->pushButton_trashCan->setFocusPolicy(Qt::TabFocus);
    for (EnlargePushButton *link : {ui->btnDropBox, ui->btnFacebook, ui->btnPicasa, ui->btnTwitpic, ui->btnYouTube})
        link->saveIconSize();
    setWindowTitle(m_titlePrefix + tr(" image"));

    connect(ui->cancelBtn, &QPushButton::clicked, this, &MediaInfoModifiedPanel::onClickSaveOrPublish);
    connect(ui->pushButton_trashCan, &QPushButton::clicked, this, &MediaInfoModifiedPanel::onClickTrashCan);
    connect(ui->pushButton_save, &QPushButton::clicked, this, &MediaInfoModifiedPanel::onClickClose);
    connect(ui->btnDropBox, &QPushButton::clicked, this, &MediaInfoModifiedPanel::onClickDropBox);
    connect(ui->btnYouTube, &QPushButton::clicked, this, &MediaInfoModifiedPanel::onClickYouTube);
    connect(ui->btnFacebook, &QPushButton::clicked, this, &MediaInfoModifiedPanel::onClickFacebook);
    connect(ui->btnTwitpic, &QPushButton::clicked, this, &MediaInfoModifiedPanel::onClickTwitter);
    connect(ui->btnPicasa, &QPushButton::clicked, this, &MediaInfoModifiedPanel::onClickPicasa);
    connect(ui->checkBox_DropBox, &QCheckBox::toggled, this, &MediaInfoModifiedPanel::onCheckBoxDropBoxChange);
    connect(ui->checkBox_YouTube, &QCheckBox::toggled, this, &MediaInfoModifiedPanel::onCheckBoxYouTubeChange);
    connect(ui->checkBox_Facebook, &QCheckBox::toggled, this, &MediaInfoModifiedPanel::onCheckBoxFacebookChange);
    connect(ui->checkBox_Twitter, &QCheckBox::toggled, this, &MediaInfoModifiedPanel::onCheckBoxTwitterChange);
    connect(ui->checkBox_Picasa, &QCheckBox::toggled, this, &MediaInfoModifiedPanel::onCheckBoxPicasaChange);
    connect(ui->uploadDateEdit, &QDateEdit::dateChanged, this, &MediaInfoModifiedPanel::dateCheck);
}

MediaInfoModifiedPanel::~MediaInfoModifiedPanel()
{
    if (m_record)
        m_record->release();
}

QList<MediaInfoModifiedPanel::Service> MediaInfoModifiedPanel::services() const
{
    return {
        {MediaImpl::SERVICE_DROPBOX, ui->checkBox_DropBox, ui->btnDropBox, &MediaImpl::dropboxUrl},
        {MediaImpl::SERVICE_FACEBOOK, ui->checkBox_Facebook, ui->btnFacebook, &MediaImpl::facebookUrl},
        {MediaImpl::SERVICE_PICASA, ui->checkBox_Picasa, ui->btnPicasa, &MediaImpl::picasaUrl},
        {MediaImpl::SERVICE_TWITPIC, ui->checkBox_Twitter, ui->btnTwitpic, &MediaImpl::twitpicUrl},
        {MediaImpl::SERVICE_YOUTUBE, ui->checkBox_YouTube, ui->btnYouTube, &MediaImpl::youtubeUrl},
    };
}

std::optional<MediaInfoModifiedPanel::Service> MediaInfoModifiedPanel::service(uint bit) const
{
    for (const Service &entry : services()) {
        if (entry.bit == bit)
            return entry;
    }
    return std::nullopt;
}

void MediaInfoModifiedPanel::setMode(int mode)
{
    m_mode = mode;
    applyMode();
}

void MediaInfoModifiedPanel::applyMode()
{
    if (m_mode != ModePublishSetting && m_mode != ModePublishInformation)
        return;
    const bool editable = m_mode == ModePublishSetting;
    m_titlePrefix = editable ? tr("Save/Publish") : tr("Delete");
    setWindowTitle(m_titlePrefix + tr(" image"));
    for (QLineEdit *field : {ui->lineEdit_auth_name, ui->lineEdit_fileName, ui->lineEdit_keyword, ui->lineEdit_title,
                             ui->descriptionTextBox})
        field->setEnabled(editable);
    ui->publishSettingLabel->setText(editable ? QStringLiteral("Publish Setting")
                                              : QStringLiteral("Publish Information"));
    ui->label->hide();
    ui->uploadDateEdit->setVisible(editable);
    ui->uploadTimeEdit->setVisible(editable);
    for (const Service &entry : services())
        entry.box->setEnabled(editable);
    ui->cancelBtn->setEnabled(editable);
}

void MediaInfoModifiedPanel::loadMedia(MediaImpl *record, bool multiFile)
{
    if (!record)
        return;
    record->addRef();
    if (m_record)
        m_record->release();
    m_record = record;
    m_multiFile = multiFile;
    watch(record->path());

    const QDate today = QDate::currentDate();
    ui->uploadDateEdit->setMinimumDate(today);
    ui->uploadDateEdit->setDate(today);
    ui->uploadTimeEdit->setTime(QTime::currentTime());

    const QFileInfo file(record->path());
    const QString name = shownBaseName();
    ui->lineEdit_fileName->setText(name);
    // A folder so deep that no name fits would leave an empty field that can never be saved; the name the
    // file already has is always allowed.
    const int room = kMaxPathLength - int(file.absolutePath().size()) - int(file.suffix().size());
    ui->lineEdit_fileName->setMaxLength(qMax(room, int(name.size())));
    ui->lineEdit_title->setText(record->title().isEmpty() ? name : record->title());
    ui->lineEdit_keyword->setText(record->keywords().join(QLatin1Char(',')));
    ui->lineEdit_auth_name->setText(record->author());
    ui->descriptionTextBox->setText(record->description());

    refreshServiceChecks();
    if (m_mode != ModePublishSetting)
        applyMode();
    ui->uploadDateEdit->setDate(today);
    showServices();
    // The dialog is reused: each showing starts where a new one would, whatever the last showing focused.
    ui->cancelBtn->setDefault(true);
    if (ui->lineEdit_fileName->isEnabled())
        ui->lineEdit_fileName->setFocus();
    else
        ui->pushButton_save->setFocus();
}

void MediaInfoModifiedPanel::showServices()
{
    for (const Service &entry : services()) {
        entry.link->show();
        entry.link->setEnabled(false);
        entry.link->setToolTip(QString());
        entry.box->show();
    }
    switch (m_record->mediaType()) {
    case MediaImpl::TYPE_IMAGE:
        setWindowTitle(m_titlePrefix + tr(" image"));
        ui->btnYouTube->hide();
        ui->checkBox_YouTube->hide();
        break;
    case MediaImpl::TYPE_VIDEO:
        setWindowTitle(m_titlePrefix + tr(" video"));
        ui->btnYouTube->show();
        ui->checkBox_YouTube->show();
        break;
    default:
        break;
    }
    for (const Service &entry : services()) {
        const QUrl url = (m_record->*entry.url)();
        if (url.isEmpty())
            continue;
        entry.link->setToolTip(url.toString());
        entry.link->setEnabled(true);
        entry.box->hide();
    }
    // Nothing can be published without the upload service; the links to earlier copies still open.
    UploadIntf *upload = uploadService("the service boxes are hidden");
    if (!upload) {
        for (const Service &entry : services())
            entry.box->hide();
        return;
    }
    upload->release();
}

void MediaInfoModifiedPanel::refreshServiceChecks()
{
    for (const Service &entry : services()) {
        const QSignalBlocker quiet(entry.box);
        const int status = m_record->uploadStatus(entry.bit);
        entry.box->setEnabled(status != MediaImpl::STATUS_QUEUED);
        entry.box->setChecked(status == MediaImpl::STATUS_QUEUED);
    }
}

uint MediaInfoModifiedPanel::chosenServices() const
{
    // Only what the dialog shows ticked: a status of 0 read from the file shows unticked and is not sent.
    uint mask = 0;
    for (const Service &entry : services()) {
        if (entry.box->isChecked() && entry.box->isEnabled() && !entry.box->isHidden()
            && m_record->uploadStatus(entry.bit) == MediaImpl::STATUS_CHOSEN)
            mask |= entry.bit;
    }
    return mask;
}

bool MediaInfoModifiedPanel::isShowingFile(const QString &path) const
{
    return isVisible() && m_record && m_record->path() == path;
}

void MediaInfoModifiedPanel::mergeStoredUploadState()
{
    MediaFileStore *store = MediaFileStore::getInstance();
    if (!m_record || !store->hasInfoFile(m_record->path()))
        return;
    auto *stored = new MediaImpl(m_record->path());
    store->readInfo(stored);
    const uint chosen = chosenServices();
    for (uint bit : {1u, 2u, 4u, 8u, 16u}) {
        const int status = stored->uploadStatus(bit);
        const bool settled = status == MediaImpl::STATUS_QUEUED || status == MediaImpl::STATUS_UPLOADED;
        m_record->setUploadStatus(bit, (chosen & bit) && !settled ? int(MediaImpl::STATUS_CHOSEN) : status);
    }
    m_record->setUploadServiceMask(stored->uploadServiceMask());
    m_record->setYoutubeUrl(stored->youtubeUrl());
    m_record->setFacebookUrl(stored->facebookUrl());
    m_record->setPicasaUrl(stored->picasaUrl());
    m_record->setTwitpicUrl(stored->twitpicUrl());
    m_record->setDropboxUrl(stored->dropboxUrl());
    m_record->setSchooltubeUrl(stored->schooltubeUrl());
    m_record->setYoutubeID(stored->youtubeID());
    m_record->setFacebookID(stored->facebookID());
    m_record->setPicasaID(stored->picasaID());
    m_record->setTwitpicID(stored->twitpicID());
    m_record->setDropboxID(stored->dropboxID());
    m_record->setSchooltubeID(stored->schooltubeID());
    stored->release();
}

void MediaInfoModifiedPanel::reloadUploadState()
{
    if (!m_record)
        return;
    const uint chosen = chosenServices();
    mergeStoredUploadState();
    refreshServiceChecks();
    // Boxes the user ticked stay ticked where the service is still free to choose.
    for (const Service &entry : services()) {
        if ((chosen & entry.bit) && m_record->uploadStatus(entry.bit) == MediaImpl::STATUS_CHOSEN) {
            const QSignalBlocker quiet(entry.box);
            entry.box->setChecked(true);
        }
    }
    if (m_mode != ModePublishSetting)
        applyMode();
    showServices();
}

void MediaInfoModifiedPanel::serviceToggled(uint bit, bool checked)
{
    if (!m_record)
        return;
    if (checked) {
        UploadIntf *upload = uploadService("a service cannot be chosen");
        const bool verified = upload && upload->verifyAccess(bit, this);
        if (upload)
            upload->release();
        if (!verified) {
            // Re-enters with false, which marks the service "none".
            if (const std::optional<Service> entry = service(bit))
                entry->box->setChecked(false);
            return;
        }
    }
    m_record->setUploadStatus(bit, checked ? MediaImpl::STATUS_CHOSEN : MediaImpl::STATUS_NONE);
}

void MediaInfoModifiedPanel::onCheckBoxDropBoxChange(bool checked)
{
    serviceToggled(MediaImpl::SERVICE_DROPBOX, checked);
}

void MediaInfoModifiedPanel::onCheckBoxYouTubeChange(bool checked)
{
    serviceToggled(MediaImpl::SERVICE_YOUTUBE, checked);
}

void MediaInfoModifiedPanel::onCheckBoxFacebookChange(bool checked)
{
    serviceToggled(MediaImpl::SERVICE_FACEBOOK, checked);
}

void MediaInfoModifiedPanel::onCheckBoxTwitterChange(bool checked)
{
    serviceToggled(MediaImpl::SERVICE_TWITPIC, checked);
}

void MediaInfoModifiedPanel::onCheckBoxPicasaChange(bool checked)
{
    serviceToggled(MediaImpl::SERVICE_PICASA, checked);
}

void MediaInfoModifiedPanel::openLink(uint bit)
{
    const std::optional<Service> entry = service(bit);
    if (!m_record || !entry)
        return;
    const QUrl url = (m_record->*entry->url)();
    if (!url.isEmpty())
        QDesktopServices::openUrl(url);
}

void MediaInfoModifiedPanel::onClickDropBox()
{
    openLink(MediaImpl::SERVICE_DROPBOX);
}

void MediaInfoModifiedPanel::onClickYouTube()
{
    openLink(MediaImpl::SERVICE_YOUTUBE);
}

void MediaInfoModifiedPanel::onClickFacebook()
{
    openLink(MediaImpl::SERVICE_FACEBOOK);
}

void MediaInfoModifiedPanel::onClickTwitter()
{
    openLink(MediaImpl::SERVICE_TWITPIC);
}

void MediaInfoModifiedPanel::onClickPicasa()
{
    openLink(MediaImpl::SERVICE_PICASA);
}

void MediaInfoModifiedPanel::dateCheck(QDate)
{
    if (ui->uploadDateEdit->date() == QDate::currentDate())
        ui->uploadTimeEdit->setMinimumTime(QTime::currentTime());
    else
        ui->uploadTimeEdit->clearMinimumTime();
}

void MediaInfoModifiedPanel::appendFirstPartSuffix(QString &name) const
{
    if (m_multiFile)
        name += kFirstPartSuffix;
}

QString MediaInfoModifiedPanel::shownBaseName() const
{
    QString name = QFileInfo(m_record->path()).completeBaseName();
    if (m_multiFile && name.endsWith(kFirstPartSuffix))
        name.chop(kFirstPartSuffix.size());
    return name;
}

void MediaInfoModifiedPanel::resetNameField()
{
    ui->lineEdit_fileName->setText(shownBaseName());
    ui->lineEdit_fileName->selectAll();
    ui->lineEdit_fileName->setFocus();
}

void MediaInfoModifiedPanel::onClickSaveOrPublish()
{
    if (!m_record)
        return;
    SettingImpl *settings = SettingImpl::getInstance();
    settings->setValue(QStringLiteral("Upload Time"), ui->uploadTimeEdit->time());
    settings->release();

    const QString oldPath = m_record->path();
    if (!QFileInfo::exists(oldPath)) {
        MessageBoxes::warning(this, QString(), tr("File does not exist."));
        onClickClose();
        return;
    }
    {
        QFile probe(oldPath);
        if (!probe.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)) {
            MessageBoxes::warning(this, QString(), tr("File is in use."));
            onClickClose();
            return;
        }
    }
    if (ui->lineEdit_fileName->text().isEmpty()) {
        MessageBoxes::warning(this, QString(), tr("File name cannot be empty."));
        return;
    }

    const QFileInfo old(oldPath);
    QString newBaseName = ui->lineEdit_fileName->text();
    appendFirstPartSuffix(newBaseName);
    const QString newName = old.suffix().isEmpty() ? newBaseName : newBaseName + QLatin1Char('.') + old.suffix();
    const QString newPath = old.absoluteDir().absoluteFilePath(newName);
    if (QFileInfo::exists(newPath) && !MediaFileStore::isSameFile(newPath, oldPath)) {
        MessageBoxes::Request question;
        question.parent = this;
        question.title = QObject::tr("Rename file");
        question.icon = QMessageBox::Information;
        question.text = QObject::tr("Destination file exists. Do you want to replace it?");
        question.buttons = QMessageBox::Yes | QMessageBox::No;
        question.defaultButton = QMessageBox::No;
        if (MessageBoxes::exec(question) != QMessageBox::Yes) {
            resetNameField();
            return;
        }
        auto *occupant = new MediaImpl(newPath);
        MediaFileStore::getInstance()->removeMediaFileAndLinks(occupant, true);
        occupant->release();
        if (QFileInfo::exists(newPath)) {
            resetNameField();
            return;
        }
    }

    MediaFileStore::getInstance()->renameMediaFile(m_record, newBaseName, true);
    // The watch follows the file at once: the upload service's warnings below run their own event loops,
    // in which the old path's disappearance must not read as the file having vanished.
    if (m_record->path() != oldPath)
        watch(m_record->path());
    mergeStoredUploadState();

    QString title = ui->lineEdit_title->text();
    appendFirstPartSuffix(title);
    m_record->setTitle(title);
    m_record->setKeywords(ui->lineEdit_keyword->text());
    m_record->setAuthor(ui->lineEdit_auth_name->text());
    m_record->setDescription(ui->descriptionTextBox->text());
    m_record->setUploadTime(QDateTime(ui->uploadDateEdit->date(), ui->uploadTimeEdit->time()));

    if (UploadIntf *upload = uploadService("the inputs are not checked")) {
        const int answer = upload->checkVideoUploadInputs(chosenServices(), m_record->path(), m_record->title(),
                                                          m_record->author(), m_record->description(),
                                                          m_record->keywords());
        upload->release();
        if (answer < 0) {
            if (answer == kTitleMissing)
                ui->lineEdit_title->setFocus();
            return;
        }
    }
    // What the user typed is kept before the dialog closes: a file whose information cannot be written (a
    // name too long for its information file, a full or read-only disk) stays open with the texts in place.
    MediaFileStore *store = MediaFileStore::getInstance();
    store->makeCacheFolder(QFileInfo(m_record->path()).absolutePath());
    if (!store->writeInfo(m_record)) {
        MessageBoxes::warning(this, QString(),
                              tr("The title, keywords and description of this file could not be saved."));
        return;
    }
    done(ResultSave);
}

void MediaInfoModifiedPanel::onClickTrashCan()
{
    done(ResultTrash);
}

void MediaInfoModifiedPanel::onClickClose()
{
    done(ResultClose);
}

void MediaInfoModifiedPanel::done(int result)
{
    if (m_record) {
        const uint chosen = result == ResultSave ? chosenServices() : 0;
        for (const Service &entry : services()) {
            if (m_record->uploadStatus(entry.bit) == MediaImpl::STATUS_CHOSEN && !(chosen & entry.bit))
                m_record->setUploadStatus(entry.bit, MediaImpl::STATUS_NONE);
        }
        m_record->release();
        m_record = nullptr;
    }
    dropWatcher();
    QDialog::done(result);
}

void MediaInfoModifiedPanel::currentFileChanged(const QString &path)
{
    // A path the dialog no longer shows (the file it renamed itself), or a change of content, is no loss.
    if (!m_record || path != m_record->path() || QFileInfo::exists(path))
        return;
    dropWatcher();
    MessageBoxes::warning(this, tr("File error"), tr("File does not exist"));
    onClickClose();
}

void MediaInfoModifiedPanel::watch(const QString &path)
{
    if (!m_watcher) {
        m_watcher = std::make_unique<QFileSystemWatcher>();
        connect(m_watcher.get(), &QFileSystemWatcher::fileChanged, this, &MediaInfoModifiedPanel::currentFileChanged);
    }
    const QStringList watched = m_watcher->files();
    if (!watched.isEmpty())
        m_watcher->removePaths(watched);
    m_watcher->addPath(path);
}

void MediaInfoModifiedPanel::dropWatcher()
{
    if (!m_watcher)
        return;
    m_watcher->disconnect(this);
    // It may be the sender of the signal being handled.
    m_watcher.release()->deleteLater();
}
