#pragma once

#include "LocalHttpServer.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// The social network's documented Graph shapes on a LocalHttpServer: device login (/device/login and
// /device/login_status, pending until approved), the Pages a person manages (/me/accounts, paged, each with
// its token and tasks), photos posted to a Page as multipart forms, the resumable upload (/{app}/uploads, then
// /upload:<session> taking bytes at file_offset, a GET telling the offset held; a request cut off keeps what
// arrived), videos published with the upload's handle, and the fields link and permalink_url of what was
// posted. Errors come as {"error": {"code": ...}} with status 400, as the network answers them.
class FacebookServiceEmulation
{
public:
    static constexpr const char *kAppId = "498123456789012";
    static constexpr const char *kClientToken = "c1f3e5a7b9";

    struct Page
    {
        QString id;
        QString name;
        QString token;
        QStringList tasks;
    };
    struct Post
    {
        QString pageId;
        QString fileName;
        QString text;
        QString title;
        QByteArray data;
    };

    explicit FacebookServiceEmulation(LocalHttpServer &server);

    // A user token as a device login would hand out.
    QString issueUserToken();
    void revokeUserTokens() { m_userTokens.clear(); }
    void approveDevice() { m_approved = true; }
    QString userCode() const { return QStringLiteral("FBQL-7W2K"); }

    void setPages(const QList<Page> &pages) { m_pages = pages; }
    static Page classPage();
    // /me/accounts answers this many Pages at a time.
    void setPagesPerList(int count) { m_perList = count; }

    QList<Post> photos() const { return m_photos.values(); }
    QList<Post> videos() const { return m_videos.values(); }
    Post photo(const QString &id) const { return m_photos.value(id); }
    Post video(const QString &id) const { return m_videos.value(id); }

private:
    struct Session
    {
        qint64 length = 0;
        QString fileName;
        QByteArray data;
    };

    bool isUser(const RecordedRequest &request) const;
    const Page *pageOf(const QString &id, const QString &token) const;
    HttpReply accounts(const RecordedRequest &request) const;
    HttpReply post(const RecordedRequest &request);
    HttpReply get(const RecordedRequest &request) const;
    HttpReply photoPost(const RecordedRequest &request, const QString &pageId);
    HttpReply videoPost(const RecordedRequest &request, const QString &pageId);
    HttpReply sessionBytes(const RecordedRequest &request, const QString &id);

    LocalHttpServer &m_server;
    QSet<QString> m_userTokens;
    QList<Page> m_pages{classPage()};
    int m_perList = 25;
    bool m_approved = false;
    QHash<QString, Session> m_sessions;
    QHash<QString, QString> m_handles;
    QHash<QString, Post> m_photos;
    QHash<QString, Post> m_videos;
    int m_serial = 0;
};
