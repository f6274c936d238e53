#include "NetworkJob.h"

#include "BoundedAnswer.h"
#include "NetworkSNService.h"
#include "OAuthClient.h"
#include "OAuthGrant.h"
#include "SNAccountStore.h"
#include "SNErrorMap.h"
#include "SNProvider.h"
#include "SNUploadJobListener.h"
#include "SocialNetworkManager.h"
#include "UploadBodyDevice.h"
#include "UploadErrorCode.h"
#include "UploadLog.h"

#include <QDateTime>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <algorithm>

namespace {

// The answers of the services are small JSON documents; a longer one is not an answer we can use, and
// reading it would only fill the memory.
constexpr qint64 kMaxAnswerBytes = 4 * 1024 * 1024;

} // namespace

NetworkJob::NetworkJob(Kind kind, NetworkSNService *service, const QString &label, SNAccessJobListener *listener,
                       QObject *parent)
    : SNJob(listener, parent)
    , m_kind(kind)
    , m_service(service)
    , m_label(label)
{
    m_stallTimer.setSingleShot(true);
    connect(&m_stallTimer, &QTimer::timeout, this, &NetworkJob::onStall);
}

NetworkJob::NetworkJob(const Upload &upload, NetworkSNService *service, const QString &label,
                       SNUploadJobListener *listener, QObject *parent)
    : SNJob(listener, parent)
    , m_kind(KIND_UPLOAD)
    , m_service(service)
    , m_label(label)
    , m_upload(upload)
{
    m_stallTimer.setSingleShot(true);
    connect(&m_stallTimer, &QTimer::timeout, this, &NetworkJob::onStall);
}

NetworkJob::~NetworkJob()
{
    dropReply();
}

const SNServiceContext &NetworkJob::service() const
{
    return *m_service;
}

QString NetworkJob::accountValue(const QString &key) const
{
    const SNAccountStore *store = m_service->manager()->accountStore();
    return store ? store->params(m_service->name(), m_label).value(key) : QString();
}

void NetworkJob::setAccountValue(const QString &key, const QString &value)
{
    SNAccountStore *store = m_service->manager()->accountStore();
    if (!store)
        return;
    QMap<QString, QString> params = store->params(m_service->name(), m_label);
    params.insert(key, value);
    store->setParams(m_service->name(), m_label, params);
}

void NetworkJob::start()
{
    if (!isOpen())
        return;
    reportConnecting();
    SNProvider &provider = m_service->provider();
    const QString name = m_service->name();
    if (m_service->manager()->isShutDown() || provider.isDiscontinued()) {
        fail(SN_ERR_UNREACHABLE);
        return;
    }
    const QStringList missing = m_service->missingBuildOptions();
    if (!missing.isEmpty()) {
        uploadLog(LogSystem::LOG_ERROR, "NetworkJob::start - %s is not configured: build with %s set",
                  qUtf8Printable(name), qUtf8Printable(missing.join(QStringLiteral(", "))));
        fail(SN_ERR_NOT_CONFIGURED);
        return;
    }
    if (m_label.isEmpty()) {
        fail(SN_ERR_CREDENTIALS_REFUSED);
        return;
    }
    if (m_kind == KIND_TOKEN) {
        reportWorking();
        QPointer<NetworkJob> self(this);
        m_service->manager()->oauth()->authorize(
            name, m_label, m_service->oauthConfig(), [self](int code, const QUrl &page) {
                if (!self)
                    return;
                if (code < 0)
                    self->fail(code);
                else
                    self->complete({{QStringLiteral("redirect"), page.toString()}});
            });
        return;
    }
    if (m_kind == KIND_UPLOAD) {
        const QFileInfo file(m_upload.path);
        if (!file.isFile() || !file.isReadable()) {
            fail(SN_ERR_FILE_NOT_FOUND);
            return;
        }
        m_fileSize = file.size();
        if (m_fileSize > provider.maximumFileSize(m_upload.isVideo)) {
            fail(SN_ERR_FILE_TOO_LARGE);
            return;
        }
    }
    withFreshGrant(false, [this] {
        reportWorking();
        runOperation();
    });
}

void NetworkJob::runOperation()
{
    SNProvider &provider = m_service->provider();
    switch (m_kind) {
    case KIND_ACCESS:
        provider.checkAccount(*this);
        break;
    case KIND_UPLOAD:
        reportProgress(0, qMax<qint64>(m_fileSize, 1));
        provider.upload(*this);
        break;
    case KIND_REMOVE:
        provider.remove(*this, m_removalPath);
        break;
    case KIND_TOKEN:
        break;
    }
}

void NetworkJob::withFreshGrant(bool force, const std::function<void()> &then)
{
    const SNAccountStore *store = m_service->manager()->accountStore();
    const OAuthGrant grant = OAuthGrant::fromParams(store ? store->params(m_service->name(), m_label)
                                                          : QMap<QString, QString>());
    if (!m_service->isGrantUsable(grant)) {
        fail(SN_ERR_AUTHORIZATION);
        return;
    }
    const int marginMs = m_service->manager()->timings().refreshMarginMs;
    const bool ending = grant.expiresAt.isValid()
                        && QDateTime::currentDateTimeUtc().msecsTo(grant.expiresAt) <= marginMs;
    if (!force && !ending && !grant.accessToken.isEmpty()) {
        then();
        return;
    }
    QPointer<NetworkJob> self(this);
    m_service->manager()->oauth()->refresh(m_service->name(), m_label, m_service->oauthConfig(),
                                           [self, then](int code) {
                                               if (!self || !self->isOpen())
                                                   return;
                                               if (code < 0)
                                                   self->fail(code);
                                               else
                                                   then();
                                           });
}

void NetworkJob::send(const SNRequest &request, ResponseHandler onResponse, std::function<void()> onInterrupted)
{
    if (!isOpen())
        return;
    m_pending = Pending();
    m_pending.request = request;
    m_pending.onResponse = std::move(onResponse);
    m_pending.onInterrupted = std::move(onInterrupted);
    if (request.hasFileBody() && m_failedOffset >= 0 && request.fileOffset > m_failedOffset) {
        m_retries = 0;
        m_failedOffset = -1;
    }
    transmit();
}

void NetworkJob::transmit()
{
    if (!isOpen())
        return;
    // One request at a time: whatever is still under way was given up by the provider.
    dropReply();
    const SNRequest &request = m_pending.request;
    QNetworkRequest networkRequest(request.url);
    // The local test server, and the transfer and resume rules, are HTTP/1.1; redirects are answers the
    // provider reads (a resumable upload says "308 Resume Incomplete").
    networkRequest.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    networkRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    networkRequest.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    networkRequest.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    for (const auto &[name, value] : request.headers)
        networkRequest.setRawHeader(name, value);
    if (request.auth == SNRequest::AUTH_BEARER) {
        const SNAccountStore *store = m_service->manager()->accountStore();
        const OAuthGrant grant = OAuthGrant::fromParams(store ? store->params(m_service->name(), m_label)
                                                              : QMap<QString, QString>());
        if (grant.accessToken.isEmpty()) {
            fail(SN_ERR_AUTHORIZATION);
            return;
        }
        if (!mayReceiveToken(request.url)) {
            uploadLog(LogSystem::LOG_ERROR,
                      "NetworkJob::send - %s://%s:%d is none of the service's servers; the token "
                      "is not sent there",
                      qUtf8Printable(request.url.scheme()), qUtf8Printable(request.url.host()), request.url.port());
            fail(SN_ERR_PROTOCOL);
            return;
        }
        networkRequest.setRawHeader("Authorization", "Bearer " + grant.accessToken.toLatin1());
    }

    UploadBodyDevice *body = nullptr;
    if (request.hasFileBody()) {
        body = UploadBodyDevice::forFile(request.filePath, request.fileOffset, request.fileLength, nullptr,
                                         request.filePrefix, request.fileSuffix);
        if (!body) {
            uploadLog(LogSystem::LOG_ERROR, "NetworkJob::send - %s can no longer be read",
                      qUtf8Printable(request.filePath));
            fail(SN_ERR_FILE_NOT_FOUND);
            return;
        }
    } else if (!request.bytes.isEmpty() || request.method == "POST" || request.method == "PUT") {
        body = UploadBodyDevice::forBytes(request.bytes, nullptr);
    }
    if (body) {
        networkRequest.setAttribute(QNetworkRequest::DoNotBufferUploadDataAttribute, true);
        networkRequest.setHeader(QNetworkRequest::ContentLengthHeader, body->size());
        if (!request.contentType.isEmpty())
            networkRequest.setHeader(QNetworkRequest::ContentTypeHeader, request.contentType);
    }

    m_stalled = false;
    QNetworkReply *reply = m_service->manager()->network()->sendCustomRequest(networkRequest, request.method, body);
    if (body)
        body->setParent(reply);
    m_reply = reply;
    auto *answer = new BoundedAnswer(reply, kMaxAnswerBytes, m_service->manager()->timings().answerDeadlineMs);
    connect(answer, &BoundedAnswer::received, this, [this, reply] {
        if (reply == m_reply)
            m_stallTimer.start(stallLimitMs());
    });
    connect(reply, &QNetworkReply::uploadProgress, this, [this, reply](qint64 sent, qint64) {
        if (reply != m_reply)
            return;
        m_stallTimer.start(stallLimitMs());
        const SNRequest &current = m_pending.request;
        if (current.hasFileBody())
            reportProgress(current.fileOffset + qBound<qint64>(0, sent - current.filePrefix.size(), current.fileLength),
                           qMax<qint64>(m_fileSize, 1));
    });
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        if (reply == m_reply)
            m_stallTimer.start(stallLimitMs());
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { onFinished(reply); });
    m_stallTimer.start(stallLimitMs());
}

bool NetworkJob::mayReceiveToken(const QUrl &url) const
{
    const QStringList roles = m_service->provider().tokenRoles();
    return std::any_of(roles.cbegin(), roles.cend(), [this, &url](const QString &role) {
        return SNProvider::sameServer(url, m_service->endpoint(role));
    });
}

int NetworkJob::stallLimitMs() const
{
    const SNTimings &timings = m_service->manager()->timings();
    return isScheduledTransfer() ? timings.scheduledStallMs : timings.interactiveStallMs;
}

void NetworkJob::onStall()
{
    if (!m_reply)
        return;
    m_stalled = true;
    m_reply->abort();
}

void NetworkJob::onFinished(QNetworkReply *reply)
{
    if (reply != m_reply)
        return;
    m_stallTimer.stop();
    m_reply = nullptr;
    reply->deleteLater();
    if (!isOpen())
        return;
    const SNRequest &request = m_pending.request;
    const QString what = QStringLiteral("%1 %2%3").arg(QString::fromLatin1(request.method), request.url.host(),
                                                       request.url.path());
    if (m_stalled) {
        uploadLog(LogSystem::LOG_ERROR, "NetworkJob - %s: nothing moved for %d ms", qUtf8Printable(what),
                  stallLimitMs());
        fail(SN_ERR_TIMED_OUT);
        return;
    }
    const BoundedAnswer *answer = reply->findChild<BoundedAnswer *>();
    if (answer->failure() == BoundedAnswer::TOO_LONG) {
        uploadLog(LogSystem::LOG_ERROR,
                  "NetworkJob - %s: the answer is longer than %lld bytes; the connection is dropped",
                  qUtf8Printable(what), kMaxAnswerBytes);
        fail(SN_ERR_DISCONNECTED);
        return;
    }
    if (answer->failure() == BoundedAnswer::TOO_LATE) {
        uploadLog(LogSystem::LOG_ERROR, "NetworkJob - %s: the answer did not end within %d ms", qUtf8Printable(what),
                  m_service->manager()->timings().answerDeadlineMs);
        fail(SN_ERR_TIMED_OUT);
        return;
    }
    SNResponse response;
    response.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (response.status == 0) {
        const QNetworkReply::NetworkError error = reply->error();
        uploadLog(LogSystem::LOG_WARNING, "NetworkJob - %s: no answer (%d)", qUtf8Printable(what), int(error));
        if (SNErrorMap::isInterruption(error))
            retryLater(SN_ERR_DISCONNECTED, std::nullopt);
        else
            fail(SNErrorMap::transportCode(error));
        return;
    }
    response.headers = reply->rawHeaderPairs();
    response.body = answer->body();
    uploadLog(LogSystem::LOG_INFO, "NetworkJob - %s: %d", qUtf8Printable(what), response.status);

    const std::optional<qint64> retryAfter = SNErrorMap::retryAfterMs(response.header("Retry-After"),
                                                                      QDateTime::currentDateTimeUtc());
    const qint64 retryAfterCap = m_service->manager()->timings().retryAfterCapMs;
    if (response.status == 401 && request.auth == SNRequest::AUTH_BEARER) {
        if (m_pending.renewedAfter401) {
            fail(SN_ERR_AUTHORIZATION);
            return;
        }
        m_pending.renewedAfter401 = true;
        withFreshGrant(true, [this] { transmit(); });
        return;
    }
    if (response.status == 429) {
        // A 429 says the request was not carried out, so even a request that creates something may go again.
        if (m_pending.waitedForRetryAfter || !retryAfter || *retryAfter > retryAfterCap) {
            fail(SN_ERR_TOO_OFTEN);
            return;
        }
        m_pending.waitedForRetryAfter = true;
        QTimer::singleShot(static_cast<int>(*retryAfter), this, [this] { transmit(); });
        return;
    }
    if (SNErrorMap::isTransientStatus(response.status)) {
        std::optional<qint64> wait;
        if (retryAfter && *retryAfter <= retryAfterCap)
            wait = retryAfter;
        retryLater(m_service->provider().failureCode(response), wait);
        return;
    }
    // The handler usually sends the next request, which replaces m_pending while the handler runs.
    const ResponseHandler handler = std::move(m_pending.onResponse);
    if (handler)
        handler(response);
}

void NetworkJob::retryLater(int finalCode, std::optional<qint64> delayMs)
{
    const SNRequest &request = m_pending.request;
    const QList<int> &backoff = m_service->manager()->timings().backoffMs;
    const bool mayGoAgain = request.retry == SNRequest::RETRY_REPEAT
                            || (request.retry == SNRequest::RETRY_RESUME && m_pending.onInterrupted);
    if (!mayGoAgain || m_retries >= backoff.size()) {
        fail(finalCode);
        return;
    }
    const int wait = static_cast<int>(delayMs.value_or(backoff[m_retries]));
    ++m_retries;
    if (request.hasFileBody())
        m_failedOffset = qMax(m_failedOffset, request.fileOffset);
    const bool resume = request.retry == SNRequest::RETRY_RESUME;
    QTimer::singleShot(wait, this, [this, resume] {
        if (!isOpen())
            return;
        if (resume) {
            const std::function<void()> continueTransfer = m_pending.onInterrupted;
            continueTransfer();
        } else
            transmit();
    });
}

void NetworkJob::complete(const QMap<QString, QVariant> &result)
{
    finishCompleted(result);
}

void NetworkJob::completeUpload(const QString &id, const QString &url)
{
    finishUploaded(id, url);
}

void NetworkJob::fail(int code)
{
    if (isOpen() && code != SN_ERR_CANCELLED)
        uploadLog(LogSystem::LOG_WARNING, "NetworkJob - a %s job failed: 0x%08X", qUtf8Printable(m_service->name()),
                  static_cast<uint>(code));
    finishFailed(code);
}

void NetworkJob::failWith(const SNResponse &response)
{
    fail(m_service->provider().failureCode(response));
}

void NetworkJob::after(int ms, std::function<void()> action)
{
    QTimer::singleShot(ms, this, [this, action = std::move(action)] {
        if (isOpen())
            action();
    });
}

void NetworkJob::dropReply()
{
    m_stallTimer.stop();
    if (QNetworkReply *reply = m_reply) {
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void NetworkJob::endWork()
{
    dropReply();
    m_service->manager()->jobEnded(this);
}
