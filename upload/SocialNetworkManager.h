#pragma once

#include "SNTimings.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>
#include <map>
#include <memory>

class NetworkJob;
class NetworkSNService;
class OAuthClient;
class QNetworkAccessManager;
class SNAccountStore;
class SNProvider;
class SNService;

// The upload library's entry: it hands out one service handle per service name, keeps the account store,
// the network access, the OAuth client and the queue of scheduled transfers. Everything runs on the GUI
// thread.
//
// The two start-up values are the stall limit of a scheduled upload, in seconds (no byte moving for that
// long fails it as "timed out"), and the number of scheduled uploads that run at once; further ones wait,
// and their jobConnecting comes when they start. Neither limits an immediate upload or an account check.
class SocialNetworkManager : public QObject
{
    Q_OBJECT

public:
    using ProviderFactory = std::function<std::unique_ptr<SNProvider>()>;

    // The process-wide manager, made on first use; it goes with the application object.
    static SocialNetworkManager *getSocialNetworkManager();

    explicit SocialNetworkManager(QObject *parent = nullptr);
    ~SocialNetworkManager() override;

    void setStartupValues(int stallSeconds, int maxTransfers);
    // Takes the store over (an earlier one is deleted). Set before accounts are read.
    void setAccountStore(SNAccountStore *store);
    // The handle of a service with a protocol; null for a name without one. Handles stay valid while the
    // manager lives, shutdown included.
    SNService *service(const QString &name);
    // Ends every job without further reports, stops waiting for grants and lets go of the account store.
    void shutdown();

    // Gives a service name its protocol; the handle is made on the first service() call.
    void registerProvider(const QString &name, ProviderFactory factory);
    // Points a role of a service elsewhere; wins over Settings.ini ("upload/<service>/<role>") and the
    // provider's own address. For tests and demonstrations.
    void setEndpoint(const QString &service, const QString &role, const QUrl &url);
    QUrl endpointOverride(const QString &service, const QString &role) const;
    void setTimings(const SNTimings &timings);
    const SNTimings &timings() const { return m_timings; }

    SNAccountStore *accountStore() const { return m_store.get(); }
    QNetworkAccessManager *network() const { return m_network; }
    OAuthClient *oauth() const { return m_oauth; }
    bool isShutDown() const { return m_shutDown; }

    // Starts the job on the next turn of the event loop, or when a slot is free for a scheduled one.
    void enqueue(NetworkJob *job);
    void jobEnded(NetworkJob *job);

private:
    void startWaiting();

    QNetworkAccessManager *m_network;
    OAuthClient *m_oauth;
    std::unique_ptr<SNAccountStore> m_store;
    QHash<QString, ProviderFactory> m_factories;
    std::map<QString, std::unique_ptr<NetworkSNService>> m_services;
    QHash<QString, QUrl> m_endpoints;
    SNTimings m_timings;
    int m_maxTransfers = 5;
    QList<QPointer<NetworkJob>> m_waiting;
    QList<NetworkJob *> m_transferring;
    bool m_shutDown = false;
};
