#pragma once

#include "OAuthConfig.h"

#include <QString>
#include <QStringList>
#include <QUrl>

#include <limits>

class NetworkJob;
class SNServiceContext;
struct SNResponse;

// One service's protocol on the job engine. A provider is small: it names its addresses, how grants are
// asked for, and for each operation the requests it sends through the job (NetworkJob::send) and how it
// reads their answers. The engine does the rest: grants and their renewal, bearer tokens, retries and
// resumes, back-off, stalls, progress, cancel and the error codes.
class SNProvider
{
public:
    virtual ~SNProvider();

    // The parameter keys the provider cannot work without. Jobs of a service missing one fail with
    // SN_ERR_NOT_CONFIGURED, and the log names the build option that supplies it (UploadServiceParameters).
    virtual QStringList requiredParameters() const { return {}; }
    // A service that no longer exists: every job fails with SN_ERR_UNREACHABLE, no account is usable.
    virtual bool isDiscontinued() const { return false; }
    virtual QUrl defaultEndpoint(const QString &role) const = 0;
    // The roles whose servers (scheme, host and port) may receive the account's access token. A request
    // to an address an answer named goes out with the token only when it is on one of them.
    virtual QStringList tokenRoles() const { return {QStringLiteral("api"), QStringLiteral("content")}; }
    virtual OAuthConfig oauthConfig(const SNServiceContext &service) const = 0;
    // Larger files fail with SN_ERR_FILE_TOO_LARGE before anything is sent.
    virtual qint64 maximumFileSize(bool isVideo) const { return std::numeric_limits<qint64>::max(); }

    // Each operation ends the job: complete(), completeUpload() or fail(). The grant is fresh when they run.
    // Checks the account and completes with what the service says of it.
    virtual void checkAccount(NetworkJob &job) = 0;
    // Uploads job.upload() and completes with the copy's id and address.
    virtual void upload(NetworkJob &job) = 0;
    virtual void remove(NetworkJob &job, const QString &path) = 0;

    // The code of an answer the provider did not accept; by its status unless the provider knows better.
    virtual int failureCode(const SNResponse &response) const;

    // The rules every provider reads a successful answer by. An id is handed on only as text without control
    // characters: it goes into request paths, the log and the upload list; empty means none.
    static QString usableId(const QString &id);
    // An address for the user's browser or the next request is a web address with a host; a script, a local
    // file, a relative or broken address is none (empty).
    static QUrl webAddress(const QUrl &address);
    // Both addresses go to one server: the same scheme, host and port, named or implied.
    static bool sameServer(const QUrl &address, const QUrl &server);
    // A successful answer's id in that field of its JSON object, by usableId's rule; empty otherwise.
    static QString answerId(const SNResponse &response, const QString &field);
    // A successful answer's address in that header, by webAddress's rule; empty otherwise.
    static QUrl answerAddress(const SNResponse &response, const QByteArray &header);

    // The account an answer names: its id and the name to show; no name without an id.
    struct Account
    {
        QString id;
        QString name;
    };
};
