#pragma once

#include "AccountRecord.h"
#include "UploadIntf.h"

#include <QByteArray>
#include <QString>

#include <array>

class SNService;
class SocialNetworkManager;

// The upload service over the upload library: the library's manager with the account store of
// "SNAccountFile.dat", the five service handles with their parameters, the account cache, and the four
// emitters through which the upload manager reports queued jobs. The service's operations are those of
// UploadIntf.
class UploadImpl : public UploadIntf
{
    Q_OBJECT

public:
    ~UploadImpl() override;

    // The handle of one service bit; null for anything else.
    SNService *serviceHandle(uint serviceBit) const;

    void emitUploadSucceeded(uint service, const QString &path, const QString &id, const QString &url);
    void emitUploadFailed(uint service, const QString &path);
    void emitUploadCancelled(uint service, const QString &path);
    void emitUploadRetryTriggered(uint service, const QString &path);

    // The account file's key: the login name and a permanent network address of this machine.
    static QByteArray accountFileKey();

protected:
    // Sets the library up over the account file in dataFolder (made when missing).
    UploadImpl(SocialNetworkManager *manager, const QString &dataFolder);

    // The cached copy of the library's account of one service bit; null for anything else.
    AccountRecord *cachedAccount(uint serviceBit);
    SocialNetworkManager *manager() const { return m_manager; }
    QString appName() const { return m_appName; }

private:
    SocialNetworkManager *m_manager;
    // In the order of the service-bit table: video sharing, photo service, social network, picture posting,
    // file hosting.
    std::array<SNService *, 5> m_handles{};
    std::array<AccountRecord, 5> m_accountCache;
    QString m_appName = QStringLiteral("Quillo");
};
