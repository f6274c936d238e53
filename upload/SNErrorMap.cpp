#include "SNErrorMap.h"

#include "UploadErrorCode.h"

#include <QLocale>

#include <limits>

int SNErrorMap::transportCode(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::BackgroundRequestNotAllowedError:
    case QNetworkReply::ProxyNotFoundError:
        return SN_ERR_UNREACHABLE;
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::SslHandshakeFailedError:
    case QNetworkReply::UnknownProxyError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyAuthenticationRequiredError:
        return SN_ERR_CANNOT_CONNECT;
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ContentReSendError:
    case QNetworkReply::UnknownNetworkError:
        return SN_ERR_DISCONNECTED;
    case QNetworkReply::TimeoutError:
    case QNetworkReply::ProxyTimeoutError:
    // A transfer timeout arrives as a cancellation; the job's own cancel is told apart before this.
    case QNetworkReply::OperationCanceledError:
        return SN_ERR_TIMED_OUT;
    default:
        return SN_ERR_PROTOCOL;
    }
}

bool SNErrorMap::isInterruption(QNetworkReply::NetworkError error)
{
    return transportCode(error) == SN_ERR_DISCONNECTED;
}

int SNErrorMap::httpStatusCode(int status)
{
    switch (status) {
    case 401:
        return SN_ERR_AUTHORIZATION;
    case 403:
        return SN_ERR_PRIVILEGE;
    case 408:
        return SN_ERR_TIMED_OUT;
    case 413:
        return SN_ERR_FILE_TOO_LARGE;
    case 429:
        return SN_ERR_TOO_OFTEN;
    case 502:
    case 503:
    case 504:
        return SN_ERR_UNREACHABLE;
    default:
        return SN_ERR_PROTOCOL;
    }
}

bool SNErrorMap::isTransientStatus(int status)
{
    return status == 500 || status == 502 || status == 503 || status == 504;
}

std::optional<qint64> SNErrorMap::retryAfterMs(const QByteArray &value, const QDateTime &now)
{
    const QByteArray text = value.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    bool isNumber = false;
    const qint64 seconds = text.toLongLong(&isNumber);
    if (isNumber) {
        if (seconds < 0)
            return std::nullopt;
        // The server's number, however large, must not wrap round into a short wait.
        constexpr qint64 kLongest = std::numeric_limits<qint64>::max();
        return seconds > kLongest / 1000 ? kLongest : seconds * 1000;
    }
    // An HTTP date, "Sun, 06 Nov 1994 08:49:37 GMT".
    QDateTime when = QLocale::c().toDateTime(QString::fromLatin1(text.left(25)),
                                             QStringLiteral("ddd, dd MMM yyyy HH:mm:ss"));
    if (!when.isValid())
        return std::nullopt;
    when.setTimeSpec(Qt::UTC);
    return qMax<qint64>(0, now.msecsTo(when));
}
