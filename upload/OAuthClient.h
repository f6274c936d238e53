#pragma once

#include "OAuthConfig.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class QNetworkReply;
class SocialNetworkManager;

// Our own small OAuth 2 client: authorization code with PKCE and state through a loopback listener,
// device login, and refreshing access tokens. Grants are kept in the manager's account store under
// (service, label), never logged.
class OAuthClient : public QObject
{
    Q_OBJECT

public:
    using PageReady = std::function<void(int code, const QUrl &page)>;
    using Done = std::function<void(int code)>;

    explicit OAuthClient(SocialNetworkManager *manager);
    ~OAuthClient() override;

    // Starts asking the account for a grant and answers with the page the user opens in the browser (or a
    // negative code). The grant arrives later, while the user works through the service's pages, and waits
    // in the account store under the label; a new request for the same service replaces an unfinished one.
    void authorize(const QString &service, const QString &label, const OAuthConfig &config, PageReady ready);
    // Renews the label's access token. Callers asking while a renewal for the label runs share its answer.
    // A grant the service refuses (invalid_grant) is removed and the answer is SN_ERR_AUTHORIZATION; other
    // refusals keep it. An answer for a label no account carries any more is dropped.
    void refresh(const QString &service, const QString &label, const OAuthConfig &config, Done done);
    // Stops listeners, polls and renewals without answering anyone.
    void shutdown();

private:
    struct Authorization;
    struct Refresh
    {
        QList<Done> waiting;
        QNetworkReply *reply = nullptr;
    };
    using ReplyHandler = std::function<void(int status, const QByteArray &body, int transportCode)>;

    QNetworkReply *postForm(const QUrl &url, const QList<QPair<QString, QString>> &fields, ReplyHandler handler);
    void startCodeFlow(Authorization &authorization, PageReady ready);
    void exchangeCode(const QString &key, const QString &code);
    void startDeviceFlow(Authorization &authorization, PageReady ready);
    void pollDevice(const QString &key);
    void storeGrant(const QString &service, const QString &label, const QString &clientId, const QString &accessToken,
                    const QString &refreshToken, const QString &scope, qint64 expiresIn);
    void finishAuthorization(const QString &key);
    void finishRefresh(const QString &key, int code);

    SocialNetworkManager *m_manager;
    QHash<QString, std::shared_ptr<Authorization>> m_authorizations;
    QHash<QString, Refresh> m_refreshes;
};
