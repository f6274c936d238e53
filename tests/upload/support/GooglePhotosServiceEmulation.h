#pragma once

#include "LocalHttpServer.h"
#include "OAuthServerEmulation.h"

#include <QHash>
#include <QJsonObject>
#include <QString>
#include <QStringList>

// The photo library's documented shapes on a LocalHttpServer: OAuth as the video service's; albums
// (list in pages of pageSize, continued by pageToken; create); bytes as one raw request or a resumable upload (start, upload at an offset, "upload,
// finalize", query; a request cut off keeps what arrived), each answering an upload token; batch creation
// of items from tokens into an album. Items are kept by id with their bytes, album and description.
class GooglePhotosServiceEmulation
{
public:
    static constexpr const char *kClientId = "photo-client.apps.example";

    struct Item
    {
        QByteArray data;
        QString album;
        QString description;
        QString fileName;
    };

    explicit GooglePhotosServiceEmulation(LocalHttpServer &server);

    OAuthServerEmulation &oauth() { return m_oauth; }
    QHash<QString, Item> items() const { return m_items; }
    QStringList albumTitles() const { return m_albums.values(); }
    QString albumId(const QString &title) const { return m_albums.key(title); }
    // An album the program made earlier, which the account no longer remembers; returns its id.
    QString addAlbum(const QString &title);
    // The next batch creation answers this item status instead of making the item.
    void refuseNextItem(int rpcCode, const QString &message) { m_refuseCode = rpcCode, m_refuseMessage = message; }

private:
    struct Session
    {
        qint64 size = 0;
        QByteArray data;
        QString token;
    };

    HttpReply uploads(const RecordedRequest &request);
    HttpReply session(const RecordedRequest &request);
    HttpReply batchCreate(const RecordedRequest &request);
    QString newToken(const QByteArray &data);

    LocalHttpServer &m_server;
    OAuthServerEmulation m_oauth;
    QHash<QString, QString> m_albums;
    // Album ids in the order they were made, the order of the list.
    QStringList m_albumOrder;
    QHash<QString, QByteArray> m_tokens;
    QHash<QString, Session> m_sessions;
    QHash<QString, Item> m_items;
    int m_serial = 0;
    int m_refuseCode = 0;
    QString m_refuseMessage;
};
