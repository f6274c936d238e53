#pragma once

#include "LocalHttpServer.h"
#include "OAuthServerEmulation.h"

#include <QHash>
#include <QJsonObject>
#include <QString>
#include <optional>

// The file-storage service's documented request and answer shapes on a LocalHttpServer: OAuth at
// /oauth2/authorize and /oauth2/token, the account, one-request uploads, upload sessions (an append at the
// wrong offset answers incorrect_offset with the right one), shared links (one per file; a second create
// answers shared_link_already_exists) and removal. Files are kept by their lower-case path, with the name
// the service gave them, so that tests compare them byte for byte.
class DropboxServiceEmulation
{
public:
    static constexpr const char *kClientId = "storage-app-key";
    static constexpr const char *kAccountId = "dbid:AAH4f99T0taONIb-OurWxbNQ6ywGRopQngc";

    explicit DropboxServiceEmulation(LocalHttpServer &server);

    OAuthServerEmulation &oauth() { return m_oauth; }
    // The stored file at path (any case); empty when there is none.
    QByteArray file(const QString &path) const { return m_files.value(path.toLower()).data; }
    QStringList paths() const { return m_files.keys(); }
    void putFile(const QString &path, const QByteArray &data);
    // The file at path has this shared link already.
    void addLink(const QString &path, const QString &url) { m_links.insert(path.toLower(), url); }
    bool hasLink(const QString &path) const { return m_links.contains(path.toLower()); }
    // The server forgets every upload session (they expired).
    void expireSessions() { m_sessions.clear(); }
    // Answers with this error summary and status to every call (the tag tree as the service writes it).
    void failEveryCall(int status, const QString &summary) { m_failStatus = status, m_failSummary = summary; }

private:
    struct Stored
    {
        QString displayPath;
        QByteArray data;
    };

    // Checks the bearer token and the forced failure; an empty optional lets the call go on.
    std::optional<HttpReply> refuse(const RecordedRequest &request) const;
    static HttpReply error(int status, const QString &summary, const QJsonObject &detail);
    HttpReply commit(const QJsonObject &commitInfo, const QByteArray &data);
    QJsonObject metadata(const QString &key) const;
    HttpReply upload(const RecordedRequest &request);
    HttpReply sessionStart(const RecordedRequest &request);
    HttpReply sessionAppend(const RecordedRequest &request, bool finishing);
    HttpReply createLink(const RecordedRequest &request);
    HttpReply listLinks(const RecordedRequest &request);
    HttpReply remove(const RecordedRequest &request);

    LocalHttpServer &m_server;
    OAuthServerEmulation m_oauth;
    QHash<QString, Stored> m_files;
    QHash<QString, QByteArray> m_sessions;
    QHash<QString, QString> m_links;
    int m_serial = 0;
    int m_failStatus = 0;
    QString m_failSummary;
};
