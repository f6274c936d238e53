#include "SNProvider.h"

#include "SNErrorMap.h"
#include "SNResponse.h"

#include <QJsonObject>

SNProvider::~SNProvider() = default;

int SNProvider::failureCode(const SNResponse &response) const
{
    return SNErrorMap::httpStatusCode(response.status);
}

QString SNProvider::usableId(const QString &id)
{
    for (const QChar c : id) {
        if (c.category() == QChar::Other_Control)
            return {};
    }
    return id;
}

QUrl SNProvider::webAddress(const QUrl &address)
{
    const QString scheme = address.scheme();
    if (!address.isValid() || address.host().isEmpty()
        || (scheme != QLatin1String("https") && scheme != QLatin1String("http")))
        return {};
    return address;
}

bool SNProvider::sameServer(const QUrl &address, const QUrl &server)
{
    // "https://host" and "https://host:443" are one server.
    const auto portOf = [](const QUrl &url) { return url.port(url.scheme() == QLatin1String("https") ? 443 : 80); };
    return !address.host().isEmpty() && address.scheme() == server.scheme()
           && address.host().compare(server.host(), Qt::CaseInsensitive) == 0 && portOf(address) == portOf(server);
}

QString SNProvider::answerId(const SNResponse &response, const QString &field)
{
    return response.isSuccess() ? usableId(response.json().value(field).toString()) : QString();
}

QUrl SNProvider::answerAddress(const SNResponse &response, const QByteArray &header)
{
    return response.isSuccess() ? webAddress(QUrl::fromEncoded(response.header(header))) : QUrl();
}
