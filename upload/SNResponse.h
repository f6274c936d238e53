#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QPair>

// The HTTP answer to one request, as the job engine hands it to a provider.
struct SNResponse
{
    int status = 0;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;

    bool isSuccess() const { return status >= 200 && status < 300; }
    // The first header of that name (names compare without case); empty when absent.
    QByteArray header(const QByteArray &name) const;
    // The body as a JSON object; empty when it is not one.
    QJsonObject json() const;
};
