#pragma once

#include "AccountRecord.h"
#include "ScheduleHost.h"
#include "UploadIntf.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <array>
#include <functional>
#include <memory>

class ScheduleManager;
class SNService;
class SocialNetworkManager;

// The upload service over the upload library: the library's manager with the account store of
// "SNAccountFile.dat", the five service handles with their parameters, the account cache, the upload
// manager window with the scheduled jobs, and the dialogs that upload, check, grant and remove. Its
// operations are those of UploadIntf; the upload manager reports queued jobs through the four emitters.
class UploadImpl : public UploadIntf, public ScheduleHost
{
    Q_OBJECT

public:
    using Clock = std::function<QDateTime()>;

    // The program's one service, made on first use over the library's manager and the application's
    // data folder; it is taken down when the application is about to quit, after which this is null.
    static UploadImpl *getInstance();
    // Where the account and schedule files live.
    static QString defaultDataFolder();

    // Sets the library up over the account file in dataFolder (made when missing) and starts the upload
    // manager over the schedule file there. The clock is the wall clock unless one is given.
    UploadImpl(SocialNetworkManager *manager, const QString &dataFolder, Clock clock = {});
    ~UploadImpl() override;

    void release() override;
    bool reloadAccount(uint service) override;
    AccountRecord account(uint service) override;
    int checkAccountName(uint service, AccountRecord account) override;
    int setAccount(uint service, AccountRecord account) override;
    bool validateAccounts(QMap<uint, AccountRecord> accounts, QWidget *parent) override;
    bool showAccountSetting(uint service, QWidget *parent) override;
    bool verifyAccess(uint service, QWidget *parent) override;
    int checkImageUploadInputs(uint serviceMask, QString path, QString title, QString author, QString description,
                               QStringList keywords) override;
    int uploadImageNow(uint serviceMask, QString path, QString title, QString author, QString description,
                       QStringList keywords, QList<UploadResult> &results) override;
    int queueImageUpload(QMap<uint, QDateTime> times, QString path, QString title, QString author, QString description,
                         QStringList keywords) override;
    int checkVideoUploadInputs(uint serviceMask, QString path, QString title, QString author, QString description,
                               QStringList keywords) override;
    int uploadVideoNow(uint serviceMask, QString path, QString title, QString author, QString description,
                       QStringList keywords, QList<UploadResult> &results) override;
    int queueVideoUpload(QMap<uint, QDateTime> times, QString path, QString title, QString author, QString description,
                         QStringList keywords) override;
    void removeUploadedFiles(QMap<uint, QString> idsByService) override;
    void showUploadManager() override;
    int confirmExit() override;

    // The handle of one service bit; null for anything else.
    SNService *serviceHandle(uint serviceBit) const override;
    QDateTime currentDateTime() const override;
    void emitUploadSucceeded(uint service, const QString &path, const QString &id, const QString &url) override;
    void emitUploadFailed(uint service, const QString &path) override;
    void emitUploadCancelled(uint service, const QString &path) override;
    void emitUploadRetryTriggered(uint service, const QString &path) override;

    // Shows the failure of an access check: true for success; the account dialog's answer for a refused
    // user name or password; false after the error box otherwise.
    bool showAccessError(int code, uint service);
    ScheduleManager *scheduleManager() const { return m_scheduleManager.get(); }

    // The account file's key: the login name and a permanent network address of this machine.
    static QByteArray accountFileKey();

protected:
    // Over handles the caller keeps, without the library's manager or an account file: for tests of what
    // the service does with the handles.
    UploadImpl(const std::array<SNService *, 5> &handles, const QString &dataFolder, Clock clock);

    // The cached copy of the library's account of one service bit; null for anything else.
    AccountRecord *cachedAccount(uint serviceBit);
    SocialNetworkManager *manager() const { return m_manager; }
    QString appName() const { return m_appName; }

private:
    int checkUploadInputs(uint serviceMask, const QString &path, const QString &title, const QString &description);
    int uploadNow(bool isVideo, uint serviceMask, const QString &path, const QString &title, const QString &author,
                  const QString &description, const QStringList &keywords, QList<UploadResult> &results);
    void startScheduleManager(const QString &dataFolder);
    // How the user finds a copy that stayed online: its service and where it is there.
    QString onlineCopyText(uint bit, const QString &id) const;
    // The window a dialog of this service stands over: the caller's, else the active one; null when the
    // program has no window in front.
    static QWidget *dialogParent(QWidget *parent);

    SocialNetworkManager *m_manager = nullptr;
    // In the order of the service-bit table: video sharing, photo service, social network, picture posting,
    // file hosting.
    std::array<SNService *, 5> m_handles{};
    std::array<AccountRecord, 5> m_accountCache;
    QString m_appName = QStringLiteral("Quillo");
    Clock m_clock;
    std::unique_ptr<ScheduleManager> m_scheduleManager;
};
