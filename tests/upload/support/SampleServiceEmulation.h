#pragma once

#include "LocalHttpServer.h"
#include "OAuthServerEmulation.h"

#include <QHash>
#include <QString>

// The server side of SampleProvider on a LocalHttpServer: its OAuth server, the account address, one-request
// and resumable uploads (the latter keep what arrived of a dropped chunk, as resumable services do) and
// removal. Uploaded files are kept so that tests can compare them byte for byte.
class SampleServiceEmulation
{
public:
    static constexpr const char *kClientId = "sample-client";

    explicit SampleServiceEmulation(LocalHttpServer &server);

    OAuthServerEmulation &oauth() { return m_oauth; }
    // The files received whole, by id.
    QByteArray file(const QString &id) const { return m_files.value(id); }
    int fileCount() const { return int(m_files.size()); }
    QStringList fileNames() const { return m_names.values(); }
    // The server forgets every upload session (they expired).
    void expireSessions() { m_sessions.clear(); }

private:
    struct Session
    {
        QString name;
        qint64 size = 0;
        QByteArray data;
    };

    HttpReply storeFile(const QString &name, const QByteArray &data);
    HttpReply putChunk(const RecordedRequest &request);

    LocalHttpServer &m_server;
    OAuthServerEmulation m_oauth;
    QHash<QString, QByteArray> m_files;
    QHash<QString, QString> m_names;
    QHash<QString, Session> m_sessions;
    int m_serial = 0;
};
