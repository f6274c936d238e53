#pragma once

#include "SNProvider.h"

#include <QStringList>

#include <optional>

// The video service ("youtube"): Google sign-in through the browser and a loopback redirect; videos go up
// through a resumable insert (a session address, then the file in requests of "chunk_size" bytes, asking
// the server how far it got after an interruption) as unlisted videos; the id is the video's, the address
// its watch page; removal deletes the video by id. Parameters: "devkey" (the client id, required) and
// "client_secret".
class YouTubeProvider : public SNProvider
{
public:
    // What the service accepts of a title and tags.
    struct Metadata
    {
        QString title;
        QStringList tags;
        bool cut = false;
    };

    QStringList requiredParameters() const override;
    QUrl defaultEndpoint(const QString &role) const override;
    OAuthConfig oauthConfig(const SNServiceContext &service) const override;
    qint64 maximumFileSize(bool isVideo) const override;
    void checkAccount(NetworkJob &job) override;
    void upload(NetworkJob &job) override;
    void remove(NetworkJob &job, const QString &path) override;
    int failureCode(const SNResponse &response) const override;

    // The title without "<" and ">" and at most 100 characters; the tags, in order, while they fit in 500
    // characters in all.
    static Metadata acceptable(const QString &title, const QStringList &tags);
    // Where the upload goes on after the server's 308, from its "Range" header; nullopt when the header names
    // no place in a file of that size.
    static std::optional<qint64> resumeOffset(const QByteArray &range, qint64 fileSize);

    // What the program takes from the service's successful answers; empty is a refusal (or no success).
    // The account's channel, named by its title; no id when the account has none.
    static Account readChannel(const SNResponse &response);
    // The upload session's address ("Location"), a web address.
    static QUrl readSessionAddress(const SNResponse &response);
    // The id of the video the finished upload made.
    static QString readVideoId(const SNResponse &response);
};
