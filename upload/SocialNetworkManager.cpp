#include "SocialNetworkManager.h"

#include "DropboxProvider.h"
#include "FacebookProvider.h"
#include "GooglePhotosProvider.h"
#include "NetworkJob.h"
#include "NetworkSNService.h"
#include "OAuthClient.h"
#include "SNAccountStore.h"
#include "SNProvider.h"
#include "TwitpicProvider.h"
#include "YouTubeProvider.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>

SocialNetworkManager *SocialNetworkManager::getSocialNetworkManager()
{
    static QPointer<SocialNetworkManager> instance;
    if (!instance) {
        instance = new SocialNetworkManager(QCoreApplication::instance());
        instance->registerProvider(QStringLiteral("dropboxOAuth"), [] { return std::make_unique<DropboxProvider>(); });
        instance->registerProvider(QStringLiteral("twitpic"), [] { return std::make_unique<TwitpicProvider>(); });
        instance->registerProvider(QStringLiteral("youtube"), [] { return std::make_unique<YouTubeProvider>(); });
        instance->registerProvider(QStringLiteral("picasa"), [] { return std::make_unique<GooglePhotosProvider>(); });
        instance->registerProvider(QStringLiteral("facebook"), [] { return std::make_unique<FacebookProvider>(); });
    }
    return instance;
}

SocialNetworkManager::SocialNetworkManager(QObject *parent)
    : QObject(parent)
    , m_network(new QNetworkAccessManager(this))
    , m_oauth(new OAuthClient(this))
{
}

SocialNetworkManager::~SocialNetworkManager()
{
    shutdown();
    // Jobs are children of the manager and refer to its services: they go first.
    qDeleteAll(findChildren<NetworkJob *>(Qt::FindDirectChildrenOnly));
}

void SocialNetworkManager::setStartupValues(int stallSeconds, int maxTransfers)
{
    m_timings.scheduledStallMs = qMax(1, stallSeconds) * 1000;
    m_maxTransfers = qMax(1, maxTransfers);
}

void SocialNetworkManager::setAccountStore(SNAccountStore *store)
{
    m_store.reset(store);
    m_shutDown = false;
}

void SocialNetworkManager::registerProvider(const QString &name, ProviderFactory factory)
{
    m_factories.insert(name, std::move(factory));
}

SNService *SocialNetworkManager::service(const QString &name)
{
    auto found = m_services.find(name);
    if (found == m_services.end()) {
        const ProviderFactory factory = m_factories.value(name);
        std::unique_ptr<SNProvider> provider = factory ? factory() : nullptr;
        if (!provider)
            return nullptr;
        found = m_services.emplace(name, std::make_unique<NetworkSNService>(name, std::move(provider), this)).first;
    }
    found->second->addHolder();
    return found->second.get();
}

void SocialNetworkManager::setEndpoint(const QString &service, const QString &role, const QUrl &url)
{
    m_endpoints.insert(service + QLatin1Char('/') + role, url);
}

QUrl SocialNetworkManager::endpointOverride(const QString &service, const QString &role) const
{
    return m_endpoints.value(service + QLatin1Char('/') + role);
}

void SocialNetworkManager::setTimings(const SNTimings &timings)
{
    m_timings = timings;
}

void SocialNetworkManager::enqueue(NetworkJob *job)
{
    if (job->isScheduledTransfer()) {
        m_waiting.append(job);
        startWaiting();
        return;
    }
    QMetaObject::invokeMethod(job, &NetworkJob::start, Qt::QueuedConnection);
}

void SocialNetworkManager::startWaiting()
{
    m_waiting.removeAll(nullptr);
    while (!m_waiting.isEmpty() && m_transferring.size() < m_maxTransfers) {
        NetworkJob *job = m_waiting.takeFirst();
        if (!job->isOpen())
            continue;
        m_transferring.append(job);
        QMetaObject::invokeMethod(job, &NetworkJob::start, Qt::QueuedConnection);
    }
}

void SocialNetworkManager::jobEnded(NetworkJob *job)
{
    m_waiting.removeAll(job);
    if (m_transferring.removeAll(job) > 0)
        startWaiting();
}

void SocialNetworkManager::shutdown()
{
    m_shutDown = true;
    m_waiting.clear();
    m_oauth->shutdown();
    const QList<NetworkJob *> jobs = findChildren<NetworkJob *>(Qt::FindDirectChildrenOnly);
    for (NetworkJob *job : jobs)
        job->abandon();
    m_transferring.clear();
    m_store.reset();
}
