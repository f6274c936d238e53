#pragma once

#include "SNJob.h"
#include "SNRequest.h"
#include "SNResponse.h"

#include <QMap>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVariant>

#include <functional>
#include <optional>

class NetworkSNService;
class QNetworkReply;
class SNServiceContext;
class SocialNetworkManager;

// A job of the upload library that talks to a service over HTTP: the job engine. A provider drives it
// with send(); the job does around each request what every service needs:
// - the account's grant: missing means SN_ERR_AUTHORIZATION; an access token about to end is renewed
//   first (once for all jobs of the account); a 401 renews it once and sends the request again;
// - requests go over HTTP/1.1 with redirects left to the provider (a resumable upload's 308 is an answer);
// - file bodies stream from disk, and their progress is the job's progress;
// - a dropped connection or a server error (5xx) is tried again after a back-off, as the request's retry
//   kind allows (repeated, resumed by the provider, or never for a request that creates something); a 429
//   is waited out once when its Retry-After is short; the tries start anew once a file body goes further
//   than where the last one failed;
// - no byte moving for the stall limit ends the job as timed out; cancel and the stall are told apart;
// - the access token goes only to the service's own servers (SNProvider::tokenRoles), never to another
//   address an answer names;
// - answers are read within a size cap and a deadline (BoundedAnswer): a longer one drops the connection,
//   a late one times out;
// - answers the provider does not accept, and failures without an answer, become the library's codes.
class NetworkJob : public SNJob
{
    Q_OBJECT

public:
    enum Kind { KIND_TOKEN, KIND_ACCESS, KIND_UPLOAD, KIND_REMOVE };

    struct Upload
    {
        QString appName;
        QString path;
        QString title;
        QString author;
        QString description;
        QStringList keywords;
        QMap<QString, QString> extra;
        bool isVideo = false;
        // A queued upload: it waits for a free transfer slot and has the start-up stall limit.
        bool scheduled = false;
    };

    using ResponseHandler = std::function<void(const SNResponse &)>;

    NetworkJob(Kind kind, NetworkSNService *service, const QString &label, SNAccessJobListener *listener,
               QObject *parent);
    NetworkJob(const Upload &upload, NetworkSNService *service, const QString &label, SNUploadJobListener *listener,
               QObject *parent);
    ~NetworkJob() override;

    // --- for providers ---
    // Sends the request; onResponse gets the HTTP answer the engine did not handle itself. onInterrupted
    // continues a RETRY_RESUME request after an interruption (usually by asking the server how far it got).
    void send(const SNRequest &request, ResponseHandler onResponse, std::function<void()> onInterrupted = {});
    void complete(const QMap<QString, QVariant> &result = {});
    void completeUpload(const QString &id, const QString &url);
    void fail(int code);
    // Ends the job with the provider's code for an answer it did not accept.
    void failWith(const SNResponse &response);
    // Calls action after ms unless the job has ended meanwhile (polling, waiting for the server).
    void after(int ms, std::function<void()> action);

    const SNServiceContext &service() const;
    QString accountLabel() const { return m_label; }
    // What is kept with the account's grant ("account.id", or a provider's own keys).
    QString accountValue(const QString &key) const;
    void setAccountValue(const QString &key, const QString &value);
    const Upload &upload() const { return m_upload; }
    // The size of the file being uploaded, as it was when the job started.
    qint64 fileSize() const { return m_fileSize; }

    // --- for the engine ---
    Kind kind() const { return m_kind; }
    bool isScheduledTransfer() const { return m_kind == KIND_UPLOAD && m_upload.scheduled; }
    void setRemovalPath(const QString &path) { m_removalPath = path; }
    void start();
    // Ends the job without reports: the library is shutting down.
    void abandon() { endSilently(); }

protected:
    void endWork() override;

private:
    struct Pending
    {
        SNRequest request{QByteArray(), QUrl()};
        ResponseHandler onResponse;
        std::function<void()> onInterrupted;
        bool waitedForRetryAfter = false;
        bool renewedAfter401 = false;
    };

    void runOperation();
    // Calls then once the grant is there and fresh; ends the job when it cannot be.
    void withFreshGrant(bool force, const std::function<void()> &then);
    void transmit();
    void onFinished(QNetworkReply *reply);
    void onStall();
    void retryLater(int finalCode, std::optional<qint64> delayMs);
    void dropReply();
    int stallLimitMs() const;
    bool mayReceiveToken(const QUrl &url) const;

    Kind m_kind;
    NetworkSNService *m_service;
    QString m_label;
    Upload m_upload;
    QString m_removalPath;
    qint64 m_fileSize = 0;
    Pending m_pending;
    QPointer<QNetworkReply> m_reply;
    bool m_stalled = false;
    QTimer m_stallTimer;
    // Tries used since the transfer last went further.
    int m_retries = 0;
    // Where in the file the file body that failed last started; -1 when none failed.
    qint64 m_failedOffset = -1;
};
