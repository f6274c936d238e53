#pragma once

#include "SNService.h"
#include "SNServiceContext.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>

class NetworkJob;
class SNProvider;
class SocialNetworkManager;
struct OAuthConfig;
struct OAuthGrant;

// A service of the upload library that a provider speaks for, on the job engine; its accounts live in the
// manager's account store.
class NetworkSNService : public SNService, public SNServiceContext
{
public:
    NetworkSNService(const QString &name, std::unique_ptr<SNProvider> provider, SocialNetworkManager *manager);
    ~NetworkSNService() override;

    QString name() const override { return m_name; }
    void release() override;
    void setParameter(const QString &key, const QString &value) override;
    AccountRecord storedAccount() override;
    bool isAccountUsable(const AccountRecord &account) override;
    void addAccount(const AccountRecord &account) override;
    void removeAccount(const AccountRecord &stored, bool removeOnline) override;
    int replaceAccount(const AccountRecord &stored, const AccountRecord &account, int flags) override;
    void setPassword(const AccountRecord &stored, const QString &password) override;
    int requestToken(AccountRecord *account, SNJob **job, SNAccessJobListener *listener) override;
    int startAccessJob(AccountRecord *account, SNJob **job, SNAccessJobListener *listener) override;
    int uploadFile(AccountRecord *account, const QString &appName, const QString &path, const QString &title,
                   const QString &author, const QString &description, const QStringList &keywords,
                   const QMap<QString, QString> &extra, SNJob **job, SNUploadJobListener *listener) override;
    int uploadVideoFile(AccountRecord *account, const QString &appName, const QString &path, const QString &title,
                        const QString &author, const QString &description, const QStringList &keywords,
                        const QMap<QString, QString> &extra, SNJob **job, SNUploadJobListener *listener) override;
    int uploadImage(const QString &appText, const QString &path, const QString &title, const QString &author,
                    const QString &description, const QStringList &keywords, const QMap<QString, QString> &extra,
                    SNJob **job, SNUploadJobListener *listener) override;
    int uploadVideo(const QString &appText, const QString &path, const QString &title, const QString &author,
                    const QString &description, const QStringList &keywords, const QMap<QString, QString> &extra,
                    SNJob **job, SNUploadJobListener *listener) override;
    int removeFile(const QString &path, SNJob **job, SNAccessJobListener *listener) override;

    // Settings.ini's "upload/<service>/<key>" wins over the value the program gave: a person can register
    // other sign-in ports ("redirect_ports") or other client ids without a new build.
    QString parameter(const QString &key) const override;
    QUrl endpoint(const QString &role, const QString &path = QString()) const override;

    SNProvider &provider() const { return *m_provider; }
    SocialNetworkManager *manager() const { return m_manager; }
    OAuthConfig oauthConfig() const;
    // The build options of the parameters the provider needs and did not get.
    QStringList missingBuildOptions() const;
    // A grant of this service's current client that can open the account.
    bool isGrantUsable(const OAuthGrant &grant) const;
    int holderCount() const { return m_holders; }
    void addHolder() { ++m_holders; }

private:
    int startUpload(const QString &label, bool scheduled, bool isVideo, const QString &appName, const QString &path,
                    const QString &title, const QString &author, const QString &description,
                    const QStringList &keywords, const QMap<QString, QString> &extra, SNJob **job,
                    SNUploadJobListener *listener);
    int launch(NetworkJob *job, SNJob **out);

    QString m_name;
    std::unique_ptr<SNProvider> m_provider;
    SocialNetworkManager *m_manager;
    QMap<QString, QString> m_parameters;
    int m_holders = 0;
};
