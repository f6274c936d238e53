#include "SettingDialog.h"

#include "MessageBoxes.h"
#include "RecordingIntf.h"
#include "SaveFolderCheck.h"
#include "SettingImpl.h"
#include "SettingIntf.h"
#include "UploadAccess.h"
#include "UploadIntf.h"
#include "UploadServiceBit.h"
#include "VideoIntf.h"
#include "WebCamIntf.h"
#include "ui_SettingDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHideEvent>
#include <QMap>
#include <QSignalBlocker>

namespace {

// No service takes a password any more: every password field is hidden and holds this text, which is
// stored and sent as the password, so a row is complete as soon as its user name is given.
const QString kPasswordPlaceholder = QStringLiteral("password");

SettingDialog::FolderPrompt &folderPrompt()
{
    static SettingDialog::FolderPrompt prompt;
    return prompt;
}

} // namespace

SettingDialog::SettingDialog(SettingIntf *settings, RecordingIntf *recording, VideoIntf *video, WebCamIntf *webCam,
                             QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint)
    , ui(std::make_unique<Ui::SettingDialog>())
    , m_settings(settings)
    , m_recording(recording)
    , m_video(video)
    , m_webCam(webCam)
{
    ui->setupUi(this);
    ui->tabWidget->setCurrentIndex(0);

    m_accountRows = {
        {SERVICE_FACEBOOK, ui->facebookUser, ui->facebookPswd}, {SERVICE_DROPBOX, ui->dropboxUser, ui->dropboxPswd},
        {SERVICE_PICASA, ui->picasaUser, ui->picasaPswd},       {SERVICE_YOUTUBE, ui->youtubeUser, ui->youtubePswd},
        {SERVICE_TWITPIC, ui->twitterUser, ui->twitterPswd},
    };
    for (const AccountRow &row : std::as_const(m_accountRows)) {
        row.password->setText(kPasswordPlaceholder);
        row.password->setEnabled(false);
        row.password->hide();
    }
    ui->pswdLabel->hide();
    ui->uploadUnavailableLabel->hide();

    m_savedAudioSource = m_settings->getAudioSource();
    m_micSrcList = m_recording->audioSources();
    if (m_savedAudioSource.isEmpty() && !m_micSrcList.isEmpty())
        m_settings->setAudioSource(m_micSrcList.first());
    updateMicSrcList();

    connect(m_recording, &RecordingIntf::audioSourcesChanged, this, &SettingDialog::getMicSrcListChanged);
    connect(ui->micVolSlider, &QSlider::valueChanged, this, &SettingDialog::getMicVolChanged);
    connect(ui->webCamSelector, &QComboBox::activated, this, &SettingDialog::selectWebCamSrcByUI);
    connect(ui->okBtn, &QPushButton::clicked, this, &SettingDialog::save);
    connect(ui->cancelBtn, &QPushButton::clicked, this, &SettingDialog::cancel);
    connect(ui->validateBtn, &QPushButton::clicked, this, &SettingDialog::validate);
    connect(ui->fileDialogBtn, &QToolButton::clicked, this, &SettingDialog::openFileDialog);
    connect(m_recording, &RecordingIntf::audioLevelReported, this, &SettingDialog::micVolReport);
}

// A dialog destroyed while shown gives back what its show took.
SettingDialog::~SettingDialog()
{
    if (m_shown)
        m_webCam->closeAuxWebCam();
    stopMonitor();
}

void SettingDialog::setFolderPrompt(FolderPrompt prompt)
{
    folderPrompt() = std::move(prompt);
}

void SettingDialog::reject()
{
    cancel();
}

void SettingDialog::showEvent(QShowEvent *event)
{
    if (!m_shown) {
        m_shown = true;
        m_volumeChanged = false;
        disconnectMicSelector();
        ui->micVolReporter->setValue(0);

        m_savedAudioSource = m_settings->getAudioSource();
        startMonitor();
        previewView();
        showVolume(m_recording->getVolume());
        const int webCamIndex = qMax(m_webCam->currentAuxWebCamIndex(), 0);
        fitAuxWebCamWidget();
        ui->webCamSelector->clear();
        m_webCamSrcList = m_webCam->getWebCamList();
        updateWebCamSrcList();
        ui->webCamSelector->setCurrentIndex(webCamIndex);
        ui->videoResolutionSelector->setCurrentIndex(m_settings->getVideoQuality());
        loadAccounts();
        m_savedMicVolume = int(m_recording->getVolume());
        const int micIndex = m_micSrcList.indexOf(m_settings->getAudioSource());
        if (micIndex >= 0)
            ui->micSelector->setCurrentIndex(micIndex);
        showSavePath();

        m_showConnections = {
            connect(m_webCam, &WebCamIntf::webCamListChanged, this, &SettingDialog::getWebCamListDidChanged),
            // Queued: the service picks the camera that takes the lost one's place after it has told us.
            connect(m_webCam, &WebCamIntf::currentAuxWebCamDisconnected, this, &SettingDialog::fitAuxWebCamWidget,
                    Qt::QueuedConnection),
            connect(m_recording, &RecordingIntf::actionStatusChanged, this,
                    &SettingDialog::changeUIWithRecordingStatus),
        };
        connectMicSelector();
        ui->micSelector->setEnabled(m_recording->actionStatus() & RecordingIntf::RECORDING_STATUS_IDLE);
    }
    QDialog::showEvent(event);
}

// Hidden by the program without Save or Cancel (accept(), done(), hide()): as Cancel, so nothing the show
// started runs on behind a hidden dialog. A window minimised by the user goes on.
void SettingDialog::hideEvent(QHideEvent *event)
{
    if (!event->spontaneous())
        undoSession();
    QDialog::hideEvent(event);
}

void SettingDialog::getMicSrcListChanged(QList<QString> sources)
{
    m_micSrcList = sources;
    updateMicSrcList();
}

void SettingDialog::getMicVolChanged(int percent)
{
    m_volumeChanged = true;
    m_recording->setVolume(uint(qBound(0, percent, 100)));
}

void SettingDialog::selectMicSrcByUI(const QString &source)
{
    stopMonitor();
    m_settings->setAudioSource(source);
    showVolume(m_recording->getVolume());
    if (m_shown)
        startMonitor();
}

void SettingDialog::selectWebCamSrcByUI(int index)
{
    if (!m_shown || m_webCam->webCamCount() == 0)
        return;
    previewView();
    m_webCam->openAuxWebCam(index);
    fitAuxWebCamWidget();
}

void SettingDialog::getSpeakerVolChanged(int percent)
{
    if (m_video)
        m_video->setVolume(uint(qBound(0, percent, 100)));
}

void SettingDialog::cancel()
{
    undoSession();
    QDialog::done(0);
}

void SettingDialog::showSavePath()
{
    m_shownSavePath = QDir::toNativeSeparators(m_settings->getSavePath());
    ui->videoSaveDir->setText(m_shownSavePath);
}

void SettingDialog::save()
{
    // The accounts go first: when their check refuses, Save changes nothing and the dialog stays as it is.
    if (!saveAccounts())
        return;
    // Every value of the page is written again, the microphone too (it was written when it was picked), so
    // that Save answers for all of them; a value that does not reach the file keeps the dialog open.
    const int quality = ui->videoResolutionSelector->currentIndex();
    const int mic = ui->micSelector->currentIndex();
    // A folder shown as it was given is not written again: while the chosen one is missing (a stick not
    // plugged in) the field shows the default folder in its place, and writing that would lose the choice.
    const QString folder = ui->videoSaveDir->text();
    const bool written = (folder == m_shownSavePath || m_settings->setSavePath(SaveFolderCheck::storedPath(folder)))
                         && (mic < 0 || mic >= m_micSrcList.size() || m_settings->setAudioSource(m_micSrcList.at(mic)))
                         // A stored value outside the list selects nothing; it is then kept as it is.
                         && (quality < 0 || m_settings->setVideoQuality(quality));
    if (!written) {
        MessageBoxes::warning(
            this, tr("Error"), tr("The settings could not be saved."),
            tr("Quillo cannot write to\n%1").arg(QDir::toNativeSeparators(SettingImpl::settingsFilePath())));
        return;
    }
    stopMonitor();
    disconnectMicSelector();
    m_savedAudioSource = m_settings->getAudioSource();
    m_savedMicVolume = int(m_recording->getVolume());
    m_webCam->openWebCam(m_webCam->currentAuxWebCamIndex());
    m_webCam->closeAuxWebCam();
    endSession();
    loadAccounts();
    QDialog::done(0);
}

void SettingDialog::validate()
{
    if (!m_upload)
        return;
    QMap<uint, AccountRecord> accounts;
    for (const AccountRow &row : std::as_const(m_accountRows)) {
        const AccountRecord account = rowRecord(row);
        if (!account.userName.isEmpty() && !account.password.isEmpty())
            accounts.insert(row.service, account);
    }
    m_upload->validateAccounts(accounts, this);
}

void SettingDialog::getWebCamListDidChanged(QList<QString> names)
{
    ui->webCamSelector->clear();
    m_webCamSrcList = names;
    updateWebCamSrcList();
    if (!m_webCamSrcList.isEmpty())
        ui->webCamSelector->setCurrentIndex(m_webCam->currentAuxWebCamIndex());
}

void SettingDialog::fitAuxWebCamWidget()
{
    if (!m_shown)
        return;
    QWidget *view = previewView();
    if (!view)
        return;
    const QRect area = ui->webCamWidget->rect();
    m_webCam->resizeAuxWebCamWidget(m_webCam->auxWebCamWidgetSizeFor(area.size()));
    QRect placed(QPoint(0, 0), view->size());
    placed.moveCenter(area.center());
    view->move(placed.topLeft());
}

void SettingDialog::openFileDialog()
{
    QString start = m_settings->getSavePath();
    const QFileInfo startInfo(start);
    if (!startInfo.isDir() || !startInfo.isReadable())
        start = SettingImpl::defaultMediaFolder();
    start = QDir(start).absolutePath();

    const FolderPrompt &prompt = folderPrompt();
    const QString chosen = prompt ? prompt(this, start)
                                  : QFileDialog::getExistingDirectory(this, QString(), start,
                                                                      QFileDialog::ShowDirsOnly
                                                                          | QFileDialog::DontResolveSymlinks);
    switch (SaveFolderCheck::check(chosen)) {
    case SaveFolderCheck::Verdict::NothingChosen:
        return;
    case SaveFolderCheck::Verdict::TooLong:
        MessageBoxes::warning(this, tr("Error"), tr("Length of file path is over limitation"));
        return;
    case SaveFolderCheck::Verdict::WriteProtected:
        MessageBoxes::warning(this, tr("Error"), tr("Destination folder is write protected"));
        return;
    case SaveFolderCheck::Verdict::Accepted:
        ui->videoSaveDir->setText(SaveFolderCheck::fieldText(chosen));
        return;
    }
}

void SettingDialog::micVolReport(uint level)
{
    ui->micVolReporter->setValue(int(qMin(level, 100u)));
}

void SettingDialog::changeUIWithRecordingStatus(uint status)
{
    if (status & RecordingIntf::RECORDING_STATUS_IDLE) {
        ui->micSelector->setEnabled(true);
        updateMicSrcList();
    } else {
        ui->micSelector->setEnabled(false);
    }
}

void SettingDialog::updateMicSrcList()
{
    disconnectMicSelector();
    ui->micSelector->clear();
    if (m_micSrcList.isEmpty()) {
        ui->micSelector->addItem(QStringLiteral("No Microphone Connection"));
        return;
    }
    ui->micSelector->addItems(m_micSrcList);
    connectMicSelector();
    const int stored = m_micSrcList.indexOf(m_settings->getAudioSource());
    if (stored >= 0) {
        // A change of entry reaches selectMicSrcByUI through the selector.
        ui->micSelector->setCurrentIndex(stored);
        return;
    }
    const QString first = m_micSrcList.first();
    m_settings->setAudioSource(first);
    ui->micSelector->setCurrentIndex(0);
    selectMicSrcByUI(first);
}

void SettingDialog::updateWebCamSrcList()
{
    if (m_webCamSrcList.isEmpty())
        ui->webCamSelector->addItem(QStringLiteral("No Webcam Connection"));
    else
        ui->webCamSelector->addItems(m_webCamSrcList);
}

void SettingDialog::connectMicSelector()
{
    disconnectMicSelector();
    m_micSelectorConnection = connect(ui->micSelector, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            selectMicSrcByUI(ui->micSelector->itemText(index));
    });
}

void SettingDialog::disconnectMicSelector()
{
    disconnect(m_micSelectorConnection);
}

void SettingDialog::startMonitor()
{
    // A start that failed is not counted by the service and must not be matched by a stop, which would
    // take away another user's start (a running recording's).
    if (!m_holdsMonitor)
        m_holdsMonitor = m_recording->startAudioMonitor() >= 0;
}

void SettingDialog::stopMonitor()
{
    if (m_holdsMonitor) {
        m_holdsMonitor = false;
        m_recording->stopAudioMonitor();
    }
    ui->micVolReporter->setValue(0);
}

// Set by the program, the slider does not write the mixer: a percent read back and set again can step the
// mixer down by one.
void SettingDialog::showVolume(uint percent)
{
    const QSignalBlocker blocker(ui->micVolSlider);
    ui->micVolSlider->setValue(int(qMin(percent, 100u)));
}

// The preview, made inside the preview area when there is none: a view without a parent would be a window
// of its own on the desktop.
QWidget *SettingDialog::previewView()
{
    return m_webCam->auxWebCamWidget(ui->webCamWidget);
}

void SettingDialog::undoSession()
{
    if (!m_shown)
        return;
    m_settings->setAudioSource(m_savedAudioSource);
    // Setting the mixer to a percent it just reported can step it down by one, so it is set back only when
    // the user moved it.
    if (m_volumeChanged)
        m_recording->setVolume(uint(m_savedMicVolume));
    stopMonitor();
    disconnectMicSelector();
    if (!m_micSrcList.isEmpty())
        ui->micSelector->setCurrentIndex(int(m_micSrcList.indexOf(m_savedAudioSource)));
    showVolume(uint(m_savedMicVolume));
    showSavePath();
    m_webCam->closeAuxWebCam();
    ui->videoResolutionSelector->setCurrentIndex(m_settings->getVideoQuality());
    endSession();
}

void SettingDialog::endSession()
{
    for (const QMetaObject::Connection &connection : std::as_const(m_showConnections))
        disconnect(connection);
    m_showConnections.clear();
    m_shown = false;
}

void SettingDialog::loadAccounts()
{
    m_upload = UploadAccess::service();
    const bool available = !m_upload.isNull();
    ui->uploadUnavailableLabel->setVisible(!available);
    ui->validateBtn->setEnabled(available);
    for (const AccountRow &row : std::as_const(m_accountRows)) {
        row.user->setEnabled(available);
        row.user->setText(available ? m_upload->account(row.service).userName : QString());
        row.password->setText(kPasswordPlaceholder);
    }
}

bool SettingDialog::saveAccounts()
{
    if (!m_upload)
        return true;
    for (const AccountRow &row : std::as_const(m_accountRows)) {
        if (row.service == SERVICE_YOUTUBE && m_upload->checkAccountName(row.service, rowRecord(row)) < 0)
            return false;
    }
    for (const AccountRow &row : std::as_const(m_accountRows))
        m_upload->setAccount(row.service, rowRecord(row));
    return true;
}

AccountRecord SettingDialog::rowRecord(const AccountRow &row)
{
    return AccountRecord{QString(), row.user->text(), row.password->text()};
}
