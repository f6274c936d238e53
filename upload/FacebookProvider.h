#pragma once

#include "SNProvider.h"

#include <optional>

// The social network ("facebook"). Programs may no longer post to a person's own timeline, so copies go to
// a Page the person manages: the account's user name names that Page (its name or its numeric id). Sign-in
// is the network's device login: a page of ours shows the code the person enters on the network's own
// page while the program waits for the grant. Photos go up in one request; videos through the resumable
// upload (continued where the server stopped after an interruption), then are published on the Page. The
// id is the photo's or video's, the address its page. The network keeps no removal call open to us: the
// user removes copies by hand.
//
// Parameters: "appID" and "client_token" (the app's id and client token, both required).
class FacebookProvider : public SNProvider
{
public:
    QStringList requiredParameters() const override;
    QUrl defaultEndpoint(const QString &role) const override;
    QStringList tokenRoles() const override;
    OAuthConfig oauthConfig(const SNServiceContext &service) const override;
    void checkAccount(NetworkJob &job) override;
    void upload(NetworkJob &job) override;
    void remove(NetworkJob &job, const QString &path) override;
    int failureCode(const SNResponse &response) const override;

    // How much of the file the server holds, from its answer to the upload session's status ("file_offset",
    // a number or a text); nullopt when the answer names no place in a file of that size.
    static std::optional<qint64> heldOffset(const SNResponse &response, qint64 fileSize);

    // What the program takes from the network's successful answers; empty is a refusal (or no success).
    struct Page
    {
        QString id;
        QString name;
        QString token;
    };
    // One list of the Pages the person manages: the Page the account's user name names (its id, or its
    // name in any case), refused when the person may not publish there; else the next list's address, only
    // on the server of the api address.
    struct PageList
    {
        std::optional<Page> page;
        bool mayNotPublish = false;
        QUrl next;
    };
    static PageList readPageList(const SNResponse &response, const QString &wanted, const QUrl &api);
    // The id of a photo or video just posted.
    static QString readObjectId(const SNResponse &response);
    // The upload session's id ("upload:…") and the uploaded file's handle.
    static QString readUploadSession(const SNResponse &response);
    static QString readUploadHandle(const SNResponse &response);
    // The address of a posted object from its field, which may be relative to the site: a web address or
    // none.
    static QString readAddress(const SNResponse &response, const QString &field, const QUrl &site);
};
