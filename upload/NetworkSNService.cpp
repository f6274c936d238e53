#include "NetworkSNService.h"

#include "NetworkJob.h"
#include "OAuthConfig.h"
#include "OAuthGrant.h"
#include "SNAccountStore.h"
#include "SNProvider.h"
#include "SettingImpl.h"
#include "SocialNetworkManager.h"
#include "UploadErrorCode.h"
#include "UploadServiceParameters.h"

namespace {

// A service's value set in the settings ("upload/<service>/<key>"), read through the settings service so
// that a damaged file is no source of values.
QString configuredValue(const QString &service, const QString &key)
{
    SettingIntf *settings = SettingImpl::getInstance();
    const QString value = settings->value(QStringLiteral("upload/%1/%2").arg(service, key)).toString();
    settings->release();
    return value;
}

} // namespace

NetworkSNService::NetworkSNService(const QString &name, std::unique_ptr<SNProvider> provider,
                                   SocialNetworkManager *manager)
    : m_name(name)
    , m_provider(std::move(provider))
    , m_manager(manager)
{
}

NetworkSNService::~NetworkSNService() = default;

void NetworkSNService::release()
{
    if (m_holders > 0)
        --m_holders;
}

void NetworkSNService::setParameter(const QString &key, const QString &value)
{
    m_parameters.insert(key, value);
}

QString NetworkSNService::parameter(const QString &key) const
{
    const QString configured = configuredValue(m_name, key);
    return configured.isEmpty() ? m_parameters.value(key) : configured;
}

QUrl NetworkSNService::endpoint(const QString &role, const QString &path) const
{
    QUrl base = m_manager->endpointOverride(m_name, role);
    if (!base.isValid()) {
        const QString configured = configuredValue(m_name, role);
        base = configured.isEmpty() ? m_provider->defaultEndpoint(role) : QUrl(configured, QUrl::StrictMode);
    }
    if (path.isEmpty())
        return base;
    QString joined = base.path();
    while (joined.endsWith(QLatin1Char('/')))
        joined.chop(1);
    base.setPath(joined + (path.startsWith(QLatin1Char('/')) ? path : QLatin1Char('/') + path));
    return base;
}

OAuthConfig NetworkSNService::oauthConfig() const
{
    return m_provider->oauthConfig(*this);
}

QStringList NetworkSNService::missingBuildOptions() const
{
    QStringList missing;
    const QStringList required = m_provider->requiredParameters();
    for (const QString &key : required) {
        if (parameter(key).isEmpty()) {
            const QString option = UploadServiceParameters::buildOption(m_name, key);
            missing.append(option.isEmpty() ? key : option);
        }
    }
    return missing;
}

bool NetworkSNService::isGrantUsable(const OAuthGrant &grant) const
{
    if (grant.isEmpty())
        return false;
    // A grant made out to another client (the build's client id changed) opens nothing.
    return grant.clientId.isEmpty() || grant.clientId == oauthConfig().clientId;
}

AccountRecord NetworkSNService::storedAccount()
{
    const SNAccountStore *store = m_manager->accountStore();
    return store ? store->storedAccount(m_name) : AccountRecord();
}

bool NetworkSNService::isAccountUsable(const AccountRecord &account)
{
    const SNAccountStore *store = m_manager->accountStore();
    if (account.userName.isEmpty() || !store || m_provider->isDiscontinued())
        return false;
    return isGrantUsable(OAuthGrant::fromParams(store->params(m_name, account.userName)));
}

void NetworkSNService::addAccount(const AccountRecord &account)
{
    if (SNAccountStore *store = m_manager->accountStore())
        store->addAccount(m_name, account);
}

void NetworkSNService::removeAccount(const AccountRecord &, bool)
{
    if (SNAccountStore *store = m_manager->accountStore())
        store->removeAccount(m_name);
}

int NetworkSNService::replaceAccount(const AccountRecord &, const AccountRecord &account, int)
{
    SNAccountStore *store = m_manager->accountStore();
    return store ? store->replaceAccount(m_name, account) : 0;
}

void NetworkSNService::setPassword(const AccountRecord &, const QString &)
{
    // No service takes a password any more; none is kept.
}

int NetworkSNService::launch(NetworkJob *job, SNJob **out)
{
    *out = job;
    m_manager->enqueue(job);
    return 0;
}

int NetworkSNService::requestToken(AccountRecord *account, SNJob **job, SNAccessJobListener *listener)
{
    if (!account || !job || !listener)
        return SN_ERR_PROTOCOL;
    return launch(new NetworkJob(NetworkJob::KIND_TOKEN, this, account->userName, listener, m_manager), job);
}

int NetworkSNService::startAccessJob(AccountRecord *account, SNJob **job, SNAccessJobListener *listener)
{
    if (!account || !job || !listener)
        return SN_ERR_PROTOCOL;
    if (refusesUserName(m_name, account->userName))
        return SN_ERR_CREDENTIALS_REFUSED;
    return launch(new NetworkJob(NetworkJob::KIND_ACCESS, this, account->userName, listener, m_manager), job);
}

int NetworkSNService::startUpload(const QString &label, bool scheduled, bool isVideo, const QString &appName,
                                  const QString &path, const QString &title, const QString &author,
                                  const QString &description, const QStringList &keywords,
                                  const QMap<QString, QString> &extra, SNJob **job, SNUploadJobListener *listener)
{
    if (!job || !listener)
        return SN_ERR_PROTOCOL;
    NetworkJob::Upload upload{appName, path, title, author, description, keywords, extra, isVideo, scheduled};
    return launch(new NetworkJob(upload, this, label, listener, m_manager), job);
}

int NetworkSNService::uploadFile(AccountRecord *account, const QString &appName, const QString &path,
                                 const QString &title, const QString &author, const QString &description,
                                 const QStringList &keywords, const QMap<QString, QString> &extra, SNJob **job,
                                 SNUploadJobListener *listener)
{
    if (!account)
        return SN_ERR_PROTOCOL;
    return startUpload(account->userName, false, false, appName, path, title, author, description, keywords, extra, job,
                       listener);
}

int NetworkSNService::uploadVideoFile(AccountRecord *account, const QString &appName, const QString &path,
                                      const QString &title, const QString &author, const QString &description,
                                      const QStringList &keywords, const QMap<QString, QString> &extra, SNJob **job,
                                      SNUploadJobListener *listener)
{
    if (!account)
        return SN_ERR_PROTOCOL;
    return startUpload(account->userName, false, true, appName, path, title, author, description, keywords, extra, job,
                       listener);
}

int NetworkSNService::uploadImage(const QString &appText, const QString &path, const QString &title,
                                  const QString &author, const QString &description, const QStringList &keywords,
                                  const QMap<QString, QString> &extra, SNJob **job, SNUploadJobListener *listener)
{
    return startUpload(storedAccount().userName, true, false, appText, path, title, author, description, keywords,
                       extra, job, listener);
}

int NetworkSNService::uploadVideo(const QString &appText, const QString &path, const QString &title,
                                  const QString &author, const QString &description, const QStringList &keywords,
                                  const QMap<QString, QString> &extra, SNJob **job, SNUploadJobListener *listener)
{
    return startUpload(storedAccount().userName, true, true, appText, path, title, author, description, keywords, extra,
                       job, listener);
}

int NetworkSNService::removeFile(const QString &path, SNJob **job, SNAccessJobListener *listener)
{
    if (!job || !listener)
        return SN_ERR_PROTOCOL;
    auto *removal = new NetworkJob(NetworkJob::KIND_REMOVE, this, storedAccount().userName, listener, m_manager);
    removal->setRemovalPath(path);
    return launch(removal, job);
}
