#pragma once

#include "LocalHttpServer.h"
#include "OAuthServerEmulation.h"

#include <QHash>
#include <QJsonObject>
#include <QString>

// The video service's documented shapes on a LocalHttpServer: OAuth at /o/oauth2/v2/auth and /token, the
// account's channel, the resumable insert (a session address; PUT requests with Content-Range answered
// 308 with the Range held, or the video at the end; "bytes */size" asks; a request cut off keeps what
// arrived) and deletion by id. Videos are kept by id with the metadata they were sent with.
class YouTubeServiceEmulation
{
public:
    static constexpr const char *kClientId = "video-client.apps.example";
    static constexpr const char *kChannelId = "UC_x5XG1OV2P6uZZ5FSM9Ttw";

    explicit YouTubeServiceEmulation(LocalHttpServer &server);

    OAuthServerEmulation &oauth() { return m_oauth; }
    QByteArray video(const QString &id) const { return m_videos.value(id); }
    QJsonObject metadata(const QString &id) const { return m_metadata.value(id); }
    int videoCount() const { return int(m_videos.size()); }
    void setHasChannel(bool has) { m_hasChannel = has; }
    void expireSessions() { m_sessions.clear(); }

private:
    struct Session
    {
        QJsonObject metadata;
        qint64 size = 0;
        QByteArray data;
        QString done;
    };

    HttpReply putChunk(const RecordedRequest &request);

    LocalHttpServer &m_server;
    OAuthServerEmulation m_oauth;
    QHash<QString, QByteArray> m_videos;
    QHash<QString, QJsonObject> m_metadata;
    QHash<QString, Session> m_sessions;
    int m_serial = 0;
    bool m_hasChannel = true;
};
