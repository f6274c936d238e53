#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QNetworkReply>

#include <optional>

// Maps what went wrong on the network to the upload library's codes. Pure functions, so each failure that
// cannot be produced on the loopback interface (host not found, TLS, proxies) is still tested.
class SNErrorMap
{
public:
    // A request that got no HTTP answer.
    static int transportCode(QNetworkReply::NetworkError error);
    // The connection broke while the request or its answer was under way: sending again or resuming may
    // cure it.
    static bool isInterruption(QNetworkReply::NetworkError error);
    // An HTTP answer that the provider did not accept, by status alone.
    static int httpStatusCode(int status);
    // Server errors that may go away when the request is repeated a little later.
    static bool isTransientStatus(int status);
    // A "Retry-After" value (seconds, or an HTTP date) as milliseconds from now; nullopt when unreadable.
    static std::optional<qint64> retryAfterMs(const QByteArray &value, const QDateTime &now);
};
