#include "SNResponse.h"

#include <QJsonDocument>

QByteArray SNResponse::header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

QJsonObject SNResponse::json() const
{
    return QJsonDocument::fromJson(body).object();
}
