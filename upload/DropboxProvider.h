#pragma once

#include "SNProvider.h"

#include <QJsonObject>

#include <optional>

// The file-storage service ("dropboxOAuth"). Sign-in is the authorization-code flow with PKCE and no app
// secret; the service accepts only registered redirect addresses, so the loopback listener takes one of a
// fixed list of ports ("redirect_ports", comma-separated, overrides it). Copies go into the app folder at
// "/public/<application text>/<file name>", never over an existing file: the service renames the new one
// ("1 (1).jpg"), and that final name, which holds no "/", is the copy's id everywhere. Its address is a shared
// link (an existing one is listed instead). Removal takes "public/<application text>/<id>".
//
// Parameters: "consumer_key" (the app key, required); "simple_limit" (files up to this size go in one
// request; the service takes at most 150 MB so); "chunk_size" (the size of each request of an upload session).
class DropboxProvider : public SNProvider
{
public:
    QStringList requiredParameters() const override;
    QUrl defaultEndpoint(const QString &role) const override;
    OAuthConfig oauthConfig(const SNServiceContext &service) const override;
    qint64 maximumFileSize(bool isVideo) const override;
    void checkAccount(NetworkJob &job) override;
    void upload(NetworkJob &job) override;
    void remove(NetworkJob &job, const QString &path) override;
    int failureCode(const SNResponse &response) const override;

    // The "Dropbox-API-Arg" header's value: compact JSON with every character outside printable ASCII
    // written as \uXXXX, since a header carries no UTF-8.
    static QByteArray apiArgument(const QJsonObject &argument);

    // What the program takes from the service's successful answers; an empty id, name or address is a
    // refusal (or an answer that was no success).
    // The stored file: its final name (the copy's id, without "/") and its path for the link calls.
    struct Stored
    {
        QString name;
        QString path;
    };
    static Account readAccount(const SNResponse &response);
    static QString readSessionId(const SNResponse &response);
    static Stored readStored(const SNResponse &response);
    // The address of a link just made, or of the first one listed.
    static QString readCreatedLink(const SNResponse &response);
    static QString readListedLink(const SNResponse &response);
    // Where a session goes on after the service refused an append (or the commit) at the wrong offset;
    // nullopt when the answer is no such refusal or names no place in a file of that size.
    static std::optional<qint64> correctOffset(const SNResponse &response, bool committing, qint64 fileSize);
};
