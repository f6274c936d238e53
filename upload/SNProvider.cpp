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

QString SNProvider::answerId(const SNResponse &response, const QString &field)
{
    return response.isSuccess() ? usableId(response.json().value(field).toString()) : QString();
}

QUrl SNProvider::answerAddress(const SNResponse &response, const QByteArray &header)
{
    return response.isSuccess() ? webAddress(QUrl::fromEncoded(response.header(header))) : QUrl();
}
