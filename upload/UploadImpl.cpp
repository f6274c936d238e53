#include "UploadImpl.h"

#include "AccountFileKey.h"
// Its header holds a guarded pointer to the job class, which must be complete there.
#include "AccountSettingDlg.h"
#include "HiddenFileList.h"
#include "MessageBoxes.h"
#include "RC4SimpleSNAccountFileStore.h"
#include "RemoveProgressDlg.h"
#include "RequestTokenDlg.h"
#include "SNJob.h"
#include "SNService.h"
#include "ScheduleManager.h"
#include "SocialNetworkManager.h"
#include "UploadErrorCode.h"
#include "UploadErrorTexts.h"
#include "UploadLog.h"
#include "UploadProgressBar.h"
#include "UploadServiceBit.h"
#include "UploadServiceParameters.h"
#include "ValidationAndResultDlg.h"
#include "ValidationProgressDlg.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QStandardPaths>

#include <algorithm>

namespace {

// Seconds without a byte moving before a scheduled upload fails, and scheduled uploads running at once.
constexpr int kStallSeconds = 100;
constexpr int kConcurrentTransfers = 5;
// The photo service keeps no more of a description than this; refused here, a longer one is not cut
// behind the user's back.
constexpr int kPhotoDescriptionLimit = 1000;
// What checkAccountName answers for a refused name, and the input checks for a missing title.
constexpr int kNameRefused = -1001;
constexpr int kInputRefused = -1;
constexpr int kTitleMissing = -2000;
// The services each kind of file goes to, in the order they are tried.
constexpr uint kImageOrder[] = {SERVICE_FACEBOOK, SERVICE_PICASA, SERVICE_DROPBOX, SERVICE_TWITPIC};
constexpr uint kVideoOrder[] = {SERVICE_YOUTUBE, SERVICE_FACEBOOK, SERVICE_PICASA, SERVICE_DROPBOX};

qsizetype slotOf(uint serviceBit)
{
    for (qsizetype i = 0; i < qsizetype(kUploadServiceNames.size()); ++i) {
        if (kUploadServiceNames[i].bit == serviceBit)
            return i;
    }
    return -1;
}

UploadImpl *s_instance = nullptr;
bool s_takenDown = false;

void warn(const QString &text)
{
    MessageBoxes::Request box;
    box.parent = QApplication::activeWindow();
    box.fromService = box.parent == nullptr;
    box.icon = QMessageBox::Warning;
    box.title = UploadIntf::tr("Warning");
    box.text = text;
    MessageBoxes::exec(box);
}

} // namespace

UploadImpl *UploadImpl::getInstance()
{
    if (!s_instance && !s_takenDown && qApp) {
        s_instance = new UploadImpl(SocialNetworkManager::getSocialNetworkManager(), defaultDataFolder());
        // The last save of the schedule and the library's end belong to the running application, not to a
        // static destructor after it is gone.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp, [] {
            s_takenDown = true;
            delete s_instance;
            s_instance = nullptr;
        });
    }
    return s_instance;
}

QString UploadImpl::defaultDataFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)).absolutePath();
}

UploadImpl::UploadImpl(SocialNetworkManager *manager, const QString &dataFolder, Clock clock)
    : m_manager(manager)
    , m_clock(std::move(clock))
{
    const QString accountFile = dataFolder + QStringLiteral("/SNAccountFile.dat");
    // Kept out of the user's sight in file managers; best effort, and before the first start's save there is
    // no folder to list it in yet.
    HiddenFileList::markHidden(accountFile);
    m_manager->setStartupValues(kStallSeconds, kConcurrentTransfers);
    auto *store = new RC4SimpleSNAccountFileStore(accountFile, accountFileKey());
    store->setFallbackKeys(AccountFileKey::fallbackKeys());
    m_manager->setAccountStore(store);
    store->load();

    for (qsizetype i = 0; i < qsizetype(kUploadServiceNames.size()); ++i)
        m_handles[i] = m_manager->service(kUploadServiceNames[i].name.toString());
    for (qsizetype i = 0; i < qsizetype(m_handles.size()); ++i) {
        if (m_handles[i])
            m_accountCache[i] = m_handles[i]->storedAccount();
    }
    const QList<UploadServiceParameters::Parameter> parameters = UploadServiceParameters::all();
    for (const UploadServiceParameters::Parameter &parameter : parameters) {
        if (SNService *handle = serviceHandle(uploadServiceBit(parameter.service)))
            handle->setParameter(parameter.key, parameter.value);
    }
    startScheduleManager(dataFolder);
}

UploadImpl::UploadImpl(const std::array<SNService *, 5> &handles, const QString &dataFolder, Clock clock)
    : m_handles(handles)
    , m_clock(std::move(clock))
{
    for (qsizetype i = 0; i < qsizetype(m_handles.size()); ++i) {
        if (m_handles[i])
            m_accountCache[i] = m_handles[i]->storedAccount();
    }
    startScheduleManager(dataFolder);
}

void UploadImpl::startScheduleManager(const QString &dataFolder)
{
    m_scheduleManager = std::make_unique<ScheduleManager>(this, dataFolder);
}

UploadImpl::~UploadImpl()
{
    // Saves the schedule and cancels the jobs still running while the library can still take that.
    m_scheduleManager.reset();
    if (!m_manager)
        return;
    m_manager->shutdown();
    for (const uint bit : {SERVICE_YOUTUBE, SERVICE_PICASA, SERVICE_FACEBOOK, SERVICE_TWITPIC, SERVICE_DROPBOX}) {
        if (SNService *handle = serviceHandle(bit))
            handle->release();
    }
}

SNService *UploadImpl::serviceHandle(uint serviceBit) const
{
    const qsizetype slot = slotOf(serviceBit);
    return slot < 0 ? nullptr : m_handles[slot];
}

AccountRecord *UploadImpl::cachedAccount(uint serviceBit)
{
    const qsizetype slot = slotOf(serviceBit);
    return slot < 0 ? nullptr : &m_accountCache[slot];
}

QDateTime UploadImpl::currentDateTime() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

QByteArray UploadImpl::accountFileKey()
{
    return AccountFileKey::build();
}

QWidget *UploadImpl::dialogParent(QWidget *parent)
{
    return parent ? parent : QApplication::activeWindow();
}

void UploadImpl::release()
{
}

bool UploadImpl::reloadAccount(uint service)
{
    SNService *handle = serviceHandle(service);
    if (!handle)
        return false;
    AccountRecord *cached = cachedAccount(service);
    *cached = handle->storedAccount();
    return handle->isAccountUsable(*cached);
}

AccountRecord UploadImpl::account(uint service)
{
    SNService *handle = serviceHandle(service);
    if (!handle)
        return {};
    AccountRecord *cached = cachedAccount(service);
    *cached = handle->storedAccount();
    return *cached;
}

int UploadImpl::checkAccountName(uint service, AccountRecord account)
{
    if (service == SERVICE_YOUTUBE && SNService::refusesUserName(uploadServiceName(service), account.userName)) {
        warn(tr("Youtube access cannot user account with '@'!"));
        return kNameRefused;
    }
    return 0;
}

int UploadImpl::setAccount(uint service, AccountRecord account)
{
    SNService *handle = serviceHandle(service);
    if (!handle)
        return 0;
    const AccountRecord old = *cachedAccount(service);
    if (old.userName.isEmpty()) {
        if (!account.userName.isEmpty())
            handle->addAccount(account);
    } else if (account.userName.isEmpty()) {
        handle->removeAccount(old, false);
    } else if (handle->replaceAccount(old, account, 0) == SN_ERR_SET_PASSWORD_ONLY) {
        handle->setPassword(old, account.password);
    }
    return 0;
}

bool UploadImpl::validateAccounts(QMap<uint, AccountRecord> accounts, QWidget *parent)
{
    if (accounts.isEmpty())
        return false;
    // It deletes itself once closed; the guard tells whether it is still there to be read.
    QPointer<ValidationAndResultDlg> dialog = new ValidationAndResultDlg(accounts, parent);
    dialog->hideUncheckedRows();
    dialog->adjustSize();
    dialog->setFixedSize(dialog->size());
    dialog->show();
    for (auto it = accounts.constBegin(); it != accounts.constEnd() && dialog; ++it)
        dialog->start(serviceHandle(it.key()), it.value(), it.key());
    // A check the user broke off proved nothing.
    return dialog && !dialog->isCancelled() && dialog->isAllValid();
}

bool UploadImpl::showAccountSetting(uint service, QWidget *parent)
{
    SNService *handle = serviceHandle(service);
    if (!handle)
        return false;
    // The dialog writes the account the service accepted into the cache.
    AccountSettingDlg dialog(service, handle, cachedAccount(service), dialogParent(parent));
    return dialog.prepareAndExec() >= 0;
}

bool UploadImpl::verifyAccess(uint service, QWidget *parent)
{
    SNService *handle = serviceHandle(service);
    if (!handle)
        return false;
    if (!reloadAccount(service))
        return showAccountSetting(service, parent);

    QWidget *over = dialogParent(parent);
    int code = 0;
    {
        ValidationProgressDlg check(handle, over);
        if (over) {
            // A little below the middle of the window, where the eye is after pressing a button there.
            const QRect area = over->frameGeometry();
            check.adjustSize();
            check.move(area.x() + area.width() / 2 - check.width() / 2,
                       area.y() + int(area.height() / 1.6) - check.height() / 2);
        }
        code = check.start(*cachedAccount(service));
    }
    if (code == SN_ERR_CANCELLED) {
        // The user broke the check off: nothing was proved and there is nothing to report.
        return false;
    }
    if (service == SERVICE_DROPBOX && code == SN_ERR_AUTHORIZATION) {
        RequestTokenDlg::offerGrant(handle, *cachedAccount(service), over, tr("Warning"),
                                    tr("Quillo does not have permission to upload files to your account. Do you "
                                       "want to grant permission to Quillo?"));
        // After granting on the service's page the user repeats what needed the permission.
        return false;
    }
    return showAccessError(code, service);
}

bool UploadImpl::showAccessError(int code, uint service)
{
    if (code >= 0)
        return true;
    if (code == SN_ERR_CREDENTIALS_REFUSED || code == SN_ERR_CREDENTIALS_REFUSED_2)
        return showAccountSetting(service, QApplication::activeWindow());
    if (const std::optional<QString> text = UploadErrorTexts::accessErrorBox(code))
        warn(*text);
    return false;
}

int UploadImpl::checkUploadInputs(uint serviceMask, const QString &path, const QString &title,
                                  const QString &description)
{
    if ((serviceMask & SERVICE_PICASA) && description.size() > kPhotoDescriptionLimit) {
        warn(tr("Picasa's description limit is 1000 characters."));
        return kInputRefused;
    }
    if (QFile(path).size() <= 0) {
        warn(tr("File size is zero!"));
        return kInputRefused;
    }
    if (title.isEmpty()) {
        uploadLog(LogSystem::LOG_WARNING, "Title for uploaded file is required.");
        warn(tr("Title is required!"));
        return kTitleMissing;
    }
    return 0;
}

int UploadImpl::checkImageUploadInputs(uint serviceMask, QString path, QString title, QString, QString description,
                                       QStringList)
{
    return checkUploadInputs(serviceMask, path, title, description);
}

int UploadImpl::checkVideoUploadInputs(uint serviceMask, QString path, QString title, QString, QString description,
                                       QStringList)
{
    return checkUploadInputs(serviceMask, path, title, description);
}

int UploadImpl::uploadNow(bool isVideo, uint serviceMask, const QString &path, const QString &title,
                          const QString &author, const QString &description, const QStringList &keywords,
                          QList<UploadResult> &results)
{
    // Only the services that take this kind of file count towards the whole upload's progress.
    const auto &order = isVideo ? kVideoOrder : kImageOrder;
    const int count = int(std::count_if(std::begin(order), std::end(order),
                                        [serviceMask](uint bit) { return (serviceMask & bit) != 0; }));
    if (count == 0) {
        // Services were named, but none takes this kind of file: nothing was tried.
        if (serviceMask != 0)
            results.clear();
        return 0;
    }
    UploadProgressBar dialog(count, m_appName, path, title, author, description, keywords);
    dialog.show();
    for (const uint bit : order) {
        if (serviceMask & bit)
            dialog.uploadTo(serviceHandle(bit), *cachedAccount(bit), bit, isVideo);
    }
    results = dialog.results();
    dialog.hide();
    return 0;
}

int UploadImpl::uploadImageNow(uint serviceMask, QString path, QString title, QString author, QString description,
                               QStringList keywords, QList<UploadResult> &results)
{
    return uploadNow(false, serviceMask, path, title, author, description, keywords, results);
}

int UploadImpl::uploadVideoNow(uint serviceMask, QString path, QString title, QString author, QString description,
                               QStringList keywords, QList<UploadResult> &results)
{
    return uploadNow(true, serviceMask, path, title, author, description, keywords, results);
}

int UploadImpl::queueImageUpload(QMap<uint, QDateTime> times, QString path, QString title, QString author,
                                 QString description, QStringList keywords)
{
    m_scheduleManager->addJob(times, path, false, title, author, description, keywords);
    return 0;
}

int UploadImpl::queueVideoUpload(QMap<uint, QDateTime> times, QString path, QString title, QString author,
                                 QString description, QStringList keywords)
{
    m_scheduleManager->addJob(times, path, true, title, author, description, keywords);
    return 0;
}

void UploadImpl::removeUploadedFiles(QMap<uint, QString> idsByService)
{
    // The media file's information, which names these copies, goes with the file: whatever could not be
    // removed is told once, in a box the user reads at their pace, and its id stays in the log.
    QStringList staying;
    for (auto it = idsByService.constBegin(); it != idsByService.constEnd(); ++it) {
        const uint bit = it.key();
        if (bit == SERVICE_YOUTUBE || bit == SERVICE_PICASA || bit == SERVICE_DROPBOX) {
            bool removed = false;
            if (SNService *handle = serviceHandle(bit)) {
                RemoveProgressDlg removal(handle, nullptr);
                removed = removal.removeFile(m_appName, it.value());
            }
            if (!removed) {
                uploadLog(LogSystem::LOG_ERROR, "UploadImpl::removeUploadedFiles - the %s copy %s stays online",
                          qUtf8Printable(uploadServiceName(bit)), qUtf8Printable(it.value()));
                staying.append(onlineCopyText(bit, it.value()));
            }
        } else if (bit == SERVICE_FACEBOOK || bit == SERVICE_TWITPIC) {
            MessageBoxes::Request box;
            box.fromService = true;
            box.icon = QMessageBox::Information;
            box.title = tr("Information");
            box.text = bit == SERVICE_FACEBOOK ? tr("Please delete upload file from Facebook.")
                                               : tr("Please delete upload file from Twitpic.");
            MessageBoxes::exec(box);
        }
    }
    if (staying.isEmpty())
        return;
    MessageBoxes::Request box;
    box.fromService = true;
    box.icon = QMessageBox::Warning;
    box.title = tr("Warning");
    box.text = tr("These uploaded copies could not be removed and stay online:");
    box.informativeText = staying.join(QLatin1Char('\n')) + QStringLiteral("\n\n")
                          + tr("Please delete them on the service's website.");
    MessageBoxes::exec(box);
}

QString UploadImpl::onlineCopyText(uint bit, const QString &id) const
{
    switch (bit) {
    case SERVICE_YOUTUBE:
        return tr("Youtube: video %1").arg(id);
    case SERVICE_PICASA:
        return tr("Picasa: photo %1").arg(id);
    default:
        // The file-hosting service keeps the program's copies in its public folder.
        return tr("Dropbox: public/%1/%2").arg(m_appName, id);
    }
}

void UploadImpl::showUploadManager()
{
    m_scheduleManager->showWindow();
}

int UploadImpl::confirmExit()
{
    return m_scheduleManager->confirmExit();
}

void UploadImpl::emitUploadSucceeded(uint service, const QString &path, const QString &id, const QString &url)
{
    Q_EMIT uploadSucceeded(service, path, id, url);
}

void UploadImpl::emitUploadFailed(uint service, const QString &path)
{
    Q_EMIT uploadFailed(service, path);
}

void UploadImpl::emitUploadCancelled(uint service, const QString &path)
{
    Q_EMIT uploadCancelled(service, path);
}

void UploadImpl::emitUploadRetryTriggered(uint service, const QString &path)
{
    Q_EMIT uploadRetryTriggered(service, path);
}
